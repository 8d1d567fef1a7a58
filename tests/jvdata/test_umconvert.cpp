#include "jvdata/umconvert.h"

#include "jvdata/records.h"
#include "tests/support/tempdir.h"
#include "tests/support/unreadable.h"

#include <gtest/gtest.h>

using namespace jvdata;
using testsupport::Slurp;
namespace fs = std::filesystem;

namespace {

// A sound old record whose every byte tells where it came from: byte i holds 'A' + i % 26, or
// '0' + i % 10 in the numbers (coat and prize totals, positions 203 and 1021 of the old layout),
// except the id, the data kind, the pedigree id and the line break.
std::string OldRecord(char salt = 0) {
    std::string r(kUmaLength, ' ');
    const auto s = static_cast<std::size_t>(salt);
    for (std::size_t i = 0; i < kUmaLength - 2; ++i) {
        const bool number = (i >= 202 && i < 204) || (i >= 1020 && i < 1020 + 6 * 9);
        r[i] =
            number ? static_cast<char>('0' + (i + s) % 10) : static_cast<char>('A' + (i + s) % 26);
    }
    r.replace(0, 3, "UM1");
    r.replace(11, 10, "2019104567");
    r.replace(kUmaLength - 2, 2, "\r\n");
    return r;
}

} // namespace

TEST(UmConvert, BlanksAreInsertedWhereTheFieldsWidened) {
    std::string old = OldRecord();
    std::optional<std::string> line = ConvertUmaRecord(old);
    ASSERT_TRUE(line);
    ASSERT_EQ(line->size(), kUmLength - 2);
    auto at = [&](std::size_t pos, std::size_t width) { return line->substr(pos - 1, width); };
    EXPECT_EQ(at(1, 204), old.substr(0, 204));
    for (std::size_t e = 0; e < 14; ++e) {
        std::size_t pos = 205 + 46 * e;
        EXPECT_EQ(at(pos, 2), "  ") << "entry " << e;
        EXPECT_EQ(at(pos + 2, 44), old.substr(204 + 44 * e, 44)) << "entry " << e;
    }
    EXPECT_EQ(at(849, 34), old.substr(820, 34));
    EXPECT_EQ(at(883, 2), "  ");
    EXPECT_EQ(at(885, 6), old.substr(854, 6));
    EXPECT_EQ(at(891, 2), "  ");
    EXPECT_EQ(at(893, 70), old.substr(860, 70));
    EXPECT_EQ(at(963, 645), old.substr(930, 645));
}

TEST(UmConvert, RecordsThatAreNotWholeAreRefused) {
    std::string old = OldRecord();
    EXPECT_FALSE(ConvertUmaRecord(old.substr(0, kUmaLength - 1)));
    EXPECT_FALSE(ConvertUmaRecord(old + " "));
    std::string noBreak = old;
    noBreak[kUmaLength - 1] = ' ';
    EXPECT_FALSE(ConvertUmaRecord(noBreak));
    std::string noId = old;
    noId[0] = ' ';
    EXPECT_FALSE(ConvertUmaRecord(noId));
}

TEST(UmConvert, FilesOfOneAndTwoRecords) {
    testsupport::TempDir dir;
    fs::path uma = dir / "2019104567.jvUMA";
    fs::path um2 = dir.path() / "UM2" / "2019" / "2019104567.jvUM2";
    testsupport::WriteBytes(uma, OldRecord());
    ASSERT_EQ(ConvertUmaFile(uma, um2).result, UmConvertResult::Written);
    std::string one = Slurp(um2);
    ASSERT_EQ(one.size(), kUmLength);
    EXPECT_TRUE(CheckFraming(one, "UM")) << CheckFraming(one, "UM").reason;
    EXPECT_EQ(one.substr(206, 8), OldRecord().substr(204, 8)) << "positions 207-214";

    // Two records and a cut third: two lines, the cut record dropped and told; the first is the
    // master.
    testsupport::WriteBytes(uma, OldRecord() + OldRecord(5) + OldRecord(7).substr(0, 900));
    const UmConversion done = ConvertUmaFile(uma, um2);
    ASSERT_EQ(done.result, UmConvertResult::Written);
    EXPECT_TRUE(done.damaged);
    EXPECT_EQ(done.master, *ConvertUmaRecord(OldRecord()) + "\r\n");
    std::string two = Slurp(um2);
    ASSERT_EQ(two.size(), 2 * kUmLength);
    EXPECT_EQ(two.substr(kUmLength, kUmLength - 2), *ConvertUmaRecord(OldRecord(5)));

    // Damage where the master would be: no record of the later ones may stand in its place.
    for (const std::string& first :
         {OldRecord().substr(0, 900), OldRecord().replace(50, 1, "\xFF")}) {
        fs::remove(um2);
        testsupport::WriteBytes(uma, first + OldRecord(5) + OldRecord(7));
        const UmConversion lost = ConvertUmaFile(uma, um2);
        EXPECT_EQ(lost.result, UmConvertResult::MasterDamaged);
        EXPECT_TRUE(lost.damaged && lost.master.empty());
        EXPECT_FALSE(fs::exists(um2));
    }
}

TEST(UmConvert, NothingToConvertWritesNothing) {
    testsupport::TempDir dir;
    fs::path um2 = dir / "x.jvUM2";
    EXPECT_EQ(ConvertUmaFile(dir / "missing.jvUMA", um2).result, UmConvertResult::NoSource);
    testsupport::WriteBytes(dir / "empty.jvUMA", "");
    EXPECT_EQ(ConvertUmaFile(dir / "empty.jvUMA", um2).result, UmConvertResult::NoRecords);
    testsupport::WriteBytes(dir / "cut.jvUMA", OldRecord().substr(0, 1000));
    EXPECT_EQ(ConvertUmaFile(dir / "cut.jvUMA", um2).result, UmConvertResult::NoRecords);
    EXPECT_FALSE(fs::exists(um2));
}

// The newer file may hold a later record of the horse: one that is there but cannot be read is
// kept, and the result names it for the user.
TEST(UmConvert, ANewerFileThatCannotBeReadIsKeptAndNamed) {
    testsupport::TempDir dir;
    const fs::path uma = dir / "2019104567.jvUMA", um2 = dir / "x.jvUM2";
    testsupport::WriteBytes(uma, OldRecord());
    testsupport::WriteBytes(um2, "later");
    {
        const testsupport::UnreadableFile unreadable(um2);
        const UmConversion done = ConvertUmaFile(uma, um2);
        EXPECT_EQ(done.result, UmConvertResult::TargetUnreadable);
        EXPECT_EQ(done.failure.message,
                  keiba::PathToUtf8(um2) + " を読み込めません（読み込む権限がありません）。");
    }
    EXPECT_EQ(Slurp(um2), "later");
}
