// kestrane_print_sheet, run as its users run it: the sample day's sheets printed to PDF files
// through the real printer, read back with pdfinfo and pdftotext.

#include "jvdata/dayfiles.h"
#include "jvdata/records.h"
#include "keiba/fileio.h"
#include "keiba/sjis.h"
#include "tests/support/sample.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <regex>
#include <sstream>
#include <vector>

using testsupport::RunCommand;

namespace {

namespace fs = std::filesystem;

class PrintSheetTool : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(testsupport::SampleFolder() / "done"))
            << "the sample generator failed";
        testsupport::UseSampleIn(folder.path());
    }
    // Runs the tool, with `options` before its arguments; its exit status.
    int Print(const std::string& date, const std::string& sheet, const fs::path& pdf,
              const std::string& options = {}) {
        int status = -1;
        RunCommand(std::string(KESTRANE_PRINT_SHEET) + " " + options + " '" +
                       folder.path().string() + "' " + date + " " + sheet + " '" + pdf.string() +
                       "' 2>&1",
                   &status);
        return status;
    }
    static std::string Info(const fs::path& pdf) {
        int status = -1;
        std::string out = RunCommand("pdfinfo '" + pdf.string() + "'", &status);
        EXPECT_EQ(status, 0) << out;
        return out;
    }
    static std::string Text(const fs::path& pdf) {
        int status = -1;
        std::string out = RunCommand("pdftotext '" + pdf.string() + "' -", &status);
        EXPECT_EQ(status, 0);
        return out;
    }
    static int Pages(const std::string& info) {
        std::smatch m;
        return std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)")) ? std::stoi(m[1]) : -1;
    }
    testsupport::TempDir folder;
    testsupport::TempDir out;
};

TEST_F(PrintSheetTool, RaceCardsOfTheSampleDay) {
    const fs::path pdf = out / "racecard.pdf";
    ASSERT_EQ(Print("20261128", "racecard", pdf), 0);
    const std::string info = Info(pdf);
    EXPECT_EQ(Pages(info), 36) << info;
    EXPECT_NE(info.find("595 x 842"), std::string::npos) << info;
    const std::string text = Text(pdf);
    // Every race name of the day, as the race file holds it.
    const std::string races = testsupport::Slurp(
        folder / ("Data/" + jvdata::DayStem(*jvdata::ParseYyyymmdd("20261128")) + ".jvRA"));
    int named = 0;
    for (std::size_t i = 0; i < jvdata::RecordCount(races, jvdata::kRaLength); ++i) {
        jvdata::TJvRA ra;
        ra.Assign(jvdata::RecordAt(races, jvdata::kRaLength, i));
        const std::string name = keiba::Cp932ToUtf8(keiba::TrimBlanks(ra.RaceName()));
        if (name.empty()) continue;
        ++named;
        EXPECT_NE(text.find(name), std::string::npos) << name;
    }
    EXPECT_GT(named, 0);
    EXPECT_NE(text.find("2026年11月28日(土)東京"), std::string::npos);
    EXPECT_NE(text.find("05回09日11R"), std::string::npos);
    // The fonts travel with the file.
    int status = -1;
    const std::string fonts = RunCommand("pdffonts '" + pdf.string() + "'", &status);
    EXPECT_NE(fonts.find("IPAGothic"), std::string::npos) << fonts;
    std::istringstream lines(fonts);
    std::string line;
    int listed = 0;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::vector<std::string> w{std::istream_iterator<std::string>(words), {}};
        if (w.size() < 7 || line.starts_with("name") || line.starts_with("---")) continue;
        ++listed;
        EXPECT_EQ(w[w.size() - 5], "yes") << line; // the emb column
    }
    EXPECT_GE(listed, 2);
}

// The other sheets, a sheet a case.
struct OtherSheet {
    const char* sheet;
    int pages;
    const char* size;
    const char* text;
};
class OtherSheets : public PrintSheetTool, public ::testing::WithParamInterface<OtherSheet> {};

TEST_P(OtherSheets, ComeOutWhole) {
    const OtherSheet& c = GetParam();
    const fs::path pdf = out / (std::string(c.sheet) + ".pdf");
    ASSERT_EQ(Print("20261128", c.sheet, pdf), 0);
    const std::string info = Info(pdf);
    EXPECT_EQ(Pages(info), c.pages);
    EXPECT_NE(info.find(c.size), std::string::npos) << info;
    EXPECT_NE(Text(pdf).find(c.text), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(PrintSheetTool, OtherSheets,
                         ::testing::Values(OtherSheet{"newspaper", 36, "595 x 842", "前走-6"},
                                           OtherSheet{"index", 3, "595 x 842",
                                                      "ケストレーン Ver.1.20"},
                                           OtherSheet{"payouts", 3, "595 x 842", "【三連単】"},
                                           OtherSheet{"pastperf", 36, "842 x 595", "前走-20"}),
                         [](const auto& param) { return std::string(param.param.sheet); });

// A paper chosen once the race cards are drawn, as on the print form: the pages come out on that
// paper, shrunk whole, and every word of the first card is on it. A paper a case.
struct Paper {
    const char* paper;
    const char* size; // in points
};
class ChosenPapers : public PrintSheetTool, public ::testing::WithParamInterface<Paper> {};

TEST_P(ChosenPapers, HoldTheWholeCard) {
    auto words = [](const fs::path& pdf) {
        const std::string box = RunCommand("pdftotext -f 1 -l 1 -bbox '" + pdf.string() + "' -");
        std::vector<std::string> all;
        static const std::regex word("<word [^>]*>([^<]*)</word>");
        for (auto it = std::sregex_iterator(box.begin(), box.end(), word);
             it != std::sregex_iterator(); ++it)
            all.push_back((*it)[1]);
        std::sort(all.begin(), all.end());
        return all;
    };
    ASSERT_EQ(Print("20261128", "racecard", out / "a4.pdf"), 0);
    const std::vector<std::string> whole = words(out / "a4.pdf");
    ASSERT_GT(whole.size(), 300u);
    const Paper& p = GetParam();
    const fs::path pdf = out / (std::string(p.paper) + "-chosen.pdf");
    ASSERT_EQ(Print("20261128", "racecard", pdf, std::string("--paper ") + p.paper), 0);
    EXPECT_NE(Info(pdf).find(p.size), std::string::npos) << Info(pdf);
    EXPECT_EQ(words(pdf), whole);
}

INSTANTIATE_TEST_SUITE_P(PrintSheetTool, ChosenPapers,
                         ::testing::Values(Paper{"a4-landscape", "842 x 595"},
                                           Paper{"b5", "516 x 729"}, Paper{"a4", "595 x 842"}),
                         [](const auto& param) {
                             std::string name = param.param.paper;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST_F(PrintSheetTool, RefusesWhatItCannotPrint) {
    EXPECT_NE(Print("20261128", "posters", out / "x.pdf"), 0);
    EXPECT_NE(Print("20260101", "racecard", out / "x.pdf"), 0);
    EXPECT_NE(Print("20261128", "racecard", out / "no/such/folder/x.pdf"), 0);
    EXPECT_NE(Print("20261128", "racecard", out / "x.pdf", "--paper letter"), 0);
    EXPECT_FALSE(fs::exists(out / "x.pdf"));
}

} // namespace
