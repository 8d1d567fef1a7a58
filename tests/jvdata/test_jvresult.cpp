#include "jvdata/jvresult.h"

#include <gtest/gtest.h>

TEST(JvResultMessage, UnknownMethodGivesOnlyTheCode) {
    EXPECT_EQ(jvdata::JvResultMessage("JVCancel", 0), "(0)");
}
