// Fuzz target over ExtractArchive: the input is written as an archive file and extracted into a
// scratch folder. Nothing may appear outside that folder, and nothing may crash or leak.
//
// The input also stands as the first volume of a split set (in.z01), so a directory that names
// other disks reads on through it; any later volume is missing. The corpus holds an archive of
// every method the reader decodes (stored, deflate, Deflate64, bzip2, Shrink, Reduce 1 to 4,
// Implode with and without a literal tree and with either dictionary), AES entries of both
// versions and every strength, whose password "secret" is tried, and an entry that password
// passes the check of and then fails.

#include "archive/unzip.h"
#include "keiba/fileio.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// One scratch folder per process, removed when the process ends normally.
struct Scratch {
    fs::path root;
    Scratch() {
        std::string pattern = (fs::temp_directory_path() / "kestrane-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        root = pattern;
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
};

const fs::path& Workspace() {
    static const Scratch scratch;
    return scratch.root;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path& root = Workspace();
    fs::path archive = root / "in.zip";
    fs::path volume = root / "in.z01";
    fs::path out = root / "out";
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (!keiba::WriteFileAtomic(archive, bytes) || !keiba::WriteFileAtomic(volume, bytes))
        std::abort();
    {
        archive::TUnZip unzip;
        unzip.SetArchiveFile(keiba::PathToUtf8(archive));
        unzip.SetExtractDir(keiba::PathToUtf8(out));
        unzip.SetFileSpec({"*"});
        unzip.SetPasswords({"secret"});
        unzip.SetCreateStoredDirs(true);
        unzip.OnNextVolume = [](archive::TZipCommon&, std::string&, int, bool, bool&) {};
        unzip.ExtractArchive();
    }
    for (const auto& e : fs::directory_iterator(root)) {
        if (e.path() != archive && e.path() != volume && e.path() != out) {
            std::fprintf(stderr, "written outside the target folder: %s\n", e.path().c_str());
            std::abort();
        }
    }
    std::error_code ec;
    fs::remove_all(out, ec);
    return 0;
}
