#include "jvdata/umconvert.h"

#include "jvdata/dayfilekinds.h"
#include "jvdata/recordcheck.h"
#include "jvdata/records.h"
#include "keiba/fileio.h"

#include <system_error>
#include <vector>

namespace jvdata {

std::optional<std::string> ConvertUmaRecord(std::string_view uma) {
    if (uma.size() != kUmaLength || uma.substr(0, 2) != "UM" ||
        uma.substr(kUmaLength - 2) != "\r\n")
        return std::nullopt;
    std::string out;
    out.reserve(kUmLength);
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

bool IsSoundOldHorseMaster(std::string_view record) {
    std::optional<std::string> line = ConvertUmaRecord(record);
    if (!line) return false;
    *line += "\r\n";
    return IsSoundRecord(*line, TJvUM::kId);
}

UmConversion ConvertUmaFile(const std::filesystem::path& umaFile,
                            const std::filesystem::path& um2File) {
    keiba::FileRead source = keiba::ReadFileOrMissing(umaFile);
    if (!source.read) return {UmConvertResult::SourceUnreadable, std::move(source.read)};
    if (!source.bytes) return {UmConvertResult::NoSource, {}};
    const DayFileKindInfo& kind = KindInfo(DayFileKind::OldHorseMaster);
    const std::string id = keiba::PathToUtf8(umaFile.stem());
    std::vector<std::string_view> lines;
    SplitRecordLines(*source.bytes, kind.recordLength, lines);
    std::string out;
    bool damaged = source.bytes->empty(), masterDamaged = false;
    for (std::string_view line : lines) {
        const bool sound = kind.sound(line);
        if (!sound || KeyOf(kind, line).pedigreeId != id) {
            // A sound record of another horse is none the load would take for this one's.
            damaged = true;
            masterDamaged = masterDamaged || (out.empty() && !sound);
            continue;
        }
        out += *ConvertUmaRecord(line);
        out += "\r\n";
    }
    if (masterDamaged && !out.empty()) return {UmConvertResult::MasterDamaged, {}, true};
    if (out.empty()) return {UmConvertResult::NoRecords, {}, damaged};
    // The newer file may hold a later record of the horse: one that is there but cannot be read
    // is not to be replaced by the old one's.
    if (keiba::FileRead target = keiba::ReadFileOrMissing(um2File); !target.read)
        return {UmConvertResult::TargetUnreadable, std::move(target.read), damaged};
    std::error_code ec;
    std::filesystem::create_directories(um2File.parent_path(), ec);
    keiba::IoResult written = keiba::WriteFileAtomic(um2File, out);
    out.resize(kUmLength);
    return {written ? UmConvertResult::Written : UmConvertResult::WriteFailed, std::move(written),
            damaged, std::move(out)};
}

} // namespace jvdata
