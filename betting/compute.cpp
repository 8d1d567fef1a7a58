#include "betting/compute.h"

#include "keiba/sjis.h"

#include <algorithm>
#include <charconv>
#include <type_traits>

namespace betting {
namespace {

bool Blank(std::string_view cell) {
    return keiba::TrimBlanks(cell).empty();
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

} // namespace

const std::string& EraseMark() {
    static const std::string mark = keiba::Sj("消");
    return mark;
}

double CellDouble(std::string_view cell) {
    std::string_view t = keiba::TrimBlanks(cell);
    double v = 0.0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    return r.ec == std::errc() ? v : 0.0;
}

void CalcFundDistribution(BetKind kind, int mode, std::int64_t budget, PlainTable& grid,
                          int payoutCol, int stakeCol, int eraseCol, int oddsCol, int numberCol,
                          LabelBoard& labels) {
    const int rows = grid.RowCount();
    if (budget < 100 || rows > kMaxBetRows + 1 || rows < 2 || Blank(grid.Cells(oddsCol, 1))) return;
    if (mode != kModeEqual && mode != kModeProportional) return;
    const int shareCol = payoutCol + 1;
    auto counted = [&](int row) {
        return !Blank(grid.Cells(numberCol, row)) && grid.Cells(eraseCol, row) != EraseMark() &&
               !Blank(grid.Cells(oddsCol, row));
    };

    int count = 0;
    double weightSum = 0.0;
    const double base = CellDouble(grid.Cells(oddsCol, 1)) * 100.0;
    for (int row = 1; row < rows; ++row) {
        grid.SetCell(stakeCol, row, {});
        grid.SetCell(payoutCol, row, {});
        grid.SetCell(shareCol, row, {});
        if (!counted(row)) continue;
        ++count;
        double odds = CellDouble(grid.Cells(oddsCol, row));
        if (odds > 0.0) weightSum += base / odds;
    }

    std::int64_t total = 0;
    if (mode == kModeEqual) {
        if (count == 0) return;
        auto units = static_cast<std::int64_t>(static_cast<double>(budget) / count / 100.0 + 0.9);
        const std::int64_t stake = std::max<std::int64_t>(units * 100, 100);
        total = stake * count;
        for (int row = 1; row < rows; ++row)
            if (counted(row)) grid.SetCell(stakeCol, row, keiba::FormatInt(stake, 6));
    } else {
        for (int row = 1; row < rows && weightSum > 0.0; ++row) {
            if (!counted(row)) continue;
            double odds = CellDouble(grid.Cells(oddsCol, row));
            double share = (odds > 0.0 ? base / odds : 0.0) / weightSum * 100.0;
            auto units =
                static_cast<std::int64_t>(static_cast<double>(budget) * share / 10000.0 + 0.95);
            std::int64_t stake = std::max<std::int64_t>(units * 100, 100);
            grid.SetCell(stakeCol, row, keiba::FormatInt(stake, 6));
            total += stake;
        }
    }
    SetCaption(labels, kind, LabelSlot::Tensu, keiba::FormatInt(count, 3));
    SetCaption(labels, kind, LabelSlot::Total, keiba::FormatInt(total, 6));
    if (total == 0) return;

    std::int64_t sum = 0;
    for (int row = 1; row < rows; ++row) {
        if (!counted(row)) continue;
        double odds = CellDouble(grid.Cells(oddsCol, row));
        double stake = static_cast<double>(keiba::DigitValue(grid.Cells(stakeCol, row)));
        double payout = stake * odds;
        grid.SetCell(payoutCol, row, keiba::FormatFixed(payout, 7, 0));
        grid.SetCell(shareCol, row,
                     keiba::FormatFixed(payout / static_cast<double>(total) * 100.0, 7, 1));
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
    if (position < 1 || position > 3) return;
    const auto at = static_cast<std::size_t>((position - 1) * 3);
    rows = std::min(rows, grid.RowCount() - 1);
    // The text of each popularity, formatted once per call.
    std::array<std::optional<std::string>, 19> texts;
    for (int p = 1; p <= 18; ++p)
        if (auto rate = GetAppearRate(table, block, fieldSize, p))
            texts[static_cast<std::size_t>(p)] = keiba::FormatFixed(*rate, 5, 1);
    for (int row = 1; row <= rows; ++row) {
        const std::string& src = grid.Cells(srcCol, row);
        if (src.size() < at + 2) continue;
        int n = keiba::StrToIntDef(std::string_view(src).substr(at, 2), 0);
        if (n <= 0) continue;
        if (n <= 18 && texts[static_cast<std::size_t>(n)])
            grid.SetCell(destCol, row, *texts[static_cast<std::size_t>(n)]);
    }
}

std::vector<PayoutEntryView> PayoutEntries(BetKind kind, const jvdata::TPayoutTables& t, int race) {
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
                     int returnCol, int payoutCol, const jvdata::TPayoutTables& tables, int race,
                     LabelBoard& labels) {
    if (kind == BetKind::Waku || grid.RowCount() < 2) return;
    const std::vector<PayoutEntryView> entries = PayoutEntries(kind, tables, race);
    std::int64_t total = 0;
    for (int row = 1; row < grid.RowCount(); ++row) {
        const std::string& key = grid.Cells(keyCol, row);
        for (const PayoutEntryView& e : entries) {
            if (!KeyHits(kind, key, e)) continue;
            // 64-bit: a trifecta of millions of yen per 100 at a stake of thousands.
            std::int64_t ret = e.yen * keiba::DigitValue(grid.Cells(stakeCol, row)) / 100;
            grid.SetCell(payoutCol, row, keiba::FormatInt(e.yen, 7));
            grid.SetCell(returnCol, row, keiba::FormatInt(ret, 7));
            grid.SetCell(popCol, row, keiba::FormatInt(e.popularity, 3));
            total += ret;
        }
    }
    LabelState* l = labels.Find(kind, LabelSlot::Kaishu);
    if (!l) return;
    if (total <= 0) {
        l->caption.clear();
        return;
    }
    l->caption = keiba::FormatInt(total, 8);
    const LabelState* staked = labels.Find(kind, LabelSlot::Total);
    l->font = staked && keiba::DigitValue(staked->caption) > total ? kRed : kBlack;
}

} // namespace betting
