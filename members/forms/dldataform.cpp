#include "members/forms/dldataform.h"

#include "controls/qtext.h"
#include "controls/qtplatform.h"
#include "controls/speedbutton.h"
#include "members/browser.h"
#include "members/idpass.h"
#include "members/site.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace members {
namespace {

using controls::ToUtf8;
using controls::U;

} // namespace

TDLDataForm::TDLDataForm(const keiba::ProgramContext& context, keiba::OperationOwner& operations,
                         QWidget* parent)
    : QDialog(parent)
    , context_(context)
    , downloads_(context, operations, SiteAccess{SiteBaseUrl(), {}}, false) {
    setObjectName(QStringLiteral("DLDataForm"));
    setWindowTitle(QStringLiteral("ケストレーン過去データ取得"));

    auto* column = new QVBoxLayout(this);
    RadioGroup1 = new QGroupBox(QStringLiteral("データの種類"), this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    auto* radios = new QHBoxLayout(RadioGroup1);
    radioItems_ = new QButtonGroup(RadioGroup1);
    int id = 0;
    for (const QString& text :
         {QStringLiteral("年単位"), QStringLiteral("月単位"), QStringLiteral("３ヶ月単位")}) {
        auto* r = new QRadioButton(text, RadioGroup1);
        r->setObjectName(QStringLiteral("RadioGroup1Item") + QString::number(id));
        radioItems_->addButton(r, id++);
        radios->addWidget(r);
    }
    radioItems_->button(kPeriodYear)->setChecked(true);
    connect(radioItems_, &QButtonGroup::idClicked, this, [this](int) { RadioGroup1Click(); });
    column->addWidget(RadioGroup1);

    auto* choice = new QHBoxLayout;
    auto* choiceLabel = new QLabel(QStringLiteral("データ選択"), this);
    choice->addWidget(choiceLabel);
    DLCombo = new QComboBox(this);
    DLCombo->setObjectName(QStringLiteral("DLCombo"));
    DLCombo->setMaxVisibleItems(36);
    DLCombo->setMinimumContentsLength(16);
    choiceLabel->setBuddy(DLCombo);
    choice->addWidget(DLCombo, 1);
    column->addLayout(choice);

    Gauge1 = new QProgressBar(this);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setRange(0, 100);
    Gauge1->setValue(0);
    column->addWidget(Gauge1);

    auto* buttons = new QHBoxLayout;
    DLBtn = new QPushButton(QStringLiteral("ダウンロード"), this);
    DLBtn->setObjectName(QStringLiteral("DLBtn"));
    connect(DLBtn, &QPushButton::clicked, this, &TDLDataForm::DLBtnClick);
    buttons->addWidget(DLBtn);
    SpeedButton1 = new controls::TLbSpeedButton(this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->SetCaption(QStringLiteral("中止"));
    SpeedButton1->SetColorStyle(controls::TLbColorStyle::lcsDefault);
    SpeedButton1->SetAlignment(controls::TAlignment::taCenter);
    SpeedButton1->setFixedSize(DLBtn->sizeHint());
    connect(SpeedButton1, &controls::TLbSpeedButton::OnClick, this,
            &TDLDataForm::SpeedButton1Click);
    buttons->addWidget(SpeedButton1);
    buttons->addStretch(1);
    column->addLayout(buttons);

    auto* note = new QLabel(
        QStringLiteral("※年単位は前年以前、月単位と３ヶ月単位は本年分のみ取得可能です。"), this);
    note->setObjectName(QStringLiteral("Label1"));
    column->addWidget(note);

    // The purchase part: nothing shows it.
    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("Bevel1"));
    line->setFrameShape(QFrame::HLine);
    line->hide();
    column->addWidget(line);
    auto* buyLabel = new QLabel(QStringLiteral("■データ未購入の方はこちら"), this);
    buyLabel->setObjectName(QStringLiteral("Label2"));
    buyLabel->hide();
    column->addWidget(buyLabel);
    auto* buy = new QHBoxLayout;
    BuyPastDataBtn = new controls::TLbSpeedButton(this);
    BuyPastDataBtn->setObjectName(QStringLiteral("BuyPastDataBtn"));
    BuyPastDataBtn->SetCaption(QStringLiteral("過去データ購入へ"));
    BuyYosoDataBtn = new controls::TLbSpeedButton(this);
    BuyYosoDataBtn->setObjectName(QStringLiteral("BuyYosoDataBtn"));
    BuyYosoDataBtn->SetCaption(QStringLiteral("予想データ購入へ"));
    for (controls::TLbSpeedButton* b : {BuyPastDataBtn, BuyYosoDataBtn}) {
        controls::UseFormButtonLook(*b);
        b->setFixedSize(120, 26);
        b->hide();
        buy->addWidget(b);
    }
    connect(BuyPastDataBtn, &controls::TLbSpeedButton::OnClick, this,
            [this] { BuyPastDataBtnClick(true); });
    connect(BuyYosoDataBtn, &controls::TLbSpeedButton::OnClick, this,
            [this] { BuyPastDataBtnClick(false); });
    column->addLayout(buy);

    RadioGroup1Click();
    controls::NoImplicitDefaultButtons(*this);
}

TDLDataForm::~TDLDataForm() = default;

int TDLDataForm::RadioGroup1ItemIndex() const {
    return radioItems_->checkedId();
}

void TDLDataForm::RadioGroup1Click() {
    DLCombo->clear();
    for (const std::string& item : PeriodItems(RadioGroup1ItemIndex(), context_.clock.Now()))
        DLCombo->addItem(U(item));
    DLCombo->setCurrentIndex(-1);
}

void TDLDataForm::DLBtnClick() {
    if (downloads_.Running()) return;
    if (DLCombo->currentIndex() < 0) {
        context_.notifier.Beep();
        context_.notifier.Information(std::string(kMsgChoosePeriod));
        return;
    }
    gDownloadAbort = false;
    downloads_.PastData(PeriodOf(RadioGroup1ItemIndex(), ToUtf8(DLCombo->currentText())), *this);
}

void TDLDataForm::SpeedButton1Click() {
    gDownloadAbort = true;
}

void TDLDataForm::BuyPastDataBtnClick(bool pastData) {
    std::string url = downloads_.Site().baseUrl;
    if (pastData) {
        if (DLCombo->currentIndex() < 0) {
            context_.notifier.Beep();
            context_.notifier.Information(std::string(kMsgChoosePeriod));
            return;
        }
        PeriodQuery p = PeriodOf(RadioGroup1ItemIndex(), ToUtf8(DLCombo->currentText()));
        url += PastPurchasePath(p.tp, p.t);
    } else {
        url += ForecastPurchasePath();
    }
    OpenPurchasePage(context_, url);
}

void TDLDataForm::done(int result) {
    if (downloads_.Running()) gDownloadAbort = true;
    QDialog::done(result);
}

void TDLDataForm::SetBusyCursor(bool busy) {
    if (busy == busyCursor_) return;
    busyCursor_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TDLDataForm::SetDownloadActionsEnabled(bool enabled) {
    for (QWidget* w : {static_cast<QWidget*>(DLBtn), static_cast<QWidget*>(BuyPastDataBtn),
                       static_cast<QWidget*>(BuyYosoDataBtn)})
        w->setEnabled(enabled);
}

void TDLDataForm::ShowProgress(int percent) {
    if (percent < 0) {
        Gauge1->setRange(0, 0);
    } else {
        Gauge1->setRange(0, 100);
        Gauge1->setValue(percent);
    }
}

bool TDLDataForm::ProcessMessages() {
    QCoreApplication::processEvents();
    return gDownloadAbort;
}

} // namespace members
