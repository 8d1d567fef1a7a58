#include "jvdata/jvlink.h"

#include "jvdata/records.h"

#include "tests/support/fakejvlink.h"
#include "tests/support/tempdir.h"
#include "tests/support/unreadable.h"

#include <gtest/gtest.h>

using namespace jvdata;
using testsupport::WriteBytes;
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSid = "SA514290/SD608173/Kestrane/Ver.1.20";

std::string Rec(std::string_view text) {
    return std::string(text) + "\r\n";
}

// A feed with files on both sides of 2026-12-01 00:00:00, two of them at the same time.
class Replay : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(feed.path() / "stored");
        fs::create_directories(feed.path() / "rt" / "0B30");
        WriteBytes(feed / "stored/20261130120000_OLD.txt", Rec("old"));
        WriteBytes(feed / "stored/20261201100000_B.txt", Rec("b1") + Rec("b2"));
        WriteBytes(feed / "stored/20261201100000_A.txt", Rec("a1"));
        WriteBytes(feed / "stored/20261202090000_C.txt", Rec("c1") + Rec("c2"));
        WriteBytes(feed / "stored/readme.txt", Rec("not a stored file"));
        WriteBytes(feed / "rt/0B30/2026120605050811.txt", Rec("o1") + Rec("o2"));
    }
    std::unique_ptr<TJVLink> Link() {
        auto link = CreateReplayJvLink(feed.path());
        EXPECT_TRUE(link);
        if (link) {
            EXPECT_EQ(link->JVInit(kSid), 0);
        }
        return link;
    }
    int Open(TJVLink& link, std::string_view from = "20261201000000") {
        return link.JVOpen("RACEDIFN", from, 1, readCount, downloadCount, last);
    }
    // Every JVRead result up to and including the first 0, records as their text.
    std::vector<std::string> ReadAll(TJVLink& link) {
        std::vector<std::string> out;
        for (int guard = 0; guard < 100; ++guard) {
            std::string buf, name;
            int r = link.JVRead(buf, 100000, name);
            if (r > 0) {
                EXPECT_EQ(r, static_cast<int>(buf.size()));
                out.push_back(name + ":" + buf.substr(0, buf.size() - 2));
            } else {
                out.push_back(std::to_string(r));
                if (r == 0) break;
            }
        }
        return out;
    }
    testsupport::TempDir feed;
    int readCount = -9, downloadCount = -9;
    std::string last;
};

} // namespace

TEST_F(Replay, JVInitChecksTheSoftwareId) {
    auto link = CreateReplayJvLink(feed.path());
    struct Case {
        std::string sid;
        int result;
    } cases[] = {{"", -101},
                 {std::string(64, 'S'), -102},
                 {" SA514290", -103},
                 {std::string(63, 'S'), 0},
                 {std::string(kSid), 0}};
    for (const Case& c : cases) EXPECT_EQ(link->JVInit(c.sid), c.result) << c.sid;
}

TEST_F(Replay, NothingOpensBeforeJVInit) {
    auto link = CreateReplayJvLink(feed.path());
    EXPECT_EQ(Open(*link), -201);
    EXPECT_EQ(link->JVRTOpen("0B30", "2026120605050811"), -201);
    std::string buf, name;
    EXPECT_EQ(link->JVRead(buf, 100000, name), -201);
}

TEST_F(Replay, JVOpenSelectsNewerFilesInTimeThenNameOrder) {
    auto link = Link();
    ASSERT_EQ(Open(*link), 0);
    EXPECT_EQ(readCount, 3);
    EXPECT_EQ(downloadCount, 0);
    EXPECT_EQ(last, "20261202090000");
    std::vector<std::string> expected = {"A.txt:a1", "-1",       "B.txt:b1", "B.txt:b2",
                                         "-1",       "C.txt:c1", "C.txt:c2", "0"};
    EXPECT_EQ(ReadAll(*link), expected);
    std::string buf, name;
    EXPECT_EQ(link->JVRead(buf, 100000, name), 0) << "0 after the end too";
    EXPECT_EQ(link->JVClose(), 0);
}

TEST_F(Replay, NothingNewerGivesMinusOneAndBadArgumentsTheirCodes) {
    auto link = Link();
    EXPECT_EQ(Open(*link, "20261202090000"), -1) << "a file of exactly the from-time is not newer";
    EXPECT_EQ(readCount, 0);
    EXPECT_EQ(link->JVOpen("", "20261201000000", 1, readCount, downloadCount, last), -111);
    EXPECT_EQ(link->JVOpen("RACEDIFN", "2026120100", 1, readCount, downloadCount, last), -112);
    EXPECT_EQ(link->JVOpen("RACEDIFN", "20261201000000", 9, readCount, downloadCount, last), -115);
    EXPECT_EQ(Open(*link), 0) << "none of the failures left the link open";
}

TEST_F(Replay, SkipCurrentFileLandsOnTheNextFilesFirstRecord) {
    auto link = Link();
    ASSERT_EQ(Open(*link), 0);
    std::string buf, name;
    ASSERT_GT(link->JVRead(buf, 100000, name), 0);
    link->SkipCurrentFile();
    ASSERT_GT(link->JVRead(buf, 100000, name), 0);
    EXPECT_EQ(name, "B.txt");
    EXPECT_EQ(buf, Rec("b1"));
    link->SkipCurrentFile();
    std::vector<std::string> expected = {"C.txt:c1", "C.txt:c2", "0"};
    EXPECT_EQ(ReadAll(*link), expected);
}

TEST_F(Replay, OpenCloseAndReadOutOfTurn) {
    auto link = Link();
    std::string buf, name;
    EXPECT_EQ(link->JVClose(), 0) << "nothing open";
    EXPECT_EQ(link->JVRead(buf, 100000, name), -203);
    EXPECT_EQ(link->JVStatus(), -203);
    ASSERT_EQ(Open(*link), 0);
    EXPECT_EQ(Open(*link), -202);
    EXPECT_EQ(link->JVRTOpen("0B30", "2026120605050811"), -202);
    EXPECT_EQ(link->JVClose(), 0);
    EXPECT_EQ(link->JVRead(buf, 100000, name), -203);
}

TEST_F(Replay, RealTimeFilesAreServedByKey) {
    auto link = Link();
    EXPECT_EQ(link->JVRTOpen("0B30", "2026120605050812"), -1);
    EXPECT_EQ(link->JVRTOpen("0B30", "../stored"), -114);
    EXPECT_EQ(link->JVRTOpen("../0B30", "2026120605050811"), -111);
    ASSERT_EQ(link->JVRTOpen("0B30", "2026120605050811"), 0);
    std::vector<std::string> expected = {"2026120605050811.txt:o1", "2026120605050811.txt:o2", "0"};
    EXPECT_EQ(ReadAll(*link), expected);
    EXPECT_EQ(link->JVClose(), 0);
}

TEST_F(Replay, StatusCountsUpToTheDownloadCount) {
    WriteBytes(feed / std::string(kFeedConfigName),
               "# three files, two still to come\ndownload=2\n");
    auto link = Link();
    ASSERT_EQ(Open(*link), 0);
    EXPECT_EQ(downloadCount, 2);
    EXPECT_EQ(link->JVStatus(), 1);
    EXPECT_EQ(link->JVStatus(), 2);
    EXPECT_EQ(link->JVStatus(), 2);
}

TEST_F(Replay, InjectedResults) {
    WriteBytes(feed / std::string(kFeedConfigName),
               "version=0480\r\nJVRead=-403\r\nJVReadAfter=2\r\nJVClose=-1\r\n"
               "JVSetUIProperties=-100\r\n");
    auto link = Link();
    EXPECT_EQ(link->JVVersion(), "0480");
    EXPECT_EQ(link->JVSetUIProperties(), -100);
    ASSERT_EQ(Open(*link), 0);
    std::vector<std::string> expected = {"A.txt:a1", "-1", "B.txt:b1", "-403"};
    std::vector<std::string> got;
    for (int i = 0; i < 4; ++i) {
        std::string buf, name;
        int r = link->JVRead(buf, 100000, name);
        got.push_back(r > 0 ? name + ":" + buf.substr(0, buf.size() - 2) : std::to_string(r));
    }
    EXPECT_EQ(got, expected);
    EXPECT_EQ(link->JVClose(), -1);

    WriteBytes(feed / std::string(kFeedConfigName), "JVOpen=-504\n");
    EXPECT_EQ(Open(*link), -504);
    WriteBytes(feed / std::string(kFeedConfigName), "present=0\n");
    EXPECT_FALSE(CreateReplayJvLink(feed.path())) << "the control is missing";
}

// A stored file that is there but cannot be read is no empty one: its records would be passed
// over as if filed. Nor may unread settings pass for none.
TEST_F(Replay, WhatCannotBeReadIsAnErrorNotNothing) {
    auto link = Link();
    {
        const testsupport::UnreadableFile unreadable(feed / "stored/20261201100000_B.txt");
        ASSERT_EQ(Open(*link), 0);
        std::string buf, name;
        // "a1" and its CR LF, then the end of A.txt, then B.txt
        for (int expected : {4, -1, -502}) EXPECT_EQ(link->JVRead(buf, 100000, name), expected);
        link->JVClose();
    }
    WriteBytes(feed / std::string(kFeedConfigName), "JVOpen=0\n");
    const testsupport::UnreadableFile unreadable(feed / std::string(kFeedConfigName));
    EXPECT_EQ(Open(*link), -401);
}

TEST(FakeJvLink, RecordsEveryCallInOrderAndServesItsScript) {
    testsupport::FakeJvLink fake;
    fake.readCount = 2;
    fake.AddFile("F1", {"r1\r\n", "r2\r\n"});
    fake.AddFile("F2", {"r3\r\n"});
    int reads = 0, downloads = 0;
    std::string ts, buf, name;
    EXPECT_EQ(fake.JVInit(kSid), 0);
    EXPECT_EQ(fake.JVOpen("RACEDIFN", "20170101000000", 3, reads, downloads, ts), 0);
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(fake.JVRead(buf, 100000, name), 4);
    EXPECT_EQ(name, "F1");
    fake.SkipCurrentFile();
    EXPECT_EQ(fake.JVRead(buf, 100000, name), 4);
    EXPECT_EQ(buf, "r3\r\n");
    EXPECT_EQ(fake.JVRead(buf, 100000, name), 0);
    EXPECT_EQ(fake.JVClose(), 0);
    std::vector<std::string> names = {"JVInit", "JVOpen", "JVRead", "SkipCurrentFile",
                                      "JVRead", "JVRead", "JVClose"};
    EXPECT_EQ(fake.CallNames(), names);
    std::vector<std::string> openArgs = {"RACEDIFN", "20170101000000", "3"};
    EXPECT_EQ(fake.calls[1].args, openArgs);
}

// A record's line end can be damaged; the one after it must still come whole, and the damaged
// piece must come on its own for the reader to refuse.
TEST_F(Replay, RecordsAreSplitByTheLengthOfTheirIdNotOnlyAtLineEnds) {
    auto record = [](std::string_view id, char fill) {
        std::string r(*RecordLengthOf(id), fill);
        r.replace(0, 2, id);
        r.replace(r.size() - 2, 2, "\r\n");
        return r;
    };
    std::string ra = record("RA", 'a'), se = record("SE", 's'), hr = record("HR", 'h');
    std::string lostEnd = record("SE", 'x');
    lostEnd.replace(lostEnd.size() - 2, 2, "??");
    std::string lostLf = record("SE", 'y');
    lostLf.pop_back();
    std::string cut = record("SE", 'c').substr(0, 300) + "\r\n";
    std::string other = "H1" + std::string(40, 'o') + "\r\n"; // a kind this system has no use for
    std::string otherLostEnd = "AV" + std::string(74, 'v') + "??";
    std::string garbage = "\x82\xa0" + std::string(10, 'g');
    WriteBytes(feed / "stored/20261203000000_D.txt",
               ra + lostEnd + se + lostLf + hr + cut + other + otherLostEnd + se + garbage + ra);
    auto link = Link();
    ASSERT_EQ(Open(*link, "20261202120000"), 0);
    std::vector<std::string> pieces;
    for (;;) {
        std::string buf, name;
        int r = link->JVRead(buf, 100000, name);
        if (r <= 0) break;
        pieces.push_back(buf);
    }
    EXPECT_EQ(pieces, (std::vector<std::string>{ra, lostEnd, se, lostLf, hr, cut, other,
                                                otherLostEnd, se, garbage, ra}));
}
