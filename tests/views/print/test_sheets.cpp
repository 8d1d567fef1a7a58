// The five printed sheets on a recording page: texts with their place, size and colour, the
// fills and rules, the pages and their names, and fields that are not numbers.

#include "views/print/sheets.h"

#include "jvdata/dayfiles.h"
#include "raceday/dayload.h"
#include "tests/support/sample.h"
#include "tests/views/print/printfixture.h"
#include "tests/views/textprobe.h"

#include <QPaintEngine>
#include <QPainter>
#include <QTextItem>

#include <algorithm>

using namespace testsupport;
using namespace views::print;
using jvdata::BetType;
using jvdata::TJvRA;
using jvdata::TJvSE;
using keiba::Sj;

namespace {

// Texts are compared as shown (UTF-8 in the test).
std::optional<QString> TextAt(const PageContent& page, int x, int y) {
    std::optional<PageText> t = page.TextAt(x, y);
    return t ? std::optional<QString>(t->text) : std::nullopt;
}

int PointsAt(const PageContent& page, int x, int y) {
    std::optional<PageText> t = page.TextAt(x, y);
    return t ? t->font.points : 0;
}

QColor ColorAt(const PageContent& page, int x, int y) {
    std::optional<PageText> t = page.TextAt(x, y);
    return t ? t->font.color : QColor();
}

class SheetTest : public PrintTest {
protected:
    TJvRA& Ra(int r) { return Day().gDayRaces[static_cast<std::size_t>(r)]; }
    TJvSE& Se(int r, int h) {
        return Day().gDayHorses[static_cast<std::size_t>(r)][static_cast<std::size_t>(h)];
    }
    TJvRA& PastRa(int r, int h, int k) {
        return Day().gPastRunRaces[static_cast<std::size_t>(r)][static_cast<std::size_t>(h)]
                                  [static_cast<std::size_t>(k)];
    }
    TJvSE& PastSe(int r, int h, int k) {
        return Day().gPastRunHorses[static_cast<std::size_t>(r)][static_cast<std::size_t>(h)]
                                   [static_cast<std::size_t>(k)];
    }
    raceday::TOutData2& Texts(int r) { return Day().gRaceTexts[static_cast<std::size_t>(r)]; }
    // A past run k of runner h of race r that took place.
    void SetPastRun(int r, int h, int k, std::string_view venue, std::string_view track) {
        PastRa(r, h, k).SetField(jvdata::RecordHead::kYear, "2024");
        PastRa(r, h, k).SetField(jvdata::RecordHead::kMonthDay, "0428");
        PastRa(r, h, k).SetField(jvdata::RecordHead::kVenue, venue);
        PastRa(r, h, k).SetField(TJvRA::kTrack, track);
        PastSe(r, h, k).SetField(jvdata::RecordHead::kYear, "2024");
        PastSe(r, h, k).SetField(jvdata::RecordHead::kMonthDay, "0428");
        PastSe(r, h, k).SetField(TJvSE::kFinishTime, "1345");
        PastSe(r, h, k).SetField(TJvSE::kFinalPosition, "05");
    }
    // The payout entry j of a bet type.
    void SetPayout(int r, BetType t, int j, std::string_view combination, std::string_view payout) {
        const jvdata::PayoutGroup& g = jvdata::PayoutGroupOf(t);
        const std::size_t at = g.firstPos + g.entryWidth * static_cast<std::size_t>(j - 1);
        jvdata::TJvHR& hr = Day().gDayPayouts[static_cast<std::size_t>(r)];
        hr.SetField(at, g.combWidth, combination);
        hr.SetField(at + g.combWidth, 9, payout);
    }
    // Venues of the day as the day load finds them.
    void SetVenues(std::array<std::string, 3> codes, std::array<std::string, 3> firstSlots) {
        Day().venueCodes = std::move(codes);
        Day().venueFirstSlots = std::move(firstSlots);
    }
};

// --- the index table ---

TEST_F(SheetTest, IndexTableHasAPagePerVenueWithColouredBars) {
    SetRace(Day(), 0, "05", 1, 3);
    SetRace(Day(), 1, "05", 2, 3);
    SetRace(Day(), 2, "08", 1, 3);
    Ra(0).SetField(TJvRA::kTrack, "22");
    Ra(1).SetField(TJvRA::kTrack, "23");
    SetVenues({"05", "08", ""}, {" 0", " 2", ""});
    const auto pages = Record(Sheet::IndexTable, "ケストレーン Ver.1.20");
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(names, (std::vector<std::string>{"東京", "京都"}));

    const PageContent& tokyo = pages[0];
    EXPECT_EQ(TextAt(tokyo, 100, 30), Q("2024年05月26日  東京02回12日"));
    EXPECT_EQ(PointsAt(tokyo, 100, 30), 13);
    EXPECT_TRUE(tokyo.TextAt(100, 30)->font.bold);
    EXPECT_TRUE(tokyo.TextAt(100, 30)->font.underline);
    EXPECT_EQ(TextAt(tokyo, 1200, 2690), Q("ケストレーン Ver.1.20"));
    ASSERT_TRUE(tokyo.RectAt(70, 138, 995, 167));
    EXPECT_EQ(tokyo.RectAt(70, 138, 995, 167)->brush.color, QColor(166, 255, 166));
    EXPECT_FALSE(tokyo.RectAt(70, 138, 995, 167)->pen.visible);
    ASSERT_TRUE(tokyo.RectAt(70, 558, 995, 587));
    EXPECT_EQ(tokyo.RectAt(70, 558, 995, 587)->brush.color, QColor(210, 105, 0));
    // Kyoto's race is not on Tokyo's page.
    EXPECT_FALSE(tokyo.RectAt(70, 978, 995, 1007));
    EXPECT_EQ(TextAt(pages[1], 100, 30), Q("2024年05月26日  京都02回12日"));

    // Runner 1: bracket 1 white with a black digit, the horse number as a circled number.
    EXPECT_EQ(tokyo.RectAt(70, 167, 81, 187)->brush.color, QColor(Qt::white));
    EXPECT_EQ(ColorAt(tokyo, 70, 167), QColor(Qt::black));
    EXPECT_TRUE(TextAt(tokyo, 82, 167)->startsWith(Q("①ウマ1")));
    // Bracket 2 black with a white digit.
    EXPECT_EQ(tokyo.RectAt(70, 209, 81, 229)->brush.color, QColor(Qt::black));
    EXPECT_EQ(ColorAt(tokyo, 70, 209), QColor(Qt::white));
    // Bracket 4 (runner 7) blue with a white digit.
    SetRace(Day(), 0, "05", 1, 8);
    const auto eight = Record(Sheet::IndexTable);
    EXPECT_EQ(eight[0].RectAt(70, 167 + 21 * 6, 81, 187 + 21 * 6)->brush.color, QColor(Qt::blue));
    EXPECT_EQ(ColorAt(eight[0], 70, 167 + 21 * 6), QColor(Qt::white));
}

TEST_F(SheetTest, VenuePagesStopAtTheLastRaceOfTheDay) {
    for (int r = 0; r < 36; ++r) SetRace(Day(), r, "05", r + 1, 1);
    Day().gDayRaceCount = 33; // the slots after hold an earlier day's races
    SetVenues({"05", "", ""}, {"30", "", ""});
    const auto pages = Record(Sheet::IndexTable);
    ASSERT_EQ(pages.size(), 1u);
    int bars = 0;
    for (const PageRect& r : pages[0].rects) bars += r.x2 - r.x1 == 925 ? 1 : 0;
    EXPECT_EQ(bars, 3);
    const auto payouts = Record(Sheet::Payouts);
    int raceLines = 0;
    for (const PageText& t : payouts[0].texts) raceLines += t.text.startsWith(Q("/////")) ? 1 : 0;
    EXPECT_EQ(raceLines, 3);
}

// A thirteenth race of one venue (a damaged day) is not printed: twelve fill the page.
TEST_F(SheetTest, VenuePagesHoldTwelveRacesAtMost) {
    for (int r = 0; r < 13; ++r) SetRace(Day(), r, "05", r + 1, 1);
    SetVenues({"05", "", ""}, {" 0", "", ""});
    const auto pages = Record(Sheet::IndexTable);
    ASSERT_EQ(pages.size(), 1u);
    int bars = 0;
    for (const PageRect& r : pages[0].rects) bars += r.x2 - r.x1 == 925 ? 1 : 0;
    EXPECT_EQ(bars, 12);
    const auto payouts = Record(Sheet::Payouts);
    int raceLines = 0;
    for (const PageText& t : payouts[0].texts) raceLines += t.text.startsWith(Q("/////")) ? 1 : 0;
    EXPECT_EQ(raceLines, 12);
}

// Ten races of one venue: races 1-6 down the left column, 7-10 down the right one.
TEST_F(SheetTest, IndexTableRightColumnHoldsRacesSevenToTwelve) {
    for (int r = 0; r < 10; ++r) SetRace(Day(), r, "05", r + 1, 1);
    SetVenues({"05", "", ""}, {" 0", "", ""});
    const auto pages = Record(Sheet::IndexTable);
    ASSERT_EQ(pages.size(), 1u);
    for (int r = 0; r < 10; ++r) {
        const int x0 = r < 6 ? 70 : 1005;
        const int yb = 420 * (r < 6 ? r : r - 6);
        EXPECT_TRUE(pages[0].RectAt(x0, yb + 138, x0 + 925, yb + 167)) << "race " << r + 1;
        const std::optional<QString> line = TextAt(pages[0], x0, yb + 140);
        ASSERT_TRUE(line) << "race " << r + 1;
        EXPECT_TRUE(line->startsWith(Q("【%1R】").arg(r + 1, 2))) << line->toStdString();
    }
    EXPECT_FALSE(pages[0].RectAt(1005, 420 * 4 + 138, 1930, 420 * 4 + 167));
}

// --- the payout list ---

TEST_F(SheetTest, PayoutListPrintsEveryPaidCombination) {
    SetRace(Day(), 0, "05", 1, 8);
    SetVenues({"05", "", ""}, {" 0", "", ""});
    SetPayout(0, BetType::Win, 1, "03", "000000250");
    SetPayout(0, BetType::Win, 2, "05", "000000310"); // a dead heat for first
    SetPayout(0, BetType::BracketQuinella, 1, "18", "000001230");
    SetPayout(0, BetType::Trio, 1, "030105", "000004560");
    SetPayout(0, BetType::Quinella, 1, "0305", "00000x120");
    const auto pages = Record(Sheet::Payouts, "ケストレーン Ver.1.20");
    ASSERT_EQ(pages.size(), 1u);
    const PageContent& page = pages[0];
    EXPECT_EQ(names, std::vector<std::string>{"東京"});
    EXPECT_EQ(TextAt(page, 100, 140), Q("/////  1 R ///// "));
    EXPECT_EQ(TextAt(page, 400, 140), Q(" 8頭"));
    EXPECT_EQ(TextAt(page, 1200, 2660), Q("ケストレーン Ver.1.20"));
    EXPECT_EQ(TextAt(page, 220, 165), Q("　③ [     250]"));
    EXPECT_EQ(TextAt(page, 460, 165), Q("　⑤ [     310]"));
    EXPECT_EQ(TextAt(page, 220, 209), Q("①-⑧[    1230]"));
    EXPECT_EQ(TextAt(page, 220, 297), Q("③-①-⑤[    4560]"));
    // A payout that is not a number prints blank.
    EXPECT_EQ(TextAt(page, 220, 231), Q("③-⑤[        ]"));
    // Blank trifecta fields: the label alone on its line.
    int onTrifectaLine = 0;
    for (const PageText& t : page.texts) onTrifectaLine += t.y == 319 ? 1 : 0;
    EXPECT_EQ(onTrifectaLine, 1);
    EXPECT_EQ(TextAt(page, 100, 319), Q("【三連単】"));
}

// Every entry of every bet type has its place: entry j at x 220 + 240 (j - 1) on its type's line.
TEST_F(SheetTest, PayoutListPlacesEveryEntryOfEveryType) {
    SetRace(Day(), 0, "05", 1, 18);
    SetVenues({"05", "", ""}, {" 0", "", ""});
    const QString circled = Q("①②③④⑤⑥⑦⑧⑨⑩⑪⑫⑬⑭⑮⑯⑰⑱");
    auto c = [&](int n) { return QString(circled[n - 1]); };
    const struct {
        BetType type;
        int entries, y, runners; // runners 1, 2 or 3; 0 for the one-digit brackets
    } types[] = {
        {BetType::Win, 3, 165, 1},
        {BetType::Place, 5, 187, 1},
        {BetType::BracketQuinella, 3, 209, 0},
        {BetType::Quinella, 3, 231, 2},
        {BetType::Wide, 7, 253, 2},
        {BetType::Exacta, 6, 275, 2},
        {BetType::Trio, 3, 297, 3},
        {BetType::Trifecta, 6, 319, 3},
    };
    std::vector<std::pair<std::pair<int, int>, QString>> expected;
    int n = 0;
    for (const auto& t : types)
        for (int j = 1; j <= t.entries; ++j) {
            const int yen = 100 * ++n;
            std::string comb;
            QString text;
            switch (t.runners) {
            case 0:
                comb = std::to_string(j) + "8";
                text = c(j) + Q("-") + c(8);
                break;
            case 1:
                comb = Digits2(j);
                text = Q("　") + c(j) + Q(" ");
                break;
            case 2:
                comb = Digits2(j) + Digits2(j + 10);
                text = c(j) + Q("-") + c(j + 10);
                break;
            default:
                comb = Digits2(j + 10) + Digits2(j) + Digits2(18);
                text = c(j + 10) + Q("-") + c(j) + Q("-") + c(18);
            }
            SetPayout(0, t.type, j, comb,
                      std::string(9 - std::to_string(yen).size(), '0') + std::to_string(yen));
            expected.push_back({{220 + 240 * (j - 1), t.y},
                                text + QStringLiteral("[%1]").arg(yen, 8, 10, QChar(u' '))});
        }
    const auto pages = Record(Sheet::Payouts);
    for (const auto& [at, text] : expected)
        EXPECT_EQ(TextAt(pages[0], at.first, at.second), text) << at.first << "," << at.second;
}

// The going beside the weather: the turf going below track code 23, the dirt going for 23 to
// 29, blanks for the rest.
TEST_F(SheetTest, PayoutListGoingFollowsTheTrack) {
    const std::pair<const char*, const char*> cases[] = {
        {"22", "芝:良晴"}, {"23", "ダ:不良晴"}, {"29", "ダ:不良晴"}, {"51", "　　　晴"}};
    for (int r = 0; r < 4; ++r) {
        SetRace(Day(), r, "05", r + 1, 1);
        Ra(r).SetField(TJvRA::kTrack, cases[r].first);
        Ra(r).SetField(TJvRA::kWeather, "1");
        Ra(r).SetField(TJvRA::kTurfGoing, "1");
        Ra(r).SetField(TJvRA::kDirtGoing, "4");
    }
    SetVenues({"05", "", ""}, {" 0", "", ""});
    const auto pages = Record(Sheet::Payouts);
    ASSERT_EQ(pages.size(), 1u);
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(TextAt(pages[0], 1600, 210 * r + 140), Q(cases[r].second))
            << "track " << cases[r].first;
}

// --- the race card ---

TEST_F(SheetTest, RaceCardHasAPagePerRaceOfTheDay) {
    const char* venues[] = {"05", "08", "09"};
    for (int r = 0; r < 36; ++r) SetRace(Day(), r, venues[r / 12], r % 12 + 1, 2);
    const auto pages = Record(Sheet::RaceCard);
    EXPECT_EQ(pages.size(), 36u);
    ASSERT_EQ(names.size(), 36u);
    EXPECT_EQ(names[0], "東京 1R");
    EXPECT_EQ(names[10], "東京11R");
    EXPECT_EQ(names[35], "阪神12R");
    // Race number 9 at x 70, race number 10 at x 55, in white.
    EXPECT_EQ(TextAt(pages[8], 70, 125), Q("9"));
    EXPECT_EQ(TextAt(pages[9], 55, 125), Q("10"));
    EXPECT_EQ(ColorAt(pages[9], 55, 125), QColor(Qt::white));
}

TEST_F(SheetTest, RaceCardHeaderShowsTheRaceRLevel) {
    SetRace(Day(), 0, "05", 1, 2);
    SetRace(Day(), 1, "05", 2, 2);
    SetRace(Day(), 2, "05", 3, 2);
    Texts(0).RaceRLevelText = Sj("高★");
    Texts(0).RplsTou = " 3";
    Texts(0).RmnsTou = " 2";
    Texts(1).RaceRLevelText = Sj("高＋");
    const auto pages = Record(Sheet::RaceCard);
    EXPECT_EQ(TextAt(pages[0], 50, 220), Q("高★　R+馬: 3頭　R-馬: 2頭"));
    EXPECT_EQ(PointsAt(pages[0], 50, 220), 13);
    EXPECT_EQ(ColorAt(pages[0], 50, 220), QColor(Qt::black));
    EXPECT_EQ(pages[0].RectAt(50, 210, 150, 275)->brush.color, QColor(15, 206, 240));
    EXPECT_EQ(pages[1].RectAt(50, 210, 150, 275)->brush.color, QColor(141, 232, 248));
    EXPECT_EQ(pages[2].RectAt(50, 210, 150, 275)->brush.color, QColor(Qt::white));
    EXPECT_FALSE(pages[2].TextAt(50, 220));
}

// The R level box: three shades of blue for the three high levels, white for every other text.
TEST_F(SheetTest, RaceCardRLevelBoxOfEveryLevel) {
    const std::pair<const char*, QColor> levels[] = {{"高★", QColor(15, 206, 240)},
                                                     {"高＋", QColor(141, 232, 248)},
                                                     {"高－", QColor(211, 245, 252)},
                                                     {"普通", Qt::white},
                                                     {"低＋", Qt::white},
                                                     {"低－", Qt::white},
                                                     {"低★", Qt::white},
                                                     {"", Qt::white}};
    for (int r = 0; r < 8; ++r) {
        SetRace(Day(), r, "05", r + 1, 1);
        Texts(r).RaceRLevelText = Sj(levels[r].first);
    }
    const auto pages = Record(Sheet::RaceCard);
    ASSERT_EQ(pages.size(), 8u);
    for (int r = 0; r < 8; ++r) {
        const std::optional<PageRect> box =
            pages[static_cast<std::size_t>(r)].RectAt(50, 210, 150, 275);
        ASSERT_TRUE(box) << levels[r].first;
        EXPECT_EQ(box->brush.color, levels[r].second) << levels[r].first;
    }
}

TEST_F(SheetTest, RaceCardPastRuns) {
    SetRace(Day(), 0, "05", 1, 2);
    SetPastRun(0, 0, 0, "05", "11");
    SetPastRun(0, 0, 1, "44", "11");
    SetPastRun(0, 0, 2, "05", "11");
    PastSe(0, 0, 0).SetField(TJvSE::kFinishTime, "0000");
    PastSe(0, 0, 0).SetField(TJvSE::kFinalPosition, "00");
    PastSe(0, 0, 1).SetField(TJvSE::kFinishTime, "9999");
    PastSe(0, 0, 1).SetField(TJvSE::kFinalPosition, "01");
    Texts(0).PastRUma[0][1] = "R+";
    const auto pages = Record(Sheet::RaceCard);
    const PageContent& page = pages[0];
    const int top = 385; // row 1
    const int x1 = 603, x2 = 823, x3 = 1043;
    EXPECT_TRUE(TextAt(page, x1, top + 49)->startsWith(Q("---- ")));
    EXPECT_TRUE(TextAt(page, x2, top + 49)->startsWith(Q("---- ")));
    EXPECT_TRUE(TextAt(page, x3, top + 49)->startsWith(Q("1345 ")));
    EXPECT_EQ(TextAt(page, x1 + 152, top + 75), Q("-着"));
    EXPECT_EQ(ColorAt(page, x1 + 152, top + 75), QColor(Qt::black));
    // A run abroad is grey, its first place still red.
    EXPECT_EQ(ColorAt(page, x2, top + 3), QColor(128, 128, 128));
    EXPECT_EQ(TextAt(page, x2 + 152, top + 75), Q(" 1着"));
    EXPECT_EQ(ColorAt(page, x2 + 152, top + 75), QColor(255, 0, 0));
    EXPECT_EQ(ColorAt(page, x2 + 112, top + 72), QColor(255, 0, 0)); // R+
    EXPECT_EQ(ColorAt(page, x3, top + 3), QColor(Qt::black));
    EXPECT_EQ(ColorAt(page, x3 + 152, top + 75), QColor(Qt::black)); // 5th
    // Runner 2 has no past runs.
    EXPECT_FALSE(page.TextAt(x1, top + 105 + 3));
}

// Past runs away from the JRA's ten racecourses (a venue code above 10, or one abroad) are grey,
// those at them black, on both sides of the boundary.
TEST_F(SheetTest, RaceCardPastRunsAwayFromTheJraAreGrey) {
    SetRace(Day(), 0, "05", 1, 2);
    const std::pair<const char*, bool> venues[] = {{"01", false}, {"09", false}, {"10", false},
                                                   {"11", true},  {"30", true},  {"A8", true}};
    for (int i = 0; i < 6; ++i) SetPastRun(0, i / 3, i % 3, venues[i].first, "11");
    const auto pages = Record(Sheet::RaceCard);
    for (int i = 0; i < 6; ++i) {
        const int top = 385 + 105 * (i / 3), x0 = 383 + 220 * (i % 3 + 1);
        const QColor ink = venues[i].second ? QColor(128, 128, 128) : QColor(Qt::black);
        EXPECT_EQ(ColorAt(pages[0], x0, top + 3), ink) << "venue " << venues[i].first;
        EXPECT_EQ(ColorAt(pages[0], x0, top + 26), ink) << "venue " << venues[i].first;
    }
}

// Brackets 1 to 8, one runner each: every row opens its bracket with the bracket's print fill,
// name and ink.
TEST_F(SheetTest, RaceCardPrintsEveryBracketInItsColours) {
    SetRace(Day(), 0, "05", 1, 8);
    for (int h = 0; h < 8; ++h) Se(0, h).SetField(TJvSE::kBracket, std::to_string(h + 1));
    const struct {
        QColor fill;
        const char* name;
        QColor ink;
    } brackets[] = {
        {Qt::white, "白", Qt::black},           {Qt::black, "黒", Qt::white},
        {QColor(255, 0, 0), "赤", Qt::white},   {QColor(0, 0, 255), "青", Qt::white},
        {QColor(255, 255, 0), "黄", Qt::black}, {QColor(0, 255, 0), "緑", Qt::black},
        {QColor(255, 128, 0), "橙", Qt::black}, {QColor(255, 128, 192), "桃", Qt::black},
    };
    const auto pages = Record(Sheet::RaceCard);
    for (int b = 1; b <= 8; ++b) {
        const auto& want = brackets[b - 1];
        const int top = 280 + 105 * b;
        const std::optional<PageRect> cell = pages[0].RectAt(51, top, 99, top + 105);
        ASSERT_TRUE(cell) << b;
        EXPECT_EQ(cell->brush.color, want.fill) << b;
        EXPECT_EQ(TextAt(pages[0], 60, top + 20), Q(want.name)) << b;
        EXPECT_EQ(ColorAt(pages[0], 60, top + 20), want.ink) << b;
        EXPECT_EQ(TextAt(pages[0], 65, top + 55), QString::number(b));
        EXPECT_EQ(ColorAt(pages[0], 65, top + 55), want.ink) << b;
    }
}

// A past run's finish: 1st red, 2nd and 3rd blue, the rest in the run's own ink.
TEST_F(SheetTest, RaceCardFinishesAreRedThenBlueThenTheRunsInk) {
    SetRace(Day(), 0, "05", 1, 2);
    const QColor grey(128, 128, 128);
    const struct {
        const char* venue;
        const char* position;
        const char* text;
        QColor ink;
    } runs[] = {{"05", "01", " 1着", QColor(255, 0, 0)},
                {"05", "02", " 2着", QColor(0, 0, 255)},
                {"05", "04", " 4着", Qt::black},
                {"30", "03", " 3着", QColor(0, 0, 255)},
                {"30", "18", "18着", grey},
                {"30", "00", "-着", grey}};
    for (int i = 0; i < 6; ++i) {
        SetPastRun(0, i / 3, i % 3, runs[i].venue, "11");
        PastSe(0, i / 3, i % 3).SetField(TJvSE::kFinalPosition, runs[i].position);
    }
    const auto pages = Record(Sheet::RaceCard);
    for (int i = 0; i < 6; ++i) {
        const int top = 385 + 105 * (i / 3), x = 383 + 220 * (i % 3 + 1) + 152;
        EXPECT_EQ(TextAt(pages[0], x, top + 75), Q(runs[i].text)) << runs[i].position;
        EXPECT_EQ(ColorAt(pages[0], x, top + 75), runs[i].ink) << runs[i].position;
    }
}

TEST_F(SheetTest, RaceCardMarkColumnsAndComment) {
    SetRace(Day(), 0, "05", 1, 2);
    Texts(0).ZogenText[0] = Sj("同休減");
    Texts(0).JoshoMark[0] = Sj("↑");
    Texts(0).RUmaMark[0] = "R+";
    Texts(0).RaceComment = Sj("展開A 展開B,展開C");
    const auto pages = Record(Sheet::RaceCard);
    const PageContent& page = pages[0];
    const int top = 385;
    EXPECT_EQ(TextAt(page, 1270, top + 12), Q("同"));
    EXPECT_EQ(TextAt(page, 1270, top + 42), Q("休"));
    EXPECT_EQ(TextAt(page, 1270, top + 72), Q("減"));
    EXPECT_EQ(TextAt(page, 1320, top + 40), Q("↑"));
    EXPECT_EQ(ColorAt(page, 508, top + 25), QColor(255, 0, 0));
    const int n = 2;
    EXPECT_EQ(TextAt(page, 50, 430 + 105 * n), Q("<< レース見解 >>"));
    EXPECT_EQ(TextAt(page, 50, 465 + 105 * n), Q("展開A"));
    EXPECT_EQ(TextAt(page, 50, 500 + 105 * n), Q("展開B"));
    EXPECT_EQ(TextAt(page, 50, 535 + 105 * n), Q("展開C"));
}

TEST_F(SheetTest, RaceCardStaysOnThePage) {
    SetRace(Day(), 0, "05", 1, 18);
    Ra(0).SetField(TJvRA::kRunnerCount, "25");
    std::string comment;
    for (int i = 0; i < 40; ++i) comment += "item" + std::to_string(i) + ",";
    Texts(0).RaceComment = comment;
    const auto pages = Record(Sheet::RaceCard);
    const PageContent& page = pages[0];
    // Eighteen rows at most.
    EXPECT_TRUE(page.RectAt(50, 280, 1930, 385 + 105 * 18));
    EXPECT_FALSE(page.TextAt(107, 280 + 105 * 19 + 20));
    int items = 0;
    for (const PageText& t : page.texts) {
        if (t.x != 50 || !t.text.startsWith(QStringLiteral("item"))) continue;
        ++items;
        EXPECT_LE(t.y + 35, bottom) << t.text.toStdString();
    }
    EXPECT_GT(items, 5);
    EXPECT_LT(items, 40);
}

// The race card's past runs of the widest ordinary kind and the LV rates stay in their columns
// as the PDF prints them (1200 dpi): their ink ends before the column's rule, their advance
// before the next column's text. A grade race's label is longer than its column allows: that
// line is condensed to fit.
TEST_F(SheetTest, RaceCardTextsEndBeforeTheNextColumn) {
    SetRace(Day(), 0, "05", 11, 1);
    for (int k = 0; k < 3; ++k) {
        SetPastRun(0, 0, k, "05", "24");
        TJvRA& ra = PastRa(0, 0, k);
        ra.SetField(jvdata::RecordHead::kMonthDay, "1128");
        ra.SetField(TJvRA::kConditionPos + 12, 3, "703"); // 未勝利
        ra.SetField(TJvRA::kRunnerCount, "18");
        ra.SetField(TJvRA::kDistance, "2400");
        TJvSE& se = PastSe(0, 0, k);
        se.SetField(jvdata::RecordHead::kMonthDay, "1128");
        se.SetField(TJvSE::kJockeyName, Sj("佐藤拓也"));
        se.SetField(TJvSE::kWeightCarried, "580");
        se.SetField(TJvSE::kFinishTime, "2345");
        se.SetField(TJvSE::kLast3F, "388");
        se.SetField(TJvSE::kBodyWeight, "548");
        se.SetField(TJvSE::kWinPopularity, "18");
        se.SetField(TJvSE::kFinalPosition, "18");
        Texts(0).PastRLevel[0][static_cast<std::size_t>(k)] = Sj("高★");
        Texts(0).PastRUma[0][static_cast<std::size_t>(k)] = "R+";
    }
    PastRa(0, 0, 2).SetField(TJvRA::kGrade, "L");
    PastRa(0, 0, 2).SetField(TJvRA::kShortName3, Sj("キャピ"));
    Texts(0).HiLvRate[0] = "0.888";
    Texts(0).LoLvRate[0] = "0.888";

    FakePrinter printer;
    printer.SetDpi(1200);
    TPrevX prev(printer);
    ASSERT_TRUE(BuildDocument(prev, Sheet::RaceCard, Day(), ""));
    TextProbe probe(1200);
    {
        QPainter painter(&probe);
        ReplayPage(painter, prev.Page(1), 1, 1);
    }
    const int top = 385;
    int checked = 0;
    for (const TextProbe::Drawn& t : probe.drawn) {
        if (t.y < top || t.y > top + 105) continue;
        // The columns' right edges: past runs 1..3, then the two LV rates.
        for (double right : {820, 1040, 1260, 1740, 1820}) {
            if (t.x < right - 220 || t.x >= right) continue;
            if (right > 1260 && t.x < right - 80) continue;
            ++checked;
            EXPECT_LE(t.inkRight, right) << t.text.toStdString() << " from x " << t.x;
            EXPECT_LE(t.right, right + (right > 1260 ? 10 : 3)) << t.text.toStdString();
        }
    }
    EXPECT_EQ(checked, 3 * 6 + 2);
}

// The prize rows are bold under their regular captions on the race card and the past-performance
// sheet, regular on the newspaper card; the widest bold main prize still ends before the added
// prizes' column.
TEST_F(SheetTest, PrizeRowsAreBoldWhereTheHeaderIsAndStayInTheirColumn) {
    SetRace(Day(), 0, "05", 11, 1);
    for (std::size_t k = 0; k < 7; ++k) Ra(0).SetField(TJvRA::kPrizePos + 8 * k, 8, "99999999");
    for (std::size_t k = 0; k < 5; ++k)
        Ra(0).SetField(TJvRA::kAddedPrizePos + 8 * k, 8, "99999999");
    const struct {
        Sheet sheet;
        int firstY, captionX, captionY;
        bool bold;
    } sheets[] = {{Sheet::RaceCard, 120, 1650, 80, true},
                  {Sheet::PastPerformance, 20, 1800, 0, true},
                  {Sheet::Newspaper, 120, 1650, 80, false}};
    for (const auto& s : sheets) {
        const PageContent page = Record(s.sheet)[0];
        const std::string which(InfoOf(s.sheet).key);
        for (int x : {1650, 1800}) {
            ASSERT_EQ(TextAt(page, x, s.firstY), Q("①9999999.9")) << which << " " << x;
            EXPECT_EQ(page.TextAt(x, s.firstY)->font.bold, s.bold) << which << " " << x;
        }
        EXPECT_FALSE(page.TextAt(s.captionX, s.captionY)->font.bold) << which;
    }

    FakePrinter printer;
    printer.SetDpi(1200);
    TPrevX prev(printer);
    ASSERT_TRUE(BuildDocument(prev, Sheet::RaceCard, Day(), ""));
    TextProbe probe(1200);
    {
        QPainter painter(&probe);
        ReplayPage(painter, prev.Page(1), 1, 1);
    }
    int rows = 0;
    for (const TextProbe::Drawn& t : probe.drawn) {
        if (std::abs(t.x - 1650) > 1 || t.y < 120 || t.y > 280) continue;
        ++rows;
        EXPECT_LE(t.inkRight, 1800 - 10) << t.text.toStdString();
    }
    EXPECT_EQ(rows, 7);
}

// The vertical rules of a page (lines, and the edges of outlined rectangles that are not filled
// boxes of one colour) in tenths of a millimetre at 1200 dpi.
struct Rule {
    double x, top, bottom;
};
std::vector<Rule> RulesOf(const PageContent& page) {
    const double k = 254.0 / 1200;
    std::vector<Rule> rules;
    for (const PageLine& l : page.lines)
        if (l.x1 == l.x2 && l.pen.visible)
            rules.push_back({l.x1 * k, std::min(l.y1, l.y2) * k, std::max(l.y1, l.y2) * k});
    for (const PageRect& r : page.rects) {
        if (!r.pen.visible || (r.brush.solid && r.brush.color == r.pen.color)) continue;
        for (int x : {r.x1, r.x2})
            rules.push_back({x * k, std::min(r.y1, r.y2) * k, std::max(r.y1, r.y2) * k});
    }
    return rules;
}

// Where two texts overlap: each taken from its first character after blanks to the end of its
// ink, and from its baseline up by the height of its capitals and figures (0.7 em), so that
// lines set closer than their fonts' full height do not count.
bool Overlap(const TextProbe::Drawn& a, const TextProbe::Drawn& b) {
    const bool across = a.inkLeft < b.inkRight && b.inkLeft < a.inkRight;
    const bool down = a.y - 0.7 * a.em < b.y && b.y - 0.7 * b.em < a.y;
    return across && down;
}

// Every sheet of the sample day as the print form builds it, a sheet a case: no text's ink
// crosses a rule to its right, runs into another text or leaves the printable area.
class SampleDaySheet : public SheetTest, public ::testing::WithParamInterface<Sheet> {};

TEST_P(SampleDaySheet, TextsStayInsideTheirRulesAndThePage) {
    ASSERT_TRUE(std::filesystem::exists(SampleFolder() / "done")) << "the sample generator failed";
    UseSampleIn(dir.path());
    raceday::DayLoadProgress progress;
    raceday::DayLoadSteps steps;
    ASSERT_EQ(raceday::LoadDay(Day(), jvdata::DayStem(*jvdata::ParseYyyymmdd("20261128")), progress,
                               steps, context),
              raceday::DayLoadResult::Loaded);
    const Sheet sheet = GetParam();
    FakePrinter printer;
    printer.SetDpi(1200);
    TPrevX prev(printer);
    prev.MarginTop = 50;
    ASSERT_TRUE(BuildDocument(prev, sheet, Day(), Sj("ケストレーン Ver.1.20")));
    for (int p = 1; p <= prev.PageCount(); ++p) {
        const RecordedPage& page = prev.Page(p);
        const std::vector<Rule> rules = RulesOf(ReadPage(page));
        TextProbe probe(1200);
        {
            QPainter painter(&probe);
            ReplayPage(painter, page, 1, 1);
        }
        const double width = page.Width() * 254.0 / 1200;
        const double height = page.Height() * 254.0 / 1200;
        const std::string where = std::string(InfoOf(sheet).key) + " page " + std::to_string(p);
        for (const TextProbe::Drawn& t : probe.drawn) {
            const std::string text = t.text.toStdString();
            EXPECT_LE(t.inkRight, width) << where << ": " << text;
            EXPECT_LE(t.y, height) << where << ": " << text;
            // The baseline's row against the rules to the right of the text's start.
            for (const Rule& r : rules) {
                if (r.x > t.x + 1 && t.y > r.top && t.y < r.bottom) {
                    EXPECT_LE(t.inkRight, r.x) << where << ": " << text << " over x " << r.x;
                }
            }
        }
        std::vector<TextProbe::Drawn> byLine = probe.drawn;
        std::sort(byLine.begin(), byLine.end(),
                  [](const auto& a, const auto& b) { return a.y < b.y; });
        for (std::size_t i = 0; i < byLine.size(); ++i)
            for (std::size_t j = i + 1; j < byLine.size() && byLine[j].y < byLine[i].y + 60; ++j)
                EXPECT_FALSE(Overlap(byLine[i], byLine[j]))
                    << where << ": " << byLine[i].text.toStdString() << " / "
                    << byLine[j].text.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(EverySheet, SampleDaySheet,
                         ::testing::Values(Sheet::RaceCard, Sheet::Newspaper, Sheet::IndexTable,
                                           Sheet::Payouts, Sheet::PastPerformance),
                         [](const auto& param) { return std::string(InfoOf(param.param).key); });

// --- the newspaper-style card ---

TEST_F(SheetTest, NewspaperOpensEachBracketOnce) {
    SetRace(Day(), 0, "05", 1, 8); // brackets 1,1,2,2,3,3,4,4
    const auto pages = Record(Sheet::Newspaper);
    const PageContent& page = pages[0];
    for (int h = 0; h < 8; ++h) {
        const int yT = 406 + 126 * h;
        const bool opens = h % 2 == 0;
        EXPECT_EQ(page.TextAt(60, yT + 20).has_value(), opens) << h;
        EXPECT_EQ(page.HasLine(50, yT, 1990, yT), opens) << h;
        EXPECT_EQ(page.HasLine(100, yT, 1990, yT), !opens) << h;
    }
    // Name and digit: white on brackets 2 to 4, black on 1.
    const char* const bracketNames[] = {"白", "黒", "赤", "青"};
    for (int b = 1; b <= 4; ++b) {
        const int yT = 406 + 126 * 2 * (b - 1);
        const QColor ink = b == 1 ? QColor(Qt::black) : QColor(Qt::white);
        EXPECT_EQ(TextAt(page, 60, yT + 20), Q(bracketNames[b - 1]));
        EXPECT_EQ(ColorAt(page, 60, yT + 20), ink) << b;
        EXPECT_EQ(TextAt(page, 65, yT + 70), QString::number(b));
        EXPECT_EQ(ColorAt(page, 65, yT + 70), ink) << b;
    }
    // The frame ends under the last runner.
    EXPECT_TRUE(page.RectAt(50, 280, 1990, 406 + 126 * 8));
}

// A past run's time line: the first half is the time less the last 3F, so a run without a
// time, or without a last 3F, has none.
TEST_F(SheetTest, NewspaperPrintsAFirstHalfOnlyForARunWithBothTimes) {
    const struct {
        const char* time;
        const char* last3;
        const char* line;
    } cases[] = {
        // 1600 m in 1:34.5, the last 3F in 34.5: 60.0 s over the first 1000 m, 36.0 per 600 m.
        {"1345", "345", "1345 前360 後345"}, {"9999", "345", "---- 前--- 後345"},
        {"0000", "345", "---- 前--- 後345"}, {"1345", "000", "1345 前--- 後---"},
        {"9999", "999", "---- 前--- 後---"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.time + std::string(" ") + c.last3);
        SetRace(Day(), 0, "05", 1, 1);
        SetPastRun(0, 0, 0, "05", "11");
        PastRa(0, 0, 0).SetField(TJvRA::kDistance, "1600");
        PastSe(0, 0, 0).SetField(TJvSE::kFinishTime, c.time);
        PastSe(0, 0, 0).SetField(TJvSE::kLast3F, c.last3);
        const auto pages = Record(Sheet::Newspaper);
        EXPECT_EQ(TextAt(pages[0], 673, 406 + 62).value_or(QString()).toStdString(), c.line);
    }
}

// The line under it: the four corner positions as circled numbers ("－" for a corner not
// passed), the body weight and the two prizes' sum in thousands of yen.
TEST_F(SheetTest, NewspaperPrintsAllFourCornersOfAPastRun) {
    SetRace(Day(), 0, "05", 1, 1);
    SetPastRun(0, 0, 0, "05", "11");
    PastSe(0, 0, 0).SetField(TJvSE::kCornerPos, 8, "00070312");
    PastSe(0, 0, 0).SetField(TJvSE::kBodyWeight, "480");
    PastSe(0, 0, 0).SetField(TJvSE::kPrizeWon, "00001500");
    PastSe(0, 0, 0).SetField(TJvSE::kAddedPrizeWon, "00000500");
    const auto pages = Record(Sheet::Newspaper);
    EXPECT_EQ(TextAt(pages[0], 673, 406 + 82), Q("－⑦③⑫480Kg    200"));
}

TEST_F(SheetTest, NewspaperPrintsTheCourseRecordWhenThereIsOne) {
    SetRace(Day(), 0, "05", 1, 1);
    SetRace(Day(), 1, "05", 2, 1);
    jvdata::TJvRC& rc = Day().gRcRecords[0];
    rc.SetField(jvdata::TJvRC::kYear, "2019");
    rc.SetField(jvdata::TJvRC::kMonth, "11");
    rc.SetField(jvdata::TJvRC::kDayOfMonth, "10");
    rc.SetField(jvdata::TJvRC::kVenue, "05");
    rc.SetField(jvdata::TJvRC::kMeeting, "05");
    rc.SetField(jvdata::TJvRC::kMeetingDay, "03");
    rc.SetField(jvdata::TJvRC::kRaceNo, "11");
    rc.SetField(jvdata::TJvRC::kRaceName, Sj("　テスト記念　"));
    rc.SetField(jvdata::TJvRC::kRecordTime, "1317");
    rc.SetField(jvdata::TJvRC::kPedigreeYear, "2015");
    rc.SetField(jvdata::TJvRC::kHorseName, Sj("レコード　ホルダー"));
    rc.SetField(jvdata::TJvRC::kWeightCarried, "570");
    rc.SetField(jvdata::TJvRC::kJockeyName, Sj("騎手"));
    rc.SetField(jvdata::TJvRC::kTrainerName, Sj("調教師"));
    const auto pages = Record(Sheet::Newspaper);
    const QString record = *TextAt(pages[0], 50, 215);
    EXPECT_TRUE(record.startsWith(Q("ﾚｺｰﾄﾞ:2019年11月10日東京05回03日11R テスト記念 ")))
        << record.toStdString();
    EXPECT_TRUE(record.contains(Q("1.31.7 "))) << record.toStdString();
    const QString holder = *TextAt(pages[0], 130, 245);
    EXPECT_TRUE(holder.startsWith(Q("レコードホルダー "))) << holder.toStdString();
    EXPECT_TRUE(holder.contains(Q("2015年生"))) << holder.toStdString();
    EXPECT_TRUE(holder.contains(Q(" 騎手:騎手"))) << holder.toStdString();
    EXPECT_TRUE(holder.contains(Q("[57.0kg]  調教師:調教師"))) << holder.toStdString();
    // Without a course record both lines are empty.
    EXPECT_FALSE(pages[1].TextAt(50, 215));
    EXPECT_FALSE(pages[1].TextAt(130, 245));
}

// The going of a past run follows its track: the turf going up to track code 22, the dirt going
// for 23 to 29, none for the rest.
TEST_F(SheetTest, NewspaperPastRunGoingFollowsTheTrack) {
    SetRace(Day(), 0, "05", 1, 1);
    const std::pair<const char*, const char*> tracks[] = {
        {"10", "芝直晴良"},   {"22", "芝右晴良"}, {"23", "ダ左晴不良"},
        {"29", "ダ直晴不良"}, {"30", "晴"},       {"51", "障害晴"}};
    for (int k = 0; k < 6; ++k) {
        SetPastRun(0, 0, k, "05", tracks[k].first);
        PastRa(0, 0, k).SetField(TJvRA::kRunnerCount, "16");
        PastRa(0, 0, k).SetField(TJvRA::kDistance, "1600");
        PastRa(0, 0, k).SetField(TJvRA::kWeather, "1");
        PastRa(0, 0, k).SetField(TJvRA::kTurfGoing, "1");
        PastRa(0, 0, k).SetField(TJvRA::kDirtGoing, "4");
        PastSe(0, 0, k).SetField(TJvSE::kHorseNo, "03");
    }
    const auto pages = Record(Sheet::Newspaper);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(TextAt(pages[0], 220 * (k + 1) + 453, 406 + 22),
                  Q("16頭③1600") + Q(tracks[k].second))
            << "track " << tracks[k].first;
}

// --- the past-performance sheet ---

// Every sheet that lists runners: a runner lost to damage shows nothing of its record (its row
// holds the members' figures alone, whatever its slot still holds), and a run abroad, whose race
// record is its key alone, shows no unit without its number.
TEST_F(SheetTest, ALostRunnerAndARunAbroadShowOnlyWhatIsThere) {
    SetRace(Day(), 0, "05", 1, 3);
    SetVenues({"05", "", ""}, {" 0", "", ""});
    Se(0, 1).Clear();
    Se(0, 1).SetField(TJvSE::kFinalPosition, "03"); // put there by the results re-read
    Texts(0).KettoRank[1] = "A";
    SetPastRun(0, 2, 0, "A8", "  ");
    const struct {
        Sheet sheet;
        int lost, abroad, row; // the tops of runners 2 and 3, the rows' height
    } sheets[] = {{Sheet::IndexTable, 167 + 21, 167 + 42, 21},
                  {Sheet::RaceCard, 280 + 105 * 2, 280 + 105 * 3, 105},
                  {Sheet::Newspaper, 406 + 126, 406 + 126 * 2, 126},
                  {Sheet::PastPerformance, 160 + 93 * 2, 160 + 93 * 3, 93}};
    for (const auto& s : sheets) {
        SCOPED_TRACE(std::string(InfoOf(s.sheet).key));
        const auto pages = Record(s.sheet);
        ASSERT_FALSE(pages.empty());
        for (const PageText& t : pages[0].texts) {
            if (t.y >= s.lost && t.y < s.lost + s.row) {
                EXPECT_TRUE(t.text.trimmed().isEmpty() || t.text == u"A")
                    << t.x << "," << t.y << " " << t.text.toStdString();
            }
            if (t.y < s.abroad || t.y >= s.abroad + s.row) continue;
            for (qsizetype at = t.text.indexOf(u'頭'); at >= 0;
                 at = t.text.indexOf(u'頭', at + 1)) {
                EXPECT_TRUE(at > 0 && t.text[at - 1].isDigit()) << t.text.toStdString();
            }
        }
    }
}

TEST_F(SheetTest, PastPerformanceIsLandscapeWithTwentyColumns) {
    SetRace(Day(), 0, "05", 1, 2);
    Se(0, 0).SetField(TJvSE::kWeightCarried, "560");
    Se(0, 0).SetField(TJvSE::kJockeyName, Sj("武豊"));
    SetPastRun(0, 0, 0, "05", "24"); // dirt
    SetPastRun(0, 0, 1, "05", "11"); // turf
    SetPastRun(0, 0, 2, "05", "51"); // jumps
    PastSe(0, 0, 0).SetField(TJvSE::kWeightCarried, "560");
    PastSe(0, 0, 0).SetField(TJvSE::kJockeyName, Sj("武豊"));
    const auto pages = Record(Sheet::PastPerformance);
    EXPECT_TRUE(landscape);
    const PageContent& page = pages[0];
    const int top = 253, bottomOfTable = 253 + 93 * 2;
    for (int k = 0; k < 20; ++k) {
        EXPECT_EQ(TextAt(page, 520 + 115 * k, 232), Q("前走-") + QString::number(k + 1));
        EXPECT_TRUE(page.HasLine(515 + 115 * (k + 1), 231, 515 + 115 * (k + 1), bottomOfTable + 2));
    }
    const int x0 = 517;
    ASSERT_TRUE(page.RectAt(x0 + 103, top + 2, x0 + 113, top + 20));
    EXPECT_EQ(page.RectAt(x0 + 103, top + 2, x0 + 113, top + 20)->brush.color, QColor(128, 0, 0));
    EXPECT_TRUE(page.RectAt(x0 + 103, top + 2, x0 + 113, top + 20)->brush.solid);
    EXPECT_EQ(page.RectAt(x0 + 218, top + 2, x0 + 228, top + 20)->brush.color, QColor(0, 128, 0));
    EXPECT_FALSE(page.RectAt(x0 + 333, top + 2, x0 + 343, top + 20)); // no marker on jumps
    // A track code of "00" or one that is not a number counts as turf, with the turf going.
    for (int k : {3, 4}) {
        SetPastRun(0, 0, k, "05", k == 3 ? "00" : "1x");
        PastRa(0, 0, k).SetField(TJvRA::kTurfGoing, "1");
        PastRa(0, 0, k).SetField(TJvRA::kDirtGoing, "4");
    }
    const auto unknown = Record(Sheet::PastPerformance);
    for (int k : {3, 4}) {
        const int xk = x0 + 115 * k;
        ASSERT_TRUE(unknown[0].RectAt(xk + 103, top + 2, xk + 113, top + 20)) << k;
        EXPECT_EQ(unknown[0].RectAt(xk + 103, top + 2, xk + 113, top + 20)->brush.color,
                  QColor(0, 128, 0));
        EXPECT_TRUE(TextAt(unknown[0], xk, top + 20)->endsWith(Q("良"))) << k;
    }
    EXPECT_EQ(TextAt(page, x0, top + 56), Q("武豊    56.0"));
    EXPECT_EQ(TextAt(page, 350, top + 34), Q("56.0kg"));
    EXPECT_EQ(TextAt(page, 155, top + 56), Q("騎　手:武豊    [  ---/  ---]"));
    EXPECT_EQ(TextAt(page, 155, top + 72), Q("調教師:        [  ---/  ---]"));
    Day().gPrintStatsA[0][0] = {1, 1, 0, 0, 0, 2};
    const auto counted = Record(Sheet::PastPerformance);
    EXPECT_EQ(TextAt(counted[0], 155, top + 56), Q("騎　手:武豊    [ 25.0/ 50.0]"));
}

// Line 2 of a past run: the first characters of the short track text and of the going, the
// turf going up to track code 22, the dirt going for 23 to 29, none above.
TEST_F(SheetTest, PastPerformanceGoingFollowsTheTrack) {
    SetRace(Day(), 0, "05", 1, 1);
    const std::pair<const char*, const char*> tracks[] = {
        {"10", "芝良"}, {"22", "芝良"}, {"23", "ダ不"}, {"29", "ダ不"},
        {"25", "不"},   {"30", ""},     {"51", "障"}};
    for (int k = 0; k < 7; ++k) {
        SetPastRun(0, 0, k, "05", tracks[k].first);
        PastRa(0, 0, k).SetField(TJvRA::kRunnerCount, "16");
        PastRa(0, 0, k).SetField(TJvRA::kDistance, "1600");
        PastRa(0, 0, k).SetField(TJvRA::kTurfGoing, "1");
        PastRa(0, 0, k).SetField(TJvRA::kDirtGoing, "4");
    }
    const auto pages = Record(Sheet::PastPerformance);
    for (int k = 0; k < 7; ++k)
        EXPECT_EQ(TextAt(pages[0], 517 + 115 * k, 253 + 20), Q("16頭1600") + Q(tracks[k].second))
            << "track " << tracks[k].first;
}

// --- fields that are not numbers ---

TEST_F(SheetTest, UnreadableNumbersPrintBlank) {
    SetRace(Day(), 0, "05", 1, 1);
    SetVenues({"05", "", ""}, {" 0", "", ""});
    Ra(0).SetField(TJvRA::kRunnerCount, "1");
    Ra(0).SetField(TJvRA::kDistance, "x600");
    Se(0, 0).SetField(TJvSE::kWeightCarried, "5a0");
    for (Sheet s : {Sheet::RaceCard, Sheet::Newspaper, Sheet::IndexTable, Sheet::Payouts,
                    Sheet::PastPerformance})
        EXPECT_FALSE(Record(s).empty());
    const auto index = Record(Sheet::IndexTable);
    EXPECT_TRUE(TextAt(index[0], 82, 167)->endsWith(Q("     ")));
    EXPECT_TRUE(TextAt(index[0], 70, 140)->endsWith(Q("    m")));
    const auto card = Record(Sheet::RaceCard);
    EXPECT_EQ(TextAt(card[0], 250, 130)->left(13), Q(" 1頭      ﾒｰﾄﾙ"));
}

} // namespace
