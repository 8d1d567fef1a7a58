// Commands of the race-day list: the list of days, loading a day, showing and hiding the list.

#include "app/forms/mainform.h"

#include "app/forms/mainform_parts.h"

#include <QComboBox>
#include <QFrame>
#include <QListWidget>
#include <QTabWidget>

namespace app {

using mainform_parts::ToUtf8;
using mainform_parts::U;

std::vector<std::string> TMainForm::DateList() const {
    std::vector<std::string> list;
    for (int i = 0; i < DateCombo->count(); ++i) list.push_back(ToUtf8(DateCombo->itemText(i)));
    return list;
}

void TMainForm::MakeDataListBtnClick() {
    DateCombo->clear();
    for (const std::string& stem : raceday::MakeDataList(appDir_)) DateCombo->addItem(U(stem));
    DateCombo->setCurrentIndex(-1);
}

void TMainForm::DateComboChange() {
    if (Busy()) {
        // The combo goes back to the day that stays loaded.
        QSignalBlocker block(DateCombo);
        DateCombo->setCurrentIndex(DateCombo->findText(U(Day().dayStem)));
        return;
    }
    std::string stem = ToUtf8(DateCombo->currentText());
    raceday::DateComboChange(Day(), stem, *this, appDir_);
}

void TMainForm::DirectReadBtnClick() {
    if (Busy()) return;
    raceday::DirectReadBtnClick(Day(), DateList(), *this, appDir_);
    // The combo shows the day left loaded.
    int i = DateCombo->findText(U(Day().dayStem));
    if (i >= 0) DateCombo->setCurrentIndex(i);
}

// What the import added shows up as days in the list; the race shown may be gone.
void TMainForm::AfterDataImport() {
    {
        QSignalBlocker block(DatList);
        DatList->clear();
    }
    PageControl1->hide();
    MakeDataListBtnClick();
}

void TMainForm::SpeedButton1Click() {
    Panel6->setVisible(Panel6->isHidden());
}

} // namespace app
