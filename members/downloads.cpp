#include "members/downloads.h"

#include "keiba/fileio.h"
#include "members/extract.h"
#include "members/idpass.h"
#include "members/site.h"

#include <exception>
#include <system_error>

namespace members {
namespace {

namespace fs = std::filesystem;

// The owner held, the busy cursor and the disabled commands of one download, undone on every
// way out.
class BusyScope {
public:
    BusyScope(DownloadView& view, keiba::OperationOwner::Hold hold)
        : view_(view)
        , hold_(std::move(hold)) {
        view_.SetDownloadActionsEnabled(false);
        view_.SetBusyCursor(true);
    }
    ~BusyScope() {
        view_.SetBusyCursor(false);
        view_.SetDownloadActionsEnabled(true);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    DownloadView& view_;
    keiba::OperationOwner::Hold hold_;
};

void Say(keiba::Notifier& n, std::string_view text, bool beep = false) {
    if (beep) n.Beep();
    n.Information(std::string(text));
}

std::string FileCountLine(int files) {
    return "[" + std::to_string(files) + "files are existed inside yosou.zip.]";
}

} // namespace

Downloads::Downloads(const keiba::ProgramContext& context, keiba::OperationOwner& operations,
                     SiteAccess site, bool keepsLastUnzipped)
    : context_(context)
    , operations_(operations)
    , site_(std::move(site))
    , keepsLastUnzipped_(keepsLastUnzipped) {}

void Downloads::Forecast(DownloadView& view, const std::function<void()>& rereadAnalysisDay) {
    Credentials c = ReadCredentials(context_.settings);
    if (Run(Kind::Forecast, ForecastPath(c.id, c.password), view) && rereadAnalysisDay)
        rereadAnalysisDay();
}

void Downloads::Sample(DownloadView& view) {
    Run(Kind::Sample, SamplePath(), view);
}

void Downloads::PastData(const PeriodQuery& period, DownloadView& view) {
    Credentials c = ReadCredentials(context_.settings);
    Run(Kind::PastData, PastDataPath(c.id, c.password, period.tp, period.t), view);
}

bool Downloads::Run(Kind kind, const std::string& path, DownloadView& view) {
    keiba::OperationOwner::Hold hold = operations_.Take(keiba::Operation::Download);
    if (!hold) {
        Say(context_.notifier, keiba::kOtherOperationRunning, true);
        return false;
    }
    BusyScope busy(view, std::move(hold));
    try {
        fs::path vzk = context_.folder / "VZK";
        fs::path zip = vzk / (kind == Kind::PastData ? kPastZip : kForecastZip);
        // Only the past data has a gauge; every download keeps the screen painted, and ends on
        // its stop or on a request to end the operation (the window being closed).
        const bool gauged = kind == Kind::PastData;
        int gauge = 0;
        if (gauged) view.ShowProgress(0);
        ProgressFn progress = [&](std::int64_t done, std::int64_t total) {
            if (int now = GaugePercent(done, total); gauged && now != gauge)
                view.ShowProgress(gauge = now);
            return !view.ProcessMessages() && !operations_.CancelRequested();
        };
        DownloadResult r = DownloadUrlToFile(site_.baseUrl + path, zip, progress, site_.limits);
        if (gauge < 0) view.ShowProgress(r.ok() ? 100 : 0);
        if (r.status == DownloadResult::Status::Aborted) return false; // the user stopped it
        if (r.status == DownloadResult::Status::FileError) {
            // As every writer says it: the file and the cause, the system's text to the log.
            Say(context_.notifier, std::string(kMsgDownloadFailed) + "\r\n" +
                                       keiba::WriteFailure(zip, r.fileError).message);
            return false;
        }
        if (!r.ok()) {
            const bool tooLarge = r.status == DownloadResult::Status::TooLarge;
            // Why, as the file errors are said: the cause for the user, the detail to the log.
            if (!tooLarge) keiba::LogFailure("download: " + r.detail);
            Say(context_.notifier, tooLarge ? std::string(kMsgDownloadTooLarge)
                                   : r.cause.empty()
                                       ? std::string(kMsgDownloadFailed)
                                       : std::string(kMsgDownloadFailed) + "\r\n" + r.cause);
            return false;
        }
        std::error_code ec;
        auto size = fs::file_size(zip, ec);
        if (ec) {
            Say(context_.notifier, kMsgDownloadFailed);
            return false;
        }
        if (static_cast<long long>(size) <= kMaxTextReply) {
            // A text reply stays where it is, for the user to look at.
            std::optional<std::string> code =
                ReplyCode(keiba::ReadFileOrMissing(zip).bytes.value_or(""));
            if (!code)
                Say(context_.notifier, kMsgDownloadFailed);
            else if (kind == Kind::Sample)
                Say(context_.notifier, kMsgSampleNotThere, true);
            else
                Say(context_.notifier, ReplyCodeMessage(*code), true);
            return false;
        }
        return Extract(kind, zip);
    } catch (const std::exception&) {
        Say(context_.notifier, kMsgDownloadFailed);
        return false;
    }
}

bool Downloads::Extract(Kind kind, const std::filesystem::path& zip) {
    archive::TEndEvent onEnd;
    if (keepsLastUnzipped_) {
        // A name left from an earlier extraction must not date this sample.
        if (kind == Kind::Sample) gLastUnzippedName.clear();
        onEnd = [this](archive::TZipCommon&, const std::string& fileName, bool crcPass) {
            if (crcPass)
                gLastUnzippedName = keiba::PathToUtf8(keiba::Utf8Path(fileName).filename());
        };
    }
    // the program's message box, over the window that started the download
    ExtractionResult x =
        ExtractMembersArchive(zip, zip.parent_path(), onEnd, [this](const std::string& text) {
            return context_.notifier.RetryCancel(text);
        });
    if (!x.complete) {
        Say(context_.notifier, kMsgIncomplete);
        return false;
    }
    switch (kind) {
    case Kind::Forecast:
        Say(context_.notifier,
            "最新のデータをダウンロードしました。同開催日の再読込で反映されます。\r\n" +
                FileCountLine(x.files));
        break;
    case Kind::Sample:
        Say(context_.notifier,
            "最新のサンプルデータをダウンロードしました。同開催日の再読込で反映されます。\r\n"
            "サンプルファイル：" +
                SampleDateText(gLastUnzippedName));
        break;
    case Kind::PastData:
        Say(context_.notifier,
            "最新のデータをダウンロードしました。開催日の再読込で反映されます。\r\n" +
                FileCountLine(x.files));
        break;
    }
    std::error_code ec;
    fs::remove(zip, ec);
    return true;
}

std::string SampleDateText(std::string_view name) {
    auto at = [&](std::size_t from, std::size_t to) {
        return from <= name.size() ? std::string(name.substr(from - 1, to - from + 1))
                                   : std::string();
    };
    if (name.starts_with("XQ")) return at(3, 6) + "年" + at(7, 8) + "月" + at(9, 10) + "日";
    if (name.starts_with("RCOM")) return at(5, 8) + "年" + at(9, 10) + "月" + at(11, 12) + "日";
    return {};
}

} // namespace members
