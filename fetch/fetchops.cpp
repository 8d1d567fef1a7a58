#include "fetch/fetchops.h"

#include "fetch/fetchstate.h"
#include "fetch/importsession.h"
#include "jvdata/fetchschedule.h"
#include "jvdata/jvresult.h"
#include "jvdata/timeseries.h"
#include "keiba/codetables.h"
#include "keiba/errorlog.h"
#include "keiba/formatters.h"
#include "keiba/platform.h"
#include "keiba/sjis.h"
#include "raceday/dayload.h"
#include "raceday/daymodel.h"

#include <algorithm>

namespace fetch {
namespace {

namespace fs = std::filesystem;
using jvdata::ReadStep;

// A key is used only when its leading digits read as a number above 0.
bool KeyUsable(std::string_view key) {
    std::string_view k = key;
    while (!k.empty() && k.front() == ' ') k.remove_prefix(1);
    std::size_t n = 0;
    while (n < k.size() && n < 10 && k[n] >= '0' && k[n] <= '9') ++n;
    return keiba::DigitValue(k.substr(0, n)) > 0;
}

// "東京11" of a venue code and a two-digit race number, UTF-8.
std::string VenueRace(std::string_view venueCode, std::string_view raceNo) {
    return keiba::Cp932ToUtf8(keiba::JyoCodeToName(venueCode, 2) +
                              keiba::FormatIntBlankZero(raceNo));
}

const jvdata::TJvRA& ShownRace(const raceday::RaceDay& day) {
    return day
        .gDayRaces[static_cast<std::size_t>(std::clamp(day.gCurRace, 0, raceday::kMaxRaces - 1))];
}

bool Busy(FetchHost& host) {
    return host.Operations().Busy();
}

void LogError(FetchHost& host, const std::string& text) {
    const keiba::LocalTime now = host.Context().clock.Now();
    // The error stays on the status line, but the log the user looks back into would lack it.
    if (keiba::IoResult io = keiba::AppendErrorLog(host.Context().folder, now, text); !io)
        host.Context().notifier.Information(io.message);
    host.ErrorLogAppended("【エラー】" + keiba::HhnnssColon(now) + "：" + text);
}

// The status label and the error log carry the same text.
void ReportError(FetchHost& host, const std::string& text) {
    host.ShowStatus(text);
    LogError(host, text);
}

// A whole command of fetches holds the owner: JV-Link holds one connection at a time, and the
// queue is pumped while it is open.
keiba::OperationOwner::Hold TakeForFetch(FetchHost& host) {
    return host.Operations().Take(keiba::Operation::Fetch);
}

bool IsOddsStep(ReadStep s) {
    return s == ReadStep::Odds || s == ReadStep::MorningOdds || s == ReadStep::MiddleOdds;
}

struct Frame {
    std::string spec;
    std::string key;
    std::string progress;
    std::string errorText; // followed by the JVRTOpen message
    bool beepOnOpenError = true;
    ReadStep step = ReadStep::Odds;
};

// Closes the link after a read step: a failed close is reported (an odds read also beeps and
// gives the cursor back); a results or mining read that closed well beeps unless a timer ran it.
void CloseLogged(FetchHost& host, jvdata::TJVLink& link, ReadStep step) {
    int r = link.JVClose();
    if (IsOddsStep(step)) {
        host.SetBusyCursor(false);
        if (r != 0) {
            host.Context().notifier.Beep();
            ReportError(host, jvdata::JvResultMessage("JVClose", r));
        }
        return;
    }
    if (r != 0) {
        ReportError(host, jvdata::JvResultMessage("JVClose", r));
        return;
    }
    const FetchFlags& flags = host.Flags();
    bool quiet = step == ReadStep::Results ? flags.gAutoKekkaBusy : flags.gAutoMiningBusy;
    if (!quiet) host.Context().notifier.Beep();
}

void ReadStepAndReport(FetchHost& host, jvdata::TJVLink& link, ReadStep step) {
    jvdata::ReadStepResult r = jvdata::RunReadStep(
        link, step, host.Context().folder, [&] { host.ProcessMessages(); },
        [&host] { return host.Flags().gJvCancel == 1 || host.Operations().CancelRequested(); });
    if (r.readError != 0) {
        if (IsOddsStep(step)) host.Context().notifier.Beep();
        ReportError(host, jvdata::JvResultMessage("JVRead", r.readError));
    }
    if (!r.written) {
        // Never a silent loss: what could not be written is said, and logged.
        host.Context().notifier.Beep();
        ReportError(host, r.written.message);
        host.Context().notifier.Information(r.written.message);
    }
    // A fetch may run on a timer: what its files kept of what they could not read is logged.
    for (const jvdata::KeptLines& k : r.kept)
        ReportError(host, keiba::UnreadLinesKeptText(k.path, k.lines));
    // Nor is a record refused in silence: a damaged one is not filed over what the file holds.
    for (const std::string& line : RefusalLogLines(r.refused, "取得")) ReportError(host, line);
}

void RunFrame(FetchHost& host, jvdata::TJVLink& link, const Frame& f) {
    host.ShowStatus(f.progress);
    host.ProcessMessages();
    int r = link.JVRTOpen(f.spec, f.key);
    if (r != 0) {
        if (f.beepOnOpenError) host.Context().notifier.Beep();
        ReportError(host, f.errorText + jvdata::JvResultMessage("JVRTOpen", r));
    } else {
        ReadStepAndReport(host, link, f.step);
    }
    CloseLogged(host, link, f.step);
    host.ShowStatus({});
    host.ProcessMessages();
    CloseLogged(host, link, f.step);
}

// The selection a fetch of the loaded day needs.
bool Selected(const FetchHost& host) {
    return host.SelectedRace() >= 0 && host.LoadedDayIndex() >= 0;
}

void SokuhoOdds(FetchHost& host, jvdata::TJVLink& link) {
    if (!Selected(host)) return;
    const jvdata::TJvRA& race = ShownRace(host.Day());
    std::string key(race.KeyText());
    if (!KeyUsable(key)) return;
    std::string vr = VenueRace(race.VenueCode(), race.RaceNo());
    RunFrame(host, link,
             {"0B30", key, vr + "オッズ取得中", vr + "R:ｵｯｽﾞ取得エラー：", true, ReadStep::Odds});
    host.Day().gOddsRaceIndex = std::clamp(host.SelectedRace(), 0, raceday::kMaxRaces - 1);
    host.ReadRaceOdds();
    host.ShowSelectedRace();
}

void DayFetch(FetchHost& host, ReadStep step) {
    jvdata::TJVLink* link = host.JvLink();
    if (!link || Busy(host) || !Selected(host)) return;
    std::string key(host.Day().gDayRaces[0].RaceDate());
    if (!KeyUsable(key)) return;
    const keiba::OperationOwner::Hold hold = TakeForFetch(host);
    if (!hold) return;
    const jvdata::TJvRA& shown = ShownRace(host.Day());
    std::string vr = VenueRace(shown.VenueCode(), shown.RaceNo());
    bool results = step == ReadStep::Results;
    Frame f{results ? "0B12" : "0B13",
            key,
            results ? "ﾚｰｽ情報データ取得中" : "DM取得中",
            vr + (results ? "R:ﾚｰｽ情報データ取得エラー：" : "R:DMデータ取得エラー："),
            !(results ? host.Flags().gAutoKekkaBusy : host.Flags().gAutoMiningBusy),
            step};
    RunFrame(host, *link, f);
    if (results)
        host.RereadResults();
    else
        host.ReadMining();
    host.ShowSelectedRace();
}

std::string Trimmed(std::string_view s) {
    return std::string(keiba::TrimBlanks(s));
}

} // namespace

void FetchHost::ReadRaceOdds() {
    raceday::RaceDay& day = Day();
    // What the day load could not read or found damaged, its own report has told.
    static_cast<void>(day.oddsCache.TakeReadFailures());
    static_cast<void>(day.oddsCache.TakeFilesRead());
    raceday::DayLoadSteps plain;
    raceday::DayReport report;
    std::size_t filesRead = 0;
    {
        // The files are looked at once: the count reads what the re-read read.
        jvdata::OddsFileCache::Hold hold(day.oddsCache);
        plain.ReadRaceOdds(day);
        filesRead = raceday::ReportOddsFilesRead(day, report);
    }
    // A file that is there but cannot be read is not one without odds, and a file the fetch left
    // damaged is counted as the day load counts it: said where the fetch's other failures go,
    // each once while it stays as it was told.
    if (filesRead == 0) return;
    std::vector<std::string>& told = Flags().toldOddsDamage;
    const std::vector<std::string> lines = report.Lines();
    for (const std::string& line : lines)
        if (std::find(told.begin(), told.end(), line) == told.end()) ReportError(*this, line);
    told = lines;
}

void FetchHost::RereadResults() {
    raceday::DayLoadSteps plain;
    raceday::DayReport report;
    raceday::RereadResults(Day(), LoadedDayStem(), plain, Context().folder, report);
    // What the re-read could not take goes where the fetch's other failures go.
    for (const std::string& line : report.Lines()) ReportError(*this, line);
}

void FetchShownRaceOdds(FetchHost& host) {
    jvdata::TJVLink* link = host.JvLink();
    if (!link || Busy(host)) return;
    const keiba::OperationOwner::Hold hold = TakeForFetch(host);
    if (!hold) return;
    SokuhoOdds(host, *link);
}

void FetchResults(FetchHost& host) {
    DayFetch(host, ReadStep::Results);
}

void FetchMining(FetchHost& host) {
    DayFetch(host, ReadStep::Mining);
}

void OddsLoop(FetchHost& host, const std::vector<std::string>& races, ReadStep step) {
    jvdata::TJVLink* link = host.JvLink();
    if (!link || Busy(host) || races.empty() || !IsOddsStep(step)) return;
    const keiba::OperationOwner::Hold hold = TakeForFetch(host);
    if (!hold) return;
    const jvdata::TJvRA& shown = ShownRace(host.Day());
    std::string shownId = std::string(shown.VenueCode()) + std::string(shown.RaceNo());
    bool shownFetched = false;
    for (const std::string& line : races) {
        if (host.Operations().CancelRequested()) break;
        // A line is the race key and the race slot "%2d".
        constexpr std::size_t kKey = jvdata::RecordHead::kRaceKey.width;
        if (line.size() < kKey + 2) continue;
        std::string key = line.substr(0, kKey);
        if (!KeyUsable(key)) continue;
        const jvdata::RaceKey parts = *jvdata::RaceKey::FromText(key);
        std::string venue(parts.Venue()), raceNo(parts.RaceNo());
        std::string vr = VenueRace(venue, raceNo);
        RunFrame(host, *link, {"0B30", key, vr + "R ｵｯｽﾞ取得中", vr + "R:", true, step});
        if (venue + raceNo == shownId) shownFetched = true;
        std::int64_t slot = keiba::DigitValue(keiba::TrimBlanks(line.substr(kKey, 2)));
        if (slot < 0 || slot >= raceday::kMaxRaces) continue;
        host.Day().gOddsRaceIndex = static_cast<int>(slot);
        host.ReadRaceOdds();
    }
    if (shownFetched) host.ShowSelectedRace();
}

void FetchDayOdds(FetchHost& host) {
    if (Trimmed(host.LoadedDayStem()).empty()) {
        host.Context().notifier.Beep();
        host.Context().notifier.Information("ﾃﾞｰﾀを読み込んでください。");
        return;
    }
    jvdata::TJVLink* link = host.JvLink();
    if (!link || Busy(host)) return;
    const keiba::OperationOwner::Hold hold = TakeForFetch(host);
    if (!hold) return;
    for (int i = 0; i < host.RaceCount() && !host.Operations().CancelRequested(); ++i) {
        host.SelectRace(i);
        host.ShowSelectedRace();
        SokuhoOdds(host, *link);
    }
}

void ShowNextRace(FetchHost& host) {
    // A load or fetch may be filling the day's races right now.
    if (Busy(host) || Trimmed(host.LoadedDayStem()).empty() || host.RaceCount() <= 0) return;
    int i =
        jvdata::NextRaceIndex(host.Context().clock.Now(), host.Day().gDayRaces, host.RaceCount());
    if (i < 0) return;
    host.SelectRace(i);
    host.ShowSelectedRace();
}

void OddsTimerTick(FetchHost& host) {
    FetchFlags& flags = host.Flags();
    if (flags.gAutoOddsBusy || Busy(host)) return;
    const raceday::RaceDay& day = host.Day();
    std::vector<std::string> due =
        jvdata::DueOddsRaces(host.Context().clock.Now(), host.LoadedDayStem(), day.gDayRaces,
                             day.gDayOddsO1, day.gRaceCalc);
    if (due.empty()) return;
    flags.gAutoOddsBusy = true;
    OddsLoop(host, due, ReadStep::Odds);
    flags.gAutoOddsBusy = false;
}

void ClockTick(FetchHost& host) {
    host.ShowClock(jvdata::ClockText(host.Context().clock.Now()));
}

void PostTimeTick(FetchHost& host) {
    if (host.SelectedRace() < 0) {
        host.ShowTimeToPost({});
        return;
    }
    host.ShowTimeToPost(jvdata::RestTimeText(host.Context().clock.Now(), &ShownRace(host.Day())));
}

void ResultsTimerTick(FetchHost& host) {
    if (Busy(host)) return;
    const raceday::RaceDay& day = host.Day();
    if (!jvdata::ResultsTimerDue(host.Context().clock.Now(), day.gDayRaces[0],
                                 day.gAutoRdataMinutes))
        return;
    FetchFlags& flags = host.Flags();
    flags.gAutoKekkaBusy = true;
    FetchResults(host);
    flags.gAutoKekkaBusy = false;
    flags.gAutoMiningBusy = true;
    FetchMining(host);
    flags.gAutoMiningBusy = false;
}

void ArmOddsTimer(FetchHost& host) {
    const raceday::RaceDay& day = host.Day();
    jvdata::AutoOddsVerdict v = jvdata::CheckAutoOdds(
        host.Context().clock.Now(), host.LoadedDayStem(), day.gDayRaces, day.gDayHorses);
    if (!v.ok) {
        host.Context().notifier.Beep();
        host.Context().notifier.Information(v.message);
        host.SetAutoOddsOn(false);
        return;
    }
    host.RunOddsTimer(host.AutoOddsOn());
}

fs::path TimeSeriesFolder(const keiba::ProgramContext& context) {
    const fs::path& programDir = context.folder;
    // A blank value is unset; any other is the folder as chosen, blanks at its ends included.
    const std::string value =
        context.settings.ReadString("Dir", "jikeiretu", keiba::PathToUtf8(programDir));
    if (keiba::TrimBlanks(value).empty()) return {};
    fs::path folder = keiba::Utf8Path(value);
    auto same = [](const fs::path& a, const fs::path& b) {
        fs::path x = a.lexically_normal(), y = b.lexically_normal();
        if (!x.has_filename()) x = x.parent_path();
        if (!y.has_filename()) y = y.parent_path();
        return x == y;
    };
    if (same(folder, programDir)) return {};
    return folder;
}

void ImportTimeSeriesOdds(FetchHost& host) {
    if (Busy(host)) return;
    fs::path folder = TimeSeriesFolder(host.Context());
    if (folder.empty()) {
        host.Context().notifier.Beep();
        host.Context().notifier.Information("時系列ｵｯｽﾞﾌｫﾙﾀﾞ指定をしてください。");
        return;
    }
    if (Trimmed(host.LoadedDayStem()).empty()) {
        host.Context().notifier.Beep();
        host.Context().notifier.Information(
            "ｵｯｽﾞを読み込みたい当日の開催日ﾃﾞｰﾀを読み込んでください。");
        return;
    }
    keiba::OperationOwner::Hold hold = host.Operations().Take(keiba::Operation::Import);
    if (!hold) return;
    host.SetBusyCursor(true);
    const raceday::RaceDay& day = host.Day();
    jvdata::TimeSeriesResult r =
        jvdata::ImportTimeSeriesOdds(folder, host.Context().folder, day.gDayRaces, day.gRaceCalc);
    hold.Release();
    // Lines passed over in a snapshot, or kept as they were in an odds file, are never silent.
    if (!r.notes.empty()) {
        std::string notes;
        for (const std::string& note : r.notes) notes += (notes.empty() ? "" : "\r\n") + note;
        host.Context().notifier.Information(notes);
    }
    if (!r.written) {
        host.SetBusyCursor(false);
        host.Context().notifier.Beep();
        host.Context().notifier.Information(r.written.message);
        // The races filed before the failure stay filed: they are counted and shown.
        if (r.races == 0) return;
    }
    host.Context().notifier.Information(std::to_string(r.races) +
                                        "ﾚｰｽ分のｵｯｽﾞ\r\nを取りこみました。");
    host.SetBusyCursor(false);
    // The reload is a day load of its own, once the import has given the owner back.
    host.ReloadDay();
}

} // namespace fetch
