// The race card print: one page per race with the race header and its R level, one row per
// runner (names, connections, the members' marks, the last three runs and twelve analysis
// columns) and the members' race comment under the table.

#include "keiba/codetables.h"
#include "keiba/csvsplit.h"
#include "keiba/formatters.h"
#include "keiba/sjis.h"
#include "raceday/daymodel.h"
#include "views/print/sheetparts.h"
#include "views/print/sheets.h"

namespace views::print {

namespace {

using keiba::Sj;

constexpr int kTop = 280;
constexpr int kBand = 385;
constexpr int kRow = 105;
constexpr int kRight = 1930;
const QColor kGrey{128, 128, 128};
const QColor kRed{255, 0, 0};
const QColor kRankBlue{0, 0, 255};

std::string S(std::string_view v) {
    return std::string(v);
}

QColor RLevelColor(std::string_view text) {
    const std::string_view t = keiba::TrimBlanks(text);
    if (t == Sj("高★")) return {15, 206, 240};
    if (t == Sj("高＋")) return {141, 232, 248};
    if (t == Sj("高－")) return {211, 245, 252};
    return Qt::white;
}

void DrawHeader(Drawer& d, const jvdata::TJvRA& ra, const raceday::TOutData2& texts) {
    DrawRaceHeader(d, ra, kPortraitHeader);
    const QColor level = RLevelColor(texts.RaceRLevelText);
    d.Brush(level);
    d.Pen(level, 10);
    d.Rect(50, 210, 150, 275);
    d.ClearBrush();
    if (!keiba::TrimBlanks(texts.RaceRLevelText).empty()) {
        d.Gothic(13, kBold);
        d.Text(50, 220,
               texts.RaceRLevelText + Sj("　R+馬:") + texts.RplsTou + Sj("頭　R-馬:") +
                   texts.RmnsTou + Sj("頭"));
    }
    DrawPrizes(d, ra,
               {1650, 80, "　　　　　　単位（千円）", 1650, 100, "　　本賞金　　　付加賞金", 120, 7,
                kBold});
}

void DrawPastRun(Drawer& d, const jvdata::TJvRA& ra, const jvdata::TJvSE& se,
                 std::string_view rLevel, std::string_view rUma, int x0, int top) {
    // Runs away from the central courses (01 to 10), local and abroad, are greyed.
    const int venue = FieldInt(ra.VenueCode()).value_or(-1);
    const QColor color = venue >= 1 && venue <= 10 ? QColor(Qt::black) : kGrey;
    d.TextColor(color);
    d.PGothic(7);
    // The cell ends just before the column's rule; a grade race's label can make a line longer.
    const int right = x0 + 214;
    // A run whose race record is not at hand (abroad) keeps its key alone: no unit without its
    // number.
    d.Text(x0, top + 3, right,
           keiba::JyoCodeToName(ra.VenueCode(), 1) + S(ra.Month()) + "/" + S(ra.DayOfMonth()) +
               keiba::GradeJokenLabel(ra.ClassCode(), ra.GradeCode(), ra.ShortName3()) + " " +
               keiba::FormatIntWithUnit(ra.RunnerCountText(), Sj("頭")));
    d.Text(x0, top + 26, right,
           keiba::FormatIntBlankZero(ra.DistanceText().substr(0, 2)) +
               FirstChar(keiba::TrackShortText(ra.TrackCode())) + " " + S(se.JockeyName()) +
               S(se.WeightCarriedText()));
    const int body = FieldInt(se.BodyWeight()).value_or(0);
    const int pop = FieldInt(se.WinPopularityText()).value_or(0);
    d.Text(x0, top + 49, right,
           RunTimeText(se.FinishTime()) + " " + S(se.Last3F()) + " " +
               (body > 0 ? IntText(body, 3) + "Kg" : std::string()) +
               (pop > 0 ? IntText(pop, 2) + Sj("人") : std::string()));

    d.Size(10);
    const QColor level = RLevelColor(rLevel);
    d.Brush(level);
    d.PenColor(level);
    d.Rect(x0 - 3, top + 72, x0 + 97, top + 107);
    d.ClearBrush();
    d.PenColor(Qt::black);
    d.Text(x0 + 17, top + 72, rLevel);
    d.TextColor(keiba::TrimBlanks(rUma) == "R+" ? kRed : QColor(Qt::black));
    d.Text(x0 + 112, top + 72, rUma);

    const int finish = FieldInt(se.FinalPositionText()).value_or(0);
    d.Size(8);
    d.Style(kBold);
    d.TextColor(RankColor(finish, color));
    d.Text(x0 + 152, top + 75, (finish > 0 ? IntText(finish, 2) : "-") + Sj("着"));
    d.TextColor(Qt::black);
    d.Style(kRegular);
}

// The 増減理論 text, two bytes to a line.
void DrawZogen(Drawer& d, std::string_view zogen, int top) {
    d.Size(8);
    for (int i = 0; i < 3; ++i) {
        const auto at = static_cast<std::size_t>(2 * i);
        if (at >= zogen.size()) break;
        d.Text(1270, top + 12 + 30 * i, zogen.substr(at, 2));
    }
}

void DrawMarks(Drawer& d, const raceday::TOutData2& t, std::size_t h, int top) {
    DrawZogen(d, t.ZogenText[h], top);
    const struct {
        int x, size;
        const std::string* text;
    } marks[] = {
        {1320, 9, &t.JoshoMark[h]},    {1370, 9, &t.SenzaiMark[h]}, {1420, 9, &t.KeikenMark[h]},
        {1470, 9, &t.CourseMark[h]},   {1520, 9, &t.KyoriMark[h]},  {1570, 9, &t.LvZokuseiText[h]},
        {1620, 9, &t.HiLvKosoMark[h]}, {1670, 8, &t.HiLvRate[h]},   {1750, 8, &t.LoLvRate[h]},
        {1830, 9, &t.HatsuKoMark[h]},  {1880, 8, &t.Past5Total[h]}};
    // Each column ends where the next begins, the last at the table's edge.
    for (std::size_t i = 0; i < std::size(marks); ++i) {
        d.Size(marks[i].size);
        const int right = i + 1 < std::size(marks) ? marks[i + 1].x - 10 : kRight;
        d.Text(marks[i].x, top + 40, right, *marks[i].text);
    }
}

void DrawRunner(Drawer& d, const raceday::RaceDay& day, std::size_t r, std::size_t h,
                BracketRules& rules) {
    const jvdata::TJvSE& se = day.gDayHorses[r][h];
    const jvdata::TJvUM& um = day.gDayHorseMasters[r][h];
    const raceday::TOutData2& t = day.gRaceTexts[r];
    const int top = kTop + kRow * (static_cast<int>(h) + 1);
    const int bracket = se.Bracket();
    DrawNumberCells(d, bracket, top, top + kRow);
    rules.Row(d, bracket, top, {20, 55, kRight});
    d.Pen(Qt::black, 1);
    // A runner lost to damage shows nothing of its record; the members' columns stand.
    const bool known = se.HorseNumber() >= 1;
    if (known) {
        d.Size(11);
        d.Text(107, top + 20, keiba::StrToMaruNum(se.HorseNumberText()));
        // The names end where the sex and age or the mark column begin.
        d.Size(6);
        d.Text(167, top + 5, 410, NameText(um.AncestorName(jvdata::TJvUM::kSire)));
        d.PGothic(9);
        d.Text(155, top + 25, 463, NameText(se.HorseName()));
        d.Size(6);
        d.Text(155, top + 55, 463, NameText(um.AncestorName(jvdata::TJvUM::kDam)));
    }
    d.Size(7);
    if (known)
        d.Text(415, top + 5,
               keiba::SexToText(se.SexCode()) + keiba::FormatIntBlankZero(se.AgeText()));
    d.TextColor(kRankBlue);
    d.Text(152, top + 5, t.KettoRank[h]);
    d.Text(152, top + 77, t.KishuRank[h]);
    d.TextColor(Qt::black);
    if (known)
        d.Text(167, top + 77, 463,
               S(se.JockeyName()) + S(se.WeightCarriedText()) + " " + S(se.TrainerName()));
    d.Text(470, top + 40, t.YosoMark[h]);
    d.Size(8);
    d.TextColor(keiba::TrimBlanks(t.RUmaMark[h]) == "R+" ? kRed : QColor(Qt::black));
    d.Text(508, top + 25, t.RUmaMark[h]);
    d.TextColor(Qt::black);
    d.Text(508, top + 55, t.RJunText[h]);
    d.Text(555, top + 40, t.RakuGenText[h]);

    for (int j = 1; j <= raceday::kPastRunsRead; ++j) {
        const auto k = static_cast<std::size_t>(j - 1);
        const jvdata::TJvRA& pra = day.gPastRunRaces[r][h][k];
        if (keiba::TrimBlanks(pra.Year()).empty()) continue;
        DrawPastRun(d, pra, day.gPastRunHorses[r][h][k], t.PastRLevel[h][k], t.PastRUma[h][k],
                    383 + 220 * j, top);
    }
    DrawMarks(d, t, h, top);
}

void DrawFrame(Drawer& d, int n) {
    const int bottom = kBand + kRow * n;
    d.ClearBrush();
    d.Pen(Qt::black, 20);
    d.Rect(50, kTop, kRight, bottom);
    d.Rect(50, kTop, kRight, kBand);
    d.Pen(Qt::black, 5);
    for (int x : {100, 150, 465, 500, 550, 600, 1260, 1310, 1360, 1410, 1460, 1510, 1560, 1610,
                  1660, 1740, 1820, 1870})
        d.Line(x, kTop, x, bottom);
    for (int x : {820, 1040}) d.Line(x, 355, x, bottom);
}

// The race comment under the table, one item to a line; lines that would run past the
// printable area are left out.
void DrawComment(Drawer& d, std::string_view comment, int n) {
    d.Size(10);
    if (keiba::TrimBlanks(comment).empty()) return;
    const std::vector<std::string> items = keiba::SplitCommaText(comment);
    if (items.empty()) return;
    constexpr int kLine = 35;
    const int bottom = d.Doc().PageBottom();
    const int captionY = 430 + kRow * n;
    if (captionY + kLine > bottom) return;
    d.Text(50, captionY, Sj("<< レース見解 >>"));
    for (std::size_t k = 0; k < items.size(); ++k) {
        const int y = 465 + kRow * n + kLine * static_cast<int>(k);
        if (y + kLine > bottom) break;
        d.Text(50, y, kRight, items[k]);
    }
}

void DrawLabels(Drawer& d) {
    d.Line(600, 355, 1260, 355);
    d.Gothic(11);
    d.Text(55, 300, Sj("枠"));
    d.Text(105, 300, Sj("馬"));
    d.Text(55, 340, Sj("番"));
    d.Text(105, 340, Sj("番"));
    d.Size(6);
    d.Text(155, 285, Sj("Rレベル血統距離・父馬名・性齢"));
    d.Size(9);
    d.Text(155, 306, Sj("馬名"));
    d.Size(6);
    d.Text(155, 335, Sj("母馬名"));
    d.Text(155, 356, Sj("RLV騎手・騎手・負担・調教師"));
    d.Size(8);
    d.Text(470, 320, Sj("印"));
    d.Text(505, 305, Sj("R馬"));
    d.Text(505, 335, Sj("R順"));
    d.Text(560, 305, Sj("楽"));
    d.Text(560, 335, Sj("厳"));
    d.Size(7);
    d.Text(602, 282, Sj("開催場所・開催日・条件又はレース名・頭数"));
    d.Text(602, 304, Sj("距離・トラック・騎手・負担重量"));
    d.Text(602, 326, Sj("タイム・後半3F・馬体重・単勝人気/Rレベル・R馬・着順"));
    for (int j = 1; j <= 3; ++j) d.Text(383 + 220 * j, 355, Sj("前走-") + std::to_string(j));

    struct Heading {
        int x, size;
        std::initializer_list<int> ys;
        std::initializer_list<const char*> lines;
    };
    const Heading headings[] = {
        {1270, 7, {285, 308, 331, 355}, {"増", "減", "理", "論"}},
        {1320, 7, {285, 308, 331, 355}, {"能", "力", "上", "昇"}},
        {1370, 7, {285, 308, 331, 355}, {"潜", "在", "能", "力"}},
        {1420, 9, {285, 315, 345}, {"経", "験", "力"}},
        {1470, 9, {285, 315, 345}, {"コ", "ー", "ス"}},
        {1520, 9, {305, 335}, {"距", "離"}},
        {1570, 9, {285, 315, 345}, {"LV", "属", "性"}},
        {1620, 7, {285, 308, 331, 355}, {"高", "LV", "好", "走"}},
        {1685, 7, {285, 308, 331, 355}, {"高", "LV", "勝", "率"}},
        {1765, 7, {285, 308, 331, 355}, {"低", "LV", "勝", "率"}},
        {1830, 7, {285, 315, 345}, {"初", "高", "＋"}},
        {1880, 7, {285, 315, 345}, {"前", "５", "走"}},
    };
    for (const Heading& h : headings) {
        d.Size(h.size);
        auto y = h.ys.begin();
        for (const char* line : h.lines) d.Text(h.x, *y++, Sj(line));
    }
    d.ClearBrush();
}

} // namespace

std::vector<std::string> DrawRaceCards(const raceday::RaceDay& day, Document& doc) {
    std::vector<std::string> names;
    Drawer d(doc);
    const int races = DayRaceCount(day);
    for (int r = 0; r < races; ++r) {
        const auto ur = static_cast<std::size_t>(r);
        const jvdata::TJvRA& ra = day.gDayRaces[ur];
        if (r > 0) d.NewPage();
        names.push_back(RacePageName(ra));
        DrawHeader(d, ra, day.gRaceTexts[ur]);
        const int n = raceday::FieldSize(day, r);
        d.Brush(kHeaderBand);
        d.Pen(Qt::black, 20);
        d.Rect(50, kTop, kRight, kBand);
        BracketRules rules;
        for (int h = 0; h < n; ++h) DrawRunner(d, day, ur, static_cast<std::size_t>(h), rules);
        DrawFrame(d, n);
        DrawComment(d, day.gRaceTexts[ur].RaceComment, n);
        DrawLabels(d);
    }
    return names;
}

} // namespace views::print
