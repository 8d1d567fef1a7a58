// Commands of the race-day list: the list of days, loading a day, showing and hiding the list.

#include "app/forms/mainform.h"

#include "app/forms/dayloadhost.h"
#include "app/forms/mainform_parts.h"
#include "app/forms/raceheaderview.h"
#include "keiba/platform.h"

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
    keiba::IoResult listed;
    for (const std::string& stem : raceday::MakeDataList(appDir_, &listed))
        DateCombo->addItem(U(stem));
    // Made at start-up and after every import: a folder of days that cannot be listed is said
    // once, not at each.
    tellListFailure_(context_.notifier, listed.message);
    DateCombo->setCurrentIndex(-1);
}

void TMainForm::DateComboChange() {
    if (Busy()) {
        // A search, a fetch or another load holds the day: the combo goes back to the day that
        // stays loaded, and says why.
        {
            QSignalBlocker block(DateCombo);
            DateCombo->setCurrentIndex(DateCombo->findText(U(Day().dayStem)));
        }
        context_.notifier.Beep();
        context_.notifier.Information(keiba::kOtherOperationRunning);
        return;
    }
    std::string stem = ToUtf8(DateCombo->currentText());
    const keiba::OperationOwner::Hold hold = operations_.Take(keiba::Operation::DayLoad);
    raceday::LoadDay(Day(), stem, *loadView_, *loadSteps_, context_);
}

void TMainForm::DirectReadBtnClick() {
    keiba::OperationOwner::Hold hold = operations_.Take(keiba::Operation::BatchLoad);
    if (!hold) return;
    raceday::LoadDaysWithoutStats(Day(), DateList(), *loadView_, *loadSteps_, context_);
    hold.Release();
    // The combo shows the day left loaded.
    int i = DateCombo->findText(U(Day().dayStem));
    if (i >= 0) DateCombo->setCurrentIndex(i);
}

// What the import added shows up as days in the list; the race shown may be gone, and no day
// is chosen until the user picks one again.
void TMainForm::AfterDataImport() {
    {
        QSignalBlocker block(DatList);
        DatList->clear();
    }
    PageControl1->hide();
    header_->Clear();
    MakeDataListBtnClick();
}

void TMainForm::SisuStatBtn2Click() {}

void TMainForm::SpeedButton1Click() {
    Panel6->setVisible(Panel6->isHidden());
}

} // namespace app
