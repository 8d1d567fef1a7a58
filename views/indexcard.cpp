#include "views/indexcard.h"

#include "controls/colors.h"
#include "controls/fonts.h"
#include "controls/qtext.h"
#include "keiba/codetables.h"
#include "keiba/formatters.h"
#include "keiba/sjis.h"
#include "views/gridlayout.h"

#include <QSignalBlocker>

#include <algorithm>
#include <array>
#include <optional>
#include <string>

namespace views {

namespace {

using controls::SjToQ;

constexpr int kCardWidths[kCardColumns] = {20, 20, 155, 30, 60, 25, 30, 30, 20, 25, 30,
                                           40, 20, 40,  20, 60, 60, 60, 40, 30, 30, 30,
                                           30, 30, 30,  30, 50, 50, 30, 30, 20, 20};
constexpr const char16_t* kCardHeadings[kCardColumns] = {
    u"枠",   u"馬",   u"馬名",   u"性齢",   u"騎手", u"R騎",    u"負担", u"血統",
    u"印",   u"R馬",  u"楽厳",   u"単ｵｯｽﾞ", u"順",   u"複ｵｯｽﾞ", u"順",   u"前1",
    u"前2",  u"前3",  u"増減",   u"上昇",   u"潜在", u"経験",   u"ｺｰｽ",  u"距離",
    u"LV属", u"高好", u"高勝率", u"低勝率", u"初高", u"前５",   u"着",   u"人"};

constexpr int kAbnormalWidths[kAbnormalColumns] = {20, 20, 125, 30, 60, 30, 45, 45, 45,
                                                   30, 30, 30,  35, 35, 35, 30, 30, 35,
                                                   45, 30, 30,  20, 50, 20, 20, 20, 40};
constexpr const char16_t* kAbnormalHeadings[kAbnormalColumns] = {
    u"枠",     u"馬",   u"馬名", u"性齢",  u"騎手",   u"斤量",  u"朝異値", u"中異値", u"直異値",
    u"朝順",   u"中順", u"直順", u"増1>2", u"増1>3",  u"増2>3", u"軸R3",   u"軸R2",   u"相R32",
    u"相増減", u"朝一", u"ｺﾝﾋﾟ", u"順",    u"ﾏｲﾆﾝｸﾞ", u"順",    u"着",     u"人",     u"確ｵｯｽﾞ"};

constexpr int kMarkWidths[kMarkColumns] = {15, 20, 40, 20, 30, 30, 30, 30, 25, 35, 35, 25, 20, 20};
constexpr const char16_t* kMarkHeadings[kMarkColumns] = {
    u"枠",  u"馬", u"単ｵｯｽﾞ", u"順",    u"R馬", u"印", u"血統",
    u"R騎", u"軸", u"ヒモ1",  u"ヒモ2", u"消",  u"着", u"人"};

constexpr int kIndexWidths[kIndexColumns] = {15, 20, 120, 30, 60, 30, 40, 20, 40, 20, 40,
                                             20, 30, 20,  40, 40, 40, 40, 40, 40, 20, 40,
                                             40, 20, 40,  40, 20, 40, 20, 20, 40};
constexpr const char16_t* kIndexHeadings[kIndexColumns] = {
    u"枠",     u"馬",      u"馬名",   u"性齢",    u"騎手", u"斤量",   u"ｵｯｽﾞ1",   u"順",
    u"ｵｯｽﾞ2",  u"順",      u"ｵｯｽﾞ3",  u"順",      u"ｺﾝﾋﾟ", u"順",     u"Oz偏1",   u"Oz偏2",
    u"Oz偏3",  u"Com偏",   u"NOISE1", u"SN指数1", u"順",   u"NOISE2", u"SN指数2", u"順",
    u"NOISE3", u"SN指数3", u"順",     u"SN誤差",  u"着",   u"人",     u"確ｵｯｽﾞ"};

void SetupRunnerGrid(StringGrid& grid, const GridLayout& layout, bool wholeRow) {
    ApplyGridLayout(grid, layout);
    grid.setFont(RunnerGridFont());
    if (wholeRow) grid.setSelectionBehavior(QAbstractItemView::SelectRows);
}

const std::string kFiveBlanks(5, ' ');

std::string OddsText(double odds) {
    return odds > 0 ? keiba::FormatFixed(odds, 5, 1) : kFiveBlanks;
}

std::string RankText(int rank) {
    return rank >= 1 ? keiba::FormatInt(rank, 2) : std::string(keiba::kZenkakuSpace);
}

// "560" reads 56.0 kg. A field with no weight in it (a runner lost to damage, a weight not yet
// known) shows as blanks, not as a lone point; bytes other than digits and blanks (which the day
// load never lets through) show as blanks rather than as half a character.
std::string WeightText(std::string_view field) {
    std::string f(3, ' ');
    for (std::size_t i = 0; i < std::min<std::size_t>(field.size(), 3); ++i)
        if (field[i] >= '0' && field[i] <= '9') f[i] = field[i];
    if (f == "   ") return std::string(4, ' ');
    return f.substr(0, 2) + "." + f.substr(2, 1);
}

// The confirmed win odds of a runner record, in tenths.
std::string ConfirmedOddsText(const jvdata::TJvSE& se) {
    std::string_view t = keiba::TrimBlanks(se.WinOddsTenths());
    if (t.empty() || t == "0000" || !jvdata::IsAsciiDigits(t)) return kFiveBlanks;
    return keiba::FormatFixed(static_cast<double>(keiba::DigitValue(t)) / 10.0, 5, 1);
}

std::string PastText(const raceday::TOutData2& texts, int h, int k) {
    const auto hh = static_cast<std::size_t>(h);
    const auto kk = static_cast<std::size_t>(k);
    return " " + texts.PastRLevel[hh][kk] + " " + texts.PastRUma[hh][kk];
}

} // namespace

int CellNumber(const GridModel& grid, int col, int row) {
    bool ok = false;
    const int v = grid.Cells(col, row).trimmed().toInt(&ok);
    return ok ? v : 0;
}

bool ShownRunnerTracked(const raceday::RaceDay& day, int number) {
    const int race = day.gCurRace;
    return number >= 1 && number <= raceday::kMaxRunners && race >= 0 &&
           race < raceday::kMaxRaces &&
           day.gRaceCalc[static_cast<std::size_t>(race)]
                   .Tracked[static_cast<std::size_t>(number - 1)] == 1;
}

QColor BracketColor(int bracket) {
    static const std::array<QColor, 8> colors = {
        QColor(0xFFFFFF), QColor(0x808080), QColor(0xFF0000), QColor(0x0000FF),
        QColor(0xFFFF00), QColor(0x00FF00), QColor(0xFF8000), QColor(0xFF00FF)};
    if (bracket < 1 || bracket > 8) return {};
    return colors[static_cast<std::size_t>(bracket - 1)];
}

QColor RankColor(int rank) {
    if (rank == 1) return QColor(0xFF0000);
    if (rank == 2 || rank == 3) return QColor(0x0000FF);
    return QColor(Qt::black);
}

QColor InfoBackground() {
    return controls::InfoBackground();
}

QFont RunnerGridFont() {
    QFont f = controls::GothicFont(9);
    f.setPixelSize(13);
    return f;
}

QColor TargetSlotColor(int slot) {
    switch (slot) {
    case 1: return QColor(0x0000FF);
    case 2: return QColor(0xFFFF00);
    case 3: return QColor(0x00FF00);
    case 4: return QColor(0xFF00FF);
    default: return {};
    }
}

void SetupIndexRaceCard(StringGrid& grid) {
    SetupRunnerGrid(grid, {kCardColumns, 0, 15, 15, kCardWidths, kCardHeadings}, true);
}
void SetupAbnormalTable(StringGrid& grid) {
    SetupRunnerGrid(grid, {kAbnormalColumns, 0, 15, 15, kAbnormalWidths, kAbnormalHeadings}, true);
}
void SetupMarkGrid(StringGrid& grid) {
    SetupRunnerGrid(grid, {kMarkColumns, 0, 15, 15, kMarkWidths, kMarkHeadings}, false);
}
void SetupIndexTable(StringGrid& grid) {
    SetupRunnerGrid(grid, {kIndexColumns, 0, 15, 15, kIndexWidths, kIndexHeadings}, false);
}

void FillIndexRaceCard(const raceday::RaceDay& day, const IndexCardGrids& g, int runners) {
    const int race = day.gCurRace;
    if (race < 0 || race >= raceday::kMaxRaces) return;
    int n = std::min(runners, raceday::kMaxRunners);
    if (g.card) n = std::min(n, g.card->RowCount() - 1);
    if (n < 1) return;
    const raceday::TOutData2& texts = day.gRaceTexts[static_cast<std::size_t>(race)];
    const jvdata::TRaceCalc& calc = day.gRaceCalc[static_cast<std::size_t>(race)];

    // One repaint per grid at the end instead of one per cell.
    std::array<GridModel*, 4> models = {g.card, g.abnormal, g.marks, g.index};
    std::array<std::optional<QSignalBlocker>, 4> quiet;
    for (std::size_t i = 0; i < models.size(); ++i)
        if (models[i]) quiet[i].emplace(*models[i]);

    auto put = [](GridModel* m, int col, int row, const std::string& text) {
        if (m) m->SetCells(col, row, SjToQ(text));
    };

    for (int r = 1; r <= n; ++r) {
        const int h = r - 1;
        const auto hh = static_cast<std::size_t>(h);
        // A runner lost to damage shows nothing of its record (the results re-read may still
        // have put a finishing position in its slot); the members' data and the odds of its
        // number stand as they are.
        static const jvdata::TJvSE kLost;
        const jvdata::TJvSE& slot = day.gDayHorses[static_cast<std::size_t>(race)][hh];
        const jvdata::TJvSE& se = slot.HorseNumber() >= 1 ? slot : kLost;
        const jvdata::TAnalysisRecord& an =
            day.gDayHorseAnalysis[static_cast<std::size_t>(race)][hh];

        std::array<std::string, kCardColumns> c;
        // A runner lost to damage has no numbers: not known, rather than 0.
        c[kCardBracket] = se.Bracket() > 0 ? keiba::FormatInt(se.Bracket(), 2) : "  ";
        c[kCardNumber] = se.HorseNumber() > 0 ? keiba::FormatInt(se.HorseNumber(), 2) : "  ";
        c[kCardName] = std::string(se.HorseName());
        c[kCardSexAge] = keiba::SexToText(se.SexCode()) + keiba::FormatIntBlankZero(se.AgeText());
        c[kCardJockey] = std::string(se.JockeyName());
        c[kCardJockeyRank] = texts.KishuRank[hh];
        c[kCardWeight] = WeightText(se.WeightCarriedText());
        c[kCardPedigreeRank] = texts.KettoRank[hh];
        c[kCardForecast] = texts.YosoMark[hh];
        c[kCardRUma] = texts.RUmaMark[hh];
        c[kCardRakuGen] = texts.RakuGenText[hh];
        c[kCardWinOdds] = OddsText(calc.WinOdds[hh]);
        c[kCardWinPop] = RankText(calc.WinPop[hh]);
        c[kCardPlaceOdds] = OddsText(calc.PlaceOddsMin[hh]);
        c[kCardPlacePop] = RankText(calc.PlaceMinPop[hh]);
        c[kCardPast1] = PastText(texts, h, 0);
        c[kCardPast2] = PastText(texts, h, 1);
        c[kCardPast3] = PastText(texts, h, 2);
        c[kCardZogen] = texts.ZogenText[hh];
        c[kCardJosho] = texts.JoshoMark[hh];
        c[kCardSenzai] = texts.SenzaiMark[hh];
        c[kCardKeiken] = texts.KeikenMark[hh];
        c[kCardCourse] = texts.CourseMark[hh];
        c[kCardKyori] = texts.KyoriMark[hh];
        c[kCardLvZokusei] = texts.LvZokuseiText[hh];
        c[kCardHiLvKoso] = texts.HiLvKosoMark[hh];
        c[kCardHiRate] = std::string(an.ThisRun().HiLvRate());
        c[kCardLoRate] = std::string(an.ThisRun().LoLvRate());
        c[kCardHatsuKo] = texts.HatsuKoMark[hh];
        c[kCardPast5] = texts.Past5Total[hh];
        c[kCardFinish] = RankText(se.FinalPosition());
        c[kCardFinalPop] = RankText(se.WinPopularity());
        for (int col = 0; col < kCardColumns; ++col)
            put(g.card, col, r, c[static_cast<std::size_t>(col)]);

        const std::string confirmed = ConfirmedOddsText(se);
        for (int col = 0; col <= 4; ++col)
            put(g.abnormal, col, r, c[static_cast<std::size_t>(col)]);
        put(g.abnormal, 5, r, c[kCardWeight]);
        put(g.abnormal, 24, r, c[kCardFinish]);
        put(g.abnormal, 25, r, c[kCardFinalPop]);
        put(g.abnormal, 26, r, confirmed);

        put(g.marks, 0, r, c[kCardBracket]);
        put(g.marks, 1, r, c[kCardNumber]);
        put(g.marks, 2, r, c[kCardWinOdds]);
        put(g.marks, 3, r, c[kCardWinPop]);
        put(g.marks, 4, r, texts.RUmaMark[hh]);
        put(g.marks, 5, r, texts.YosoMark[hh]);
        put(g.marks, 6, r, texts.KettoRank[hh]);
        put(g.marks, 7, r, texts.KishuRank[hh]);
        put(g.marks, 12, r, c[kCardFinish]);
        put(g.marks, 13, r, c[kCardFinalPop]);

        for (int col = 0; col <= 4; ++col) put(g.index, col, r, c[static_cast<std::size_t>(col)]);
        put(g.index, 5, r, c[kCardWeight]);
        put(g.index, 6, r, c[kCardWinOdds]);
        put(g.index, 7, r, c[kCardWinPop]);
        put(g.index, 28, r, c[kCardFinish]);
        put(g.index, 29, r, c[kCardFinalPop]);
        put(g.index, 30, r, confirmed);
    }
    for (std::size_t i = 0; i < models.size(); ++i) {
        quiet[i].reset();
        if (models[i]) models[i]->Repaint();
    }
}

void StringGrid10DrawCell(const raceday::RaceDay& day, const GridModel& grid, int col, int row,
                          CellPaint& p) {
    p.alignment = Qt::AlignHCenter | Qt::AlignTop;
    p.textInset = 0;
    // The text stands at the top of the cell. The layout's fonts left the top pixel row of
    // their glyphs empty; IPAGothic's reach the top of the line, so one pixel keeps them whole.
    p.textTop = 1;
    p.bold = false;
    if (row == 0) {
        p.background = cellcolors::kSilver;
        return;
    }
    const QColor own = p.background;
    p.background = cellcolors::kWhite;
    const int race = day.gCurRace;
    const int n = CellNumber(grid, kCardNumber, row);
    auto matches = [&](int slot) {
        if (n < 1 || n > raceday::kMaxRunners || race < 0 || race >= raceday::kMaxRaces)
            return false;
        return day.gRaceCalc[static_cast<std::size_t>(race)].NeraiMatch[static_cast<std::size_t>(
                   n - 1)][static_cast<std::size_t>(slot - 1)] == 1;
    };
    switch (col) {
    case kCardBracket: {
        QColor c = BracketColor(CellNumber(grid, col, row));
        p.background = c.isValid() ? c : own;
        break;
    }
    case kCardNumber:
        p.background = InfoBackground();
        for (int s = 1; s <= 4; ++s)
            if (matches(s)) p.background = cellcolors::kRed;
        break;
    case kCardName:
        p.alignment = Qt::AlignLeft | Qt::AlignTop;
        for (int s = 1; s <= 4; ++s)
            if (matches(s))
                p.boxes.push_back({130 + 6 * (s - 1), 2, 135 + 6 * (s - 1), 2, TargetSlotColor(s),
                                   QColor(Qt::black)});
        break;
    case kCardRUma:
        p.textColor =
            grid.Cells(col, row) == QStringLiteral("R+") ? cellcolors::kRed : QColor(Qt::black);
        break;
    case kCardWinOdds:
    case kCardPlaceOdds: p.background = QColor(0xFFFFA6); break;
    case kCardWinPop:
    case kCardPlacePop:
        p.background = QColor(0xFFFFA6);
        p.bold = true;
        p.textColor = RankColor(CellNumber(grid, col, row));
        break;
    case kCardPast1:
    case kCardPast2:
    case kCardPast3: p.alignment = Qt::AlignLeft | Qt::AlignTop; break;
    case kCardFinish:
    case kCardFinalPop:
        p.background = cellcolors::kCyan;
        p.bold = true;
        p.textColor = RankColor(CellNumber(grid, col, row));
        break;
    default: break;
    }
}

void AttachIndexRaceCard(StringGrid& grid, const raceday::RaceDay& day) {
    const GridModel* model = grid.Model();
    grid.Model()->SetDrawCell([model, &day](int col, int row, CellPaint& p) {
        StringGrid10DrawCell(day, *model, col, row, p);
    });
}

} // namespace views
