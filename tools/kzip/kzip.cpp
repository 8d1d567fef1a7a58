// kestrane_kzip: extracts a zip archive with the system's own extractor, one line per entry.
//
//   kestrane_kzip [-p password]... [-x exclude-mask]... archive target-folder [mask...]
//
// A split archive is given by its last volume (name.zip); the others (name.z01, ...) are taken
// from the same folder, and a missing one fails the entries it holds. For a set spanned over
// removable disks it asks on standard error for each disk and waits for Enter (end of input
// cancels).
// Masks and passwords are given in UTF-8 and used as CP932, like the program's own "*.csv" and
// the passwords of archives made on Windows (a password is also tried as typed); a mask may
// separate folders with "/" or "\". Without masks every entry is selected. The archive's folders
// are made, empty ones too. A failed entry gets one line of its cause. Exit status 0 when every
// selected entry passed its CRC check; 1 when one did not, or when the file is no archive the
// extractor can read (the reason is printed); 2 for a wrong command line; 130 when interrupted
// (Ctrl-C), which removes the unfinished file.

#include "archive/unzip.h"
#include "keiba/sjis.h"
#include "tools/cli.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

volatile std::sig_atomic_t gInterrupted = 0;

void OnInterrupt(int) {
    gInterrupted = 1;
}

// A second Ctrl-C ends the program at once.
void CatchInterrupts() {
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sa.sa_flags = SA_RESETHAND;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}

int Usage(bool asked = false) {
    return devtools::Usage("[-p password]... [-x exclude]... archive target [mask...]", asked);
}

std::string FirstBytes(const std::string& path, std::size_t n) {
    std::ifstream in(path, std::ios::binary);
    std::string s(n, '\0');
    in.read(s.data(), static_cast<std::streamsize>(n));
    s.resize(static_cast<std::size_t>(in.gcount()));
    return s;
}

// Why the extractor cannot read the assigned archive, or nothing when it can.
std::string Unreadable(const archive::TUnZip& unzip, const std::string& path) {
    if (unzip.ArchiveFile().empty()) return "no such file";
    switch (unzip.ArcType()) {
    case archive::kArcZip:
    case archive::kArcZipSfx: break;
    case archive::kArcZipSpan:
    case archive::kArcZipMVol:
        if (unzip.DirectoryInfo().endRecordPos < 0)
            return "a volume of a split archive without its directory: give the last volume (the "
                   ".zip file)";
        return {}; // the directory may begin in an earlier volume

    default: {
        std::string head = FirstBytes(path, 4);
        if (head.empty()) return "an empty file, not a zip archive";
        if (head == "PK\x07\x08" || head == "PK00")
            return "a volume of a split archive without its directory: give the last volume (the "
                   ".zip file)";
        return "not a zip archive";
    }
    }
    const archive::ZipDirectoryInfo& dir = unzip.DirectoryInfo();
    if (dir.endRecordPos < 0)
        return "no end of central directory record: the archive is truncated or damaged";
    if (dir.entries > 0 && !(dir.headerState & 2))
        return "no central directory where the end record says: the archive is truncated or "
               "damaged";
    return {};
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> passwords, excludes, positional;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if ((a == "-p" || a == "-x") && i + 1 < argc) {
            (a == "-p" ? passwords : excludes).push_back(argv[++i]);
        } else if (devtools::AsksForHelp(a)) {
            return Usage(true);
        } else if (devtools::IsOption(a)) {
            return Usage();
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() < 2) return Usage();
    CatchInterrupts();

    archive::TUnZip unzip;
    bool allPassed = true;
    // Whether the cause of the entry in hand's failure was printed: the failed CRC check that
    // follows it (a wrong password, damaged data, a full disk, an output that cannot be opened)
    // says nothing more. The two name the entry differently (its stored name, then its output
    // path), so the entry is told by the callbacks' order: a CRC failure belongs to the entry
    // last begun.
    bool causeGiven = false;
    auto cancelWhenInterrupted = [](archive::TZipCommon& s) {
        if (gInterrupted && !s.GetCancel()) s.SetCancel(true);
    };
    unzip.OnBegin = [&](archive::TZipCommon& s, const std::string&, int, bool&) {
        causeGiven = false;
        cancelWhenInterrupted(s);
    };
    unzip.OnProgress = [&](archive::TZipCommon& s, std::uint8_t, std::uint8_t) {
        cancelWhenInterrupted(s);
    };
    unzip.OnEnd = [&](archive::TZipCommon&, const std::string& name, bool pass) {
        std::printf("%s %s\n", pass ? "ok  " : "FAIL", name.c_str());
        allPassed = allPassed && pass;
    };
    // split volumes: the file beside the archive, or nothing (the extractor reports it missing)
    unzip.OnNextVolume = [](archive::TZipCommon&, std::string&, int, bool, bool&) {};
    auto askForDisk = [](const std::string& which, bool& cancel) {
        devtools::Say("insert " + which + " of the set and press Enter");
        int c;
        while ((c = std::getchar()) != EOF && c != '\n') {
        }
        cancel = c == EOF;
    };
    unzip.OnGetZipFirstDisk = [&](archive::TZipCommon&, bool& cancel) {
        askForDisk("the first disk", cancel);
    };
    unzip.OnGetZipLastDisk = [&](archive::TZipCommon&, bool& cancel) {
        askForDisk("the last disk", cancel);
    };
    unzip.OnGetZipNextDisk = [&](archive::TZipCommon&, const std::string& number, bool& cancel) {
        askForDisk("disk " + number, cancel);
    };
    unzip.OnError = [&](archive::TZipCommon&, const std::string& name, const std::string& text,
                        const std::string&, int code) {
        allPassed = false;
        const bool crc = code == archive::kMsgCrcError;
        if (crc && causeGiven) {
            causeGiven = false;
            return;
        }
        causeGiven = !crc;
        std::string message(archive::MessageText(code));
        if (!text.empty()) message += " (" + text + ")";
        std::printf("error %d %s: %s\n", code, message.c_str(), name.c_str());
    };
    // stored names separate folders with "\"; in CP932 "/" is never part of a double-byte
    // character, so each one is a separator
    auto mask = [](const std::string& typed) {
        std::string m = keiba::Utf8ToCp932(typed);
        std::replace(m.begin(), m.end(), '/', '\\');
        return m;
    };
    std::vector<std::string> masks;
    for (std::size_t i = 2; i < positional.size(); ++i) masks.push_back(mask(positional[i]));
    if (masks.empty()) masks.push_back("*");
    std::vector<std::string> excl;
    for (const auto& x : excludes) excl.push_back(mask(x));
    std::vector<std::string> tried;
    for (const auto& p : passwords) {
        if (auto cp932 = keiba::Utf8ToCp932Exact(p); cp932 && *cp932 != p) tried.push_back(*cp932);
        tried.push_back(p);
    }

    // A locked archive, or one in a locked folder, would read as an empty or a missing one.
    if (!devtools::Usable({{positional[0], devtools::PathUse::ReadFile},
                           {positional[1], devtools::PathUse::WriteFolder}}))
        return 1;
    unzip.SetArchiveFile(positional[0]);
    if (std::string why = Unreadable(unzip, positional[0]); !why.empty()) {
        devtools::Say(positional[0] + ": " + why);
        return 1;
    }
    unzip.SetExtractDir(positional[1]);
    unzip.SetFileSpec(masks);
    unzip.SetExcludeSpec(excl);
    unzip.SetPasswords(tried);
    unzip.SetCreateStoredDirs(true);
    int count = unzip.ExtractArchive();
    std::printf("%d files\n", count);
    if (gInterrupted) {
        devtools::Say("interrupted");
        return 130;
    }
    return allPassed ? 0 : 1;
}
