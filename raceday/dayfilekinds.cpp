#include "raceday/dayfilekinds.h"

#include "jvdata/recordcheck.h"
#include "jvdata/records.h"
#include "raceday/analysis.h"

namespace raceday {
namespace {

// The check of the JV-Data records of one id.
template <char A, char B> bool Jv(std::string_view record) {
    static constexpr char kId[] = {A, B};
    return jvdata::IsSoundRecord(record, std::string_view(kId, 2));
}

constexpr LossUnit kRaces = LossUnit::Races, kRunners = LossUnit::Runners;

// In the order of the enumeration.
constexpr DayFileKindInfo kKinds[] = {
    {DayFileKind::Races, "レースデータ", kRaces, false, jvdata::kRaLength, Jv<'R', 'A'>},
    {DayFileKind::Runners, "出走馬データ", kRunners, false, jvdata::kSeLength, Jv<'S', 'E'>},
    {DayFileKind::Payouts, "払戻データ", kRaces, true, jvdata::kHrLength, Jv<'H', 'R'>},
    {DayFileKind::Odds1, "オッズデータ", kRaces, true, jvdata::kO1Length, Jv<'O', '1'>},
    {DayFileKind::Odds2, "オッズデータ", kRaces, true, jvdata::kO2Length, Jv<'O', '2'>},
    {DayFileKind::Odds3, "オッズデータ", kRaces, true, jvdata::kO3Length, Jv<'O', '3'>},
    {DayFileKind::Odds4, "オッズデータ", kRaces, true, jvdata::kO4Length, Jv<'O', '4'>},
    {DayFileKind::Odds5, "オッズデータ", kRaces, true, jvdata::kO5Length, Jv<'O', '5'>},
    {DayFileKind::Odds6, "オッズデータ", kRaces, true, jvdata::kO6Length, Jv<'O', '6'>},
    {DayFileKind::HorseRuns, "過去走データ", kRunners, false, jvdata::kSeLength, Jv<'S', 'E'>},
    {DayFileKind::HorseMaster, "競走馬データ", kRunners, false, jvdata::kUmLength, Jv<'U', 'M'>},
    {DayFileKind::Analysis, "分析データ", kRunners, false, jvdata::kAnalysisLength,
     IsSoundAnalysisRecord},
    {DayFileKind::Comments, "コメントデータ", kRaces, true, 0, IsSoundRaceComment},
    {DayFileKind::HandInput, "手入力データ", kRaces, true, 0, IsSoundHandInputLine},
};

constexpr bool InEnumOrder() {
    for (std::size_t i = 0; i < std::size(kKinds); ++i)
        if (static_cast<std::size_t>(kKinds[i].kind) != i) return false;
    return std::size(kKinds) == static_cast<std::size_t>(DayFileKind::HandInput) + 1;
}
static_assert(InEnumOrder(), "KindInfo looks a kind up by its place");

} // namespace

std::span<const DayFileKindInfo> DayFileKinds() {
    return kKinds;
}

const DayFileKindInfo& KindInfo(DayFileKind kind) {
    return kKinds[static_cast<std::size_t>(kind)];
}

std::string LossText(DayFileKind kind, std::size_t count, std::size_t races) {
    if (KindInfo(kind).unit == LossUnit::Races) return std::to_string(count) + "レース分";
    if (races == 0) return std::to_string(count) + "頭分";
    return std::to_string(races) + "レースの出走馬" + std::to_string(count) + "頭分";
}

} // namespace raceday
