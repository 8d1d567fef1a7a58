// Opening a web page: the desktop's handler, then the page handler's command line.

#include "members/browser.h"
#include "tests/support/fakes.h"

#include <gtest/gtest.h>

using namespace members;
using testsupport::RecordingNotifier;
using testsupport::RecordingShell;

TEST(Browser, CommandLineReplacesThePlaceholder) {
    const std::string url = "http://www.example/authz_gw/kestrane_data_agree.cgi";
    EXPECT_EQ(BrowserCommandLine(R"("C:\b.exe" "%1")", url), R"("C:\b.exe" )" + url);
    EXPECT_EQ(BrowserCommandLine("b.exe %1", url), "b.exe " + url);
    EXPECT_EQ(BrowserCommandLine(R"("C:\b.exe" -nohome "%1" -x)", url),
              R"("C:\b.exe" -nohome -x )" + url);
    EXPECT_EQ(BrowserCommandLine("b.exe", url), "b.exe " + url);
    EXPECT_EQ(SplitCommandLine(R"("C:\Program Files\b.exe"  -a "" x)"),
              (std::vector<std::string>{R"(C:\Program Files\b.exe)", "-a", "", "x"}));
}

TEST(Browser, FallsBackToThePageHandlersCommand) {
    RecordingNotifier notifier;
    testsupport::TestClock clock;
    RecordingShell shell;
    const keiba::ProgramContext context("/nonexistent/kestrane", notifier, clock, shell);
    const std::string url = "http://h/authz_gw/kestrane_data_agree.cgi";

    EXPECT_TRUE(OpenUrlInBrowser(shell, url));
    EXPECT_EQ(shell.opened, std::vector<std::string>{url});

    shell.succeed = false;
    std::vector<std::string> asked;
    auto registry = [&](const std::string& key) -> std::optional<std::string> {
        asked.push_back(key);
        if (key == ".htm") return "htmlfile";
        if (key == "htmlfile\\shell\\open\\command") return R"("C:\b.exe" "%1")";
        return std::nullopt;
    };
    EXPECT_FALSE(OpenUrlInBrowser(shell, url, registry)); // the launch fails too
    ASSERT_EQ(shell.launched.size(), 1u);
    EXPECT_EQ(shell.launched[0].program, std::filesystem::path(R"(C:\b.exe)"));
    EXPECT_EQ(shell.launched[0].args, std::vector<std::string>{url});
    EXPECT_EQ(asked, (std::vector<std::string>{".htm", "htmlfile\\shell\\open\\command"}));

    // This platform keeps no page handler: a failed open is a failed page.
    OpenPurchasePage(context, url);
    EXPECT_EQ(notifier.messages, std::vector<std::string>{"ホームページの表示に失敗しました。"});
    EXPECT_EQ(notifier.beeps, 0);
    EXPECT_EQ(shell.launched.size(), 1u);
}
