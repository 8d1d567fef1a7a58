#pragma once
// Combination keys of the multi-runner bet types and their index families.
//
// A key is runner numbers formatted "%2d" and joined by "-": " 3-12" (5 characters) for a
// pair, " 7- 1-12" (8) for a triple. Unordered types write ascending numbers; ordered types
// write finishing order. The index of a key is its 1-based place among all keys of its family
// in numeric (equally: byte) order, and addresses the odds arrays of the race calculation.
// Every function answers 0 for a text that is not a key of its family.

#include <string>
#include <string_view>

namespace keiba {

inline constexpr int kCombRunners = 18;

int CombIndexQuinella(std::string_view key); // pairs a < b: 1..153 (quinella and wide)
int CombIndexExacta(std::string_view key);   // pairs a != b: 1..306
int CombIndexTrio(std::string_view key);     // triples a < b < c: 1..816
// Triples of three different numbers: 1..4896. Only the first 8 characters are read.
int CombIndexTrifecta(std::string_view key);
// The two halves of the trifecta family: first number 1..9 (1..2448), 10..18 (2449..4896).
int SanrentanIndexLow(std::string_view key);
int SanrentanIndexHigh(std::string_view key);

// Keys from numbers (no check) and from indexes (empty outside the family's range; the texts
// of a table that lives for the run).
std::string PairKey(int a, int b);
std::string TripleKey(int a, int b, int c);
const std::string& QuinellaKeyOf(int index);
const std::string& ExactaKeyOf(int index);
const std::string& TrioKeyOf(int index);
const std::string& TrifectaKeyOf(int index);

// Indexes from numbers 1..18 in the order written; 0 when they do not form a key. Inline: the
// bet builder asks for every ordering of every triple of its marks.
constexpr bool IsCombRunner(int n) {
    return n >= 1 && n <= kCombRunners;
}

constexpr int QuinellaIndex(int a, int b) {
    if (!IsCombRunner(a) || !IsCombRunner(b) || a >= b) return 0;
    return (a - 1) * kCombRunners - (a - 1) * a / 2 + (b - a);
}

constexpr int ExactaIndex(int a, int b) {
    if (!IsCombRunner(a) || !IsCombRunner(b) || a == b) return 0;
    return (a - 1) * (kCombRunners - 1) + (b < a ? b : b - 1);
}

constexpr int TrioIndex(int a, int b, int c) {
    if (!IsCombRunner(a) || !IsCombRunner(b) || !IsCombRunner(c) || !(a < b && b < c)) return 0;
    auto choose2 = [](int n) { return n < 2 ? 0 : n * (n - 1) / 2; };
    auto choose3 = [](int n) { return n < 3 ? 0 : n * (n - 1) * (n - 2) / 6; };
    return 816 - choose3(19 - a) + choose2(18 - a) - choose2(19 - b) + (c - b);
}

constexpr int TrifectaIndex(int a, int b, int c) {
    if (!IsCombRunner(a) || !IsCombRunner(b) || !IsCombRunner(c) || a == b || a == c || b == c)
        return 0;
    const int bRank = b - 1 - (a < b ? 1 : 0);               // 0-based among 1..18 without a
    const int cRank = c - (a < c ? 1 : 0) - (b < c ? 1 : 0); // 1-based among 1..18 without a, b
    return (a - 1) * (kCombRunners - 1) * (kCombRunners - 2) + bRank * (kCombRunners - 2) + cRank;
}

} // namespace keiba
