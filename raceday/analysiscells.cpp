#include "raceday/analysiscells.h"

#include "keiba/codetables.h"
#include "keiba/formatters.h"
#include "keiba/markconv.h"
#include "keiba/sjis.h"

namespace raceday {
namespace {

int Num(std::string_view field) {
    return static_cast<int>(keiba::DigitValue(field));
}

} // namespace

std::string RunCellText(const jvdata::TAnalysisRun& run, RunCell cell) {
    switch (cell) {
    case RunCell::Venue: return keiba::JyoCodeToName(run.VenueCode(), 2);
    case RunCell::FieldSize: return keiba::FormatIntBlankZero(run.FieldSize());
    case RunCell::Track:
        return std::string(keiba::CutBytes(keiba::TrackShortText(run.TrackCode()), 2));
    case RunCell::Distance: return std::string(run.Distance());
    case RunCell::RaceType: return keiba::SyubetuToText(run.RaceTypeCode(), 2);
    case RunCell::Condition: return keiba::JokenToText(run.ConditionCode());
    case RunCell::Grade: return keiba::GradeToText(run.GradeLetter(), 1);
    case RunCell::RLevel: return keiba::RLevelToText(Num(run.RaceRLevel()));
    case RunCell::Popularity: return keiba::FormatIntBlankZero(run.WinPopularity());
    case RunCell::Finish: return keiba::FormatIntBlankZero(run.Finish());
    case RunCell::Odds: {
        int tenths = Num(run.WinOddsTenths());
        return tenths >= 1 ? keiba::FormatFixed(tenths / 10.0, 5, 1) : std::string(5, ' ');
    }
    case RunCell::RUma: return keiba::RUmaToText(Num(run.RCode()));
    case RunCell::Mark: return keiba::YosoMarkToText(Num(run.ForecastMark()));
    case RunCell::Trend: return keiba::ZogenToText(Num(run.TrendCode()));
    case RunCell::Josho: return keiba::FlagToUpArrow(run.JoshoFlag());
    case RunCell::Senzai: return keiba::FlagToStar(run.SenzaiFlag());
    case RunCell::Keiken: return keiba::FlagToMaru(run.KeikenFlag());
    case RunCell::Course: return keiba::FlagToMaru(run.CourseFlag());
    case RunCell::Kyori: return keiba::FlagToMaru(run.KyoriFlag());
    case RunCell::LvAttribute: return keiba::LvZokuseiToText(run.LvAttributeCode());
    case RunCell::HiLvKoso: return keiba::FlagToMaru(run.HiLvKosoFlag());
    case RunCell::HiLvRate: return std::string(run.HiLvRate());
    case RunCell::LoLvRate: return std::string(run.LoLvRate());
    case RunCell::Pedigree: return std::string(run.PedigreeRank());
    case RunCell::Jockey: return std::string(run.JockeyRank());
    case RunCell::FirstHigh: return keiba::FlagToKiken(run.FirstHighFlag());
    case RunCell::Past5: return std::string(run.Past5Total());
    }
    return {};
}

std::string PayoutCellText(std::string_view payoutField) {
    return keiba::FormatInt(keiba::DigitValue(payoutField), 5);
}

} // namespace raceday
