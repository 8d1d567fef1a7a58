// The sample program folder: the same bytes from every run, and every record well framed.

#include "jvdata/dayfiles.h"
#include "jvdata/records.h"
#include "jvdata/umconvert.h"
#include "keiba/fileio.h"
#include "keiba/formatters.h"
#include "keiba/sjis.h"
#include "tests/support/sample.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <map>

using namespace jvdata;
namespace fs = std::filesystem;

namespace {

bool EndsWith(std::string_view s, std::string_view tail) {
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

// Every line of a day or horse file, with its line break, must be a record of `id`.
void ExpectLinesFramed(const std::string& name, const std::string& bytes, std::string_view id,
                       bool blankSlotsAllowed) {
    ASSERT_TRUE(EndsWith(bytes, "\r\n")) << name;
    std::size_t records = 0;
    for (std::string_view line : keiba::SplitLines(bytes)) {
        if (blankSlotsAllowed && line.find_first_not_of(' ') == std::string_view::npos) continue;
        FramingResult r = CheckFraming(std::string(line) + "\r\n", id);
        ASSERT_TRUE(r) << name << ": " << r.reason;
        EXPECT_TRUE(RaceKey::Of(line).IsWellFormed() || id == "UM") << name;
        ++records;
    }
    EXPECT_GT(records, 0u) << name;
}

// A feed file: records one after the other, each with its own CR LF.
void ExpectRecordsFramed(const std::string& name, std::string_view bytes) {
    std::size_t at = 0, records = 0;
    while (at < bytes.size()) {
        std::optional<std::size_t> len = RecordLengthOf(bytes.substr(at, 2));
        ASSERT_TRUE(len) << name << " at " << at;
        FramingResult r = CheckFraming(bytes.substr(at, *len));
        ASSERT_TRUE(r) << name << ": " << r.reason;
        at += *len;
        ++records;
    }
    EXPECT_GT(records, 0u) << name;
}

// Characters of a name field: trimmed, without its full-width padding.
std::size_t NameChars(std::string_view field) {
    const std::string name = keiba::DeleteZenkakuSpaces(keiba::TrimBlanks(field));
    std::size_t chars = 0;
    for (std::size_t i = 0; i < name.size(); i += keiba::SjisCharLength(name, i)) ++chars;
    return chars;
}

} // namespace

// A second run against the sample the other tests share, each made by a run of the same
// generator of its own (the fixture makes both, at once): one more run is enough to show that
// the bytes do not depend on the run.
TEST(MakeSample, ARunGivesTheSharedSampleAgainAndEveryRecordIsFramed) {
    const fs::path& shared = testsupport::SampleFolder();
    ASSERT_TRUE(fs::exists(shared / "done")) << "the sample generator failed";
    const fs::path& again = testsupport::SampleFolderAgain();
    ASSERT_TRUE(fs::exists(again / "done")) << "the sample generator failed";
    std::map<std::string, std::string> first = testsupport::Tree(again),
                                       second = testsupport::Tree(shared);
    first.erase("done"); // the folders' own marks
    second.erase("done");
    ASSERT_EQ(first.size(), second.size());
    for (const auto& [name, bytes] : first) {
        auto it = second.find(name);
        ASSERT_NE(it, second.end()) << name;
        EXPECT_TRUE(it->second == bytes) << name << " differs between runs";
    }

    std::map<std::string, int> kinds;
    for (const auto& [name, bytes] : first) {
        std::string ext = fs::path(name).extension().string();
        std::string top = name.substr(0, name.find('/'));
        ++kinds[top + ext];
        if (ext == ".jvSEr") {
            ASSERT_EQ(bytes.size(), 216 * kSeLength) << name;
            ExpectLinesFramed(name, bytes, "SE", true);
        } else if (top == "Data" && ext.starts_with(".jv")) {
            ExpectLinesFramed(name, bytes, ext.substr(3, 2), false);
        } else if (ext == ".jvSEI" || ext == ".jvUM2") {
            ExpectLinesFramed(name, bytes, ext.substr(3, 2), false);
        } else if (ext == ".jvUMA") {
            ASSERT_EQ(bytes.size() % kUmaLength, 0u) << name;
            EXPECT_TRUE(ConvertUmaRecord(RecordAt(bytes, kUmaLength, 0))) << name;
        } else if (ext == ".vzkd") {
            ASSERT_EQ(bytes.size() % kAnalysisLength, 0u) << name;
            for (std::size_t i = 0; i < RecordCount(bytes, kAnalysisLength); ++i) {
                TAnalysisRecord rec;
                rec.Assign(RecordAt(bytes, kAnalysisLength, i));
                EXPECT_LE(rec.RaceSlot(), 35) << name;
                EXPECT_GE(rec.HorseNumber(), 1) << name;
                EXPECT_LE(rec.HorseNumber(), 18) << name;
            }
        } else if (top == "feed" && ext != ".txt") {
            ExpectRecordsFramed(name, bytes);
        } else if (name.starts_with("feed/rt/")) {
            ExpectRecordsFramed(name, bytes);
        }
    }
    EXPECT_EQ(kinds["Data.jvRA"], 11) << "eight earlier days, the two sample days, the feed day";
    // Two years of weekends before the first sample day, the ten days with results and the
    // feed day.
    EXPECT_EQ(kinds["VZK.vzkd"], 2 * 104 + 10 + 1);
    EXPECT_GT(kinds["UMA.jvUMA"], 0);
    EXPECT_EQ(first.count("jockdata.kcsv"), 1u);
}

// An official horse name has at most nine characters, and the cards' and sheets' columns hold
// no more: the runners' names and every name of their pedigrees keep to it.
TEST(MakeSample, HorseNamesHaveAtMostNineCharacters) {
    ASSERT_TRUE(fs::exists(testsupport::SampleFolder() / "done"));
    std::size_t names = 0;
    for (const auto& [name, bytes] : testsupport::Tree(testsupport::SampleFolder())) {
        const std::string ext = fs::path(name).extension().string();
        std::vector<std::size_t> fields; // 1-based positions of the 36-byte names
        if (ext == ".jvSEr") fields = {41};
        if (ext == ".jvUM2") {
            fields = {47};
            for (std::size_t a = 0; a < 14; ++a) fields.push_back(215 + 46 * a);
        }
        for (std::string_view line : keiba::SplitLines(bytes)) {
            if (fields.empty() || keiba::IsBlankText(line)) continue;
            for (std::size_t at : fields) {
                ++names;
                EXPECT_LE(NameChars(line.substr(at - 1, 36)), 9u)
                    << name << ": " << keiba::Cp932ToUtf8(line.substr(at - 1, 36));
            }
        }
    }
    EXPECT_GT(names, 10000u);
}
