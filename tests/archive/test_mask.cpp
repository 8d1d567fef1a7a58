// File masks: the match rules and the refusal of bad masks.

#include "archive/mask.h"
#include "keiba/sjis.h"

#include <gtest/gtest.h>

#include <string>

using namespace archive;

struct MaskCase {
    const char* mask;
    const char* name;
    bool matches;
};

TEST(FileMasks, MatchTable) {
    const MaskCase cases[] = {
        {"*.CSV", "rcom20240105.csv", true},
        {"*.csv", "RCOM20240101.CSV", true},
        {"*.csv", "readme.txt", false},
        {"[!a-c]*", "Boo", false},
        {"[!a-c]*", "Doo", true},
        {"*.", "README", true},
        {"*.", "a.txt", false},
        {"*?", "", true},
        {"*?", "abc", true},
        {"[c-a]*", "Cat", true},
        {"[c-a]*", "apple", false},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"*a*b*c", "xxaxxbxxc", true},
        {"*a*b*c", "xxaxxcxxb", false},
        {"XQ*.vzkd", "xq20240101.VZKD", true},
        {"rcom.", "rcom", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << c.mask << " " << c.name;
}

// A set holds its characters upper-cased, and a range x-y everything from x to y, so letters match
// in either case; a reversed range holds its first character only, and double-byte characters in
// a set are passed over. Each set is tried at both ends of its ranges, inside and just outside,
// plain and negated.
TEST(FileMasks, SetsPlainAndNegatedAtBothEndsOfTheirRanges) {
    struct SetCase {
        std::string set;
        const char* in;
        const char* out;
    };
    const SetCase cases[] = {
        {"a-c", "aAbBcC", "`@dD"},
        {"C-E", "cCdDeE", "bBfF"},
        {"0-9", "059", "/:"},
        {"0-2a-b", "012aAbB", "3/`cC"},
        {"x", "xX", "wWyY"},
        {"ace", "aAcCeE", "bBdD"},
        {"a!", "a!", "b#"},
        {"c-a", "cC", "aAbB"},
        {"_-z", "_", "`aAzZ"}, // z is Z, below "_": reversed
        {keiba::Sj("ア1"), "1", "0aA"},
    };
    for (const auto& c : cases) {
        for (bool negated : {false, true}) {
            std::string mask = "[" + std::string(negated ? "!" : "") + c.set + "]";
            for (const char* p = c.in; *p; ++p)
                EXPECT_EQ(MatchesMask(std::string(1, *p), mask), !negated) << mask << " " << *p;
            for (const char* p = c.out; *p; ++p)
                EXPECT_EQ(MatchesMask(std::string(1, *p), mask), negated) << mask << " " << *p;
        }
    }
}

TEST(FileMasks, DoubleByteCharactersCompareExactly) {
    std::string mask = keiba::Sj("予想*.csv");
    EXPECT_TRUE(MatchesMask(keiba::Sj("予想0105.CSV"), mask));
    EXPECT_FALSE(MatchesMask(keiba::Sj("予定0105.csv"), mask));
}

// Names are matched by characters: the second byte of ヂ (83 61) is no "a", that of 表 (95 5C)
// no "\", and "?" takes a whole character.
TEST(FileMasks, TrailBytesAreNoCharactersOfTheirOwn) {
    EXPECT_FALSE(MatchesMask(keiba::Sj("ヂ.txt"), "*a*"));
    EXPECT_TRUE(MatchesMask(keiba::Sj("ヂa.txt"), "*a*"));
    EXPECT_FALSE(MatchesMask(keiba::Sj("表.csv"), "*\\*"));
    EXPECT_TRUE(MatchesMask(keiba::Sj("馬.csv"), "?.csv"));
    EXPECT_FALSE(MatchesMask(keiba::Sj("馬.csv"), "??.csv"));
    EXPECT_FALSE(MatchesMask(keiba::Sj("馬.csv"), "[!a]?.csv"));
    EXPECT_TRUE(MatchesMask(keiba::Sj("馬x.csv"), "[!a]?.csv"));
}

TEST(FileMasks, BadMasksAreRefusedWithTheirPosition) {
    try {
        TInternalMask m("[]");
        FAIL() << "accepted";
    } catch (const EMaskError& e) {
        EXPECT_EQ(std::string(e.what()), "'[]' is an invalid mask at (2)");
    }
    int at = 0;
    EXPECT_FALSE(TInternalMask::TryCreate("[abc", &at));
    EXPECT_EQ(at, 5);
    EXPECT_FALSE(TInternalMask::TryCreate("[-a]", &at));
    std::string stars30, stars31;
    for (int i = 0; i < 30; ++i) stars30 += "*a";
    stars31 = stars30 + "*a";
    EXPECT_TRUE(TInternalMask::TryCreate(stars30));
    EXPECT_FALSE(TInternalMask::TryCreate(stars31, &at));
    EXPECT_FALSE(MatchesMask("anything", stars31));
}
