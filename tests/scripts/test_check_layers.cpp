// The include check over a small tree of its own: every include that may point down passes, and
// each one that points up or sideways fails with its file and line. Last, this repository.

#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

using testsupport::RunCommand;

namespace {

using Files = std::vector<std::pair<std::string, std::string>>;

// A header in each kind of place, each including what lies right below it, and a test and the
// executable over all of it.
const Files kTree = {
    {"keiba/a.h", "#pragma once\n"},
    {"archive/a.h", "#pragma once\n#include \"keiba/a.h\"\n"},
    {"controls/a.h", "#pragma once\n#include \"keiba/a.h\"\n"},
    {"jvdata/a.h", "#pragma once\n#include \"keiba/a.h\"\n"},
    {"jvdata/a.cpp", "#include \"jvdata/a.h\"\n#include <vector>\n"},
    {"raceday/a.h", "#pragma once\n#include \"jvdata/a.h\"\n"},
    {"fetch/a.h", "#pragma once\n#include \"raceday/a.h\"\n"},
    {"search/a.h", "#pragma once\n#include \"raceday/a.h\"\n"},
    {"betting/a.h", "#pragma once\n#include \"raceday/a.h\"\n"},
    {"members/a.h", "#pragma once\n#include \"archive/a.h\"\n"},
    {"views/a.h", "#pragma once\n#include \"raceday/a.h\"\n#include \"controls/a.h\"\n"},
    {"views/print/a.h", "#pragma once\n#include \"views/a.h\"\n"},
    {"search/forms/a.h", "#pragma once\n#include \"search/a.h\"\n#include \"views/a.h\"\n"},
    {"betting/forms/a.h", "#pragma once\n#include \"betting/a.h\"\n#include \"search/a.h\"\n"},
    {"app/startup.h", "#pragma once\n#include \"jvdata/a.h\"\n"},
    {"app/forms/a.h", "#pragma once\n#include \"app/startup.h\"\n#include \"views/print/a.h\"\n"
                      "#include \"search/forms/a.h\"\n"},
    {"app/main.cpp", "#include \"app/forms/a.h\"\n"},
    {"tests/support/a.h", "#pragma once\n#include \"app/forms/a.h\"\n"},
    {"tests/search/test_a.cpp", "#include \"search/forms/a.h\"\n#include \"tests/support/a.h\"\n"},
};

void Write(const std::filesystem::path& root, const Files& files) {
    for (const auto& [name, text] : files) {
        std::filesystem::create_directories((root / name).parent_path());
        testsupport::WriteBytes(root / name, text);
    }
}

std::string Check(const std::filesystem::path& root, int* status) {
    return RunCommand(std::string(KESTRANE_CHECK_LAYERS) + " '" + root.string() + "' 2>&1", status);
}

TEST(CheckLayers, IncludesThatPointDownPass) {
    testsupport::TempDir tree;
    Write(tree.path(), kTree);
    int status = -1;
    const std::string out = Check(tree.path(), &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(out, "");
}

TEST(CheckLayers, AnIncludeThatPointsUpOrSidewaysFailsWithItsFileAndLine) {
    struct Case {
        const char* file;
        const char* include;
    };
    const Case cases[] = {
        {"jvdata/b.cpp", "\"raceday/a.h\""},           // up
        {"jvdata/b.cpp", "\"../raceday/a.h\""},        // up, by a relative name
        {"jvdata/b.cpp", "<raceday/a.h>"},             // up, in angle brackets
        {"search/b.cpp", "\"betting/a.h\""},           // sideways on one level
        {"archive/b.cpp", "\"controls/a.h\""},         // sideways: the zip library, the controls
        {"betting/forms/b.h", "\"search/forms/a.h\""}, // one screen over another
        {"search/b.h", "\"search/forms/a.h\""},        // logic over its own screens
        {"views/b.cpp", "\"views/print/a.h\""},        // the views over their printed sheets
        {"app/startup.cpp", "\"app/forms/a.h\""},      // start-up steps over the windows
        {"keiba/b.cpp", "\"tests/support/a.h\""},      // a library over its tests
        {"newlib/b.cpp", "\"keiba/a.h\""},             // a library the order does not know
    };
    for (const Case& c : cases) {
        testsupport::TempDir tree;
        Write(tree.path(), kTree);
        Write(tree.path(), {{c.file, std::string("// planted\n#include ") + c.include + "\n"}});
        int status = -1;
        const std::string out = Check(tree.path(), &status);
        EXPECT_NE(status, 0) << c.file << " " << c.include;
        const std::string where =
            std::string(c.file) + (std::string(c.file).starts_with("newlib/") ? ":" : ":2:");
        EXPECT_NE(out.find(where), std::string::npos) << c.include << "\n" << out;
    }
}

TEST(CheckLayers, ThisRepositoryKeepsItsLayers) {
    int status = -1;
    const std::string out = Check(KESTRANE_SOURCE_DIR, &status);
    EXPECT_EQ(status, 0) << out;
}

} // namespace
