#include "app/forms/bethost.h"

#include "app/forms/mainform_parts.h"
#include "controls/folderviewer.h"
#include "keiba/operations.h"

#include <QComboBox>
#include <QListWidget>

namespace app {

using mainform_parts::ToUtf8;
using mainform_parts::U;

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

std::optional<std::string> MainBetHost::ChooseFolder(const std::string& caption,
                                                     const std::string& start) {
    controls::TFolderViewerEx* viewer = ui.FolderViewerEx1;
    if (viewer == nullptr) return std::nullopt;
    viewer->SetCaption(U(caption));
    viewer->SetSelectedFolder(U(start));
    if (!viewer->Execute()) return std::nullopt;
    return ToUtf8(viewer->Folder());
}

} // namespace app
