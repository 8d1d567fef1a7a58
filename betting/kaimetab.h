#pragma once
// The 買い目 tab without its widgets: the mark grid's handlers, the eight bet grids with their
// clicks, sorts and labels, the amount and the two mode groups, and the vote commands. The
// screen (betting/forms) shows this state and forwards its events here, so every handler runs
// the same in a test as behind a click.

#include "betting/betfiles.h"
#include "betting/builder.h"
#include "betting/host.h"
#include "betting/layout.h"
#include "keiba/context.h"
#include "raceday/daymodel.h"

#include <array>
#include <cstdint>
#include <filesystem>

namespace betting {

// Sorts rows 1.. of a bet grid by one column's bytes, then every run of equal texts by the
// secondary column ascending (the row number; the key when sorting by row number).
void SortBetRows(PlainTable& grid, int col, bool descending);
int SecondarySortColumn(int primaryCol);

class KaimeTab {
public:
    // `marks` is the mark grid (StringGrid1); all four outlive the tab.
    KaimeTab(raceday::RaceDay& day, BetHost& host, CellTable& marks,
             const keiba::ProgramContext& context);

    BetBook& Book() { return book_; }
    const BetBook& Book() const { return book_; }
    keiba::TIniGT& Ini() { return context_.settings; }
    const keiba::ProgramContext& Context() const { return context_; }

    // Both mode groups as the settings hold them.
    void RestoreSettings();
    int HaibunMode() const { return haibun_; }      // RadioGroup1
    int KaimeLogic() const { return logic_; }       // RadioGroup2
    std::int64_t Amount() const { return amount_; } // SaNumEditExC1
    int ActivePage() const { return page_; }        // PageControl4

    // The heading sorts share their column with the race card's sort.
    void ShareSortColumn(int* gSortCol) { sortCol_ = gSortCol ? gSortCol : &ownSortCol_; }
    int SortColumn() const { return *sortCol_; }
    std::uint8_t SortDirection(BetKind k, int col) const;

    // `DatListClick`'s step: the amount of the race shown into the amount edit.
    std::int64_t ShowRaceAmount();
    // The axis and partner columns of the mark grid (what the hidden JikuHimoBtn does).
    void FillAxisAndPartners();
    // The seven bet grids rebuilt (what the hidden KaimeMakeBtn does).
    void BuildBets();
    // A press on the mark grid StringGrid1: the toggle, then the rebuild.
    void PressMark(int col, int row);

    // A click on a data row of a bet grid: the erase column toggles the row's erase mark, and the
    // grid's stakes and results are completed again.
    void ToggleRowErase(BetKind k, int col, int row);
    // A press on a heading of a bet grid: true when it sorted.
    bool SortByHeading(BetKind k, int col, int row);
    // The grid of the active page sorted by the shared sort column (the hidden
    // SortKaimeHyoTanBtn and its siblings).
    void SortActivePage();
    // Whether the bet of a row wins (column 2 drawn in fuchsia).
    bool IsHit(BetKind k, int row) const;

    // The page PageControl4 shows.
    void SetPage(int page);
    // The amount edit SaNumEditExC1 changed; the value typed, 0 when empty.
    void SetAmount(std::int64_t amount);
    // The distribution mode (RadioGroup1) and the bet logic (RadioGroup2), saved.
    void SetHaibunMode(int index);
    void SetKaimeLogic(int index);

    // The votes and the grids' clicks do nothing while the host is busy.
    // The active grid's voting plug-in file (TohyoCSVBtn).
    VoteResult WriteVoteCsv();
    // The active grid's BRIVEL file (TohyouBtn).
    VoteResult WriteActiveBetFile();
    // The BRIVEL file of grid `k` (the items N19..N26 of `PopupTohyo`).
    VoteResult WriteBetFile(BetKind k);
    // The marks file (`N50Click`, 印).
    std::filesystem::path WriteMarks();

private:
    StakeInputs Inputs() const { return {haibun_, amount_}; }
    // The distribution, then the results, of the seven built grids.
    void RecomputeStakes();
    void SaveSetting(const char* key, int value);
    std::array<std::uint8_t, 23>& DirTable(BetKind k);

    raceday::RaceDay& day_;
    BetHost& host_;
    CellTable& marks_;
    const keiba::ProgramContext& context_;
    BetBook book_;
    int haibun_ = kModeEqual;
    int logic_ = kLogicSystem;
    std::int64_t amount_ = 0;
    int page_ = 0;
    int ownSortCol_ = 0;
    int* sortCol_ = &ownSortCol_;
    std::array<std::array<std::uint8_t, 23>, kSortTables> sortDirs_{};
};

// `TKaimeSetForm.BitBtn1Click` without the dialog: the value to store (at least 100) is
// written to KaimeSet/DefaultAmount of the context's settings and returned.
int StoreDefaultAmount(const keiba::ProgramContext& context, int typed);
int ReadDefaultAmount(const keiba::TIniGT& ini);

} // namespace betting
