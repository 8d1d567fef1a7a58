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

enum class UmConvertResult {
    NoSource,
    SourceUnreadable,
    NoRecords,
    TargetUnreadable,
    Written,
    WriteFailed
};

struct [[nodiscard]] UmConversion {
    UmConvertResult result;
    // Fails for a file that is there but cannot be read and for a failed write, naming the file
    // and the cause for the user.
    keiba::IoResult failure;
};

// Builds `um2File` from every whole record of `umaFile` (replacing it). A missing, unreadable or
// empty old file, or one without a single whole record, writes nothing, nor does a `um2File` that
// is there but cannot be read; reading stops at the first record that is not whole, keeping those
// before it.
UmConversion ConvertUmaFile(const std::filesystem::path& umaFile,
                            const std::filesystem::path& um2File);

} // namespace jvdata
