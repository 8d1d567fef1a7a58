#include "raceday/analysis.h"

#include "keiba/sjis.h"
#include "raceday/dayreport.h"

#include "tests/raceday/dayfixture.h"
#include "tests/support/analysismaker.h"
#include "tests/support/unreadable.h"

#include <cstring>
#include <functional>

using namespace testsupport;
using keiba::Sj;

namespace {

// An analysis record for race slot `slot`, runner `horse`, with its first run block filled.
std::string Analysis(std::string_view slot, std::string_view horse, std::string_view level,
                     std::string_view mark, std::string_view rcode) {
    std::string r(378, ' ');
    jvdata::SetField(r, 1, 2, slot);
    jvdata::SetField(r, 3, 2, horse);
    jvdata::SetField(r, 177, 4, Sj("楽"));
    jvdata::SetField(r, 181, 4, "0301");
    jvdata::SetField(r, 226 + 17, 2, level);
    jvdata::SetField(r, 226 + 29, 1, rcode);
    jvdata::SetField(r, 226 + 30, 2, mark);
    jvdata::SetField(r, 226 + 38, 1, "3");
    jvdata::SetField(r, 226 + 50, 2, "S ");
    return r;
}

class AnalysisTest : public DayFixture {
protected:
    void SetUp() override {
        DayFixture::SetUp();
        Day().gDayRaces[0].Assign(Ra("20261206", "05", 11, 3));
        Day().gDayRaces[1].Assign(Ra("20261206", "05", 12, 2));
    }
};

} // namespace

TEST_F(AnalysisTest, RecordsDecodeIntoTheRaceTexts) {
    std::string bytes =
        Analysis("00", "01", "06", "01", "1") + Analysis("00", "02", "06", "05", "2") +
        Analysis("40", "01", "07", "01", "1") + Analysis("a1", "01", "07", "01", "1") +
        Analysis("00", "00", "07", "01", "1") + Analysis("01", "19", "07", "01", "1");
    EXPECT_EQ(raceday::StoreAnalysisRecords(Day(), bytes), 3);
    raceday::DecodeAnalysis(Day());
    const raceday::TOutData2& t = Day().gRaceTexts[0];
    EXPECT_EQ(t.RaceRLevelText, Sj("高＋"));
    EXPECT_EQ(t.RplsTou, "03");
    EXPECT_EQ(t.RmnsTou, "01");
    EXPECT_EQ(t.YosoMark[0], Sj("◎"));
    EXPECT_EQ(t.RUmaMark[0], "R+");
    EXPECT_EQ(t.RUmaMark[1], "R-");
    EXPECT_EQ(t.YosoMark[1], Sj("×"));
    EXPECT_EQ(t.RakuGenText[0], Sj("楽"));
    EXPECT_EQ(t.LvZokuseiText[0], Sj("自"));
    EXPECT_EQ(t.KettoRank[0], "S");
    EXPECT_EQ(t.KishuRank[0], "E");
    // Runner 3 has no record: blank marks, E ranks, blank R mark.
    EXPECT_EQ(t.RUmaMark[2], "  ");
    EXPECT_EQ(t.KettoRank[2], "E");
    EXPECT_EQ(t.YosoMark[2], "");
    // Race slot 1 has no records at all: its level stays empty.
    EXPECT_TRUE(Day().gRaceTexts[1].RaceRLevelText.empty());
}

TEST_F(AnalysisTest, ARaceKeepsItsOwnFiguresWhenItsFirstRunnerHasNoRecord) {
    // Every runner's record repeats the race's level and R+ and R- counts.
    raceday::StoreAnalysisRecords(Day(), Analysis("00", "02", "06", "05", "2"));
    raceday::DecodeAnalysis(Day());
    const raceday::TOutData2& t = Day().gRaceTexts[0];
    EXPECT_EQ(t.RaceRLevelText, Sj("高＋"));
    EXPECT_EQ(t.RplsTou, "03");
    EXPECT_EQ(t.RmnsTou, "01");
    EXPECT_EQ(t.YosoMark[0], "");
}

TEST_F(AnalysisTest, TheLaterRecordWinsAndPastRunsMustMatchTheirDates) {
    Day().gPastRunHorses[0][0][0].SetField(12, 8, "20261115");
    Day().gPastRunHorses[0][0][1].SetField(12, 8, "20261101");
    std::string first = Analysis("00", "01", "04", "02", "0");
    std::string second = Analysis("00", "01", "05", "03", "0");
    jvdata::SetField(second, 185, 14, "20261115050361");
    jvdata::SetField(second, 199, 14, "20261102050412"); // a day off from the runner's own run
    raceday::StoreAnalysisRecords(Day(), first + second);
    raceday::DecodeAnalysis(Day());
    const raceday::TOutData2& t = Day().gRaceTexts[0];
    EXPECT_EQ(t.YosoMark[0], Sj("▲"));
    EXPECT_EQ(t.PastDate[0][0], "20261115");
    EXPECT_EQ(t.PastVenue[0][0], Sj("東京"));
    EXPECT_EQ(t.PastRaceNo[0][0], " 3");
    EXPECT_EQ(t.PastRLevel[0][0], Sj("高＋"));
    EXPECT_TRUE(t.PastDate[0][1].empty());
}

TEST_F(AnalysisTest, HandInputIsReplacedByTheAnalysisFile) {
    // Lines of 31 characters: the key, the level and a character for each runner.
    raceday::ApplyHandInput(Day(), "20261206051171 2               \r\n"
                                   "2026120605994100000000000000000\r\n");
    EXPECT_EQ(Day().gRaceTexts[0].RaceRLevelText, Sj("高★"));
    EXPECT_EQ(Day().gRaceTexts[0].RUmaMark[0], "R+");
    EXPECT_EQ(Day().gRaceTexts[0].RUmaMark[1], "");
    EXPECT_EQ(Day().gRaceTexts[0].RUmaMark[2], "R-");
    raceday::StoreAnalysisRecords(Day(), Analysis("00", "01", "02", "01", "2"));
    raceday::DecodeAnalysis(Day());
    EXPECT_EQ(Day().gRaceTexts[0].RaceRLevelText, Sj("低－"));
    EXPECT_EQ(Day().gRaceTexts[0].RUmaMark[0], "R-");
    EXPECT_EQ(Day().gRaceTexts[0].RUmaMark[2], "  ");
}

TEST_F(AnalysisTest, CommentsSpanLinesUpToTheClosingQuote) {
    std::string csv = Sj("2026120605050811,\"先行有利\r\n内枠注意\r\n馬場良\r\n\"\r\n"
                         "2026120605050899,\"どこにも合わない\r\n\"\r\n"
                         "2026120605050812,\"最終行の注釈");
    raceday::ApplyRaceComments(Day(), csv);
    EXPECT_EQ(Day().gRaceTexts[0].RaceComment, Sj("先行有利\r\n内枠注意\r\n馬場良"));
    EXPECT_TRUE(Day().gRaceTexts[1].RaceComment.empty());
}

// A damaged file of unclosed comments, each running on to the one closing line at the end: the
// last comment of the race is read without gathering every other one (the test's time limit
// fails a reader that does).
TEST_F(AnalysisTest, ManyUnclosedCommentsAreReadOnce) {
    std::string csv;
    for (int i = 0; i < 40000; ++i) csv += "2026120605050811,\"x\r\n";
    csv += "2026120605050812,\"last\r\n\"\r\n";
    raceday::ApplyRaceComments(Day(), csv);
    EXPECT_EQ(Day().gRaceTexts[0].RaceComment, "x\r\n2026120605050812,\"last");
    EXPECT_EQ(Day().gRaceTexts[1].RaceComment, "last");
}

TEST_F(AnalysisTest, HandInputSavedWithLoneCrLineEndsReachesEveryRace) {
    raceday::ApplyHandInput(Day(), "2026120605117102               \r"
                                   "2026120605123210               \r");
    EXPECT_EQ(Day().gRaceTexts[0].RaceRLevelText, Sj("高★"));
    EXPECT_EQ(Day().gRaceTexts[0].RUmaMark[2], "R-");
    EXPECT_EQ(Day().gRaceTexts[1].RaceRLevelText, Sj("低＋"));
    EXPECT_EQ(Day().gRaceTexts[1].RUmaMark[0], "R-");
    EXPECT_EQ(Day().gRaceTexts[1].RUmaMark[1], "R+");
}

// A comments or hand-input file damaged at its first, a middle or its last race: the day tells
// the races it lost, as many as show nothing, and every other race shows its own.
TEST_F(AnalysisTest, CommentsAndHandInputTellTheRacesTheyLostAndShowTheRest) {
    Day().gDayRaces[2].Assign(Ra("20261206", "08", 1, 3));
    Day().gDayRaceCount = 3;
    const std::string keys[] = {"2026120605050811", "2026120605050812", "2026120608050801"};
    std::vector<std::string> comments, lines;
    for (int r = 0; r < 3; ++r) {
        const std::string& k = keys[r];
        comments.push_back(k + ",\"" + Sj("先行") + std::to_string(r) + "\r\n\"\r\n");
        lines.push_back(k.substr(0, 10) + k.substr(14) + "712" + std::string(16, ' ') + "\r\n");
    }
    auto joined = [](std::vector<std::string> recs, std::size_t at, auto change) {
        change(recs[at]);
        std::string out;
        for (const std::string& r : recs) out += r;
        return out;
    };
    auto cut = [](std::size_t n) { return [n](std::string& r) { r.erase(r.size() - n, 1); }; };
    auto otherDay = [](std::string& r) { r.replace(0, 8, "20261205"); };
    auto twice = [](std::string& r) { r += r; };
    const struct {
        bool comments; // else the hand input
        const char* damage;
        std::size_t at;
        std::string file;
        std::size_t lost;
        std::size_t held = 3; // the races the file held before the damage
    } rows[] = {
        {true, "a closing line end without its CR", 0, joined(comments, 0, cut(2)), 1},
        {true, "a closing line end without its LF", 1, joined(comments, 1, cut(1)), 1},
        {true, "a closing line end without its CR", 2, joined(comments, 2, cut(2)), 1},
        {true, "a line end inside without its CR", 1,
         joined(comments, 1, [](std::string& r) { r.erase(r.find('\r'), 1); }), 1},
        {true, "a comment of another day", 1, joined(comments, 1, otherDay), 1},
        {true, "the last comment of the file of another day", 1,
         joined({comments[0], comments[1]}, 1, otherDay), 1, 2},
        {true, "the file twice", 0,
         joined(comments, 2,
                [&](std::string& r) { r += joined(comments, 0, [](std::string&) {}); }),
         0},
        {true, "a comment put in twice", 1, joined(comments, 1, twice), 0},
        {false, "a line of another day", 2, joined(lines, 2, otherDay), 1},
        {false, "a line end without its CR", 0, joined(lines, 0, cut(2)), 0},
        {false, "a line put in twice", 1, joined(lines, 1, twice), 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.damage) + " at race " + std::to_string(row.at));
        for (std::size_t r = 0; r < 3; ++r) Day().gRaceTexts[r].Clear();
        Day().gVzkRcomCsvName = dir / "VZK/RCOM20261206.CSV";
        Day().rumaFileName = DataFile(Stem("20261206") + ".ruma");
        Day().gVzkXqFileName = dir / "VZK/XQ20261206.vzkd";
        std::filesystem::create_directories(dir / "VZK");
        std::filesystem::remove(Day().gVzkRcomCsvName);
        std::filesystem::remove(Day().rumaFileName);
        WriteBytes(row.comments ? Day().gVzkRcomCsvName : Day().rumaFileName, row.file);
        raceday::DayReport report;
        raceday::LoadMembersData(Day(), "20261206", report);
        std::size_t blank = 0;
        for (std::size_t r = 0; r < 3; ++r) {
            const raceday::TOutData2& t = Day().gRaceTexts[r];
            const std::string& shown = row.comments ? t.RaceComment : t.RaceRLevelText;
            if (shown.empty()) {
                ++blank;
                continue;
            }
            EXPECT_EQ(shown, row.comments ? Sj("先行") + std::to_string(r) : Sj("高★")) << r;
        }
        EXPECT_EQ(blank, row.lost + 3 - row.held);
        const std::string told =
            row.lost == 0 ? ""
                          : std::string(row.comments ? "コメントデータ（RCOM20261206.CSV）"
                                                     : "手入力データ（2026年12月06日.ruma）") +
                                "の一部が壊れているため、1レース分を読み込めませんでした。";
        EXPECT_EQ(report.Text(), told);
    }
}

// The members' files under another case in a folder that cannot be listed: the day says the
// folder once, not two missing files.
TEST_F(AnalysisTest, AMembersFolderThatCannotBeListedIsSaidOnce) {
    const std::filesystem::path vzk = dir / "VZK";
    std::filesystem::create_directories(vzk);
    WriteBytes(vzk / "rcom20261206.csv", "2026120605050811,\"x\r\n\"\r\n");
    WriteBytes(vzk / "xq20261206.vzkd", AnalysisMaker("20261206", "05", 11, 1).Bytes());
    const UnreadableFile unlisted(vzk);
    Day().gVzkRcomCsvName = raceday::MembersFilePath(vzk, "RCOM", "20261206", ".CSV");
    Day().gVzkXqFileName = raceday::MembersFilePath(vzk, "XQ", "20261206", ".vzkd");
    raceday::DayReport report;
    raceday::LoadMembersData(Day(), "20261206", report);
    EXPECT_EQ(report.Text(),
              keiba::PathToUtf8(vzk) + " を読み込めません（読み込む権限がありません）。");
}

// Each field of this run's block goes to its own text through its own converter: one field set
// at a time, every other text keeps what a blank block gives.
TEST_F(AnalysisTest, EachFieldOfTheRunBlockGoesToItsOwnText) {
    struct Text {
        const char* name;
        raceday::TOutData2::PerRunner<std::string> raceday::TOutData2::*texts;
        std::string blank; // CP932, from a blank block
    };
    const std::string zen = Sj("　");
    const Text texts[] = {
        {"YosoMark", &raceday::TOutData2::YosoMark, ""},
        {"RUmaMark", &raceday::TOutData2::RUmaMark, "  "},
        {"ZogenText", &raceday::TOutData2::ZogenText, ""},
        {"JoshoMark", &raceday::TOutData2::JoshoMark, zen},
        {"SenzaiMark", &raceday::TOutData2::SenzaiMark, zen},
        {"KeikenMark", &raceday::TOutData2::KeikenMark, zen},
        {"CourseMark", &raceday::TOutData2::CourseMark, zen},
        {"KyoriMark", &raceday::TOutData2::KyoriMark, zen},
        {"LvZokuseiText", &raceday::TOutData2::LvZokuseiText, zen},
        {"HiLvKosoMark", &raceday::TOutData2::HiLvKosoMark, zen},
        {"HiLvRate", &raceday::TOutData2::HiLvRate, "     "},
        {"LoLvRate", &raceday::TOutData2::LoLvRate, "     "},
        {"RJunText", &raceday::TOutData2::RJunText, "  "},
        {"KettoRank", &raceday::TOutData2::KettoRank, "E"},
        {"KishuRank", &raceday::TOutData2::KishuRank, "E"},
        {"HatsuKoMark", &raceday::TOutData2::HatsuKoMark, zen},
        {"Past5Total", &raceday::TOutData2::Past5Total, "   "},
    };
    const struct {
        std::size_t pos;
        const char* value;
        const char* text;     // the name of the text it goes to
        const char* expected; // UTF-8
    } fields[] = {
        {30, "02", "YosoMark", "○"},        {30, "03", "YosoMark", "▲"},
        {29, "1", "RUmaMark", "R+"},        {32, "2", "ZogenText", "降休減"},
        {32, "4", "ZogenText", "昇続増"},   {33, "1", "JoshoMark", "↑"},
        {34, "1", "SenzaiMark", "★"},       {35, "1", "KeikenMark", "○"},
        {36, "1", "CourseMark", "○"},       {37, "1", "KyoriMark", "○"},
        {38, "1", "LvZokuseiText", "高"},   {38, "2", "LvZokuseiText", "低"},
        {39, "1", "HiLvKosoMark", "○"},     {40, "12.5 ", "HiLvRate", "12.5 "},
        {45, " 0.8 ", "LoLvRate", " 0.8 "}, {19, " 7", "RJunText", " 7"},
        {50, "B", "KettoRank", "B"},        {51, "D", "KishuRank", "D"},
        {52, "1", "HatsuKoMark", "危"},     {53, "-12", "Past5Total", "-12"},
    };
    for (const auto& f : fields) {
        std::string r(378, ' ');
        jvdata::SetField(r, 1, 4, "0001");
        jvdata::SetField(r, 226 + f.pos, std::strlen(f.value), f.value);
        Day().gRaceTexts[0].Clear();
        Day().gDayHorseAnalysis[0][0].Assign(r);
        raceday::DecodeAnalysis(Day());
        for (const Text& t : texts) {
            const std::string& got = (Day().gRaceTexts[0].*t.texts)[0];
            EXPECT_EQ(got, t.name == std::string_view(f.text) ? Sj(f.expected) : t.blank)
                << t.name << " with position " << f.pos << " \"" << f.value << '"';
        }
    }
}

// The three past-run blocks each give their run's five texts.
TEST_F(AnalysisTest, EachPastRunBlockGivesItsRunsTexts) {
    const char* dates[] = {"20261115", "20261101", "20261018"};
    std::string r(378, ' ');
    jvdata::SetField(r, 1, 4, "0001");
    jvdata::SetField(r, 185, 14, "20261115050371");
    jvdata::SetField(r, 199, 14, "20261101081122");
    jvdata::SetField(r, 213, 14, "20261018091213");
    for (int k = 0; k < 3; ++k)
        Day().gPastRunHorses[0][0][static_cast<std::size_t>(k)].SetField(12, 8, dates[k]);
    Day().gDayHorseAnalysis[0][0].Assign(r);
    raceday::DecodeAnalysis(Day());
    const raceday::TOutData2& t = Day().gRaceTexts[0];
    const struct {
        const char *venue, *race, *level, *ruma;
    } runs[] = {
        {"東京", " 3", "高★", "R+"}, {"京都", "11", "低－", "R-"}, {"阪神", "12", "低★", "  "}};
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(t.PastDate[0][k], dates[k]) << k;
        EXPECT_EQ(t.PastVenue[0][k], Sj(runs[k].venue)) << k;
        EXPECT_EQ(t.PastRaceNo[0][k], runs[k].race) << k;
        EXPECT_EQ(t.PastRLevel[0][k], Sj(runs[k].level)) << k;
        EXPECT_EQ(t.PastRUma[0][k], runs[k].ruma) << k;
    }
}

// Every path of the record check against the plain one, on a sound record with each byte in
// turn changed to every value: a path that misses a position's class, or the last bytes a
// chunk overlaps, answers otherwise for some of them.
TEST(AnalysisRecordCheck, EveryPathAnswersAsThePlainOneForEveryByteAtEveryPosition) {
    AnalysisMaker m("20261206", "05", 11, 3);
    m.This(16, 1, "B").This(40, 10, "0.323-1.5 ").This(50, 2, "SE").This(53, 3, " -8");
    m.WithPrevious().Set(377, 2, "\r\n");
    std::string rec = m.Bytes();
    ASSERT_TRUE(jvdata::IsSoundAnalysisRecordBy(rec, jvdata::CheckPath::Plain));
    std::size_t sound = 0;
    for (std::size_t i = 0; i < rec.size(); ++i) {
        const char was = rec[i];
        for (int b = 0; b < 256; ++b) {
            rec[i] = static_cast<char>(b);
            const bool plain = jvdata::IsSoundAnalysisRecordBy(rec, jvdata::CheckPath::Plain);
            sound += plain ? 1 : 0;
            for (jvdata::CheckPath path : jvdata::AnalysisCheckPaths())
                ASSERT_EQ(jvdata::IsSoundAnalysisRecordBy(rec, path), plain)
                    << "position " << i + 1 << ", byte " << b;
        }
        rec[i] = was;
    }
    // Not every change is damage (a name may hold any text), nor is every one sound.
    EXPECT_GT(sound, rec.size());
    EXPECT_LT(sound, rec.size() * 128);
}

// Records as the members' service writes them, sound on every path: the shapes the layout allows
// (runs abroad, blanks where a number may be blank, rates of 0.000 and 1.000, names of nine
// full-width characters or of half-width katakana; the record's own venue codes are held to every
// code in the record check's tests) and anything but a line break in the positions nothing reads.
// Beside them, fields that are read holding what they may not.
TEST(AnalysisRecordCheck, RealShapesAreSoundAndAReadFieldOutOfShapeIsNot) {
    using Set = std::function<void(AnalysisMaker&)>;
    const struct {
        const char* what;
        Set set;
        bool sound;
    } rows[] = {
        {"as it comes", [](AnalysisMaker&) {}, true},
        {"a race abroad", [](AnalysisMaker& m) { m.Set(14, 2, "A8").This(3, 2, "A8"); }, true},
        {"a previous run abroad", [](AnalysisMaker& m) { m.Prev(3, 2, "K0"); }, true},
        {"a past run abroad", [](AnalysisMaker& m) { m.Set(199, 14, "20241006A80112"); }, true},
        {"blanks where a number may be blank",
         [](AnalysisMaker& m) {
             m.Set(5, 1, " ").Win("         ").Place("         ").Set(181, 4, "    ");
             m.This(17, 2, "  ").This(40, 10, "          ").This(53, 3, "   ");
             m.Set(185, 42, "").Set(302, 75, "");
         },
         true},
        {"rates of 0.000 and 1.000, a negative total",
         [](AnalysisMaker& m) { m.This(40, 10, "0.0001.000").This(53, 3, "-12"); }, true},
        {"a name of nine full-width characters",
         [](AnalysisMaker& m) { m.Name("アイウエオカキクケ"); }, true},
        {"a name of half-width katakana", [](AnalysisMaker& m) { m.Name("ｱｲｳｴｵｶｷｸｹｺ"); }, true},
        {"two blanks for its line end", [](AnalysisMaker& m) { m.Set(377, 2, "  "); }, true},
        {"anything but a line break where nothing reads",
         [](AnalysisMaker& m) {
             m.Set(16, 4, "ab-.").Set(22, 10, "\x01Zz\xff").Set(50, 88, "\t*").Set(157, 20, "x");
             m.This(56, 20, "\x7f").Prev(56, 20, "~");
         },
         true},
        {"a letter in a payout", [](AnalysisMaker& m) { m.Win("00000035a"); }, false},
        {"a line break in the name", [](AnalysisMaker& m) { m.Set(40, 1, "\n"); }, false},
        {"a rate of two points", [](AnalysisMaker& m) { m.This(40, 5, "1.2.3"); }, false},
        {"a rate of letters", [](AnalysisMaker& m) { m.Prev(45, 5, "ab.cd"); }, false},
        {"a rank outside S to E", [](AnalysisMaker& m) { m.This(51, 1, "F"); }, false},
        {"a letter in a past run's date", [](AnalysisMaker& m) { m.Set(213, 8, "2024100a"); },
         false},
        {"a race slot beyond the day's", [](AnalysisMaker& m) { m.Slot(36); }, false},
        {"a runner number beyond 18", [](AnalysisMaker& m) { m.Set(3, 2, "19"); }, false},
        {"a line end that lost its CR", [](AnalysisMaker& m) { m.Set(377, 1, "x"); }, false},
    };
    for (const auto& row : rows) {
        AnalysisMaker m("20261206", "05", 11, 3);
        m.WithPrevious().Set(377, 2, "\r\n");
        row.set(m);
        for (jvdata::CheckPath path : jvdata::AnalysisCheckPaths())
            EXPECT_EQ(jvdata::IsSoundAnalysisRecordBy(m.Bytes(), path), row.sound)
                << row.what << ", path " << static_cast<int>(path);
    }
}
