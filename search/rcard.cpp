#include "search/rcard.h"

#include "jvdata/dayfiles.h"
#include "keiba/codetables.h"
#include "keiba/fileio.h"
#include "keiba/formatters.h"
#include "keiba/markconv.h"
#include "keiba/sjis.h"
#include "raceday/analysis.h"
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

RCardLoad Refused(RCardStatus status, const RHit& hit) {
    std::string race = keiba::Cp932ToUtf8(HitListCell(hit, kListDate)) + " " +
                       keiba::Cp932ToUtf8(HitListCell(hit, kListRace)) + "R";
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
    const int race = TwoDigits(raceNo, 12);

    const keiba::FileRead raRead =
        keiba::ReadFileOrMissing(jvdata::DayFilePath(appDir, *date, jvdata::DayFile::RA));
    if (!raRead.read) return {RCardStatus::Unreadable, nullptr, raRead.read.message};
    const std::optional<std::string>& raFile = raRead.bytes;
    if (!raFile) return Refused(RCardStatus::NoRaceFile, hit);
    auto card = std::make_unique<RCardRace>();
    bool found = false;
    for (std::size_t i = 0, n = jvdata::RecordCount(*raFile, jvdata::kRaLength); i < n; ++i) {
        std::string_view rec = jvdata::RecordAt(*raFile, jvdata::kRaLength, i);
        jvdata::RaceKey key = jvdata::RaceKey::Of(rec);
        if (key.Date8() != date8 || key.Venue() != venue || key.RaceNo() != raceNo) continue;
        card->race.Assign(rec);
        found = true;
        break;
    }
    if (!found) return Refused(RCardStatus::RaceNotFound, hit);

    const keiba::FileRead seRead = keiba::ReadFileOrMissing(*runnerPath);
    if (!seRead.read) return {RCardStatus::Unreadable, nullptr, seRead.read.message};
    const std::optional<std::string>& seFile = seRead.bytes;
    if (!seFile) return Refused(RCardStatus::NoRunnerFile, hit);
    card->runners = std::clamp(card->race.RunnerCount(), 0, jvdata::kMaxRunners);
    const std::size_t slots = jvdata::RecordCount(*seFile, jvdata::kSeLength);
    for (int h = 0; h < card->runners; ++h) {
        int slot = jvdata::RunnerSlot(race, h + 1);
        if (slot < 0 || static_cast<std::size_t>(slot) >= slots) continue;
        card->horses[static_cast<std::size_t>(h)].Assign(
            jvdata::RecordAt(*seFile, jvdata::kSeLength, static_cast<std::size_t>(slot)));
    }

    std::string note;
    if (auto xq = raceday::FindMembersFile(appDir / "VZK", "XQ", date8, ".vzkd")) {
        keiba::FileRead xqRead = keiba::ReadFileOrMissing(*xq);
        note = std::move(xqRead.read.message);
        if (xqRead.bytes) {
            const std::string& bytes = *xqRead.bytes;
            using Rec = jvdata::TAnalysisRecord;
            for (std::size_t i = 0, n = jvdata::RecordCount(bytes, jvdata::kAnalysisLength); i < n;
                 ++i) {
                std::string_view rec = jvdata::RecordAt(bytes, jvdata::kAnalysisLength, i);
                if (jvdata::Field(rec, Rec::kDate8) != date8 ||
                    jvdata::Field(rec, Rec::kVenue) != venue ||
                    jvdata::Field(rec, Rec::kRaceNo) != raceNo)
                    continue;
                int horse = TwoDigits(jvdata::Field(rec, Rec::kHorseNo), jvdata::kMaxRunners);
                if (horse > 0) card->analysis[static_cast<std::size_t>(horse - 1)].Assign(rec);
            }
        }
    }

    const jvdata::TAnalysisRecord& first = card->analysis[0];
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
