#pragma once
// The target condition set (狙い馬 conditions): one fixed-width line of two 107-character
// halves and CR LF, kept as `nerai/<name>.nri` under the program folder.
//
// One field table describes a half; the writer, the reader and the condition editor are all
// generated from it, so a field cannot be encoded at one offset and decoded at another. Half 1
// holds the conditions on the race of the day and the runner in it, half 2 those on the
// runner's previous run, at the same offsets plus 107.

#include "keiba/fileio.h"
#include "raceday/daymodel.h"

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace search {

using raceday::TNeraiRecord;

inline constexpr std::size_t kNeraiHalfLength = 107;
inline constexpr std::size_t kNeraiLineLength = 2 * kNeraiHalfLength;
static_assert(TNeraiRecord::kLength == kNeraiLineLength + 2);

enum class NeraiFieldKind {
    Spin,    // "%Nd" from a spin edit with a range
    Decimal, // "%5.1f" from a numeric edit's text
    Total,   // "%4d" from a signed numeric edit without decimals
    Flags,   // one '1' or '0' per list item
};

// Fields of one half in the order of the line.
enum NeraiFieldId {
    kTosuMin,
    kTosuMax,
    kKyoriMin,
    kKyoriMax,
    kBashoFlags,
    kRUmaFlags,
    kYosoFlags,
    kRLevelFlags,
    kClassFlags,
    kTrackFlags,
    kAgeFlags,
    kZogenFlags,
    kLvZokuseiFlags,
    kJoshoFlag,
    kSenzaiFlag,
    kKiekenFlag,
    kCourseFlag,
    kKyoriFlag,
    kHiLvKosoFlag,
    kHi1stFlag,
    kKettoFlags,
    kKishuFlags,
    kTanOzMin,
    kTanOzMax,
    kTanNinMin,
    kTanNinMax,
    kChakujunMin,
    kChakujunMax,
    kHiLvShorituMin,
    kLoLvShorituMin,
    kR5soTotalMin,
    kNeraiFieldCount
};

struct NeraiField {
    std::string_view name;
    std::size_t offset; // within a half
    std::size_t width;
    NeraiFieldKind kind;
    // Object names of the controls of half 1 and half 2; empty where the half has none (the
    // finishing position of today's run: its positions always hold blanks).
    std::array<std::string_view, 2> control;
    std::string_view caption; // UTF-8, the editor's label and the messages'
    std::span<const std::string_view> items;
    int min = 0; // spin and numeric ranges
    int max = 0;
    double initial = 0; // the value of a fresh form and of a clear
    // The text a fresh form shows in a numeric edit ("1.0"); a clear sets the number instead.
    std::string_view initialText;
};

// The 31 fields of a half, indexed by NeraiFieldId.
std::span<const NeraiField> NeraiFields();
inline const NeraiField& NeraiFieldOf(NeraiFieldId id) {
    return NeraiFields()[static_cast<std::size_t>(id)];
}
// The 0-based offset of a field within the whole line.
inline std::size_t NeraiOffset(int half, NeraiFieldId id) {
    return static_cast<std::size_t>(half) * kNeraiHalfLength + NeraiFieldOf(id).offset;
}
// The group box caption of a half: "本走条件指定", "前走条件指定".
std::string_view NeraiHalfCaption(int half);

// The editor's state of one field: `number` for spin and total fields, `text` for decimals,
// `selected` (one per item) for flag groups.
struct NeraiFieldValue {
    int number = 0;
    std::string text;
    std::vector<bool> selected;
};
using NeraiHalfValues = std::array<NeraiFieldValue, kNeraiFieldCount>;
using NeraiValues = std::array<NeraiHalfValues, 2>;

// The values of a fresh editor (the texts "1.0", "999.9", "0.0" in the numeric edits).
NeraiValues InitialNeraiValues();

// The line of a save, or the message that stops it: a decimal edit left empty names its field.
struct NeraiEncoded {
    std::optional<TNeraiRecord> record;
    std::string message; // UTF-8, empty when the record is there
};
NeraiEncoded EncodeNerai(const NeraiValues& values);

// What a load puts into one control. A spin edit takes `number` only when it is there (a value
// above 0 in the file); a numeric edit takes `text` (the field's characters, trimmed) or, for the
// past-five total, `number`; a list takes `selected`.
struct NeraiFieldLoad {
    std::optional<int> number;
    std::string text;
    std::vector<bool> selected;
};
using NeraiLoad = std::array<std::array<NeraiFieldLoad, kNeraiFieldCount>, 2>;
NeraiLoad DecodeNerai(const TNeraiRecord& record);

// The number rules of the record (shared with the matcher): an integer is leading blanks, an
// optional sign and digits, and 0 when anything else stands in the field (a trailing blank too);
// a decimal is a plain decimal number (sign, digits, point; no exponent, infinity or NaN) with
// blanks around it allowed, 0 when it is not one.
int NeraiInteger(std::string_view field);
double NeraiDecimal(std::string_view field);

// --- names and files ---

inline constexpr std::string_view kNeraiNameEmptyMessage = "狙い馬ファイル名が未入力す。";
inline constexpr std::string_view kNeraiNameBadMessage =
    "ファイル名にできない文字が含まれています。";
inline constexpr std::string_view kNeraiSavedMessage = "結果を狙い馬ファイルに保存しました。";
std::string NeraiOverwriteQuestion(std::string_view name);
// A set file too short to hold a record: nothing is taken from it.
std::string NeraiUnreadableMessage(std::string_view name);

// A set name as typed: characters below 0x21 removed at both ends (full-width blanks stay).
std::string TrimNeraiName(std::string_view utf8);

enum class NeraiNameCheck { Ok, Empty, BadChar };
// Checked by character, never by Shift-JIS byte, so that ソ or 表 (whose second byte is a
// backslash) pass. Refused: ! " # $ % & ' ( ) < > [ ] { } + * @ ? \ - = , . / : | and control
// characters, and any character the settings file (CP932) cannot hold.
NeraiNameCheck CheckNeraiName(std::string_view trimmedUtf8);

// <program folder>/nerai and the file of a set. A name is taken in the form CP932 gives it back
// (keiba::Cp932ReadBack): the file of a～b is a～b.nri, or a〜b.nri where only that one is there.
std::filesystem::path NeraiFolder(const std::filesystem::path& appDir);
std::filesystem::path NeraiPath(const std::filesystem::path& appDir, std::string_view nameUtf8);

// The saved sets: the names of the "*.nri" files of the folder without their extension, in the
// form CP932 gives them back, sorted; only names a save could have given (see CheckNeraiName),
// now or when names were taken as typed (a¥b.nri is listed as a\b), so each one listed can be
// loaded and deleted. A folder that is there but cannot be listed gives no names and fails
// `listed`, naming it and the cause, for the caller to say: it is not a folder without sets.
std::vector<std::string> NeraiSetNames(const std::filesystem::path& appDir,
                                       keiba::IoResult* listed = nullptr);

// Short: too short for a record. Unreadable: the file is there but cannot be read.
enum class NeraiReadStatus { Ok, Missing, Short, Unreadable };
struct NeraiRead {
    NeraiReadStatus status = NeraiReadStatus::Missing;
    TNeraiRecord record; // blanks unless Ok; only the first 216 bytes of a longer file
    std::string message; // UTF-8, what the user is told when the set is neither Ok nor Missing
};
// A name that could not have been listed (see NeraiSetNames) reads as missing.
NeraiRead ReadNeraiFile(const std::filesystem::path& appDir, std::string_view nameUtf8);
bool NeraiFileExists(const std::filesystem::path& appDir, std::string_view nameUtf8);
// Creates the folder when needed and replaces the file whole with the set's line. What else a
// file already there holds (a line that is no set's, a second line) stays as it was, in its
// place after the set's line, and `kept`, when given, receives how many such lines there are;
// one that is there but cannot be read is left as it is, and the result says so.
keiba::IoResult WriteNeraiFile(const std::filesystem::path& appDir, std::string_view nameUtf8,
                               const TNeraiRecord& record, std::size_t* kept = nullptr);
// True when a file was there and is gone.
bool DeleteNeraiFile(const std::filesystem::path& appDir, std::string_view nameUtf8);

} // namespace search
