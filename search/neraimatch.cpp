#include "search/neraimatch.h"

#include "search/flagitems.h"

#include <cmath>

namespace search {
namespace {

using Flags = NeraiConditions::Flags;
using Half = NeraiConditions::Half;

using namespace flagitems;

Flags ReadFlags(std::string_view chars) {
    Flags f;
    f.open = chars.find_first_not_of('0') == std::string_view::npos;
    for (std::size_t i = 0; i < chars.size(); ++i)
        if (chars[i] == '1') f.chosen |= Bit(static_cast<int>(i) + 1);
    return f;
}

std::int64_t Tenths(double value) {
    return std::llround(value * 10.0);
}

Half ReadHalf(std::string_view text) {
    auto chars = [&](NeraiFieldId id) {
        const NeraiField& f = NeraiFieldOf(id);
        return text.substr(f.offset, f.width);
    };
    auto integer = [&](NeraiFieldId id) { return NeraiInteger(chars(id)); };
    auto decimal = [&](NeraiFieldId id) { return NeraiDecimal(chars(id)); };
    Half h;
    h.tosuMin = integer(kTosuMin);
    h.tosuMax = integer(kTosuMax);
    h.kyoriMin = integer(kKyoriMin);
    h.kyoriMax = integer(kKyoriMax);
    h.basho = ReadFlags(chars(kBashoFlags));
    h.ruma = ReadFlags(chars(kRUmaFlags));
    h.yoso = ReadFlags(chars(kYosoFlags));
    h.rlevel = ReadFlags(chars(kRLevelFlags));
    h.klass = ReadFlags(chars(kClassFlags));
    h.track = ReadFlags(chars(kTrackFlags));
    h.age = ReadFlags(chars(kAgeFlags));
    h.zogen = ReadFlags(chars(kZogenFlags));
    h.lvZokusei = ReadFlags(chars(kLvZokuseiFlags));
    h.josho = ReadFlags(chars(kJoshoFlag));
    h.senzai = ReadFlags(chars(kSenzaiFlag));
    h.kieken = ReadFlags(chars(kKiekenFlag));
    h.course = ReadFlags(chars(kCourseFlag));
    h.kyori = ReadFlags(chars(kKyoriFlag));
    h.hiLvKoso = ReadFlags(chars(kHiLvKosoFlag));
    h.hi1st = ReadFlags(chars(kHi1stFlag));
    h.ketto = ReadFlags(chars(kKettoFlags));
    h.kishu = ReadFlags(chars(kKishuFlags));
    h.ozMinTenths = Tenths(decimal(kTanOzMin));
    h.ozMaxTenths = Tenths(decimal(kTanOzMax));
    h.ninMin = integer(kTanNinMin);
    h.ninMax = integer(kTanNinMax);
    h.cjMin = integer(kChakujunMin);
    h.cjMax = integer(kChakujunMax);
    h.hiLvMin = decimal(kHiLvShorituMin);
    h.loLvMin = decimal(kLoLvShorituMin);
    h.r5soMin = integer(kR5soTotalMin);
    return h;
}

template <typename T> bool InRange(T value, T min, T max) {
    return min <= value && value <= max;
}

// A one-item flag: the value 1 is the item.
std::uint32_t OneItem(std::string_view field) {
    return NeraiInteger(field) == 1 ? Bit(1) : 0;
}

// Track, racecourse, race type, class, distance and field size of a race record.
bool RaceTests(const Half& h, const jvdata::TJvRA& race) {
    return h.track.Pass(TrackItems(NeraiInteger(race.TrackCode()))) &&
           h.basho.Pass(Numbered(NeraiInteger(race.VenueCode()), 10)) &&
           h.age.Pass(AgeItems(NeraiInteger(race.RaceTypeCode()))) &&
           h.klass.Pass(ClassItems(NeraiInteger(race.ClassCode()), race.GradeCode())) &&
           InRange(NeraiInteger(race.DistanceText()), h.kyoriMin, h.kyoriMax) &&
           InRange(NeraiInteger(race.RunnerCountText()), h.tosuMin, h.tosuMax);
}

// The tests of an analysis run block shared by both halves: R level, R code, forecast mark,
// trend, the seven single flags, LV attribute, both rates, both ranks, past-five total.
bool BlockTests(const Half& h, const jvdata::TAnalysisRun& b) {
    int mark = NeraiInteger(b.ForecastMark());
    std::uint32_t markItems = mark == 5 || mark == 6 ? Bit(5) : Numbered(mark, 4);
    return h.rlevel.Pass(Numbered(NeraiInteger(b.RaceRLevel()), 7)) &&
           h.ruma.Pass(RUmaItems(NeraiInteger(b.RCode()))) && h.yoso.Pass(markItems) &&
           h.zogen.Pass(Numbered(NeraiInteger(b.TrendCode()), 4)) &&
           h.josho.Pass(OneItem(b.JoshoFlag())) && h.senzai.Pass(OneItem(b.SenzaiFlag())) &&
           h.kieken.Pass(OneItem(b.KeikenFlag())) && h.course.Pass(OneItem(b.CourseFlag())) &&
           h.kyori.Pass(OneItem(b.KyoriFlag())) &&
           h.lvZokusei.Pass(Numbered(NeraiInteger(b.LvAttributeCode()), 3)) &&
           h.hiLvKoso.Pass(OneItem(b.HiLvKosoFlag())) && NeraiDecimal(b.HiLvRate()) >= h.hiLvMin &&
           NeraiDecimal(b.LoLvRate()) >= h.loLvMin && h.ketto.Pass(RankItems(b.PedigreeRank())) &&
           h.kishu.Pass(RankItems(b.JockeyRank())) && h.hi1st.Pass(OneItem(b.FirstHighFlag())) &&
           NeraiInteger(b.Past5Total()) >= h.r5soMin;
}

} // namespace

NeraiRunner NeraiRunnerOf(const raceday::RaceDay& day, int r, int h) {
    const auto rr = static_cast<std::size_t>(r);
    const auto hh = static_cast<std::size_t>(h);
    const jvdata::TRaceCalc& calc = day.gRaceCalc[rr];
    return {day.gDayRaces[rr],
            calc.WinPop[hh],
            calc.WinOdds[hh],
            day.gDayHorseAnalysis[rr][hh],
            day.gPastRunRaces[rr][hh][0],
            day.gPastRunHorses[rr][hh][0]};
}

NeraiConditions::NeraiConditions(const TNeraiRecord& record) {
    for (int half = 0; half < 2; ++half)
        halves_[half] = ReadHalf(record.Bytes().substr(
            static_cast<std::size_t>(half) * kNeraiHalfLength, kNeraiHalfLength));
}

bool NeraiConditions::RaceMatches(const jvdata::TJvRA& race) const {
    return RaceTests(halves_[0], race);
}

bool NeraiConditions::RunnerMatches(const NeraiRunner& runner) const {
    const Half& today = halves_[0];
    // Before the odds are read every runner has popularity 0 and passes both odds tests.
    bool noOdds = runner.winPop == 0;
    if (!noOdds && !InRange(runner.winPop, today.ninMin, today.ninMax)) return false;
    if (!noOdds && !InRange(Tenths(runner.winOdds), today.ozMinTenths, today.ozMaxTenths))
        return false;
    if (!BlockTests(today, runner.analysis.ThisRun())) return false;

    const Half& past = halves_[1];
    const jvdata::TJvSE& se = runner.pastRunner;
    return RaceTests(past, runner.pastRace) && BlockTests(past, runner.analysis.PreviousRun()) &&
           InRange(NeraiInteger(se.WinPopularityText()), past.ninMin, past.ninMax) &&
           InRange<std::int64_t>(NeraiInteger(se.WinOddsTenths()), past.ozMinTenths,
                                 past.ozMaxTenths) &&
           InRange(NeraiInteger(se.FinalPositionText()), past.cjMin, past.cjMax);
}

bool NeraiMatches(const TNeraiRecord& record, const NeraiRunner& runner) {
    return NeraiConditions(record).Matches(runner);
}

} // namespace search
