#include "keiba/inigt.h"

#include "keiba/sjis.h"
#include "tests/support/tempdir.h"
#include "tests/support/unreadable.h"

#include <gtest/gtest.h>

using keiba::TIniGT;
using testsupport::Slurp;
using testsupport::WriteBytes;

class IniGTTest : public ::testing::Test {
protected:
    void SetUp() override { store.Loaded(); }
    void WriteIni(std::string_view utf8) { WriteBytes(dir / "kestrane.ini", keiba::Sj(utf8)); }

    testsupport::TempDir dir;
    TIniGT store{dir.path(), "kestrane"};
};

TEST_F(IniGTTest, QuotingRuleOfStrings) {
    WriteIni("[Dir]\r\n"
             "q=\"abc\"\r\n"
             "c=｢ abc ｣\r\n"
             "e=\"\"\r\n"
             "ce=｢｣\r\n"
             "open=\"abc\r\n"
             "mixed=｢abc\"\r\n"
             "inner=\"a\"b\"\r\n"
             "plain=  C:/keiba  \r\n"
             "one=\"\r\n");
    EXPECT_EQ(store.ReadString("Dir", "q", "x"), "abc");
    EXPECT_EQ(store.ReadString("Dir", "c", "x"), " abc ");
    EXPECT_EQ(store.ReadString("Dir", "e", "x"), "");
    EXPECT_EQ(store.ReadString("Dir", "ce", "x"), "");
    EXPECT_EQ(store.ReadString("Dir", "open", "x"), "\"abc");
    EXPECT_EQ(store.ReadString("Dir", "mixed", "x"), "｢abc\"");
    EXPECT_EQ(store.ReadString("Dir", "inner", "x"), "a\"b");
    EXPECT_EQ(store.ReadString("Dir", "plain", "x"), "C:/keiba");
    EXPECT_EQ(store.ReadString("Dir", "one", "x"), "\"");
    EXPECT_EQ(store.ReadString("Time", "First", "0930"), "0930");
    EXPECT_EQ(store.ReadString("Time", "First", ""), "");
    // Section and key names are matched without regard to case.
    EXPECT_EQ(store.ReadString("dir", "Q", "x"), "abc");
}

TEST_F(IniGTTest, NumbersAndBooleansFallBackToTheirDefaults) {
    WriteIni("[Time]\r\nAutoOzGet=12abc\r\nAutoRdataGet= 15 \r\n"
             "[datalist]\r\nclose=1\r\nneg=-3\r\nzero=0\r\nword=yes\r\n");
    EXPECT_EQ(store.ReadInteger("Time", "AutoOzGet", 10), 10);
    EXPECT_EQ(store.ReadInteger("Time", "AutoRdataGet", 10), 15);
    EXPECT_EQ(store.ReadInteger("Time", "Missing", 37), 37);
    EXPECT_TRUE(store.ReadBool("datalist", "close", false));
    EXPECT_TRUE(store.ReadBool("datalist", "neg", false));
    EXPECT_FALSE(store.ReadBool("datalist", "zero", true));
    EXPECT_TRUE(store.ReadBool("datalist", "word", true));
}

TEST_F(IniGTTest, ACommentLineIsNotAKey) {
    WriteIni("[Time]\r\n;First=0800\r\n  ; Last = 1700\r\nFirst=0930\r\n");
    EXPECT_EQ(store.ReadString("Time", ";First", "none"), "none");
    EXPECT_EQ(store.ReadString("Time", "; Last", "none"), "none");
    EXPECT_EQ(store.ReadString("Time", "First", ""), "0930");
}

TEST_F(IniGTTest, MissingFileReadsDefaultsAndTheFirstWriteCreatesIt) {
    EXPECT_EQ(store.ReadInteger("KaimeSet", "DefaultAmount", 3000), 3000);
    ASSERT_TRUE(store.WriteInteger("KaimeSet", "DefaultAmount", 500));
    EXPECT_EQ(Slurp(dir / "kestrane.ini"), "[KaimeSet]\r\nDefaultAmount=500\r\n");
}

TEST_F(IniGTTest, AWriteIsSeenAtOnceThroughAnotherStore) {
    TIniGT second{dir.path(), "kestrane"};
    second.Loaded();
    ASSERT_TRUE(store.WriteString("Myfavo", "nerai1", "本命狙い"));
    EXPECT_EQ(second.ReadString("Myfavo", "nerai1", ""), "本命狙い");
    ASSERT_TRUE(second.WriteBool("alarm", "mail", true));
    EXPECT_TRUE(store.ReadBool("alarm", "mail", false));
    // The file itself is CP932.
    EXPECT_NE(Slurp(dir / "kestrane.ini").find(keiba::Sj("本命狙い")), std::string::npos);
}

TEST_F(IniGTTest, AWriteKeepsOtherSectionsKeyOrderAndStrayLines) {
    WriteIni("; comment\r\n[locate]\r\ntop=1\r\nleft=2\r\ngarbage line\r\n\r\n"
             "[Time]\r\nFirst=0930\r\n");
    ASSERT_TRUE(store.WriteInteger("locate", "left", 20));
    ASSERT_TRUE(store.WriteInteger("locate", "width", 900));
    ASSERT_TRUE(store.WriteString("Dir", "kaime", "/home/u/kaime"));
    EXPECT_EQ(Slurp(dir / "kestrane.ini"),
              keiba::Sj("; comment\r\n[locate]\r\ntop=1\r\nleft=20\r\ngarbage line\r\nwidth=900\r\n"
                        "\r\n[Time]\r\nFirst=0930\r\n\r\n[Dir]\r\nkaime=/home/u/kaime\r\n"));
}

TEST_F(IniGTTest, RefusedWritesChangeNothing) {
    WriteIni("[Dir]\r\nkaime=a\r\n");
    EXPECT_FALSE(store.WriteString("Dir", "kaime", "two\r\nlines").ok);
    EXPECT_FALSE(store.WriteString("Dir", "kaime", "emoji 😀").ok);
    // It would come back as ～ and name another folder.
    EXPECT_FALSE(store.WriteString("Dir", "kaime", "/home/u/競馬〜データ").ok);
    // Written, they would be read as another section or key.
    EXPECT_FALSE(store.WriteString("Dir]x", "kaime", "b").ok);
    EXPECT_FALSE(store.WriteString("Dir", "kaime=x", "b").ok);
    EXPECT_EQ(Slurp(dir / "kestrane.ini"), "[Dir]\r\nkaime=a\r\n");
}

TEST_F(IniGTTest, UnreadableOrUnwritableFilesAreReportedNotCrashed) {
    // Root can write anywhere, so these cases use paths no one can write: a folder standing
    // where the file should be, and a file standing where its folder should be.
    std::filesystem::create_directory(dir / "kestrane.ini");
    EXPECT_EQ(store.ReadInteger("locate", "top", 10), 10);
    EXPECT_FALSE(store.WriteInteger("locate", "top", 5).ok);

    WriteBytes(dir / "plainfile", "x");
    TIniGT blocked;
    blocked.SetFileName((dir / "plainfile" / "kestrane.ini").string());
    keiba::IoResult r = blocked.WriteString("Dir", "kaime", "b");
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.message.empty());
    EXPECT_EQ(Slurp(dir / "plainfile"), "x");
}

TEST_F(IniGTTest, ACrashBetweenWritingAndRenamingLeavesTheOldFile) {
    WriteIni("[Dir]\r\nkaime=a\r\n");
    keiba::SetBeforeRenameHookForTest([](const std::filesystem::path&) { return false; });
    EXPECT_FALSE(store.WriteString("Dir", "kaime", "b").ok);
    keiba::SetBeforeRenameHookForTest(nullptr);
    EXPECT_EQ(store.ReadString("Dir", "kaime", ""), "a");
}

// An editor that saves with a byte-order mark must not hide the first section: the import
// would take a missing LastTime for a first set-up and append a second [JvDataGet].
TEST_F(IniGTTest, AFileSavedAsUtf8WithItsMarkIsReadAndWrittenAsUtf8) {
    const std::string mark = "\xEF\xBB\xBF";
    WriteBytes(
        dir / "kestrane.ini",
        mark + "[JvDataGet]\r\nLastTime=2026/11/29 18:00:00\r\n[Dir]\r\nkaime=/home/u/馬券\r\n");
    EXPECT_EQ(store.ReadString("JvDataGet", "LastTime", ""), "2026/11/29 18:00:00");
    EXPECT_EQ(store.ReadString("Dir", "kaime", ""), "/home/u/馬券");
    ASSERT_TRUE(store.WriteString("JvDataGet", "LastTime", "2026/12/05 18:00:00"));
    ASSERT_TRUE(store.WriteString("Dir", "jikeiretu", "/home/u/時系列"));
    EXPECT_EQ(Slurp(dir / "kestrane.ini"),
              mark +
                  "[JvDataGet]\r\nLastTime=2026/12/05 18:00:00\r\n[Dir]\r\nkaime=/home/u/馬券\r\n"
                  "jikeiretu=/home/u/時系列\r\n");
}

// A UTF-16 file is read, but a write would leave it half in another encoding: it is refused
// with a message, and the file stays as it was.
TEST_F(IniGTTest, AUtf16FileIsReadButNeverWrittenOver) {
    auto utf16le = [](std::string_view ascii, bool mark) {
        std::string out = mark ? "\xFF\xFE" : "";
        for (char c : ascii) out += std::string{c, '\0'};
        return out;
    };
    for (bool mark : {true, false}) {
        const std::string bytes =
            utf16le("[JvDataGet]\r\nLastTime=2026/11/29 18:00:00\r\n[locate]\r\ntop=40\r\n", mark);
        WriteBytes(dir / "kestrane.ini", bytes);
        EXPECT_EQ(store.ReadString("JvDataGet", "LastTime", ""), "2026/11/29 18:00:00");
        EXPECT_EQ(store.ReadInteger("locate", "top", 10), 40);
        EXPECT_TRUE(store.WriteInteger("locate", "top", 40).ok); // nothing to change
        const keiba::IoResult r = store.WriteInteger("locate", "top", 50);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message, (dir / "kestrane.ini").string() +
                                 " はUTF-16で保存されているため、設定を書き込めません。"
                                 "Shift-JISかUTF-8で保存し直してください。");
        EXPECT_EQ(Slurp(dir / "kestrane.ini"), bytes);
    }
}

// A file saved with CR line ends keeps them: a line put in ends so too.
TEST_F(IniGTTest, LinesEndedByALoneCrAreLinesOfTheirOwn) {
    WriteBytes(dir / "kestrane.ini", "[Time]\rFirst=0800\r[locate]\rtop=40\r");
    EXPECT_EQ(store.ReadString("Time", "First", ""), "0800");
    EXPECT_EQ(store.ReadInteger("locate", "top", 10), 40);
    ASSERT_TRUE(store.WriteInteger("locate", "left", 5));
    EXPECT_EQ(Slurp(dir / "kestrane.ini"), "[Time]\rFirst=0800\r[locate]\rtop=40\rleft=5\r");
    EXPECT_EQ(store.ReadInteger("locate", "left", 0), 5);
}

// A program folder on a read-only disk shows its data; only a setting that changes is written.
TEST_F(IniGTTest, AWriteThatChangesNothingLeavesTheFileAlone) {
    WriteIni("[Myfavo]\r\nnerai1=本命\r\n[locate]\r\ntop=40\r\nleft=5\r\n");
    const std::uint64_t writes = keiba::WriteCount(dir / "kestrane.ini");
    EXPECT_TRUE(store.WriteString("Myfavo", "nerai1", "本命"));
    EXPECT_TRUE(store.WriteStrings("locate", {{"top", "40"}, {"left", "5"}}));
    EXPECT_EQ(keiba::WriteCount(dir / "kestrane.ini"), writes);
    EXPECT_TRUE(store.WriteStrings("locate", {{"top", "40"}, {"left", "6"}}));
    EXPECT_EQ(keiba::WriteCount(dir / "kestrane.ini"), writes + 1);
    EXPECT_EQ(store.ReadInteger("locate", "left", 0), 6);
}

// A folder picked whose name ends in a blank must name that folder after a restart (the store
// reads its file at every read); files written earlier read as they did (QuotingRuleOfStrings).
TEST_F(IniGTTest, AValueWithBlanksAtItsEndsComesBackAfterARestart) {
    for (const std::string v : {" /home/u/bets", "\tx\t", " ", "\"q\" ", "/home/u/bets "}) {
        ASSERT_TRUE(store.WriteString("Dir", "jikeiretu", v));
        EXPECT_EQ(store.ReadString("Dir", "jikeiretu", "unset"), v);
    }
    EXPECT_EQ(Slurp(dir / "kestrane.ini"), "[Dir]\r\njikeiretu=\"/home/u/bets \"\r\n");
}

// Names are written in CP932 and must be looked up so; ア (83 41) and ヂ (83 61) differ only in
// a byte that is an ASCII letter's.
TEST_F(IniGTTest, NamesThatAreNotAsciiAreFoundAgain) {
    ASSERT_TRUE(store.WriteString("表", "ﾃ", "1"));
    ASSERT_TRUE(store.WriteString("表", "ア", "a"));
    ASSERT_TRUE(store.WriteString("表", "ヂ", "b"));
    EXPECT_EQ(store.ReadInteger("表", "ﾃ", 0), 1);
    EXPECT_EQ(store.ReadString("表", "ア", "") + store.ReadString("表", "ヂ", ""), "ab");
    EXPECT_EQ(Slurp(dir / "kestrane.ini"), keiba::Sj("[表]\r\nﾃ=1\r\nア=a\r\nヂ=b\r\n"));
}

// A file that is there but cannot be read is not a missing one: a write would replace it with
// one setting, so it is refused with the cause (which the read also logs).
TEST_F(IniGTTest, AFileThatCannotBeReadIsSaidWithItsCauseAndKept) {
    WriteIni("[Dir]\r\nkaime=a\r\n");
    {
        const testsupport::UnreadableFile unreadable(dir / "kestrane.ini");
        const std::string told =
            (dir / "kestrane.ini").string() + " を読み込めません（読み込む権限がありません）。";
        EXPECT_EQ(store.ReadString("Dir", "kaime", "default"), "default");
        EXPECT_EQ(store.WriteString("Dir", "kaime", "b").message, told);
    }
    EXPECT_EQ(Slurp(dir / "kestrane.ini"), "[Dir]\r\nkaime=a\r\n");
}
