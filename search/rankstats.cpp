#include "search/rankstats.h"

#include "keiba/csvsplit.h"
#include "keiba/fileio.h"
#include "keiba/sjis.h"

#include <algorithm>

namespace search {

namespace {

int CellInt(const std::vector<std::string>& row, int col) {
    const auto c = static_cast<std::size_t>(col);
    return c < row.size() ? keiba::StrToIntDef(row[c], 0) : 0;
}

struct Tally {
    std::array<std::int64_t, kStatsRanks + 1> n1{}, n2{}, n3{}, s1{}, s2{}, s3{};
    std::int64_t total = 0;
};

bool InRanks(int r) {
    return r >= 1 && r <= kStatsRanks;
}

// Ranks of the first three finishers from columns first, first + 2, first + 4.
Tally Count(const StatsRows& rows, int first, bool zeroIsSeven) {
    Tally t;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const std::vector<std::string>& row = rows[i];
        const int pay = CellInt(row, kStatsWinPay);
        if (CellInt(row, kStatsRank1) < 1 || CellInt(row, kStatsRank2) < 1 ||
            CellInt(row, kStatsRank3) < 1 || pay < 1)
            continue;
        std::array<int, 3> r{};
        for (int k = 0; k < 3; ++k) {
            int v = CellInt(row, first + 2 * k);
            if (zeroIsSeven && v == 0) v = 7;
            r[static_cast<std::size_t>(k)] = v;
        }
        // The tallies hold 18 ranks: a row with another rank is left out of this table.
        if (!InRanks(r[0]) || !InRanks(r[1]) || !InRanks(r[2])) continue;
        const auto a = static_cast<std::size_t>(r[0]);
        const auto b = static_cast<std::size_t>(r[1]);
        const auto c = static_cast<std::size_t>(r[2]);
        ++t.n1[a];
        ++t.n2[a];
        ++t.n2[b];
        ++t.n3[a];
        ++t.n3[b];
        ++t.n3[c];
        t.s1[a] += pay;
        t.s2[a] += CellInt(row, kStatsQuinella);
        t.s3[a] += CellInt(row, kStatsTrio);
        ++t.total;
    }
    return t;
}

void Fill(StatsSummary& out, int firstRow, const Tally& t) {
    for (int k = 1; k <= kStatsRanks; ++k) {
        const auto kk = static_cast<std::size_t>(k);
        auto cell = [&](int row) -> std::string& {
            return out[static_cast<std::size_t>(firstRow + row)][kk];
        };
        auto rate = [&](std::int64_t n) {
            return t.total > 0
                       ? keiba::FormatFixed(
                             static_cast<double>(n) * 100.0 / static_cast<double>(t.total), 7, 2)
                       : std::string();
        };
        cell(0) = keiba::FormatInt(t.n1[kk], 7);
        cell(1) = rate(t.n1[kk]);
        cell(2) = keiba::FormatInt(t.n2[kk], 7);
        cell(3) = rate(t.n2[kk]);
        cell(4) = keiba::FormatInt(t.n3[kk], 7);
        cell(5) = rate(t.n3[kk]);
        if (t.n1[kk] > 0) {
            const double n = static_cast<double>(t.n1[kk]);
            cell(6) = keiba::FormatFixed(static_cast<double>(t.s1[kk]) / n, 7, 0);
            cell(7) = keiba::FormatFixed(static_cast<double>(t.s2[kk]) / n, 7, 0);
            cell(8) = keiba::FormatFixed(static_cast<double>(t.s3[kk]) / n, 7, 0);
        }
    }
}

} // namespace

StatsSummary ComputeRankStats(const StatsRows& rows) {
    StatsSummary out{};
    for (int k = 1; k <= kStatsRanks; ++k)
        out[0][static_cast<std::size_t>(k)] = keiba::FormatInt(k, 2) + "位";
    static const char* const kLabels[9] = {"出現数", "単勝率",   "出現数",   "連対率",   "出現数",
                                           "複勝率", "単勝配当", "馬連配当", "3連複配当"};
    for (std::size_t i = 0; i < 9; ++i) {
        out[1 + i][0] = kLabels[i];
        out[11 + i][0] = kLabels[i];
    }
    Fill(out, 1, Count(rows, kStatsRank1, false));
    Fill(out, 11, Count(rows, kStatsRank1 + 1, true));
    return out;
}

std::string StatsFileBytes(const StatsRows& rows) {
    std::string bytes;
    for (const std::vector<std::string>& row : rows) bytes += keiba::JoinQuotedFields(row) + "\r\n";
    return bytes;
}

StatsRows ParseStatsFile(std::string_view bytes) {
    StatsRows rows;
    if (bytes.empty()) return rows;
    for (std::string_view line : keiba::SplitLines(bytes))
        rows.push_back(keiba::SplitCommaText(line));
    return rows;
}

int StatsGridColumns(const StatsRows& rows) {
    std::size_t widest = kStatsDataColumns;
    for (const std::vector<std::string>& row : rows) widest = std::max(widest, row.size());
    return static_cast<int>(widest);
}

} // namespace search
