// Commands of the options: the folders of outside programs, the window's toggles (restored at
// creation) and the automatic odds.

#include "app/forms/mainform.h"

#include "app/forms/fetchhost.h"
#include "app/forms/mainform_parts.h"
#include "controls/folderviewer.h"
#include "fetch/forms/timeseriesfolder.h"
#include "keiba/fileio.h"
#include "keiba/platform.h"
#include "views/grid.h"

#include <QAction>
#include <QTimer>

namespace app {

using mainform_parts::ToUtf8;
using mainform_parts::U;

void TMainForm::ChooseFolder(const QString& title, const char* key) {
    FolderViewerEx1->SetCaption(title);
    FolderViewerEx1->SetSelectedFolder(U(ini_.ReadString("Dir", key, keiba::PathToUtf8(appDir_))));
    if (!FolderViewerEx1->Execute()) return;
    SayIfNotSaved(ini_.WriteString("Dir", key, ToUtf8(FolderViewerEx1->Folder())));
}

void TMainForm::N12Click() {
    fetch::N12Click(context_, *FolderViewerEx1);
}

void TMainForm::N28Click() {
    ChooseFolder(QStringLiteral("BRIVEL買い目ﾌｫﾙﾀﾞの指定"), "kaime");
}

void TMainForm::N29Click() {
    ChooseFolder(QStringLiteral("朝時系列ｵｯｽﾞﾃﾞｰﾀﾌｫﾙﾀﾞの指定"), "jikeiretuAsa");
}

// The bet tab restores its own two mode groups (KaimeSet/HaibunSet and KaimeRogic).
void TMainForm::RestoreOptions() {
    hidelist->setChecked(ini_.ReadBool("datalist", "close", false));
    N30->setChecked(ini_.ReadBool("alarm", "mail", false));
}

// The toggles' actions are checkable: the menu has inverted the check mark before these run.
void TMainForm::hidelistClick() {
    SayIfNotSaved(ini_.WriteBool("datalist", "close", hidelist->isChecked()));
}

void TMainForm::FoldHyoClick() {
    const bool folded = FoldHyo->isChecked();
    views::StringGrid* card = Grid(QStringLiteral("StringGrid10"));
    card->SetColWidth(2, folded ? -1 : 125);
    card->SetColWidth(3, folded ? -1 : 30);
    card->SetColWidth(5, folded ? -1 : 30);
    SayIfNotSaved(ini_.WriteBool("FoldGrid", "IjoHyo", folded));
}

void TMainForm::N30Click() {
    if (N30->isChecked())
        DeliverTimer->start();
    else
        DeliverTimer->stop();
    SayIfNotSaved(ini_.WriteBool("alarm", "mail", N30->isChecked()));
}

void TMainForm::AutoOzCheckClick() {
    fetch::ArmOddsTimer(*fetchHost_);
}

} // namespace app
