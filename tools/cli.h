#pragma once
// The command line as every developer program takes it: -h and --help print the usage on
// standard output and succeed, a wrong call prints it on standard error and exits with status 2,
// a word starting with '-' is an option and never a folder or a file, and a path is checked
// before anything is read from it or made in it. A path the system says is not there is named
// as missing; one that is there but cannot be read is named with the system's cause, so that a
// locked folder never passes for a missing or an empty one.
//
// Each program is built as kestrane_<name> and names itself by that one name (KESTRANE_PROGRAM,
// set where tools/CMakeLists.txt builds it) in its usage and its messages.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#ifndef KESTRANE_PROGRAM
#error "KESTRANE_PROGRAM names the program as built (tools/CMakeLists.txt sets it)"
#endif

namespace devtools {

inline constexpr std::string_view kProgram = KESTRANE_PROGRAM;

// One line on standard error, after the program's name.
inline void Say(std::string_view text) {
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(kProgram.size()), kProgram.data(),
                 static_cast<int>(text.size()), text.data());
}

inline bool AsksForHelp(std::string_view arg) {
    return arg == "-h" || arg == "--help";
}

// For a program none of whose options takes a value that could read as -h.
inline bool HelpAsked(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (AsksForHelp(argv[i])) return true;
    return false;
}

inline bool IsOption(std::string_view arg) {
    return arg.starts_with('-');
}

// `arguments` is the usage after the program's name. Returns the program's exit status.
inline int Usage(std::string_view arguments, bool asked = false) {
    std::FILE* to = asked ? stdout : stderr;
    std::fprintf(to, "usage: %.*s %.*s\n", static_cast<int>(kProgram.size()), kProgram.data(),
                 static_cast<int>(arguments.size()), arguments.data());
    return asked ? 0 : 2;
}

// For a program that takes exactly `count` arguments and no options: the exit status when the
// command line ends the program (help asked for, or a wrong call), nothing when it goes on.
inline std::optional<int> CheckPlainArguments(int argc, char** argv, int count,
                                              std::string_view usage) {
    if (HelpAsked(argc, argv)) return Usage(usage, true);
    for (int i = 1; i < argc; ++i)
        if (IsOption(argv[i])) return Usage(usage);
    if (argc - 1 != count) return Usage(usage);
    return std::nullopt;
}

enum class PathUse {
    ReadFolder,  // listed and read from
    ReadFile,    // read
    WriteFolder, // files are made in it (a missing one is made)
    WriteFile,   // written whole: its folder must take a new file
};

// What keeps a path from its use; empty when nothing does.
struct PathProblem {
    bool missing = false; // the system says the path is not there
    std::string message;
    explicit operator bool() const { return !message.empty(); }
};

// Asks the system itself (stat, open, access) rather than guessing from a file's type, since
// only the system's answer tells "not there" from "there, but not for us".
inline PathProblem CheckPath(const std::filesystem::path& path, PathUse use) {
    if (use == PathUse::WriteFile) {
        const std::filesystem::path parent = path.parent_path();
        return CheckPath(parent.empty() ? std::filesystem::path(".") : parent,
                         PathUse::WriteFolder);
    }
    const bool folder = use != PathUse::ReadFile;
    const std::string what = folder ? "folder" : "file";
    const std::string verb = use == PathUse::WriteFolder ? "cannot write into " : "cannot read ";
    auto failed = [&](int err) {
        return PathProblem{err == ENOENT, err == ENOENT ? "no such " + what + ": " + path.string()
                                                        : verb + what + " " + path.string() + ": " +
                                                              std::generic_category().message(err)};
    };
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return failed(errno);
    if (S_ISDIR(st.st_mode) != folder) return {false, "not a " + what + ": " + path.string()};
    switch (use) {
    case PathUse::ReadFolder:
    case PathUse::ReadFile: {
        // "/." needs the right to look inside as well as to list.
        const std::string opened = folder ? (path / ".").string() : path.string();
        const int fd = ::open(opened.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return failed(errno);
        ::close(fd);
        return {};
    }
    case PathUse::WriteFolder:
    case PathUse::WriteFile: break;
    }
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return failed(errno);
    return {};
}

// Says the first path that cannot be put to its use; true when every one can. A missing
// folder to write into is no problem: it is made.
inline bool Usable(std::initializer_list<std::pair<std::filesystem::path, PathUse>> paths) {
    for (const auto& [path, use] : paths) {
        const PathProblem problem = CheckPath(path, use);
        if (problem && !(problem.missing && use == PathUse::WriteFolder)) {
            Say(problem.message);
            return false;
        }
    }
    return true;
}

} // namespace devtools
