// The members site's requests and replies.

#include "members/site.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace members;

TEST(MemberSite, RequestPathsAndQueries) {
    EXPECT_EQ(ForecastPath("abcd", "pass1"), "/members/veltro/data/download.cgi?I=abcd&p=pass1");
    EXPECT_EQ(PastDataPath("abcd", "pass1", "month", "202604"),
              "/members/veltro/past_data/download.cgi?I=abcd&p=pass1&tp=month&t=202604");
    EXPECT_EQ(SamplePath(), "/members/veltro/sample_data/yosou.zip");
    EXPECT_EQ(ForecastPurchasePath(), "/authz_gw/kestrane_data_agree.cgi");
    EXPECT_EQ(PastPurchasePath("three_month", "20260103"),
              "/authz_gw/kestrane_past_data.cgi?&tp=three_month&t=20260103");
    // Nothing an ID or a password holds can end its value or start another key.
    EXPECT_EQ(ForecastPath("a+b&c", "p=q r"),
              "/members/veltro/data/download.cgi?I=a%2Bb%26c&p=p%3Dq%20r");
}

TEST(MemberSite, PercentEncodingKeepsOnlyTheUnreservedBytes) {
    EXPECT_EQ(PercentEncode("AZaz09-._~"), "AZaz09-._~");
    EXPECT_EQ(PercentEncode("#%/?"), "%23%25%2F%3F");
    // Sent as the CP932 bytes the site's users' systems use: ア is 83 41.
    EXPECT_EQ(PercentEncode("ア"), "%83A");
    EXPECT_EQ(PercentEncode(std::string("\x01\x7F", 2)), "%01%7F");
}

TEST(MemberSite, ReplyCodesAndTheirMessages) {
    EXPECT_EQ(ReplyCode("RETURN=1\r\n"), "RETURN=1");
    EXPECT_EQ(ReplyCode(" \tRETURN=3 \r\nRETURN=0"), "RETURN=3");
    EXPECT_EQ(ReplyCode("\r\n"), "");
    EXPECT_EQ(ReplyCode(""), std::nullopt);

    const char* texts[] = {
        "IDが登録されていないか不正です。",         "パスワードが不正です。",
        "予想データが購入されていません。",         "予想データの有効期限切れです。",
        "対象データがアップロードされていません。", "ロック状態になっています。"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(ReplyCodeMessage("RETURN=" + std::to_string(i)), texts[i]) << i;
    for (const char* other : {"return=1", "RETURN=6", "RETURN=10", "RETURN=", "", "RETURN 1"})
        EXPECT_EQ(ReplyCodeMessage(other), "想定されていないエラーが発生しました。") << other;
}

TEST(MemberSite, TheEnvironmentOverridesTheBuiltInAddress) {
    ::unsetenv("KESTRANE_MEMBERS_URL");
    std::string built = SiteBaseUrl();
    EXPECT_TRUE(built.starts_with("http")) << built;
    ::setenv("KESTRANE_MEMBERS_URL", "http://127.0.0.1:8080//", 1);
    EXPECT_EQ(SiteBaseUrl(), "http://127.0.0.1:8080");
    ::setenv("KESTRANE_MEMBERS_URL", "", 1);
    EXPECT_EQ(SiteBaseUrl(), built);
    ::unsetenv("KESTRANE_MEMBERS_URL");
}
