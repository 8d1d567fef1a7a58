// The R-horse CSV files of the loaded day (menu CSV出力): R marks and R levels, the hidden Get
// and Give files and the choice of their folder.

#include "app/forms/mainform.h"

#include "app/forms/mainform_parts.h"
#include "controls/folderviewer.h"
#include "keiba/fileio.h"
#include "keiba/platform.h"
#include "search/rexports.h"

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QMenu>

namespace app {

using mainform_parts::ToUtf8;
using mainform_parts::U;

namespace fs = std::filesystem;

namespace {

// An export needs races: the files are named by the first race's date, which a day without
// races does not have, and empty files would pass for the export of a day. Nothing is written.
bool HaveRaces(keiba::Notifier& notifier, int raceCount) {
    if (raceCount > 0) return true;
    notifier.Beep();
    notifier.Information("ﾃﾞｰﾀが不十分のようです。");
    return false;
}

} // namespace

void TMainForm::BuildExportMenuItems(QMenu* csv) {
    connect(MenuItem(csv, "N37", QStringLiteral("R馬, Rレベル")), &QAction::triggered, this,
            &TMainForm::N37Click);
    QAction* giveGet = MenuItem(csv, "GiveGet1", QStringLiteral("Get・Give"));
    giveGet->setVisible(false);
    connect(giveGet, &QAction::triggered, this, &TMainForm::GiveGet1Click);
}

void TMainForm::BuildExportFolderItem(QMenu* option) {
    QAction* csv2 = MenuItem(option, "CSV2", QStringLiteral("CSVﾌｧｲﾙ出力先ﾌｫﾙﾀﾞ指定"));
    csv2->setVisible(false);
    connect(csv2, &QAction::triggered, this, &TMainForm::CSV2Click);
}

void TMainForm::N37Click() {
    if (DateCombo->currentIndex() < 0 || !Free()) return;
    if (!HaveRaces(context_.notifier, DatList->count())) return;
    const auto date = search::RExportDate(Day());
    if (!date) {
        HaveRaces(context_.notifier, 0);
        return;
    }
    keiba::Notifier& notifier = context_.notifier;
    const fs::path folder = appDir_ / "CSV";
    if (keiba::IoResult io = keiba::CreateFolders(folder); !io) {
        notifier.Information(io.message);
        return;
    }
    const fs::path ruma = folder / ("RUma" + *date + ".csv");
    const fs::path level = folder / ("RLevel" + *date + ".csv");
    const int races = DatList->count();
    if (keiba::IoResult io = search::WriteRExportPair(
            ruma, search::RExportBytes(Day(), races, search::RExportKind::RUma), level,
            search::RExportBytes(Day(), races, search::RExportKind::RLevel));
        !io) {
        notifier.Information(io.message);
        return;
    }
    const fs::path fuku = folder / ("FukuSuisho" + *date + ".csv");
    std::error_code ec;
    const bool unopened = fs::exists(fuku, ec) && !context_.shell.Open(keiba::PathToUtf8(fuku));
    notifier.Information(search::RExportMessage(ruma, level));
    if (unopened) {
        notifier.Beep();
        notifier.Information(keiba::PathToUtf8(fuku) +
                             " を開けませんでした。\nCSVファイルを開くソフトを確かめてください。");
    }
}

void TMainForm::GiveGet1Click() {
    if (DateCombo->currentIndex() < 0 || !Free()) return;
    if (!HaveRaces(context_.notifier, DatList->count())) return;
    const auto date = search::RExportDate(Day());
    if (!date) {
        HaveRaces(context_.notifier, 0);
        return;
    }
    // The folder is the user's choice and is not created: a missing one fails the write, which
    // names the file.
    const fs::path folder =
        keiba::Utf8Path(ini_.ReadString("Dir", "CSV1", keiba::PathToUtf8(appDir_ / "CSV")));
    const fs::path get = folder / ("Get" + *date + ".csv");
    const fs::path give = folder / ("Give" + *date + ".csv");
    const std::string bytes =
        search::RExportBytes(Day(), DatList->count(), search::RExportKind::Empty);
    if (keiba::IoResult io = search::WriteRExportPair(get, bytes, give, bytes); !io) {
        context_.notifier.Information(io.message);
        return;
    }
    context_.notifier.Information(search::RExportMessage(get, give));
}

void TMainForm::CSV2Click() {
    FolderViewerEx1->SetCaption(QStringLiteral("CSVﾌｧｲﾙ出力先ﾌｫﾙﾀﾞの指定"));
    FolderViewerEx1->SetSelectedFolder(
        U(ini_.ReadString("Dir", "CSV1", keiba::PathToUtf8(appDir_ / "CSV"))));
    if (!FolderViewerEx1->Execute()) return;
    SayIfNotSaved(ini_.WriteString("Dir", "CSV1", ToUtf8(FolderViewerEx1->Folder())));
}

} // namespace app
