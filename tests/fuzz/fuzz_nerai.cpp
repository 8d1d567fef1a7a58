// Fuzz target over the target-set files (.nri): the decoding of the 214-character line into
// the condition editor's values, the number rules shared with the matcher, the read of a set
// file, and the check of a set name typed by the user.
//
// Input pieces (see fuzzsupport.h): the file's bytes, a set name (UTF-8).

#include "search/nerairecord.h"
#include "tests/fuzz/fuzzsupport.h"

#include <algorithm>
#include <cmath>

namespace {

namespace fs = std::filesystem;
using namespace search;

// What the editor holds after a load: a spin box keeps its value within its range and keeps
// its last value when the file has none; the numeric edits take the text or the number.
NeraiValues EditorAfterLoad(const NeraiLoad& load) {
    NeraiValues values = InitialNeraiValues();
    for (std::size_t half = 0; half < 2; ++half) {
        for (std::size_t i = 0; i < kNeraiFieldCount; ++i) {
            const NeraiField& f = NeraiFields()[i];
            const NeraiFieldLoad& in = load[half][i];
            NeraiFieldValue& v = values[half][i];
            switch (f.kind) {
            case NeraiFieldKind::Spin:
                if (in.number) v.number = std::clamp(*in.number, f.min, f.max);
                break;
            case NeraiFieldKind::Decimal: v.text = in.text; break;
            case NeraiFieldKind::Total: v.number = in.number.value_or(0); break;
            case NeraiFieldKind::Flags: v.selected = in.selected; break;
            }
        }
    }
    return values;
}

void CheckLoad(const TNeraiRecord& record, const NeraiLoad& load) {
    for (std::size_t half = 0; half < 2; ++half) {
        for (std::size_t i = 0; i < kNeraiFieldCount; ++i) {
            const NeraiField& f = NeraiFields()[i];
            const NeraiFieldLoad& v = load[half][i];
            std::string_view chars = record.Bytes().substr(
                NeraiOffset(static_cast<int>(half), static_cast<NeraiFieldId>(i)), f.width);
            switch (f.kind) {
            case NeraiFieldKind::Spin:
                FUZZ_CHECK(!v.number || *v.number > 0);
                FUZZ_CHECK(!v.number || *v.number < std::pow(10, f.width));
                break;
            case NeraiFieldKind::Decimal:
                FUZZ_CHECK(v.text.size() <= f.width);
                FUZZ_CHECK(chars.find(v.text) != std::string_view::npos);
                break;
            case NeraiFieldKind::Total:
                FUZZ_CHECK(v.number && std::abs(*v.number) < std::pow(10, f.width));
                break;
            case NeraiFieldKind::Flags:
                FUZZ_CHECK(v.selected.size() == f.items.size());
                for (std::size_t k = 0; k < v.selected.size(); ++k)
                    FUZZ_CHECK(v.selected[k] == (chars[k] == '1'));
                break;
            }
            // The matcher reads the same characters with the same rules.
            double d = NeraiDecimal(chars);
            FUZZ_CHECK(std::isfinite(d));
            int n = NeraiInteger(chars);
            FUZZ_CHECK(std::abs(static_cast<long long>(n)) < std::pow(10, f.width));
        }
    }
}

void CheckRoundTrip(const NeraiLoad& load) {
    NeraiEncoded first = EncodeNerai(EditorAfterLoad(load));
    FUZZ_CHECK(first.record.has_value() == first.message.empty());
    if (!first.record) return;
    std::string_view line = first.record->Bytes();
    FUZZ_CHECK(line.substr(kNeraiLineLength) == "\r\n");
    // What a load and save wrote is what the next load and save write again.
    NeraiLoad again = DecodeNerai(*first.record);
    NeraiEncoded second = EncodeNerai(EditorAfterLoad(again));
    FUZZ_CHECK(second.record.has_value());
    FUZZ_CHECK(second.record->Bytes() == line);
    for (std::size_t half = 0; half < 2; ++half)
        for (std::size_t i = 0; i < kNeraiFieldCount; ++i)
            if (NeraiFields()[i].kind == NeraiFieldKind::Flags)
                FUZZ_CHECK(again[half][i].selected == load[half][i].selected);
}

void CheckFile(std::string_view bytes) {
    fs::path app = fuzz::Workspace().Fresh("nerai-app");
    fuzz::PutFile(NeraiFolder(app) / "set.nri", bytes);
    NeraiRead read = ReadNeraiFile(app, "set");
    // A whole first line (214 characters and any line end, or none) is the record with CR LF;
    // otherwise the first 216 bytes are, when there are so many.
    const std::size_t body = TNeraiRecord::kLength - 2;
    const std::string_view first = bytes.substr(0, body);
    const bool line = first.size() == body &&
                      first.find_first_of("\r\n") == std::string_view::npos &&
                      (bytes.size() == body || bytes[body] == '\r' || bytes[body] == '\n');
    if (line) {
        FUZZ_CHECK(read.status == NeraiReadStatus::Ok);
        FUZZ_CHECK(read.record.Bytes() == std::string(first) + "\r\n");
    } else if (bytes.size() < TNeraiRecord::kLength) {
        FUZZ_CHECK(read.status == NeraiReadStatus::Short);
        FUZZ_CHECK(read.record.IsBlank());
    } else {
        FUZZ_CHECK(read.status == NeraiReadStatus::Ok);
        FUZZ_CHECK(read.record.Bytes() == bytes.substr(0, TNeraiRecord::kLength));
    }
    FUZZ_CHECK(NeraiSetNames(app) == std::vector<std::string>{"set"});
}

void CheckName(std::string_view typed) {
    // Only the name is looked at: the program folder is one that is never there.
    const fs::path app = "/nonexistent/kestrane";
    std::string name = TrimNeraiName(typed);
    if (!name.empty()) {
        FUZZ_CHECK(static_cast<unsigned char>(name.front()) >= 0x21);
        FUZZ_CHECK(static_cast<unsigned char>(name.back()) >= 0x21);
    }
    NeraiNameCheck check = CheckNeraiName(name);
    FUZZ_CHECK((check == NeraiNameCheck::Empty) == name.empty());
    if (check != NeraiNameCheck::Ok) {
        FUZZ_CHECK(ReadNeraiFile(app, name).status == NeraiReadStatus::Missing);
        return;
    }
    // A name that passes names a file of the set folder and nothing else.
    FUZZ_CHECK(name.find_first_of("/\\:*?\"<>|.") == std::string::npos);
    for (char c : name) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f);
    fs::path p = NeraiPath(app, name);
    FUZZ_CHECK(p.parent_path() == NeraiFolder(app));
    FUZZ_CHECK(p.filename() != "." && p.filename() != "..");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string_view> pieces =
        fuzz::Pieces({reinterpret_cast<const char*>(data), size});
    TNeraiRecord record;
    record.Assign(pieces[0]);
    NeraiLoad load = DecodeNerai(record);
    CheckLoad(record, load);
    CheckRoundTrip(load);
    CheckFile(pieces[0]);
    CheckName(fuzz::Piece(pieces, 1));
    return 0;
}
