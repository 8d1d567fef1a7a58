#include "search/handinput.h"

#include "keiba/fileio.h"

#include <gtest/gtest.h>

using namespace search;

namespace {

// The 12-character key of race n of a Tokyo day (venue 05) on 2026-11-28.
std::string Key(int n) {
    return std::string("2026112805") + (n < 10 ? "0" : "") + std::to_string(n);
}

std::vector<std::string> Keys(int races) {
    std::vector<std::string> keys;
    for (int n = 1; n <= races; ++n) keys.push_back(Key(n));
    return keys;
}

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> out;
    for (std::string_view l : keiba::SplitLines(bytes)) out.emplace_back(l);
    return out;
}

RumaEntry Entry(int level, std::initializer_list<std::pair<int, int>> marks) {
    RumaEntry e;
    e.level = level;
    for (auto [horse, mark] : marks) e.marks[static_cast<std::size_t>(horse - 1)] = mark;
    return e;
}

} // namespace

TEST(HandInput, LaterSavesReplaceEveryLineOfTheRaceAndKeepTheRest) {
    const std::string file = Key(1) + "1100000000000000000\r\n" + Key(2) + std::string(19, ' ') +
                             "\r\n" + Key(1) + "2000000000000000000\r\n";
    const std::vector<std::string> lines =
        Lines(UpdateRumaFile(file, Keys(12), Key(1), Entry(7, {{1, 1}, {18, 2}})));
    const std::string line = Key(1) + "7" + "1" + std::string(16, '0') + "2";
    EXPECT_EQ(lines, (std::vector<std::string>{line, Key(2) + std::string(19, ' '), line}));
}

TEST(HandInput, OnlyAWholeLineIsRead) {
    auto read = [](const std::string& value) { return ReadRumaEntry(Key(3) + value, Key(3)); };
    EXPECT_EQ(read("5120000000000000000").level, 5);
    EXPECT_EQ(read("512000000000000000"), RumaEntry{}); // 30 characters
    EXPECT_EQ(read("51200000000000000000"), RumaEntry{});
    // As the day load reads it: the last line of the race that passes the check.
    EXPECT_EQ(ReadRumaEntry(Key(3) + "1000000000000000000\r\n" + Key(3) +
                                "2000000000000000000\r\n" + Key(3) + "9000000000000000000\r\n",
                            Key(3))
                  .level,
              2);
}

TEST(HandInput, KeysAreDateVenueAndRaceNumber) {
    auto day = std::make_unique<raceday::RaceDay>();
    day->gDayRaces[0].SetField(12, 16, "2026112805050911");
    day->gDayRaces[1].SetField(12, 16, "2026112808040212");
    EXPECT_EQ(DayRumaKeys(*day, 2), (std::vector<std::string>{"202611280511", "202611280812"}));
    EXPECT_TRUE(DayRumaKeys(*day, 0).empty());
    EXPECT_EQ(DayRumaKeys(*day, 99).size(), 36u);
}

// A file saved by an editor with other line ends still holds one line per race: saving one
// race keeps all the others.
TEST(HandInput, EveryLineEndKeepsTheOtherRaces) {
    const std::string blank(19, ' ');
    for (std::string_view end : {"\r\n", "\n", "\r"}) {
        std::string file;
        for (const std::string& key : Keys(12)) file += key + blank + std::string(end);
        ASSERT_EQ(file.size(), 12 * (31 + end.size()));
        const std::vector<std::string> lines =
            Lines(UpdateRumaFile(file, Keys(12), Key(5), Entry(6, {{3, 2}})));
        ASSERT_EQ(lines.size(), 12u) << end.size();
        EXPECT_EQ(lines[4], Key(5) + "6002" + std::string(15, '0'));
        EXPECT_EQ(lines[11], Key(12) + blank);
        EXPECT_EQ(
            ReadRumaEntry(lines[4] + std::string(end) + Key(6) + "3" + std::string(18, '0'), Key(6))
                .level,
            3);
    }
}
