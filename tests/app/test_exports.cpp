// The R-horse CSV files the main window writes for the loaded day (menu CSV出力).

#include "keiba/fileio.h"
#include "keiba/markconv.h"
#include "tests/app/mainfixture.h"

#include "controls/folderviewer.h"

#include <QFileDialog>
#include <QListWidget>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

class Exports : public SampleTest {
protected:
    void Trigger(const char* item) { Find<QAction>(item)->trigger(); }
    std::vector<std::string> Lines(const fs::path& p) {
        const std::string bytes = Slurp(p);
        EXPECT_TRUE(bytes.ends_with("\r\n"));
        std::vector<std::string> out;
        for (std::string_view l : keiba::SplitLines(bytes)) out.emplace_back(l);
        return out;
    }
    // Runners of every race of the loaded day.
    std::size_t Runners() {
        std::size_t n = 0;
        for (int r = 0; r < Find<QListWidget>("DatList")->count(); ++r)
            n += static_cast<std::size_t>(raceday::FieldSize(Day(), r));
        return n;
    }
};

} // namespace

TEST_F(Exports, RHorsesAndRLevelsOfTheLoadedDay) {
    Start();
    Trigger("N37"); // no day chosen: nothing at all
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_FALSE(fs::exists(dir / "CSV" / "RUma20261128.csv"));

    ChooseDay(QStringLiteral("2026年11月28日"));
    WriteBytes(dir / "CSV" / "FukuSuisho20261128.csv", "");
    Trigger("N37");
    const fs::path ruma = dir / "CSV" / "RUma20261128.csv";
    const fs::path level = dir / "CSV" / "RLevel20261128.csv";
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0],
              "以下のCSVファイルを出力しました。\n" + ruma.string() + "\n" + level.string() + "\n");
    EXPECT_EQ(shell.opened,
              std::vector<std::string>{(dir / "CSV" / "FukuSuisho20261128.csv").string()});
    EXPECT_EQ(notifier.beeps, 0);

    const std::vector<std::string> marks = Lines(ruma);
    const std::vector<std::string> levels = Lines(level);
    ASSERT_EQ(marks.size(), Runners());
    ASSERT_EQ(levels.size(), marks.size());
    // Race 1, runner 1: the key, the horse number, the runner's mark as the card shows it.
    const std::string key(Day().gDayRaces[0].KeyText());
    EXPECT_TRUE(marks[0].starts_with(key + "01,"));
    const std::string& shown = Day().gRaceTexts[0].RUmaMark[0];
    EXPECT_EQ(marks[0].substr(19), shown == "R+" ? "1" : shown == "R-" ? "2" : "");
    const int raceLevel = keiba::TextToRLevel(Day().gRaceTexts[0].RaceRLevelText);
    EXPECT_EQ(levels[0].substr(19), raceLevel > 0 ? std::to_string(raceLevel) : "");
}

// The files are written all the same; that the place file could not be shown is said after.
TEST_F(Exports, APlaceFileNoProgramOpensIsReported) {
    Start();
    ChooseDay(QStringLiteral("2026年11月28日"));
    const fs::path fuku = dir / "CSV" / "FukuSuisho20261128.csv";
    WriteBytes(fuku, "");
    shell.succeed = false;
    Trigger("N37");
    ASSERT_EQ(notifier.messages.size(), 2u);
    EXPECT_TRUE(notifier.messages[0].starts_with("以下のCSVファイルを出力しました。"));
    EXPECT_EQ(notifier.messages[1],
              fuku.string() + " を開けませんでした。\nCSVファイルを開くソフトを確かめてください。");
    EXPECT_EQ(notifier.beeps, 1);
}

TEST_F(Exports, FailedWritesNameTheirFileAndAreNeverConfirmed) {
    Start();
    ChooseDay(QStringLiteral("2026年11月28日"));
    // A folder where the first file should be: its write fails, the second is not tried.
    fs::create_directories(dir / "CSV" / "RUma20261128.csv");
    Trigger("N37");
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_NE(notifier.messages[0].find((dir / "CSV" / "RUma20261128.csv").string()),
              std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "CSV" / "RLevel20261128.csv"));
    EXPECT_TRUE(shell.opened.empty());

    // Get and Give go to the folder chosen for them, which the export does not create.
    EXPECT_FALSE(Shown("GiveGet1"));
    EXPECT_FALSE(Shown("CSV2"));
    ASSERT_TRUE(Ini().WriteString("Dir", "CSV1", (dir / "elsewhere").string()));
    Trigger("GiveGet1");
    ASSERT_EQ(notifier.messages.size(), 2u);
    EXPECT_NE(notifier.messages[1].find((dir / "elsewhere" / "Get20261128.csv").string()),
              std::string::npos);
    fs::create_directories(dir / "elsewhere");
    Trigger("GiveGet1");
    EXPECT_EQ(notifier.messages.back(),
              "以下のCSVファイルを出力しました。\n" +
                  (dir / "elsewhere" / "Get20261128.csv").string() + "\n" +
                  (dir / "elsewhere" / "Give20261128.csv").string() + "\n");
    const std::string give = Slurp(dir / "elsewhere" / "Give20261128.csv");
    EXPECT_EQ(give, Slurp(dir / "elsewhere" / "Get20261128.csv"));
    EXPECT_TRUE(give.starts_with(std::string(Day().gDayRaces[0].KeyText()) + "01,\r\n"));
}

TEST_F(MainFormTest, AnExportWithoutRacesWritesNothingAndSaysWhy) {
    fs::create_directories(dir / "Data");
    WriteBytes(dir / "Data" / "2026年11月29日.jvHR", "");
    Start();
    auto* combo = Find<QComboBox>("DateCombo");
    combo->addItem(QStringLiteral("2026年11月29日"));
    ChooseDay(QStringLiteral("2026年11月29日")); // no race file: an empty race list
    notifier.messages.clear();
    Find<QAction>("N37")->trigger();
    Find<QAction>("GiveGet1")->trigger();
    EXPECT_EQ(notifier.messages,
              (std::vector<std::string>{"ﾃﾞｰﾀが不十分のようです。", "ﾃﾞｰﾀが不十分のようです。"}));
    EXPECT_TRUE(fs::is_empty(dir / "CSV"));
}

TEST_F(MainFormTest, TheGetGiveFolderIsChosenFromTheCsvFolder) {
    Start();
    auto* viewer = Find<controls::TFolderViewerEx>("FolderViewerEx1");
    QString title, start;
    viewer->SetExecHook([&](QFileDialog& d) {
        title = d.windowTitle();
        start = d.directory().absolutePath();
        d.setDirectory(QPath(dir.path()));
        return int(QDialog::Accepted);
    });
    Find<QAction>("CSV2")->trigger();
    EXPECT_EQ(title, QStringLiteral("CSVﾌｧｲﾙ出力先ﾌｫﾙﾀﾞの指定"));
    EXPECT_EQ(start, QPath(dir / "CSV"));
    EXPECT_EQ(Ini().ReadString("Dir", "CSV1", ""), dir.path().string());
}
