#include "raceday/analysis.h"

#include "jvdata/dayfiles.h"
#include "keiba/codetables.h"
#include "keiba/fileio.h"
#include "keiba/formatters.h"
#include "keiba/markconv.h"
#include "keiba/sjis.h"

namespace raceday {
namespace {

int Num(std::string_view field) {
    return static_cast<int>(keiba::DigitValue(field));
}

// A two-digit field that must be a number: both characters digits.
int StrictTwoDigits(std::string_view field) {
    if (field.size() != 2 || !jvdata::IsAsciiDigits(field)) return -1;
    return (field[0] - '0') * 10 + (field[1] - '0');
}

std::string RankOrE(std::string_view c) {
    return keiba::TrimBlanks(c).empty() ? std::string("E") : std::string(c);
}

} // namespace

void ApplyHandInput(RaceDay& day, std::string_view rumaBytes) {
    for (std::string_view line : keiba::SplitLines(rumaBytes)) {
        if (line.size() < RumaLine::kKeyLength) continue;
        std::string_view key = line.substr(0, RumaLine::kKeyLength);
        for (std::size_t r = 0; r < kMaxRaces; ++r) {
            if (keiba::TrimBlanks(day.gDayRaces[r].Key().Year()).empty()) continue;
            if (day.gDayRaces[r].Key().Key12() != key) continue;
            TOutData2& t = day.gRaceTexts[r];
            t.RaceRLevelText = keiba::RLevelToText(Num(jvdata::Field(line, RumaLine::kLevel)));
            int f = FieldSize(day, static_cast<int>(r));
            for (int h = 0; h < f; ++h) {
                std::string_view c =
                    jvdata::Field(line, RumaLine::kFirstRunnerPos + static_cast<std::size_t>(h), 1);
                t.RUmaMark[static_cast<std::size_t>(h)] = c == "1" ? "R+" : c == "2" ? "R-" : "";
            }
            break;
        }
    }
}

void ApplyRaceComments(RaceDay& day, std::string_view csvBytes) {
    std::vector<std::string_view> lines = keiba::SplitLines(csvBytes);
    // The last comment of a race is the one kept, so the lines are read from the end and each
    // race's comment is gathered once: a damaged file of many unclosed comments, each running
    // on to the end of the file, costs one gathering per race rather than one per line.
    std::array<bool, kMaxRaces> done{};
    for (std::size_t i = lines.size() >= 2 ? lines.size() - 1 : 0; i-- > 0;) {
        std::size_t at = lines[i].find(",\"");
        constexpr std::size_t kKey = jvdata::RecordHead::kRaceKey.width;
        if (at == std::string_view::npos || lines[i].size() < kKey) continue;
        std::string_view key = lines[i].substr(0, kKey);
        std::size_t r = 0;
        while (r < kMaxRaces && day.gDayRaces[r].Key().Text() != key) ++r;
        if (r == kMaxRaces || done[r]) continue;
        std::string comment(lines[i].substr(at + 2));
        for (std::size_t j = i + 1; j < lines.size() && lines[j] != "\""; ++j) {
            comment += "\r\n";
            comment += lines[j];
        }
        if (comment.empty()) continue;
        day.gRaceTexts[r].RaceComment = std::move(comment);
        done[r] = true;
    }
}

int StoreAnalysisRecords(RaceDay& day, std::string_view bytes) {
    int skipped = 0;
    std::size_t n = jvdata::RecordCount(bytes, jvdata::kAnalysisLength);
    for (std::size_t i = 0; i < n; ++i) {
        std::string_view rec = jvdata::RecordAt(bytes, jvdata::kAnalysisLength, i);
        int s = StrictTwoDigits(jvdata::Field(rec, jvdata::TAnalysisRecord::kRaceSlot));
        int horse = StrictTwoDigits(jvdata::Field(rec, jvdata::TAnalysisRecord::kHorseNo));
        if (horse == 0) continue; // no runner: not a record of a horse
        if (s < 0 || s >= kMaxRaces || horse < 1 || horse > kMaxRunners) {
            ++skipped;
            continue;
        }
        day.gDayHorseAnalysis[static_cast<std::size_t>(s)][static_cast<std::size_t>(horse - 1)]
            .Assign(rec);
    }
    return skipped;
}

void DecodeAnalysis(RaceDay& day) {
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        int f = FieldSize(day, static_cast<int>(r));
        if (f <= 0) continue;
        TOutData2& t = day.gRaceTexts[r];
        const jvdata::TAnalysisRecord& first = day.gDayHorseAnalysis[r][0];
        int level = Num(first.ThisRun().RaceRLevel());
        if (level > 0) {
            t.RaceRLevelText = keiba::RLevelToText(level);
            t.RplsTou = std::string(first.RPlusCount());
            t.RmnsTou = std::string(first.RMinusCount());
        }
        for (std::size_t h = 0; h < static_cast<std::size_t>(f); ++h) {
            const jvdata::TAnalysisRecord& rec = day.gDayHorseAnalysis[r][h];
            jvdata::TAnalysisRun a = rec.ThisRun();
            t.YosoMark[h] = keiba::YosoMarkToText(Num(a.ForecastMark()));
            t.RUmaMark[h] = keiba::RUmaToText(Num(a.RCode()));
            t.RakuGenText[h] = std::string(keiba::TrimBlanks(rec.RakuGen()));
            for (std::size_t k = 0; k < kPastRunsRead; ++k) {
                jvdata::TAnalysisPastRun past = rec.PastRun(static_cast<int>(k));
                std::string_view date = past.Date8();
                if (date == day.gPastRunHorses[r][h][k].RaceDate()) {
                    t.PastDate[h][k] = std::string(date);
                    t.PastVenue[h][k] = keiba::JyoCodeToName(past.VenueCode(), 2);
                    t.PastRaceNo[h][k] = keiba::FormatIntBlankZero(past.RaceNo());
                    t.PastRLevel[h][k] = keiba::RLevelToText(Num(past.RLevel()));
                    t.PastRUma[h][k] = keiba::RUmaToText(Num(past.RCode()));
                } else {
                    t.PastDate[h][k].clear();
                    t.PastVenue[h][k].clear();
                    t.PastRaceNo[h][k].clear();
                    t.PastRLevel[h][k].clear();
                    t.PastRUma[h][k].clear();
                }
            }
            t.ZogenText[h] = keiba::ZogenToText(Num(a.TrendCode()));
            t.JoshoMark[h] = keiba::FlagToUpArrow(a.JoshoFlag());
            t.SenzaiMark[h] = keiba::FlagToStar(a.SenzaiFlag());
            t.LvZokuseiText[h] =
                std::string(keiba::CutBytes(keiba::LvZokuseiToText(a.LvAttributeCode()), 2));
            t.CourseMark[h] = keiba::FlagToMaru(a.CourseFlag());
            t.KyoriMark[h] = keiba::FlagToMaru(a.KyoriFlag());
            t.HiLvKosoMark[h] = keiba::FlagToMaru(a.HiLvKosoFlag());
            t.HiLvRate[h] = std::string(a.HiLvRate());
            t.LoLvRate[h] = std::string(a.LoLvRate());
            t.KeikenMark[h] = keiba::FlagToMaru(a.KeikenFlag());
            t.RJunText[h] = std::string(a.ROrder());
            t.KettoRank[h] = RankOrE(a.PedigreeRank());
            t.KishuRank[h] = RankOrE(a.JockeyRank());
            t.HatsuKoMark[h] = keiba::FlagToKiken(a.FirstHighFlag());
            t.Past5Total[h] = std::string(a.Past5Total());
        }
    }
}

void LoadMembersData(RaceDay& day) {
    if (auto ruma = keiba::ReadWholeFile(day.rumaFileName)) ApplyHandInput(day, *ruma);
    if (auto csv = keiba::ReadWholeFile(day.gVzkRcomCsvName)) ApplyRaceComments(day, *csv);
    if (auto xq = keiba::ReadWholeFile(day.gVzkXqFileName)) {
        StoreAnalysisRecords(day, *xq);
        DecodeAnalysis(day);
    }
}

} // namespace raceday
