#include "keiba/combkeys.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

namespace {

using keiba::PairKey;
using keiba::TripleKey;

struct Family {
    const char* name;
    int count;
    std::function<int(std::string_view)> index;
    std::function<std::string(int)> keyOf;
    bool triple;
    std::function<bool(int, int, int)> isKey;
};

const Family kFamilies[] = {
    {"quinella", 153, keiba::CombIndexQuinella, keiba::QuinellaKeyOf, false,
     [](int a, int b, int) { return a < b; }},
    {"exacta", 306, keiba::CombIndexExacta, keiba::ExactaKeyOf, false,
     [](int a, int b, int) { return a != b; }},
    {"trio", 816, keiba::CombIndexTrio, keiba::TrioKeyOf, true,
     [](int a, int b, int c) { return a < b && b < c; }},
    {"trifecta", 4896, keiba::CombIndexTrifecta, keiba::TrifectaKeyOf, true,
     [](int a, int b, int c) { return a != b && a != c && b != c; }},
};

// Every combination of the numbers 0..19 in key form: the keys of a family map one to one onto
// 1..count in key order, and every other text gives 0.
TEST(CombKeys, EachFamilyIsABijectionInKeyOrder) {
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        std::set<int> seen;
        std::string previous;
        int last = 0;
        for (int a = 0; a <= 19; ++a)
            for (int b = 0; b <= 19; ++b)
                for (int c = f.triple ? 0 : -1; c <= (f.triple ? 19 : -1); ++c) {
                    std::string key = f.triple ? TripleKey(a, b, c) : PairKey(a, b);
                    bool valid = a >= 1 && a <= 18 && b >= 1 && b <= 18 &&
                                 (!f.triple || (c >= 1 && c <= 18)) && f.isKey(a, b, c);
                    int k = f.index(key);
                    if (!valid) {
                        EXPECT_EQ(k, 0) << key;
                        continue;
                    }
                    EXPECT_GT(k, last) << key; // numbers ascend, so indexes do
                    last = k;
                    EXPECT_TRUE(seen.insert(k).second) << key;
                    EXPECT_EQ(f.keyOf(k), key);
                    EXPECT_LT(previous, key); // index order is the keys' byte order
                    previous = key;
                }
        EXPECT_EQ(static_cast<int>(seen.size()), f.count);
        EXPECT_EQ(*seen.begin(), 1);
        EXPECT_EQ(*seen.rbegin(), f.count);
        EXPECT_EQ(f.keyOf(0), "");
        EXPECT_EQ(f.keyOf(f.count + 1), "");
    }
}

TEST(CombKeys, KnownIndexes) {
    EXPECT_EQ(keiba::CombIndexQuinella(" 3-12"), 42);
    EXPECT_EQ(keiba::CombIndexExacta("12- 3"), 190);
    EXPECT_EQ(keiba::CombIndexTrio(" 3- 7-12"), 300);
    EXPECT_EQ(keiba::CombIndexTrifecta(" 7- 1-12"), 1642);
    EXPECT_EQ(keiba::CombIndexTrifecta("10- 1- 2"), 2449);
    EXPECT_EQ(keiba::CombIndexTrifecta(" 9-18-17"), 2448);
    EXPECT_EQ(keiba::SanrentanIndexLow("10- 1- 2"), 0);
    EXPECT_EQ(keiba::SanrentanIndexHigh(" 9-18-17"), 0);
}

TEST(CombKeys, MalformedKeysGiveZeroEverywhere) {
    const char* pairs[] = {" 1- 1",  "01-02", " 1-19",  "",     "1- 2",
                           " 1- 2 ", " 0- 2", " 1 - 2", " 1+ 2"};
    const char* triples[] = {" 1- 1- 2", "01-02-03", " 1- 2-19", "",
                             "1- 2- 3",  " 1- 2- 0", " 1- 2 -3"};
    for (const char* k : pairs) {
        EXPECT_EQ(keiba::CombIndexQuinella(k), 0) << k;
        EXPECT_EQ(keiba::CombIndexExacta(k), 0) << k;
    }
    for (const char* k : triples) {
        EXPECT_EQ(keiba::CombIndexTrio(k), 0) << k;
        EXPECT_EQ(keiba::CombIndexTrifecta(k), 0) << k;
    }
}

TEST(CombKeys, TrifectaReadsOnlyItsFirstEightCharacters) {
    EXPECT_EQ(keiba::CombIndexTrifecta(" 1- 2- 3xyz"), 1);
    EXPECT_EQ(keiba::CombIndexTrio(" 1- 2- 3xyz"), 0);
    EXPECT_EQ(keiba::CombIndexTrifecta("18-17-16-"), 4896);
}

} // namespace
