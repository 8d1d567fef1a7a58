#pragma once
// Extraction runs for the zip tests: every event recorded, files of a folder read back, and
// the outside tools that make archives.

#include "archive/unzip.h"
#include "keiba/fileio.h"
#include "keiba/sjis.h"
#include "tests/archive/zipbuilder.h"
#include "tests/support/tempdir.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace ziptest {
struct RunResult {
    int count = 0;
    std::vector<std::string> log;                   // events in order, progress collapsed
    std::vector<int> errors;                        // message numbers
    std::map<std::string, bool> ends;               // output name -> CRC_PASS
    std::map<std::string, std::int64_t> bytesAtEnd; // output name -> bytes written
};

// Extracts with every event recorded; `setup` adjusts the component first.
inline RunResult Extract(const std::filesystem::path& archive, const std::filesystem::path& dir,
                         std::vector<std::string> masks = {"*"},
                         const std::function<void(archive::TUnZip&)>& setup = {}) {
    RunResult r;
    archive::TUnZip z;
    auto rel = [&](const std::string& name) {
        std::string base = keiba::PathToUtf8(dir) + "/";
        return name.starts_with(base) ? name.substr(base.size()) : name;
    };
    z.OnActivate = [&](archive::TZipCommon&) { r.log.push_back("activate"); };
    z.OnDeactivate = [&](archive::TZipCommon&) { r.log.push_back("deactivate"); };
    z.OnElapsedTime = [&](archive::TZipCommon&, float) { r.log.push_back("elapsed"); };
    z.OnBegin = [&](archive::TZipCommon&, const std::string& name, int count, bool&) {
        r.log.push_back("begin " + rel(name) + " " + std::to_string(count));
    };
    z.OnProgress = [&](archive::TZipCommon&, std::uint8_t, std::uint8_t) {
        if (r.log.empty() || r.log.back() != "progress") r.log.push_back("progress");
    };
    z.OnEnd = [&](archive::TZipCommon& s, const std::string& name, bool pass) {
        r.log.push_back("end " + rel(name) + (pass ? " pass" : " fail"));
        r.ends[rel(name)] = pass;
        r.bytesAtEnd[rel(name)] = s.EntryBytesDone();
    };
    z.OnError = [&](archive::TZipCommon&, const std::string&, const std::string&,
                    const std::string&, int code) { r.errors.push_back(code); };
    z.SetArchiveFile(keiba::PathToUtf8(archive));
    z.SetExtractDir(keiba::PathToUtf8(dir));
    z.SetFileSpec(masks);
    if (setup) setup(z);
    r.count = z.ExtractArchive();
    return r;
}

inline bool HaveTool(const std::string& tool) {
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// The entries an archive's directory lists, folders too, as `unzip -Z1` reads them; -1 when it
// cannot be run.
inline int ListedEntries(const std::filesystem::path& archive) {
    std::FILE* p = ::popen(("unzip -Z1 '" + archive.string() + "' 2>/dev/null").c_str(), "r");
    if (!p) return -1;
    int lines = 0;
    for (int c; (c = std::fgetc(p)) != EOF;) lines += c == '\n';
    return ::pclose(p) == -1 ? -1 : lines;
}

inline int Shell(const std::string& command) {
    return std::system(("(" + command + ") >/dev/null 2>&1").c_str());
}

inline std::string Quote(const std::filesystem::path& p) {
    return "'" + p.string() + "'";
}

inline std::string Records(int lines, int seed) {
    std::string s;
    for (int i = 0; i < lines; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "RA%08d%06d%-20s%010d\r\n", seed, i, "KESTRANE",
                      (i * 7919 + seed) % 1000003);
        s += line;
    }
    return s;
}

// Regular files below `root`: relative name -> contents (long ones as size and CRC).
inline std::map<std::string, std::string> Files(const std::filesystem::path& root) {
    std::map<std::string, std::string> out;
    if (!std::filesystem::exists(root)) return out;
    for (auto& e : std::filesystem::recursive_directory_iterator(root)) {
        if (!e.is_regular_file()) continue;
        std::string bytes = testsupport::Slurp(e.path());
        if (bytes.size() > 64)
            bytes = std::to_string(bytes.size()) + " bytes, CRC " + std::to_string(Crc(bytes));
        out[keiba::PathToUtf8(std::filesystem::relative(e.path(), root))] = bytes;
    }
    return out;
}

inline std::size_t CountEntries(const std::filesystem::path& root) {
    std::size_t n = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::recursive_directory_iterator(root)) ++n;
    return n;
}

// Files of every size class; `japanese` adds a UTF-8 name (for tools that flag UTF-8 names:
// Info-ZIP stores them unflagged, and unflagged names are CP932).
inline void MakeSourceTree(const std::filesystem::path& src, bool japanese = false) {
    std::filesystem::create_directories(src / "sub" / "deeper");
    std::filesystem::create_directories(src / "emptydir");
    testsupport::WriteBytes(src / "rcom20240105.csv", Records(2000, 1));
    testsupport::WriteBytes(src / "empty.txt", "");
    testsupport::WriteBytes(src / "tiny.txt", "ab"); // longer deflated than stored
    testsupport::WriteBytes(src / "sub" / "XQ20240101.vzkd", Records(1500, 2));
    testsupport::WriteBytes(src / "sub" / "deeper" / "exact.bin", std::string(65536, 'x'));
    if (japanese) testsupport::WriteBytes(src / keiba::Utf8Path("日本語メモ.txt"), "和文\r\n");
}

inline std::string Cp932Path(std::string_view utf8) {
    return keiba::Sj(utf8);
}

} // namespace ziptest
