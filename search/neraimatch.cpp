#include "search/neraimatch.h"

#include <cmath>

namespace search {
namespace {

using Flags = NeraiConditions::Flags;
using Half = NeraiConditions::Half;

constexpr std::uint32_t Bit(int item) {
    return std::uint32_t{1} << (item - 1);
}

// Item i (1-based) for a value i within 1..n, nothing otherwise.
std::uint32_t Numbered(int value, int n) {
    return value >= 1 && value <= n ? Bit(value) : 0;
}

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

std::uint32_t TrackItems(int code) {
    if (code >= 10 && code <= 22) return Bit(1); // 芝
    if (code >= 23 && code <= 29) return Bit(2); // ダート
    return 0;                                    // jump races
}

std::uint32_t AgeItems(int raceType) {
    switch (raceType) {
    case 11: return Bit(1);
    case 12: return Bit(2);
    case 13:
    case 18: return Bit(3);
    case 14:
    case 19: return Bit(4);
    default: return 0;
    }
}

std::uint32_t ClassItems(int condition, std::string_view grade) {
    std::uint32_t items = 0;
    switch (condition) {
    case 703: items |= Bit(1); break;
    case 5: items |= Bit(2); break;
    case 10: items |= Bit(3); break;
    case 16: items |= Bit(4); break;
    case 999: items |= Bit(5); break;
    default: break;
    }
    if (grade == "C") items |= Bit(6);
    if (grade == "B") items |= Bit(7);
    if (grade == "A") items |= Bit(8);
    return items;
}

std::uint32_t RankItems(std::string_view letter) {
    static constexpr std::string_view kRanks = "SABCD";
    if (letter.size() != 1) return 0;
    std::size_t i = kRanks.find(letter.front());
    return i == std::string_view::npos ? 0 : Bit(static_cast<int>(i) + 1);
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
    int rcode = NeraiInteger(b.RCode());
    int mark = NeraiInteger(b.ForecastMark());
    std::uint32_t rcodeItems = rcode == 1 ? Bit(1) : rcode == 2 ? Bit(2) : rcode == 0 ? Bit(3) : 0;
    std::uint32_t markItems = mark == 5 || mark == 6 ? Bit(5) : Numbered(mark, 4);
    return h.rlevel.Pass(Numbered(NeraiInteger(b.RaceRLevel()), 7)) && h.ruma.Pass(rcodeItems) &&
           h.yoso.Pass(markItems) && h.zogen.Pass(Numbered(NeraiInteger(b.TrendCode()), 4)) &&
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
