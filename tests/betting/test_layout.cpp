// The eight bet types as the tab's pages, the writers and the summary labels name them.

#include "betting/layout.h"

#include <gtest/gtest.h>

using betting::BetKind;
using betting::LabelSlot;

TEST(BetLayout, PagesNamesCodesAndLabelsOfEveryType) {
    struct Row {
        BetKind kind;
        const char* name;
        const char* code;
        const char* tensu;
        const char* kaishu;
    };
    const Row rows[] = {
        {BetKind::Tan, "単勝", "TAN", "TanTensuLabel", "TanKaishuLabel"},
        {BetKind::Fuku, "複勝", "FUKU", "FukTensuLabel", "FukKaishuLabel"},
        {BetKind::Waku, "枠連", "WAKU", "", ""},
        {BetKind::Umaren, "馬連", "UMAFUKU", "URTensuLabel", "URKaishuLabel"},
        {BetKind::Wide, "ワイド", "WIDE", "WDTensuLabel", "WDKaishuLabel"},
        {BetKind::Umatan, "馬単", "UMATAN", "UTTensuLabel", "UTKaishuLabel"},
        {BetKind::Sanrenpuku, "３連複", "SANFUKU", "SRFTensuLabel", "SRFKaishuLabel"},
        {BetKind::Sanrentan, "３連単", "SANTAN", "SRTTensuLabel", "SRTKaishuLabel"},
    };
    for (int page = 0; page < 8; ++page) {
        const Row& r = rows[page];
        EXPECT_EQ(betting::KindOfPage(page), r.kind) << page;
        EXPECT_EQ(betting::LayoutOf(r.kind).name, r.name) << page;
        EXPECT_EQ(betting::LayoutOf(r.kind).code, r.code) << page;
        EXPECT_EQ(betting::KindOfName(r.name), r.kind) << page;
        EXPECT_EQ(betting::LabelName(r.kind, LabelSlot::Tensu), r.tensu) << page;
        EXPECT_EQ(betting::LabelName(r.kind, LabelSlot::Kaishu), r.kaishu) << page;
    }
    EXPECT_EQ(betting::LabelName(BetKind::Tan, LabelSlot::Total), "TanTotalLabel");
    EXPECT_EQ(betting::LabelName(BetKind::Tan, LabelSlot::YosoKaishu), "TanYosoKaishuLabel");
    EXPECT_EQ(betting::KindOfPage(-1), std::nullopt);
    EXPECT_EQ(betting::KindOfPage(8), std::nullopt);
    // names are matched exactly: the half-width digit is another name
    EXPECT_EQ(betting::KindOfName("3連単"), std::nullopt);
    EXPECT_EQ(betting::KindOfName("三連単"), std::nullopt);
}
