#pragma once
// Condition sets and runners for the target search tests.

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

} // namespace testsupport
