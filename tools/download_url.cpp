// kestrane_download <url> <file>: one download through the members' download code, as the
// program's downloads run it (the body goes to a new file that takes the target's name only on a
// 2xx answer).
// The download benchmark starts it as a whole process beside curl. Exits 0 when the file was
// saved, 1 when the download failed (the cause on standard error), 2 on a wrong command line or
// when the file's folder is not there.

#include "members/download.h"
#include "tools/cli.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (auto status = devtools::CheckPlainArguments(argc, argv, 2, "<url> <file>")) return *status;
    if (!devtools::Usable({{argv[2], devtools::PathUse::WriteFile}})) return 2;
    const members::DownloadResult r = members::DownloadUrlToFile(argv[1], argv[2]);
    if (!r.ok()) {
        devtools::Say(r.detail);
        return 1;
    }
    return 0;
}
