// The forecast, sample and past-data downloads against the loopback members site: what is
// asked, what is said, what lands in VZK and what is kept.

#include "members/downloads.h"

#include "keiba/newfile.h"
#include "tests/members/downloadfixture.h"
#include "tests/support/readonly.h"
#include "tests/support/waits.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>

using namespace testsupport;
using members::Downloads;
namespace fs = std::filesystem;

namespace {

const char kForecastDone[] =
    "最新のデータをダウンロードしました。同開催日の再読込で反映されます。\r\n"
    "[2files are existed inside yosou.zip.]";
const char kFailed[] = "ダウンロードに失敗しました。";
const char kIncomplete[] = "解凍が不完全な可能性があります。確認してみてください。";

class View : public members::DownloadView {
public:
    explicit View(const keiba::OperationOwner& o)
        : operations(o) {}
    void SetBusyCursor(bool busy) override {
        calls.push_back(busy ? "busy" : "idle");
        heldWhenBusy.push_back(operations.Running());
    }
    void SetDownloadActionsEnabled(bool enabled) override {
        calls.push_back(enabled ? "enabled" : "disabled");
    }
    void ShowProgress(int percent) override { gauge.push_back(percent); }
    bool ProcessMessages() override {
        ++pumps;
        return stopWhen && stopWhen();
    }
    const keiba::OperationOwner& operations;
    std::vector<std::string> calls;
    std::vector<std::optional<keiba::Operation>> heldWhenBusy; // the owner's, at each cursor
    std::vector<int> gauge;
    int pumps = 0;
    std::function<bool()> stopWhen;
};

class MemberDownloads : public DownloadFixture {
protected:
    MemberDownloads() { StoreCredentials("abcd", "pass1"); }

    void Forecast() {
        main.Forecast(view, [this] { ++rereads; });
    }
    void PastData(const std::string& tp = "month", const std::string& t = "202604") {
        dialog.PastData({tp, t}, view);
    }

    members::TransferLimits limits;
    Downloads main{context, operations, {server.BaseUrl(), limits}, true};
    Downloads dialog{context, operations, {server.BaseUrl(), limits}, false};
    View view{operations};
    int rereads = 0;
};

} // namespace

TEST_F(MemberDownloads, ForecastExtractsBothFilesAndRereadsTheAnalysisDay) {
    Reply(HttpReply::Text(ForecastZip()));
    Forecast();
    EXPECT_EQ(Targets(),
              std::vector<std::string>{"/members/veltro/data/download.cgi?I=abcd&p=pass1"});
    EXPECT_EQ(notifier.messages, std::vector<std::string>{kForecastDone});
    EXPECT_EQ(notifier.beeps, 0);
    EXPECT_EQ(VzkFiles(), (std::vector<std::string>{"RCOM20240105.CSV", "XQ20240105.vzkd"}));
    EXPECT_EQ(Slurp(dir / "VZK/RCOM20240105.CSV"), "01,comment\r\n");
    EXPECT_EQ(rereads, 1);
    EXPECT_EQ(main.gLastUnzippedName, "RCOM20240105.CSV");
    EXPECT_EQ(view.calls, (std::vector<std::string>{"disabled", "busy", "idle", "enabled"}));
    EXPECT_TRUE(view.gauge.empty());
    // The download held the owner of long operations while it ran, and gave it back.
    EXPECT_EQ(view.heldWhenBusy, (std::vector<std::optional<keiba::Operation>>{
                                     keiba::Operation::Download, keiba::Operation::Download}));
    EXPECT_FALSE(operations.Busy());
}

// VZK is read by a day load and walked by a search: while another operation runs, no download
// starts, and it says why.
TEST_F(MemberDownloads, NoDownloadWhileAnotherOperationRuns) {
    Reply(HttpReply::Text(ForecastZip()));
    for (keiba::Operation op : {keiba::Operation::DayLoad, keiba::Operation::Search}) {
        const auto hold = operations.Take(op);
        Forecast();
        main.Sample(view);
        PastData();
    }
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(VzkFiles(), std::vector<std::string>{});
    EXPECT_EQ(notifier.messages,
              std::vector<std::string>(6, "他の処理の実行中です。終了してから実行してください。"));
    EXPECT_EQ(notifier.beeps, 6);
    EXPECT_TRUE(view.calls.empty());
    EXPECT_EQ(rereads, 0);
}

TEST_F(MemberDownloads, IdAndPasswordArriveEncoded) {
    StoreCredentials("ab+c&d", "x y");
    Forecast();
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].target,
              "/members/veltro/data/download.cgi?I=ab%2Bc%26d&p=x%20y");
    EXPECT_EQ(server.Requests()[0].Query("I"), "ab+c&d");
}

TEST_F(MemberDownloads, TextRepliesAreTold) {
    struct Case {
        std::string reply, message;
        int beeps;
    } cases[] = {
        {"RETURN=0", "IDが登録されていないか不正です。", 1},
        {"RETURN=1\r\n", "パスワードが不正です。", 1}, // exactly ten bytes
        {"RETURN=2", "予想データが購入されていません。", 1},
        {" RETURN=3 ", "予想データの有効期限切れです。", 1},
        {"RETURN=4", "対象データがアップロードされていません。", 1},
        {"RETURN=5\n", "ロック状態になっています。", 1},
        {"return=1", "想定されていないエラーが発生しました。", 1},
        {"", kFailed, 0},
    };
    for (const Case& c : cases) {
        notifier.messages.clear();
        notifier.beeps = 0;
        Reply(HttpReply::Text(c.reply));
        Forecast();
        EXPECT_EQ(notifier.messages, std::vector<std::string>{c.message}) << c.reply;
        EXPECT_EQ(notifier.beeps, c.beeps) << c.reply;
        EXPECT_EQ(Slurp(dir / "VZK/yosou.zip"), c.reply); // a text reply stays
    }
    EXPECT_EQ(rereads, 0);

    // Eleven bytes are an archive, and not a good one.
    notifier.messages.clear();
    Reply(HttpReply::Text("RETURN=1\r\n\r"));
    Forecast();
    EXPECT_EQ(notifier.messages, std::vector<std::string>{kIncomplete});
    EXPECT_TRUE(fs::exists(dir / "VZK/yosou.zip"));

    // The sample does not read the code.
    notifier.messages.clear();
    Reply(HttpReply::Text("RETURN=1\r\n"));
    main.Sample(view);
    EXPECT_EQ(notifier.messages,
              std::vector<std::string>{
                  "対象データがアップロードされていないか、取得にエラーがありました。"});
}

// A failed download says why: a full disk as every writer tells it, the file and the cause, and
// an answer the server did not give or a status other than success in the user's words; each
// failure's system text goes to the error log.
TEST_F(MemberDownloads, AFailedTransferNeverEvaluatesAnEarlierFile) {
    HttpReply dropped = HttpReply::Text(ForecastZip());
    dropped.dropAfter = 30;
    const std::string fullDisk = std::string(kFailed) + "\r\n" +
                                 keiba::PathToUtf8(dir / "VZK/yosou.zip") +
                                 " を書き込めません（ディスクの空きが足りません）。";
    const struct {
        HttpReply reply;
        bool diskFull;
        std::string told;
    } cases[] = {
        {HttpReply::Status(500), false,
         std::string(kFailed) + "\r\n会員サイトがエラーを返しました（HTTP 500）。"},
        {HttpReply::Status(404), false,
         std::string(kFailed) + "\r\n会員サイトがエラーを返しました（HTTP 404）。"},
        {dropped, false, std::string(kFailed) + "\r\n会員サイトとの通信が途中で切れました。"},
        {HttpReply::Text(ForecastZip()), true, fullDisk}};
    std::vector<std::string> logged;
    keiba::SetFailureLog([&](const std::string& text) { logged.push_back(text); });
    for (const auto& c : cases) {
        WriteBytes(dir / "VZK/yosou.zip", "RETURN=1\r\n");
        notifier.messages.clear();
        notifier.beeps = 0;
        Reply(c.reply);
        // The body goes where a full disk takes nothing.
        keiba::NewFileCalls full;
        if (c.diskFull)
            full.openUnnamed = [](int, int, unsigned) {
                return ::open("/dev/full", O_RDWR | O_CLOEXEC);
            };
        keiba::SetNewFileCallsForTest(full);
        Forecast();
        keiba::SetNewFileCallsForTest({});
        EXPECT_EQ(notifier.messages, std::vector<std::string>{c.told}) << c.reply.status;
        EXPECT_EQ(notifier.beeps, 0);
        EXPECT_EQ(VzkFiles(), std::vector<std::string>{"yosou.zip"});
        EXPECT_EQ(Slurp(dir / "VZK/yosou.zip"), "RETURN=1\r\n");
    }
    keiba::SetFailureLog(nullptr);
    // Each failure's own text, the system's cause of the full disk last.
    ASSERT_EQ(logged.size(), 4u);
    EXPECT_NE(logged[0].find("500"), std::string::npos) << logged[0];
    EXPECT_NE(logged[3].find(std::strerror(ENOSPC)), std::string::npos) << logged[3];
    EXPECT_EQ(view.calls.back(), "enabled");
    EXPECT_EQ(std::count(view.calls.begin(), view.calls.end(), "busy"),
              std::count(view.calls.begin(), view.calls.end(), "idle"));
    // Neither the password nor the query it travels in is written anywhere.
    for (const auto& [name, bytes] : Tree(dir.path())) {
        EXPECT_EQ(bytes.find("pass1"), std::string::npos) << name;
        EXPECT_EQ(bytes.find("download.cgi"), std::string::npos) << name;
    }
}

// The archive cannot be made where it goes: the user is told the file and the system's cause,
// and what was there stays. A folder it may not write is met through either kind of new file.
TEST_F(MemberDownloads, AnArchiveThatCannotBeMadeIsSaidWithItsCause) {
    const auto noUnnamedFiles = [](int err) {
        keiba::NewFileCalls calls;
        calls.openUnnamed = [err](int, int, unsigned) {
            errno = err;
            return -1;
        };
        return calls;
    };
    const struct {
        const char* what;
        keiba::NewFileCalls calls;
        bool readOnlyFolder;
        const char* cause;
    } cases[] = {
        {"a folder it may not write", {}, true, "書き込む権限がありません"},
        {"a folder it may not write, without unnamed files", noUnnamedFiles(EOPNOTSUPP), true,
         "書き込む権限がありません"},
        {"a read-only disk", noUnnamedFiles(EROFS), false, "読み取り専用のディスクです"},
    };
    Reply(HttpReply::Text(ForecastZip()));
    WriteBytes(dir / "VZK/yosou.zip", "RETURN=1\r\n");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        notifier.messages.clear();
        keiba::SetNewFileCallsForTest(c.calls);
        {
            std::optional<ReadOnlyFolder> readOnly;
            if (c.readOnlyFolder) readOnly.emplace(dir.path());
            Forecast();
        }
        keiba::SetNewFileCallsForTest({});
        EXPECT_EQ(notifier.messages,
                  std::vector<std::string>{std::string(kFailed) + "\r\n" +
                                           keiba::PathToUtf8(dir / "VZK/yosou.zip") +
                                           " を書き込めません（" + c.cause + "）。"});
        EXPECT_EQ(VzkFiles(), std::vector<std::string>{"yosou.zip"});
        EXPECT_EQ(Slurp(dir / "VZK/yosou.zip"), "RETURN=1\r\n");
    }
    EXPECT_EQ(rereads, 0);
}

TEST_F(MemberDownloads, AnArchiveNotExtractedWholeIsKept) {
    ziptest::Item corrupt = ziptest::File("RCOM20240105.CSV", "01,comment\r\n");
    corrupt.crc = 0x12345678;
    // Passed over before it begins: its cipher is one the reader does not know.
    ziptest::Item unknownCipher = ziptest::File("RCOM20240105.CSV", "01,comment\r\n", 0, 0x41);
    unknownCipher.extra = ziptest::Le(0x0017, 2) + ziptest::Le(8, 2) + std::string(8, '\0');
    const std::pair<const char*, std::string> archives[] = {
        {"no members' file", ziptest::Build({ziptest::File("readme.txt", "nothing for VZK")})},
        {"a corrupt entry",
         ziptest::Build({ziptest::File("XQ20240105.vzkd", std::string(378, '1')), corrupt})},
        {"an entry passed over",
         ziptest::Build({ziptest::File("XQ20240105.vzkd", std::string(378, '1')), unknownCipher})},
    };
    for (const auto& [what, zip] : archives) {
        notifier.messages.clear();
        Reply(HttpReply::Text(zip));
        Forecast();
        EXPECT_EQ(notifier.messages, std::vector<std::string>{kIncomplete}) << what;
        EXPECT_EQ(Slurp(dir / "VZK/yosou.zip"), zip) << what;
        EXPECT_FALSE(fs::exists(dir / "VZK/RCOM20240105.CSV")) << what;
    }
    EXPECT_EQ(rereads, 0);
}

TEST_F(MemberDownloads, SampleIsDatedByItsLastFile) {
    Reply(HttpReply::Text(ForecastZip()));
    main.Sample(view);
    EXPECT_EQ(Targets(), std::vector<std::string>{"/members/veltro/sample_data/yosou.zip"});
    EXPECT_EQ(notifier.messages, std::vector<std::string>{
                                     "最新のサンプルデータをダウンロードしました。同開催日の"
                                     "再読込で反映されます。\r\nサンプルファイル：2024年01月05日"});
    EXPECT_FALSE(fs::exists(dir / "VZK/yosou.zip"));
    EXPECT_EQ(rereads, 0);

    // A name from before never dates a sample that extracted nothing.
    notifier.messages.clear();
    Reply(HttpReply::Text(ziptest::Build({ziptest::File("readme.txt", "nothing for VZK")})));
    main.Sample(view);
    EXPECT_EQ(notifier.messages, std::vector<std::string>{kIncomplete});
    EXPECT_EQ(main.gLastUnzippedName, "");

    EXPECT_EQ(members::SampleDateText("XQ20240105.vzkd"), "2024年01月05日");
    EXPECT_EQ(members::SampleDateText("RCOM20240105.CSV"), "2024年01月05日");
    EXPECT_EQ(members::SampleDateText("rcom20240105.csv"), "");
    EXPECT_EQ(members::SampleDateText("XQ"), "年月日");
}

TEST_F(MemberDownloads, PastDataOfAMonth) {
    Reply(HttpReply::Text(ForecastZip()));
    PastData();
    EXPECT_EQ(Targets(), std::vector<std::string>{"/members/veltro/past_data/download.cgi?"
                                                  "I=abcd&p=pass1&tp=month&t=202604"});
    EXPECT_EQ(notifier.messages,
              std::vector<std::string>{"最新のデータをダウンロードしました。開催日の再読込で反映"
                                       "されます。\r\n[2files are existed inside yosou.zip.]"});
    EXPECT_EQ(VzkFiles(), (std::vector<std::string>{"RCOM20240105.CSV", "XQ20240105.vzkd"}));
    EXPECT_EQ(dialog.gLastUnzippedName, ""); // the dialog's extractor has no OnEnd
    EXPECT_EQ(view.gauge.front(), 0);
    EXPECT_EQ(view.gauge.back(), 100);

    // A text reply stays as past.zip.
    notifier.messages.clear();
    Reply(HttpReply::Text("RETURN=2\r\n"));
    PastData("three_month", "20260103");
    EXPECT_EQ(notifier.messages, std::vector<std::string>{"予想データが購入されていません。"});
    EXPECT_EQ(Slurp(dir / "VZK/past.zip"), "RETURN=2\r\n");
}

TEST_F(MemberDownloads, GaugeFollowsTheBytesOrSpinsWithoutATotal) {
    HttpReply slow = HttpReply::Text(ForecastZip());
    slow.chunk = slow.body.size() / 4 + 1;
    slow.pause = std::chrono::milliseconds(250);
    Reply(slow);
    PastData();
    ASSERT_GE(view.gauge.size(), 3u);
    EXPECT_EQ(view.gauge.front(), 0);
    EXPECT_EQ(view.gauge.back(), 100);
    for (std::size_t i = 1; i < view.gauge.size(); ++i) EXPECT_LE(view.gauge[i - 1], view.gauge[i]);
    std::int64_t total = static_cast<std::int64_t>(slow.body.size());
    std::int64_t first = static_cast<std::int64_t>(slow.chunk);
    EXPECT_NE(std::find(view.gauge.begin(), view.gauge.end(),
                        static_cast<int>((first * 100 + total / 2) / total)),
              view.gauge.end());

    view.gauge.clear();
    slow.sendLength = false;
    Reply(slow);
    PastData();
    EXPECT_EQ(view.gauge, (std::vector<int>{0, -1, 100}));
}

TEST_F(MemberDownloads, StopDuringTheBodyLeavesNoArchive) {
    HttpReply slow = HttpReply::Text(ForecastZip() + std::string(600000, 'x'));
    slow.chunk = 1000;
    slow.pause = std::chrono::milliseconds(250); // longer in all than the hang guard
    Reply(slow);
    WriteBytes(dir / "VZK/past.zip", "RETURN=4\r\n");
    std::chrono::steady_clock::time_point asked{};
    view.stopWhen = [&] {
        // once the body has begun: the gauge has moved
        if (asked == decltype(asked){} && view.gauge.back() > 0)
            asked = std::chrono::steady_clock::now();
        return asked != decltype(asked){};
    };
    PastData();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, kHangGuard);
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_EQ(VzkFiles(), std::vector<std::string>{"past.zip"});
    EXPECT_EQ(Slurp(dir / "VZK/past.zip"), "RETURN=4\r\n");
    EXPECT_EQ(view.calls.back(), "enabled");
}

TEST_F(MemberDownloads, ATricklingSiteEndsTheForecastWithTheFailure) {
    main.Site().limits.rateWindow = std::chrono::seconds(1);
    main.Site().limits.minRate = 64 * 1024;
    HttpReply trickle = HttpReply::Text(ForecastZip() + std::string(200000, 'x'));
    trickle.chunk = 1100;
    trickle.pause = std::chrono::milliseconds(250);
    Reply(trickle);
    WriteBytes(dir / "VZK/yosou.zip", "RETURN=1\r\n");
    Forecast();
    EXPECT_EQ(notifier.messages,
              std::vector<std::string>{std::string(kFailed) +
                                       "\r\n会員サイトからの受信が遅すぎるため中断しました。"});
    EXPECT_EQ(VzkFiles(), std::vector<std::string>{"yosou.zip"});
    EXPECT_EQ(Slurp(dir / "VZK/yosou.zip"), "RETURN=1\r\n");
    EXPECT_EQ(rereads, 0);
}

// A site that sends past the size limit, its size announced or not, is stopped with a message of
// its own, and the file in VZK stays as it was with nothing beside it; an archive of exactly the
// limit is taken.
TEST_F(MemberDownloads, ABodyPastTheSizeLimitIsStoppedAndSaidSo) {
    main.Site().limits.maxBytes = static_cast<std::int64_t>(ForecastZip().size());
    for (bool announced : {true, false}) {
        HttpReply endless = HttpReply::Text(ForecastZip() + std::string(300000, 'x'));
        endless.sendLength = announced;
        Reply(endless);
        WriteBytes(dir / "VZK/yosou.zip", "RETURN=1\r\n");
        notifier.messages.clear();
        Forecast();
        EXPECT_EQ(notifier.messages,
                  std::vector<std::string>{"データが大きすぎるため、ダウンロードを中止しました。"})
            << announced;
        EXPECT_EQ(VzkFiles(), std::vector<std::string>{"yosou.zip"}) << announced;
        EXPECT_EQ(Slurp(dir / "VZK/yosou.zip"), "RETURN=1\r\n") << announced;
    }
    Reply(HttpReply::Text(ForecastZip()));
    notifier.messages.clear();
    Forecast();
    EXPECT_EQ(notifier.messages, std::vector<std::string>{kForecastDone});
}
