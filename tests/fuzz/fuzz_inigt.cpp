// Fuzz target over the settings store: the ini text read line by line, a value looked up and
// rewritten, and the store's reads and writes of a settings file holding the same bytes.
//
// Input pieces (see fuzzsupport.h): the file's bytes, a section name, a key name, a value.
// The names the system uses are ASCII words; the input's are cut to letters, digits and '_'.

#include "keiba/inigt.h"
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

std::vector<std::string> LinesOf(const IniText& text) {
    std::string bytes = text.Bytes();
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
    std::vector<std::string> lines;
    // Every line comes back with CR LF; a lone CR or LF inside a line would split it.
    for (std::string_view l : fuzz::TextLines(bytes)) lines.emplace_back(l);
    return lines;
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

// A text an editor saved as UTF-16: a byte-order mark, or a printable ASCII character and a
// NUL.
bool Utf16(std::string_view bytes) {
    if (bytes.size() < 2) return false;
    const auto a = static_cast<unsigned char>(bytes[0]), b = static_cast<unsigned char>(bytes[1]);
    auto printable = [](unsigned char c) { return c >= 0x20 && c < 0x7F; };
    return (a == 0xFF && b == 0xFE) || (a == 0xFE && b == 0xFF) || (a == 0 && printable(b)) ||
           (printable(a) && b == 0);
}

void CheckText(std::string_view bytes, const std::string& section, const std::string& key,
               std::string_view value) {
    // UTF-16 is read through its UTF-8 form and never written: the store's check below.
    if (Utf16(bytes)) return;
    // The text is kept line by line: reading and writing it back only makes every line end
    // in CR LF, after the UTF-8 mark it began with.
    IniText text(bytes);
    const bool marked = bytes.starts_with(kUtf8Mark);
    if (marked) bytes.remove_prefix(kUtf8Mark.size());
    std::vector<std::string_view> before = fuzz::TextLines(bytes);
    std::string expected(marked ? kUtf8Mark : "");
    for (std::string_view l : before) expected += std::string(l) + "\r\n";
    FUZZ_CHECK(text.Bytes() == expected);
    FUZZ_CHECK(IniText(text.Bytes()).Bytes() == expected);
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
    std::vector<std::string> appended = lines;
    while (!appended.empty() && fuzz::Trimmed(appended.back()).empty()) appended.pop_back();
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
    FUZZ_CHECK(r.ok == (!lineBreak && (cp932 || unicode)));
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
