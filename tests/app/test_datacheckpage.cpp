// The R-horse search form in the application: the data-check tab the main window adds to it
// (the dates of VZK, the races of a file, the runner grid and its colours with its model under
// Qt's model tester, a file gone since the list was made, the batch day load of its hidden
// menu), the day loads a running search refuses, and a hit's race in the race card form.

#include "app/forms/datacheckpage.h"
#include "controls/label3d.h"
#include "search/forms/hitgrid.h"
#include "search/forms/shutugenform.h"
#include "tests/app/mainfixture.h"
#include "tests/support/analysismaker.h"
#include "tests/support/unreadable.h"
#include "tests/support/waits.h"
#include "views/forms/desplform.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>
#include <QTest>

#include <atomic>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

// A walk held at its first records until the test lets it go, so that it is still under way
// when the test acts however busy the machine is; counts the records it was asked about.
struct HeldWalk {
    std::atomic<bool> go{false};
    std::atomic<int> seen{0};
};

// Conditions that match nothing and hold every record until the walk may go on.
class Holding : public search::RFilter {
public:
    explicit Holding(std::shared_ptr<HeldWalk> walk)
        : walk_(std::move(walk)) {}
    bool Matches(std::string_view) const override {
        // bounded, so that a test that fails before it lets the walk go still ends
        (void)WaitUntil([&] { return walk_->go.load(); });
        ++walk_->seen;
        return false;
    }

private:
    std::shared_ptr<HeldWalk> walk_;
};

void HoldWalks(search::TShutugenForm& form, const std::shared_ptr<HeldWalk>& walk) {
    form.SetFilterWrapperForTest(
        [walk](std::shared_ptr<const search::RFilter>) { return std::make_shared<Holding>(walk); });
}

class DataCheckTest : public MainFormTest {
protected:
    void WriteVzk(const std::string& name, const std::string& bytes) {
        fs::create_directories(dir / "VZK");
        WriteBytes(dir / ("VZK/" + name), bytes);
    }
    QWidget& Page() { return *Find<QWidget>("DataCheckSheet"); }
    template <typename T> T* OnPage(const char* name) { return testsupport::Find<T>(Page(), name); }
    views::GridModel* Grid() { return OnPage<views::StringGrid>("StringGrid6")->Model(); }
    void ChooseDate(const QString& item) {
        auto* combo = OnPage<QComboBox>("DateCombo");
        combo->setCurrentIndex(combo->findText(item));
        Q_EMIT combo->activated(combo->currentIndex());
    }
};

} // namespace

TEST_F(DataCheckTest, TheNewestDateLoadsWithItsRacesAndRunners) {
    AnalysisMaker a1("20241124", "05", 11, 1);
    a1.Slot(0).This(25, 4, "0035").Win("000000350").Status("1").Prev(1, 2, "12");
    std::string day = a1.Bytes() + AnalysisMaker("20241124", "05", 11, 2).Slot(0).Bytes() +
                      // 12R's first record is damaged: the race shows by its second
                      AnalysisMaker("20241124", "05", 12, 1).Slot(1).This(40, 5, "ab.cd").Bytes() +
                      AnalysisMaker("20241124", "05", 12, 2).Slot(1).Bytes() +
                      AnalysisMaker("20241124", "05", 11, 3).Slot(40).Bytes() +
                      AnalysisMaker("20241124", "05", 11, 0).Slot(0).Bytes();
    WriteVzk("xq20241124.VZKD", day);
    WriteVzk("XQ20241123.vzkd", AnalysisMaker("20241123", "08", 1, 1).Bytes());
    Start();
    QAbstractItemModelTester tester(Grid(), QAbstractItemModelTester::FailureReportingMode::Fatal);

    auto* tabs = Main().findChild<search::TShutugenForm*>()->PageControl();
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("データ確認"));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("R馬統計"));
    auto* dates = OnPage<QComboBox>("DateCombo");
    ASSERT_EQ(dates->count(), 2);
    EXPECT_EQ(dates->itemText(0), QStringLiteral("2024年11月24日"));
    auto* races = OnPage<QListWidget>("DatList");
    ASSERT_EQ(races->count(), 2);
    EXPECT_EQ(races->item(0)->text(), QStringLiteral("東京11R"));
    EXPECT_EQ(races->item(1)->text(), QStringLiteral("東京12R"));
    EXPECT_EQ(OnPage<QLabel>("TitleLabel1")->text(), QStringLiteral("2024年11月24日東京11R"));
    EXPECT_EQ(OnPage<QLabel>("TitleLabel2")->text(), QStringLiteral("芝1600m"));

    // Each race has 16 runners on record and the file holds every runner of its day, yet only
    // runners 1 and 2 of 11R and runner 2 of 12R have sound records: with no race file of the day
    // to tell, the races' own field sizes count what is lost.
    EXPECT_EQ(notifier.messages,
              std::vector<std::string>{"分析データ（xq20241124.VZKD）の一部が壊れているため、"
                                       "29頭分を読み込めませんでした。"});
    notifier.messages.clear();
    ASSERT_EQ(Grid()->RowCount(), 17);
    EXPECT_EQ(Grid()->Cells(7, 1), QStringLiteral("  3.5"));
    EXPECT_EQ(Grid()->Cells(51, 1), QStringLiteral("  350"));
    EXPECT_EQ(Grid()->Cells(53, 1), QStringLiteral("ν"));
    EXPECT_EQ(Grid()->Cells(25, 1), QStringLiteral("12"));
    EXPECT_EQ(Grid()->Cells(1, 2), QStringLiteral(" 2"));
    EXPECT_TRUE(Grid()->Cells(1, 3).trimmed().isEmpty()) << Grid()->Cells(1, 3).toStdString();
    EXPECT_TRUE(Grid()->Cells(2, 3).trimmed().isEmpty());
    EXPECT_EQ(Grid()->Cells(0, 0), QStringLiteral("枠"));
    EXPECT_EQ(Grid()->PaintOf(30, 1).background, QColor(176, 255, 176));
    EXPECT_EQ(Grid()->PaintOf(23, 1).background, QColor(255, 200, 200));
    EXPECT_EQ(Grid()->PaintOf(0, 1).background, QColor(Qt::white)); // bracket 1
    EXPECT_EQ(Grid()->PaintOf(0, 3).background, QColor(Qt::white)); // no bracket
    EXPECT_EQ(Grid()->PaintOf(5, 0).background, QColor(192, 192, 192));

    races->setCurrentRow(1);
    Q_EMIT races->itemClicked(races->item(1));
    EXPECT_EQ(OnPage<QLabel>("TitleLabel1")->text(), QStringLiteral("2024年11月24日東京12R"));
    ASSERT_EQ(Grid()->RowCount(), 17);
    EXPECT_TRUE(Grid()->Cells(1, 1).trimmed().isEmpty());
    EXPECT_EQ(Grid()->Cells(1, 2), QStringLiteral(" 2"));

    // The file is deleted after the list was made: the rows empty, the races stay.
    fs::remove(dir / "VZK/xq20241124.VZKD");
    ChooseDate(QStringLiteral("2024年11月24日"));
    EXPECT_EQ(Grid()->Cells(7, 1), QString());
    EXPECT_EQ(races->count(), 2);
    EXPECT_TRUE(notifier.messages.empty());

    ChooseDate(QStringLiteral("2024年11月23日"));
    ASSERT_EQ(races->count(), 1);
    EXPECT_EQ(races->item(0)->text(), QStringLiteral("京都 1R"));
}

// The race shown is the race list's current one, however it became current.
TEST_F(DataCheckTest, TheRaceShownFollowsTheArrowKeys) {
    WriteVzk("XQ20241124.vzkd", AnalysisMaker("20241124", "05", 11, 1).Slot(0).Bytes() +
                                    AnalysisMaker("20241124", "05", 12, 1).Slot(1).Bytes());
    Start();
    auto* races = OnPage<QListWidget>("DatList");
    ASSERT_EQ(races->count(), 2);
    auto* title = OnPage<QLabel>("TitleLabel1");
    EXPECT_EQ(title->text(), QStringLiteral("2024年11月24日東京11R"));
    QTest::keyClick(races, Qt::Key_Down);
    EXPECT_EQ(races->currentRow(), 1);
    EXPECT_EQ(title->text(), QStringLiteral("2024年11月24日東京12R"));
    QTest::keyClick(races, Qt::Key_Up);
    EXPECT_EQ(title->text(), QStringLiteral("2024年11月24日東京11R"));
}

TEST_F(DataCheckTest, TheBatchDayLoadAsksFirstAndLoadsEveryDay) {
    fs::create_directories(dir / "Data");
    for (const char* d : {"20261128", "20261129"})
        WriteBytes(dir / ("Data/" + jvdata::DayStem(*jvdata::ParseYyyymmdd(d)) + ".jvRA"),
                   Ra(d, "05", 11, 2));
    Start();
    QAction* batch = Page().findChild<QAction*>(QStringLiteral("MakeCPDB"));
    ASSERT_NE(batch, nullptr);
    batch->trigger(); // No
    EXPECT_EQ(notifier.questions.size(), 1u);
    EXPECT_TRUE(Day().gDayRaces[0].IsBlank());

    // Disabled while a search holds the owner, and refused if asked for all the same.
    {
        const auto search = Main().Operations().Take(keiba::Operation::Search);
        EXPECT_FALSE(batch->isEnabled());
        notifier.answers = {true};
        Main().MakeCPDBClick();
        EXPECT_EQ(notifier.messages.back(), "他の処理の実行中です。終了してから実行してください。");
        EXPECT_TRUE(Day().gDayRaces[0].IsBlank());
    }
    EXPECT_TRUE(batch->isEnabled());

    notifier.answers = {true};
    batch->trigger();
    EXPECT_EQ(notifier.messages.back(), "処理が完了しました。");
    // Newest first in the list: the last loaded, and shown, is the oldest.
    EXPECT_EQ(Day().gDayRaces[0].RaceDate(), "20261128");
    EXPECT_EQ(Find<QComboBox>("DateCombo")->currentIndex(), 1);
    EXPECT_FALSE(Main().Operations().Busy());
    EXPECT_TRUE(batch->isEnabled());
}

TEST_F(DataCheckTest, AHitOfTheSearchOpensItsRaceInTheRaceCardForm) {
    fs::create_directories(dir / "Data");
    const std::string stem = jvdata::DayStem(*jvdata::ParseYyyymmdd("20261121"));
    WriteBytes(dir / ("Data/" + stem + ".jvRA"), Ra("20261121", "05", 11, 2));
    std::string runners;
    for (int h = 1; h <= 2; ++h) {
        const std::string se = Se("20261121", "05", 11, h, "2020100000", "ウマ");
        runners = jvdata::PutRunnerSlot(runners, std::string_view(se).substr(0, se.size() - 2),
                                        jvdata::RunnerSlot(11, h));
    }
    WriteBytes(dir / ("Data/" + stem + "東京.jvSEr"), runners);
    WriteVzk("XQ20261121.vzkd",
             AnalysisMaker("20261121", "05", 11, 2).Name("ヒット").Priced().WithPrevious().Bytes());
    Start();
    auto* search = Main().findChild<search::TShutugenForm*>();
    search->RSerchBtnClick();
    ASSERT_TRUE(WaitUntil([&] {
        search->PollSearch();
        return !search->Searching();
    }));
    search->HitListMouseDown(testsupport::Find<search::HitGrid>(*search, "StringGrid8"), 0);
    auto* card = Main().findChild<views::TDeSplForm*>();
    ASSERT_NE(card, nullptr);
    EXPECT_TRUE(card->isVisible());
    EXPECT_EQ(card->Grid()->Model()->RowCount(), 3);
    EXPECT_EQ(testsupport::Find<controls::TLabel3Dj>(*card, "SelBameiLabel")->Caption(),
              QStringLiteral("②ヒット            "));
}

TEST_F(DataCheckTest, ADayAskedForWhileASearchRunsIsRefusedWithAMessage) {
    fs::create_directories(dir / "Data");
    for (const char* d : {"20261128", "20261129"})
        WriteBytes(dir / ("Data/" + jvdata::DayStem(*jvdata::ParseYyyymmdd(d)) + ".jvRA"),
                   Ra(d, "05", 11, 2));
    std::string records;
    for (int h = 1; h <= 18; ++h) records += AnalysisMaker("20261121", "05", 11, h).Bytes();
    for (int d = 1; d <= 9; ++d) WriteVzk("XQ2026110" + std::to_string(d) + ".vzkd", records);
    Start();
    const QString first = QStringLiteral("2026年11月28日"),
                  second = QStringLiteral("2026年11月29日");
    ChooseDay(first);
    ASSERT_EQ(Day().gDayRaces[0].RaceDate(), "20261128");

    auto* search = Main().findChild<search::TShutugenForm*>();
    auto walk = std::make_shared<HeldWalk>();
    HoldWalks(*search, walk);
    search->RSerchBtnClick();
    ASSERT_TRUE(search->Searching());
    notifier.messages.clear();
    ChooseDay(second);
    EXPECT_EQ(Day().gDayRaces[0].RaceDate(), "20261128");
    EXPECT_EQ(Find<QComboBox>("DateCombo")->currentText(), first);
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages.back(), "他の処理の実行中です。終了してから実行してください。");

    search->CancelBtnClick();
    walk->go = true;
    ASSERT_TRUE(WaitUntil([&] {
        search->PollSearch();
        return !search->Searching();
    }));
    ChooseDay(second);
    EXPECT_EQ(Day().gDayRaces[0].RaceDate(), "20261129");
}

// Closed while an R-horse search walks, the main window stays, with the search form, until the
// walk has stopped early; then it closes.
TEST_F(DataCheckTest, ClosingTheWindowStopsASearchBeforeAnyWindowGoes) {
    std::string records;
    for (int h = 1; h <= 18; ++h) records += AnalysisMaker("20261121", "05", 11, h).Bytes();
    for (int d = 1; d <= 9; ++d) WriteVzk("XQ2026110" + std::to_string(d) + ".vzkd", records);
    app::TMainForm& main = Start();
    main.show();
    auto* search = main.findChild<search::TShutugenForm*>();
    search->show();
    auto walk = std::make_shared<HeldWalk>();
    HoldWalks(*search, walk);
    search->RSerchBtnClick();
    ASSERT_TRUE(search->Searching());

    main.close();
    walk->go = true;
    EXPECT_TRUE(main.isVisible());
    EXPECT_TRUE(search->isVisible());
    ASSERT_TRUE(WaitUntil([&] {
        EXPECT_TRUE(main.isVisible());
        search->PollSearch();
        return !search->Searching();
    }));
    EXPECT_LT(walk->seen.load(), 9 * 18);
    QCoreApplication::processEvents();
    EXPECT_FALSE(main.isVisible());
}

// A day of three runners with one record damaged each way that matters: the grid shows the
// sound runners and a blank row for the damaged one, and the message counts the runner lost; a
// file that cannot be read is named with its cause.
TEST_F(DataCheckTest, ADamagedRecordIsNotShownAndTheRunnersLostAreCounted) {
    std::string day;
    for (int h = 1; h <= 3; ++h)
        day += AnalysisMaker("20241124", "05", 11, h)
                   .This(1, 2, "03")
                   .Win("000000350")
                   .Set(377, 2, "\r\n")
                   .Bytes();
    const std::size_t at = jvdata::kAnalysisLength; // runner 2
    auto over = [&](std::size_t pos, std::string_view put) {
        return std::string(day).replace(at + pos - 1, put.size(), put);
    };
    WriteVzk("XQ20241124.vzkd", day);
    Start();
    notifier.messages.clear();
    struct Row {
        const char* damage;
        std::string bytes;
        int lost; // the runner whose row is blank
    };
    const Row rows[] = {
        {"a shown rate", over(227 + 39, "#####"), 2},
        {"letters in the payout", over(138, "ab"), 2},
        {"a line break put in", std::string(day).insert(at + 99, "\r\n"), 2},
        {"cut inside runner 3", day.substr(0, 2 * at + 100), 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.damage);
        WriteVzk("XQ20241124.vzkd", row.bytes);
        ChooseDate(QStringLiteral("2024年11月24日"));
        EXPECT_EQ(notifier.messages,
                  std::vector<std::string>{"分析データ（XQ20241124.vzkd）の一部が壊れているため、"
                                           "1頭分を読み込めませんでした。"});
        notifier.messages.clear();
        ASSERT_EQ(Grid()->RowCount(), 4);
        for (int h = 1; h <= 3; ++h) {
            EXPECT_EQ(Grid()->Cells(1, h).trimmed(),
                      h == row.lost ? QString() : QString::number(h));
            EXPECT_EQ(Grid()->Cells(51, h).trimmed() == QStringLiteral("350"), h != row.lost);
        }
    }
    const UnreadableFile shut(dir / "VZK/XQ20241124.vzkd");
    ChooseDate(QStringLiteral("2024年11月24日"));
    EXPECT_EQ(notifier.messages,
              std::vector<std::string>{keiba::PathToUtf8(dir / "VZK/XQ20241124.vzkd") +
                                       " を読み込めません（読み込む権限がありません）。"});
}

// With the day's race file there, and its payout file beside it, the race file's field sizes say
// what the analysis file lost: a runner of 11R without a record and the whole of 12R, cut off at
// a record end, which the file alone could not show.
TEST_F(DataCheckTest, TheRaceFileOfTheDayCountsTheRunnersLost) {
    fs::create_directories(dir / "Data");
    const std::string stem = jvdata::DayStem(*jvdata::ParseYyyymmdd("20241124"));
    WriteBytes(dir / ("Data/" + stem + ".jvRA"),
               Ra("20241124", "05", 11, 3) + Ra("20241124", "05", 12, 2));
    WriteBytes(dir / ("Data/" + stem + ".jvHR"),
               MakeRecord("HR", RaceKey16("20241124", "05", 11)) +
                   MakeRecord("HR", RaceKey16("20241124", "05", 12)));
    std::string day;
    for (int h : {1, 3})
        day += AnalysisMaker("20241124", "05", 11, h).Slot(0).This(1, 2, "03").Bytes();
    WriteVzk("XQ20241124.vzkd", day);
    Start();
    EXPECT_EQ(notifier.messages,
              std::vector<std::string>{"分析データ（XQ20241124.vzkd）の一部が壊れているため、"
                                       "3頭分を読み込めませんでした。"});
    auto* races = OnPage<QListWidget>("DatList");
    ASSERT_EQ(races->count(), 1);
    EXPECT_EQ(races->item(0)->text(), QStringLiteral("東京11R"));
    ASSERT_EQ(Grid()->RowCount(), 4);
    EXPECT_EQ(Grid()->Cells(1, 1).trimmed(), QStringLiteral("1"));
    EXPECT_TRUE(Grid()->Cells(1, 2).trimmed().isEmpty());
    EXPECT_EQ(Grid()->Cells(1, 3).trimmed(), QStringLiteral("3"));
}
