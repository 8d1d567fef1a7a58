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

// Keys from numbers (no check) and from indexes (empty outside the family's range).
std::string PairKey(int a, int b);
std::string TripleKey(int a, int b, int c);
std::string QuinellaKeyOf(int index);
std::string ExactaKeyOf(int index);
std::string TrioKeyOf(int index);
std::string TrifectaKeyOf(int index);

// Indexes from numbers 1..18 in the order written; 0 when they do not form a key.
int QuinellaIndex(int a, int b);
int ExactaIndex(int a, int b);
int TrioIndex(int a, int b, int c);
int TrifectaIndex(int a, int b, int c);

} // namespace keiba
