#pragma once
// Records for the jvdata tests: blanks with the head, race key and CR LF filled in.

#include "jvdata/records.h"

#include <string>
#include <string_view>

namespace testsupport {

inline std::string RaceKey16(std::string_view date8, std::string_view venue, int race) {
    std::string r = std::to_string(race);
    if (r.size() < 2) r.insert(0, "0");
    return std::string(date8) + std::string(venue) + "0508" + r;
}

// `kind` 0: the data kind of a final record of the id (a result, a horse master as registered,
// confirmed odds).
inline std::string MakeRecord(std::string_view id, std::string_view key16, char kind = 0) {
    std::size_t len = jvdata::RecordLengthOf(id).value_or(100);
    std::string r(len, ' ');
    r[len - 2] = '\r';
    r[len - 1] = '\n';
    jvdata::SetField(r, 1, 2, id);
    if (kind == 0) kind = id == "HR" ? '2' : id == "UM" ? '1' : id.starts_with('O') ? '4' : '7';
    r[2] = kind;
    jvdata::SetField(r, 4, 8, "20261201");
    jvdata::SetField(r, 12, 16, key16);
    return r;
}

inline std::string MakeRunner(std::string_view key16, int horse, std::string_view pedigreeId) {
    std::string r = MakeRecord("SE", key16);
    std::string h = std::to_string(horse);
    if (h.size() < 2) h.insert(0, "0");
    jvdata::SetField(r, 29, 2, h);
    jvdata::SetField(r, 31, 10, pedigreeId);
    return r;
}

// Records of the venue "05" for the import's tests: a race of `runners`, a runner, a horse.
namespace filing {

inline std::string Ra(std::string_view date8, int race, std::string_view runners = "12",
                      char kind = '7') {
    std::string r = MakeRecord("RA", RaceKey16(date8, "05", race), kind);
    jvdata::SetField(r, 882, 2, runners);
    return r;
}

inline std::string Se(std::string_view date8, int race, int horse, std::string_view id, char kind) {
    std::string r = MakeRunner(RaceKey16(date8, "05", race), horse, id);
    r[2] = kind;
    return r;
}

inline std::string Um(std::string_view id) {
    std::string r = MakeRecord("UM", "                ");
    jvdata::SetField(r, 12, 10, id);
    return r;
}

} // namespace filing

} // namespace testsupport
