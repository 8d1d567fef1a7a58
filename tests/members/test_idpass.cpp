// The ID and password rules and their place in the settings file.

#include "keiba/context.h"
#include "members/idpass.h"
#include "tests/support/fakes.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

using namespace members;
using namespace testsupport;

namespace {

const char kSevenFirst[] = "恐れ入りますがパスワードの先頭文字に「7」は使用できません。\r\n"
                           "ルミナードWEBサイトでパスワードを変更してください。";
const char kSevenLast[] = "恐れ入りますがパスワードの末尾文字に「7」は使用できません。\r\n"
                          "ルミナードWEBサイトでパスワードを変更してください。";
const char kTooShort[] = "IDまたはパスワードが短すぎます。";

class IdPass : public ::testing::Test {
protected:
    bool Save(std::string_view id, std::string_view pass) {
        return SaveCredentials(Ini(), id, pass, notifier);
    }
    keiba::TIniGT& Ini() { return context.settings; }
    bool IniWritten() const { return std::filesystem::exists(dir / "kestrane.ini"); }

    TempDir dir;
    RecordingNotifier notifier;
    TestClock clock;
    RecordingShell shell;
    keiba::ProgramContext context{dir.path(), notifier, clock, shell};
};

} // namespace

TEST(PasswordMask, UndoesItselfOnEveryByteButNul) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        std::string one(1, static_cast<char>(b));
        EXPECT_EQ(UnscramblePassword(UnscramblePassword(one)), one) << b;
        all += one;
    }
    EXPECT_EQ(UnscramblePassword(UnscramblePassword(all)), all);
    EXPECT_EQ(UnscramblePassword(std::string("ab\0cd", 5)), UnscramblePassword("ab"));
}

TEST(PasswordMask, TypedCharactersStayStorable) {
    for (char c : std::string("0123456789abcdefghijklmnopqrstuvwxyz")) {
        std::string masked = UnscramblePassword(std::string(1, c));
        ASSERT_EQ(masked.size(), 1u);
        auto m = static_cast<unsigned char>(masked[0]);
        EXPECT_NE(m, static_cast<unsigned char>(c)) << c; // not the plain text
        EXPECT_TRUE(m > ' ' && m < 0x7F) << c;
        EXPECT_EQ(std::string("\"';=").find(static_cast<char>(m)), std::string::npos) << c;
    }
}

TEST(KeyFilters, IdTakesMoreThanThePassword) {
    for (char32_t c : std::u32string_view(U"09az_~+-\r\b"))
        EXPECT_TRUE(IdKeyAllowed(c)) << static_cast<int>(c);
    for (char32_t c : std::u32string_view(U"AZ .@/*\"ア７"))
        EXPECT_FALSE(IdKeyAllowed(c)) << static_cast<int>(c);
    for (char32_t c : std::u32string_view(U"09az\r\b"))
        EXPECT_TRUE(PassKeyAllowed(c)) << static_cast<int>(c);
    for (char32_t c : std::u32string_view(U"AZ_~+- ア"))
        EXPECT_FALSE(PassKeyAllowed(c)) << static_cast<int>(c);
}

TEST_F(IdPass, RefusalsStoreNothing) {
    struct Case {
        const char *id, *pass, *message;
    } cases[] = {
        {"abc", "abcd", kTooShort},  {"abcd", "abc", kTooShort},    {"abc", "7bc7", kTooShort},
        {" ab ", "abcd", kTooShort}, {"abcd", "7abc", kSevenFirst}, {"abcd", "abc7", kSevenLast},
        {"abcd", "7", kTooShort},    {"aア", "abcd", kTooShort}, // three Shift-JIS bytes
    };
    for (const Case& c : cases) {
        notifier.messages.clear();
        notifier.beeps = 0;
        EXPECT_FALSE(Save(c.id, c.pass)) << c.id << "/" << c.pass;
        EXPECT_EQ(notifier.messages, std::vector<std::string>{c.message}) << c.id << "/" << c.pass;
        EXPECT_EQ(notifier.beeps, 1);
    }
    EXPECT_FALSE(IniWritten());
}

TEST_F(IdPass, SavedMaskedAndReadBack) {
    ASSERT_TRUE(Save("  abcd\t", " pass1 "));
    EXPECT_EQ(notifier.messages, std::vector<std::string>{"ID[abcd]にて登録されました。"});
    EXPECT_EQ(notifier.beeps, 1);
    std::string file = Slurp(dir / "kestrane.ini");
    EXPECT_EQ(file.find("[Lisence]\r\nID=abcd\r\npass="), 0u) << file;
    EXPECT_EQ(file.find("pass1"), std::string::npos) << file;
    Credentials back = ReadCredentials(Ini());
    EXPECT_EQ(back.id, "abcd");
    EXPECT_EQ(back.password, "pass1");

    // A seven inside is the site's own business; eight characters are the most the edits take.
    ASSERT_TRUE(Save("abcd", "a7bc"));
    EXPECT_EQ(ReadCredentials(Ini()).password, "a7bc");
    ASSERT_TRUE(Save("a_~+-z09", "a7bc7d0z"));
    back = ReadCredentials(Ini());
    EXPECT_EQ(back.id, "a_~+-z09");
    EXPECT_EQ(back.password, "a7bc7d0z");

    // The site counts Shift-JIS bytes: two full-width characters are four.
    ASSERT_TRUE(Save("アイ", "abcd"));
    EXPECT_EQ(ReadCredentials(Ini()).id, "アイ");
}

TEST_F(IdPass, PastedPasswordTheStoreWouldBreakIsRefused) {
    ASSERT_TRUE(Save("abcd", "pass1"));
    notifier.messages.clear();
    // ":" masks to ";" and "!" to a blank.
    for (const char* pass : {"ab:cd", "ab!cd",
                             "ab\x7E"
                             "cd"}) {
        EXPECT_FALSE(Save("wxyz", pass)) << pass;
        EXPECT_EQ(notifier.messages.back(), "パスワードに使用できない文字が含まれています。");
    }
    Credentials back = ReadCredentials(Ini());
    EXPECT_EQ(back.id, "abcd");
    EXPECT_EQ(back.password, "pass1");
}
