#pragma once
// `TUserKaimeForm` (ユーザー買い目設定): three saved target sets for the axis runners (軸馬) and
// the first and second partners (紐１, 紐２), whose matching runners the automatic marks take
// when the bet tab is in user mode, and named triples of them kept in `UserSet.usd`. Created at
// start-up and kept for the run; the main window shows it modally.

#include "keiba/context.h"
#include "raceday/daymodel.h"
#include "search/usersets.h"

#include <QDialog>

#include <array>
#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace betting {

class TUserKaimeForm : public QDialog {
    Q_OBJECT
public:
    // The stored settings listed and the one of `UserSetting`/`SetID` applied, then
    // the set lists made. The sets are searched over `day`, which must outlive the form.
    TUserKaimeForm(const keiba::ProgramContext& context, raceday::RaceDay& day,
                   QWidget* parent = nullptr);

    // The main window's race list count (default: the races of the loaded day).
    void SetRaceListCount(std::function<int()> count) { raceListCount_ = std::move(count); }

    QComboBox* NeraiKaimeCombo(int u) const; // u = 1..3
    QComboBox* SelComboBox() const { return SelCombo; }
    QLineEdit* NameEdit() const { return Edit1; }
    const search::UserNeraiSets& Sets() const { return sets_; }

    // --- handlers ---
    // A set chosen in NeraiKaimeCombo<u>: it is loaded, every set searched and the name
    // remembered under `MyfavoKai`/`nerai<u>`. The day load calls it for each combo that
    // names a set.
    void NeraiKaimeComboChange(int u);
    void NeraiSearchBtnClick();
    // The three combos list the saved sets again and select the names of `MyfavoKai`. A folder
    // of sets that cannot be listed leaves them empty without a word here: the target form lists
    // the same folder at the same times and says it.
    void MakeListBtnClick();
    void BitBtn2Click();      // 設定登録
    void SpeedButton2Click(); // 設定削除
    void SpeedButton1Click(); // the stored settings listed again, the last one applied
    void SelComboClick();     // the chosen stored setting applied
    void BitBtn1Click();      // 閉じる

private:
    // SelCombo refilled from the lines, item `select` (when there is one) selected and applied.
    void RefillSelCombo(int select);
    // What a change of the settings file said of its lines that do not read as settings, which
    // it wrote back as they were; empty when there are none.
    std::string KeptNote() const;
    std::string SetName(int u) const; // the trimmed name combo u shows, UTF-8

    const keiba::ProgramContext& context_;
    raceday::RaceDay& day_;
    std::function<int()> raceListCount_;
    search::UserSetList lines_;
    search::UserNeraiSets sets_;
    keiba::TIniGT& IniGT1;
    std::array<QComboBox*, 3> combos_{};
    QComboBox* SelCombo = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* SpeedButton2 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* SpeedButton1 = nullptr;
    QPushButton* NeraiSearchBtn = nullptr;
    QPushButton* MakeListBtn = nullptr;
};

} // namespace betting
