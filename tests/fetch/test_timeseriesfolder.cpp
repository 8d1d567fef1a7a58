// The choice of the time-series odds folder.

#include "controls/folderviewer.h"
#include "fetch/forms/timeseriesfolder.h"
#include "tests/fetch/fetchfixture.h"
#include "tests/support/widgets.h"

#include <QFileDialog>

using namespace testsupport;

using TimeSeriesFolder = FetchFixture;

TEST_F(TimeSeriesFolder, AChoiceIsStoredAndACancelKeepsTheOldOne) {
    std::filesystem::create_directories(dir / "series");
    controls::TFolderViewerEx viewer(notifier);
    QString preselected;
    viewer.SetExecHook([&](QFileDialog& d) {
        preselected = viewer.SelectedFolder();
        d.setDirectory(QPath(dir / "series"));
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(fetch::N12Click(context, viewer));
    EXPECT_EQ(preselected, QPath(dir.path()));
    EXPECT_EQ(context.settings.ReadString("Dir", "jikeiretu", ""), (dir / "series").string());

    viewer.SetExecHook([&](QFileDialog&) { return int(QDialog::Rejected); });
    EXPECT_FALSE(fetch::N12Click(context, viewer));
    EXPECT_EQ(context.settings.ReadString("Dir", "jikeiretu", ""), (dir / "series").string());
}

// A folder name the Shift-JIS settings file cannot hold is refused by the store: the command
// says so with the cause instead of closing as if the folder were kept.
TEST_F(TimeSeriesFolder, AFolderTheSettingsCannotHoldIsSaidWithItsCause) {
    ASSERT_TRUE(context.settings.WriteString("Dir", "jikeiretu", keiba::PathToUtf8(dir.path())));
    const std::filesystem::path chosen = dir.path() / keiba::Utf8Path("séries");
    std::filesystem::create_directories(chosen);
    controls::TFolderViewerEx viewer(notifier);
    viewer.SetExecHook([&](QFileDialog& d) {
        d.setDirectory(QPath(chosen));
        return int(QDialog::Accepted);
    });
    EXPECT_FALSE(fetch::N12Click(context, viewer));
    EXPECT_EQ(notifier.messages,
              std::vector<std::string>{"Shift-JISで表せない文字を含む設定値は保存できません。"});
    EXPECT_EQ(context.settings.ReadString("Dir", "jikeiretu", ""), keiba::PathToUtf8(dir.path()));
}

// The settings file would give 〜 back as ～, naming another folder: nothing is stored and the
// box says why.
TEST_F(TimeSeriesFolder, AFolderTheSettingsFileCannotKeepIsRefusedAndSaid) {
    const std::filesystem::path folder = dir / "競馬〜データ";
    std::filesystem::create_directories(folder);
    controls::TFolderViewerEx viewer(notifier);
    viewer.SetExecHook([&](QFileDialog& d) {
        d.setDirectory(QPath(folder));
        return int(QDialog::Accepted);
    });
    EXPECT_FALSE(fetch::N12Click(context, viewer));
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_TRUE(notifier.messages[0].ends_with("に変わってしまうため、保存できません。"))
        << notifier.messages[0];
    EXPECT_EQ(context.settings.ReadString("Dir", "jikeiretu", "(none)"), "(none)");
}
