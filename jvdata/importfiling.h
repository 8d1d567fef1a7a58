#pragma once
// Which stored records the import keeps, and where each goes: the filing table of the import's
// read loop, applied to one record at a time through a FilingBatch.

#include "jvdata/dayfiles.h"
#include "keiba/fileio.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace jvdata {

struct ImportFilter {
    // The from-date yyyymmdd; day files take races dated from ten below it on (a count of the
    // yyyymmdd number, not ten calendar days).
    std::int64_t fromDate = 0;
    // Four characters, the current year less 15; horse files take ids that sort above it.
    std::string horseYearFloor;
    // "確定オッズも合わせて取得する": file the final odds records too.
    bool finalOdds = false;
};

// The year floor of horse files for `year`, "%4d".
std::string HorseYearFloor(int year);

struct ImportFiling {
    bool filed = false;
    // The record label of the last file the record went to (UTF-8); empty when nothing was filed.
    std::string label;
    // A record that is not whole or not sound: why (the first reason when it was meant for two
    // files), and what a report can show of it: id, length and race key, as "SE 548バイト
    // 2026120505050803" (UTF-8, printable ASCII of the record only).
    std::optional<RefuseReason> refused;
    std::string detail;
    // Fails when a file the record goes to is there but could not be read (naming it and the
    // cause): the import stops there, and the file stays as it is.
    keiba::IoResult read = keiba::IoResult::Ok();
};

// Files one record (CP932, with its CR LF) into `batch` by its record id. Records the table
// does not keep (other ids, kinds, dates) are left; records it keeps that are damaged are
// refused, whole records of a well-formed id this system does not know are left too.
ImportFiling FileImportRecord(FilingBatch& batch, std::string_view record,
                              const ImportFilter& filter);

// What a report can show of a refused record: its id, its length and its race key, printable
// ASCII only ("SE 548バイト 2026120505050803").
std::string RefusedRecordSample(std::string_view record);

// The records an import or a fetch refused, by reason, with what a report shows of the first
// one.
struct RefusalTally {
    std::array<int, kRefuseReasons> count{};
    std::array<std::string, kRefuseReasons> first;
    void Add(RefuseReason r, std::string detail);
    int Total() const;
};

// "yyyy/mm/dd hh:nn:ss" of a 14-digit timestamp; nothing for blanks, all zeros, or a text that
// is not fourteen digits.
std::optional<std::string> LastTimeText(std::string_view timestamp);

} // namespace jvdata
