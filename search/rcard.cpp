#include "search/rcard.h"

#include "jvdata/dayfiles.h"
#include "keiba/codetables.h"
#include "keiba/fileio.h"
#include "keiba/formatters.h"
#include "keiba/markconv.h"
#include "keiba/sjis.h"
#include "raceday/analysis.h"
#include "raceday/dayfilereaders.h"
#include "raceday/dayreport.h"
#include "raceday/runnerfile.h"
#include "search/rresults.h"

#include <algorithm>

namespace search {
namespace {

namespace fs = std::filesystem;
using keiba::Sj;

// Two digits naming 1..max, or 0.
int TwoDigits(std::string_view s, int max) {
    if (s.size() != 2 || !jvdata::IsAsciiDigits(s)) return 0;
    int v = (s[0] - '0') * 10 + (s[1] - '0');
    return v >= 1 && v <= max ? v : 0;
}

std::string T1(const jvdata::TJvRA& ra) {
    return std::string(ra.Year()) + Sj("年") + std::string(ra.Month()) + Sj("月") +
           std::string(ra.DayOfMonth()) + Sj("日") + keiba::JyoCodeToName(ra.VenueCode(), 2) +
           std::string(ra.Meeting()) + Sj("回") + std::string(ra.MeetingDay()) + Sj("日") +
           std::string(ra.RaceNo()) + "R " + std::string(ra.ShortName6()) +
           std::string(ra.PostHour()) + "." + std::string(ra.PostMinute()) + Sj("発走");
}

std::string T2(const jvdata::TJvRA& ra) {
    return keiba::FormatIntBlankZero(ra.RunnerCountText()) + Sj("頭 ") +
           std::string(keiba::CutBytes(keiba::TrackShortText(ra.TrackCode()), 2)) +
           keiba::FormatIntBlankZero(ra.DistanceText()) + "m " +
           keiba::GradeToText(ra.GradeCode(), 1) + " " + keiba::JyuryoToText(ra.WeightRuleCode()) +
           " " + keiba::SyubetuToText(ra.RaceTypeCode(), 2) + keiba::JokenToText(ra.ClassCode());
}

// The hit's race as the user reads it: "2024/11/24 東京11R".
std::string RaceText(const RHit& hit) {
    return keiba::Cp932ToUtf8(HitListCell(hit, kListDate)) + " " +
           keiba::Cp932ToUtf8(HitListCell(hit, kListRace)) + "R";
}

RCardLoad Refused(RCardStatus status, const RHit& hit) {
    const std::string race = RaceText(hit);
    if (status == RCardStatus::NotARace)
        return {status, nullptr, race + "は出馬表を開けるレースではありません。"};
    return {status, nullptr, race + "のレースデータがありません。"};
}

} // namespace

RCardLoad LoadRCardRace(const fs::path& appDir, const RHit& hit) {
    const std::string date8(RHit::View(hit.date8));
    const std::string venue(RHit::View(hit.venue));
    const std::string raceNo(RHit::View(hit.raceNo));
    auto date = jvdata::ParseYyyymmdd(date8);
    auto runnerPath = date ? jvdata::DayRunnerFile(appDir, *date, venue) : std::nullopt;
    if (!date || !runnerPath || TwoDigits(raceNo, 12) == 0)
        return Refused(RCardStatus::NotARace, hit);

    const fs::path raPath = jvdata::DayFilePath(appDir, *date, jvdata::DayFile::RA);
    const keiba::FileRead raRead = keiba::ReadFileOrMissing(raPath);
    if (!raRead.read) return {RCardStatus::Unreadable, nullptr, raRead.read.message};
    if (!raRead.bytes) return Refused(RCardStatus::NoRaceFile, hit);
    const keiba::FileRead seRead = keiba::ReadFileOrMissing(*runnerPath);
    if (!seRead.read) return {RCardStatus::Unreadable, nullptr, seRead.read.message};
    const std::optional<raceday::RunnerFile> runners =
        seRead.bytes ? std::optional<raceday::RunnerFile>(*seRead.bytes) : std::nullopt;

    // The races the runner file holds are races the race file must hold too: one it lacks there
    // was lost to damage, even to a cut at a record end that leaves none to see.
    std::vector<std::string_view> held;
    if (runners)
        for (std::string_view key : runners->RaceKeys())
            if (key.starts_with(date8)) held.push_back(key);
    const raceday::RaceFileRead races = raceday::ReadRaceFile(*raRead.bytes, date8, held);
    const std::string key12 = date8 + venue + raceNo;
    auto race = std::find_if(races.races.begin(), races.races.end(), [&](std::string_view rec) {
        return jvdata::RaceKey::Of(rec).Key12() == key12;
    });
    if (race == races.races.end() && races.lost > 0)
        return {RCardStatus::RaceDamaged, nullptr,
                raceday::LostLine(jvdata::DayFileKind::Races, raPath, RaceText(hit))};
    if (race == races.races.end()) return Refused(RCardStatus::RaceNotFound, hit);
    if (!runners) return Refused(RCardStatus::NoRunnerFile, hit);

    auto card = std::make_unique<RCardRace>();
    card->race.Assign(*race);
    const std::string key16(card->race.KeyText());
    card->runners = std::clamp(card->race.RunnerCount(), 0, jvdata::kMaxRunners);
    for (int h = 1; h <= card->runners; ++h)
        if (std::string_view rec = runners->Runner(key16, h); !rec.empty())
            card->horses[static_cast<std::size_t>(h - 1)].Assign(rec);
    raceday::DayReport report;
    report.Lost(jvdata::DayFileKind::Runners, *runnerPath, runners->Lost(key16, card->runners));

    const raceday::MembersFileFound found =
        raceday::FindMembersFile(appDir / "VZK", "XQ", date8, ".vzkd");
    report.Unreadable(found.look);
    if (const std::optional<fs::path>& xq = found.path) {
        const keiba::FileRead xqRead = keiba::ReadFileOrMissing(*xq);
        report.Unreadable(xqRead.read);
        if (xqRead.bytes) {
            using Rec = jvdata::TAnalysisRecord;
            const jvdata::DayFileKindInfo& kind = jvdata::KindInfo(jvdata::DayFileKind::Analysis);
            const jvdata::RaceKey raceKey = card->race.Key();
            for (std::string_view rec :
                 raceday::ReadAnalysisRecords(*xqRead.bytes, date8).records) {
                if (!jvdata::NamesRace(kind, rec, raceKey)) continue;
                int horse = TwoDigits(jvdata::Field(rec, Rec::kHorseNo), jvdata::kMaxRunners);
                if (horse > 0) card->analysis[static_cast<std::size_t>(horse - 1)].Assign(rec);
            }
            // The file holds every runner of its day, as the day load reads it: a runner of
            // the race without a sound record of its own was lost, wherever the damage stood.
            report.Lost(jvdata::DayFileKind::Analysis, *xq,
                        static_cast<std::size_t>(std::count_if(
                            card->analysis.begin(), card->analysis.begin() + card->runners,
                            [](const Rec& a) { return a.IsBlank(); })));
        }
    }
    std::string note = report.Text();

    const jvdata::TAnalysisRecord& first = raceday::RaceFiguresRecord(card->analysis);
    card->selBamei =
        keiba::StrToMaruNum(RHit::View(hit.horseNo)) + std::string(RHit::View(hit.name));
    card->t1 = T1(card->race);
    card->t2 = T2(card->race);
    card->rLevel =
        keiba::RLevelToText(static_cast<int>(keiba::DigitValue(first.ThisRun().RaceRLevel())));
    card->rPlus = keiba::FormatIntBlankZero(first.RPlusCount());
    card->rMinus = keiba::FormatIntBlankZero(first.RMinusCount());
    return {RCardStatus::Opened, std::move(card), std::move(note)};
}

} // namespace search
