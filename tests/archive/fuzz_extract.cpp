// Fuzz target over ExtractArchive: the input is written as an archive file and extracted into a
// scratch folder. Nothing may appear outside that folder, and nothing may crash or leak.
//
// Built with -fsanitize=fuzzer it is a libFuzzer target; with KESTRANE_FUZZ_REPLAY_MAIN it is a
// replay program over corpus files and folders given on the command line.

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

#ifdef KESTRANE_FUZZ_REPLAY_MAIN
int main(int argc, char** argv) {
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        fs::path p = argv[i];
        if (fs::is_directory(p)) {
            for (const auto& e : fs::directory_iterator(p))
                if (e.is_regular_file()) inputs.push_back(e.path());
        } else {
            inputs.push_back(p);
        }
    }
    std::sort(inputs.begin(), inputs.end());
    if (inputs.empty()) {
        std::fprintf(stderr, "no corpus files given\n");
        return 1;
    }
    for (const auto& p : inputs) {
        auto bytes = keiba::ReadWholeFile(p);
        if (!bytes) {
            std::fprintf(stderr, "cannot read %s\n", p.c_str());
            return 1;
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size());
    }
    std::printf("%zu corpus files replayed\n", inputs.size());
    return 0;
}
#endif
