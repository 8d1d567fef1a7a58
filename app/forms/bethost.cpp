#include "app/forms/bethost.h"

#include "app/forms/mainform_parts.h"
#include "keiba/operations.h"

#include <QComboBox>
#include <QListWidget>

namespace app {

using mainform_parts::ToUtf8;

std::string MainBetHost::DateText() const {
    return ToUtf8(ui.DateCombo->currentText());
}

int MainBetHost::DateIndex() const {
    return ui.DateCombo->currentIndex();
}

int MainBetHost::RaceCount() const {
    return ui.DatList->count();
}

int MainBetHost::SelectedRace() const {
    return ui.DatList->currentRow();
}

std::string MainBetHost::RaceCaption(int item) const {
    QListWidgetItem* i = ui.DatList->item(item);
    return i ? ToUtf8(i->text()) : std::string();
}

void MainBetHost::ShowRace(int item) {
    {
        QSignalBlocker block(ui.DatList);
        ui.DatList->setCurrentRow(item);
    }
    showSelectedRace_();
}

bool MainBetHost::Busy() const {
    return operations_.Busy();
}

} // namespace app
