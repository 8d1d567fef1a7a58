// Fuzz target over ExtractArchive: the input is written as an archive file and extracted into a
// scratch folder. Nothing may appear outside that folder, and nothing may crash or leak.
//

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
    fs::path out = root / "out";
    if (!keiba::WriteFileAtomic(archive,
                                std::string_view(reinterpret_cast<const char*>(data), size)))
        std::abort();
    {
        archive::TUnZip unzip;
        unzip.SetArchiveFile(keiba::PathToUtf8(archive));
        unzip.SetExtractDir(keiba::PathToUtf8(out));
        unzip.SetFileSpec({"*"});
        unzip.SetPasswords({"secret"});
        unzip.SetCreateStoredDirs(true);
        unzip.ExtractArchive();
    }
    for (const auto& e : fs::directory_iterator(root)) {
        if (e.path() != archive && e.path() != out) {
            std::fprintf(stderr, "written outside the target folder: %s\n", e.path().c_str());
            std::abort();
        }
    }
    std::error_code ec;
    fs::remove_all(out, ec);
    return 0;
}
