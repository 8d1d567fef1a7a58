#pragma once
// Condition sets and runners for the target search tests.

#include "keiba/sjis.h"
#include "raceday/daymodel.h"
#include "search/neraimatch.h"
#include "search/nerairecord.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace testsupport {

// The set a fresh editor saves.
inline search::TNeraiRecord DefaultSet() {
    return *search::EncodeNerai(search::InitialNeraiValues()).record;
}

// Writes `chars` into a field of a half.
inline void Put(search::TNeraiRecord& rec, int half, search::NeraiFieldId id,
                std::string_view chars) {
    const search::NeraiField& f = search::NeraiFieldOf(id);
    ASSERT_EQ(chars.size(), f.width) << f.name;
    rec.SetField(search::NeraiOffset(half, id) + 1, f.width, chars);
}

// A set every runner of a day file passes, previous run or not: every range opens at 0.
inline search::TNeraiRecord OpenSet() {
    using namespace search;
    TNeraiRecord rec = DefaultSet();
    for (int half = 0; half < 2; ++half) {
        Put(rec, half, kTosuMin, " 0");
        Put(rec, half, kKyoriMin, "   0");
        Put(rec, half, kTanOzMin, "  0.0");
        Put(rec, half, kTanNinMin, " 0");
    }
    Put(rec, 1, kChakujunMin, " 0");
    return rec;
}

// One runner with its race, analysis and previous run; the defaults pass DefaultSet().
struct RunnerData {
    jvdata::TJvRA race;
    jvdata::TAnalysisRecord analysis;
    jvdata::TJvRA pastRace;
    jvdata::TJvSE pastRunner;
    int winPop = 3;
    double winOdds = 6.5;

    RunnerData() {
        for (jvdata::TJvRA* r : {&race, &pastRace}) {
            r->SetField(20, 2, "05");  // 東京
            r->SetField(615, 1, " ");  // no grade
            r->SetField(617, 2, "13"); // ３歳上
            r->SetField(635, 3, "005");
            r->SetField(698, 4, "1600");
            r->SetField(706, 2, "17"); // turf
            r->SetField(882, 2, "16");
        }
        pastRunner.SetField(335, 2, "02");
        pastRunner.SetField(360, 4, "0123");
        pastRunner.SetField(364, 2, "03");
    }
    // A field of run block A (this run) or B (previous run), 1-based within the block.
    void Block(char which, std::size_t pos, std::string_view chars) {
        analysis.SetField((which == 'A' ? 227 : 302) + pos - 1, chars.size(), chars);
    }
    search::NeraiRunner View() const {
        return {race, winPop, winOdds, analysis, pastRace, pastRunner};
    }
};

// Race slot r of a day for the hit list: a 2000 m turf open race named 天皇賞.
inline void HitRace(raceday::RaceDay& day, int r, std::string_view venue, std::string_view raceNo,
                    std::string_view post, int runners) {
    jvdata::TJvRA& ra = day.gDayRaces[static_cast<std::size_t>(r)];
    ra.SetField(20, 2, venue);
    ra.SetField(26, 2, raceNo);
    ra.SetField(605, 6, keiba::Sj("天皇賞"));
    ra.SetField(617, 2, "13");
    ra.SetField(635, 3, "999");
    ra.SetField(698, 4, "2000");
    ra.SetField(706, 2, "11");
    ra.SetField(874, 4, post);
    ra.SetField(882, 2, runners < 10 ? "0" + std::to_string(runners) : std::to_string(runners));
}

// Runner slot h of race slot r, in bracket h / 2 + 1, matching the four target slots as given.
inline void HitRunner(raceday::RaceDay& day, int r, int h, std::string_view name,
                      std::array<std::uint8_t, 4> match) {
    jvdata::TJvSE& se = day.gDayHorses[static_cast<std::size_t>(r)][static_cast<std::size_t>(h)];
    se.SetField(28, 1, std::to_string(h / 2 + 1));
    se.SetField(29, 2, (h < 9 ? "0" : "") + std::to_string(h + 1));
    se.SetField(41, 36, keiba::Sj(name));
    day.gRaceCalc[static_cast<std::size_t>(r)].NeraiMatch[static_cast<std::size_t>(h)] = match;
}

} // namespace testsupport
