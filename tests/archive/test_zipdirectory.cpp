// Where an archive keeps its directory and what type that makes it: plain, behind a stub or
// junk, a Zip64 end record behind its locator, the last volume of a set.

#include "archive/zipdirectory.h"

#include "archive/unzip.h"
#include "tests/archive/extractfixture.h"

#include <gtest/gtest.h>

using namespace archive;
using namespace ziptest;
namespace fs = std::filesystem;
using testsupport::Slurp;
using testsupport::TempDir;
using testsupport::WriteBytes;

TEST(ZipDirectory, ArchiveTypesAndZip64EndRecords) {
    TempDir dir;
    std::string zip = ziptest::Build({ziptest::File("a.csv", "A")});
    std::string body = zip.substr(0, zip.size() - 22);
    std::uint64_t cdOffset = body.find("PK\x01\x02");
    std::uint64_t cdSize = body.size() - cdOffset;
    auto zip64 = [&](std::uint32_t disk) {
        std::string rec = "PK\x06\x06" + ziptest::Le(44, 8) + ziptest::Le(45, 2) +
                          ziptest::Le(45, 2) + ziptest::Le(0, 4) + ziptest::Le(0, 4) +
                          ziptest::Le(1, 8) + ziptest::Le(1, 8) + ziptest::Le(cdSize, 8) +
                          ziptest::Le(cdOffset, 8);
        std::string loc = "PK\x06\x07" + ziptest::Le(disk, 4) + ziptest::Le(body.size(), 8) +
                          ziptest::Le(disk + 1, 4);
        std::string end = "PK\x05\x06" + ziptest::Le(0xFFFF, 2) + ziptest::Le(0xFFFF, 2) +
                          ziptest::Le(0xFFFF, 2) + ziptest::Le(0xFFFF, 2) +
                          ziptest::Le(0xFFFFFFFF, 4) + ziptest::Le(0xFFFFFFFF, 4) +
                          ziptest::Le(0, 2);
        return body + rec + loc + end;
    };
    const std::pair<std::string, int> cases[] = {
        {"", kArcNone},
        {"plain text, not an archive\r\n", kArcNone},
        {zip, kArcZip},
        {"MZ" + std::string(300, '\0') + zip, kArcZipSfx},
        {"PK\x03\x04 and nothing else", kArcZip},
        {zip64(0), kArcZip},
        {"JUNK" + zip64(0), kArcZip},
        {zip64(2), kArcZip}, // a local header first decides
        {"JUNK" + zip64(2), kArcZipMVol},
    };
    int i = 0;
    for (const auto& [bytes, type] : cases) {
        fs::path p = dir / ("t" + std::to_string(i++));
        WriteBytes(p, bytes);
        TUnZip z;
        z.SetArchiveFile(keiba::PathToUtf8(p));
        EXPECT_EQ(z.ArcType(), type) << i;
    }
    WriteBytes(dir / "z64.zip", "JUNK" + zip64(0));
    RunResult r = Extract(dir / "z64.zip", dir / "out");
    EXPECT_EQ(r.count, 1);
    EXPECT_EQ(Slurp(dir / "out/a.csv"), "A");

    EXPECT_EQ(Extract(dir / "missing.zip", dir / "out").errors, std::vector<int>{kMsgFileNotFound});
}
