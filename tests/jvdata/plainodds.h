#pragma once
// The odds records of a day file read the plain way, from the record layout alone, to check the
// odds reader against: no function of the reader or of the record check is used.
//
// A record of kind k (1 to 6) is a piece of the kind's length that begins where a record may
// begin (at the file's start, right after a CR or an LF, or at a multiple of the length) and is
// sound: "Ok" at its start, then a data kind odds are delivered with (in the sale, the day
// before, final, confirmed, on Monday; called off, withdrawn), CR LF at its end and no CR or LF
// before, a race key whose first eight characters are digits naming a real day, then a venue code
// of two capital letters or digits (a race abroad has letters) and six digits, the announcement
// time in digits or blanks, and only digits, blanks, '-' and '*' from the first odds entry to the
// end of the last.

#include <cstddef>
#include <string_view>
#include <vector>

namespace testsupport::plainodds {

struct Layout {
    std::size_t length;       // CR LF included
    std::size_t entriesFrom;  // 1-based position of the first entry
    std::size_t entriesBytes; // up to the end of the last
};

// From the layouts: O1 holds 28 win entries of 8 bytes from 44 and 28 place entries of 12 after
// them; O2 to O6 hold 153, 153, 306, 816 and 4896 entries of 13, 17, 13, 15 and 17 bytes from 41.
inline Layout LayoutOf(int kind) {
    switch (kind) {
    case 1: return {962, 44, 28 * 8 + 28 * 12};
    case 2: return {2042, 41, 153 * 13};
    case 3: return {2654, 41, 153 * 17};
    case 4: return {4031, 41, 306 * 13};
    case 5: return {12293, 41, 816 * 15};
    default: return {83285, 41, 4896 * 17};
    }
}

inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

inline int Number(std::string_view digits) {
    int v = 0;
    for (char c : digits) v = v * 10 + (c - '0');
    return v;
}

inline bool RealDay(std::string_view yyyymmdd) {
    const int year = Number(yyyymmdd.substr(0, 4)), month = Number(yyyymmdd.substr(4, 2)),
              day = Number(yyyymmdd.substr(6, 2));
    if (month < 1 || month > 12 || day < 1) return false;
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    const int days[] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return day <= days[month - 1];
}

inline bool Sound(std::string_view piece, int kind) {
    const Layout l = LayoutOf(kind);
    if (piece.size() != l.length || piece[0] != 'O' || piece[1] != static_cast<char>('0' + kind))
        return false;
    if (std::string_view("1234590").find(piece[2]) == std::string_view::npos) return false;
    if (piece[l.length - 2] != '\r' || piece[l.length - 1] != '\n') return false;
    for (char c : piece.substr(27, 8))
        if (!IsDigit(c) && c != ' ') return false;
    for (std::size_t i = 0; i + 2 < l.length; ++i)
        if (piece[i] == '\r' || piece[i] == '\n') return false;
    const std::string_view key = piece.substr(11, 16);
    for (std::size_t i = 0; i < key.size(); ++i) {
        const bool venue = i == 8 || i == 9;
        if (!IsDigit(key[i]) && !(venue && key[i] >= 'A' && key[i] <= 'Z')) return false;
    }
    if (!RealDay(key.substr(0, 8))) return false;
    for (char c : piece.substr(l.entriesFrom - 1, l.entriesBytes))
        if (!IsDigit(c) && c != ' ' && c != '-' && c != '*') return false;
    return true;
}

// The offsets of the file's records, in file order.
inline std::vector<std::size_t> Records(std::string_view file, int kind) {
    const std::size_t length = LayoutOf(kind).length;
    std::vector<std::size_t> found;
    for (std::size_t at = 0; at + length <= file.size(); ++at) {
        const bool start =
            at % length == 0 || (at >= 1 && (file[at - 1] == '\r' || file[at - 1] == '\n'));
        if (start && Sound(file.substr(at, length), kind)) found.push_back(at);
    }
    return found;
}

// The stretches of the file that hold no record: before the first, between two, after the last.
inline std::size_t DamagedStretches(std::string_view file, int kind) {
    const std::size_t length = LayoutOf(kind).length;
    std::size_t stretches = 0, end = 0;
    for (std::size_t at : Records(file, kind)) {
        if (at > end) ++stretches;
        end = at + length;
    }
    return stretches + (end < file.size() ? 1 : 0);
}

// The first record of the race of the sixteen-character race key (positions 12 to 27: date,
// venue, meeting, day and race number), or nothing.
inline std::string_view FirstOfRace(std::string_view file, int kind, std::string_view key16) {
    const std::size_t length = LayoutOf(kind).length;
    for (std::size_t at : Records(file, kind)) {
        const std::string_view r = file.substr(at, length);
        if (r.substr(11, 16) == key16) return r;
    }
    return {};
}

} // namespace testsupport::plainodds
