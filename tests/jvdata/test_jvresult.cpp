#include "jvdata/jvresult.h"

#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

using jvdata::JvResultMessage;

namespace {

std::string Code(int code) {
    return "(" + std::to_string(code) + ")";
}

} // namespace

// Every (method, code) pair of the message table in tests/data gives its text and the bracketed
// code; for a method whose list is complete, every other code of the range the control returns
// gives the bracketed code alone.
TEST(JvResultMessage, EveryPairOfTheTable) {
    std::ifstream in(testsupport::TestData("jvdata/jvresult_messages.txt"));
    std::map<std::string, std::map<int, std::string>> listed;
    std::set<std::string> complete;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string methods, code, text, method;
        std::getline(fields, methods, '\t');
        std::getline(fields, code, '\t');
        std::getline(fields, text);
        std::istringstream names(methods);
        while (std::getline(names, method, ',')) {
            if (code == "*")
                complete.insert(method);
            else
                listed[method][std::stoi(code)] = text;
        }
    }
    ASSERT_EQ(listed.size(), 19u);
    ASSERT_EQ(complete.size(), 9u);
    for (const auto& [method, texts] : listed) {
        for (const auto& [code, text] : texts)
            EXPECT_EQ(JvResultMessage(method, code), text + Code(code)) << method << ' ' << code;
        if (!complete.count(method)) continue;
        for (int code = -999; code <= 999; ++code) {
            if (texts.count(code)) continue;
            ASSERT_EQ(JvResultMessage(method, code), Code(code)) << method;
        }
    }
}

TEST(JvResultMessage, NamesMatchExactly) {
    EXPECT_EQ(JvResultMessage("JVCancel", 0), "(0)");
    EXPECT_EQ(JvResultMessage("", 0), "(0)");
    EXPECT_EQ(JvResultMessage("jvread", -3), "(-3)");
    EXPECT_EQ(JvResultMessage("JVRead ", -3), "(-3)");
    EXPECT_EQ(JvResultMessage("JVSe", 0), "(0)");
    EXPECT_EQ(JvResultMessage("JVSetServiceKey", -101),
              "すでにサービスキーが登録されています。(-101)");
    EXPECT_EQ(JvResultMessage("JVOpen", 2147483647), "(2147483647)");
}
