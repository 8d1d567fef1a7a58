#include "search/rresults.h"

#include "keiba/codetables.h"
#include "keiba/fileio.h"
#include "keiba/formatters.h"
#include "keiba/sjis.h"
#include "raceday/analysiscells.h"

namespace search {
namespace {

using raceday::RunCell;
using raceday::RunCellText;

std::string Text(const auto& a) {
    return std::string(a.data(), a.size());
}

// "%Nd" of a value, blanks of width N for 0: the value in its field's own width.
std::string BlankZero(std::int64_t v, int width) {
    return v == 0 ? std::string(static_cast<std::size_t>(width), ' ') : keiba::FormatInt(v, width);
}

std::string Date(const RHit& h) {
    std::string_view d(h.date8.data(), h.date8.size());
    return std::string(d.substr(0, 4)) + "/" + std::string(d.substr(4, 2)) + "/" +
           std::string(d.substr(6, 2));
}

std::string Race(const RHit& h) {
    return keiba::JyoCodeToName(RHit::View(h.venue), 2) +
           keiba::FormatIntBlankZero(RHit::View(h.raceNo));
}

std::string D8(std::int64_t v) {
    return keiba::FormatInt(v, 8);
}
std::string F8(double v) {
    return keiba::FormatFixed(v, 8, 1);
}

// The table's rows and the tallies each sums: indexes first..last (0 is every runner).
struct LevelRow {
    std::string_view label;
    int first, last;
};
constexpr LevelRow kLevelRowsOf[kLevelRows] = {
    {"Rレベル", 1, 0},  {"高★", 7, 7},      {"高＋", 6, 6},     {"高－", 5, 5}, {"普通", 4, 4},
    {"低＋", 3, 3},     {"低－", 2, 2},     {"低★", 1, 1},      {"総合", 0, 0}, {"高＋以上", 6, 7},
    {"高－以上", 5, 7}, {"低＋以下", 1, 3}, {"低－以下", 1, 2},
};

} // namespace

std::string HitListCell(const RHit& h, int col) {
    switch (col) {
    case 0: return Date(h);
    case 1: return Race(h);
    case 2: return keiba::FormatIntBlankZero(RHit::View(h.horseNo));
    case 3: return Text(h.name);
    case 4: return keiba::FormatIntBlankZero(h.ThisRun().Finish());
    case 5: return "100";
    case 6: return BlankZero(h.winPayout, 9);
    case 7: return BlankZero(h.placePayout, 9);
    case 8: return keiba::FormatFixed(h.winPayout, 6, 1);
    case 9: return keiba::FormatFixed(h.placePayout, 6, 1);
    default: return {};
    }
}

std::string HitDetailCell(const RHit& h, int col) {
    const jvdata::TAnalysisRun a = h.ThisRun(), b = h.PreviousRun();
    if (col >= 4 && col < 9) return RunCellText(a, raceday::kRunRaceCells[col - 4]);
    if (col >= 9 && col < 29) return RunCellText(a, raceday::kRunMarkCells[col - 9]);
    if (col >= 31 && col < 36) return RunCellText(b, raceday::kRunRaceCells[col - 31]);
    if (col >= 36 && col < 56) return RunCellText(b, raceday::kRunMarkCells[col - 36]);
    switch (col) {
    case 0: return Date(h);
    case 1: return Race(h);
    case 2: return Text(h.name);
    case 3: return RunCellText(a, RunCell::FieldSize);
    case 29: return RunCellText(b, RunCell::Venue);
    case 30: return RunCellText(b, RunCell::FieldSize);
    case 56: return keiba::FormatInt(h.winPayout, 5);
    case 57: return keiba::FormatInt(h.placePayout, 5);
    default: return {};
    }
}

RResultLabels ResultLabels(const RTally& t, bool cancelled) {
    RResultLabels l;
    if (cancelled) return l;
    const std::int64_t hits = t.n[0];
    l.gaitoSu = D8(hits);
    if (hits <= 0) return l;
    const double n = static_cast<double>(hits);
    l.tanBuy = l.fukBuy = D8(hits * 100);
    l.tanGet = D8(t.winSum[0]);
    l.fukGet = D8(t.placeSum[0]);
    l.tanTeki = F8(static_cast<double>(t.winHits[0]) / n * 100);
    l.fukTeki = F8(static_cast<double>(t.placeHits[0]) / n * 100);
    l.tanKaishu = F8(static_cast<double>(t.winSum[0]) / n);
    l.fukKaishu = F8(static_cast<double>(t.placeSum[0]) / n);
    return l;
}

std::string ProgressText(int daysRead, std::size_t hits) {
    return "検索済:" + std::to_string(daysRead) + "開催日/" + std::to_string(hits) + "頭";
}

std::string UnsearchedFilesText(const RScanResult& result) {
    std::vector<std::string> lines;
    // A long list says how many more: the box must still fit the screen.
    auto named = [&](const auto& items, auto line) {
        for (std::size_t i = 0; i < items.size() && i < kNamedFiles; ++i)
            lines.push_back(line(items[i]));
        if (items.size() > kNamedFiles)
            lines.push_back("ほか" + std::to_string(items.size() - kNamedFiles) + "件");
    };
    if (!result.damaged.empty()) {
        lines.emplace_back("一部が壊れているため、検索できなかった分析データがあります。");
        named(result.damaged,
              [](const std::filesystem::path& p) { return keiba::PathToUtf8(p.filename()); });
    }
    named(result.unreadable, [](const std::string& message) { return message; });
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty()) text += "\n";
        text += line;
    }
    return text;
}

std::string_view LevelRowLabel(int row) {
    return row >= 0 && row < kLevelRows ? kLevelRowsOf[row].label : std::string_view();
}

std::string_view LevelHeading(int col) {
    static constexpr std::string_view kHeadings[kLevelColumns] = {
        "Rレベル",  "掛け金",   "単的中数", "単払戻金", "単的中率",
        "単回収率", "複的中数", "複払戻金", "複的中率", "複回収率"};
    return col >= 0 && col < kLevelColumns ? kHeadings[col] : std::string_view();
}

std::array<std::array<std::string, kLevelColumns>, kLevelRows> LevelTable(const RTally& t) {
    std::array<std::array<std::string, kLevelColumns>, kLevelRows> table;
    for (int row = 1; row < kLevelRows; ++row) {
        const RTally::Row r = t.Sum(kLevelRowsOf[row].first, kLevelRowsOf[row].last);
        auto& cells = table[static_cast<std::size_t>(row)];
        cells[1] = D8(r.n * 100);
        cells[2] = D8(r.winHits);
        cells[3] = D8(r.winSum);
        cells[6] = D8(r.placeHits);
        cells[7] = D8(r.placeSum);
        if (r.n <= 0) continue;
        const double n = static_cast<double>(r.n);
        cells[4] = F8(static_cast<double>(r.winHits) / n * 100);
        cells[5] = F8(static_cast<double>(r.winSum) / n);
        cells[8] = F8(static_cast<double>(r.placeHits) / n * 100);
        cells[9] = F8(static_cast<double>(r.placeSum) / n);
    }
    return table;
}

} // namespace search
