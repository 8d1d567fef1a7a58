#include "fetch/importsession.h"

#include "fetch/fetchstate.h"
#include "jvdata/dayfiles.h"
#include "jvdata/jvresult.h"
#include "keiba/errorlog.h"
#include "keiba/fileio.h"
#include "keiba/inigt.h"
#include "keiba/sjis.h"

#include <cstdio>

namespace fetch {
namespace {

constexpr std::string_view kSection = "JvDataGet";
constexpr std::string_view kFirstUse = "2017/01/01 00:00:00";
constexpr const char* kCancelled = "JVCancel:キャンセルされました";

// Every import ends by saving its from-time for the next (LastTime, and during a setup the
// resume point), which a settings file saved as UTF-16 refuses, as does one that cannot be read
// (whose from-time read as the first use's, too). Found only then, the import would have filed
// everything, and every later import would fetch and file the same range again: it is refused
// before it is announced and before anything is asked of JV-Link.
keiba::IoResult SettingsTakeTheImportsEnd(const keiba::TIniGT& ini) {
    keiba::FileRead file = keiba::ReadFileOrMissing(ini.FullPath());
    if (!file.read)
        return keiba::IoResult::Fail(file.read.message +
                                     "設定ファイルを読み込めるようにしてから、データ取込を行って"
                                     "ください。");
    if (!file.bytes || keiba::IniText(*file.bytes).encoding() != keiba::IniText::Encoding::Utf16)
        return keiba::IoResult::Ok();
    return keiba::IoResult::Fail(
        keiba::PathToUtf8(ini.FullPath()) +
        " はUTF-16で保存されているため、次回の取得開始日時を保存できません。データ取込の前に、"
        "Shift-JISかUTF-8で保存し直してください。");
}

std::string Format(keiba::LocalTime t, const char* pattern) {
    keiba::DateTimeParts p = keiba::Parts(t);
    char buf[96];
    std::snprintf(buf, sizeof buf, pattern, p.year, p.month, p.day, p.hour, p.minute, p.second);
    return buf;
}

} // namespace

std::optional<keiba::LocalTime> ParseLastTime(std::string_view text) {
    std::string_view t = keiba::TrimBlanks(text);
    int y, mo, d, h, mi, s;
    char tail;
    std::string copy(t);
    if (std::sscanf(copy.c_str(), "%d/%d/%d %d:%d:%d%c", &y, &mo, &d, &h, &mi, &s, &tail) != 6)
        return std::nullopt;
    std::chrono::year_month_day ymd{std::chrono::year{y}, std::chrono::month{unsigned(mo)},
                                    std::chrono::day{unsigned(d)}};
    if (!ymd.ok() || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59) return std::nullopt;
    return keiba::MakeLocalTime(y, mo, d, h, mi, s);
}

ImportSession::ImportSession(jvdata::TJVLink* link, ImportView& view, FetchFlags& flags,
                             const keiba::ProgramContext& context,
                             keiba::OperationOwner& operations)
    : link_(link)
    , view_(view)
    , flags_(flags)
    , context_(context)
    , operations_(operations) {}

keiba::LocalTime ImportSession::Open() {
    std::string stored = context_.settings.ReadString(kSection, "LastTime", "");
    std::optional<keiba::LocalTime> t;
    if (!keiba::TrimBlanks(stored).empty()) t = ParseLastTime(stored);
    if (!t) {
        view_.SelectSetupMode();
        t = ParseLastTime(kFirstUse);
    }
    view_.ShowFromTime(*t);
    return *t;
}

void ImportSession::OpenLinkSettings() {
    if (!link_ || phase_ != Phase::Idle) return;
    int r = link_->JVSetUIProperties();
    if (r != 0) {
        context_.notifier.Beep();
        context_.notifier.Information("JVSetUIPropertiesエラー：" +
                                      jvdata::JvResultMessage("JVSetUIProperties", r));
    }
}

void ImportSession::Start(const ImportRequest& request) {
    // JV-Link holds one connection: a fetch or a load that is pumping messages keeps it.
    if (!link_ || phase_ != Phase::Idle) return;
    if (keiba::IoResult ini = SettingsTakeTheImportsEnd(context_.settings); !ini) {
        context_.notifier.Beep();
        context_.notifier.Information(ini.message);
        return;
    }
    hold_ = operations_.Take(keiba::Operation::Import);
    if (!hold_) return;
    context_.notifier.Information(
        Format(request.fromTime, "%04d年%02d月%02d日%02d時%02d分%02d秒") +
        "以降のデータ取込を開始します。データ作成が終了するまで本ソフトを操作したり"
        "他のアプリケーションを操作することは極力避けてください。");
    int year = keiba::Parts(context_.clock.Now()).year;
    view_.StopStatusTimer();
    flags_.gJvCancel = 0;
    view_.SetDownloadProgress(0, 100);
    view_.SetReadProgress(0, 100);

    // What a killed import or fetch left half-written goes before anything new is written.
    jvdata::RemoveStaleDataTemps(context_.folder);
    lastExit_.reset();
    refused_ = {};
    ++imports_;

    std::string fromtime = Format(request.fromTime, "%04d%02d%02d%02d%02d%02d");
    params_ = {};
    params_.appDir = context_.folder;
    params_.setupMode = request.setupMode;
    params_.filter.fromDate = keiba::DigitValue(std::string_view(fromtime).substr(0, 8));
    params_.filter.horseYearFloor = jvdata::HorseYearFloor(year);
    params_.filter.finalOdds = request.finalOdds;
    int option = request.setupMode ? 3 : 1;

    view_.SetBusyCursor(true);
    int readCount = 0;
    downloadCount_ = 0;
    std::string lastFile;
    int r = link_->JVOpen("RACEDIFN", fromtime, option, readCount, downloadCount_, lastFile);
    if (r == -1 || (r == 0 && readCount == 0)) {
        context_.notifier.Beep();
        context_.notifier.Information("最新のデータがありません。");
        CloseConnection();
        return;
    }
    if (r != 0) {
        context_.notifier.Beep();
        context_.notifier.Information("JVOpenエラー:" + jvdata::JvResultMessage("JVOpen", r));
        CloseConnection();
        return;
    }
    params_.readCount = readCount;
    params_.lastFileTimestamp = lastFile;
    view_.SetRunning(true);
    view_.SetStatus("JVOpen正常:" + jvdata::JvResultMessage("JVOpen", 0));
    view_.SetStatus("ReadCount:" + std::to_string(readCount) +
                    ", DownloadCount:" + std::to_string(downloadCount_));
    if (downloadCount_ <= 0) {
        view_.SetDownloadProgress(100, 100);
        ReadRecords();
        CloseConnection();
        return;
    }
    view_.SetStatus("ダウンロード中・・・");
    view_.SetDownloadProgress(0, downloadCount_);
    phase_ = Phase::Downloading;
    view_.StartStatusTimer();
}

void ImportSession::StatusTick() {
    if (phase_ != Phase::Downloading || !link_) return;
    int status = link_->JVStatus();
    if (status < 0) {
        view_.StopStatusTimer();
        // Before the box, so the window behind it no longer reads as downloading.
        view_.SetStatus(jvdata::kImportFailedStatus);
        view_.ResetProgress();
        context_.notifier.Beep();
        context_.notifier.Information("JVStatusエラー:" +
                                      jvdata::JvResultMessage("JVStatus", status));
        CloseConnection();
        return;
    }
    int shown = std::min(status, downloadCount_);
    view_.SetStatus("ダウンロード中．．．(" + std::to_string(shown) + "/" +
                    std::to_string(downloadCount_) + ")");
    view_.SetDownloadProgress(shown, downloadCount_);
    // A count past the expected one also means the download is complete.
    if (status < downloadCount_) return;
    view_.StopStatusTimer();
    ReadRecords();
    CloseConnection();
}

void ImportSession::ReadRecords() {
    phase_ = Phase::Reading;
    lastExit_ = jvdata::ReadAndFileJvRecords(*link_, params_, *this);
    // The loop wrote what it held after the cancel was told, and its status line went with it.
    if (lastExit_ == jvdata::FilingLoopExit::Cancelled) view_.SetStatus(kCancelled);
}

void ImportSession::Cancel() {
    const Phase asked = phase_;
    const int import = imports_;
    // The download's end would start the filing inside the open box, where the answer could
    // only arrive once the filing was over: the wait for the download pauses for the answer.
    if (asked == Phase::Downloading) view_.StopStatusTimer();
    const bool yes = context_.notifier.YesNo("データ取込を中止します。実行しますか？");
    const bool ended = asked != Phase::Idle && (phase_ == Phase::Idle || imports_ != import);
    if (!yes) {
        if (phase_ == Phase::Downloading) view_.StartStatusTimer();
        return;
    }
    if (ended) {
        // Nothing is left to cancel, and the import must not be reported as cancelled.
        context_.notifier.Information(lastExit_ == jvdata::FilingLoopExit::Finished
                                          ? "データ取込は既に完了しています。"
                                          : "データ取込は既に終了しています。");
        return;
    }
    Phase was = phase_;
    view_.StopStatusTimer();
    if (link_) link_->JVCancel();
    if (was != Phase::Idle) flags_.gJvCancel = 1;
    context_.notifier.Beep();
    context_.notifier.Information(kCancelled);
    view_.SetStatus(kCancelled);
    // A cancelled download leaves the connection open: it is closed here. During the filing
    // the loop stops at its next pass and the start closes it.
    if (was == Phase::Downloading) CloseConnection();
}

bool ImportSession::RequestClose() {
    switch (phase_) {
    case Phase::Idle: return true;
    case Phase::Downloading:
        view_.StopStatusTimer();
        if (link_) link_->JVCancel();
        flags_.gJvCancel = 1;
        CloseConnection();
        return true;
    case Phase::Reading:
        flags_.gJvCancel = 1;
        closeRequested_ = true;
        return false;
    }
    return true;
}

void ImportSession::CloseConnection() {
    int r = link_ ? link_->JVClose() : 0;
    view_.SetBusyCursor(false);
    context_.notifier.Beep();
    if (r != 0)
        context_.notifier.Information("JVCloseエラー:" + jvdata::JvResultMessage("JVClose", r));
    EndImport();
}

void ImportSession::EndImport() {
    phase_ = Phase::Idle;
    hold_.Release();
    flags_.gJvCancel = 0;
    view_.SetRunning(false);
    if (closeRequested_) {
        closeRequested_ = false;
        view_.CloseNow();
    }
}

bool ImportSession::CancelRequested() const {
    return flags_.gJvCancel == 1;
}

std::string ImportSession::SetUpLapFile() const {
    return context_.settings.ReadString(kSection, "SetUpLapFile", "");
}

keiba::IoResult ImportSession::SetSetUpLapFile(const std::string& fileName) {
    return context_.settings.WriteString(kSection, "SetUpLapFile", fileName);
}

keiba::IoResult ImportSession::SetCompleted(const std::optional<std::string>& lastTime) {
    keiba::TIniGT& ini = context_.settings;
    keiba::IoResult r =
        lastTime ? ini.WriteStrings(kSection, {{"LastTime", *lastTime}, {"SetUpLapFile", ""}})
                 : ini.WriteString(kSection, "SetUpLapFile", "");
    // The picker shows the from-time of the next import, which is what the file holds.
    if (!r || !lastTime) return r;
    if (std::optional<keiba::LocalTime> t = ParseLastTime(*lastTime)) view_.ShowFromTime(*t);
    return r;
}

void ImportSession::RecordsRefused(const jvdata::RefusalTally& tally) {
    refused_ = tally;
    const keiba::LocalTime now = context_.clock.Now();
    for (const std::string& line : RefusalLogLines(tally)) {
        keiba::IoResult r = keiba::AppendErrorLog(context_.folder, now, line);
        if (!r) {
            context_.notifier.Information(r.message);
            break;
        }
    }
}

void ImportSession::Tell(const std::string& text) {
    context_.notifier.Beep();
    context_.notifier.Information(text);
}

std::vector<std::string> RefusalLogLines(const jvdata::RefusalTally& tally, std::string_view by) {
    std::vector<std::string> lines;
    for (int i = 0; i < jvdata::kRefuseReasons; ++i) {
        const auto n = tally.count[static_cast<std::size_t>(i)];
        if (n == 0) continue;
        lines.push_back(
            std::string(by) + "で除外したレコード：" +
            std::string(jvdata::RefuseReasonText(static_cast<jvdata::RefuseReason>(i))) + " " +
            std::to_string(n) + "件（最初のレコード " + tally.first[static_cast<std::size_t>(i)] +
            "）");
    }
    return lines;
}

} // namespace fetch
