// kzip: extracts a zip archive with the system's own extractor, one line per entry.
//
//   kzip [-p password]... [-x exclude-mask]... archive target-folder [mask...]
//
// Masks are given in UTF-8 and matched as CP932, like the program's own "*.csv"; without masks
// every entry is selected. Exit status 0 when every selected entry passed its CRC check.

#include "archive/unzip.h"
#include "keiba/sjis.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: kzip [-p password]... [-x exclude]... archive target [mask...]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> passwords, excludes, positional;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if ((a == "-p" || a == "-x") && i + 1 < argc) {
            (a == "-p" ? passwords : excludes).push_back(argv[++i]);
        } else if (a == "-h" || a == "--help") {
            return Usage();
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() < 2) return Usage();

    archive::TUnZip unzip;
    bool allPassed = true;
    unzip.OnEnd = [&](archive::TZipCommon&, const std::string& name, bool pass) {
        std::printf("%s %s\n", pass ? "ok  " : "FAIL", name.c_str());
        allPassed = allPassed && pass;
    };
    unzip.OnError = [&](archive::TZipCommon&, const std::string& name, const std::string&,
                        const std::string&, int code) {
        std::printf("error %d %s: %s\n", code, std::string(archive::MessageText(code)).c_str(),
                    name.c_str());
        allPassed = false;
    };
    std::vector<std::string> masks;
    for (std::size_t i = 2; i < positional.size(); ++i)
        masks.push_back(keiba::Utf8ToCp932(positional[i]));
    if (masks.empty()) masks.push_back("*");
    std::vector<std::string> excl;
    for (const auto& x : excludes) excl.push_back(keiba::Utf8ToCp932(x));

    unzip.SetArchiveFile(positional[0]);
    unzip.SetExtractDir(positional[1]);
    unzip.SetFileSpec(masks);
    unzip.SetExcludeSpec(excl);
    unzip.SetPasswords(passwords);
    int count = unzip.ExtractArchive();
    std::printf("%d files\n", count);
    return allPassed ? 0 : 1;
}
