#include "controls/msgdlg.h"

#include <gtest/gtest.h>

using namespace controls;

TEST(MsgDlg, ANewOneHoldsTheDefaults) {
    const TMsgDlg d;
    EXPECT_FALSE(d.Sound);
    EXPECT_EQ(d.MsgLeft, -1);
    EXPECT_EQ(d.MsgTop, -1);
    EXPECT_EQ(d.HelpContext, 0);
    EXPECT_TRUE(d.DisplayMsg.isEmpty());
    EXPECT_EQ(d.MsgDlgType, TMsgDlgType::mtInformation);
    EXPECT_EQ(d.MsgPosition, TMsgPosition::poScreenCenter);
    EXPECT_EQ(d.VisibleButtons, TMsgDlgButtons{TMsgDlgBtn::mbOK});
    EXPECT_FALSE(d.OnButtonClick);
}
