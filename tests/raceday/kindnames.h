#pragma once
// The kinds of day file by name, for the names of the tests that run once a kind: a kind added to
// the table without a name here is named by its number, and has no rows or files in those tests.

#include "jvdata/dayfilekinds.h"

#include <map>
#include <string>

namespace testsupport {

inline std::string KindName(jvdata::DayFileKind k) {
    using K = jvdata::DayFileKind;
    static const std::map<K, std::string> kNames = {{K::Races, "Races"},
                                                    {K::Runners, "Runners"},
                                                    {K::Payouts, "Payouts"},
                                                    {K::Odds1, "Odds1"},
                                                    {K::Odds2, "Odds2"},
                                                    {K::Odds3, "Odds3"},
                                                    {K::Odds4, "Odds4"},
                                                    {K::Odds5, "Odds5"},
                                                    {K::Odds6, "Odds6"},
                                                    {K::HorseRuns, "HorseRuns"},
                                                    {K::HorseMaster, "HorseMaster"},
                                                    {K::OldHorseMaster, "OldHorseMaster"},
                                                    {K::Analysis, "Analysis"},
                                                    {K::Comments, "Comments"},
                                                    {K::HandInput, "HandInput"}};
    const auto it = kNames.find(k);
    return it != kNames.end() ? it->second : "Kind" + std::to_string(static_cast<int>(k));
}

} // namespace testsupport
