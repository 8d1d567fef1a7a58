// The comma splitters: CSV lines (the jockey table) and comma texts (the race comments).

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

// The race comments: items also end at blanks and line breaks, and quotes keep them.
TEST(CsvSplit, CommaText) {
    struct Case {
        std::string text;
        std::vector<std::string> items;
    } cases[] = {
        {"", {}},
        {" \r\n\t", {}},
        {Sj("展開A 展開B,展開C"), {Sj("展開A"), Sj("展開B"), Sj("展開C")}},
        {"a\r\nb", {"a", "b"}},
        {"a,,b", {"a", "", "b"}},
        {"a,", {"a", ""}},
        {"a, ", {"a"}},
        {",a", {"", "a"}},
        {"\"x y\",z", {"x y", "z"}},
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
        {"\"open", {"open"}},
        {"\"ab\"cd", {"ab", "cd"}},
        // A full-width blank is a character, not a separator.
        {Sj("先行　有利"), {Sj("先行　有利")}},
        {std::string("a\0b", 3), {"a", "b"}},
    };
    for (const Case& c : cases) EXPECT_EQ(keiba::SplitCommaText(c.text), c.items) << c.text;
}

// The settings and statistics files write every field quoted: what is written reads back whole.
TEST(CsvSplit, QuotedFieldsComeBackWhole) {
    const std::vector<std::string> fields = {"",    "plain",    "with \"quotes\"",
                                             "a,b", " padded ", Sj("東京")};
    EXPECT_EQ(keiba::JoinQuotedFields({"x", "y", "z"}), "\"x\",\"y\",\"z\"");
    EXPECT_EQ(keiba::QuoteCommaField("a\"b"), "\"a\"\"b\"");
    EXPECT_EQ(keiba::SplitCommaText(keiba::JoinQuotedFields(fields)), fields);
}
