#include "keiba/markconv.h"

#include "keiba/sjis.h"

#include <array>
#include <cstddef>

namespace keiba {
namespace {

template <std::size_t N> using Texts = std::array<std::string, N>;

// The literals are UTF-8 for reading; each table is converted to CP932 once, on first use.
template <std::size_t N> Texts<N> ToCp932(const std::array<std::string_view, N>& utf8) {
    Texts<N> out;
    for (std::size_t i = 0; i < N; ++i) out[i] = Sj(utf8[i]);
    return out;
}

const Texts<7>& RLevels() {
    static const Texts<7> t = ToCp932<7>({"低★", "低－", "低＋", "普通", "高－", "高＋", "高★"});
    return t;
}

const Texts<6>& YosoMarks() {
    static const Texts<6> t = ToCp932<6>({"◎", "○", "▲", "△", "×", "×"});
    return t;
}

const Texts<4>& Zogens() {
    static const Texts<4> t = ToCp932<4>({"同休減", "降休減", "同続増", "昇続増"});
    return t;
}

// Aptitudes 1..3, then the text of any other code.
const Texts<4>& Aptitudes() {
    static const Texts<4> t = ToCp932<4>({"高巧者", "低巧者", "自在　", "　　　"});
    return t;
}

// Circle, star, up arrow, danger.
const Texts<4>& FlagMarks() {
    static const Texts<4> t = ToCp932<4>({"○", "★", "↑", "危"});
    return t;
}

// Code `code` (1-based) of a table, or `other` outside it.
template <std::size_t N>
std::string Lookup(const Texts<N>& table, int code, std::string_view other = {}) {
    if (code < 1 || code > static_cast<int>(N)) return std::string(other);
    return table[static_cast<std::size_t>(code - 1)];
}

// 1-based position of the first entry equal to `text`, or 0.
template <std::size_t N> int IndexOf(const Texts<N>& table, std::string_view text) {
    for (std::size_t i = 0; i < N; ++i)
        if (table[i] == text) return static_cast<int>(i) + 1;
    return 0;
}

enum FlagMark { kMaru, kStar, kUpArrow, kKiken };

std::string Flag(std::string_view flag, FlagMark mark) {
    if (flag == "1") return FlagMarks()[mark];
    return std::string(kZenkakuSpace);
}

} // namespace

std::string RLevelToText(int level) {
    return Lookup(RLevels(), level);
}

std::string YosoMarkToText(int mark) {
    return Lookup(YosoMarks(), mark);
}

std::string ZogenToText(int code) {
    return Lookup(Zogens(), code);
}

std::string RUmaToText(int code) {
    if (code == 1) return "R+";
    if (code == 2) return "R-";
    return "  ";
}

std::string LvZokuseiToText(std::string_view code) {
    if (code.size() == 1 && code[0] >= '1' && code[0] <= '3')
        return Aptitudes()[static_cast<std::size_t>(code[0] - '1')];
    return Aptitudes()[3];
}

std::string FlagToMaru(std::string_view flag) {
    return Flag(flag, kMaru);
}

std::string FlagToStar(std::string_view flag) {
    return Flag(flag, kStar);
}

std::string FlagToUpArrow(std::string_view flag) {
    return Flag(flag, kUpArrow);
}

std::string FlagToKiken(std::string_view flag) {
    return Flag(flag, kKiken);
}

int TextToRLevel(std::string_view text) {
    return IndexOf(RLevels(), text);
}

int YosoMarkToCode(std::string_view text) {
    // Marks 5 and 6 share "×"; the first match keeps it at 5.
    return IndexOf(YosoMarks(), text);
}

int GradeLetterToCode(std::string_view text) {
    static constexpr std::array<std::string_view, 5> kLetters = {"S", "A", "B", "C", "D"};
    for (std::size_t i = 0; i < kLetters.size(); ++i)
        if (kLetters[i] == text) return static_cast<int>(i) + 1;
    return 0;
}

} // namespace keiba
