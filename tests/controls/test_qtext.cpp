#include "controls/qtext.h"

#include "keiba/sjis.h"

#include <gtest/gtest.h>

using namespace controls;

TEST(QtText, Cp932RoundTrip) {
    const std::string sj = keiba::Sj("ﾌﾟﾛﾊﾟﾃｨ①～東京");
    EXPECT_EQ(SjToQ(sj), QStringLiteral("ﾌﾟﾛﾊﾟﾃｨ①～東京"));
    EXPECT_EQ(QToSj(SjToQ(sj)), sj);
    EXPECT_EQ(QToSj(QStringLiteral("a😀b")), "a?b");
}

TEST(QtText, Utf8TextsCrossTheFormEdgeWhole) {
    // A view into a longer text gives its own characters only.
    const std::string_view line = "芝1600m 良";
    EXPECT_EQ(U(line.substr(0, 8)), QStringLiteral("芝1600m"));
    EXPECT_EQ(ToUtf8(QStringLiteral("①東京 11R")), "①東京 11R");
}
