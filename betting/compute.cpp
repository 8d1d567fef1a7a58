#include "betting/compute.h"

#include "keiba/sjis.h"

#include <algorithm>
#include <charconv>
#include <type_traits>

namespace betting {
namespace {

// Nothing but blanks (and control bytes), as keiba::TrimBlanks leaves nothing of it.
bool Blank(std::string_view cell) {
    return std::all_of(cell.begin(), cell.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

void SetCaption(LabelBoard& labels, BetKind kind, LabelSlot slot, std::string text) {
    if (LabelState* l = labels.Find(kind, slot)) l->caption = std::move(text);
}

template <typename Key, std::size_t N>
void Collect(std::vector<PayoutEntryView>& out, const std::array<Key, N>& keys,
             const std::array<std::int64_t, N>& yen, const std::array<int, N>& pops) {
    for (std::size_t j = 1; j < N; ++j) {
        PayoutEntryView e;
        if constexpr (std::is_same_v<Key, int>)
            e.key = keys[j] >= 1 ? keiba::FormatInt(keys[j], 2) : std::string();
        else
            e.key = keys[j];
        e.yen = yen[j];
        e.popularity = pops[j];
        out.push_back(std::move(e));
    }
}

// A two-character number as StrToIntDef reads it; the forms the grids write (" 7", "12") without
// the call.
int TwoDigitField(std::string_view field) {
    const unsigned tens = static_cast<unsigned char>(field[0]) - static_cast<unsigned>('0');
    const unsigned ones = static_cast<unsigned char>(field[1]) - static_cast<unsigned>('0');
    if (ones <= 9 && tens <= 9) return static_cast<int>(tens * 10 + ones);
    if (ones <= 9 && field[0] == ' ') return static_cast<int>(ones);
    return keiba::StrToIntDef(field, 0);
}

} // namespace

const std::string& EraseMark() {
    static const std::string mark = keiba::Sj("消");
    return mark;
}

double CellDouble(std::string_view cell) {
    std::string_view t = keiba::TrimBlanks(cell);
    // Odds as the grids write them, "12.3": the tenths divided by ten are the double the decimal
    // text names, as from_chars would read it.
    if (t.size() >= 3 && t.size() <= 16 && t[t.size() - 2] == '.') {
        std::int64_t tenths = 0;
        bool digits = true;
        for (std::size_t i = 0; i < t.size() && digits; ++i) {
            if (i == t.size() - 2) continue;
            const unsigned d = static_cast<unsigned char>(t[i]) - static_cast<unsigned>('0');
            digits = d <= 9;
            tenths = tenths * 10 + static_cast<std::int64_t>(d);
        }
        if (digits) return static_cast<double>(tenths) / 10.0;
    }
    double v = 0.0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    return r.ec == std::errc() ? v : 0.0;
}

char* PutInt(char* out, std::int64_t value, int width) {
    char digits[24];
    char* first = digits + sizeof digits;
    // The magnitude as unsigned, so that the lowest value has one too.
    std::uint64_t u =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    first = keiba::PutDigitsBackward(first, u);
    if (value < 0) *--first = '-';
    for (auto n = digits + sizeof digits - first; n < width; ++n) *out++ = ' ';
    while (first != digits + sizeof digits) *out++ = *first++;
    return out;
}

std::string IntText(std::int64_t value, int width) {
    if (width < 0 || width > 40) return keiba::FormatInt(value, width); // not a grid's text
    char text[64];
    return std::string(text, PutInt(text, value, width));
}

void CalcFundDistribution(BetKind kind, int mode, std::int64_t budget, PlainTable& grid,
                          int payoutCol, int stakeCol, int eraseCol, int oddsCol, int numberCol,
                          LabelBoard& labels) {
    const int rows = grid.RowCount();
    if (rows > kMaxBetRows + 1 || rows < 2 || Blank(grid.Cells(oddsCol, 1))) return;
    const int shareCol = payoutCol + 1;
    if (budget < 100) {
        // No budget, no stakes: what an earlier budget left would still be voted.
        for (int row = 1; row < rows; ++row) {
            grid.ClearCell(stakeCol, row);
            grid.ClearCell(payoutCol, row);
            grid.ClearCell(shareCol, row);
        }
        for (LabelSlot slot : {LabelSlot::Tensu, LabelSlot::Total, LabelSlot::YosoKaishu})
            SetCaption(labels, kind, slot, {});
        return;
    }
    if (mode != kModeEqual && mode != kModeProportional) return;

    // One pass reads what the cells say: whether a row counts (a row number, not erased, odds
    // present) and its odds; the passes below work from that.
    const auto n = static_cast<std::size_t>(rows);
    std::vector<char> countedRows(n, 0);
    std::vector<double> odds(n, 0.0);
    std::vector<std::int64_t> stakes(n, 0);
    int count = 0;
    double weightSum = 0.0;
    const double base = CellDouble(grid.Cells(oddsCol, 1)) * 100.0;
    for (int row = 1; row < rows; ++row) {
        grid.ClearCell(stakeCol, row);
        grid.ClearCell(payoutCol, row);
        grid.ClearCell(shareCol, row);
        if (Blank(grid.Cells(numberCol, row)) || grid.Cells(eraseCol, row) == EraseMark()) continue;
        const std::string& oddsText = grid.Cells(oddsCol, row);
        if (Blank(oddsText)) continue;
        ++count;
        const double o = CellDouble(oddsText);
        countedRows[static_cast<std::size_t>(row)] = 1;
        odds[static_cast<std::size_t>(row)] = o;
        if (o > 0.0) weightSum += base / o;
    }
    auto counted = [&](int row) { return countedRows[static_cast<std::size_t>(row)] != 0; };

    std::int64_t total = 0;
    if (mode == kModeEqual) {
        if (count == 0) return;
        auto units = static_cast<std::int64_t>(static_cast<double>(budget) / count / 100.0 + 0.9);
        const std::int64_t stake = std::max<std::int64_t>(units * 100, 100);
        total = stake * count;
        for (int row = 1; row < rows; ++row)
            if (counted(row)) stakes[static_cast<std::size_t>(row)] = stake;
    } else if (weightSum > 0.0) {
        for (int row = 1; row < rows; ++row) {
            if (!counted(row)) continue;
            const double o = odds[static_cast<std::size_t>(row)];
            double share = (o > 0.0 ? base / o : 0.0) / weightSum * 100.0;
            auto units =
                static_cast<std::int64_t>(static_cast<double>(budget) * share / 10000.0 + 0.95);
            std::int64_t stake = std::max<std::int64_t>(units * 100, 100);
            stakes[static_cast<std::size_t>(row)] = stake;
            total += stake;
        }
    }
    SetCaption(labels, kind, LabelSlot::Tensu, IntText(count, 3));
    SetCaption(labels, kind, LabelSlot::Total, IntText(total, 6));
    // Without a stake nothing is written: a total of 0 leaves every row's cells empty.
    if (total == 0) return;

    // One pass writes the stake, expected return and its share of every counted row.
    std::int64_t sum = 0;
    char stakeText[64];
    std::string_view stake;
    std::int64_t stakeOfText = 0; // stakes are 100 and more: 0 is no text yet
    keiba::FixedText text;
    for (int row = 1; row < rows; ++row) {
        if (!counted(row)) continue;
        const auto r = static_cast<std::size_t>(row);
        if (stakes[r] != stakeOfText) {
            stake = {stakeText, PutInt(stakeText, stakes[r], 6)};
            stakeOfText = stakes[r];
        }
        grid.SetCell(stakeCol, row, stake);
        double payout = static_cast<double>(stakes[r]) * odds[r];
        grid.SetCell(payoutCol, row, text.Format(payout, 7, 0));
        grid.SetCell(shareCol, row, text.Format(payout / static_cast<double>(total) * 100.0, 7, 1));
        sum += static_cast<std::int64_t>(payout);
    }

    const double rate = static_cast<double>(sum) / count / static_cast<double>(total) * 100.0;
    if (LabelState* l = labels.Find(kind, LabelSlot::YosoKaishu)) {
        l->caption = keiba::FormatFixed(rate, 7, 1);
        if (rate > 100.0)
            l->font = kBlack;
        else if (rate > 0.0)
            l->font = kRed;
    }
}

std::optional<double> GetAppearRate(const AppearRateTable& table, int block, int fieldSize,
                                    int popularity) {
    if (popularity <= 0) return 0.0;
    if (block < 1 || block > 3 || fieldSize < 4 || fieldSize > 18 || popularity > 18)
        return std::nullopt;
    return table.rate[static_cast<std::size_t>(fieldSize)]
                     [static_cast<std::size_t>((block - 1) * 18 + popularity)] *
           100.0;
}

void FillAppearRateColumn(const AppearRateTable& table, int block, int position, int fieldSize,
                          int rows, PlainTable& grid, int destCol, int srcCol) {
    const AppearCall call{block, position, destCol};
    FillAppearRateColumns(table, {&call, 1}, fieldSize, rows, grid, srcCol);
}

void FillAppearRateColumns(const AppearRateTable& table, std::span<const AppearCall> calls,
                           int fieldSize, int rows, PlainTable& grid, int srcCol) {
    struct Column {
        std::size_t at = 0; // the runner's place in the source text
        int destCol = 0;
        // The text of each popularity, formatted once per call.
        std::array<std::optional<std::string>, 19> texts;
    };
    std::array<Column, 3> columns;
    std::size_t n = 0;
    for (const AppearCall& a : calls) {
        if (a.position < 1 || a.position > 3 || n == columns.size()) continue;
        Column& c = columns[n++];
        c.at = static_cast<std::size_t>((a.position - 1) * 3);
        c.destCol = a.destCol;
        for (int p = 1; p <= 18; ++p)
            if (auto rate = GetAppearRate(table, a.block, fieldSize, p))
                c.texts[static_cast<std::size_t>(p)] = keiba::FormatFixed(*rate, 5, 1);
    }
    if (n == 0) return;
    rows = std::min(rows, grid.RowCount() - 1);
    for (int row = 1; row <= rows; ++row) {
        for (std::size_t i = 0; i < n; ++i) {
            const Column& c = columns[i];
            const std::string& src = grid.Cells(srcCol, row);
            if (src.size() < c.at + 2) continue;
            int v = TwoDigitField(std::string_view(src).substr(c.at, 2));
            if (v <= 0) continue;
            if (v <= 18 && c.texts[static_cast<std::size_t>(v)])
                grid.SetCell(c.destCol, row, *c.texts[static_cast<std::size_t>(v)]);
        }
    }
}

std::vector<PayoutEntryView> PayoutEntries(BetKind kind, const jvdata::PayoutTables& t, int race) {
    std::vector<PayoutEntryView> out;
    if (race < 0 || race >= jvdata::kMaxRaces) return out;
    const auto r = static_cast<std::size_t>(race);
    switch (kind) {
    case BetKind::Tan: Collect(out, t.gPayKeyWin[r], t.gPayYenWin[r], t.gPayPopWin[r]); break;
    case BetKind::Fuku:
        Collect(out, t.gPayKeyPlace[r], t.gPayYenPlace[r], t.gPayPopPlace[r]);
        break;
    case BetKind::Waku:
        Collect(out, t.gPayKeyWakuren[r], t.gPayYenWakuren[r], t.gPayPopWakuren[r]);
        break;
    case BetKind::Umaren:
        Collect(out, t.gPayKeyUmaren[r], t.gPayYenUmaren[r], t.gPayPopUmaren[r]);
        break;
    case BetKind::Wide: Collect(out, t.gPayKeyWide[r], t.gPayYenWide[r], t.gPayPopWide[r]); break;
    case BetKind::Umatan:
        Collect(out, t.gPayKeyUmatan[r], t.gPayYenUmatan[r], t.gPayPopUmatan[r]);
        break;
    case BetKind::Sanrenpuku:
        Collect(out, t.gPayKeySanrenpuku[r], t.gPayYenSanrenpuku[r], t.gPayPopSanrenpuku[r]);
        break;
    case BetKind::Sanrentan:
        Collect(out, t.gPayKeySanrentan[r], t.gPayYenSanrentan[r], t.gPayPopSanrentan[r]);
        break;
    }
    return out;
}

bool KeyHits(BetKind kind, std::string_view keyCell, const PayoutEntryView& entry) {
    if (entry.key.empty()) return false;
    if (kind == BetKind::Tan || kind == BetKind::Fuku) {
        std::int64_t n = keiba::DigitValue(keyCell);
        return n >= 1 && n == keiba::DigitValue(entry.key);
    }
    return !Blank(keyCell) && keyCell == entry.key;
}

void SetKaimeResults(BetKind kind, int keyCol, int stakeCol, PlainTable& grid, int popCol,
                     int returnCol, int payoutCol, const jvdata::PayoutTables& tables, int race,
                     LabelBoard& labels) {
    if (kind == BetKind::Waku || grid.RowCount() < 2) return;
    std::vector<PayoutEntryView> entries = PayoutEntries(kind, tables, race);
    // An entry not yet published wins nothing.
    std::erase_if(entries, [](const PayoutEntryView& e) { return e.key.empty(); });
    std::int64_t total = 0;
    for (int row = 1; row < grid.RowCount() && !entries.empty(); ++row) {
        const std::string& key = grid.Cells(keyCol, row);
        for (const PayoutEntryView& e : entries) {
            if (!KeyHits(kind, key, e)) continue;
            // 64-bit: a trifecta of millions of yen per 100 at a stake of thousands.
            std::int64_t ret = e.yen * keiba::DigitValue(grid.Cells(stakeCol, row)) / 100;
            grid.SetCell(payoutCol, row, IntText(e.yen, 7));
            grid.SetCell(returnCol, row, IntText(ret, 7));
            grid.SetCell(popCol, row, IntText(e.popularity, 3));
            total += ret;
        }
    }
    LabelState* l = labels.Find(kind, LabelSlot::Kaishu);
    if (!l) return;
    if (total <= 0) {
        l->caption.clear();
        return;
    }
    l->caption = IntText(total, 8);
    const LabelState* staked = labels.Find(kind, LabelSlot::Total);
    l->font = staked && keiba::DigitValue(staked->caption) > total ? kRed : kBlack;
}

} // namespace betting
