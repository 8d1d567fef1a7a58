// The R-horse search and the statistics as the form runs them: the walk on its worker threads,
// the labels and grids it fills (their models checked by Qt's model tester), cancelling, the
// checks before a start, the date controls, the level table's colours and opening a hit's race
// with the mouse.

#include "controls/speedbutton.h"
#include "search/forms/hitgrid.h"
#include "search/rcard.h"
#include "search/rresults.h"
#include "tests/jvdata/recordmaker.h"
#include "tests/search/searchformfixture.h"
#include "tests/support/analysismaker.h"
#include "tests/support/clicks.h"
#include "tests/support/unreadable.h"
#include "tests/support/waits.h"
#include "views/grid.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>

using namespace search;
using namespace testsupport;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// The form's conditions, slowed down per record: a walk that takes its time. Counts the records
// it is asked about in `asked`.
class Slowed : public RFilter {
public:
    Slowed(std::shared_ptr<const RFilter> inner, std::chrono::microseconds delay, bool never,
           std::shared_ptr<std::atomic<int>> asked)
        : inner_(std::move(inner))
        , delay_(delay)
        , never_(never)
        , asked_(std::move(asked)) {}
    bool Matches(std::string_view rec) const override {
        asked_->fetch_add(1);
        std::this_thread::sleep_for(delay_);
        return !never_ && inner_->Matches(rec);
    }

private:
    std::shared_ptr<const RFilter> inner_;
    std::chrono::microseconds delay_;
    bool never_;
    std::shared_ptr<std::atomic<int>> asked_;
};

// Runner `horse` of race 11 at 東京 on `date8`, passing the start values.
std::string Hit(std::string_view date8, int horse, std::string_view win = "000000000") {
    return AnalysisMaker(date8, "05", 11, horse).Priced().WithPrevious().Win(win).Bytes();
}

class RSearchFormTest : public SearchForm {
protected:
    void SetUp() override {
        SearchForm::SetUp();
        SetRange("DateTimePicker1", "DateTimePicker2", QDate(2024, 1, 1), QDate(2024, 12, 31));
        SetRange("DateTimePicker3", "DateTimePicker4", QDate(2024, 1, 1), QDate(2024, 12, 31));
    }
    void SetRange(const char* from, const char* to, QDate a, QDate b) {
        Find<QDateEdit>(from)->setDate(a);
        Find<QDateEdit>(to)->setDate(b);
    }
    void WriteDay(const std::string& name, const std::string& bytes) {
        fs::create_directories(dir / "VZK");
        WriteBytes(dir / ("VZK/" + name), bytes);
    }
    // Many days of many hits, for walks that must still run when the test acts.
    void WriteManyDays() {
        for (int d = 1; d <= 28; ++d) {
            std::string bytes;
            for (int h = 1; h <= 18; ++h) bytes += Hit("202402" + AnalysisMaker::Two(d), h);
            WriteDay("XQ202402" + AnalysisMaker::Two(d) + ".vzkd", bytes);
        }
    }
    // Returns the count of records the walks ask about.
    std::shared_ptr<std::atomic<int>> Slow(std::chrono::microseconds delay, bool never = false) {
        auto asked = std::make_shared<std::atomic<int>>(0);
        form->SetFilterWrapperForTest([delay, never, asked](std::shared_ptr<const RFilter> f) {
            return std::make_shared<Slowed>(std::move(f), delay, never, asked);
        });
        return asked;
    }
    // Lets the form's poll run until the walk is wound up.
    void Finish() {
        ASSERT_TRUE(WaitUntil([&] {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            form->PollSearch();
            return !form->Searching();
        }));
    }
    void WaitForRows(HitGrid* grid, int rows) {
        ASSERT_TRUE(WaitUntil([&] {
            form->PollSearch();
            return grid->Model()->rowCount() >= rows;
        }));
    }
    QString Label(const char* name) { return Find<QLabel>(name)->text(); }
    // Qt's checks of a model's signals and answers, for the rest of the test: a broken rule
    // ends the test program.
    void Check(QAbstractItemModel* model) {
        testers.push_back(std::make_unique<QAbstractItemModelTester>(
            model, QAbstractItemModelTester::FailureReportingMode::Fatal));
    }
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
    std::vector<QString> Column(HitGrid* grid, int col) {
        std::vector<QString> out;
        HitGridModel* m = grid->Model();
        for (int r = 0; r < m->rowCount(); ++r) out.push_back(m->index(r, col).data().toString());
        return out;
    }
    // Nothing of a walk is left holding the form or the owner of long operations.
    void ExpectIdle() {
        EXPECT_TRUE(Find<controls::TLbSpeedButton>("RSerchBtn")->isEnabled());
        EXPECT_TRUE(Find<controls::TLbSpeedButton>("RSerchTokeiBtn")->isEnabled());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_FALSE(operations.Busy());
    }
};

} // namespace

TEST_F(RSearchFormTest, AWalkFillsTheGridsAndTheResultLabels) {
    WriteDay("XQ20240106.vzkd", Hit("20240106", 1) + Hit("20240106", 2, "000000350") +
                                    AnalysisMaker("20240106", "05", 11, 9).Priced().Bytes());
    WriteDay("XQ20240107.vzkd", Hit("20240107", 3));
    WriteDay("XQ20250105.vzkd", Hit("20250105", 4)); // outside the range
    Check(Find<HitGrid>("StringGrid8")->Model());
    Check(Find<HitGrid>("StringGrid7")->Model());
    form->RSerchBtnClick();
    EXPECT_FALSE(Find<controls::TLbSpeedButton>("RSerchBtn")->isEnabled());
    EXPECT_FALSE(Find<controls::TLbSpeedButton>("RSerchTokeiBtn")->isEnabled());
    EXPECT_EQ(operations.Running(), keiba::Operation::Search);
    Finish();
    ExpectIdle();
    auto* list = Find<HitGrid>("StringGrid8");
    // The 7th first; within a file the last record first; runner 9 has no previous run.
    EXPECT_EQ(
        Column(list, kListHorse),
        (std::vector<QString>{QStringLiteral(" 3"), QStringLiteral(" 2"), QStringLiteral(" 1")}));
    EXPECT_EQ(Column(list, kListDate)[0], QStringLiteral("2024/01/07"));
    EXPECT_EQ(Find<HitGrid>("StringGrid7")->Model()->rowCount(), 3);
    EXPECT_EQ(Label("CtLabel"), QStringLiteral("検索済:2開催日/3頭"));
    EXPECT_EQ(Label("GaitoSuLabel"), QStringLiteral("       3"));
    EXPECT_EQ(Label("TanBuyLabel"), QStringLiteral("     300"));
    EXPECT_EQ(Label("TanGetLabel"), QStringLiteral("     350"));
    EXPECT_EQ(Label("TanTekiLabel"), QStringLiteral("    33.3"));
    EXPECT_EQ(Label("TanKaishuLabel"), QStringLiteral("   116.7"));
    EXPECT_EQ(Label("FukGetLabel"), QStringLiteral("       0"));
    EXPECT_EQ(Label("FukTekiLabel"), QStringLiteral("     0.0"));
    EXPECT_EQ(Label("FukKaishuLabel"), QStringLiteral("     0.0"));
    EXPECT_FALSE(Find<QLabel>("GaitoSuLabel")->isVisibleTo(form.get()));
    EXPECT_FALSE(Find<QLabel>("FukBuyLabel")->isVisibleTo(form.get()));

    // One day in range: only it is counted; the grids start again from nothing.
    SetRange("DateTimePicker1", "DateTimePicker2", QDate(2024, 1, 7), QDate(2024, 1, 7));
    form->RSerchBtnClick();
    Finish();
    EXPECT_EQ(Label("CtLabel"), QStringLiteral("検索済:1開催日/1頭"));
    EXPECT_EQ(list->Model()->rowCount(), 1);
}

// The hit list is left by Tab and Shift+Tab as every table is.
TEST_F(RSearchFormTest, TabLeavesTheHitList) {
    WriteDay("XQ20240106.vzkd", Hit("20240106", 1) + Hit("20240106", 2));
    form->RSerchBtnClick();
    Finish();
    form->show();
    auto* list = Find<HitGrid>("StringGrid8");
    ASSERT_EQ(list->Model()->rowCount(), 2);
    for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
        list->setFocus();
        ASSERT_EQ(list->window()->focusWidget(), list);
        QTest::keyClick(list, key, key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
        EXPECT_NE(list->window()->focusWidget(), list);
    }
}

TEST_F(RSearchFormTest, TheCountNamesTheDaysReadUpToTheLastHit) {
    // Newest first: the 8th has no hit, the 7th one, the 6th and the 5th none (status '0').
    const std::string none = AnalysisMaker("20240101", "05", 11, 9).Status("0").Bytes();
    WriteDay("XQ20240108.vzkd", none);
    WriteDay("XQ20240107.vzkd", Hit("20240107", 3));
    WriteDay("XQ20240106.vzkd", none);
    WriteDay("XQ20240105.vzkd", none);
    form->RSerchBtnClick();
    Finish();
    EXPECT_EQ(Label("CtLabel"), QStringLiteral("検索済:2開催日/1頭"));
    form->RSerchTokeiBtnClick();
    Finish();
    EXPECT_EQ(Label("Ct2Label"), QStringLiteral("検索済:2開催日/1頭"));
}

TEST_F(RSearchFormTest, TheHitGridsPaintFromTheRow) {
    WriteDay(
        "XQ20240107.vzkd",
        AnalysisMaker("20240107", "05", 11, 1).Priced().WithPrevious().This(23, 2, "01").Bytes());
    form->RSerchBtnClick();
    Finish();
    HitGridModel* list = Find<HitGrid>("StringGrid8")->Model();
    auto paint = [](HitGridModel* m, int col) {
        return m->index(0, col).data(views::kCellPaintRole).value<views::CellPaint>();
    };
    EXPECT_EQ(list->headerData(6, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("単勝払戻"));
    EXPECT_EQ(paint(list, 4).textColor, QColor(Qt::red));
    EXPECT_TRUE(paint(list, 4).bold);
    EXPECT_EQ(paint(list, 7).background, QColor(255, 200, 200));
    EXPECT_EQ(paint(list, 2).alignment & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    HitGridModel* detail = Find<HitGrid>("StringGrid7")->Model();
    EXPECT_EQ(detail->columnCount(), 58);
    EXPECT_EQ(detail->headerData(57, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("複回収"));
    EXPECT_EQ(paint(detail, 28).background, QColor(255, 200, 200));
    EXPECT_EQ(paint(detail, 29).background, QColor(176, 255, 176));
    EXPECT_EQ(paint(detail, 56).background, QColor(162, 255, 255));
}

TEST_F(RSearchFormTest, CancelKeepsTheRowsFoundAndBlanksTheLabels) {
    WriteManyDays();
    Slow(2000us);
    form->RSerchBtnClick();
    WaitForRows(Find<HitGrid>("StringGrid8"), 2);
    form->CancelBtnClick();
    Finish();
    ExpectIdle();
    const int rows = Find<HitGrid>("StringGrid8")->Model()->rowCount();
    EXPECT_GE(rows, 2);
    EXPECT_LT(rows, 28 * 18);
    for (const char* l : {"GaitoSuLabel", "TanBuyLabel", "TanTekiLabel", "FukKaishuLabel"})
        EXPECT_TRUE(Label(l).isEmpty()) << l;

    // A walk that finds nothing for a long time stops as quickly, within the day it is on. Its
    // count starts from nothing.
    const auto asked = Slow(2000us, true);
    form->RSerchBtnClick();
    EXPECT_EQ(Label("CtLabel"), QStringLiteral("検索済:0開催日/0頭"));
    ASSERT_TRUE(WaitUntil([&] { return asked->load() >= 6; }));
    form->CancelBtnClick();
    const int atCancel = asked->load();
    Finish();
    EXPECT_LT(asked->load() - atCancel, 18);
    ExpectIdle();
    EXPECT_EQ(Find<HitGrid>("StringGrid8")->Model()->rowCount(), 0);
    EXPECT_TRUE(Label("GaitoSuLabel").isEmpty());
}

TEST_F(RSearchFormTest, ASearchStartedWhileTheCancelledOneDeliversShowsExactlyItsOwnRows) {
    WriteManyDays();
    form->RSerchBtnClick();
    Finish();
    auto* list = Find<HitGrid>("StringGrid8");
    const std::vector<QString> dates = Column(list, kListDate), horses = Column(list, kListHorse);
    ASSERT_EQ(dates.size(), 28u * 18);

    Slow(300us);
    form->RSerchBtnClick();
    WaitForRows(list, 20);
    form->CancelBtnClick();
    form->SetFilterWrapperForTest({});
    form->RSerchBtnClick(); // at once, while the first walk may still be delivering
    EXPECT_TRUE(form->Searching());
    Finish();
    ExpectIdle();
    EXPECT_EQ(Column(list, kListDate), dates);
    EXPECT_EQ(Column(list, kListHorse), horses);
    EXPECT_EQ(Label("GaitoSuLabel"), QStringLiteral("     504"));
}

TEST_F(RSearchFormTest, NothingStartsOnABadBoundOrWhileTheDayIsLoading) {
    WriteDay("XQ20240107.vzkd", Hit("20240107", 1));
    form->RSerchBtnClick();
    Finish();
    Num(0, kTanOzMin)->SetText("");
    form->RSerchBtnClick();
    EXPECT_FALSE(form->Searching());
    EXPECT_EQ(notifier.messages.back(), "本走条件指定の単勝オッズ(下限)が未入力です。");
    // The last result stays.
    EXPECT_EQ(Find<HitGrid>("StringGrid8")->Model()->rowCount(), 1);
    EXPECT_EQ(Label("GaitoSuLabel"), QStringLiteral("       1"));

    Num(0, kTanOzMin)->SetText("1.0");
    {
        const auto load = operations.Take(keiba::Operation::DayLoad);
        form->RSerchBtnClick();
        form->RSerchTokeiBtnClick();
        EXPECT_FALSE(form->Searching());
        EXPECT_EQ(notifier.messages.back(), "データの読み込み中は検索できません。");
        EXPECT_EQ(operations.Running(), keiba::Operation::DayLoad);
    }
    ExpectIdle();
}

TEST_F(RSearchFormTest, DaysEditsSetTheStartOfTheirRange) {
    clock.now = keiba::MakeLocalTime(2024, 3, 31, 10);
    form.reset();
    ASSERT_TRUE(context.settings.WriteInteger("Search", "Days", 30));
    form = std::make_unique<TShutugenForm>(context, operations);
    // A fresh form starts a year back, whatever the stored days.
    EXPECT_EQ(form->SearchFromDate(), "20230401");
    EXPECT_EQ(form->SearchToDate(), "20240331");
    EXPECT_EQ(form->TokeiFromDate(), "20230401");
    EXPECT_EQ(Find<controls::TSaNumEditExC>("SaNumEditExC1")->GetTextAsInteger(), 30);
    EXPECT_EQ(Find<controls::TSaNumEditExC>("SaNumEditExC2")->GetTextAsInteger(), 365);
    form->SpeedButton1Click();
    EXPECT_EQ(form->SearchFromDate(), "20240301");
    EXPECT_EQ(Find<QDateEdit>("DateTimePicker1")->date(), QDate(2024, 3, 1));
    EXPECT_EQ(form->TokeiFromDate(), "20230401"); // the other tab's range is its own
    Find<controls::TSaNumEditExC>("SaNumEditExC2")->SetTextAsInteger(0);
    form->SaNumEditExC2Change();
    EXPECT_EQ(context.settings.ReadInteger("SearchTokei", "Days", 365), 1);
    form->SpeedButton2Click();
    EXPECT_EQ(form->TokeiFromDate(), "20240330");
    Find<QDateEdit>("DateTimePicker4")->setDate(QDate(2024, 2, 29));
    EXPECT_EQ(form->TokeiToDate(), "20240229");
}

// The days are saved at every key: a settings file that refuses them is said once while the user
// types, and again only when a write has gone through since.
TEST_F(RSearchFormTest, ADaysRefusalIsSaidOnceWhileTheUserTypes) {
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string_view("[Search]\r\nDays=30\r\n")) utf16 += std::string{c, '\0'};
    const fs::path ini = context.settings.FullPath();
    const std::string refused = ini.string() +
                                " はUTF-16で保存されているため、設定を書き込めません。Shift-JISか"
                                "UTF-8で保存し直してください。";
    auto* days = Find<controls::TSaNumEditExC>("SaNumEditExC1");
    days->SetText("");
    WriteBytes(ini, utf16);
    QTest::keyClicks(days, QStringLiteral("12"));
    EXPECT_EQ(notifier.messages, std::vector<std::string>{refused});
    fs::remove(ini);
    QTest::keyClicks(days, QStringLiteral("3"));
    WriteBytes(ini, utf16);
    QTest::keyClicks(days, QStringLiteral("4"));
    EXPECT_EQ(notifier.messages, (std::vector<std::string>{refused, refused}));
}

TEST_F(RSearchFormTest, TheLevelTableFillsUnlessCancelledAndColoursItsRates) {
    // R+ runners at level 7: two, one winning 250 (125.0 back); at level 6 one winning 100.
    auto rPlus = [](int horse, std::string_view level, std::string_view win) {
        return AnalysisMaker("20240107", "05", 11, horse)
            .This(29, 1, "1")
            .This(17, 2, level)
            .Win(win)
            .Bytes();
    };
    WriteDay("XQ20240107.vzkd",
             rPlus(1, "07", "000000250") + rPlus(2, "07", "000000000") +
                 rPlus(3, "06", "000000100") +
                 AnalysisMaker("20240107", "05", 11, 4).This(17, 2, "07").Bytes());
    auto* ruma = Find<QListWidget>("RUmaListT");
    ruma->item(0)->setSelected(true);
    Check(Find<views::StringGrid>("StringGrid3")->Model());
    form->RSerchTokeiBtnClick();
    Finish();
    ExpectIdle();
    views::GridModel* table = Find<views::StringGrid>("StringGrid3")->Model();
    EXPECT_EQ(table->Cells(1, 1), QStringLiteral("     200"));
    EXPECT_EQ(table->Cells(5, 1), QStringLiteral("   125.0"));
    EXPECT_EQ(table->Cells(5, 2), QStringLiteral("   100.0"));
    EXPECT_EQ(table->Cells(1, 8), QStringLiteral("     300"));
    EXPECT_EQ(table->Cells(4, 4), QString()); // 普通: nobody
    EXPECT_EQ(table->PaintOf(5, 1).textColor, QColor(Qt::red));
    EXPECT_EQ(table->PaintOf(5, 2).textColor, QColor(Qt::black)); // exactly 100.0
    EXPECT_EQ(table->PaintOf(0, 8).background, QColor(0, 210, 0));
    EXPECT_EQ(table->PaintOf(1, 8).background, QColor(255, 176, 255));
    EXPECT_EQ(Find<HitGrid>("StringGrid1")->Model()->rowCount(), 3);
    EXPECT_EQ(Label("Ct2Label"), QStringLiteral("検索済:1開催日/3頭"));

    // The right-click rule: a selection is cleared, an empty one becomes everything.
    Q_EMIT ruma->customContextMenuRequested({});
    EXPECT_EQ(ruma->selectedItems().size(), 0);
    Q_EMIT ruma->customContextMenuRequested({});
    EXPECT_EQ(ruma->selectedItems().size(), 2);

    WriteManyDays();
    ruma->clearSelection();
    Slow(2000us);
    form->RSerchTokeiBtnClick();
    WaitForRows(Find<HitGrid>("StringGrid1"), 1);
    form->CancelBtnClick();
    Finish();
    EXPECT_EQ(table->Cells(1, 1), QString());
    EXPECT_EQ(table->Cells(0, 1), QStringLiteral("高★"));
}

TEST_F(RSearchFormTest, ALeftPressOnAHitOpensItsRaceOrSaysWhyNot) {
    WriteDay("XQ20240107.vzkd", Hit("20240107", 1));
    std::vector<std::string> opened;
    form->SetOpenRace(
        [&](const RCardRace& race) { opened.push_back(std::string(race.race.KeyText())); });
    form->show();
    form->RSerchBtnClick();
    Finish();
    auto* list = Find<HitGrid>("StringGrid8");
    QWidget* rows = list->viewport();
    const QRect hit = list->visualRect(list->Model()->index(0, kListName));
    const QPoint onHit = hit.center(), belowHits(hit.center().x(), hit.bottom() + 8);
    ASSERT_TRUE(rows->rect().contains(belowHits));
    auto moveTo = [&](QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, rows->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(rows, &move);
        return rows->cursor().shape();
    };
    EXPECT_EQ(moveTo(onHit), Qt::PointingHandCursor);
    EXPECT_EQ(moveTo(belowHits), Qt::ArrowCursor);

    ClickOn(*rows, onHit, Qt::RightButton);
    ClickOn(*rows, belowHits);
    EXPECT_TRUE(notifier.messages.empty());
    ClickOn(*rows, onHit);
    EXPECT_TRUE(opened.empty());
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages.back(), "2024/01/07 東京11Rのレースデータがありません。");

    std::string ra = MakeRecord("RA", RaceKey16("20240107", "05", 11));
    jvdata::SetField(ra, 882, 2, "01");
    fs::create_directories(dir / "Data");
    WriteBytes(dir / "Data/2024年01月07日.jvRA", ra);
    WriteBytes(dir / "Data/2024年01月07日東京.jvSEr", std::string(216 * 555, ' '));
    ClickOn(*rows, onHit);
    EXPECT_EQ(opened, std::vector<std::string>{RaceKey16("20240107", "05", 11)});

    // The statistics tab's hit list opens its hits the same way.
    form->RSerchTokeiBtnClick();
    Finish();
    auto* tokeiList = Find<HitGrid>("StringGrid1");
    ClickOn(*tokeiList->viewport(),
            tokeiList->visualRect(tokeiList->Model()->index(0, kListName)).center());
    EXPECT_EQ(opened.size(), 2u);
}

// What a walk could not search is said once it ends, in one message: the files with damage by
// name under one line, each file that cannot be read with its cause; a folder that cannot be
// listed is said instead of a search without hits.
TEST_F(RSearchFormTest, TheFilesNotSearchedAreNamedWhenTheWalkEnds) {
    const std::string damaged = Hit("20240106", 1) + Hit("20240106", 2).replace(40, 2, "\r\n");
    WriteDay("XQ20240106.vzkd", damaged);
    WriteDay("XQ20240105.vzkd", damaged.substr(0, 500).replace(5, 8, "20240105"));
    WriteDay("XQ20240107.vzkd", Hit("20240107", 3));
    WriteDay("XQ20240108.vzkd", Hit("20240108", 4));
    const fs::path unreadable = dir / "VZK/XQ20240107.vzkd";
    {
        const UnreadableFile shut(unreadable);
        form->RSerchBtnClick();
        Finish();
    }
    EXPECT_EQ(
        Column(Find<HitGrid>("StringGrid8"), kListHorse),
        (std::vector<QString>{QStringLiteral(" 4"), QStringLiteral(" 1"), QStringLiteral(" 1")}));
    EXPECT_EQ(notifier.messages,
              std::vector<std::string>{
                  "一部が壊れているため、検索できなかった分析データがあります。\n"
                  "XQ20240106.vzkd\nXQ20240105.vzkd\n" +
                  unreadable.string() + " を読み込めません（読み込む権限がありません）。"});
    notifier.messages.clear();
    {
        const UnreadableFile shut(dir / "VZK");
        form->RSerchTokeiBtnClick();
        Finish();
    }
    EXPECT_EQ(notifier.messages,
              std::vector<std::string>{(dir / "VZK").string() +
                                       " を読み込めません（読み込む権限がありません）。"});
}
