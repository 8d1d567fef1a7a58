#pragma once
// The decisions of the fetch timers, as plain functions of the time, the loaded day's text and
// its records, so that a test clock drives them. Times are compared as "hhmm" texts.

#include "jvdata/racecalc.h"
#include "jvdata/records.h"
#include "keiba/platform.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace jvdata {

using DayRaces = std::array<TJvRA, kMaxRaces>;
using DayRunners = std::array<std::array<TJvSE, kMaxRunners>, kMaxRaces>;
using DayOddsO1 = std::array<TJvO1, kMaxRaces>;
using DayCalcs = std::array<TRaceCalc, kMaxRaces>;

// The loaded day (a day stem, UTF-8, as the date combo shows it) against the clock.
enum class LoadedDay { None, Today, Tomorrow, Other };
LoadedDay ClassifyLoadedDay(keiba::LocalTime now, std::string_view dayStem);

// Whether the fetch timers may work for the loaded day: today's, or tomorrow's from 18:00.
bool FetchDayArmed(keiba::LocalTime now, std::string_view dayStem);

// The race's loaded odds were announced on race day no earlier than five minutes before its
// first fetch time. Odds of an earlier day are never fresh, whatever their time.
bool OddsFresh(const TJvO1& o1, const TRaceCalc& calc);

// The odds timer's tick: the due races as lines of RaceKey + race slot "%2d", empty outside
// 09:00..18:00, without a loaded day, or when the loaded day is not armed.
std::vector<std::string> DueOddsRaces(keiba::LocalTime now, std::string_view dayStem,
                                      const DayRaces& races, const DayOddsO1& odds,
                                      const DayCalcs& calcs);

// The results and mining timer's tick: inside 08:00..18:00 and after the first race's post time
// less (`autoRdataMinutes` + 30) minutes.
bool ResultsTimerDue(keiba::LocalTime now, const TJvRA& firstRace, int autoRdataMinutes);

// "発走までの残り時間：hh:nn:ss" or "発走済み" for the shown race; empty when no race is shown
// or its date and post time are not a time.
std::string RestTimeText(keiba::LocalTime now, const TJvRA* shownRace);

// "09時05分30秒".
std::string ClockText(keiba::LocalTime now);

// The checks of arming the odds timer; `message` is the first failing check's text.
struct AutoOddsVerdict {
    bool ok = true;
    std::string message;
};
AutoOddsVerdict CheckAutoOdds(keiba::LocalTime now, std::string_view dayStem, const DayRaces& races,
                              const DayRunners& runners);

// The list index of the race that posts next today (list item i is race slot i), or -1.
int NextRaceIndex(keiba::LocalTime now, const DayRaces& races, int listCount);

} // namespace jvdata
