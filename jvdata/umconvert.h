#pragma once
// Conversion of the older horse-master files (.jvUMA, 1577-byte records) into the current
// layout (.jvUM2, 1609-byte records): four fields widen by two leading blanks each.

#include "keiba/fileio.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace jvdata {

// The 1607-byte line (record less CR LF) of one old record; nothing when `uma` is not a whole
// old record (wrong length, no "UM" id, no CR LF at its end).
std::optional<std::string> ConvertUmaRecord(std::string_view uma);

// Whether one old record reads as its layout says: whole (ConvertUmaRecord), no other line break
// in it, and every field the newer layout's check looks at (IsSoundRecord) sound where the
// conversion puts it. What passes reads as sound in the newer file, so a conversion never makes
// a file the next load would find damaged.
bool IsSoundOldHorseMaster(std::string_view record);

enum class UmConvertResult {
    NoSource,
    SourceUnreadable,
    NoRecords,
    // Damage stands where the horse's first record would be: the one the day load takes.
    MasterDamaged,
    TargetUnreadable,
    Written,
    WriteFailed
};

struct [[nodiscard]] UmConversion {
    UmConvertResult result;
    // Fails for a file that is there but cannot be read and for a failed write, naming the file
    // and the cause for the user.
    keiba::IoResult failure;
    // Whether the old file held a piece that is no sound record of its horse (none is copied);
    // an empty old file has lost its record.
    bool damaged = false;
    // The first converted record, CR LF included, as the newer file begins with it (Written and
    // WriteFailed): the horse's master also when it could not be written.
    std::string master{};
};

// Builds `um2File` from every sound record (IsSoundOldHorseMaster) of `umaFile` whose pedigree id
// is the one the file is named for (<pedigree id>.jvUMA), replacing it. The file is read line by
// line, so a record cut, split or damaged after the first sound one costs only itself; what is
// not copied (another horse's record too) sets `damaged`. The day load takes the first record of
// the newer file for the master, and which record damage before the first sound one was cannot be
// known: an older record would stand in the master's place, so such a file writes nothing
// (MasterDamaged). A missing,
// unreadable or empty old file, or one without a single sound record of its horse, writes nothing
// either, nor does a `um2File` that is there but cannot be read.
UmConversion ConvertUmaFile(const std::filesystem::path& umaFile,
                            const std::filesystem::path& um2File);

} // namespace jvdata
