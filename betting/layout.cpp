#include "betting/layout.h"

namespace betting {
namespace {

using W = std::array<int, 15>;
constexpr W kSingleWidths = {20, 20, 50, 50, -1, 60, 60, 60, -1, 60, 60, 60};
constexpr W kWakuWidths = {20, 30, 60, 50, -1, -1, 60, 60, 60, -1, -1, 60, 60, 60};
constexpr W kPairWidths = {20, 30, 60, 60, -1, -1, 60, 60, 60, -1, -1, 60, 60, 60};
constexpr W kTrioWidths = {20, 30, 60, 60, -1, -1, 60, 60, 60, -1, -1, -1, 60, 60, 60};
constexpr W kTrifectaWidths = {20, 30, 60, 60, -1, -1, 60, 70, 70, -1, -1, -1, 60, 60, 60};

constexpr AppearCall kNone{0, 0, 0};

const std::array<BetLayout, kBetKinds> kLayouts = {{
    {"単勝",
     "TAN",
     12,
     5,
     6,
     9,
     10,
     11,
     4,
     {{{1, 1, 8}, kNone, kNone}},
     1,
     SortTable::Win,
     kSingleWidths,
     true},
    {"複勝",
     "FUKU",
     12,
     5,
     6,
     9,
     10,
     11,
     4,
     {{{3, 1, 8}, kNone, kNone}},
     1,
     SortTable::Place,
     kSingleWidths,
     true},
    {"枠連",
     "WAKU",
     14,
     6,
     7,
     11,
     12,
     13,
     5,
     {{kNone, kNone, kNone}},
     0,
     SortTable::Pair,
     kWakuWidths,
     false},
    {"馬連",
     "UMAFUKU",
     14,
     6,
     7,
     11,
     12,
     13,
     5,
     {{{2, 1, 9}, {2, 2, 10}, kNone}},
     2,
     SortTable::Pair,
     kPairWidths,
     true},
    {"ワイド",
     "WIDE",
     14,
     6,
     7,
     11,
     12,
     13,
     5,
     {{{3, 1, 9}, {3, 2, 10}, kNone}},
     2,
     SortTable::Pair,
     kPairWidths,
     true},
    {"馬単",
     "UMATAN",
     14,
     6,
     7,
     11,
     12,
     13,
     5,
     {{{2, 1, 9}, {2, 2, 10}, kNone}},
     2,
     SortTable::Pair,
     kPairWidths,
     true},
    {"３連複",
     "SANFUKU",
     15,
     6,
     7,
     12,
     13,
     14,
     5,
     {{{3, 1, 9}, {3, 2, 10}, {3, 3, 11}}},
     3,
     SortTable::Trio,
     kTrioWidths,
     true},
    {"３連単",
     "SANTAN",
     15,
     6,
     7,
     12,
     13,
     14,
     5,
     {{{1, 1, 9}, {2, 2, 10}, {3, 3, 11}}},
     3,
     SortTable::Trifecta,
     kTrifectaWidths,
     true},
}};

constexpr std::string_view kSingleHeadings[] = {"消",     "No.",      "買い目",   "オッズ",
                                                "人気",   "購入額",   "回収額",   "回収率",
                                                "出現率", "結果配当", "結果回収", "結果人気"};
constexpr std::string_view kPairHeadings[] = {
    "消",     "No.",    "買い目",  "オッズ",  "人気",     "連人気",   "購入額",
    "回収額", "回収率", "出現率1", "出現率2", "結果配当", "結果回収", "結果人気"};
constexpr std::string_view kTripleHeadings[] = {
    "消",     "No.",     "買い目",  "オッズ",  "人気",     "連人気",   "購入額",  "回収額",
    "回収率", "出現率1", "出現率2", "出現率3", "結果配当", "結果回収", "結果人気"};

constexpr std::string_view kLabelPrefix[kBetKinds] = {"Tan", "Fuk", "",    "UR",
                                                      "WD",  "UT",  "SRF", "SRT"};
constexpr std::string_view kLabelSuffix[kLabelSlots] = {"TensuLabel", "TotalLabel",
                                                        "YosoKaishuLabel", "KaishuLabel"};

} // namespace

std::optional<BetKind> KindOfPage(int page) {
    if (page < 0 || page >= kBetKinds) return std::nullopt;
    return kAllKinds[static_cast<std::size_t>(page)];
}

const BetLayout& LayoutOf(BetKind k) {
    return kLayouts[static_cast<std::size_t>(PageOf(k))];
}

std::string_view HeadingOf(BetKind k, int col) {
    const int cols = LayoutOf(k).cols;
    if (col < 0 || col >= cols) return {};
    const auto c = static_cast<std::size_t>(col);
    if (cols == 12) return kSingleHeadings[c];
    if (cols == 14) return kPairHeadings[c];
    return kTripleHeadings[c];
}

std::optional<BetKind> KindOfName(std::string_view utf8) {
    for (BetKind k : kAllKinds)
        if (LayoutOf(k).name == utf8) return k;
    return std::nullopt;
}

std::string LabelName(BetKind k, LabelSlot slot) {
    std::string_view prefix = kLabelPrefix[PageOf(k)];
    if (prefix.empty()) return {};
    return std::string(prefix) + std::string(kLabelSuffix[static_cast<int>(slot)]);
}

LabelState* LabelBoard::Find(BetKind k, LabelSlot slot) {
    if (!LayoutOf(k).hasLabels) return nullptr;
    return &labels_[static_cast<std::size_t>(PageOf(k))][static_cast<std::size_t>(slot)];
}

const LabelState* LabelBoard::Find(BetKind k, LabelSlot slot) const {
    return const_cast<LabelBoard*>(this)->Find(k, slot);
}

void LabelBoard::Clear(BetKind k) {
    for (int s = 0; s < kLabelSlots; ++s)
        if (LabelState* l = Find(k, static_cast<LabelSlot>(s))) l->caption.clear();
}

void LabelBoard::Highlight(int activePage) {
    for (auto& kind : labels_)
        for (LabelState& l : kind) l.background = kCream;
    if (auto k = KindOfPage(activePage))
        for (int s = 0; s < kLabelSlots; ++s)
            if (LabelState* l = Find(*k, static_cast<LabelSlot>(s))) l->background = kActiveLabel;
}

} // namespace betting
