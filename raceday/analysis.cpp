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

void ApplyHandInput(TRaceDay& day, std::string_view rumaBytes) {
    for (std::string_view line : keiba::SplitLines(rumaBytes)) {
        if (line.size() < 12) continue;
        std::string_view key = line.substr(0, 12);
        for (std::size_t r = 0; r < kMaxRaces; ++r) {
            if (keiba::TrimBlanks(day.gDayRaces[r].Key().Year()).empty()) continue;
            if (day.gDayRaces[r].Key().Key12() != key) continue;
            TOutData2& t = day.gRaceTexts[r];
            t.RaceRLevelText = keiba::RLevelToText(Num(jvdata::Field(line, 13, 1)));
            int f = FieldSize(day, static_cast<int>(r));
            for (int h = 0; h < f; ++h) {
                std::string_view c = jvdata::Field(line, 14 + static_cast<std::size_t>(h), 1);
                t.RUmaMark[static_cast<std::size_t>(h)] = c == "1" ? "R+" : c == "2" ? "R-" : "";
            }
            break;
        }
    }
}

void ApplyRaceComments(TRaceDay& day, std::string_view csvBytes) {
    std::vector<std::string_view> lines = keiba::SplitLines(csvBytes);
    // The last comment of a race is the one kept, so the lines are read from the end and each
    // race's comment is gathered once: a damaged file of many unclosed comments, each running
    // on to the end of the file, costs one gathering per race rather than one per line.
    std::array<bool, kMaxRaces> done{};
    for (std::size_t i = lines.size() >= 2 ? lines.size() - 1 : 0; i-- > 0;) {
        std::size_t at = lines[i].find(",\"");
        if (at == std::string_view::npos || lines[i].size() < 16) continue;
        std::string_view key = lines[i].substr(0, 16);
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

int StoreAnalysisRecords(TRaceDay& day, std::string_view bytes) {
    int skipped = 0;
    std::size_t n = jvdata::RecordCount(bytes, jvdata::kAnalysisLength);
    for (std::size_t i = 0; i < n; ++i) {
        std::string_view rec = jvdata::RecordAt(bytes, jvdata::kAnalysisLength, i);
        int s = StrictTwoDigits(jvdata::Field(rec, 1, 2));
        int horse = StrictTwoDigits(jvdata::Field(rec, 3, 2));
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

void DecodeAnalysis(TRaceDay& day) {
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        int f = FieldSize(day, static_cast<int>(r));
        if (f <= 0) continue;
        TOutData2& t = day.gRaceTexts[r];
        const jvdata::TAnalysisRecord& first = day.gDayHorseAnalysis[r][0];
        int level = Num(first.ThisRun().Field(17, 2));
        if (level > 0) {
            t.RaceRLevelText = keiba::RLevelToText(level);
            t.RplsTou = std::string(first.Field(181, 2));
            t.RmnsTou = std::string(first.Field(183, 2));
        }
        for (std::size_t h = 0; h < static_cast<std::size_t>(f); ++h) {
            const jvdata::TAnalysisRecord& rec = day.gDayHorseAnalysis[r][h];
            jvdata::TAnalysisRun a = rec.ThisRun();
            t.YosoMark[h] = keiba::YosoMarkToText(Num(a.Field(30, 2)));
            t.RUmaMark[h] = keiba::RUmaToText(Num(a.Field(29, 1)));
            t.RakuGenText[h] = std::string(keiba::TrimBlanks(rec.Field(177, 4)));
            for (std::size_t k = 0; k < kPastRunsRead; ++k) {
                std::string_view block = rec.PastRun(static_cast<int>(k));
                std::string_view date = jvdata::Field(block, 1, 8);
                if (date == day.gPastRunHorses[r][h][k].Field(12, 8)) {
                    t.PastDate[h][k] = std::string(date);
                    t.PastVenue[h][k] = keiba::JyoCodeToName(jvdata::Field(block, 9, 2), 2);
                    t.PastRaceNo[h][k] = keiba::FormatIntBlankZero(jvdata::Field(block, 11, 2));
                    t.PastRLevel[h][k] = keiba::RLevelToText(Num(jvdata::Field(block, 13, 1)));
                    t.PastRUma[h][k] = keiba::RUmaToText(Num(jvdata::Field(block, 14, 1)));
                } else {
                    t.PastDate[h][k].clear();
                    t.PastVenue[h][k].clear();
                    t.PastRaceNo[h][k].clear();
                    t.PastRLevel[h][k].clear();
                    t.PastRUma[h][k].clear();
                }
            }
            t.ZogenText[h] = keiba::ZogenToText(Num(a.Field(32, 1)));
            t.JoshoMark[h] = keiba::FlagToUpArrow(a.Field(33, 1));
            t.SenzaiMark[h] = keiba::FlagToStar(a.Field(34, 1));
            t.LvZokuseiText[h] =
                std::string(keiba::CutBytes(keiba::LvZokuseiToText(a.Field(38, 1)), 2));
            t.CourseMark[h] = keiba::FlagToMaru(a.Field(36, 1));
            t.KyoriMark[h] = keiba::FlagToMaru(a.Field(37, 1));
            t.HiLvKosoMark[h] = keiba::FlagToMaru(a.Field(39, 1));
            t.HiLvRate[h] = std::string(a.Field(40, 5));
            t.LoLvRate[h] = std::string(a.Field(45, 5));
            t.KeikenMark[h] = keiba::FlagToMaru(a.Field(35, 1));
            t.RJunText[h] = std::string(a.Field(19, 2));
            t.KettoRank[h] = RankOrE(a.Field(50, 1));
            t.KishuRank[h] = RankOrE(a.Field(51, 1));
            t.HatsuKoMark[h] = keiba::FlagToKiken(a.Field(52, 1));
            t.Past5Total[h] = std::string(a.Field(53, 3));
        }
    }
}

void LoadMembersData(TRaceDay& day) {
    if (auto ruma = keiba::ReadWholeFile(day.gRumaFileName)) ApplyHandInput(day, *ruma);
    if (auto csv = keiba::ReadWholeFile(day.gVzkRcomCsvName)) ApplyRaceComments(day, *csv);
    if (auto xq = keiba::ReadWholeFile(day.gVzkXqFileName)) {
        StoreAnalysisRecords(day, *xq);
        DecodeAnalysis(day);
    }
}

} // namespace raceday
