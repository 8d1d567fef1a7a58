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
