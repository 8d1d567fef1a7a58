#pragma once
// The eight bet types of the bet tab: their names, plug-in codes, grid columns and summary
// labels. Page order of the tab: 単勝 複勝 枠連 馬連 ワイド 馬単 三連複 三連単.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace betting {

enum class BetKind { Tan, Fuku, Waku, Umaren, Wide, Umatan, Sanrenpuku, Sanrentan };
inline constexpr int kBetKinds = 8;
inline constexpr std::array<BetKind, kBetKinds> kAllKinds = {
    BetKind::Tan,  BetKind::Fuku,   BetKind::Waku,       BetKind::Umaren,
    BetKind::Wide, BetKind::Umatan, BetKind::Sanrenpuku, BetKind::Sanrentan};
// The seven types the builder fills (all but 枠連), in the order every recomputation runs.
inline constexpr std::array<BetKind, 7> kBuiltKinds = {
    BetKind::Tan,    BetKind::Fuku,       BetKind::Umaren,   BetKind::Wide,
    BetKind::Umatan, BetKind::Sanrenpuku, BetKind::Sanrentan};

constexpr int PageOf(BetKind k) {
    return static_cast<int>(k);
}
std::optional<BetKind> KindOfPage(int page);

// Columns every grid shares.
inline constexpr int kEraseCol = 0;
inline constexpr int kNumberCol = 1;
inline constexpr int kKeyCol = 2;
inline constexpr int kOddsCol = 3;
inline constexpr int kPopCol = 4;
inline constexpr int kRenPopCol = 5; // pair and triple grids only

// One appearance-rate column: the rate table's block, the runner's place in the key, the
// column written.
struct AppearCall {
    int block, position, destCol;
};

// The direction tables of the heading sorts; the four pair grids share one.
enum class SortTable { Win, Place, Pair, Trio, Trifecta };
inline constexpr int kSortTables = 5;

struct BetLayout {
    std::string_view name; // UTF-8: "単勝" .. "３連単", as the writers and messages use it
    std::string_view code; // the voting plug-in's code
    int cols;
    int stakeCol, payoutCol; // the return share is payoutCol + 1
    int resultPayoutCol, resultReturnCol, resultPopCol;
    int appearSrcCol;
    std::array<AppearCall, 3> appear;
    int appearCount;
    SortTable sortTable;
    std::array<int, 15> widths; // -1 hides a column
    bool hasLabels;
};

const BetLayout& LayoutOf(BetKind k);
// The heading texts of a grid (UTF-8).
std::string_view HeadingOf(BetKind k, int col);
// The kind of a name as the callers pass it ("単勝" .. "３連単"), exact.
std::optional<BetKind> KindOfName(std::string_view utf8);

// Summary labels: bet count, stake total, expected return rate, result return.
enum class LabelSlot { Tensu, Total, YosoKaishu, Kaishu };
inline constexpr int kLabelSlots = 4;
// Object names ("TanTensuLabel"); empty for 枠連, which has none.
std::string LabelName(BetKind k, LabelSlot slot);

struct Rgb {
    int r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kCream{255, 251, 240};
inline constexpr Rgb kActiveLabel{172, 181, 255};

struct LabelState {
    std::string caption; // ASCII digits and blanks
    Rgb font = kBlack;
    Rgb background = kCream;
};

class LabelBoard {
public:
    // Null for 枠連.
    LabelState* Find(BetKind k, LabelSlot slot);
    const LabelState* Find(BetKind k, LabelSlot slot) const;
    // The four captions of a type emptied.
    void Clear(BetKind k);
    // As PageControl4 turns to a page: every label cream, then the active type's four
    // highlighted.
    void Highlight(int activePage);

private:
    std::array<std::array<LabelState, kLabelSlots>, kBetKinds> labels_{};
};

} // namespace betting
