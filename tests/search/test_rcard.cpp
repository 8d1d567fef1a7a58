// Opening a hit's race for the race card form: found by the hit's identity in the day's files,
// with its captions; what is missing opens nothing, or opens without analysis.

#include "search/rcard.h"

#include "jvdata/dayfiles.h"
#include "keiba/sjis.h"
#include "tests/jvdata/recordmaker.h"
#include "tests/support/analysismaker.h"
#include "tests/support/tempdir.h"
#include "tests/support/unreadable.h"

#include <gtest/gtest.h>

using namespace search;
using testsupport::AnalysisMaker;
namespace fs = std::filesystem;

namespace {

const auto kDate = *jvdata::ParseYyyymmdd("20241124");

std::string U8(const std::string& sjis) {
    return keiba::Cp932ToUtf8(sjis);
}

class RCardTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Two races at 東京; race 11 with 20 runners on record, 3 of them in the runner file.
        std::string ra;
        for (int race : {10, 11}) {
            std::string r =
                testsupport::MakeRecord("RA", testsupport::RaceKey16("20241124", "05", race));
            jvdata::SetField(r, 593, 12, keiba::Sj("ジャパンＣ"));
            jvdata::SetField(r, 615, 1, "A");
            jvdata::SetField(r, 617, 2, "14");
            jvdata::SetField(r, 622, 1, "4");
            jvdata::SetField(r, 635, 3, "999");
            jvdata::SetField(r, 698, 4, "2400");
            jvdata::SetField(r, 706, 2, "11");
            jvdata::SetField(r, 874, 4, "1540");
            jvdata::SetField(r, 882, 2, race == 11 ? "20" : "03");
            ra += r;
        }
        Write(jvdata::DayFilePath(dir.path(), kDate, jvdata::DayFile::RA), ra);
        std::string runners;
        for (int h = 1; h <= 3; ++h) {
            std::string se = testsupport::MakeRunner(testsupport::RaceKey16("20241124", "05", 11),
                                                     h, "20201000" + std::to_string(h) + "0");
            jvdata::SetField(se, 28, 1, std::to_string(h));
            runners = jvdata::PutRunnerSlot(runners, std::string_view(se).substr(0, se.size() - 2),
                                            jvdata::RunnerSlot(11, h));
        }
        Write(*jvdata::DayRunnerFile(dir.path(), kDate, "05"), runners);
        Write(dir / "VZK/XQ20241124.vzkd",
              AnalysisMaker("20241124", "05", 11, 1).This(17, 2, "06").Set(181, 4, "0201").Bytes() +
                  AnalysisMaker("20241124", "05", 10, 2).This(17, 2, "01").Bytes() +
                  AnalysisMaker("20241124", "05", 11, 2).Bytes() +
                  AnalysisMaker("20241124", "05", 11, 19).Bytes());
    }
    static void Write(const fs::path& p, const std::string& bytes) {
        fs::create_directories(p.parent_path());
        testsupport::WriteBytes(p, bytes);
    }
    RHit Hit(int race, int horse, std::string_view date8 = "20241124") {
        return RHit::Of(AnalysisMaker(date8, "05", race, horse).Name("ヒットホース"));
    }
    testsupport::TempDir dir;
};

} // namespace

TEST_F(RCardTest, TheHitsRaceOpensWithItsRunnersAnalysisAndCaptions) {
    RCardLoad load = LoadRCardRace(dir.path(), Hit(11, 2));
    ASSERT_EQ(load.status, RCardStatus::Opened) << load.message;
    const RCardRace& c = *load.race;
    EXPECT_EQ(c.race.RaceNo(), "11");
    EXPECT_EQ(c.runners, 18); // 20 on record: no more than 18 are shown
    EXPECT_EQ(c.horses[1].HorseNumber(), 2);
    EXPECT_EQ(c.horses[2].BracketText(), "3");
    EXPECT_EQ(c.horses[3].HorseNumber(), 0); // a blank slot of the runner file
    // The analysis of race 11 only, by horse number; number 19 has no place.
    EXPECT_EQ(c.analysis[0].ThisRun().RaceRLevel(), "06");
    EXPECT_EQ(c.analysis[1].RaceNo(), "11");
    EXPECT_TRUE(c.analysis[2].IsBlank());
    EXPECT_EQ(U8(c.selBamei), "②ヒットホース      ");
    EXPECT_EQ(U8(c.t1), "2024年11月24日東京05回08日11R ジャパンＣ  15.40発走");
    EXPECT_TRUE(U8(c.t2).starts_with("20頭 芝2400m G1")) << U8(c.t2);
    EXPECT_TRUE(U8(c.t2).find(" 定量 ４上") != std::string::npos) << U8(c.t2);
    EXPECT_EQ(U8(c.rLevel), "高＋");
    EXPECT_EQ(c.rPlus, " 2");
    EXPECT_EQ(c.rMinus, " 1");
}

TEST_F(RCardTest, AMissingAnalysisFileOpensWithoutAnalysis) {
    fs::remove(dir / "VZK/XQ20241124.vzkd");
    RCardLoad load = LoadRCardRace(dir.path(), Hit(11, 1));
    ASSERT_EQ(load.status, RCardStatus::Opened);
    EXPECT_TRUE(load.race->analysis[0].IsBlank());
    EXPECT_EQ(load.race->rLevel, "");
}

// A file that is there but cannot be read is said with its cause: the race's own files refuse
// the card, the analysis file opens it without analysis.
TEST_F(RCardTest, AFileThatCannotBeReadIsSaid) {
    const fs::path files[] = {jvdata::DayFilePath(dir.path(), kDate, jvdata::DayFile::RA),
                              *jvdata::DayRunnerFile(dir.path(), kDate, "05"),
                              dir / "VZK/XQ20241124.vzkd"};
    for (const fs::path& file : files) {
        const testsupport::UnreadableFile unreadable(file);
        const RCardLoad load = LoadRCardRace(dir.path(), Hit(11, 1));
        EXPECT_EQ(load.message, file.string() + " を読み込めません（読み込む権限がありません）。");
        EXPECT_EQ(load.status == RCardStatus::Opened, file == files[2]) << file;
    }
    // A folder that cannot be listed hides the file under another case: said, not taken for a
    // missing file.
    fs::rename(files[2], dir / "VZK/xq20241124.vzkd");
    const testsupport::UnreadableFile unlisted(dir / "VZK");
    const RCardLoad load = LoadRCardRace(dir.path(), Hit(11, 1));
    EXPECT_EQ(load.status, RCardStatus::Opened);
    EXPECT_EQ(load.message,
              (dir / "VZK").string() + " を読み込めません（読み込む権限がありません）。");
}

TEST_F(RCardTest, WhatCannotBeOpenedSaysSo) {
    EXPECT_EQ(LoadRCardRace(dir.path(), Hit(13, 1)).status, RCardStatus::NotARace);
    EXPECT_EQ(LoadRCardRace(dir.path(), Hit(0, 1)).status, RCardStatus::NotARace);
    EXPECT_EQ(LoadRCardRace(dir.path(), Hit(11, 1, "20241131")).status, RCardStatus::NotARace);
    EXPECT_EQ(LoadRCardRace(dir.path(), Hit(12, 1)).status, RCardStatus::RaceNotFound);
    RCardLoad none = LoadRCardRace(dir.path(), Hit(11, 1, "20241123"));
    EXPECT_EQ(none.status, RCardStatus::NoRaceFile);
    EXPECT_EQ(none.message, "2024/11/23 東京11Rのレースデータがありません。");
    EXPECT_FALSE(none.race);
    fs::remove(*jvdata::DayRunnerFile(dir.path(), kDate, "05"));
    EXPECT_EQ(LoadRCardRace(dir.path(), Hit(11, 1)).status, RCardStatus::NoRunnerFile);
}

// The card of race 11 of three runners under each damage that matters: a damaged record is not
// shown, costs only its own runner (or the race, for the race record), and the note counts what
// was lost in the words of the day load.
TEST_F(RCardTest, DamageCostsOnlyItsOwnRunnerAndTheNoteCountsIt) {
    const std::string key = testsupport::RaceKey16("20241124", "05", 11);
    std::string ra = testsupport::MakeRecord("RA", key);
    jvdata::SetField(ra, 882, 2, "03");
    std::string se(static_cast<std::size_t>(jvdata::kRunnerSlots) * jvdata::kSeLength, ' ');
    for (std::size_t at = jvdata::kSeLength - 2; at < se.size(); at += jvdata::kSeLength)
        se.replace(at, 2, "\r\n");
    std::string xq;
    for (int h = 1; h <= 3; ++h) {
        const std::string r = testsupport::MakeRunner(key, h, "202010000" + std::to_string(h));
        se.replace(static_cast<std::size_t>(jvdata::RunnerSlot(11, h)) * jvdata::kSeLength,
                   r.size(), r);
        xq += AnalysisMaker("20241124", "05", 11, h).Set(377, 2, "\r\n").Bytes();
    }
    const fs::path raFile = jvdata::DayFilePath(dir.path(), kDate, jvdata::DayFile::RA),
                   seFile = *jvdata::DayRunnerFile(dir.path(), kDate, "05"),
                   xqFile = dir / "VZK/XQ20241124.vzkd";
    // Where runner 2's records start in their files (the analysis records in runner order).
    const std::size_t se2 = static_cast<std::size_t>(jvdata::RunnerSlot(11, 2)) * jvdata::kSeLength,
                      xq2 = jvdata::kAnalysisLength;
    const std::string lostRunner = "出走馬データ（2024年11月24日東京."
                                   "jvSEr）の一部が壊れているため、1頭分を読み込めませんでした。";
    const std::string lostAnalysis =
        "分析データ（XQ20241124.vzkd）の一部が壊れているため、1頭分を読み込めませんでした。";
    struct Row {
        const char* damage;
        fs::path file;
        std::string bytes;
        std::string note;
        bool runner2, analysis2; // whether runner 2's runner and analysis records are shown
    };
    auto over = [](std::string bytes, std::size_t at, std::string_view put) {
        return bytes.replace(at, put.size(), put);
    };
    auto insert = [](std::string bytes, std::size_t at) { return bytes.insert(at, "\r\n"); };
    const Row rows[] = {
        {"letters in the race's distance", raFile, over(ra, 697, "ab"),
         "レースデータ（2024年11月24日.jvRA）の一部が壊れているため、2024/11/24 "
         "東京11Rを読み込めませんでした。",
         false, false},
        {"a runner's shown bracket", seFile, over(se, se2 + 27, "#"), lostRunner, false, true},
        {"letters in a runner's number", seFile, over(se, se2 + 288, "ab"), lostRunner, false,
         true},
        {"a line break put into a runner", seFile, insert(se, se2 + 299), lostRunner, false, true},
        {"a shown rate of an analysis record", xqFile, over(xq, xq2 + 265, "#####"), lostAnalysis,
         true, false},
        {"letters in an analysis payout", xqFile, over(xq, xq2 + 137, "ab"), lostAnalysis, true,
         false},
        {"a line break put into an analysis record", xqFile, insert(xq, xq2 + 99), lostAnalysis,
         true, false},
        {"an analysis file cut inside runner 2", xqFile, xq.substr(0, xq2 + 100),
         "分析データ（XQ20241124.vzkd）の一部が壊れているため、2頭分を読み込めませんでした。", true,
         false},
        {"none", xqFile, xq, "", true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.damage);
        Write(raFile, ra);
        Write(seFile, se);
        Write(xqFile, xq);
        Write(row.file, row.bytes);
        const RCardLoad load = LoadRCardRace(dir.path(), Hit(11, 1));
        EXPECT_EQ(load.message, row.note);
        if (row.file == raFile) {
            EXPECT_EQ(load.status, RCardStatus::RaceDamaged);
            continue;
        }
        ASSERT_EQ(load.status, RCardStatus::Opened);
        const RCardRace& c = *load.race;
        ASSERT_EQ(c.runners, 3);
        // Runners 1 and 3 always; the analysis of runner 3 is lost with runner 2's to a cut.
        EXPECT_EQ(c.horses[0].HorseNumber(), 1);
        EXPECT_EQ(c.horses[2].HorseNumber(), 3);
        EXPECT_EQ(c.horses[1].HorseNumber(), row.runner2 ? 2 : 0);
        EXPECT_EQ(c.horses[1].IsBlank(), !row.runner2);
        EXPECT_EQ(c.analysis[0].HorseNumberText(), "01");
        EXPECT_EQ(c.analysis[1].IsBlank(), !row.analysis2);
        EXPECT_EQ(c.analysis[2].IsBlank(), row.file == xqFile && row.bytes.size() < xq.size());
    }
}
