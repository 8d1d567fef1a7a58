#pragma once
// File masks for entry selection: "*", "?", sets "[a-c]" and "[!x]", matched against Shift-JIS
// names character by character ("?" takes one character of one or two bytes), with ASCII letters
// compared without case. A mask is compiled once into states.

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace archive {

// Raised by the compiling constructor: "'%s' is an invalid mask at (%d)".
class EMaskError : public std::runtime_error {
public:
    EMaskError(std::string_view mask, int position);
    int position() const { return position_; }

private:
    int position_;
};

class TInternalMask {
public:
    static constexpr int kMaxStars = 30;

    // Compiles; throws EMaskError on a bad mask.
    explicit TInternalMask(std::string_view mask);
    // Compiles without throwing: nothing for a bad mask, with the 1-based byte position.
    static std::optional<TInternalMask> TryCreate(std::string_view mask, int* errorPos = nullptr);

    bool Matches(std::string_view name) const;

private:
    enum class Kind : std::uint8_t { Literal, DoubleByte, AnyChar, Set, Final };
    struct State {
        Kind kind;
        bool star;         // one or more "*" stood before this state
        bool negate;       // sets
        std::uint8_t a, b; // literal (upper-cased) / the two bytes of a double-byte literal
        int set;           // index into sets_
    };

    TInternalMask() = default;
    int Compile(std::string_view mask); // 0 or the 1-based error position
    bool StateMatches(const State& s, std::string_view name, std::size_t pos,
                      std::size_t* used) const;
    bool MatchStates(std::string_view name) const;

    std::vector<State> states_;
    std::vector<std::bitset<256>> sets_;
    bool trailingDot_ = false;
};

// A throwaway mask: true when `name` matches; a bad mask matches nothing.
bool MatchesMask(std::string_view name, std::string_view mask);

} // namespace archive
