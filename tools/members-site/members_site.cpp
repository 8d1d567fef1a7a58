// kestrane_members_site: a members site on this machine, so the downloads can be tried.
//
//   kestrane_members_site [--port N] [--id ID] [--pass PASSWORD] folder
//
// Serves on 127.0.0.1 (port 8080 unless told; ID "abcd" and password "pass1" unless told). Start
// the program with KESTRANE_MEMBERS_URL=http://127.0.0.1:<port> to use it. Answers:
//   forecast   yosou.zip of the folder, else the newest day of its members' files;
//   sample     sample_data/yosou.zip of the folder, else the newest day as above;
//   past data  past_<tp>_<t>.zip of the folder, else the members' files of that period.
// The members' files are XQ<yyyymmdd>.vzkd and RCOM<yyyymmdd>.CSV in the folder or in its VZK
// (a program folder such as the sample one). A wrong ID gives RETURN=0, a wrong password
// RETURN=1, nothing to send RETURN=4. A file it cannot read is said on standard error and
// answered with status 500, never sent as an empty one. Ends with Ctrl-C.

#include "tests/archive/zipbuilder.h"
#include "tests/support/httpserver.h"
#include "tools/cli.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;
using testsupport::HttpReply;
using testsupport::HttpRequest;

namespace {

volatile std::sig_atomic_t gStop = 0;

void OnSignal(int) {
    gStop = 1;
}

struct Site {
    fs::path folder;
    std::string id = "abcd";
    std::string pass = "pass1";
};

bool AllDigits(const std::string& s) {
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return !s.empty();
}

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// The members' files of the folder by date (yyyymmdd); nothing when a folder that is there
// cannot be listed.
std::optional<std::multimap<std::string, fs::path>> MembersFiles(const fs::path& folder) {
    std::multimap<std::string, fs::path> files;
    for (const fs::path& dir : {folder, folder / "VZK"}) {
        if (auto problem = devtools::CheckPath(dir, devtools::PathUse::ReadFolder)) {
            if (problem.missing && dir != folder) continue;
            devtools::Say(problem.message);
            return std::nullopt;
        }
        std::error_code ec;
        for (fs::directory_iterator it(dir, ec), end; it != end; it.increment(ec)) {
            const fs::directory_entry& e = *it;
            std::error_code type;
            // one it cannot look at is kept, to be said when it is to be sent
            if (!e.is_regular_file(type) && !type) continue;
            std::string name = Upper(e.path().filename().string());
            std::string date;
            if (name.size() == 15 && name.starts_with("XQ") && name.ends_with(".VZKD"))
                date = name.substr(2, 8);
            else if (name.size() == 16 && name.starts_with("RCOM") && name.ends_with(".CSV"))
                date = name.substr(4, 8);
            if (AllDigits(date)) files.emplace(date, e.path());
        }
        if (ec) {
            devtools::Say("cannot read folder " + dir.string() + ": " + ec.message());
            return std::nullopt;
        }
    }
    return files;
}

// A whole file; nothing when it cannot be read (said).
std::optional<std::string> Slurp(const fs::path& p) {
    if (auto problem = devtools::CheckPath(p, devtools::PathUse::ReadFile)) {
        devtools::Say(problem.message);
        return std::nullopt;
    }
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    if (in.bad()) {
        devtools::Say("cannot read file " + p.string());
        return std::nullopt;
    }
    return s.str();
}

// A zip of the files whose date `keep` takes: empty when there are none, nothing when one of
// them cannot be read.
using Made = std::optional<std::string>;
template <typename Keep> Made ZipOf(const fs::path& folder, Keep keep) {
    const auto files = MembersFiles(folder);
    if (!files) return std::nullopt;
    std::vector<ziptest::Item> items;
    for (const auto& [date, path] : *files) {
        if (!keep(date)) continue;
        const auto bytes = Slurp(path);
        if (!bytes) return std::nullopt;
        items.push_back(ziptest::File(path.filename().string(), *bytes));
    }
    return items.empty() ? std::string() : ziptest::Build(items);
}

Made NewestDayZip(const fs::path& folder) {
    const auto files = MembersFiles(folder);
    if (!files) return std::nullopt;
    if (files->empty()) return std::string();
    std::string newest = files->rbegin()->first;
    return ZipOf(folder, [&](const std::string& d) { return d == newest; });
}

Made PeriodZip(const fs::path& folder, const std::string& tp, const std::string& t) {
    if (!AllDigits(t)) return std::string();
    if (tp == "year" && t.size() == 4)
        return ZipOf(folder, [&](const std::string& d) { return d.starts_with(t); });
    if (tp == "month" && t.size() == 6)
        return ZipOf(folder, [&](const std::string& d) { return d.starts_with(t); });
    if (tp == "three_month" && t.size() == 8) {
        std::string from = t.substr(0, 6), to = t.substr(0, 4) + t.substr(6, 2);
        return ZipOf(folder, [&](const std::string& d) {
            return d.substr(0, 6) >= from && d.substr(0, 6) <= to;
        });
    }
    return std::string();
}

// The folder's own archive when it has one, else the one `make` makes, else `none`.
template <typename Make> HttpReply Archive(const fs::path& file, Make make, const char* none) {
    if (!file.empty()) {
        const auto problem = devtools::CheckPath(file, devtools::PathUse::ReadFile);
        if (!problem) return HttpReply::File(file);
        if (!problem.missing) {
            devtools::Say(problem.message);
            return HttpReply::Status(500);
        }
    }
    const Made made = make();
    if (!made) return HttpReply::Status(500);
    if (!made->empty()) return HttpReply::Text(*made);
    return HttpReply::Text(none);
}

HttpReply Answer(const Site& site, const HttpRequest& req) {
    std::string path = req.Path();
    bool member = path == "/members/veltro/data/download.cgi" ||
                  path == "/members/veltro/past_data/download.cgi";
    if (member && req.Query("I") != site.id) return HttpReply::Text("RETURN=0\r\n");
    if (member && req.Query("p") != site.pass) return HttpReply::Text("RETURN=1\r\n");
    auto newestDay = [&] { return NewestDayZip(site.folder); };
    if (path == "/members/veltro/data/download.cgi")
        return Archive(site.folder / "yosou.zip", newestDay, "RETURN=4\r\n");
    if (path == "/members/veltro/past_data/download.cgi") {
        std::string tp = req.Query("tp"), t = req.Query("t");
        fs::path file = site.folder / ("past_" + tp + "_" + t + ".zip");
        if (!AllDigits(t) || tp.find_first_of("/\\.") != std::string::npos) file.clear();
        return Archive(
            file, [&] { return PeriodZip(site.folder, tp, t); }, "RETURN=4\r\n");
    }
    if (path == "/members/veltro/sample_data/yosou.zip") {
        HttpReply r = Archive(site.folder / "sample_data" / "yosou.zip", newestDay, "");
        if (r.bodyFile.empty() && r.body.empty()) return HttpReply::Status(404);
        return r;
    }
    if (path.starts_with("/authz_gw/"))
        return HttpReply::Text("<html><body>members' purchase page</body></html>\n");
    return HttpReply::Status(404);
}

int Usage(bool asked = false) {
    return devtools::Usage("[--port N] [--id ID] [--pass PASSWORD] folder", asked);
}

// A port number, or 0 when `text` is none.
int PortNumber(const std::string& text) {
    if (!AllDigits(text) || text.size() > 5) return 0;
    const int port = std::atoi(text.c_str());
    return port <= 65535 ? port : 0;
}

} // namespace

int main(int argc, char** argv) {
    Site site;
    int port = 8080;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--port" && i + 1 < argc) {
            port = PortNumber(argv[++i]);
            if (port == 0) return Usage();
        } else if (a == "--id" && i + 1 < argc) {
            site.id = argv[++i];
        } else if (a == "--pass" && i + 1 < argc) {
            site.pass = argv[++i];
        } else if (devtools::AsksForHelp(a)) {
            return Usage(true);
        } else if (devtools::IsOption(a)) {
            return Usage();
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 1) return Usage();
    site.folder = positional[0];
    // A locked folder would be served as one without members' files.
    if (!MembersFiles(site.folder)) return 2;

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    testsupport::HttpServer server(
        [&](const HttpRequest& req) {
            HttpReply r = Answer(site, req);
            // The query holds the password: only the path is shown.
            std::printf("%s %s -> %d\n", req.method.c_str(), req.Path().c_str(), r.status);
            std::fflush(stdout);
            return r;
        },
        port);
    if (!server.listening()) {
        devtools::Say("cannot listen on 127.0.0.1:" + std::to_string(port));
        return 1;
    }
    std::printf("members site for %s at %s (ID %s, password %s)\n"
                "start the program with KESTRANE_MEMBERS_URL=%s\n",
                site.folder.string().c_str(), server.BaseUrl().c_str(), site.id.c_str(),
                site.pass.c_str(), server.BaseUrl().c_str());
    std::fflush(stdout);
    while (!gStop) ::usleep(200 * 1000);
    return 0;
}
