#include "search/commatext.h"

#include <gtest/gtest.h>

using search::SplitCommaText;
using V = std::vector<std::string>;

// The line format the settings and statistics files share: the cases a reader must agree on with
// the files' writers and with files other tools wrote.
TEST(CommaText, FieldsOfALine) {
    struct Case {
        const char* line;
        V fields;
    } cases[] = {
        {"", {}},
        {"a,b", {"a", "b"}},
        {"a,,b", {"a", "", "b"}},
        {"a,", {"a", ""}},
        {"a b", {"a", "b"}}, // a blank ends an unquoted field
        {"\"a b\",c", {"a b", "c"}},
        {"\"x,y\"", {"x,y"}},
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
        {"  \"a\" , \"b\"  ", {"a", "b"}},
        {"\"\",\"\"", {"", ""}},
        {"\"open", {"open"}}, // a quote left open takes the rest
    };
    for (const Case& c : cases) EXPECT_EQ(SplitCommaText(c.line), c.fields) << c.line;
}

TEST(CommaText, QuotedFieldsComeBackWhole) {
    const V fields = {"", "plain", "with \"quotes\"", "a,b", " padded ", "\x93\x8c\x8b\x9e"};
    EXPECT_EQ(search::JoinQuotedFields({"x", "y", "z"}), "\"x\",\"y\",\"z\"");
    EXPECT_EQ(search::QuoteCommaField("a\"b"), "\"a\"\"b\"");
    EXPECT_EQ(SplitCommaText(search::JoinQuotedFields(fields)), fields);
}
