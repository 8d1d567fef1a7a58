#pragma once
// The settings store: one ini file in the program folder, shared by every form.
//
// The program context holds the store of its program folder and every form uses it. Nothing is
// cached: every read reads the file and every write replaces it whole, so a value written
// through one store is read at once through any other of the same file. The file is CP932 (a
// file an editor saved as Unicode is read too, see IniText); this interface speaks UTF-8. A
// write that would leave the file as it is does not touch it, so an unchanged setting costs a
// read-only program folder nothing.

#include "keiba/fileio.h"
#include "keiba/rewritelines.h"

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace keiba {

enum class TIniGTDefaultDir { ddApplication, ddWindows, ddNone };

class TIniGT {
public:
    // A store that names no file until it is given a full path.
    TIniGT() = default;
    // A store of the program folder `appFolder` (its ddApplication folder) of the executable
    // named `exeBaseName`.
    TIniGT(std::filesystem::path appFolder, std::string exeBaseName);

    // Called once the owning form is built: an empty FileName becomes "<exe base name>.ini".
    void Loaded();

    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& name);
    TIniGTDefaultDir DefaultDir() const { return defaultDir_; }
    void SetDefaultDir(TIniGTDefaultDir dir);

    // The file every read and write goes to.
    const std::filesystem::path& FullPath() const { return fullPath_; }

    // Whether the file can be read: Ok when it can or is missing, else the failure, with its
    // cause. The reads below give their defaults from a file that cannot be read, and every
    // write is refused with this failure, since it would replace the file.
    keiba::IoResult Readable() const;
    // The lines of the file the store cannot read (IniText): it takes no setting from them, and
    // every write keeps them as they were.
    std::size_t UnreadLines() const;

    bool ReadBool(std::string_view section, std::string_view ident, bool def) const;
    int ReadInteger(std::string_view section, std::string_view ident, int def) const;
    // The value with one pair of surrounding "" or ｢｣ removed; a missing key gives `def`.
    std::string ReadString(std::string_view section, std::string_view ident,
                           std::string_view def) const;

    keiba::IoResult WriteBool(std::string_view section, std::string_view ident, bool value);
    keiba::IoResult WriteInteger(std::string_view section, std::string_view ident, int value);
    // Written so that ReadString gives it back: a value with blanks at its ends, or itself
    // enclosed in "" or ｢｣, gets a pair of "", any other is written as given. A value with
    // a line break or another control character but the tab (the line would be one the store
    // cannot read), one CP932 cannot hold, or one that would read back otherwise from CP932 (see
    // keiba::Cp932ReadBack), is refused, as is a section name or key the file would read as
    // another (a ']' in the one, a '=' in the other).
    keiba::IoResult WriteString(std::string_view section, std::string_view ident,
                                std::string_view value);
    // Several keys of one section in one replacement of the file: all of them are saved, or
    // none is.
    struct KeyValue {
        std::string_view ident;
        std::string_view value;
    };
    keiba::IoResult WriteStrings(std::string_view section, std::initializer_list<KeyValue> values);

private:
    void Rebuild();
    // The value's text as the file holds it, in UTF-8; nothing for a missing key.
    std::optional<std::string> RawValue(std::string_view section, std::string_view ident) const;

    std::filesystem::path appFolder_;
    std::string exeBaseName_;
    std::string fileName_;
    TIniGTDefaultDir defaultDir_ = TIniGTDefaultDir::ddApplication;
    std::filesystem::path fullPath_;
};

// The ini text itself, kept line by line so that a rewrite keeps every other line as it was, with
// its own line end. A line that is not text of the file's encoding (a NUL or another control
// character but the tab, a byte no character of the encoding has) is one it cannot read: no
// section or key is taken from it, it stays as it was, and where it may have opened a section
// (it starts with '[') the keys after it belong to none.
// Section and key names are given in the file's encoding, as values are, and compare without
// regard to ASCII case, so a file edited by hand keeps its settings whatever case it spells them
// in. Raw values are the text's bytes with the blanks
// around them removed: CP932, or UTF-8 where the file is a Unicode one (an editor saved it so).
class IniText {
public:
    // CP932 as the program writes it; UTF-8 after a byte-order mark, which a rewrite keeps; or
    // UTF-16 (after its mark, or where NULs stand on every other byte of the file's head as only
    // UTF-16 text puts them), which is read (as UTF-8) but never written: a rewrite would mix two
    // encodings.
    enum class Encoding { Cp932, Utf8, Utf16 };

    explicit IniText(std::string_view bytes);
    Encoding encoding() const { return encoding_; }
    bool Find(std::string_view section, std::string_view key, std::string* rawValue) const;
    void Set(std::string_view section, std::string_view key, std::string_view rawValue);
    // The file's bytes: every line with its own end (keiba::JoinHeldLines), after the mark it
    // began with. A UTF-16 text gives its UTF-8 form.
    std::string Bytes() const;
    // The lines it cannot read, empty ones aside.
    std::size_t Unreadable() const;

private:
    Encoding encoding_ = Encoding::Cp932;
    std::vector<keiba::HeldLine> lines_;
};

} // namespace keiba
