// What the bet tab (betting/forms/betpage.h) asks of the window: the day and the races.

#include "app/forms/mainform.h"

#include "app/forms/mainform_parts.h"

#include <QComboBox>
#include <QListWidget>

namespace app {

using mainform_parts::ToUtf8;

std::string TMainForm::DateText() const {
    return LoadedDayStem();
}

int TMainForm::DateIndex() const {
    return DateCombo->currentIndex();
}

std::string TMainForm::RaceCaption(int item) const {
    QListWidgetItem* i = DatList->item(item);
    return i ? ToUtf8(i->text()) : std::string();
}

void TMainForm::ShowRace(int item) {
    SelectRace(item);
    DatListClick();
}

} // namespace app
