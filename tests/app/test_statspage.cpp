// The 統計 tab of the main window: loading a table of past races, counting it by rank and saving
// it under HPupload.

#include "keiba/csvsplit.h"
#include "tests/app/mainfixture.h"
#include "tests/support/filedialogs.h"
#include "tests/support/unreadable.h"

#include <QFileDialog>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

class StatsTab : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        WriteBytes(dir / "PrimaryToggleQuib.key", "");
        Start();
    }
    // The file dialog of Load answers with `path` (nothing: cancelled).
    void Answer(std::optional<fs::path> path) {
        Main().SetModalHookForTest([this, path](QDialog& d) {
            auto* files = qobject_cast<QFileDialog*>(&d);
            ASSERT_NE(files, nullptr);
            startFolder = files->directory().absolutePath();
            if (!path) {
                d.done(QDialog::Rejected);
                return;
            }
            files->selectFile(QPath(*path));
            d.done(QDialog::Accepted);
        });
    }
    void Click(const char* name) { Find<QPushButton>(name)->click(); }
    views::GridModel& Data() { return *Grid("StringGrid22")->Model(); }
    views::GridModel& Summary() { return *Grid("StringGrid4")->Model(); }

    QString startFolder;
};

// A line of 39 quoted cells with the three ranks, their second ranks and the payouts.
std::string RaceLine(std::array<const char*, 6> ranks, const char* win, const char* quinella,
                     const char* trio) {
    std::vector<std::string> cells(39);
    for (std::size_t i = 0; i < 6; ++i) cells[9 + i] = ranks[i];
    cells[15] = win;
    cells[25] = quinella;
    cells[35] = trio;
    cells[0] = "2026/11/28";
    return keiba::JoinQuotedFields(cells) + "\r\n";
}

} // namespace

TEST_F(StatsTab, LoadCountSaveAndLoadAgain) {
    EXPECT_TRUE(VisibleTabs("PageControl1").contains(QStringLiteral("統計")));
    EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), QStringLiteral("Tokei.csv"));
    EXPECT_EQ(Summary().RowCount(), 30);
    EXPECT_EQ(Summary().ColCount(), 19);
    // The row labels' column shows its longest label whole, with the cell's margins.
    views::StringGrid* summary = Grid("StringGrid4");
    EXPECT_GE(summary->ColWidth(0),
              QFontMetrics(summary->font()).horizontalAdvance(QStringLiteral("3連複配当")) + 4);

    fs::create_directories(dir / "HPupload");
    WriteBytes(dir / "HPupload" / "in.csv",
               keiba::JoinQuotedFields(std::vector<std::string>(39, "h")) + "\r\n" +
                   RaceLine({"3", "0", "1", "0", "5", "0"}, "450", "1200", "3000"));
    Answer(dir / "HPupload" / "in.csv");
    Click("LoadBtn");
    EXPECT_EQ(startFolder, QPath(dir / "HPupload"));
    ASSERT_EQ(Data().RowCount(), 2);
    EXPECT_EQ(Data().Cells(9, 1), QStringLiteral("3"));
    EXPECT_EQ(Data().Cells(0, 1), QStringLiteral("2026/11/28"));

    Click("CalcBtn2");
    EXPECT_EQ(Summary().Cells(3, 0), QStringLiteral(" 3位"));
    EXPECT_EQ(Summary().Cells(3, 1), QStringLiteral("      1"));
    EXPECT_EQ(Summary().Cells(3, 7), QStringLiteral("    450"));
    EXPECT_EQ(Summary().Cells(7, 11), QStringLiteral("      1")); // second table: rank 7

    // Save: HPupload is made when missing; cells with quotes and commas come back whole.
    fs::remove_all(dir / "HPupload");
    Data().SetCells(1, 1, QStringLiteral("say \"hi\", twice"));
    Data().SetCells(2, 1, QStringLiteral("東京 芝"));
    Click("SaveBtn");
    ASSERT_TRUE(fs::exists(dir / "HPupload" / "Tokei.csv"));
    const std::string saved = Slurp(dir / "HPupload" / "Tokei.csv");
    EXPECT_NE(saved.find("\"say \"\"hi\"\", twice\""), std::string::npos);
    EXPECT_NE(saved.find(keiba::Sj("\"東京 芝\"")), std::string::npos);
    Answer(dir / "HPupload" / "Tokei.csv");
    Click("LoadBtn");
    ASSERT_EQ(Data().RowCount(), 2);
    EXPECT_EQ(Data().Cells(1, 1), QStringLiteral("say \"hi\", twice"));
    EXPECT_EQ(Data().Cells(2, 1), QStringLiteral("東京 芝"));
    EXPECT_EQ(Data().Cells(0, 0), QStringLiteral("h"));
    EXPECT_TRUE(notifier.messages.empty());
}

TEST_F(StatsTab, EmptyCancelledAndUnsafeInput) {
    Data().SetCells(0, 0, QStringLiteral("heading"));
    // A cancelled load leaves the grid emptied.
    Answer(std::nullopt);
    Click("LoadBtn");
    EXPECT_EQ(Data().Cells(0, 0), QString());

    // A file that cannot be read is said with its cause; an empty one keeps the heading row.
    WriteBytes(dir / "empty.csv", "");
    Answer(dir / "empty.csv");
    {
        const UnreadableFile unreadable(dir / "empty.csv");
        Click("LoadBtn");
    }
    EXPECT_EQ(notifier.messages.at(0),
              (dir / "empty.csv").string() + " を読み込めません（読み込む権限がありません）。");
    notifier.messages.clear();
    Answer(dir / "empty.csv");
    Click("LoadBtn");
    EXPECT_EQ(Data().RowCount(), 1);
    EXPECT_EQ(Data().FixedRows(), 1);

    // Nothing counted: counts of 0, no rates.
    Click("CalcBtn2");
    EXPECT_EQ(Summary().Cells(1, 1), QStringLiteral("      0"));
    EXPECT_EQ(Summary().Cells(1, 2), QString());

    // A name that leaves HPupload is refused.
    Find<QLineEdit>("Edit1")->setText(QStringLiteral("../Tokei.csv"));
    Click("SaveBtn");
    EXPECT_EQ(notifier.messages,
              std::vector<std::string>{"ファイル名にできない文字が含まれています。"});
    EXPECT_FALSE(fs::exists(dir / "Tokei.csv"));
}

// A file wider than the grid's 39 columns loses no field: the grid widens to it, a save writes
// back the same bytes, and a narrower file narrows the grid again. A file too wide to hold is
// refused with a message.
TEST_F(StatsTab, WideFilesKeepEveryField) {
    fs::create_directories(dir / "HPupload");
    std::string wide;
    for (int r = 0; r < 3; ++r) {
        std::vector<std::string> cells(41, "c" + std::to_string(r));
        cells[40] = "last, " + std::to_string(r);
        wide += keiba::JoinQuotedFields(cells) + "\r\n";
    }
    WriteBytes(dir / "HPupload" / "wide.csv", wide);
    Answer(dir / "HPupload" / "wide.csv");
    Click("LoadBtn");
    ASSERT_EQ(Data().ColCount(), 41);
    EXPECT_EQ(Data().Cells(40, 2), QStringLiteral("last, 2"));
    EXPECT_GT(Grid("StringGrid22")->ColWidth(40), 0);
    Find<QLineEdit>("Edit1")->setText(QStringLiteral("again.csv"));
    Click("SaveBtn");
    EXPECT_EQ(Slurp(dir / "HPupload" / "again.csv"), wide);

    WriteBytes(dir / "HPupload" / "narrow.csv", RaceLine({"1", "", "2", "", "3", ""}, "1", "", ""));
    Answer(dir / "HPupload" / "narrow.csv");
    Click("LoadBtn");
    EXPECT_EQ(Data().ColCount(), 39);
    EXPECT_TRUE(notifier.messages.empty());

    WriteBytes(dir / "HPupload" / "huge.csv", std::string(300, ',') + "\r\n");
    Answer(dir / "HPupload" / "huge.csv");
    Click("LoadBtn");
    EXPECT_EQ(notifier.messages,
              std::vector<std::string>{(dir / "HPupload" / "huge.csv").string() +
                                       " は256列を超える行があるため読み込めません。"});
    EXPECT_EQ(Data().ColCount(), 39);
    EXPECT_EQ(Data().Cells(9, 0), QString());
}

// The load dialog's sizes and dates came in the desktop's locale ("10 bytes", "29 Nov 2026").
TEST_F(StatsTab, TheOpenDialogSpeaksJapanese) {
    JapaneseInForce japanese;
    ASSERT_TRUE(japanese.Translated()) << "qt6-translations-l10n is not installed";
    fs::create_directories(dir / "HPupload");
    WriteBytes(dir / "HPupload" / "Tokei.csv", "\"a\",\"bc\"\r\n"); // 10 bytes
    SetModified(dir / "HPupload" / "Tokei.csv", QDateTime(QDate(2026, 11, 29), QTime(9, 5)));
    FileDialogTexts texts;
    Main().SetModalHookForTest([&](QDialog& d) {
        texts = DetailTexts(*qobject_cast<QFileDialog*>(&d), QStringLiteral("Tokei.csv"));
        d.done(QDialog::Rejected);
    });
    Click("LoadBtn");
    EXPECT_EQ(texts.headings, (QStringList{QStringLiteral("名前"), QStringLiteral("サイズ"),
                                           QStringLiteral("タイプ"), QStringLiteral("更新日")}));
    ASSERT_EQ(texts.row.size(), 4);
    EXPECT_EQ(texts.row[1], QStringLiteral("10 バイト"));
    EXPECT_EQ(texts.row[3], QStringLiteral("2026/11/29 9:05"));
}
