// The past-data periods offered on a given date, and the query values of a chosen one.

#include "members/periods.h"

#include <gtest/gtest.h>

using namespace members;
using Items = std::vector<std::string>;

TEST(Periods, MidMay2026) {
    keiba::LocalTime now = keiba::MakeLocalTime(2026, 5, 15, 10, 0, 0);
    Items years = PeriodItems(kPeriodYear, now);
    ASSERT_EQ(years.size(), 18u);
    EXPECT_EQ(years.front(), "2008年");
    EXPECT_EQ(years.back(), "2025年");
    EXPECT_EQ(PeriodItems(kPeriodMonth, now),
              (Items{"2026年01月", "2026年02月", "2026年03月", "2026年04月"}));
    EXPECT_EQ(PeriodItems(kPeriodThreeMonth, now), Items{"2026年01～03月"});
    EXPECT_TRUE(PeriodItems(3, now).empty());

    auto query = [](int kind, const char* item) {
        PeriodQuery q = PeriodOf(kind, item);
        return q.tp + " " + q.t;
    };
    EXPECT_EQ(query(kPeriodYear, "2025年"), "year 2025");
    EXPECT_EQ(query(kPeriodMonth, "2026年04月"), "month 202604");
    EXPECT_EQ(query(kPeriodThreeMonth, "2026年01～03月"), "three_month 20260103");
    EXPECT_EQ(query(kPeriodThreeMonth, "2026年07～09月"), "three_month 20260709");
    EXPECT_EQ(query(-1, "2025年"), " ");
}

TEST(Periods, OnlyEndedMonthsAndQuarters) {
    auto months = [](int m) { return PeriodItems(kPeriodMonth, keiba::MakeLocalTime(2026, m, 1)); };
    auto quarters = [](int m) {
        return PeriodItems(kPeriodThreeMonth, keiba::MakeLocalTime(2026, m, 1));
    };
    EXPECT_TRUE(months(1).empty());
    EXPECT_EQ(months(12).size(), 11u);
    EXPECT_EQ(months(12).back(), "2026年11月");
    for (int m : {1, 2, 3}) EXPECT_TRUE(quarters(m).empty()) << m;
    EXPECT_EQ(quarters(4), Items{"2026年01～03月"});
    EXPECT_EQ(quarters(6).size(), 1u);
    EXPECT_EQ(quarters(7), (Items{"2026年01～03月", "2026年04～06月"}));
    EXPECT_EQ(quarters(10).back(), "2026年07～09月");
    EXPECT_EQ(quarters(12).size(), 3u);
    EXPECT_TRUE(PeriodItems(kPeriodYear, keiba::MakeLocalTime(2008, 6, 1)).empty());
    EXPECT_EQ(PeriodItems(kPeriodYear, keiba::MakeLocalTime(2009, 1, 1)), Items{"2008年"});
}
