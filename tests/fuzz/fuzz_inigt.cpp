// Fuzz target over the settings store: the ini text read line by line, a value looked up and
// rewritten, and the store's reads and writes of a settings file holding the same bytes.
//
// Input pieces (see fuzzsupport.h): the file's bytes, a section name, a key name, a value.
// The names the system uses are ASCII words; the input's are cut to letters, digits and '_'.

#include "keiba/inigt.h"
#include "keiba/rewritelines.h"
#include "keiba/sjis.h"
#include "tests/fuzz/fuzzsupport.h"

#include <algorithm>

namespace {

namespace fs = std::filesystem;
using keiba::IniText;

std::string Word(std::string_view s, std::string_view fallback) {
    std::string w;
    for (char c : s)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')
            w += c;
    return w.empty() ? std::string(fallback) : w.substr(0, 16);
}

bool SameWord(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

// The lines of a text as a rewrite keeps them (without their ends): each ends at LF, the CR
// before it part of its end, and a lone CR is inside its line, but in a text with no LF at all,
// whose lines end at each CR. Written here again so the target does not check the store with its
// own helper.
std::vector<std::string> KeptLines(std::string_view bytes) {
    const char end = bytes.find('\n') == std::string_view::npos ? '\r' : '\n';
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != end) continue;
        const std::size_t textEnd = end == '\n' && i > start && bytes[i - 1] == '\r' ? i - 1 : i;
        lines.emplace_back(bytes.substr(start, textEnd - start));
        start = i + 1;
    }
    if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
    return lines;
}

std::vector<std::string> LinesOf(const IniText& text) {
    std::string bytes = text.Bytes();
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
    return KeptLines(bytes);
}

// Names that may be a section or a key somewhere in the file: a superset, tried against Find.
void Candidates(const std::vector<std::string>& lines, std::vector<std::string>* sections,
                std::vector<std::string>* keys) {
    for (const std::string& l : lines) {
        std::string_view t = fuzz::Trimmed(l);
        if (t.starts_with('[') && t.find(']') != std::string_view::npos && sections->size() < 12)
            sections->emplace_back(fuzz::Trimmed(t.substr(1, t.find(']') - 1)));
        std::size_t eq = t.find('=');
        if (eq != std::string_view::npos && eq > 0 && keys->size() < 12)
            keys->emplace_back(fuzz::Trimmed(t.substr(0, eq)));
    }
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// A text an editor saved as UTF-16: a byte-order mark, or, over the first 1024 bytes, no NUL
// code unit and the high byte NUL in one unit of four or more, with at most half as many units
// whose low byte is NUL, in one byte order or the other.
bool Utf16(std::string_view bytes) {
    if (bytes.size() < 2) return false;
    const auto a = static_cast<unsigned char>(bytes[0]), b = static_cast<unsigned char>(bytes[1]);
    if ((a == 0xFF && b == 0xFE) || (a == 0xFE && b == 0xFF)) return true;
    for (int high : {1, 0}) {
        const std::size_t units = std::min<std::size_t>(bytes.size(), 1024) / 2;
        std::size_t highNul = 0, lowNul = 0;
        bool nulUnit = false;
        for (std::size_t i = 0; i < units; ++i) {
            const bool h = bytes[2 * i + static_cast<std::size_t>(high)] == '\0',
                       l = bytes[2 * i + static_cast<std::size_t>(1 - high)] == '\0';
            nulUnit = nulUnit || (h && l);
            highNul += h;
            lowNul += l;
        }
        if (!nulUnit && highNul * 4 >= units && lowNul * 2 <= highNul) return true;
    }
    return false;
}

void CheckText(std::string_view bytes, const std::string& section, const std::string& key,
               std::string_view value) {
    // UTF-16 is read through its UTF-8 form and never written: the store's check below.
    if (Utf16(bytes)) return;
    // The text is kept line by line, each line with its own end: reading and writing it back
    // gives it as it was.
    IniText text(bytes);
    FUZZ_CHECK(text.Bytes() == bytes);
    std::vector<std::string> lines = LinesOf(text);

    std::vector<std::string> sections{section}, keys{key};
    Candidates(lines, &sections, &keys);
    std::vector<std::pair<bool, std::string>> found;
    for (const std::string& s : sections) {
        for (const std::string& k : keys) {
            std::string raw;
            bool f = text.Find(s, k, &raw);
            if (f) FUZZ_CHECK(raw == fuzz::Trimmed(raw));
            found.emplace_back(f, raw);
        }
    }

    // The store writes only values whose line it can read (TIniGT refuses the others).
    const std::string newLine = key + "=" + std::string(value);
    if (!(text.encoding() == IniText::Encoding::Cp932 ? keiba::IsCp932TextLine(newLine)
                                                      : keiba::IsUtf8TextLine(newLine)))
        return;
    IniText changed(bytes);
    changed.Set(section, key, value);
    std::string raw;
    FUZZ_CHECK(changed.Find(section, key, &raw));
    FUZZ_CHECK(raw == fuzz::Trimmed(value));

    // Every other line stays as it was: one key line is replaced, or one is inserted, or the
    // section is added at the end (blank lines at the end of the file give way to one).
    std::vector<std::string> after = LinesOf(changed);
    auto isNewLine = [&](const std::string& l) {
        std::size_t eq = l.find('=');
        return eq != std::string::npos && SameWord(l.substr(0, eq), key) &&
               l.substr(eq + 1) == value;
    };
    bool replaced = false, inserted = false;
    if (after.size() == lines.size()) {
        std::size_t differ = 0;
        bool allNew = true;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (after[i] == lines[i]) continue;
            ++differ;
            allNew = allNew && isNewLine(after[i]);
        }
        replaced = differ <= 1 && allNew;
    }
    if (after.size() == lines.size() + 1) {
        auto at = std::mismatch(lines.begin(), lines.end(), after.begin());
        inserted = isNewLine(*at.second) && std::equal(at.first, lines.end(), at.second + 1);
    }
    // Blank lines at the end give way; a line of control bytes is no blank line but one the
    // store cannot read, and stays.
    std::vector<std::string> appended = lines;
    while (!appended.empty() && appended.back().find_first_not_of(" \t") == std::string::npos)
        appended.pop_back();
    if (!appended.empty()) appended.emplace_back();
    appended.push_back("[" + section + "]");
    appended.push_back(key + "=" + std::string(value));
    FUZZ_CHECK(replaced || inserted || after == appended);

    // Every other setting reads as before.
    std::size_t i = 0;
    for (const std::string& s : sections) {
        for (const std::string& k : keys) {
            const auto& [was, wasRaw] = found[i++];
            if (SameWord(s, section) && SameWord(k, key)) continue;
            std::string now;
            bool f = changed.Find(s, k, &now);
            FUZZ_CHECK(f == was);
            if (f) FUZZ_CHECK(now == wasRaw);
        }
    }
}

void CheckStore(std::string_view bytes, const std::string& section, const std::string& key,
                std::string_view value) {
    fs::path dir = fuzz::Workspace().Fresh("ini");
    fs::path file = dir / "kestrane.ini";
    fuzz::PutFile(file, bytes);
    keiba::TIniGT store;
    store.SetFileName(file.string());
    std::string utf8 = keiba::Cp932ToUtf8(value);
    bool lineBreak = utf8.find_first_of("\r\n") != std::string::npos;
    // A control character but the tab (C0, DEL, and C1, which UTF-8 writes C2 80 to C2 9F).
    bool control = false;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        control =
            control || (c < 0x20 && c != '\t') || c == 0x7F ||
            (c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
             static_cast<unsigned char>(utf8[i + 1]) <= 0x9F);
    }
    bool cp932 = keiba::Utf8ToCp932Exact(utf8).has_value();

    keiba::IoResult r = store.WriteString(section, key, utf8);
    if (Utf16(bytes)) {
        // Never written over: a value it already holds is no change, any other is refused.
        FUZZ_CHECK(fuzz::ReadAll(file) == bytes);
        FUZZ_CHECK(r.ok || !r.message.empty());
        return;
    }
    // A UTF-8 file takes any character; a CP932 file only those CP932 has.
    const bool unicode = bytes.starts_with(kUtf8Mark);
    // Refused writes leave the file alone and say why; the others read back at once.
    FUZZ_CHECK(r.ok == (!lineBreak && !control && (cp932 || unicode)));
    if (!r.ok) {
        FUZZ_CHECK(!r.message.empty());
        FUZZ_CHECK(fuzz::ReadAll(file) == bytes);
        return;
    }
    // What was saved is what is read, "" and ｢｣ and blanks around it included.
    FUZZ_CHECK(store.ReadString(section, key, "\x01") == utf8);

    int number = static_cast<int>(bytes.size() * 7919 % 200001) - 100000;
    FUZZ_CHECK(store.WriteInteger(section, key, number).ok);
    FUZZ_CHECK(store.ReadInteger(section, key, number + 1) == number);
    FUZZ_CHECK(store.WriteBool(section, "flag", true).ok);
    FUZZ_CHECK(store.ReadBool(section, "flag", false));
    for (const auto& [rel, contents] : fuzz::FilesBelow(dir)) FUZZ_CHECK(rel == "kestrane.ini");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string_view> pieces =
        fuzz::Pieces({reinterpret_cast<const char*>(data), size});
    std::string_view bytes = pieces[0];
    std::string section = Word(fuzz::Piece(pieces, 1), "Dir");
    std::string key = Word(fuzz::Piece(pieces, 2), "kaime");
    std::string_view value = fuzz::Piece(pieces, 3);
    std::string oneLine;
    for (char c : value)
        if (c != '\r' && c != '\n') oneLine += c;
    CheckText(bytes, section, key, oneLine);
    CheckStore(bytes, section, key, value);
    return 0;
}
