// The archive library's numbered messages and date conversion.

#include "archive/arcbase.h"

#include <gtest/gtest.h>

#include <string>

using namespace archive;

TEST(ArchiveMessages, TableHoldsEveryNumberOnceInOrder) {
    auto table = MessageTable();
    EXPECT_EQ(table.size(), 125u + 3u); // the messages and the three dialog filters
    for (std::size_t i = 1; i < table.size(); ++i) EXPECT_LT(table[i - 1].code, table[i].code);
    EXPECT_EQ(MessageText(25151), "File fails CRC check");
    EXPECT_EQ(MessageText(25241), "Line found before 'BEGIN'");
    EXPECT_EQ(MessageText(26899), "Directory does not exist... Create?");
    EXPECT_EQ(MessageText(25105), "");
    EXPECT_EQ(EZipError(25443).what(), std::string("User canceled"));
}

TEST(ArchiveRoutines, DosDates) {
    const DosDateTime fallback{1980, 1, 1, 0, 1, 0};
    EXPECT_EQ(DosDateTimeToDateTime(0), fallback);
    std::uint32_t feb30 = ((0u << 9 | 2u << 5 | 30u) << 16);
    EXPECT_EQ(DosDateTimeToDateTime(feb30), fallback);
    std::uint32_t stamp = ((44u << 9 | 1u << 5 | 5u) << 16) | (13u << 11 | 45u << 5 | 10u);
    EXPECT_EQ(DosDateTimeToDateTime(stamp), (DosDateTime{2024, 1, 5, 13, 45, 20}));
}
