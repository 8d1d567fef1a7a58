#pragma once
// The generated sample program folder, made once per build of the generator and shared by every
// test process of the build (ctest runs each test in its own process, in parallel): the first
// process generates it under a lock, the others wait and reuse it. ctest makes it ahead of the
// tests that use it (the fixture kestrane_sample, tests/CMakeLists.txt), so that none of them
// waits for it. Tests never write into it: one that loads a day works in a folder of its own
// made by UseSampleIn. KESTRANE_MAKE_SAMPLE names the generator, KESTRANE_SAMPLE_ROOT the
// folder it is made in.

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace testsupport {

namespace sampledetail {

// The sample's folder for this build of the generator: its name holds the generator's time and
// size.
inline std::filesystem::path Stamped() {
    struct stat st {};
    ::stat(KESTRANE_MAKE_SAMPLE, &st);
    return std::filesystem::path(KESTRANE_SAMPLE_ROOT) /
           ("sample-" + std::to_string(st.st_mtime) + "-" + std::to_string(st.st_size));
}

// Runs the generator into `target` under the lock file `lockName`, unless a run already ended
// there; with `sweep`, the folders of earlier generators go first.
inline void Made(const std::filesystem::path& target, const char* lockName, bool sweep) {
    namespace fs = std::filesystem;
    const fs::path root = KESTRANE_SAMPLE_ROOT;
    int lock = ::open((root / lockName).c_str(), O_CREAT | O_RDWR, 0644);
    ::flock(lock, LOCK_EX);
    if (!fs::exists(target / "done")) {
        const std::string stamp = Stamped().filename().string();
        if (sweep)
            for (const auto& e : fs::directory_iterator(root)) {
                const std::string name = e.path().filename().string();
                if (name.starts_with("sample-") && !name.starts_with(stamp))
                    fs::remove_all(e.path());
            }
        fs::remove_all(target); // what a run cut short left
        std::string command =
            std::string(KESTRANE_MAKE_SAMPLE) + " '" + target.string() + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) == 0) std::ofstream(target / "done") << "ok";
    }
    ::flock(lock, LOCK_UN);
    ::close(lock);
}

} // namespace sampledetail

// The folder, with a file "done" in it when the generator succeeded.
inline const std::filesystem::path& SampleFolder() {
    static const std::filesystem::path folder = [] {
        std::filesystem::path target = sampledetail::Stamped();
        sampledetail::Made(target, "sample.lock", true);
        return target;
    }();
    return folder;
}

// A second run of the generator, in a folder of its own beside the first: the test that the
// generator's bytes do not depend on the run compares the two. The fixture makes both at once.
inline const std::filesystem::path& SampleFolderAgain() {
    static const std::filesystem::path folder = [] {
        std::filesystem::path target = sampledetail::Stamped();
        target += "-again";
        sampledetail::Made(target, "sample.again.lock", false);
        return target;
    }();
    return folder;
}

// Makes `dir` a program folder whose data is the shared sample's while the sample stays as the
// generator wrote it: its folders are links, but UM2 (where a day load files the horse masters
// it converts from UMA) holds links to the sample's files in folders of `dir`'s own, and the
// jockey table is a copy.
inline void UseSampleIn(const std::filesystem::path& dir) {
    namespace fs = std::filesystem;
    const fs::path& sample = SampleFolder();
    for (const char* name : {"Data", "SEI", "UMA", "VZK", "nerai", "feed"})
        fs::create_directory_symlink(sample / name, dir / name);
    for (const auto& e : fs::recursive_directory_iterator(sample / "UM2")) {
        fs::path to = dir / "UM2" / fs::relative(e.path(), sample / "UM2");
        if (e.is_directory())
            fs::create_directories(to);
        else
            fs::create_symlink(e.path(), to);
    }
    fs::copy_file(sample / "jockdata.kcsv", dir / "jockdata.kcsv");
}

} // namespace testsupport
