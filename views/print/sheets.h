#pragma once
// The five printed sheets of a loaded race day. Each draws its pages into a document (the print
// preview's, see prevx.h) and returns one line per page for the print form's page list.

#include "raceday/daymodel.h"
#include "views/print/canvas.h"

#include <QString>

#include <string>
#include <string_view>
#include <vector>

namespace views::print {

enum class Sheet { RaceCard, Newspaper, IndexTable, Payouts, PastPerformance };

struct SheetInfo {
    Sheet sheet;
    std::string_view key;     // the name tools give it: "racecard", "newspaper", ...
    std::string_view caption; // the print form's caption (UTF-8)
    bool landscape;
};
const SheetInfo& InfoOf(Sheet sheet);
// The sheet of a key, or nothing.
const SheetInfo* SheetByKey(std::string_view key);

// Page names are CP932. `credit` (CP932) is the one line the venue sheets print at the foot.
std::vector<std::string> DrawSheet(Sheet sheet, const raceday::RaceDay& day, Document& doc,
                                   std::string_view credit);

// One page per race of the day.
std::vector<std::string> DrawRaceCards(const raceday::RaceDay& day, Document& doc);
std::vector<std::string> DrawNewspaperCards(const raceday::RaceDay& day, Document& doc);
std::vector<std::string> DrawPastPerformance(const raceday::RaceDay& day, Document& doc);
// One page per venue of the day, up to twelve races each.
std::vector<std::string> DrawIndexTable(const raceday::RaceDay& day, Document& doc,
                                        std::string_view credit);
std::vector<std::string> DrawPayoutList(const raceday::RaceDay& day, Document& doc,
                                        std::string_view credit);

// The venues of the day in page order, each with its first race slot; a venue whose code is
// not a number above 0, or whose first slot is not a race of the day, has no page.
struct VenuePage {
    std::string code;
    int firstRace;
};
std::vector<VenuePage> VenuePages(const raceday::RaceDay& day);

// The page line of a race page: venue name, race number and "R".
std::string RacePageName(const jvdata::TJvRA& ra);

// The number of races of the day the race-page sheets print: never past slot 35.
int DayRaceCount(const raceday::RaceDay& day);

} // namespace views::print
