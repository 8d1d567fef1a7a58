#include "jvdata/dayfilekinds.h"

#include "jvdata/memberrecords.h"
#include "jvdata/recordcheck.h"
#include "jvdata/umconvert.h"

namespace jvdata {
namespace {

// The check of the JV-Data records of one id.
template <char A, char B> bool Jv(std::string_view record) {
    static constexpr char kId[] = {A, B};
    return IsSoundRecord(record, std::string_view(kId, 2));
}

constexpr LossUnit kRaces = LossUnit::Races, kRunners = LossUnit::Runners;
constexpr FieldPos kNone{1, 0};

// The key of the JV-Data records of a race; of a runner's, its horse's pedigree id too.
constexpr RecordKeyPlace kRaceHead{RecordHead::kRaceDate, RecordHead::kVenue,
                                   RecordHead::kMeeting,  RecordHead::kMeetingDay,
                                   RecordHead::kRaceNo,   kNone};
constexpr RecordKeyPlace kRunnerHead{RecordHead::kRaceDate, RecordHead::kVenue,
                                     RecordHead::kMeeting,  RecordHead::kMeetingDay,
                                     RecordHead::kRaceNo,   TJvSE::kPedigreeId};
constexpr RecordKeyPlace kMaster{kNone, kNone, kNone, kNone, kNone, TJvUM::kPedigreeId};
constexpr RecordKeyPlace kAnalysis{TAnalysisRecord::kDate8,
                                   TAnalysisRecord::kVenue,
                                   kNone,
                                   kNone,
                                   TAnalysisRecord::kRaceNo,
                                   kNone};
// A comment's first line and a line of hand input start with the race's key.
constexpr RecordKeyPlace kComment{{1, 8}, {9, 2}, {11, 2}, {13, 2}, {15, 2}, kNone};
constexpr RecordKeyPlace kHandInput{RumaLine::kDate, RumaLine::kVenue,  kNone,
                                    kNone,           RumaLine::kRaceNo, kNone};

// In the order of the enumeration.
constexpr DayFileKindInfo kKinds[] = {
    {DayFileKind::Races, "レースデータ", kRaces, false, kRaLength, TJvRA::kId, kRaceHead,
     Jv<'R', 'A'>},
    {DayFileKind::Runners, "出走馬データ", kRunners, false, kSeLength, TJvSE::kId, kRunnerHead,
     Jv<'S', 'E'>},
    {DayFileKind::Payouts, "払戻データ", kRaces, true, kHrLength, TJvHR::kId, kRaceHead,
     Jv<'H', 'R'>},
    {DayFileKind::Odds1, "オッズデータ", kRaces, true, kO1Length, TJvO1::kId, kRaceHead,
     Jv<'O', '1'>},
    {DayFileKind::Odds2, "オッズデータ", kRaces, true, kO2Length, TJvO2::kId, kRaceHead,
     Jv<'O', '2'>},
    {DayFileKind::Odds3, "オッズデータ", kRaces, true, kO3Length, TJvO3::kId, kRaceHead,
     Jv<'O', '3'>},
    {DayFileKind::Odds4, "オッズデータ", kRaces, true, kO4Length, TJvO4::kId, kRaceHead,
     Jv<'O', '4'>},
    {DayFileKind::Odds5, "オッズデータ", kRaces, true, kO5Length, TJvO5::kId, kRaceHead,
     Jv<'O', '5'>},
    {DayFileKind::Odds6, "オッズデータ", kRaces, true, kO6Length, TJvO6::kId, kRaceHead,
     Jv<'O', '6'>},
    {DayFileKind::HorseRuns, "過去走データ", kRunners, true, kSeLength, TJvSE::kId, kRunnerHead,
     Jv<'S', 'E'>},
    {DayFileKind::HorseMaster, "競走馬データ", kRunners, false, kUmLength, TJvUM::kId, kMaster,
     Jv<'U', 'M'>},
    // The older layout keeps the head of the newer one, the pedigree id in its place.
    {DayFileKind::OldHorseMaster, "競走馬データ", kRunners, false, kUmaLength, TJvUM::kId, kMaster,
     IsSoundOldHorseMaster},
    {DayFileKind::Analysis,
     "分析データ",
     kRunners,
     false,
     kAnalysisLength,
     {},
     kAnalysis,
     IsSoundAnalysisRecord},
    {DayFileKind::Comments, "コメントデータ", kRaces, true, 0, {}, kComment, IsSoundRaceComment},
    {DayFileKind::HandInput, "手入力データ", kRaces, true, 0, {}, kHandInput, IsSoundHandInputLine},
};

constexpr bool InEnumOrder() {
    for (std::size_t i = 0; i < std::size(kKinds); ++i)
        if (static_cast<std::size_t>(kKinds[i].kind) != i) return false;
    return std::size(kKinds) == static_cast<std::size_t>(DayFileKind::HandInput) + 1;
}
static_assert(InEnumOrder(), "KindInfo looks a kind up by its place");

std::string_view Part(std::string_view record, FieldPos f) {
    if (f.width == 0 || record.size() < f.pos - 1 + f.width) return {};
    return Field(record, f);
}

} // namespace

std::span<const DayFileKindInfo> DayFileKinds() {
    return kKinds;
}

const DayFileKindInfo& KindInfo(DayFileKind kind) {
    return kKinds[static_cast<std::size_t>(kind)];
}

RecordKey KeyOf(const DayFileKindInfo& kind, std::string_view record) {
    const RecordKeyPlace& k = kind.key;
    return {Part(record, k.date), Part(record, k.venue),  Part(record, k.meeting),
            Part(record, k.day),  Part(record, k.raceNo), Part(record, k.pedigreeId)};
}

bool NamesRace(const DayFileKindInfo& kind, std::string_view record, const RaceKey& race) {
    // Part by part as KeyOf finds them, without building the whole key: the odds step of a day
    // load asks this of every record it places.
    auto same = [&](FieldPos place, std::string_view of) {
        return place.width == 0 || (record.size() >= place.pos - 1 + place.width &&
                                    record.substr(place.pos - 1, place.width) == of);
    };
    const RecordKeyPlace& k = kind.key;
    return k.date.width > 0 && k.raceNo.width > 0 && same(k.date, race.Date8()) &&
           same(k.venue, race.Venue()) && same(k.meeting, race.Meeting()) &&
           same(k.day, race.Day()) && same(k.raceNo, race.RaceNo());
}

std::string LossText(DayFileKind kind, std::size_t count, std::size_t races) {
    if (KindInfo(kind).unit == LossUnit::Races) return std::to_string(count) + "レース分";
    if (races == 0) return std::to_string(count) + "頭分";
    return std::to_string(races) + "レースの出走馬" + std::to_string(count) + "頭分";
}

} // namespace jvdata
