#include "search/nerairecord.h"

#include "tests/search/neraifixture.h"
#include "tests/support/tempdir.h"

#include <functional>

using namespace search;
using testsupport::Slurp;
using testsupport::TempDir;
using testsupport::WriteBytes;

TEST(NeraiRecord, ADecimalEditWithATrailingPointIsSavedWhole) {
    NeraiValues values = InitialNeraiValues();
    values[0][kHiLvShorituMin].text = "12.";
    NeraiEncoded encoded = EncodeNerai(values);
    ASSERT_TRUE(encoded.record);
    EXPECT_EQ(encoded.record->Field(NeraiOffset(0, kHiLvShorituMin) + 1, 5), " 12.0");
}

// A damaged set file may hold any five characters in a decimal field; only the plain form
// the editor writes is a number, so the matcher never gets an infinite or huge bound.
TEST(NeraiRecord, DecimalFieldsReadOnlyPlainNumbers) {
    struct {
        std::string_view field;
        double value;
    } cases[] = {
        {" 12.5", 12.5}, {"+1.5 ", 1.5}, {" -3.0", -3.0}, {"  7  ", 7.0},
        {"     ", 0.0},  {"12.5x", 0.0}, {"  inf", 0.0},  {"  nan", 0.0},
        {"-INF ", 0.0},  {"1e300", 0.0}, {" 1E2 ", 0.0},
    };
    for (auto c : cases) EXPECT_EQ(NeraiDecimal(c.field), c.value) << c.field;
}

TEST(NeraiRecord, ALoadKeepsSpinEditsForZeroOrBlankAndEmptiesBlankDecimals) {
    TNeraiRecord rec = testsupport::DefaultSet();
    testsupport::Put(rec, 0, kTanNinMin, " 0");
    testsupport::Put(rec, 0, kTanNinMax, "  ");
    testsupport::Put(rec, 1, kTanOzMin, "     ");
    testsupport::Put(rec, 1, kR5soTotalMin, "  x ");
    testsupport::Put(rec, 1, kBashoFlags, "1 01000000");
    NeraiLoad load = DecodeNerai(rec);
    EXPECT_FALSE(load[0][kTanNinMin].number);
    EXPECT_FALSE(load[0][kTanNinMax].number);
    EXPECT_EQ(load[0][kTosuMax].number, 18);
    EXPECT_EQ(load[1][kTanOzMin].text, "");
    EXPECT_EQ(load[1][kTanOzMax].text, "999.9");
    EXPECT_EQ(load[1][kR5soTotalMin].number, 0);
    EXPECT_EQ(load[0][kR5soTotalMin].number, -99);
    EXPECT_EQ(
        load[1][kBashoFlags].selected,
        (std::vector<bool>{true, false, false, true, false, false, false, false, false, false}));
}

TEST(NeraiRecord, NamesAreCheckedByCharacter) {
    struct {
        std::string_view name;
        NeraiNameCheck check;
    } cases[] = {
        {"", NeraiNameCheck::Empty},
        {"a.b", NeraiNameCheck::BadChar},
        {"ソ", NeraiNameCheck::Ok},       // CP932 83 5C
        {"表の条件", NeraiNameCheck::Ok}, // CP932 95 5C
        {"a b", NeraiNameCheck::Ok},
        {"全角　空白", NeraiNameCheck::Ok},
        {"a/b", NeraiNameCheck::BadChar},
        {"a:b", NeraiNameCheck::BadChar},
        {"a|b", NeraiNameCheck::BadChar},
        {"a\tb", NeraiNameCheck::BadChar},
        {"a\\b", NeraiNameCheck::BadChar},
        {"..", NeraiNameCheck::BadChar},
        {"\xF0\x9F\x90\x8E", NeraiNameCheck::BadChar}, // no CP932 form
        {"\xE3\x81", NeraiNameCheck::BadChar},         // broken UTF-8
    };
    for (auto c : cases) EXPECT_EQ(CheckNeraiName(c.name), c.check) << c.name;
    for (char c : std::string_view("!\"#$%&'()<>[]{}+*@?\\-=,."))
        EXPECT_EQ(CheckNeraiName(std::string("x") + c), NeraiNameCheck::BadChar) << c;
    EXPECT_EQ(TrimNeraiName(" \t名前 \r\n"), "名前");
    EXPECT_EQ(TrimNeraiName("　名前　"), "　名前　");
}

class NeraiFiles : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(NeraiFiles, ReadsTheFirstRecordAndRefusesAShortFile) {
    const TNeraiRecord set = testsupport::DefaultSet();
    ASSERT_TRUE(WriteNeraiFile(dir.path(), "長い名前 2", set));
    EXPECT_EQ(Slurp(dir / "nerai/長い名前 2.nri"), set.Bytes());

    NeraiRead read = ReadNeraiFile(dir.path(), "長い名前 2");
    EXPECT_EQ(read.status, NeraiReadStatus::Ok);
    EXPECT_EQ(read.record.Bytes(), set.Bytes());

    WriteBytes(dir / "nerai/long.nri", std::string(set.Bytes()) + "trailing");
    EXPECT_EQ(ReadNeraiFile(dir.path(), "long").record.Bytes(), set.Bytes());

    // The line may end in LF, a lone CR or nothing.
    const std::string line(set.Bytes().substr(0, 214));
    for (std::string_view end : {"\n", "\r", ""}) {
        WriteBytes(dir / "nerai/ends.nri", line + std::string(end));
        read = ReadNeraiFile(dir.path(), "ends");
        EXPECT_EQ(read.status, NeraiReadStatus::Ok) << end.size();
        EXPECT_EQ(read.record.Bytes(), set.Bytes()) << end.size();
    }

    WriteBytes(dir / "nerai/short.nri", line.substr(0, 213) + "\r\n");
    read = ReadNeraiFile(dir.path(), "short");
    EXPECT_EQ(read.status, NeraiReadStatus::Short);
    EXPECT_TRUE(read.record.IsBlank());

    EXPECT_EQ(ReadNeraiFile(dir.path(), "none").status, NeraiReadStatus::Missing);
    WriteBytes(dir / "outside.nri", set.Bytes());
    EXPECT_EQ(ReadNeraiFile(dir.path(), "../outside").status, NeraiReadStatus::Missing);
    EXPECT_FALSE(DeleteNeraiFile(dir.path(), "../outside"));
}

TEST_F(NeraiFiles, TheListIsTheSortedNamesOfTheSetFiles) {
    EXPECT_TRUE(NeraiSetNames(dir.path()).empty()); // no folder yet
    std::filesystem::create_directories(dir / "nerai");
    for (const char* f : {"b.nri", "a.nri", "表.nri", "notes.txt", "c.nri.tmp123", "x.NRI"})
        WriteBytes(dir / (std::string("nerai/") + f), "");
    std::filesystem::create_directories(dir / "nerai/dir.nri");
    // Names a save refuses: listed, they could be neither loaded nor deleted.
    for (const char* f :
         {"G1-2.nri", "v1.5.nri", " lead.nri", "tail .nri", "q?.nri", "①②.nri", "\xff\xfe.nri"})
        WriteBytes(dir / (std::string("nerai/") + f), std::string(TNeraiRecord::kLength, '0'));
    EXPECT_EQ(NeraiSetNames(dir.path()), (std::vector<std::string>{"a", "b", "①②", "表"}));
    for (const std::string& name : NeraiSetNames(dir.path()))
        EXPECT_TRUE(NeraiFileExists(dir.path(), name)) << name;
    EXPECT_TRUE(DeleteNeraiFile(dir.path(), "a"));
    EXPECT_FALSE(DeleteNeraiFile(dir.path(), "a"));
    EXPECT_EQ(NeraiSetNames(dir.path()), (std::vector<std::string>{"b", "①②", "表"}));
}

// Names were once taken as typed: a set saved then under ¥ (CP932 5C, given back as \) or 〜
// (81 60, given back as ～) is listed under the name the settings file gives back, and that
// name loads and deletes it.
TEST_F(NeraiFiles, SetsSavedEarlierUnderAYenSignOrAWaveDashCanBeLoadedAndDeleted) {
    const TNeraiRecord set = testsupport::DefaultSet();
    std::filesystem::create_directories(dir / "nerai");
    WriteBytes(dir / "nerai/a¥b.nri", set.Bytes());
    WriteBytes(dir / "nerai/c〜d.nri", set.Bytes());
    const std::vector<std::string> names = NeraiSetNames(dir.path());
    EXPECT_EQ(names, (std::vector<std::string>{"a\\b", "c～d"}));
    for (const std::string& name : names) {
        EXPECT_EQ(ReadNeraiFile(dir.path(), name).record.Bytes(), set.Bytes()) << name;
        EXPECT_TRUE(DeleteNeraiFile(dir.path(), name)) << name;
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir / "nerai"));
}

// Every field of the file's line stands at its published offset and width in both halves (the
// second half 107 characters on): one field changed at a time changes those characters only.
TEST(NeraiRecord, EveryFieldIsWrittenAtItsPublishedPlace) {
    struct Field {
        NeraiFieldId id;
        std::size_t offset, width;
        std::function<void(NeraiFieldValue&)> set;
        std::string chars;
    };
    auto number = [](int n) { return [n](NeraiFieldValue& v) { v.number = n; }; };
    auto text = [](const char* t) { return [t](NeraiFieldValue& v) { v.text = t; }; };
    auto last = [](NeraiFieldValue& v) { v.selected.back() = true; };
    const std::vector<Field> fields = {
        {kTosuMin, 0, 2, number(7), " 7"},
        {kTosuMax, 2, 2, number(16), "16"},
        {kKyoriMin, 4, 4, number(1200), "1200"},
        {kKyoriMax, 8, 4, number(2400), "2400"},
        {kBashoFlags, 12, 10, last, "0000000001"},
        {kRUmaFlags, 22, 3, last, "001"},
        {kYosoFlags, 25, 5, last, "00001"},
        {kRLevelFlags, 30, 7, last, "0000001"},
        {kClassFlags, 37, 8, last, "00000001"},
        {kTrackFlags, 45, 2, last, "01"},
        {kAgeFlags, 47, 4, last, "0001"},
        {kZogenFlags, 51, 4, last, "0001"},
        {kLvZokuseiFlags, 55, 3, last, "001"},
        {kJoshoFlag, 58, 1, last, "1"},
        {kSenzaiFlag, 59, 1, last, "1"},
        {kKiekenFlag, 60, 1, last, "1"},
        {kCourseFlag, 61, 1, last, "1"},
        {kKyoriFlag, 62, 1, last, "1"},
        {kHiLvKosoFlag, 63, 1, last, "1"},
        {kHi1stFlag, 64, 1, last, "1"},
        {kKettoFlags, 65, 5, last, "00001"},
        {kKishuFlags, 70, 5, last, "00001"},
        {kTanOzMin, 75, 5, text("2.5"), "  2.5"},
        {kTanOzMax, 80, 5, text("99.9"), " 99.9"},
        {kTanNinMin, 85, 2, number(2), " 2"},
        {kTanNinMax, 87, 2, number(9), " 9"},
        {kChakujunMin, 89, 2, number(2), " 2"},
        {kChakujunMax, 91, 2, number(5), " 5"},
        {kHiLvShorituMin, 93, 5, text("12.5"), " 12.5"},
        {kLoLvShorituMin, 98, 5, text("3"), "  3.0"},
        {kR5soTotalMin, 103, 4, number(123), " 123"},
    };
    const std::string start(testsupport::DefaultSet().Bytes());
    for (const Field& f : fields)
        for (int half = 0; half < 2; ++half) {
            NeraiValues values = InitialNeraiValues();
            f.set(values[static_cast<std::size_t>(half)][f.id]);
            const NeraiEncoded encoded = EncodeNerai(values);
            ASSERT_TRUE(encoded.record) << encoded.message;
            std::string expected = start;
            // Today's run has no finishing-position condition: its characters stay blank.
            if (!(half == 0 && (f.id == kChakujunMin || f.id == kChakujunMax)))
                expected.replace(107 * static_cast<std::size_t>(half) + f.offset, f.width, f.chars);
            EXPECT_EQ(encoded.record->Bytes(), expected)
                << NeraiFieldOf(f.id).name << " half " << half + 1;
        }
}
