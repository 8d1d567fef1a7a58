#include "betfixture.h"

#include "betting/betfiles.h"
#include "betting/kaimetab.h"
#include "keiba/context.h"
#include "keiba/sjis.h"
#include "tests/support/fakes.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

namespace fs = std::filesystem;
using betting::BetKind;
using betting::PlainTable;
using betting::VoteResult;
using testsupport::Slurp;

const std::string kNoDay = "開催日ﾃﾞｰﾀを読み込んでください。";
const std::string kNoRace = "レースデータを読み込んでください。";
const std::string kNoBets =
    "買い目が作成されていないか、オッズ未取得のため資金配分ができていません。";
const std::string kNoPlugin =
    "「QVX投票プラグイン２」が正常にインストールされていません。再インストールしてください。";

class BetFiles : public testsupport::BetDay {
protected:
    void SetUp() override {
        BetDay::SetUp();
        fs::create_directories(plugin / "kaime");
        fs::create_directories(dir.path() / "kaime");
        ASSERT_TRUE(ini.WriteString("Dir", "QVXTohyo2", keiba::PathToUtf8(plugin)));
        SetRace(12);
    }

    // A grid of the given keys at 500 yen each.
    static PlainTable Grid(int cols, int stakeCol, std::initializer_list<const char*> keys) {
        PlainTable g(cols, static_cast<int>(keys.size()) + 1);
        int row = 1;
        for (const char* k : keys) {
            g.SetCell(1, row, keiba::FormatInt(row, 3));
            g.SetCell(2, row, k);
            g.SetCell(3, row, "   12.5");
            g.SetCell(stakeCol, row, "   500");
            ++row;
        }
        return g;
    }
    VoteResult Qvx(std::string_view code, const PlainTable& g, int stakeCol = 6) {
        return betting::WriteQvxTohyoCsv(code, 3000, g, {stakeCol, 0, 3, 2}, day(), host, context);
    }
    VoteResult Brivel(std::string_view name, const PlainTable& g, int stakeCol = 6) {
        return betting::WriteBrivelFile(name, 3000, g, {stakeCol, 0, 3, 2}, day(), host, context);
    }

    fs::path plugin = dir.path() / "QVX プラグイン";
    testsupport::FakeHost host;
    keiba::TIniGT& ini = context.settings;
};

TEST_F(BetFiles, PluginCsvIsWrittenAndThePluginStartedWithItsPath) {
    PlainTable g = Grid(14, 6, {" 3-12", " 1- 2"});
    g.SetCell(0, 2, betting::EraseMark()); // erased after the stakes: still left out
    notifier.answers = {true};
    EXPECT_EQ(Qvx("UMAFUKU", g), VoteResult::Launched);
    const fs::path file = plugin / "kaime" / "240505.csv";
    EXPECT_EQ(Slurp(file), "20240505,05,11,UMAFUKU,NORMAL,500,03-12,\r\n");
    EXPECT_EQ(notifier.questions,
              std::vector<std::string>{"[東京11R:馬連]に投票します。実行してよろしいですか？"});
    ASSERT_EQ(shell.launched.size(), 1u);
    EXPECT_EQ(shell.launched[0].program, plugin / "QVXTohyoPlugIn2.exe");
    EXPECT_EQ(shell.launched[0].args, std::vector<std::string>{keiba::PathToUtf8(file)});
    EXPECT_EQ(shell.launched[0].workingDir, plugin);
    EXPECT_TRUE(notifier.messages.empty());
}

TEST_F(BetFiles, CombinationsFollowTheCodes) {
    struct Case {
        const char* code;
        int cols, stakeCol;
        const char* key;
        const char* comb;
    };
    const Case cases[] = {{"TAN", 12, 5, " 3", "03"},
                          {"WAKU", 14, 6, " 1- 2", "1-2"},
                          {"SANTAN", 15, 6, " 7- 1-12", "07-01-12"}};
    for (const Case& c : cases) {
        PlainTable g = Grid(c.cols, c.stakeCol, {c.key});
        EXPECT_EQ(betting::QvxCsvBytes(c.code, g, {c.stakeCol, 0, 3, 2}, day().gDayRaces[0]),
                  std::string("20240505,05,11,") + c.code + ",NORMAL,500," + c.comb + ",\r\n");
    }
}

// Every bet type in both files: its code and name, and its key written the file's way.
TEST_F(BetFiles, EveryBetTypeInBothFiles) {
    const struct {
        const char* code;
        const char* name;
        int cols, stakeCol;
        const char* key;
        const char* csv;
        const char* bet;
    } types[] = {
        {"TAN", "単勝", 12, 5, " 3", "03", " 3"},
        {"FUKU", "複勝", 12, 5, "12", "12", "12"},
        {"WAKU", "枠連", 14, 6, " 1- 8", "1-8", "01-08"},
        {"UMAFUKU", "馬連", 14, 6, " 3-12", "03-12", "03-12"},
        {"WIDE", "ワイド", 14, 6, " 2- 9", "02-09", "02-09"},
        {"UMATAN", "馬単", 14, 6, "12- 3", "12-03", "12-03"},
        {"SANFUKU", "３連複", 15, 6, " 1- 5-18", "01-05-18", "01-05-18"},
        {"SANTAN", "３連単", 15, 6, "18- 1- 5", "18-01-05", "18-01-05"},
    };
    for (const auto& t : types) {
        SCOPED_TRACE(t.code);
        const PlainTable g = Grid(t.cols, t.stakeCol, {t.key});
        notifier.questions.clear();
        notifier.answers = {true};
        EXPECT_EQ(Qvx(t.code, g, t.stakeCol), VoteResult::Launched);
        EXPECT_EQ(Slurp(plugin / "kaime" / "240505.csv"),
                  std::string("20240505,05,11,") + t.code + ",NORMAL,500," + t.csv + ",\r\n");
        EXPECT_EQ(notifier.questions,
                  std::vector<std::string>{std::string("[東京11R:") + t.name +
                                           "]に投票します。実行してよろしいですか？"});
        EXPECT_EQ(betting::BrivelBytes(t.name, g, {t.stakeCol, 0, 3, 2}, day().gDayRaces[0]),
                  keiba::Sj(std::string("東京 24年  5月  5日  2回  6日 \r\n11R ") + t.name + " " +
                            t.bet + "    500\r\n"));
    }
}

TEST_F(BetFiles, BetFileHasTheMeetingHeaderAndOneLinePerBet) {
    PlainTable g = Grid(14, 6, {" 3-12", " 7- 8"});
    notifier.answers = {true};
    EXPECT_EQ(Brivel("馬連", g), VoteResult::Written);
    EXPECT_EQ(Slurp(dir.path() / "kaime" / "240505.BET"),
              keiba::Sj("東京 24年  5月  5日  2回  6日 \r\n11R 馬連 03-12    500\r\n"
                        "11R 馬連 07-08    500\r\n"));
    EXPECT_EQ(notifier.questions,
              std::vector<std::string>{"[東京11R:馬連]に投票します。投票ファイルを出力しますか？"});

    PlainTable win = Grid(12, 5, {" 3"});
    EXPECT_EQ(betting::BrivelBytes("単勝", win, {5, 0, 3, 2}, day().gDayRaces[0]),
              keiba::Sj("東京 24年  5月  5日  2回  6日 \r\n11R 単勝  3    500\r\n"));
    PlainTable tri = Grid(15, 6, {" 7- 1-12"});
    EXPECT_EQ(betting::BrivelBytes("３連単", tri, {6, 0, 3, 2}, day().gDayRaces[0]),
              keiba::Sj("東京 24年  5月  5日  2回  6日 \r\n11R ３連単 07-01-12    500\r\n"));
}

// A folder whose name ends in a blank is a folder of its own; a blank value is no folder at all
// and must not send the file to wherever the program was started.
TEST_F(BetFiles, TheBetFileGoesToTheFolderAsChosenBlanksAndAll) {
    PlainTable g = Grid(14, 6, {" 3-12"});
    const fs::path chosen = dir.path() / "bets ";
    fs::create_directories(chosen);
    fs::create_directories(dir.path() / "bets");
    for (const auto& [value, folder] : {std::pair{keiba::PathToUtf8(chosen), chosen},
                                        std::pair{std::string("  "), dir.path() / "kaime"}}) {
        SCOPED_TRACE(value);
        ASSERT_TRUE(ini.WriteString("Dir", "kaime", value));
        notifier.answers = {true};
        EXPECT_EQ(Brivel("馬連", g), VoteResult::Written);
        EXPECT_TRUE(fs::exists(folder / "240505.BET"));
    }
    EXPECT_FALSE(fs::exists(dir.path() / "bets" / "240505.BET"));
}

TEST_F(BetFiles, ChecksStopBeforeAnythingIsAskedOrWritten) {
    PlainTable good = Grid(14, 6, {" 3-12"});
    PlainTable erased = Grid(14, 6, {" 3-12"});
    erased.SetCell(0, 1, betting::EraseMark());
    PlainTable noStake = Grid(14, 6, {" 3-12"});
    noStake.SetCell(6, 1, "");
    struct Case {
        const char* what;
        std::string date;
        int selected;
        const PlainTable* grid;
        std::string message;
    };
    const Case cases[] = {{"no day", "  ", 0, &good, kNoDay},
                          {"no race", "2024年05月05日", -1, &good, kNoRace},
                          {"all erased", "2024年05月05日", 0, &erased, kNoBets},
                          {"no stakes", "2024年05月05日", 0, &noStake, kNoBets}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.date = c.date;
        host.selected = c.selected;
        notifier = {};
        EXPECT_EQ(Qvx("UMAFUKU", *c.grid), VoteResult::Refused);
        EXPECT_EQ(Brivel("馬連", *c.grid), VoteResult::Refused);
        EXPECT_EQ(notifier.messages, (std::vector<std::string>{c.message, c.message}));
        EXPECT_EQ(notifier.beeps, 2);
        EXPECT_TRUE(notifier.questions.empty());
    }
    EXPECT_FALSE(fs::exists(plugin / "kaime" / "240505.csv"));
    EXPECT_FALSE(fs::exists(dir.path() / "kaime" / "240505.BET"));
}

TEST_F(BetFiles, MissingPluginNoAndFailuresAreReported) {
    PlainTable g = Grid(14, 6, {" 3-12"});
    const fs::path file = plugin / "kaime" / "240505.csv";

    ASSERT_TRUE(ini.WriteString("Dir", "QVXTohyo2", " "));
    EXPECT_EQ(Qvx("UMAFUKU", g), VoteResult::Refused);
    EXPECT_EQ(notifier.messages, std::vector<std::string>{kNoPlugin});
    EXPECT_TRUE(notifier.questions.empty());

    ASSERT_TRUE(ini.WriteString("Dir", "QVXTohyo2", keiba::PathToUtf8(plugin)));
    notifier = {};
    EXPECT_EQ(Qvx("UMAFUKU", g), VoteResult::Cancelled); // No
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(shell.launched.empty());

    shell.succeed = false;
    notifier.answers = {true};
    EXPECT_EQ(Qvx("UMAFUKU", g), VoteResult::LaunchFailed);
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(notifier.messages,
              std::vector<std::string>{"投票プラグイン２の呼び出しでエラーが発生しました。\r\n"
                                       "投票プラグイン２が正しくインストールされているか確認して"
                                       "ください。"});

    fs::remove_all(plugin / "kaime"); // the folder is not created: the write fails
    notifier = {};
    notifier.answers = {true};
    shell.launched.clear();
    EXPECT_EQ(Qvx("UMAFUKU", g), VoteResult::WriteFailed);
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_NE(notifier.messages[0].find(keiba::PathToUtf8(file)), std::string::npos);
    EXPECT_TRUE(shell.launched.empty());
}

TEST_F(BetFiles, MarksCsvListsEveryRunnerOfEveryRace) {
    SetRace(3);
    day().gRaceTexts[0].YosoMark[2] = keiba::Sj("◎");
    day().gDayRaces[1].SetField(12, 16, "2024050504020601");
    day().gDayRaces[1].SetField(882, 2, "01");
    day().gDayHorses[1][0].SetField(29, 2, "01");
    host.races = 2;
    const fs::path file = betting::WriteMarksCsv(day(), host, context);
    EXPECT_EQ(file, dir.path() / "CSV" / "Sirusi20240505.csv");
    EXPECT_EQ(Slurp(file), keiba::Sj("202405050402060101,\r\n"
                                     "202405050502061101,\r\n"
                                     "202405050502061102,\r\n"
                                     "202405050502061103,◎\r\n"));
    EXPECT_EQ(notifier.messages, std::vector<std::string>{"以下のCSVファイルを出力しました。\r\n" +
                                                          keiba::PathToUtf8(file) + "\r\n"});

    // A CSV folder that cannot be made says why (here a dangling link takes its name), not
    // that the file's folder is missing.
    fs::remove_all(dir / "CSV");
    fs::create_symlink(dir / "gone", dir / "CSV");
    notifier.messages.clear();
    EXPECT_EQ(betting::WriteMarksCsv(day(), host, context), fs::path());
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_NE(notifier.messages[0].find("同じ名前のファイルがあります"), std::string::npos)
        << notifier.messages[0];

    // A day whose race list is empty: nothing is written, and the user hears why.
    host.races = 0;
    notifier.messages.clear();
    EXPECT_EQ(betting::WriteMarksCsv(day(), host, context), fs::path());
    EXPECT_EQ(notifier.messages, std::vector<std::string>{"ﾃﾞｰﾀが不十分のようです。"});

    host.date.clear();
    EXPECT_EQ(betting::WriteMarksCsv(day(), host, context), fs::path());
}

} // namespace
