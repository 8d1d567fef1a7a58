#include "search/nerairecord.h"

#include "keiba/rewritelines.h"
#include "keiba/sjis.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace search {
namespace {

using K = NeraiFieldKind;
using SV = std::string_view;

constexpr SV kBasho[] = {"札幌", "函館", "福島", "新潟", "東京",
                         "中山", "中京", "京都", "阪神", "小倉"};
constexpr SV kRUma[] = {"R+", "R-", "非"};
constexpr SV kYoso[] = {"◎", "○", "▲", "△", "×"};
constexpr SV kRLevel[] = {"低★", "低－", "低＋", "普通", "高－", "高＋", "高★"};
constexpr SV kClass[] = {"未勝利", "500万", "1000万", "1600万", "オープン", "G３", "G２", "G１"};
constexpr SV kTrack[] = {"芝", "ダート"};
constexpr SV kAge[] = {"２歳", "３歳", "３歳上", "４歳上"};
constexpr SV kZogen[] = {"同休減", "降休減", "同続増", "昇続増"};
constexpr SV kLvZokusei[] = {"高巧者", "低巧者", "自在"};
constexpr SV kUp[] = {"↑"};
constexpr SV kStar[] = {"★"};
constexpr SV kMaru[] = {"○"};
constexpr SV kKiken[] = {"危"};
constexpr SV kRank[] = {"S", "A", "B", "C", "D"};

constexpr SV None = {};

constexpr NeraiField kFields[kNeraiFieldCount] = {
    {"TosuMin", 0, 2, K::Spin, {"TosuEdit01", "TosuEdit11"}, "頭数", {}, 5, 18, 5, None},
    {"TosuMax", 2, 2, K::Spin, {"TosuEdit02", "TosuEdit12"}, "頭数", {}, 5, 18, 18, None},
    {"KyoriMin", 4, 4, K::Spin, {"KyoriEdit01", "KyoriEdit11"}, "距離", {}, 1000, 3000, 1000, None},
    {"KyoriMax", 8, 4, K::Spin, {"KyoriEdit02", "KyoriEdit12"}, "距離", {}, 1000, 5000, 5000, None},
    {"BashoFlags", 12, 10, K::Flags, {"BashoList0", "BashoList1"}, "場所", kBasho, 0, 0, 0, None},
    {"RUmaFlags", 22, 3, K::Flags, {"RUmaList0", "RUmaList1"}, "R馬", kRUma, 0, 0, 0, None},
    {"YosoFlags", 25, 5, K::Flags, {"YosoList0", "YosoList1"}, "予想印", kYoso, 0, 0, 0, None},
    {"RLevelFlags",
     30,
     7,
     K::Flags,
     {"RLevelList0", "RLevelList1"},
     "Rレベル",
     kRLevel,
     0,
     0,
     0,
     None},
    {"ClassFlags", 37, 8, K::Flags, {"ClassList0", "ClassList1"}, "クラス", kClass, 0, 0, 0, None},
    {"TrackFlags", 45, 2, K::Flags, {"TrackList0", "TrackList1"}, "TR", kTrack, 0, 0, 0, None},
    {"AgeFlags", 47, 4, K::Flags, {"AgeList0", "AgeList1"}, "種別", kAge, 0, 0, 0, None},
    {"ZogenFlags", 51, 4, K::Flags, {"ZogenList0", "ZogenList1"}, "増減", kZogen, 0, 0, 0, None},
    {"LvZokuseiFlags",
     55,
     3,
     K::Flags,
     {"LvZokuseiList0", "LvZokuseiList1"},
     "LV属性",
     kLvZokusei,
     0,
     0,
     0,
     None},
    {"JoshoFlag", 58, 1, K::Flags, {"JoshoList0", "JoshoList1"}, "上昇", kUp, 0, 0, 0, None},
    {"SenzaiFlag", 59, 1, K::Flags, {"SenzaiList0", "SenzaiList1"}, "潜在", kStar, 0, 0, 0, None},
    {"KiekenFlag", 60, 1, K::Flags, {"KiekenList0", "KiekenList1"}, "経験", kMaru, 0, 0, 0, None},
    {"CourseFlag", 61, 1, K::Flags, {"CourseList0", "CourseList1"}, "ｺｰｽ", kMaru, 0, 0, 0, None},
    {"KyoriFlag", 62, 1, K::Flags, {"KyoriList0", "KyoriList1"}, "距離", kMaru, 0, 0, 0, None},
    {"HiLvKosoFlag",
     63,
     1,
     K::Flags,
     {"HiLvKosoList0", "HiLvKosoList1"},
     "高好",
     kMaru,
     0,
     0,
     0,
     None},
    {"Hi1stFlag", 64, 1, K::Flags, {"Hi1stList0", "Hi1stList1"}, "初高", kKiken, 0, 0, 0, None},
    {"KettoFlags", 65, 5, K::Flags, {"KettoList0", "KettoList1"}, "血統", kRank, 0, 0, 0, None},
    {"KishuFlags", 70, 5, K::Flags, {"KishuList0", "KishuList1"}, "騎手", kRank, 0, 0, 0, None},
    {"TanOzMin",
     75,
     5,
     K::Decimal,
     {"TanOzEdit01", "TanOzEdit11"},
     "単勝オッズ",
     {},
     0,
     999,
     1,
     "1.0"},
    {"TanOzMax",
     80,
     5,
     K::Decimal,
     {"TanOzEdit02", "TanOzEdit12"},
     "単勝オッズ",
     {},
     0,
     999,
     999.9,
     "999.9"},
    {"TanNinMin", 85, 2, K::Spin, {"TanNinEdit01", "TanNinEdit11"}, "単勝人気", {}, 1, 18, 1, None},
    {"TanNinMax",
     87,
     2,
     K::Spin,
     {"TanNinEdit02", "TanNinEdit12"},
     "単勝人気",
     {},
     1,
     18,
     18,
     None},
    {"ChakujunMin", 89, 2, K::Spin, {None, "CJEdit11"}, "着順", {}, 1, 18, 1, None},
    {"ChakujunMax", 91, 2, K::Spin, {None, "CJEdit12"}, "着順", {}, 1, 18, 18, None},
    {"HiLvShorituMin",
     93,
     5,
     K::Decimal,
     {"HiLvShorituEdit0", "HiLvShorituEdit1"},
     "高LV勝率",
     {},
     0,
     999,
     0,
     "0.0"},
    {"LoLvShorituMin",
     98,
     5,
     K::Decimal,
     {"LoLvShorituEdit0", "LoLvShorituEdit1"},
     "低LV勝率",
     {},
     0,
     999,
     0,
     "0.0"},
    {"R5soTotalMin",
     103,
     4,
     K::Total,
     {"R5soTotalEdit0", "R5soTotalEdit1"},
     "過去５走計",
     {},
     -999,
     999,
     -99,
     "-99"},
};

constexpr bool TableIsContiguous() {
    std::size_t at = 0;
    for (const NeraiField& f : kFields) {
        if (f.offset != at) return false;
        if ((f.kind == K::Flags) != (f.items.size() == f.width)) return false;
        at += f.width;
    }
    return at == kNeraiHalfLength;
}
static_assert(TableIsContiguous(),
              "the fields must tile the 107 characters, a flag group one per item");

bool HasControl(const NeraiField& f, int half) {
    return !f.control[static_cast<std::size_t>(half)].empty();
}

// "下限"/"上限" for the two ends of a range, nothing for a single minimum.
std::string_view BoundWord(NeraiFieldId id) {
    switch (id) {
    case kTanOzMin: return "(下限)";
    case kTanOzMax: return "(上限)";
    default: return "";
    }
}

std::string FormatField(const NeraiField& f, double value) {
    if (f.kind == K::Decimal) return keiba::FormatFixed(value, static_cast<int>(f.width), 1);
    return keiba::FormatInt(static_cast<std::int64_t>(value), static_cast<int>(f.width));
}

std::string_view HalfText(const TNeraiRecord& record, int half) {
    return record.Bytes().substr(static_cast<std::size_t>(half) * kNeraiHalfLength,
                                 kNeraiHalfLength);
}

// The next code point of UTF-8 text, or nothing for a malformed sequence.
std::optional<char32_t> NextCodePoint(std::string_view s, std::size_t& i) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char c = byte(i);
    std::size_t len = c < 0x80           ? 1
                      : (c >> 5) == 0x6  ? 2
                      : (c >> 4) == 0xE  ? 3
                      : (c >> 3) == 0x1E ? 4
                                         : 0;
    if (len == 0 || i + len > s.size()) return std::nullopt;
    char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
    for (std::size_t k = 1; k < len; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return std::nullopt;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    i += len;
    return cp;
}

bool ForbiddenInName(char32_t cp) {
    static constexpr std::u32string_view kForbidden = U"!\"#$%&'()<>[]{}+*@?\\-=,./:|";
    if (cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp <= 0x9F)) return true;
    return kForbidden.find(cp) != std::u32string_view::npos;
}

} // namespace

std::span<const NeraiField> NeraiFields() {
    return kFields;
}

std::string_view NeraiHalfCaption(int half) {
    return half == 0 ? "本走条件指定" : "前走条件指定";
}

NeraiValues InitialNeraiValues() {
    NeraiValues values;
    for (int half = 0; half < 2; ++half) {
        for (std::size_t i = 0; i < kNeraiFieldCount; ++i) {
            const NeraiField& f = kFields[i];
            NeraiFieldValue& v = values[static_cast<std::size_t>(half)][i];
            switch (f.kind) {
            case K::Spin:
            case K::Total: v.number = static_cast<int>(f.initial); break;
            case K::Decimal: v.text = std::string(f.initialText); break;
            case K::Flags: v.selected.assign(f.items.size(), false); break;
            }
        }
    }
    return values;
}

NeraiEncoded EncodeNerai(const NeraiValues& values) {
    std::string line;
    line.reserve(TNeraiRecord::kLength);
    for (int half = 0; half < 2; ++half) {
        for (std::size_t i = 0; i < kNeraiFieldCount; ++i) {
            const NeraiField& f = kFields[i];
            const NeraiFieldValue& v = values[static_cast<std::size_t>(half)][i];
            std::string piece;
            if (!HasControl(f, half)) {
                piece.assign(f.width, ' ');
            } else if (f.kind == K::Flags) {
                for (std::size_t k = 0; k < f.items.size(); ++k)
                    piece += k < v.selected.size() && v.selected[k] ? '1' : '0';
            } else if (f.kind == K::Decimal) {
                if (keiba::TrimBlanks(v.text).empty())
                    return {std::nullopt, std::string(NeraiHalfCaption(half)) + "の" +
                                              std::string(f.caption) +
                                              std::string(BoundWord(static_cast<NeraiFieldId>(i))) +
                                              "が未入力です。"};
                // The numeric edit keeps a typed point ("12.") until more digits follow.
                std::string_view t = keiba::TrimBlanks(v.text);
                if (t.ends_with('.')) t.remove_suffix(1);
                piece = FormatField(f, NeraiDecimal(t));
            } else {
                piece = FormatField(f, v.number);
            }
            // The editor keeps every value within its range; a value that still does not fit
            // would shift every later field, so it is refused rather than written.
            if (piece.size() != f.width)
                return {std::nullopt, std::string(NeraiHalfCaption(half)) + "の" +
                                          std::string(f.caption) + "が範囲外です。"};
            line += piece;
        }
    }
    line += "\r\n";
    TNeraiRecord record;
    record.Assign(line);
    return {record, {}};
}

NeraiLoad DecodeNerai(const TNeraiRecord& record) {
    NeraiLoad load;
    for (int half = 0; half < 2; ++half) {
        std::string_view text = HalfText(record, half);
        for (std::size_t i = 0; i < kNeraiFieldCount; ++i) {
            const NeraiField& f = kFields[i];
            NeraiFieldLoad& out = load[static_cast<std::size_t>(half)][i];
            std::string_view chars = text.substr(f.offset, f.width);
            switch (f.kind) {
            case K::Spin:
                if (int n = NeraiInteger(chars); n > 0) out.number = n;
                break;
            case K::Decimal: out.text = std::string(keiba::TrimBlanks(chars)); break;
            case K::Total:
                out.number =
                    static_cast<int>(keiba::StrictInteger(keiba::TrimBlanks(chars)).value_or(0));
                break;
            case K::Flags:
                for (std::size_t k = 0; k < f.items.size(); ++k)
                    out.selected.push_back(chars[k] == '1');
                break;
            }
        }
    }
    return load;
}

int NeraiInteger(std::string_view field) {
    std::size_t i = field.find_first_not_of(' ');
    if (i == std::string_view::npos) return 0;
    std::string_view rest = field.substr(i);
    bool negative = false;
    if (rest.front() == '+' || rest.front() == '-') {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    if (rest.empty() ||
        !std::all_of(rest.begin(), rest.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    long long value = 0;
    for (char c : rest) value = std::min(value * 10 + (c - '0'), 1'000'000'000LL);
    return static_cast<int>(negative ? -value : value);
}

double NeraiDecimal(std::string_view field) {
    std::string_view t = keiba::TrimBlanks(field);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    if (t.empty()) return 0.0;
    double value = 0.0;
    // from_chars ignores the locale, which a Qt application sets from the desktop. Only the
    // plain form the editor writes is a number: "1e300", "inf" and "nan" in a damaged file
    // would give the matcher tenths it cannot round.
    auto [end, ec] =
        std::from_chars(t.data(), t.data() + t.size(), value, std::chars_format::fixed);
    if (ec != std::errc() || end != t.data() + t.size() || !std::isfinite(value)) return 0.0;
    return value;
}

std::string NeraiOverwriteQuestion(std::string_view name) {
    return "[" + std::string(name) + "]はすでに存在しています。上書きしますか？";
}

std::string NeraiUnreadableMessage(std::string_view name) {
    return "[" + std::string(name) + "]は狙い馬ファイルとして読み込めません。";
}

std::string TrimNeraiName(std::string_view utf8) {
    auto low = [](char c) { return static_cast<unsigned char>(c) < 0x21; };
    while (!utf8.empty() && low(utf8.front())) utf8.remove_prefix(1);
    while (!utf8.empty() && low(utf8.back())) utf8.remove_suffix(1);
    return std::string(utf8);
}

NeraiNameCheck CheckNeraiName(std::string_view name) {
    if (name.empty()) return NeraiNameCheck::Empty;
    for (std::size_t i = 0; i < name.size();) {
        std::optional<char32_t> cp = NextCodePoint(name, i);
        if (!cp || ForbiddenInName(*cp)) return NeraiNameCheck::BadChar;
    }
    if (!keiba::Utf8ToCp932Exact(name)) return NeraiNameCheck::BadChar;
    return NeraiNameCheck::Ok;
}

std::filesystem::path NeraiFolder(const std::filesystem::path& appDir) {
    return appDir / "nerai";
}

std::filesystem::path NeraiPath(const std::filesystem::path& appDir, std::string_view nameUtf8) {
    std::filesystem::path exact =
        NeraiFolder(appDir) / keiba::Utf8Path(std::string(nameUtf8) + ".nri");
    std::error_code ec;
    if (std::filesystem::exists(exact, ec)) return exact;
    // A file named with a character that CP932 gives back in another form (a〜b.nri) is listed
    // under the name the settings file gives back (a～b), and found by it.
    for (std::filesystem::directory_iterator it(NeraiFolder(appDir), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string file = keiba::PathToUtf8(it->path().filename());
        if (file.size() > 4 && file.ends_with(".nri") &&
            keiba::Cp932ReadBack(std::string_view(file).substr(0, file.size() - 4)) == nameUtf8)
            return it->path();
    }
    return exact;
}

namespace {

// The file of a listed set: the name a save gives, or the name the settings file gives back for
// one saved when names were taken as typed. a¥b was saved so, as a¥b.nri: CP932 gives ¥ back as
// \, which no save takes now, so only the file's own name shows it was a set's.
std::optional<std::filesystem::path> ListedSetPath(const std::filesystem::path& appDir,
                                                   std::string_view nameUtf8) {
    if (CheckNeraiName(nameUtf8) == NeraiNameCheck::Ok) return NeraiPath(appDir, nameUtf8);
    std::error_code ec;
    for (std::filesystem::directory_iterator it(NeraiFolder(appDir), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string file = keiba::PathToUtf8(it->path().filename());
        if (file.size() <= 4 || !file.ends_with(".nri")) continue;
        const std::string_view stem = std::string_view(file).substr(0, file.size() - 4);
        if (CheckNeraiName(stem) == NeraiNameCheck::Ok && keiba::Cp932ReadBack(stem) == nameUtf8)
            return it->path();
    }
    return std::nullopt;
}

} // namespace

std::vector<std::string> NeraiSetNames(const std::filesystem::path& appDir,
                                       keiba::IoResult* listed) {
    std::vector<std::string> names;
    keiba::FolderList folder = keiba::ListFolder(NeraiFolder(appDir));
    if (listed) *listed = std::move(folder.list);
    if (!folder.entries) return names;
    for (const std::filesystem::directory_entry& entry : *folder.entries) {
        std::error_code ec;
        if (!entry.is_regular_file(ec)) continue;
        std::string file = keiba::PathToUtf8(entry.path().filename());
        if (file.size() <= 4 || !file.ends_with(".nri")) continue;
        // A name no save gave could be neither loaded nor deleted: it is not offered. The name
        // is the one the settings file gives back when the set is chosen.
        const std::string_view stem = std::string_view(file).substr(0, file.size() - 4);
        std::string name = keiba::Cp932ReadBack(stem);
        const bool saved = CheckNeraiName(name) == NeraiNameCheck::Ok ||
                           CheckNeraiName(stem) == NeraiNameCheck::Ok;
        if (saved && TrimNeraiName(name) == name) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

NeraiRead ReadNeraiFile(const std::filesystem::path& appDir, std::string_view nameUtf8) {
    NeraiRead result;
    const std::optional<std::filesystem::path> path = ListedSetPath(appDir, nameUtf8);
    if (!path) return result;
    keiba::FileRead file = keiba::ReadFileOrMissing(*path);
    if (!file.read) {
        result.status = NeraiReadStatus::Unreadable;
        result.message = std::move(file.read.message);
        return result;
    }
    if (!file.bytes) return result;
    // The line may end in LF or a lone CR, or in nothing at all, where an editor saved it so.
    const std::string_view b = *file.bytes;
    const std::string_view line = b.substr(0, kNeraiLineLength);
    const bool wholeLine = line.size() == kNeraiLineLength &&
                           line.find_first_of("\r\n") == std::string_view::npos &&
                           (b.size() == kNeraiLineLength || b[kNeraiLineLength] == '\r' ||
                            b[kNeraiLineLength] == '\n');
    if (wholeLine) {
        result.status = NeraiReadStatus::Ok;
        result.record.Assign(std::string(line) + "\r\n");
    } else if (b.size() >= TNeraiRecord::kLength) {
        result.status = NeraiReadStatus::Ok;
        result.record.Assign(b.substr(0, TNeraiRecord::kLength));
    } else {
        result.status = NeraiReadStatus::Short;
        result.message = NeraiUnreadableMessage(nameUtf8);
    }
    return result;
}

bool NeraiFileExists(const std::filesystem::path& appDir, std::string_view nameUtf8) {
    const std::optional<std::filesystem::path> path = ListedSetPath(appDir, nameUtf8);
    std::error_code ec;
    return path && std::filesystem::is_regular_file(*path, ec);
}

keiba::IoResult WriteNeraiFile(const std::filesystem::path& appDir, std::string_view nameUtf8,
                               const TNeraiRecord& record, std::size_t* kept) {
    if (kept) *kept = 0;
    if (keiba::IoResult io = keiba::CreateFolders(NeraiFolder(appDir)); !io) return io;
    const std::filesystem::path path = NeraiPath(appDir, nameUtf8);
    keiba::FileRead old = keiba::ReadFileOrMissing(path);
    if (!old.read) return std::move(old.read);
    // A set's line as a save writes it: every reader takes the first 216 bytes, so the new line
    // takes the old one's place, or goes first where the old one cannot be read.
    std::vector<keiba::HeldLine> lines = keiba::HoldLines(
        old.bytes.value_or(std::string()), keiba::LineEnds::CrLfOrLf, [](std::string_view line) {
            return line.size() == kNeraiLineLength &&
                   std::all_of(line.begin(), line.end(),
                               [](char c) { return c >= 0x20 && c < 0x7F; });
        });
    const std::string line(record.Bytes().substr(0, kNeraiLineLength));
    if (!lines.empty() && lines.front().readable) {
        lines.front().text = line;
        if (lines.front().end.empty()) lines.front().end = "\r\n";
    } else {
        // Put in at the end and turned to the front: an insert at the front of what may be an
        // empty vector draws a false null-pointer warning from the optimizer.
        lines.push_back({line});
        std::rotate(lines.rbegin(), lines.rbegin() + 1, lines.rend());
    }
    // A second line that reads as a set is no set's either: only the first is ever read.
    for (std::size_t i = 1; i < lines.size(); ++i) lines[i].readable = false;
    if (kept) *kept = keiba::UnreadableLines(lines);
    return keiba::WriteFileAtomic(path, keiba::JoinHeldLines(lines));
}

bool DeleteNeraiFile(const std::filesystem::path& appDir, std::string_view nameUtf8) {
    const std::optional<std::filesystem::path> path = ListedSetPath(appDir, nameUtf8);
    std::error_code ec;
    return path && std::filesystem::is_regular_file(*path, ec) &&
           std::filesystem::remove(*path, ec);
}

} // namespace search
