#include "archive/mask.h"

#include "keiba/sjis.h"

namespace archive {
namespace {

std::uint8_t Upper(std::uint8_t c) {
    return (c >= 'a' && c <= 'z') ? static_cast<std::uint8_t>(c - 'a' + 'A') : c;
}

std::string MaskMessage(std::string_view mask, int position) {
    std::string text = "'";
    text.append(mask);
    text += "' is an invalid mask at (";
    text += std::to_string(position);
    text += ')';
    return text;
}

} // namespace

EMaskError::EMaskError(std::string_view mask, int position)
    : std::runtime_error(MaskMessage(mask, position))
    , position_(position) {}

TInternalMask::TInternalMask(std::string_view mask) {
    if (int at = Compile(mask)) throw EMaskError(mask, at);
}

std::optional<TInternalMask> TInternalMask::TryCreate(std::string_view mask, int* errorPos) {
    TInternalMask m;
    int at = m.Compile(mask);
    if (errorPos) *errorPos = at;
    if (at) return std::nullopt;
    return m;
}

int TInternalMask::Compile(std::string_view mask) {
    states_.clear();
    sets_.clear();
    trailingDot_ = !mask.empty() && mask.back() == '.';
    bool star = false;
    int stars = 0;
    auto push = [&](State s) {
        s.star = star;
        if (star) ++stars;
        star = false;
        states_.push_back(s);
        return stars <= kMaxStars;
    };
    std::size_t i = 0;
    while (i < mask.size()) {
        auto c = static_cast<std::uint8_t>(mask[i]);
        int here = static_cast<int>(i) + 1;
        if (c == '*') {
            star = true;
            ++i;
            continue;
        }
        if (c == '?') {
            ++i;
            if (star) continue; // "*?" is "*"
            if (!push({Kind::AnyChar, false, false, 0, 0, -1})) return here;
            continue;
        }
        if (c == '[') {
            ++i;
            std::bitset<256> set;
            bool negate = false;
            if (i < mask.size() && mask[i] == '!') {
                negate = true;
                ++i;
            }
            bool any = false;
            while (i < mask.size() && mask[i] != ']') {
                auto x = static_cast<std::uint8_t>(mask[i]);
                if (keiba::IsSjisLeadByte(x)) { // double-byte characters in a set are skipped
                    i += 2;
                    continue;
                }
                if (x == '-') return static_cast<int>(i) + 1; // a range with nothing before it
                std::uint8_t lo = Upper(x);
                ++i;
                set.set(lo); // a reversed range adds nothing beyond its first character
                if (i + 1 < mask.size() && mask[i] == '-' && mask[i + 1] != ']') {
                    std::uint8_t hi = Upper(static_cast<std::uint8_t>(mask[i + 1]));
                    for (int v = lo; v <= hi; ++v) set.set(static_cast<std::size_t>(v));
                    i += 2;
                }
                any = true;
            }
            if (i >= mask.size()) return static_cast<int>(mask.size()) + 1; // no closing "]"
            if (!any) return static_cast<int>(i) + 1;                       // "[]"
            ++i;
            sets_.push_back(set);
            if (!push({Kind::Set, false, negate, 0, 0, static_cast<int>(sets_.size()) - 1}))
                return here;
            continue;
        }
        if (keiba::IsSjisLeadByte(c) && i + 1 < mask.size()) {
            if (!push({Kind::DoubleByte, false, false, c, static_cast<std::uint8_t>(mask[i + 1]),
                       -1}))
                return here;
            i += 2;
            continue;
        }
        if (!push({Kind::Literal, false, false, Upper(c), 0, -1})) return here;
        ++i;
    }
    if (!push({Kind::Final, false, false, 0, 0, -1}))
        return static_cast<int>(mask.size()) > 0 ? static_cast<int>(mask.size()) : 1;
    return 0;
}

// Whether state `s` matches at `pos`; `used` receives the bytes it consumes. Names are walked by
// characters, so a trail byte is never taken for a letter or a "\\" of its own.
bool TInternalMask::StateMatches(const State& s, std::string_view name, std::size_t pos,
                                 std::size_t* used) const {
    bool atEnd = pos >= name.size();
    auto c = atEnd ? std::uint8_t{0} : static_cast<std::uint8_t>(name[pos]);
    std::size_t length = atEnd ? 0 : keiba::SjisCharLength(name, pos);
    *used = length;
    switch (s.kind) {
    case Kind::Literal:
        if (atEnd) return s.a == '.' && !s.star; // a "." also matches the end of the name
        return length == 1 && Upper(c) == s.a;
    case Kind::DoubleByte:
        return length == 2 && c == s.a && static_cast<std::uint8_t>(name[pos + 1]) == s.b;
    case Kind::AnyChar: return !atEnd; // one character, of one byte or two
    case Kind::Set:
        if (atEnd) return false;
        // sets hold single-byte characters only: a double-byte one is outside every set
        return (length == 1 && sets_[static_cast<std::size_t>(s.set)].test(Upper(c))) != s.negate;
    case Kind::Final: return atEnd;
    }
    return false;
}

// Backtracking to the most recent star state is enough: a later star can absorb anything an
// earlier one could.
bool TInternalMask::MatchStates(std::string_view name) const {
    std::size_t si = 0, pos = 0;
    std::size_t backState = SIZE_MAX, backPos = 0;
    while (true) {
        const State& s = states_[si];
        if (s.star) {
            if (s.kind == Kind::Final) return true; // a trailing "*" takes the rest
            // skip forward to the first character inside the name where the state matches
            std::size_t used = 0;
            while (pos < name.size() && !StateMatches(s, name, pos, &used))
                pos += keiba::SjisCharLength(name, pos);
            if (pos >= name.size()) return false;
            backState = si;
            backPos = pos + keiba::SjisCharLength(name, pos);
            pos += used;
            ++si;
            continue;
        }
        std::size_t used = 0;
        if (StateMatches(s, name, pos, &used)) {
            if (s.kind == Kind::Final) return true;
            pos += used;
            ++si;
            continue;
        }
        if (backState == SIZE_MAX || backPos > name.size()) return false;
        si = backState;
        pos = backPos;
    }
}

bool TInternalMask::Matches(std::string_view name) const {
    if (trailingDot_ && name.find('.') == std::string_view::npos) {
        std::string dotted(name);
        dotted += '.';
        return MatchStates(dotted);
    }
    return MatchStates(name);
}

bool MatchesMask(std::string_view name, std::string_view mask) {
    auto m = TInternalMask::TryCreate(mask);
    return m && m->Matches(name);
}

} // namespace archive
