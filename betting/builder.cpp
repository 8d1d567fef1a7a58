#include "betting/builder.h"

#include "keiba/combkeys.h"
#include "keiba/markconv.h"
#include "keiba/sjis.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace betting {
namespace {

const std::string& Mark(std::string_view utf8) {
    static const std::string honmei = keiba::Sj("◎"), tanana = keiba::Sj("▲"),
                             renka = keiba::Sj("△"), batsu = keiba::Sj("×");
    return utf8 == "◎" ? honmei : utf8 == "▲" ? tanana : utf8 == "△" ? renka : batsu;
}

int RaceOf(const raceday::RaceDay& day) {
    return std::clamp(day.gCurRace, 0, jvdata::kMaxRaces - 1);
}

// One bet of a grid: its runner (win and place) or combination index, and its odds and
// popularity when it has them (a key of a missing odds record has blanks).
struct Line {
    int index = 0;
    bool priced = false;
    double odds = 0.0;
    int pop = 0;
};

// Odds and popularity widths of a type, and the blank texts of a key whose odds record is
// missing (the trifecta's 18-character line leaves 8 and 2 blanks when cut into its columns).
struct LineFormat {
    int numberWidth, oddsWidth, popWidth, blankOdds, blankPop;
};
LineFormat FormatOf(BetKind k) {
    switch (k) {
    case BetKind::Tan:
    case BetKind::Fuku: return {2, 6, 2, 6, 2};
    case BetKind::Sanrentan: return {4, 8, 4, 8, 2};
    default: return {3, 7, 3, 7, 3};
    }
}

struct Runners {
    int n = 0;
    std::array<bool, jvdata::kMaxRunners> axis{}, leg1{}, leg2{};
};

Runners ReadMarks(const raceday::RaceDay& day, const CellTable& marks) {
    Runners m;
    m.n = raceday::FieldSize(day, RaceOf(day));
    for (int i = 0; i < m.n; ++i) {
        const auto h = static_cast<std::size_t>(i);
        if (marks.Cell(kMarkEraseCol, i + 1) == EraseMark()) continue;
        m.axis[h] = !marks.Cell(kMarkAxisCol, i + 1).empty();
        m.leg1[h] = !marks.Cell(kMarkLeg1Col, i + 1).empty();
        m.leg2[h] = !marks.Cell(kMarkLeg2Col, i + 1).empty();
    }
    return m;
}

bool OddsLoaded(const raceday::RaceDay& day, BetKind k) {
    const auto r = static_cast<std::size_t>(RaceOf(day));
    switch (k) {
    case BetKind::Tan:
    case BetKind::Fuku: return day.gDayOddsO1[r].RaceNumber() > 0;
    case BetKind::Umaren: return day.gDayOddsO2[r].RaceNumber() > 0;
    case BetKind::Wide: return day.gDayOddsO3[r].RaceNumber() > 0;
    case BetKind::Umatan: return day.gDayOddsO4[r].RaceNumber() > 0;
    case BetKind::Sanrenpuku: return day.gDayOddsO5[r].RaceNumber() > 0;
    case BetKind::Sanrentan: return day.gDayOddsO6[r].RaceNumber() > 0;
    case BetKind::Waku: return false;
    }
    return false;
}

void PutOdds(Line& line, double odds, int pop) {
    line.priced = true;
    line.odds = odds;
    line.pop = pop;
}

std::vector<Line> SingleLines(const raceday::RaceDay& day, const Runners& m, BetKind k) {
    const jvdata::TRaceCalc& calc = day.gRaceCalc[static_cast<std::size_t>(RaceOf(day))];
    const bool loaded = OddsLoaded(day, k);
    std::vector<Line> lines;
    for (int i = 0; i < m.n; ++i) {
        const auto h = static_cast<std::size_t>(i);
        if (!m.axis[h]) continue;
        Line line;
        line.index = i + 1;
        // A place bet also needs its own odds: a runner withdrawn from the place pool still has
        // a win popularity, and its line would distribute money at odds of 0.
        bool priced = calc.WinPop[h] > 0 && (k == BetKind::Tan || calc.PlaceOddsMin[h] > 0.0);
        if (priced) {
            if (k == BetKind::Tan)
                PutOdds(line, calc.WinOdds[h], calc.WinPop[h]);
            else
                PutOdds(line, calc.PlaceOddsMin[h], calc.PlaceMinPop[h]);
        } else if (loaded) {
            continue;
        }
        lines.push_back(line);
    }
    return lines;
}

// The keys of a combination type as flags by index, so that they come out in index order
// (which is also the byte order of the keys) with duplicates gone.
std::vector<bool> CombinationFlags(const Runners& m, BetKind k, int count) {
    std::vector<bool> flags(static_cast<std::size_t>(count + 1));
    auto set = [&](int index) {
        if (index > 0) flags[static_cast<std::size_t>(index)] = true;
    };
    for (int i = 0; i < m.n; ++i) {
        if (!m.axis[static_cast<std::size_t>(i)]) continue;
        for (int j = 0; j < m.n; ++j) {
            if (j == i || !m.leg1[static_cast<std::size_t>(j)]) continue;
            const int a = i + 1, b = j + 1;
            if (k == BetKind::Umaren || k == BetKind::Wide) {
                set(keiba::QuinellaIndex(std::min(a, b), std::max(a, b)));
                continue;
            }
            if (k == BetKind::Umatan) {
                set(keiba::ExactaIndex(a, b));
                continue;
            }
            for (int l = 0; l < m.n; ++l) {
                if (l == i || l == j || !m.leg2[static_cast<std::size_t>(l)]) continue;
                const int c = l + 1;
                if (k == BetKind::Sanrenpuku) {
                    std::array<int, 3> s = {a, b, c};
                    std::sort(s.begin(), s.end());
                    set(keiba::TrioIndex(s[0], s[1], s[2]));
                } else {
                    set(keiba::TrifectaIndex(a, b, c));
                    set(keiba::TrifectaIndex(a, c, b));
                    set(keiba::TrifectaIndex(b, a, c));
                    set(keiba::TrifectaIndex(b, c, a));
                    set(keiba::TrifectaIndex(c, a, b));
                    set(keiba::TrifectaIndex(c, b, a));
                }
            }
        }
    }
    return flags;
}

// A combination type's count, keys and odds arrays.
struct Combinations {
    int count = 0;
    const std::string& (*keyOf)(int) = nullptr;
    const double* odds = nullptr;
    const int* pops = nullptr;
};
Combinations CombinationsOf(const jvdata::TRaceCalc& calc, BetKind k) {
    switch (k) {
    case BetKind::Umaren:
        return {jvdata::kQuinellaCount, keiba::QuinellaKeyOf, calc.UmarenOdds.data(),
                calc.UmarenPop.data()};
    case BetKind::Wide:
        return {jvdata::kQuinellaCount, keiba::QuinellaKeyOf, calc.WideOdds.data(),
                calc.WidePop.data()};
    case BetKind::Umatan:
        return {jvdata::kExactaCount, keiba::ExactaKeyOf, calc.UmatanOdds.data(),
                calc.UmatanPop.data()};
    case BetKind::Sanrenpuku:
        return {jvdata::kTrioCount, keiba::TrioKeyOf, calc.SanrenpukuOdds.data(),
                calc.SanrenpukuPop.data()};
    case BetKind::Sanrentan:
        return {jvdata::kTrifectaCount, keiba::TrifectaKeyOf, calc.SanrentanOdds.data(),
                calc.SanrentanPop.data()};
    default: return {};
    }
}

std::vector<Line> CombinationLines(const raceday::RaceDay& day, const Runners& m, BetKind k) {
    const jvdata::TRaceCalc& calc = day.gRaceCalc[static_cast<std::size_t>(RaceOf(day))];
    const bool loaded = OddsLoaded(day, k);
    const Combinations c = CombinationsOf(calc, k);
    if (c.count == 0) return {};
    const std::vector<bool> flags = CombinationFlags(m, k, c.count);
    std::vector<Line> lines;
    lines.reserve(static_cast<std::size_t>(c.count));
    for (int index = 1; index <= c.count; ++index) {
        const auto at = static_cast<std::size_t>(index);
        if (!flags[at]) continue;
        if (loaded && !(c.odds[at] > 0.0)) continue; // not on sale
        Line line;
        line.index = index;
        if (loaded) PutOdds(line, c.odds[at], c.pops[at]);
        lines.push_back(line);
    }
    return lines;
}

// Texts written into a row's cells straight from a buffer.
class RowText {
public:
    // `calc` gives the runners' win popularities for RunnerPopularities.
    explicit RowText(const jvdata::TRaceCalc& calc) {
        for (std::size_t h = 0; h < pops_.size(); ++h)
            if (calc.WinPop[h] >= 1)
                pops_[h].size = static_cast<std::size_t>(PutInt(pops_[h].text, calc.WinPop[h], 2) -
                                                         pops_[h].text);
    }
    std::string_view Int(std::int64_t value, int width) {
        return {buf_, PutInt(buf_, value, width)};
    }
    // "連人気": the win popularities of the runners of a key (" 1- 5", " 1- 5- 9"), only when
    // every one is known.
    std::string_view RunnerPopularities(std::string_view key) {
        char* out = buf_;
        const std::size_t runners = (key.size() + 1) / 3;
        for (std::size_t p = 0; p < runners && p < 3; ++p) {
            // A key's numbers are "%2d" of 1 to 18.
            const char tens = key[p * 3], ones = key[p * 3 + 1];
            const int horse = (tens == ' ' ? 0 : (tens - '0') * 10) + (ones - '0');
            if (horse < 1 || horse > jvdata::kMaxRunners) return {};
            const Pop& pop = pops_[static_cast<std::size_t>(horse - 1)];
            if (pop.size == 0) return {}; // not known
            if (p > 0) *out++ = '-';
            out = std::copy_n(pop.text, pop.size, out);
        }
        return {buf_, out};
    }

private:
    struct Pop {
        char text[24];
        std::size_t size = 0;
    };
    std::array<Pop, jvdata::kMaxRunners> pops_{};
    char buf_[96];
};

// The grid's rows rebuilt from the lines, a row at a time: the cells the lines give are written,
// every other cell of the row emptied (erasures, stakes, rates and results of the last build),
// and the rows past the lines emptied.
void FillGrid(const raceday::RaceDay& day, BetKind k, const std::vector<Line>& lines,
              PlainTable& grid) {
    const jvdata::TRaceCalc& calc = day.gRaceCalc[static_cast<std::size_t>(RaceOf(day))];
    const LineFormat f = FormatOf(k);
    const Combinations c = CombinationsOf(calc, k);
    const std::string blankOdds(static_cast<std::size_t>(f.blankOdds), ' ');
    const std::string blankPop(static_cast<std::size_t>(f.blankPop), ' ');
    const int rows = lines.size() > 1 ? static_cast<int>(lines.size()) + 1 : 2;
    grid.SetRowCount(rows);
    grid.ClearFrom(rows);
    const int written = c.keyOf ? kRenPopCol : kPopCol; // the columns from kNumberCol on
    RowText text(calc);
    keiba::FixedText odds;
    for (int row = 1; row < rows; ++row) {
        const auto t = static_cast<std::size_t>(row - 1);
        if (t >= lines.size()) {
            for (int col = 0; col < grid.ColCount(); ++col) grid.ClearCell(col, row);
            continue;
        }
        const Line& line = lines[t];
        grid.ClearCell(kEraseCol, row);
        for (int col = written + 1; col < grid.ColCount(); ++col) grid.ClearCell(col, row);
        grid.SetCell(kNumberCol, row, text.Int(row, f.numberWidth));
        if (c.keyOf) {
            const std::string& key = c.keyOf(line.index);
            grid.SetCell(kRenPopCol, row, text.RunnerPopularities(key));
            grid.SetCell(kKeyCol, row, key);
        } else {
            grid.SetCell(kKeyCol, row, text.Int(line.index, 2));
        }
        if (line.priced) {
            grid.SetCell(kOddsCol, row, odds.Format(line.odds, f.oddsWidth, 1));
            grid.SetCell(kPopCol, row, text.Int(line.pop, f.popWidth));
        } else {
            grid.SetCell(kOddsCol, row, blankOdds);
            grid.SetCell(kPopCol, row, blankPop);
        }
    }
}

int RunnerValue(std::string_view text) {
    return keiba::StrToIntDef(text, 0);
}

} // namespace

BetBook::BetBook() {
    for (BetKind k : kAllKinds) {
        PlainTable& g = Grid(k);
        g = PlainTable(LayoutOf(k).cols, 2);
        for (int c = 0; c < g.ColCount(); ++c) g.SetCell(c, 0, keiba::Sj(HeadingOf(k, c)));
    }
}

void CompleteGrid(BetKind kind, const raceday::RaceDay& day, StakeInputs in, BetBook& book,
                  int appearRows) {
    const BetLayout& l = LayoutOf(kind);
    PlainTable& grid = book.Grid(kind);
    CalcFundDistribution(kind, in.mode, in.amount, grid, l.payoutCol, l.stakeCol, kEraseCol,
                         kOddsCol, kNumberCol, book.labels);
    if (appearRows >= 0)
        FillAppearRateColumns(
            book.appearRates, std::span(l.appear).first(static_cast<std::size_t>(l.appearCount)),
            raceday::FieldSize(day, RaceOf(day)), appearRows, grid, l.appearSrcCol);
    SetKaimeResults(kind, kKeyCol, l.stakeCol, grid, l.resultPopCol, l.resultReturnCol,
                    l.resultPayoutCol, day.gPayoutTables, RaceOf(day), book.labels);
}

void BuildBets(raceday::RaceDay& day, const CellTable& marks, StakeInputs in, BetBook& book) {
    raceday::CombinationOdds(day, RaceOf(day));
    const Runners m = ReadMarks(day, marks);
    for (BetKind k : kBuiltKinds) book.labels.Clear(k);
    for (BetKind k : kBuiltKinds) {
        std::vector<Line> lines = (k == BetKind::Tan || k == BetKind::Fuku)
                                      ? SingleLines(day, m, k)
                                      : CombinationLines(day, m, k);
        FillGrid(day, k, lines, book.Grid(k));
        CompleteGrid(k, day, in, book, static_cast<int>(lines.size()));
    }
}

void FillAxisAndPartners(raceday::RaceDay& day, CellTable& marks, int logic) {
    for (int row = 1; row < marks.RowCount(); ++row)
        for (int col = kMarkAxisCol; col <= kMarkLeg2Col; ++col) marks.SetCell(col, row, {});
    const int race = RaceOf(day);
    jvdata::TRaceCalc& calc = day.gRaceCalc[static_cast<std::size_t>(race)];
    calc.AxisFlag.fill(0);
    calc.PartnerFlag1.fill(0);
    calc.PartnerFlag2.fill(0);
    const int n = raceday::FieldSize(day, race);

    if (logic == kLogicUser) {
        for (int i = 0; i < n; ++i) {
            const auto h = static_cast<std::size_t>(i);
            if (calc.UserNeraiMatch[h][0] == 1) calc.AxisFlag[h] = 1;
            if (calc.UserNeraiMatch[h][1] == 1) calc.PartnerFlag1[h] = 1;
            if (calc.UserNeraiMatch[h][2] == 1) calc.PartnerFlag2[h] = 1;
        }
    } else if (logic == kLogicSystem) {
        const raceday::TOutData2& texts = day.gRaceTexts[static_cast<std::size_t>(race)];
        // Axis: best pedigree rank, then R order, then forecast mark, then horse number.
        std::set<std::string> ranking;
        for (int i = 0; i < n; ++i) {
            const auto h = static_cast<std::size_t>(i);
            int mark = keiba::YosoMarkToCode(texts.YosoMark[h]);
            int pedigree = keiba::GradeLetterToCode(texts.KettoRank[h]);
            int order = RunnerValue(texts.RJunText[h]);
            if (mark >= 1 && pedigree >= 1 && order >= 1 && order <= 99)
                ranking.insert(keiba::FormatInt(pedigree, 2) + keiba::FormatInt(order, 2) +
                               keiba::FormatInt(mark, 2) + keiba::FormatInt(i + 1, 2));
        }
        int axes = 0;
        for (auto it = ranking.begin(); it != ranking.end() && axes < 2; ++it, ++axes)
            calc.AxisFlag[static_cast<std::size_t>(RunnerValue(it->substr(6, 2)) - 1)] = 1;

        int strong = 0;
        for (int i = 0; i < n; ++i) {
            const auto h = static_cast<std::size_t>(i);
            const std::string& r = texts.RUmaMark[h];
            int jockey = keiba::GradeLetterToCode(texts.KishuRank[h]);
            int pedigree = keiba::GradeLetterToCode(texts.KettoRank[h]);
            if ((r == "R+" || r == "R-") && jockey >= 1 && jockey <= 4 && pedigree >= 1 &&
                pedigree <= 4) {
                calc.PartnerFlag1[h] = calc.PartnerFlag2[h] = 1;
                ++strong;
            }
        }
        if (strong < 5) {
            std::set<std::string> candidates; // R order, then horse number
            for (int i = 0; i < n; ++i) {
                const auto h = static_cast<std::size_t>(i);
                int order = RunnerValue(texts.RJunText[h]);
                if (calc.PartnerFlag1[h] == 0 && order >= 1 && order <= 99)
                    candidates.insert(keiba::FormatInt(order, 2) + keiba::FormatInt(i + 1, 2));
            }
            int taken = 0;
            for (const std::string& c : candidates) {
                const auto h = static_cast<std::size_t>(RunnerValue(c.substr(2, 2)) - 1);
                calc.PartnerFlag1[h] = calc.PartnerFlag2[h] = 2;
                if (strong + ++taken >= 6) break;
            }
        }
    } else {
        return;
    }

    auto partner = [](int flag) -> const std::string* {
        if (flag == 1) return &Mark("▲");
        return flag == 2 ? &Mark("△") : nullptr;
    };
    for (int i = 0; i < n; ++i) {
        const auto h = static_cast<std::size_t>(i);
        if (calc.AxisFlag[h] == 1) marks.SetCell(kMarkAxisCol, i + 1, Mark("◎"));
        if (const std::string* p = partner(calc.PartnerFlag1[h]))
            marks.SetCell(kMarkLeg1Col, i + 1, *p);
        if (const std::string* p = partner(calc.PartnerFlag2[h]))
            marks.SetCell(kMarkLeg2Col, i + 1, *p);
    }
}

bool ToggleMark(const raceday::RaceDay& day, CellTable& marks, int logic, int col, int row) {
    if (row < 1 || row >= marks.RowCount() || col < kMarkAxisCol || col > kMarkEraseCol)
        return false;
    if (logic != kLogicSystem && logic != kLogicUser) return false;
    const int h = row - 1;
    const jvdata::TRaceCalc& calc = day.gRaceCalc[static_cast<std::size_t>(RaceOf(day))];
    const std::string* mark = &EraseMark();
    if (col == kMarkAxisCol) {
        mark = &Mark("◎");
    } else if (col == kMarkLeg1Col || col == kMarkLeg2Col) {
        int flag = 0;
        if (h < jvdata::kMaxRunners)
            flag = col == kMarkLeg1Col ? calc.PartnerFlag1[static_cast<std::size_t>(h)]
                                       : calc.PartnerFlag2[static_cast<std::size_t>(h)];
        if (flag == 1)
            mark = &Mark("▲");
        else if (flag == 2 && logic == kLogicSystem)
            mark = &Mark("△");
        else
            mark = &Mark("×");
    }
    marks.SetCell(col, row, marks.Cell(col, row).empty() ? *mark : std::string());
    return true;
}

} // namespace betting
