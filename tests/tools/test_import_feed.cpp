// The import-feed tool: the sample's feed imported into a fresh program folder and the day read
// back with the day dump, checked against the feed's own records; and a feed whose read fails.

#include "jvdata/records.h"
#include "keiba/fileio.h"
#include "tests/support/sample.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <map>
#include <set>
#include <vector>

namespace {

namespace fs = std::filesystem;

// What the tool printed, with its exit code (-1 when it did not exit).
std::string RunCommand(const std::string& command, int* exitCode) {
    int status = -1;
    std::string out = testsupport::RunCommand(command, &status);
    *exitCode = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

std::string Quoted(const fs::path& p) {
    return " '" + p.string() + "'";
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The records of the feed's stored files, whole as the service writes them.
std::vector<std::string> FeedRecords(const fs::path& feed) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(feed / "stored")) {
        std::string bytes = testsupport::Slurp(e.path());
        for (std::size_t at = 0; at + 2 <= bytes.size();) {
            std::size_t len = jvdata::RecordLengthOf(bytes.substr(at, 2)).value_or(0);
            if (len == 0) break;
            out.push_back(bytes.substr(at, len));
            at += len;
        }
    }
    return out;
}

} // namespace

TEST(ImportFeed, TheSampleFeedImportedIntoAFreshFolderGivesItsDay) {
    ASSERT_TRUE(fs::exists(testsupport::SampleFolder() / "done")) << "the sample generator failed";
    const fs::path feed = testsupport::SampleFolder() / "feed";
    testsupport::TempDir folder;
    int code = -1;
    std::string out =
        RunCommand(std::string(KESTRANE_IMPORT_FEED) + Quoted(folder.path()) + Quoted(feed), &code);
    ASSERT_EQ(code, 0) << out;
    EXPECT_TRUE(Has(out, "status: データ作成が完了しました。\n")) << out;
    EXPECT_TRUE(Has(out, "refused total: 0\n")) << out;
    EXPECT_TRUE(Has(out, "exit: finished\n")) << out;
    // Final odds were not asked for.
    EXPECT_FALSE(fs::exists(folder / "Data" / keiba::Utf8Path("2026年11月29日.jvO1")));

    // What the feed holds of 2026-12-05: its races, runners and horse masters.
    std::set<std::string> races, masters;
    std::map<std::string, std::string> runners; // pedigree id -> race key
    for (const std::string& r : FeedRecords(feed)) {
        std::string id = r.substr(0, 2), key = r.substr(11, 16);
        if (id == "RA" && key.starts_with("20261205")) races.insert(key);
        if (id == "SE" && key.starts_with("20261205")) runners[r.substr(30, 10)] = key;
        if (id == "UM") masters.insert(r.substr(11, 10));
    }
    ASSERT_FALSE(races.empty());
    ASSERT_FALSE(runners.empty());

    std::string dump =
        RunCommand(std::string(KESTRANE_DAY_DUMP) + Quoted(folder.path()) + " 20261205", &code);
    ASSERT_EQ(code, 0) << dump;
    EXPECT_TRUE(Has(dump, "day 2026年12月05日 races " + std::to_string(races.size()) + "\n"))
        << dump.substr(0, 200);
    for (const std::string& key : races) EXPECT_TRUE(Has(dump, " key " + key + " ")) << key;
    for (const auto& [id, key] : runners)
        EXPECT_TRUE(Has(dump, " id " + id + " um " + (masters.count(id) ? "ok" : "-")))
            << id << " of " << key;

    // Again from a date: a normal import of the files after it, with nothing new to file.
    out = RunCommand(std::string(KESTRANE_IMPORT_FEED) + Quoted(folder.path()) + Quoted(feed) +
                         " 20261202",
                     &code);
    EXPECT_EQ(code, 0) << out;
    EXPECT_TRUE(Has(out, "message: 2026年12月02日00時00分00秒以降のデータ取込を開始します。"))
        << out;
}

// --final-odds ticks the import's final-odds box: the feed's final odds records land in their
// day's odds files, each kind in its own.
TEST(ImportFeed, FinalOddsAskedForAreFiledIntoTheDaysOddsFiles) {
    ASSERT_TRUE(fs::exists(testsupport::SampleFolder() / "done")) << "the sample generator failed";
    const fs::path feed = testsupport::SampleFolder() / "feed";
    std::map<std::string, std::vector<std::string>> odds; // "2026年11月29日.jvO1" -> records
    for (const std::string& r : FeedRecords(feed))
        if (r[0] == 'O' && r[1] >= '1' && r[1] <= '6')
            odds["2026年" + r.substr(15, 2) + "月" + r.substr(17, 2) + "日.jv" + r.substr(0, 2)]
                .push_back(r);
    ASSERT_EQ(odds.size(), 6u) << "the sample feed holds final odds of each kind";

    testsupport::TempDir folder;
    int code = -1;
    std::string out = RunCommand(std::string(KESTRANE_IMPORT_FEED) + " --final-odds" +
                                     Quoted(folder.path()) + Quoted(feed),
                                 &code);
    ASSERT_EQ(code, 0) << out;
    EXPECT_TRUE(Has(out, "refused total: 0\n")) << out;
    for (const auto& [name, records] : odds) {
        const fs::path file = folder / "Data" / keiba::Utf8Path(name);
        ASSERT_TRUE(fs::exists(file)) << name;
        const std::string bytes = testsupport::Slurp(file);
        std::size_t total = 0;
        for (const std::string& r : records) {
            // The day files keep a record from its race key on (the head is the filing's own).
            EXPECT_TRUE(Has(bytes, r.substr(11))) << name << " lacks " << r.substr(0, 27);
            total += r.size();
        }
        EXPECT_EQ(bytes.size(), total) << name;
    }

    RunCommand(std::string(KESTRANE_IMPORT_FEED) + " --final-odd" + Quoted(folder.path()) +
                   Quoted(feed) + " 2>/dev/null",
               &code);
    EXPECT_EQ(code, 2) << "a mistyped option is refused";
}

TEST(ImportFeed, AFeedWhoseReadFailsEndsWithAnErrorAndItsRefusals) {
    testsupport::TempDir feed, folder;
    fs::create_directories(feed / "stored");
    std::string ra(jvdata::kRaLength, ' ');
    jvdata::SetField(ra, 1, 27, "RA720261203202612050505080");
    jvdata::SetField(ra, 26, 2, "01");
    jvdata::SetField(ra, 882, 2, "12");
    ra.replace(ra.size() - 2, 2, "\r\n");
    std::string cut = ra.substr(0, 600) + "\r\n";
    testsupport::WriteBytes(feed / "stored/20261203100000_RADW.jvd", ra + cut + ra);
    testsupport::WriteBytes(feed / "inject.txt", "JVRead=-403\nJVReadAfter=2\n");
    int code = -1;
    std::string out = RunCommand(
        std::string(KESTRANE_IMPORT_FEED) + Quoted(folder.path()) + Quoted(feed.path()), &code);
    EXPECT_EQ(code, 1) << out;
    EXPECT_TRUE(Has(out, "message: JVReadエラー:")) << out;
    EXPECT_TRUE(Has(out, "refused: 取込で除外したレコード：レコード長が不正 1件")) << out;
    EXPECT_TRUE(Has(out, "exit: read error\n")) << out;
    EXPECT_TRUE(fs::exists(folder / "Data" / keiba::Utf8Path("2026年12月05日.jvRA")));

    out = RunCommand(std::string(KESTRANE_IMPORT_FEED) + Quoted(folder.path()), &code);
    EXPECT_EQ(code, 2);
}
