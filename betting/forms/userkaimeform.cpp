#include "betting/forms/userkaimeform.h"

#include "controls/qtext.h"
#include "controls/qtplatform.h"
#include "keiba/platform.h"
#include "keiba/sjis.h"
#include "search/nerairecord.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace betting {

namespace {

using controls::ToUtf8;
using controls::U;

// Selects `text` in `combo` without running its change handler; false when no item is equal.
bool SelectExact(QComboBox* combo, const QString& text) {
    const int i = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (i < 0) return false;
    const QSignalBlocker block(combo);
    combo->setCurrentIndex(i);
    return true;
}

QLabel* Note(const char* utf8, QWidget* parent) {
    auto* l = new QLabel(QString::fromUtf8(utf8), parent);
    l->setWordWrap(true);
    return l;
}

} // namespace

TUserKaimeForm::TUserKaimeForm(const keiba::ProgramContext& context, raceday::RaceDay& day,
                               QWidget* parent)
    : QDialog(parent)
    , context_(context)
    , day_(day)
    , sets_(day, context)
    , IniGT1(context.settings) {
    setObjectName(QStringLiteral("UserKaimeForm"));
    setWindowTitle(QStringLiteral("ユーザー買い目設定"));

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(
        Note("下記のユーザー買い目設定はメイン画面の買い目タブで「ユーザー」を選択した場合"
             "に有効になります。",
             this));
    auto* setsBox = new QGridLayout;
    const char* captions[3] = {"軸馬", "紐１", "紐２"};
    for (int u = 1; u <= 3; ++u) {
        auto* combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("NeraiKaimeCombo%1").arg(u));
        combo->setMinimumWidth(160);
        combos_[static_cast<std::size_t>(u - 1)] = combo;
        connect(combo, &QComboBox::activated, this, [this, u](int) { NeraiKaimeComboChange(u); });
        setsBox->addWidget(new QLabel(QString::fromUtf8(captions[u - 1]), this), u - 1, 0);
        setsBox->addWidget(combo, u - 1, 1);
    }
    setsBox->setColumnStretch(1, 1);
    outer->addLayout(setsBox);

    outer->addWidget(
        Note("上記選択組合せを保存しておきたい場合は設定名を入力後「設定登録」をクリックし"
             "てください。",
             this));
    auto* storeRow = new QHBoxLayout;
    storeRow->addWidget(new QLabel(QStringLiteral("設定名："), this));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(8);
    storeRow->addWidget(Edit1);
    BitBtn2 = new QPushButton(QStringLiteral("設定登録(&R)"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    connect(BitBtn2, &QPushButton::clicked, this, &TUserKaimeForm::BitBtn2Click);
    storeRow->addWidget(BitBtn2);
    outer->addLayout(storeRow);

    outer->addWidget(
        Note("保存された設定組合せは下記ドロップダウンメニューより呼び出すことができます。"
             "「設定削除」で削除もできます。",
             this));
    auto* selRow = new QHBoxLayout;
    selRow->addWidget(new QLabel(QStringLiteral("設定選択"), this));
    SelCombo = new QComboBox(this);
    SelCombo->setObjectName(QStringLiteral("SelCombo"));
    SelCombo->setMinimumWidth(120);
    connect(SelCombo, &QComboBox::activated, this, [this](int) { SelComboClick(); });
    selRow->addWidget(SelCombo, 1);
    SpeedButton2 = new QPushButton(QStringLiteral("設定削除"), this);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    connect(SpeedButton2, &QPushButton::clicked, this, &TUserKaimeForm::SpeedButton2Click);
    selRow->addWidget(SpeedButton2);
    outer->addLayout(selRow);

    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch(1);
    BitBtn1 = new QPushButton(QStringLiteral("閉じる(&C)"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    connect(BitBtn1, &QPushButton::clicked, this, &TUserKaimeForm::BitBtn1Click);
    closeRow->addWidget(BitBtn1);
    outer->addLayout(closeRow);

    auto hidden = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->hide();
        return b;
    };
    SpeedButton1 = hidden("SpeedButton1", QStringLiteral("設定追加"));
    connect(SpeedButton1, &QPushButton::clicked, this, &TUserKaimeForm::SpeedButton1Click);
    NeraiSearchBtn = hidden("NeraiSearchBtn", QStringLiteral("買い目狙い馬"));
    connect(NeraiSearchBtn, &QPushButton::clicked, this, &TUserKaimeForm::NeraiSearchBtnClick);
    MakeListBtn = hidden("MakeListBtn", QStringLiteral("MakeList"));
    connect(MakeListBtn, &QPushButton::clicked, this, &TUserKaimeForm::MakeListBtnClick);

    // The set combos are still empty here, so applying the stored setting only
    // fills the name; the combos take their names from MyfavoKai below.
    lines_.Load(search::UserSetPath(context_.folder));
    RefillSelCombo(IniGT1.ReadInteger("UserSetting", "SetID", 0));
    MakeListBtn->click();
    controls::NoImplicitDefaultButtons(*this);
}

QComboBox* TUserKaimeForm::NeraiKaimeCombo(int u) const {
    return u >= 1 && u <= 3 ? combos_[static_cast<std::size_t>(u - 1)] : nullptr;
}

std::string TUserKaimeForm::SetName(int u) const {
    QComboBox* combo = NeraiKaimeCombo(u);
    // A drop-down list has no text of its own: only a chosen item counts.
    if (!combo || combo->currentIndex() < 0) return {};
    return search::TrimNeraiName(ToUtf8(combo->currentText()));
}

void TUserKaimeForm::NeraiKaimeComboChange(int u) {
    const std::string name = SetName(u);
    if (name.empty()) return;
    if (sets_.Load(u, name) != search::NeraiSlotResult::Loaded) {
        // The combo would otherwise name a set that is not the one held.
        if (name != sets_.HeldName(u)) {
            QComboBox* combo = NeraiKaimeCombo(u);
            if (!SelectExact(combo, U(sets_.HeldName(u)))) {
                const QSignalBlocker block(combo);
                combo->setCurrentIndex(-1);
            }
        }
        return;
    }
    NeraiSearchBtn->click();
    if (keiba::IoResult io = IniGT1.WriteString("MyfavoKai", "nerai" + std::to_string(u), name);
        !io)
        context_.notifier.Information(io.message);
}

void TUserKaimeForm::NeraiSearchBtnClick() {
    std::array<bool, 3> active{};
    for (int u = 1; u <= 3; ++u) active[static_cast<std::size_t>(u - 1)] = !SetName(u).empty();
    sets_.Search(active, raceListCount_ ? raceListCount_() : day_.gDayRaceCount);
}

void TUserKaimeForm::MakeListBtnClick() {
    const std::vector<std::string> names = search::NeraiSetNames(context_.folder);
    for (int u = 1; u <= 3; ++u) {
        QComboBox* combo = NeraiKaimeCombo(u);
        const QSignalBlocker block(combo);
        combo->clear();
        for (const std::string& name : names) combo->addItem(U(name));
        const std::string favo =
            search::TrimNeraiName(IniGT1.ReadString("MyfavoKai", "nerai" + std::to_string(u), ""));
        combo->setCurrentIndex(
            favo.empty() ? -1
                         : combo->findText(U(favo), Qt::MatchExactly | Qt::MatchCaseSensitive));
    }
}

void TUserKaimeForm::RefillSelCombo(int select) {
    {
        const QSignalBlocker block(SelCombo);
        SelCombo->clear();
        for (int i = 0; i < lines_.Count(); ++i)
            SelCombo->addItem(controls::SjToQ(lines_.At(i).name));
        // An index the list does not hold selects nothing and applies nothing.
        SelCombo->setCurrentIndex(select >= 0 && select < lines_.Count() ? select : -1);
    }
    if (SelCombo->currentIndex() >= 0) SelComboClick();
}

void TUserKaimeForm::SelComboClick() {
    const int index = SelCombo->currentIndex();
    if (index < 0) return;
    if (keiba::IoResult io = IniGT1.WriteInteger("UserSetting", "SetID", index); !io)
        context_.notifier.Information(io.message);
    const search::UserSetting s = lines_.At(index);
    Edit1->setText(controls::SjToQ(s.name));
    const std::string* fields[3] = {&s.axis, &s.partner1, &s.partner2};
    for (int u = 1; u <= 3; ++u) SelectExact(NeraiKaimeCombo(u), controls::SjToQ(*fields[u - 1]));
    // The sets the form now shows are the ones the marks follow.
    for (int u = 1; u <= 3; ++u)
        if (!SetName(u).empty()) NeraiKaimeComboChange(u);
}

void TUserKaimeForm::SpeedButton1Click() {
    RefillSelCombo(lines_.Count() - 1);
}

void TUserKaimeForm::BitBtn2Click() {
    keiba::Notifier& notifier = context_.notifier;
    const char* missing[3] = {"軸馬が選択されていません。", "紐１が選択されていません。",
                              "紐２が選択されていません。"};
    for (int u = 1; u <= 3; ++u) {
        if (NeraiKaimeCombo(u)->currentIndex() < 0) {
            notifier.Beep();
            notifier.Information(missing[u - 1]);
            return;
        }
    }
    // Stored as CP932, so compared and shown in the form it reads back as.
    const std::string name = search::TrimNeraiName(controls::TypedText(Edit1->text()));
    if (name.empty()) {
        notifier.Information("設定名を入力してくだい。");
        return;
    }
    const std::optional<std::string> sjName = keiba::Utf8ToCp932Exact(name);
    if (!sjName) {
        notifier.Information("設定名に使えない文字が含まれています。");
        return;
    }

    int found = -1;
    for (int i = 0; i < SelCombo->count() && found < 0; ++i)
        if (search::TrimNeraiName(ToUtf8(SelCombo->itemText(i))) == name) found = i;
    if (found >= 0 && !notifier.YesNo("[" + name + "]はすでに登録済みの名称です。上書きしますか?"))
        return;

    const search::UserSetting setting{*sjName, controls::QToSj(combos_[0]->currentText()),
                                      controls::QToSj(combos_[1]->currentText()),
                                      controls::QToSj(combos_[2]->currentText())};
    if (keiba::IoResult io = lines_.Put(found, setting, search::UserSetPath(context_.folder));
        !io) {
        notifier.Information(io.message);
        return;
    }
    std::string told = found >= 0 ? "設定[" + name + "]を上書保存しました。"
                                  : "設定[" + name + "]を保存しました。";
    if (const std::string kept = KeptNote(); !kept.empty()) told += "\r\n" + kept;
    notifier.Information(told);
    // The setting just stored is the one shown, where the file as it now stands holds it.
    RefillSelCombo(lines_.LastPut());
}

void TUserKaimeForm::SpeedButton2Click() {
    keiba::Notifier& notifier = context_.notifier;
    const int index = SelCombo->currentIndex();
    if (SelCombo->count() == 0 || index < 0) {
        notifier.Information("削除項目がありません。");
        return;
    }
    if (!notifier.YesNo(ToUtf8(SelCombo->itemText(index)) + " を削除しますか?")) return;
    if (keiba::IoResult io = lines_.Remove(index, search::UserSetPath(context_.folder)); !io) {
        notifier.Information(io.message);
        return;
    }
    if (const std::string kept = KeptNote(); !kept.empty()) notifier.Information(kept);
    // The list as the file now stands, its first setting shown.
    RefillSelCombo(lines_.Count() > 0 ? 0 : -1);
}

std::string TUserKaimeForm::KeptNote() const {
    const std::size_t unread = lines_.Unreadable();
    if (unread == 0) return {};
    return keiba::UnreadLinesKeptText(search::UserSetPath(context_.folder), unread);
}

void TUserKaimeForm::BitBtn1Click() {
    close();
}

} // namespace betting
