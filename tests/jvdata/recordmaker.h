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

inline std::string MakeRecord(std::string_view id, std::string_view key16, char kind = '7') {
    std::size_t len = jvdata::RecordLengthOf(id).value_or(100);
    std::string r(len, ' ');
    r[len - 2] = '\r';
    r[len - 1] = '\n';
    jvdata::SetField(r, 1, 2, id);
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

} // namespace testsupport
