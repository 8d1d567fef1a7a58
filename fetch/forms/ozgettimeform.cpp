#include "fetch/forms/ozgettimeform.h"

#include "controls/fonts.h"
#include "controls/halfwidthinput.h"
#include "controls/qtplatform.h"
#include "keiba/fileio.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>
#include <string>

namespace fetch {
namespace {

struct Key {
    const char* ident;
    int def, lo, hi;
};
constexpr Key kAutoOzGet{"AutoOzGet", 10, 3, 59};
constexpr Key kAutoBataijuGet{"AutoBataijuGet", 37, 2, 59};
constexpr Key kAutoRdataGet{"AutoRdataGet", 10, 5, 59};

QLabel* Text(QWidget* parent, const QString& text, QRect geometry, bool wrap = false) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(geometry);
    l->setWordWrap(wrap);
    return l;
}

QLabel* Heading(QWidget* parent, const QString& text, QRect geometry) {
    QLabel* l = Text(parent, text, geometry);
    QFont f = l->font();
    f.setBold(true);
    f.setUnderline(true);
    l->setFont(f);
    l->setStyleSheet(QStringLiteral("color: blue"));
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return l;
}

QSpinBox* Spin(QWidget* parent, const keiba::TIniGT& ini, const char* name, const Key& k,
               QRect geometry) {
    auto* s = new controls::TSpinEdit(parent);
    s->setObjectName(QString::fromLatin1(name));
    s->setGeometry(geometry);
    s->setRange(k.lo, k.hi);
    s->setValue(std::clamp(ini.ReadInteger("Time", k.ident, k.def), k.lo, k.hi));
    return s;
}

} // namespace

TOzGetTimeForm::TOzGetTimeForm(const keiba::ProgramContext& context, QWidget* parent)
    : QDialog(parent)
    , ini_(context.settings)
    , notifier_(context.notifier) {
    setObjectName(QStringLiteral("OzGetTimeForm"));
    setWindowTitle(QStringLiteral("データﾞ自動取得時刻指定"));
    setFixedSize(311, 220);
    QFont f = controls::PGothicFont(9);
    f.setPixelSize(12);
    setFont(f);

    Heading(this, QStringLiteral("オッズ自動取得時刻指定"), {8, 8, 200, 18});
    Text(
        this,
        QStringLiteral("ｵｯｽﾞを自動取得する際に各ﾚｰｽ発走何分前に取得機能を起動するかを指定します。"),
        {16, 30, 287, 30}, true);
    Text(this, QStringLiteral("発走"), {16, 66, 30, 20});
    SpinEdit3 = Spin(this, ini_, "SpinEdit3", kAutoOzGet, {48, 64, 48, 22});
    Text(this, QStringLiteral("分前"), {100, 66, 40, 20});

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(8, 96, 295, 4);

    Heading(this, QStringLiteral("結果情報自動取得時刻指定"), {8, 106, 200, 18});
    Text(this, QStringLiteral("随時更新されるﾚｰｽ結果情報を何分おきに自動取得するか指定します。"),
         {16, 128, 287, 30}, true);
    SpinEdit1 = Spin(this, ini_, "SpinEdit1", kAutoRdataGet, {16, 162, 48, 22});
    Text(this, QStringLiteral("分間隔"), {68, 164, 60, 20});

    // Stored and offered, but no fetch uses it: the group stays hidden below the client area.
    auto* hidden = new QWidget(this);
    hidden->setGeometry(0, 230, 311, 90);
    Heading(hidden, QStringLiteral("馬体重ﾃﾞｰﾀ自動取得時刻指定"), {8, 0, 200, 18});
    Text(hidden,
         QStringLiteral(
             "馬体重ﾃﾞｰﾀを自動取得する際に各ﾚｰｽ発走何分前に取得機能を起動するかを指定します。"),
         {16, 22, 287, 30}, true);
    Text(hidden, QStringLiteral("発走"), {16, 58, 30, 20});
    SpinEdit2 = Spin(hidden, ini_, "SpinEdit2", kAutoBataijuGet, {48, 56, 48, 22});
    Text(hidden, QStringLiteral("分前"), {100, 58, 40, 20});
    hidden->hide();

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(224, 188, 79, 25);
    connect(BitBtn1, &QPushButton::clicked, this, &TOzGetTimeForm::BitBtn1Click);
    controls::NoImplicitDefaultButtons(*this);
}

void TOzGetTimeForm::BitBtn1Click() {
    const std::string oz = std::to_string(SpinEdit3->value());
    const std::string weight = std::to_string(SpinEdit2->value());
    const std::string results = std::to_string(SpinEdit1->value());
    // The times take effect only from the file: one that keeps them (a read-only disk, a file
    // saved as UTF-16) says so rather than letting the user think them set.
    if (keiba::IoResult io = ini_.WriteStrings("Time", {{kAutoOzGet.ident, oz},
                                                        {kAutoBataijuGet.ident, weight},
                                                        {kAutoRdataGet.ident, results}});
        !io)
        notifier_.Information(io.message);
    accept();
}

} // namespace fetch
