#include "jvdata/umconvert.h"

#include "jvdata/records.h"
#include "keiba/fileio.h"

#include <system_error>

namespace jvdata {

std::optional<std::string> ConvertUmaRecord(std::string_view uma) {
    if (uma.size() != kUmaLength || uma.substr(0, 2) != "UM" ||
        uma.substr(kUmaLength - 2) != "\r\n")
        return std::nullopt;
    std::string out;
    out.reserve(kUmLength - 2);
    out.append(uma.substr(0, 204));
    // 14 pedigree entries: an 8-character breeding number widened to 10, then the name (36).
    for (std::size_t i = 0; i < 14; ++i) {
        out.append("  ");
        out.append(uma.substr(204 + 44 * i, 44));
    }
    out.append(uma.substr(820, 34)); // affiliation, trainer, invitation region
    out.append("  ");
    out.append(uma.substr(854, 6)); // breeder code
    out.append("  ");
    out.append(uma.substr(860, 70)); // breeder name
    out.append(uma.substr(930, 645));
    return out;
}

UmConversion ConvertUmaFile(const std::filesystem::path& umaFile,
                            const std::filesystem::path& um2File) {
    keiba::FileRead source = keiba::ReadFileOrMissing(umaFile);
    if (!source.read) return {UmConvertResult::SourceUnreadable, std::move(source.read)};
    if (!source.bytes) return {UmConvertResult::NoSource, {}};
    const std::string& bytes = *source.bytes;
    std::string out;
    for (std::size_t i = 0; i < RecordCount(bytes, kUmaLength); ++i) {
        std::optional<std::string> line = ConvertUmaRecord(RecordAt(bytes, kUmaLength, i));
        if (!line) break;
        out += *line;
        out += "\r\n";
    }
    if (out.empty()) return {UmConvertResult::NoRecords, {}};
    // The newer file may hold a later record of the horse: one that is there but cannot be read
    // is not to be replaced by the old one's.
    if (keiba::FileRead target = keiba::ReadFileOrMissing(um2File); !target.read)
        return {UmConvertResult::TargetUnreadable, std::move(target.read)};
    std::error_code ec;
    std::filesystem::create_directories(um2File.parent_path(), ec);
    keiba::IoResult written = keiba::WriteFileAtomic(um2File, out);
    return {written ? UmConvertResult::Written : UmConvertResult::WriteFailed, std::move(written)};
}

} // namespace jvdata
