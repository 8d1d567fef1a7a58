#pragma once
// The sample's race day of 2026年11月28日, loaded as the main window loads it, for the cards'
// tests over every race of a real day; and the bracket of a runner by the official rule, so
// that the cards' colours are checked against the rule rather than their own table.

#include "tests/raceday/dayfixture.h"
#include "tests/support/sample.h"
#include "tests/views/viewsfixture.h"

#include <QColor>

#include <gtest/gtest.h>

namespace testsupport {

class SampleDay : public DayFixture {
protected:
    void SetUp() override {
        App();
        ASSERT_TRUE(std::filesystem::exists(SampleFolder() / "done"))
            << "the sample generator failed";
        UseSampleIn(dir.path());
        ASSERT_EQ(Load("20261128"), raceday::DayLoadResult::Loaded);
        ASSERT_EQ(Day().gDayRaceCount, 36);
    }
};

// Up to eight runners one to a bracket; beyond eight, the runners over a multiple of eight go
// one more to each of the last brackets.
inline int OfficialBracket(int horse, int runners) {
    if (runners <= 8) return horse;
    const int base = runners / 8, extra = runners % 8;
    int last = 0;
    for (int b = 1; b <= 8; ++b) {
        last += b <= 8 - extra ? base : base + 1;
        if (horse <= last) return b;
    }
    return 0;
}

// The screen colours of brackets 1 to 8 (element 0 unused).
inline const QColor kBracketColors[] = {QColor(),         QColor(0xFFFFFF), QColor(0x808080),
                                        QColor(0xFF0000), QColor(0x0000FF), QColor(0xFFFF00),
                                        QColor(0x00FF00), QColor(0xFF8000), QColor(0xFF00FF)};

} // namespace testsupport
