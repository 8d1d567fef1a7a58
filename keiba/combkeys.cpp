#include "keiba/combkeys.h"

#include "keiba/sjis.h"

#include <algorithm>
#include <vector>

namespace keiba {
namespace {

constexpr int N = kCombRunners;

bool InRange(int n) {
    return n >= 1 && n <= N;
}

// One "%2d" number of a key: " 1".." 9" or "10".."18". A leading zero or a missing blank is not
// a key number.
int KeyNumber(std::string_view two) {
    if (two.size() != 2) return 0;
    char hi = two[0], lo = two[1];
    if (lo < '0' || lo > '9') return 0;
    if (hi == ' ') return lo == '0' ? 0 : lo - '0';
    if (hi < '1' || hi > '9') return 0;
    int n = (hi - '0') * 10 + (lo - '0');
    return InRange(n) ? n : 0;
}

bool ParsePair(std::string_view key, int& a, int& b) {
    if (key.size() != 5 || key[2] != '-') return false;
    a = KeyNumber(key.substr(0, 2));
    b = KeyNumber(key.substr(3, 2));
    return a != 0 && b != 0;
}

bool ParseTriple(std::string_view key, int& a, int& b, int& c) {
    if (key.size() != 8 || key[2] != '-' || key[5] != '-') return false;
    a = KeyNumber(key.substr(0, 2));
    b = KeyNumber(key.substr(3, 2));
    c = KeyNumber(key.substr(6, 2));
    return a != 0 && b != 0 && c != 0;
}

// Keys of a family by index (element 0 empty).
template <typename Index> std::vector<std::string> BuildKeys(int count, Index index, bool triple) {
    std::vector<std::string> v(static_cast<std::size_t>(count + 1));
    for (int a = 1; a <= N; ++a)
        for (int b = 1; b <= N; ++b) {
            if (!triple) {
                int k = index(a, b, 0);
                if (k > 0) v[static_cast<std::size_t>(k)] = PairKey(a, b);
                continue;
            }
            for (int c = 1; c <= N; ++c) {
                int k = index(a, b, c);
                if (k > 0) v[static_cast<std::size_t>(k)] = TripleKey(a, b, c);
            }
        }
    return v;
}

const std::string& KeyAt(const std::vector<std::string>& keys, int index) {
    static const std::string none;
    if (index < 1 || index >= static_cast<int>(keys.size())) return none;
    return keys[static_cast<std::size_t>(index)];
}

} // namespace

int CombIndexQuinella(std::string_view key) {
    int a = 0, b = 0;
    return ParsePair(key, a, b) ? QuinellaIndex(a, b) : 0;
}

int CombIndexExacta(std::string_view key) {
    int a = 0, b = 0;
    return ParsePair(key, a, b) ? ExactaIndex(a, b) : 0;
}

int CombIndexTrio(std::string_view key) {
    int a = 0, b = 0, c = 0;
    return ParseTriple(key, a, b, c) ? TrioIndex(a, b, c) : 0;
}

int SanrentanIndexLow(std::string_view key) {
    int a = 0, b = 0, c = 0;
    if (!ParseTriple(key, a, b, c) || a > 9) return 0;
    return TrifectaIndex(a, b, c);
}

int SanrentanIndexHigh(std::string_view key) {
    int a = 0, b = 0, c = 0;
    if (!ParseTriple(key, a, b, c) || a < 10) return 0;
    return TrifectaIndex(a, b, c);
}

int CombIndexTrifecta(std::string_view key) {
    std::string_view head = key.substr(0, std::min<std::size_t>(key.size(), 8));
    return DigitValue(key.substr(0, std::min<std::size_t>(key.size(), 2))) > 9
               ? SanrentanIndexHigh(head)
               : SanrentanIndexLow(head);
}

std::string PairKey(int a, int b) {
    return FormatInt(a, 2) + "-" + FormatInt(b, 2);
}

std::string TripleKey(int a, int b, int c) {
    return FormatInt(a, 2) + "-" + FormatInt(b, 2) + "-" + FormatInt(c, 2);
}

const std::string& QuinellaKeyOf(int index) {
    static const auto keys = BuildKeys(
        153, [](int a, int b, int) { return QuinellaIndex(a, b); }, false);
    return KeyAt(keys, index);
}

const std::string& ExactaKeyOf(int index) {
    static const auto keys = BuildKeys(
        306, [](int a, int b, int) { return ExactaIndex(a, b); }, false);
    return KeyAt(keys, index);
}

const std::string& TrioKeyOf(int index) {
    static const auto keys = BuildKeys(816, TrioIndex, true);
    return KeyAt(keys, index);
}

const std::string& TrifectaKeyOf(int index) {
    static const auto keys = BuildKeys(4896, TrifectaIndex, true);
    return KeyAt(keys, index);
}

} // namespace keiba
