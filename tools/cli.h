#pragma once
// The command line as every developer program takes it: -h and --help print the usage on
// standard output and succeed, a wrong call prints it on standard error and exits with status 2,
// a word starting with '-' is an option and never a folder or a file, and a folder is checked
// before anything is read from it or made in it, so a missing one is named as missing.

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace devtools {

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

// `text` is the usage after "usage: ". Returns the program's exit status.
inline int Usage(std::string_view text, bool asked = false) {
    std::FILE* to = asked ? stdout : stderr;
    std::fprintf(to, "usage: %.*s\n", static_cast<int>(text.size()), text.data());
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

// What keeps `path` from being used as a folder, or nothing when it is one. A folder that is
// there but cannot be looked at is not called missing.
inline std::string FolderProblem(const std::filesystem::path& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (fs::is_directory(st)) return {};
    if (st.type() == fs::file_type::not_found) return "no such folder: " + path.string();
    if (ec) return "cannot look at folder " + path.string() + ": " + ec.message();
    return "not a folder: " + path.string();
}

// The same for the folder a file is to be written into.
inline std::string FolderProblemOfFile(const std::filesystem::path& file) {
    const std::filesystem::path parent = file.parent_path();
    return FolderProblem(parent.empty() ? std::filesystem::path(".") : parent);
}

} // namespace devtools
