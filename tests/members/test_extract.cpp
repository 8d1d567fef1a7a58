// A members' archive into the analysis folder: only its CSV and analysis files, and complete only
// when something came out and nothing selected failed.

#include "members/extract.h"

#include "tests/archive/zipbuilder.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

using testsupport::Slurp;
using testsupport::WriteBytes;

TEST(MembersExtract, TakesTheCsvAndAnalysisFilesAndSaysWhetherAllCameOut) {
    testsupport::TempDir dir;
    WriteBytes(dir / "a.zip", ziptest::Build({ziptest::File("RCOM20241124.CSV", "1,2\r\n"),
                                              ziptest::File("XQ20241124.vzkd", "XQ"),
                                              ziptest::File("readme.txt", "not ours")}));
    members::ExtractionResult r = members::ExtractMembersArchive(dir / "a.zip", dir / "VZK");
    EXPECT_EQ(r.files, 2);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(Slurp(dir / "VZK/RCOM20241124.CSV"), "1,2\r\n");
    EXPECT_EQ(Slurp(dir / "VZK/XQ20241124.vzkd"), "XQ");
    EXPECT_FALSE(std::filesystem::exists(dir / "VZK/readme.txt"));

    // a selected entry that fails its check leaves the archive incomplete
    auto bad = ziptest::File("XQ20241125.vzkd", "stored", 0);
    bad.crc = 12345;
    WriteBytes(dir / "b.zip", ziptest::Build({ziptest::File("RCOM20241125.csv", "1"), bad}));
    r = members::ExtractMembersArchive(dir / "b.zip", dir / "VZK");
    EXPECT_EQ(r.files, 1);
    EXPECT_FALSE(r.complete);

    // nothing of ours in it: not complete either
    WriteBytes(dir / "c.zip", ziptest::Build({ziptest::File("readme.txt", "x")}));
    r = members::ExtractMembersArchive(dir / "c.zip", dir / "VZK");
    EXPECT_EQ(r.files, 0);
    EXPECT_FALSE(r.complete);
}
