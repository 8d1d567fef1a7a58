#include "views/detailcard.h"
#include "views/indexcard.h"

#include "tests/support/modelchecks.h"
#include "tests/views/sampleday.h"
#include "tests/views/textprobe.h"
#include "tests/views/viewsfixture.h"

#include <QPainter>
#include <QScrollBar>
#include <QToolButton>
#include <gtest/gtest.h>

using keiba::Sj;
using testsupport::App;
using testsupport::FillRace;
using testsupport::Q;
using testsupport::SampleDay;

namespace {

// Past run j of runner slot h of race 0: a race at Tokyo on 2026-01-05, race 3, turf, good
// going, 1勝クラス, 16 runners; the runner fifth in the paddock, third then second at the
// corners, 480 kg, most popular, finishing `finish`.
void PastRun(raceday::RaceDay& day, int h, int j, std::string_view finish = "01") {
    jvdata::TJvRA& ra =
        day.gPastRunRaces[0][static_cast<std::size_t>(h)][static_cast<std::size_t>(j)];
    jvdata::TJvSE& se =
        day.gPastRunHorses[0][static_cast<std::size_t>(h)][static_cast<std::size_t>(j)];
    ra.SetField(12, 16, "2026010505010203");
    ra.SetField(635, 3, "005");
    ra.SetField(698, 4, "1600");
    ra.SetField(706, 2, "11");
    ra.SetField(882, 2, "16");
    ra.SetField(889, 2, "13");
    se.SetField(29, 2, "05");
    se.SetField(289, 3, "560");
    se.SetField(307, 8, Sj("武豊"));
    se.SetField(325, 3, "480");
    se.SetField(335, 2, finish);
    se.SetField(339, 4, "1345");
    se.SetField(356, 4, "0302");
    se.SetField(364, 2, "01");
    se.SetField(391, 3, "345");
    se.SetField(532, 4, "-105");
}

std::vector<QString> Texts(const views::CellPaint& p) {
    std::vector<QString> out;
    for (const auto& t : p.texts) out.push_back(t.text);
    return out;
}

class DetailCard : public testsupport::RaceDayTest {
protected:
    void SetUp() override {
        App();
        checks.Watch(grid.Model());
        views::SetupDetailedRaceCard(grid);
        views::AttachDetailedRaceCard(grid, Day());
    }
    views::CellPaint Paint(int col, int row) {
        grid.Model()->SetRowCount(std::max(grid.Model()->RowCount(), row + 1));
        return grid.Model()->PaintOf(col, row);
    }
    views::StringGrid grid;
    testsupport::ModelChecks checks;
};

} // namespace

TEST(PastRunText, LinesOfARun) {
    auto held = std::make_unique<raceday::RaceDay>();
    raceday::RaceDay& day = FillRace(*held, 1);
    PastRun(day, 0, 0);
    const auto& ra = day.gPastRunRaces[0][0][0];
    const auto& se = day.gPastRunHorses[0][0][0];
    views::PastRunLines l = views::PastRunText(ra, se);
    ASSERT_TRUE(l.shown);
    EXPECT_EQ(l.line1, Sj("東01/05良 1勝ｸﾗｽ 16頭"));
    EXPECT_EQ(l.line2, Sj("1600芝") + "1345" + Sj("武豊    ") + "560 345");
    EXPECT_EQ(l.line3, Sj(" 3- 2 480kg  5番 1人"));
    jvdata::TJvRA dirt = ra; // the going of dirt is the field's second byte
    dirt.SetField(706, 2, "24");
    dirt.SetField(889, 2, "14");
    EXPECT_EQ(views::PastRunText(dirt, se).line1, Sj("東01/05不良 1勝ｸﾗｽ 16頭"));
    // No race number: nothing shown. Bad digits give blanks.
    jvdata::TJvRA r = ra;
    r.SetField(26, 2, "00");
    EXPECT_FALSE(views::PastRunText(r, se).shown);
    // No dash, unit or bracket without its number.
    jvdata::TJvSE bad = se;
    bad.SetField(356, 4, "x?  ");
    bad.SetField(325, 3, "   ");
    EXPECT_EQ(views::PastRunText(ra, bad).line3, Sj("             5番 1人"));
    // A run abroad keeps its key alone: the record's date and venue, no count of runners.
    jvdata::TJvRA abroad;
    abroad.SetField(12, 16, "20261122A8010101");
    EXPECT_EQ(keiba::TrimBlanks(views::PastRunText(abroad, se).line1), Sj("仏11/22"));
}

// The going of line 1: the turf going below track code 23, the dirt going for 23 to 29, none for
// the rest.
TEST(PastRunText, TheGoingFollowsTheTrack) {
    auto held = std::make_unique<raceday::RaceDay>();
    raceday::RaceDay& day = FillRace(*held, 1);
    PastRun(day, 0, 0);
    jvdata::TJvRA ra = day.gPastRunRaces[0][0][0];
    const auto& se = day.gPastRunHorses[0][0][0];
    ra.SetField(889, 2, "13"); // turf good, dirt heavy
    const std::pair<const char*, const char*> tracks[] = {{"10", "良"}, {"22", "良"}, {"23", "重"},
                                                          {"29", "重"}, {"30", ""},   {"51", ""}};
    for (const auto& [track, going] : tracks) {
        ra.SetField(706, 2, track);
        EXPECT_EQ(views::PastRunText(ra, se).line1,
                  Sj(std::string("東01/05") + going + " 1勝ｸﾗｽ 16頭"))
            << "track " << track;
    }
}

TEST_F(DetailCard, PastRunCellsTakeTheirLevelColourAndMarkAMismatchedMembersRun) {
    raceday::RaceDay& day = FreshRace(2);
    PastRun(day, 0, 0, "01");
    PastRun(day, 0, 1, "03");
    PastRun(day, 1, 0, "00");
    auto& texts = day.gRaceTexts[0];
    texts.PastRLevel[0] = {Sj("高★"), Sj("高＋"), ""};
    texts.PastRUma[0] = {"R+", "R-", ""};
    texts.PastRLevel[1] = {Sj("高－"), "", ""};
    // The members' record names run 0 correctly and run 1 as another race.
    texts.PastRaceNo[0] = {"03", "03", ""};
    day.gDayHorseAnalysis[0][0].SetField(185, 28,
                                         "2026010505031"
                                         "a2026010506031");

    views::CellPaint run0 = Paint(7, 1);
    EXPECT_EQ(run0.background, QColor(0x0FCEF0));
    ASSERT_GE(run0.texts.size(), 6u);
    EXPECT_EQ(run0.texts[0].text, Q("東01/05良 1勝ｸﾗｽ 16頭"));
    EXPECT_EQ(run0.texts[2].text, Q(" 3- 2 480kg  5番 1人"));
    EXPECT_EQ(run0.texts[3].text, Q("高★ R+"));
    EXPECT_EQ(run0.texts[4].text, Q(" 1着"));
    EXPECT_EQ(run0.texts[4].color, QColor(0xFF0000));
    EXPECT_EQ(run0.texts[5].text, Q("(-10.5)"));
    EXPECT_FALSE(run0.leftEdge.isValid());

    views::CellPaint run1 = Paint(8, 1);
    EXPECT_EQ(run1.background, QColor(0x8DE8F8));
    EXPECT_EQ(run1.leftEdge, QColor(0xFF0000));

    // A runner with one past run: the other two cells white and empty.
    EXPECT_EQ(Paint(7, 2).background, QColor(0xD3F5FC));
    EXPECT_EQ(Paint(8, 2).background, QColor(0xFFFFFF));
    EXPECT_TRUE(Paint(8, 2).texts.empty());
    // "高★" colours the run whatever its finishing position.
    texts.PastRLevel[1][0] = Sj("高★");
    EXPECT_EQ(Paint(7, 2).background, QColor(0x0FCEF0));
}

TEST_F(DetailCard, RunnerColumns) {
    raceday::RaceDay& day = FreshRace(3);
    day.gRaceCalc[0].Tracked[1] = 1;
    day.gRaceCalc[0].NeraiMatch[0] = {0, 1, 0, 1};
    day.gDayHorses[0][0].SetField(360, 4, "0123");
    auto& texts = day.gRaceTexts[0];
    texts.RUmaMark = {"R+", "R-", "  "};
    texts.RJunText = {" 2", "0", "x"};
    texts.ZogenText[0] = Sj("昇続増");
    texts.YosoMark[0] = Sj("◎");
    day.gDayHorseMasters[0][0].SetField(215, 36, Sj("サン　デー "));

    EXPECT_EQ(Paint(1, 2).background, QColor(0xFF0000)); // tracked
    EXPECT_EQ(Paint(1, 1).background, QColor(0xFFFFE1));
    EXPECT_EQ(Paint(0, 3).texts[0].color, QColor(0xFFFFFF)); // bracket 2: white text
    day.gDayHorses[0][2].SetField(28, 1, " ");
    // A blank bracket: one blank on the grid's own background.
    EXPECT_EQ(Paint(0, 3).background, QColor(0xF0F0F0));
    EXPECT_EQ(Texts(Paint(0, 3)), std::vector<QString>{QStringLiteral(" ")});

    EXPECT_EQ(Texts(Paint(3, 1)), (std::vector<QString>{QStringLiteral(" 12.3"), Q("◎")}));
    EXPECT_EQ(Texts(Paint(4, 3)), std::vector<QString>{QStringLiteral(" ")}); // a bad field
    EXPECT_EQ(Paint(5, 1).texts[0].color, QColor(0xFF0000));
    EXPECT_EQ(Texts(Paint(10, 1)), (std::vector<QString>{Q("昇"), Q("続"), Q("増")}));

    views::CellPaint name = Paint(2, 1);
    EXPECT_EQ(name.texts[0].text, Q("サンデー"));
    ASSERT_EQ(name.boxes.size(), 2u);
    EXPECT_EQ(name.boxes[0].fill, QColor(0xFFFF00));
    EXPECT_EQ(name.boxes[1].fill, QColor(0xFF00FF));

    // Nothing is painted while the race list is empty.
    day.gDayRaceCount = 0;
    EXPECT_TRUE(Paint(2, 1).texts.empty());
}

// Horse-master pedigree entries run sire, dam, sire's sire, sire's dam, dam's sire: the name in
// brackets after the dam is the fifth (position 399), not the third (307). A horse without its
// master, and a runner lost to damage, show no bracket, coat or affiliation around blanks; the
// members' ranks stand.
TEST_F(DetailCard, TheBracketAfterTheDamNamesTheDamsSire) {
    raceday::RaceDay& day = FreshRace(3);
    jvdata::TJvUM& um = day.gDayHorseMasters[0][0];
    um.SetField(215, 36, Sj("チチウマ"));
    um.SetField(261, 36, Sj("ハハウマ"));
    um.SetField(307, 36, Sj("チチノチチ"));
    um.SetField(399, 36, Sj("ハハノチチ"));
    std::vector<QString> texts = Texts(Paint(2, 1));
    EXPECT_NE(std::find(texts.begin(), texts.end(), Q("ハハウマ(ハハノチチ)")), texts.end());
    EXPECT_EQ(texts.at(0), Q("チチウマ"));

    day.gDayHorseMasters[0][1].Clear();
    for (const QString& t : Texts(Paint(2, 2))) EXPECT_FALSE(t.startsWith(u'(')) << t.toStdString();
    day.gDayHorses[0][2].Clear();
    day.gRaceTexts[0].KettoRank[2] = "A";
    day.gRaceTexts[0].KishuRank[2] = "S";
    for (int col : {0, 1, 2, 3})
        for (const QString& t : Texts(Paint(col, 3)))
            EXPECT_TRUE(t.trimmed().isEmpty() || t == u"A" || t == u"S")
                << col << " " << t.toStdString();
}

TEST_F(DetailCard, OffscreenPixels) {
    raceday::RaceDay& day = FreshRace(3);
    for (int h = 0; h < 3; ++h) PastRun(day, h, 0, h == 0 ? "01" : "04");
    day.gRaceTexts[0].PastRLevel[0][0] = Sj("高★");
    day.gRaceTexts[0].PastRaceNo[1][0] = "03"; // no members' record: another race
    day.gRaceCalc[0].Tracked[2] = 1;
    day.gRaceCalc[0].NeraiMatch[1] = {1, 0, 0, 0};
    day.gRaceTexts[0].RUmaMark[0] = "R+";
    grid.Model()->SetRowCount(4);
    grid.resize(1400, 240);
    grid.show();
    QImage img = grid.grab().toImage();
    testsupport::SaveShot(img, "detail_card.png");
    auto at = [&](int col, int row, int dx, int dy) {
        return img.pixelColor(testsupport::CellOrigin(grid, col, row) + QPoint(dx, dy));
    };
    EXPECT_EQ(at(0, 3, 20, 48), QColor(0x808080));  // bracket 2
    EXPECT_EQ(at(1, 3, 20, 48), QColor(0xFF0000));  // tracked runner
    EXPECT_EQ(at(1, 2, 20, 48), QColor(0xFFFFE1));  // untracked
    EXPECT_EQ(at(2, 2, 209, 44), QColor(0x0000FF)); // slot 1 bar
    EXPECT_EQ(at(7, 1, 150, 50), QColor(0x0FCEF0)); // 高★ run
    EXPECT_EQ(at(7, 2, 1, 30), QColor(0xFF0000));   // another race's level
}

TEST(DetailFilterBar, EveryButtonShowsTheRaceAgainAndOneStaysDownPerGroup) {
    App();
    int shown = 0;
    views::DetailFilterBar bar([&] { ++shown; });
    EXPECT_TRUE(bar.Button(3)->isChecked());
    bar.Button(1)->click();
    bar.Button(5)->click();
    EXPECT_EQ(shown, 2);
    EXPECT_FALSE(bar.Button(0)->isChecked());
    EXPECT_TRUE(bar.Button(1)->isChecked());
    EXPECT_FALSE(bar.Button(3)->isChecked());
    EXPECT_TRUE(bar.Button(5)->isChecked());
}

// Every race of the sample day: each cell paints and the brackets follow the official rule in
// their colours; 東京1R's runner 2 パゴスウ is an R+ horse.
TEST_F(SampleDay, TheDetailedCardOverEveryRace) {
    views::StringGrid detail;
    views::SetupDetailedRaceCard(detail);
    views::AttachDetailedRaceCard(detail, Day());
    views::GridModel& d = *detail.Model();
    auto hasText = [](const views::CellPaint& p, const QString& text, const QColor& color) {
        for (const views::PlacedText& t : p.texts)
            if (t.text.trimmed() == text &&
                (t.color.isValid() ? t.color : QColor(Qt::black)) == color)
                return true;
        return false;
    };
    for (int race = 0; race < Day().gDayRaceCount; ++race) {
        SCOPED_TRACE(race);
        Day().gCurRace = race;
        const int n = raceday::FieldSize(Day(), race);
        ASSERT_GE(n, 8);
        d.SetRowCount(n + 1);
        for (int r = 0; r <= n; ++r)
            for (int col = 0; col < d.ColCount(); ++col) d.PaintOf(col, r);
        for (int r = 1; r <= n; ++r)
            EXPECT_EQ(d.PaintOf(0, r).background,
                      testsupport::kBracketColors[testsupport::OfficialBracket(r, n)])
                << r;
        if (race == 0) {
            EXPECT_TRUE(hasText(d.PaintOf(2, 2), QStringLiteral("パゴスウ"), Qt::black));
            EXPECT_TRUE(hasText(d.PaintOf(5, 2), QStringLiteral("R+"), QColor(0xFF0000)));
        }
    }
    detail.resize(1500, 600);
    detail.show();
    testsupport::SaveShot(detail.grab().toImage(), "sample_detail_card.png");
}

// The tall rows show their blocks of lines whole in the fonts the card names: the runner block's
// four lines and a past run's lines end inside the 53-pixel cell, and no line starts cut by its
// top edge.
TEST_F(SampleDay, TheBlocksOfLinesKeepClearOfTheCellEdges) {
    views::StringGrid detail;
    views::SetupDetailedRaceCard(detail);
    views::AttachDetailedRaceCard(detail, Day());
    Day().gCurRace = 0;
    const int n = raceday::FieldSize(Day(), 0);
    detail.Model()->SetRowCount(n + 1);
    detail.resize(1500, 1000);
    detail.show();
    const QImage img = detail.grab().toImage();
    testsupport::SaveShot(img, "detail_card_edges.png");
    int pastRuns = 0;
    for (int row = 1; row <= n; ++row)
        for (int col : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 16, 18, 19, 20, 21}) {
            const views::CellPaint paint = detail.Model()->PaintOf(col, row);
            if (paint.leftEdge.isValid()) continue; // the mismatch edge runs the cell's height
            if (col >= 7 && col <= 9 && !paint.texts.empty()) ++pastRuns;
            const testsupport::EdgeInk ink = testsupport::InkOnEdges(img, detail, col, row);
            EXPECT_EQ(ink.top, 0) << "col " << col << " row " << row;
            EXPECT_EQ(ink.bottom, 0) << "col " << col << " row " << row;
        }
    EXPECT_GT(pastRuns, 10);
}

// Scrolled to its last runner and its last column, the card still shows its heading row and
// its bracket, number and name columns where they were.
TEST_F(SampleDay, ScrolledTheCardKeepsItsHeadingsAndRunnerColumns) {
    views::StringGrid detail;
    views::SetupDetailedRaceCard(detail);
    views::AttachDetailedRaceCard(detail, Day());
    Day().gCurRace = 0;
    const int n = raceday::FieldSize(Day(), 0);
    detail.Model()->SetRowCount(n + 1);
    detail.resize(700, 250);
    detail.show();
    QApplication::processEvents();
    const QPoint heading = testsupport::CellOrigin(detail, 3, 0);
    const QPoint name = testsupport::CellOrigin(detail, 2, 1);
    detail.verticalScrollBar()->setValue(detail.verticalScrollBar()->maximum());
    detail.horizontalScrollBar()->setValue(detail.horizontalScrollBar()->maximum());
    QApplication::processEvents();
    EXPECT_EQ(testsupport::CellOrigin(detail, 0, 0).y(), heading.y());
    const QModelIndex underHeading =
        detail.indexAt(detail.viewport()->mapFrom(&detail, heading + QPoint(5, 5)));
    EXPECT_EQ(underHeading.row(), 0);
    EXPECT_GT(underHeading.column(), 3);
    const QModelIndex underName =
        detail.indexAt(detail.viewport()->mapFrom(&detail, name + QPoint(5, 5)));
    EXPECT_EQ(underName.column(), 2);
    EXPECT_GT(underName.row(), 1);
    EXPECT_EQ(detail.indexAt(detail.viewport()->mapFrom(
                  &detail, QPoint(4, 4) + testsupport::CellOrigin(detail, 0, 0))),
              detail.Model()->index(0, 0));
}

// The runner block's and the past runs' texts, drawn in the fonts the card names, end inside
// their columns for every runner of the sample day and for a past run of the widest ordinary
// kind; on a run's last line the level, the finish and the margin keep clear of each other. A
// third of the day's races a case.
class SampleDayThird : public SampleDay, public ::testing::WithParamInterface<int> {};

TEST_P(SampleDayThird, TheDrawnTextsEndInsideTheirColumns) {
    raceday::RaceDay& day = Day();
    jvdata::TJvRA& ra = day.gPastRunRaces[0][0][0];
    jvdata::TJvSE& se = day.gPastRunHorses[0][0][0];
    ra.SetField(12, 16, "2026112805050811");
    ra.SetField(605, 6, Sj("キャピ"));
    ra.SetField(615, 1, "L");
    ra.SetField(698, 4, "2400");
    ra.SetField(706, 2, "24");
    ra.SetField(882, 2, "18");
    ra.SetField(889, 2, "44"); // 不良
    se.SetField(29, 2, "18");
    se.SetField(289, 3, "580");
    se.SetField(307, 8, Sj("佐藤拓也"));
    se.SetField(325, 3, "548");
    se.SetField(335, 2, "18");
    se.SetField(339, 4, "2345");
    se.SetField(356, 4, "1818");
    se.SetField(364, 2, "18");
    se.SetField(391, 3, "388");
    se.SetField(532, 4, "-105");
    day.gRaceTexts[0].PastRLevel[0][0] = Sj("高★");
    day.gRaceTexts[0].PastRUma[0][0] = "R+";

    views::StringGrid grid;
    views::SetupDetailedRaceCard(grid);
    views::AttachDetailedRaceCard(grid, day);
    int texts = 0;
    const int third = GetParam();
    for (int race = day.gDayRaceCount * third / 3; race < day.gDayRaceCount * (third + 1) / 3;
         ++race) {
        day.gCurRace = race;
        const int n = raceday::FieldSize(day, race);
        grid.Model()->SetRowCount(n + 1);
        for (int row = 1; row <= n; ++row)
            for (int col : {views::kDetailName, views::kDetailPast1, views::kDetailPast2,
                            views::kDetailPast3}) {
                const int width = grid.ColWidth(col);
                testsupport::TextProbe probe(96, 96); // in pixels
                {
                    QPainter painter(&probe);
                    grid.PaintCell(painter, QRect(0, 0, width + 1, grid.RowHeight(row) + 1),
                                   grid.Model()->index(row, col));
                }
                const auto& drawn = probe.drawn;
                for (std::size_t i = 0; i < drawn.size(); ++i) {
                    ++texts;
                    const std::string where = "race " + std::to_string(race) + " row " +
                                              std::to_string(row) + " col " + std::to_string(col) +
                                              ": " + drawn[i].text.toStdString();
                    EXPECT_LE(drawn[i].right, width + 0.01) << where;
                    for (std::size_t j = i + 1; j < drawn.size(); ++j) {
                        if (drawn[j].y != drawn[i].y) continue;
                        EXPECT_TRUE(drawn[i].right <= drawn[j].x + 0.01 ||
                                    drawn[j].right <= drawn[i].x + 0.01)
                            << where << " / " << drawn[j].text.toStdString();
                    }
                }
            }
    }
    EXPECT_GT(texts, 2000);
}

INSTANTIATE_TEST_SUITE_P(ByThirds, SampleDayThird, ::testing::Values(0, 1, 2));
