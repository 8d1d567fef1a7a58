#include "betting/kaimetab.h"

#include "keiba/sjis.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace betting {

int SecondarySortColumn(int primaryCol) {
    return primaryCol == kNumberCol ? kKeyCol : kNumberCol;
}

void SortBetRows(PlainTable& grid, int col, bool descending) {
    const int rows = grid.RowCount();
    if (rows < 3 || col < 0 || col >= grid.ColCount()) return;
    const int second = SecondarySortColumn(col);
    std::vector<int> order(static_cast<std::size_t>(rows - 1));
    std::iota(order.begin(), order.end(), 1);
    // Byte order of the cells; runs of equal primary texts ascend by the secondary column,
    // which holds unique texts, so the result does not depend on the sort's stability.
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const std::string& pa = grid.Cells(col, a);
        const std::string& pb = grid.Cells(col, b);
        if (pa != pb) return descending ? pb < pa : pa < pb;
        return grid.Cells(second, a) < grid.Cells(second, b);
    });
    grid.ReorderRows(1, order);
}

KaimeTab::KaimeTab(raceday::RaceDay& day, BetHost& host, CellTable& marks,
                   const keiba::ProgramContext& context)
    : day_(day)
    , host_(host)
    , marks_(marks)
    , context_(context) {
    book_.labels.Highlight(page_);
}

void KaimeTab::RestoreSettings() {
    haibun_ = context_.settings.ReadInteger("KaimeSet", "HaibunSet", 0);
    logic_ = context_.settings.ReadInteger("KaimeSet", "KaimeRogic", 0);
}

std::uint8_t KaimeTab::SortDirection(BetKind k, int col) const {
    if (col < 0 || col >= 23) return 0;
    return sortDirs_[static_cast<std::size_t>(LayoutOf(k).sortTable)]
                    [static_cast<std::size_t>(col)];
}

std::array<std::uint8_t, 23>& KaimeTab::DirTable(BetKind k) {
    return sortDirs_[static_cast<std::size_t>(LayoutOf(k).sortTable)];
}

std::int64_t KaimeTab::ShowRaceAmount() {
    const int r = day_.gCurRace;
    if (r >= 0 && r < jvdata::kMaxRaces) amount_ = day_.RaceAmounts[static_cast<std::size_t>(r)];
    return amount_;
}

void KaimeTab::FillAxisAndPartners() {
    betting::FillAxisAndPartners(day_, marks_, logic_);
}

void KaimeTab::BuildBets() {
    betting::BuildBets(day_, marks_, Inputs(), book_);
}

void KaimeTab::PressMark(int col, int row) {
    if (host_.Busy()) return;
    ToggleMark(day_, marks_, logic_, col, row);
    BuildBets();
}

void KaimeTab::ToggleRowErase(BetKind k, int col, int row) {
    PlainTable& grid = book_.Grid(k);
    if (host_.Busy() || row < 1 || row >= grid.RowCount()) return;
    if (col == kEraseCol)
        grid.SetCell(kEraseCol, row,
                     keiba::TrimBlanks(grid.Cells(kEraseCol, row)).empty() ? EraseMark()
                                                                           : std::string());
    // 枠連 has no labels and no appearance rates; its click leaves the distribution mode alone.
    book_.labels.Clear(k);
    CompleteGrid(k, day_, Inputs(), book_, k == BetKind::Waku ? -1 : grid.RowCount() - 1);
}

bool KaimeTab::SortByHeading(BetKind k, int col, int row) {
    if (host_.Busy() || row != 0 || col <= 0 || col >= LayoutOf(k).cols) return false;
    std::uint8_t& dir = DirTable(k)[static_cast<std::size_t>(col)];
    dir = dir == 0 ? 1 : 0;
    *sortCol_ = col;
    SortActivePage();
    return true;
}

void KaimeTab::SortActivePage() {
    auto k = KindOfPage(page_);
    const int col = *sortCol_;
    if (!k || col < 0 || col >= LayoutOf(*k).cols) return;
    SortBetRows(book_.Grid(*k), col, DirTable(*k)[static_cast<std::size_t>(col)] != 0);
}

bool KaimeTab::IsHit(BetKind k, int row) const {
    const PlainTable& grid = book_.Grid(k);
    if (row < 1 || row >= grid.RowCount()) return false;
    const std::string& key = grid.Cells(kKeyCol, row);
    for (const PayoutEntryView& e : PayoutEntries(k, day_.gPayoutTables, day_.gCurRace))
        if (KeyHits(k, key, e)) return true;
    return false;
}

void KaimeTab::SetPage(int page) {
    page_ = page;
    book_.labels.Highlight(page);
}

void KaimeTab::SetAmount(std::int64_t amount) {
    amount_ = std::max<std::int64_t>(amount, 0);
    // Before a day is shown there is no race to keep the amount for.
    const int r = day_.gCurRace;
    if (host_.SelectedRace() < 0 || r < 0 || r >= jvdata::kMaxRaces) return;
    day_.RaceAmounts[static_cast<std::size_t>(r)] = amount_;
    RecomputeStakes();
}

void KaimeTab::SetHaibunMode(int index) {
    haibun_ = index;
    SaveSetting("HaibunSet", index);
    RecomputeStakes();
}

void KaimeTab::SetKaimeLogic(int index) {
    logic_ = index;
    SaveSetting("KaimeRogic", index);
    FillAxisAndPartners();
    BuildBets();
}

void KaimeTab::RecomputeStakes() {
    for (BetKind k : kBuiltKinds) {
        const BetLayout& l = LayoutOf(k);
        CalcFundDistribution(k, haibun_, amount_, book_.Grid(k), l.payoutCol, l.stakeCol, kEraseCol,
                             kOddsCol, kNumberCol, book_.labels);
    }
    for (BetKind k : kBuiltKinds) {
        const BetLayout& l = LayoutOf(k);
        SetKaimeResults(k, kKeyCol, l.stakeCol, book_.Grid(k), l.resultPopCol, l.resultReturnCol,
                        l.resultPayoutCol, day_.gPayoutTables, day_.gCurRace, book_.labels);
    }
}

void KaimeTab::SaveSetting(const char* key, int value) {
    keiba::IoResult io = context_.settings.WriteInteger("KaimeSet", key, value);
    if (!io) context_.notifier.Information(io.message);
}

VoteResult KaimeTab::WriteVoteCsv() {
    auto k = KindOfPage(page_);
    if (!k || host_.Busy()) return VoteResult::Refused;
    const BetLayout& l = LayoutOf(*k);
    return WriteQvxTohyoCsv(l.code, amount_, book_.Grid(*k),
                            {l.stakeCol, kEraseCol, kOddsCol, kKeyCol}, day_, host_, context_);
}

VoteResult KaimeTab::WriteActiveBetFile() {
    auto k = KindOfPage(page_);
    if (!k) return VoteResult::Refused;
    return WriteBetFile(*k);
}

VoteResult KaimeTab::WriteBetFile(BetKind k) {
    if (host_.Busy()) return VoteResult::Refused;
    const BetLayout& l = LayoutOf(k);
    return WriteBrivelFile(l.name, amount_, book_.Grid(k),
                           {l.stakeCol, kEraseCol, kOddsCol, kKeyCol}, day_, host_, context_);
}

std::filesystem::path KaimeTab::WriteMarks() {
    if (host_.Busy()) return {};
    return WriteMarksCsv(day_, host_, context_);
}

int ReadDefaultAmount(const keiba::TIniGT& ini) {
    return ini.ReadInteger("KaimeSet", "DefaultAmount", 3000);
}

int StoreDefaultAmount(const keiba::ProgramContext& context, int typed) {
    const int value = std::max(typed, 100);
    keiba::IoResult io = context.settings.WriteInteger("KaimeSet", "DefaultAmount", value);
    if (!io) context.notifier.Information(io.message);
    return value;
}

} // namespace betting
