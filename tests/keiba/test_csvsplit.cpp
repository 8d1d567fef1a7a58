// The comma-text line splitter of the race comments and the jockey table.

#include "keiba/csvsplit.h"
#include "keiba/sjis.h"

#include <gtest/gtest.h>

using keiba::Sj;

TEST(CsvSplit, CommasAndQuotes) {
    struct Case {
        std::string line;
        std::vector<std::string> fields;
    } cases[] = {
        {"", {}},
        {"a,,b", {"a", "", "b"}},
        {"\"x,y\",z", {"x,y", "z"}},
        {"\"say \"\"hi\"\"\",", {"say \"hi\"", ""}},
        {Sj("【注目】,本命"), {Sj("【注目】"), Sj("本命")}},
    };
    for (const Case& c : cases) EXPECT_EQ(keiba::SplitCsvLine(c.line), c.fields) << c.line;
}
