#include "views/print/sheets.h"

#include "keiba/codetables.h"
#include "keiba/formatters.h"
#include "keiba/sjis.h"
#include "views/print/sheetparts.h"

#include <algorithm>

namespace views::print {

namespace {

constexpr SheetInfo kSheets[] = {
    {Sheet::RaceCard, "racecard", "出馬表　印刷", false},
    {Sheet::Newspaper, "newspaper", "出馬表　印刷", false},
    {Sheet::IndexTable, "index", "指数一覧印刷", false},
    {Sheet::Payouts, "payouts", "成績結果リスト印刷", false},
    {Sheet::PastPerformance, "pastperf", "過去成績表印刷", true},
};

} // namespace

const SheetInfo& InfoOf(Sheet sheet) {
    return kSheets[static_cast<int>(sheet)];
}

const SheetInfo* SheetByKey(std::string_view key) {
    for (const SheetInfo& s : kSheets)
        if (s.key == key) return &s;
    return nullptr;
}

std::vector<std::string> DrawSheet(Sheet sheet, const raceday::RaceDay& day, Document& doc,
                                   std::string_view credit) {
    switch (sheet) {
    case Sheet::RaceCard: return DrawRaceCards(day, doc);
    case Sheet::Newspaper: return DrawNewspaperCards(day, doc);
    case Sheet::IndexTable: return DrawIndexTable(day, doc, credit);
    case Sheet::Payouts: return DrawPayoutList(day, doc, credit);
    case Sheet::PastPerformance: return DrawPastPerformance(day, doc);
    }
    return {};
}

int DayRaceCount(const raceday::RaceDay& day) {
    return std::clamp(day.gDayRaceCount, 0, raceday::kMaxRaces);
}

std::vector<VenuePage> VenuePages(const raceday::RaceDay& day) {
    std::vector<VenuePage> pages;
    for (std::size_t v = 0; v < day.venueCodes.size(); ++v) {
        std::optional<int> code = FieldInt(day.venueCodes[v]);
        std::optional<int> first = FieldInt(day.venueFirstSlots[v]);
        if (!code || *code <= 0 || !first || *first >= DayRaceCount(day)) continue;
        pages.push_back({day.venueCodes[v], *first});
    }
    return pages;
}

std::string RacePageName(const jvdata::TJvRA& ra) {
    return keiba::JyoCodeToName(ra.VenueCode(), 2) + keiba::FormatIntBlankZero(ra.RaceNo()) + "R";
}

} // namespace views::print
