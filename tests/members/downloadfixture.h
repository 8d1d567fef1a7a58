#pragma once
// A program folder, the loopback server standing in for the members site, and the archives it
// hands out, for the download tests of the logic and of the screens.

#include "keiba/context.h"
#include "keiba/operations.h"
#include "members/idpass.h"
#include "tests/archive/zipbuilder.h"
#include "tests/support/fakes.h"
#include "tests/support/httpserver.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// The two members' files of 5 January 2024, the race comments last; `records` analysis
// records, stored or deflated.
inline std::string ForecastZip(std::size_t records = 3, int method = 8) {
    return ziptest::Build(
        {ziptest::File("XQ20240105.vzkd", std::string(378 * records, '1'), method),
         ziptest::File("RCOM20240105.CSV", "01,comment\r\n", 0)});
}

class DownloadFixture : public ::testing::Test {
protected:
    DownloadFixture()
        : server([this](const HttpRequest& r) {
            return answer ? answer(r) : HttpReply::Status(404);
        }) {
        std::filesystem::create_directories(dir / "VZK");
    }

    // The settings file of the program folder.
    keiba::TIniGT& MembersIni() { return context.settings; }

    // ID and password as the ID dialog stores them.
    void StoreCredentials(const std::string& id, const std::string& pass) {
        keiba::TIniGT& ini = MembersIni();
        ASSERT_TRUE(ini.WriteString(members::kLisenceSection, members::kIdKey, id));
        ASSERT_TRUE(ini.WriteString(members::kLisenceSection, members::kPassKey,
                                    members::UnscramblePassword(pass)));
    }
    void Reply(HttpReply reply) {
        answer = [reply](const HttpRequest&) { return reply; };
    }
    // The files of VZK by name.
    std::vector<std::string> VzkFiles() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir / "VZK"))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::vector<std::string> Targets() const {
        std::vector<std::string> t;
        for (const HttpRequest& r : server.Requests()) t.push_back(r.target);
        return t;
    }

    TempDir dir;
    RecordingNotifier notifier;
    TestClock clock;
    RecordingShell shell;
    keiba::ProgramContext context{dir.path(), notifier, clock, shell};
    // The main window's owner of long operations, which a download holds.
    keiba::OperationOwner operations;
    std::function<HttpReply(const HttpRequest&)> answer;
    HttpServer server;
};

} // namespace testsupport
