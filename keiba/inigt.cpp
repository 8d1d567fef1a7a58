#include "keiba/inigt.h"

#include "keiba/rewritelines.h"
#include "keiba/sjis.h"

#include <algorithm>

#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

namespace keiba {
namespace {

// Names in the file's encoding, equal but for the case of ASCII letters. The second byte of a
// CP932 character may be an ASCII letter's (ア is 83 41, ヂ 83 61): it is compared as it is.
bool EqualsNoCase(std::string_view a, std::string_view b, bool cp932) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (cp932 && keiba::IsSjisLeadByte(static_cast<unsigned char>(x)) && i + 1 < a.size()) {
            if (x != y || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// The section a line opens, if it is a section line.
bool SectionOf(std::string_view line, std::string_view* name) {
    std::string_view t = keiba::TrimBlanks(line);
    if (t.size() < 2 || t.front() != '[') return false;
    std::size_t close = t.find(']');
    if (close == std::string_view::npos) return false;
    *name = keiba::TrimBlanks(t.substr(1, close - 1));
    return true;
}

// Key and value of a key line; comments and lines without '=' are not key lines.
bool KeyOf(std::string_view line, std::string_view* key, std::string_view* value) {
    std::string_view t = keiba::TrimBlanks(line);
    if (t.empty() || t.front() == ';') return false;
    std::size_t eq = t.find('=');
    if (eq == std::string_view::npos || eq == 0) return false;
    *key = keiba::TrimBlanks(t.substr(0, eq));
    if (key->empty()) return false;
    *value = keiba::TrimBlanks(t.substr(eq + 1));
    return true;
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// A control character but the tab (C0, DEL, C1) in UTF-8 text: a line holding one is one the
// store cannot read, so a value with one would never read back.
bool HasControl(std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if ((c < 0x20 && c != '\t') || c == 0x7F) return true;
        if (c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) <= 0x9F &&
            static_cast<unsigned char>(utf8[i + 1]) >= 0x80)
            return true;
    }
    return false;
}

// Removes one pair of "" or ｢｣ around a value (compared by character, not by byte).
std::string Unquote(const std::string& utf8) {
    static const std::string open = "\xEF\xBD\xA2";  // ｢ U+FF62
    static const std::string close = "\xEF\xBD\xA3"; // ｣ U+FF63
    bool dq = utf8.size() >= 2 && utf8.front() == '"' && utf8.back() == '"';
    bool cb = utf8.size() >= 6 && utf8.starts_with(open) && utf8.ends_with(close);
    if (dq) return utf8.substr(1, utf8.size() - 2);
    if (cb) return utf8.substr(3, utf8.size() - 6);
    return utf8;
}

// The text to write for a value so that reading gives it back. A value with blanks at its ends
// (a folder whose name ends in one), or itself enclosed in such a pair, gets a pair of "" for the
// reading to remove; any other is written as it is, as earlier versions wrote it and as a user
// writes "abc" by hand.
std::string Quoted(std::string_view utf8) {
    const std::string value(utf8);
    if (keiba::TrimBlanks(utf8) == utf8 && Unquote(value) == value) return value;
    return "\"" + value + "\"";
}

// True when the line of `key` in `section` reads back under the same names (in the file's
// bytes: a CP932 character may end in the byte of ']').
bool NamesReadBack(std::string_view section, std::string_view key, std::string_view rawValue) {
    std::string_view name, k, v;
    const std::string line = std::string(key) + "=" + std::string(rawValue);
    return SectionOf("[" + std::string(section) + "]", &name) && name == section &&
           !SectionOf(line, &name) && KeyOf(line, &k, &v) && k == key;
}

} // namespace

namespace {

// Whether `bytes` without a mark are UTF-16 in the byte order given: over the file's head, the
// high byte of at least one code unit in four is NUL (the ASCII characters of section and key
// names, '=', the line ends) and no code unit is NUL. No CP932 or UTF-8 text holds a NUL, but a
// damaged one may hold a few; only UTF-16 text puts them on every other byte so.
bool IsUtf16WithoutMark(std::string_view bytes, bool bigEndian) {
    const std::size_t units = std::min<std::size_t>(bytes.size(), 1024) / 2;
    std::size_t ascii = 0, lowNul = 0;
    for (std::size_t i = 0; i < units; ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]),
                   second = static_cast<unsigned char>(bytes[2 * i + 1]);
        const unsigned char high = bigEndian ? first : second, low = bigEndian ? second : first;
        if (high == 0 && low == 0) return false;
        if (high == 0) ++ascii;
        if (low == 0) ++lowNul; // a CJK character may end in 00 (U+3000), but few do
    }
    return units > 0 && ascii * 4 >= units && lowNul * 2 <= ascii;
}

bool HoldsText(std::string_view line, IniText::Encoding encoding) {
    return encoding == IniText::Encoding::Cp932 ? keiba::IsCp932TextLine(line)
                                                : keiba::IsUtf8TextLine(line);
}

// A line the store cannot read that may have been a section's: the keys after it are of no
// section the store knows.
bool MayOpenSection(const keiba::HeldLine& line) {
    return !line.readable && keiba::TrimBlanks(line.text).starts_with('[');
}

} // namespace

IniText::IniText(std::string_view bytes) {
    static constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
    std::string decoded;
    const auto b0 = bytes.size() >= 2 ? static_cast<unsigned char>(bytes[0]) : 0;
    const auto b1 = bytes.size() >= 2 ? static_cast<unsigned char>(bytes[1]) : 0;
    if (bytes.starts_with(kUtf8Mark)) {
        encoding_ = Encoding::Utf8;
        bytes.remove_prefix(kUtf8Mark.size());
    } else if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF)) {
        encoding_ = Encoding::Utf16;
        decoded = keiba::Utf16ToUtf8(bytes.substr(2), b0 == 0xFE);
        bytes = decoded;
    } else if (IsUtf16WithoutMark(bytes, false) || IsUtf16WithoutMark(bytes, true)) {
        encoding_ = Encoding::Utf16;
        decoded = keiba::Utf16ToUtf8(bytes, !IsUtf16WithoutMark(bytes, false));
        bytes = decoded;
    }
    // Any other NUL, or a byte the encoding has no character for, is a line the store cannot
    // read: it takes nothing from it and a rewrite keeps it as it was.
    const Encoding encoding = encoding_;
    lines_ = keiba::HoldLines(bytes, keiba::LineEnds::CrLfOrLf, [encoding](std::string_view line) {
        return HoldsText(line, encoding);
    });
}

std::size_t IniText::Unreadable() const {
    return keiba::UnreadableLines(lines_);
}

bool IniText::Find(std::string_view section, std::string_view key, std::string* rawValue) const {
    const bool cp932 = encoding_ == Encoding::Cp932;
    bool inSection = false;
    for (const keiba::HeldLine& line : lines_) {
        std::string_view name, k, v;
        if (!line.readable) {
            inSection = inSection && !MayOpenSection(line);
        } else if (SectionOf(line.text, &name)) {
            inSection = EqualsNoCase(name, section, cp932);
        } else if (inSection && KeyOf(line.text, &k, &v) && EqualsNoCase(k, key, cp932)) {
            *rawValue = std::string(v);
            return true;
        }
    }
    return false;
}

void IniText::Set(std::string_view section, std::string_view key, std::string_view rawValue) {
    std::string newLine = std::string(key) + "=" + std::string(rawValue);
    const bool cp932 = encoding_ == Encoding::Cp932;
    bool inSection = false;
    std::size_t insertAt = std::string::npos; // after the section's last key line
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        keiba::HeldLine& line = lines_[i];
        std::string_view name, k, v;
        if (MayOpenSection(line) || (line.readable && SectionOf(line.text, &name))) {
            if (inSection) break;
            inSection = line.readable && EqualsNoCase(name, section, cp932);
            if (inSection) insertAt = i + 1;
        } else if (inSection) {
            if (line.readable && KeyOf(line.text, &k, &v) && EqualsNoCase(k, key, cp932)) {
                line.text = std::string(k) + "=" + std::string(rawValue);
                return;
            }
            if (!keiba::TrimBlanks(line.text).empty()) insertAt = i + 1;
        }
    }
    if (insertAt != std::string::npos) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), {newLine});
        return;
    }
    while (!lines_.empty() && lines_.back().readable &&
           keiba::TrimBlanks(lines_.back().text).empty())
        lines_.pop_back();
    if (!lines_.empty()) lines_.push_back({});
    lines_.push_back({"[" + std::string(section) + "]"});
    lines_.push_back({newLine});
}

std::string IniText::Bytes() const {
    std::string out = encoding_ == Encoding::Utf8 ? "\xEF\xBB\xBF" : "";
    return out + keiba::JoinHeldLines(lines_);
}

TIniGT::TIniGT(std::filesystem::path appFolder, std::string exeBaseName)
    : appFolder_(std::move(appFolder))
    , exeBaseName_(std::move(exeBaseName)) {}

void TIniGT::Loaded() {
    if (fileName_.empty() && !exeBaseName_.empty()) SetFileName(exeBaseName_ + ".ini");
}

void TIniGT::SetFileName(const std::string& name) {
    fileName_ = name;
    Rebuild();
}

void TIniGT::SetDefaultDir(TIniGTDefaultDir dir) {
    defaultDir_ = dir;
    Rebuild();
}

void TIniGT::Rebuild() {
    std::filesystem::path p = keiba::Utf8Path(fileName_);
    if (fileName_.empty() || p.has_parent_path() || p.is_absolute()) {
        fullPath_ = p;
        return;
    }
    switch (defaultDir_) {
    case TIniGTDefaultDir::ddApplication:
        // Without a program folder a bare name names no file.
        fullPath_ = appFolder_.empty() ? std::filesystem::path() : appFolder_ / p;
        break;
    case TIniGTDefaultDir::ddWindows: {
        // The per-user configuration folder stands in for the system folder.
        const char* home = std::getenv("XDG_CONFIG_HOME");
        std::filesystem::path base = home && *home ? std::filesystem::path(home)
                                     : std::getenv("HOME")
                                         ? std::filesystem::path(std::getenv("HOME")) / ".config"
                                         : std::filesystem::path(".");
        fullPath_ = base / p;
        break;
    }
    case TIniGTDefaultDir::ddNone: fullPath_ = p; break;
    }
}

bool TIniGT::ReadBool(std::string_view section, std::string_view ident, bool def) const {
    int v = ReadInteger(section, ident, def ? 1 : 0);
    return v != 0;
}

int TIniGT::ReadInteger(std::string_view section, std::string_view ident, int def) const {
    const std::optional<std::string> raw = RawValue(section, ident);
    return raw ? keiba::StrToIntDef(*raw, def) : def;
}

std::string TIniGT::ReadString(std::string_view section, std::string_view ident,
                               std::string_view def) const {
    const std::optional<std::string> raw = RawValue(section, ident);
    return raw ? Unquote(*raw) : std::string(def);
}

std::size_t TIniGT::UnreadLines() const {
    if (fullPath_.empty()) return 0;
    keiba::FileRead file = keiba::ReadFileOrMissing(fullPath_);
    return file.bytes ? IniText(*file.bytes).Unreadable() : 0;
}

keiba::IoResult TIniGT::Readable() const {
    if (fullPath_.empty()) return keiba::IoResult::Ok();
    return std::move(keiba::ReadFileOrMissing(fullPath_).read);
}

std::optional<std::string> TIniGT::RawValue(std::string_view section,
                                            std::string_view ident) const {
    if (fullPath_.empty()) return std::nullopt;
    // A file that cannot be read gives the defaults; the read's failure goes to the error log,
    // and a write, which would lose the file, is refused with it.
    keiba::FileRead file = keiba::ReadFileOrMissing(fullPath_);
    if (!file.bytes) return std::nullopt;
    const IniText text(*file.bytes);
    // The names as a write puts them in the file: a name CP932 cannot hold was never written.
    const bool cp932 = text.encoding() == IniText::Encoding::Cp932;
    const auto fileSection =
        cp932 ? keiba::Utf8ToCp932Exact(section) : std::optional<std::string>(section);
    const auto fileIdent =
        cp932 ? keiba::Utf8ToCp932Exact(ident) : std::optional<std::string>(ident);
    std::string raw;
    if (!fileSection || !fileIdent || !text.Find(*fileSection, *fileIdent, &raw))
        return std::nullopt;
    return cp932 ? keiba::Cp932ToUtf8(raw) : raw;
}

keiba::IoResult TIniGT::WriteBool(std::string_view section, std::string_view ident, bool value) {
    return WriteString(section, ident, value ? "1" : "0");
}

keiba::IoResult TIniGT::WriteInteger(std::string_view section, std::string_view ident, int value) {
    return WriteString(section, ident, std::to_string(value));
}

keiba::IoResult TIniGT::WriteString(std::string_view section, std::string_view ident,
                                    std::string_view value) {
    return WriteStrings(section, {{ident, value}});
}

keiba::IoResult TIniGT::WriteStrings(std::string_view section,
                                     std::initializer_list<KeyValue> values) {
    if (fullPath_.empty()) return keiba::IoResult::Fail("設定ファイルが決まっていません。");
    for (const KeyValue& kv : values)
        if (HasLineBreak(section) || HasLineBreak(kv.ident) || HasLineBreak(kv.value))
            return keiba::IoResult::Fail("改行を含む設定値は保存できません。");
    for (const KeyValue& kv : values)
        if (HasControl(section) || HasControl(kv.ident) || HasControl(kv.value))
            return keiba::IoResult::Fail("制御文字を含む設定値は保存できません。");
    keiba::FileRead file = keiba::ReadFileOrMissing(fullPath_);
    if (!file.read) return std::move(file.read);
    IniText text(file.bytes.value_or(std::string()));

    // The keys in the file's own encoding; a CP932 file takes only what CP932 can hold.
    const bool cp932 = text.encoding() == IniText::Encoding::Cp932;
    std::optional<std::string> fileSection =
        cp932 ? keiba::Utf8ToCp932Exact(section) : std::optional<std::string>(section);
    std::vector<std::pair<std::string, std::string>> keys;
    bool representable = fileSection.has_value();
    for (const KeyValue& kv : values) {
        const std::string quoted = Quoted(kv.value);
        auto ident = cp932 ? keiba::Utf8ToCp932Exact(kv.ident) : std::string(kv.ident);
        auto value = cp932 ? keiba::Utf8ToCp932Exact(quoted) : quoted;
        if (!ident || !value) {
            representable = false;
            continue;
        }
        keys.emplace_back(std::move(*ident), std::move(*value));
    }
    if (!representable)
        return keiba::IoResult::Fail("Shift-JISで表せない文字を含む設定値は保存できません。");
    // A value that would read back otherwise (〜 comes back as ～) names another folder or set
    // after a restart: it is refused, not saved as if it would come back.
    for (const KeyValue& kv : values)
        if (cp932 && keiba::Cp932ReadBack(kv.value) != kv.value)
            return keiba::IoResult::Fail(
                "設定値「" + std::string(kv.value) + "」は設定ファイル（Shift-JIS）では「" +
                keiba::Cp932ReadBack(kv.value) + "」に変わってしまうため、保存できません。");
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (!NamesReadBack(*fileSection, keys[i].first, keys[i].second))
            return keiba::IoResult::Fail("設定名「" + std::string(section) + "」「" +
                                         std::string(values.begin()[i].ident) +
                                         "」は設定ファイルでは別の名前に読まれるため、保存でき"
                                         "ません。");

    // A value reads back without the blanks around it, so they change nothing either.
    bool changes = false;
    for (const auto& [ident, value] : keys) {
        std::string held;
        changes =
            changes || !text.Find(*fileSection, ident, &held) || held != keiba::TrimBlanks(value);
    }
    if (!changes) return keiba::IoResult::Ok();
    if (text.encoding() == IniText::Encoding::Utf16)
        return keiba::IoResult::Fail(
            keiba::PathToUtf8(fullPath_) +
            " はUTF-16で保存されているため、設定を書き込めません。Shift-JISかUTF-8で保存し直して"
            "ください。");
    for (const auto& [ident, value] : keys) text.Set(*fileSection, ident, value);
    return keiba::WriteFileAtomic(fullPath_, text.Bytes());
}

} // namespace keiba
