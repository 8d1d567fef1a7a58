#include "betting/forms/kaimesetform.h"

#include "betting/kaimetab.h"
#include "controls/fonts.h"
#include "controls/numedit.h"
#include "controls/qtplatform.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace betting {

TKaimeSetForm::TKaimeSetForm(const keiba::ProgramContext& context, const raceday::RaceDay& day,
                             BetHost* host, QWidget* parent)
    : QDialog(parent)
    , context_(context)
    , day_(day)
    , host_(host)
    , IniGT1(context.settings) {
    setObjectName(QStringLiteral("KaimeSetForm"));
    setWindowTitle(QStringLiteral("買い目設定"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(330, 103);
    QFont f = controls::PGothicFont(9);
    f.setPixelSize(12);
    setFont(f);

    auto* text = new QLabel(
        QStringLiteral("買い目を作成するための1レースあたりの投資金額を設定します。"), this);
    text->setWordWrap(true);
    auto* heading = new QLabel(QStringLiteral("投資金額初期設定"), this);
    QFont hf = f;
    hf.setBold(true);
    hf.setUnderline(true);
    heading->setFont(hf);
    heading->setStyleSheet(QStringLiteral("color: blue"));
    SaNumEditExC1 = new controls::TSaNumEditExC(this);
    SaNumEditExC1->setObjectName(QStringLiteral("SaNumEditExC1"));
    SaNumEditExC1->SetIntegerLength(6);
    SaNumEditExC1->SetDecimalLength(0);
    SaNumEditExC1->SetMinus(false);
    SaNumEditExC1->SetNotifier(&context.notifier);
    SaNumEditExC1->SetTextAsInteger(ReadDefaultAmount(IniGT1));
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    connect(BitBtn1, &QPushButton::clicked, this, &TKaimeSetForm::BitBtn1Click);

    auto* l = new QGridLayout(this);
    l->addWidget(text, 0, 0, 1, 4);
    l->addWidget(heading, 1, 0);
    l->addWidget(SaNumEditExC1, 1, 1);
    l->addWidget(new QLabel(QStringLiteral("円"), this), 1, 2);
    l->addWidget(BitBtn1, 1, 3);
    controls::NoImplicitDefaultButtons(*this);
}

void TKaimeSetForm::BitBtn1Click() {
    const int value = StoreDefaultAmount(context_, SaNumEditExC1->GetTextAsInteger());
    SaNumEditExC1->SetTextAsInteger(value);
    if (host_ && host_->RaceCount() >= 1) host_->ShowRace(day_.gCurRace);
    accept();
}

} // namespace betting
