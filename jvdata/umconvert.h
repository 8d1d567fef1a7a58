#pragma once
// Conversion of the older horse-master files (.jvUMA, 1577-byte records) into the current
// layout (.jvUM2, 1609-byte records): four fields widen by two leading blanks each.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace jvdata {

// The 1607-byte line (record less CR LF) of one old record; nothing when `uma` is not a whole
// old record (wrong length, no "UM" id, no CR LF at its end).
std::optional<std::string> ConvertUmaRecord(std::string_view uma);

enum class UmConvertResult { NoSource, NoRecords, TargetUnreadable, Written, WriteFailed };

// Builds `um2File` from every whole record of `umaFile` (replacing it). A missing or empty old
// file, or one without a single whole record, writes nothing, nor does a `um2File` that is there
// but cannot be read; reading stops at the first record that is not whole, keeping those before
// it.
UmConvertResult ConvertUmaFile(const std::filesystem::path& umaFile,
                               const std::filesystem::path& um2File);

} // namespace jvdata
