#pragma once
// Shared pieces of the fuzz targets: the invariant check, the splitting of one input into the
// several files or texts a reader takes, a scratch folder, and an independent line splitter.
//
// Every target defines LLVMFuzzerTestOneInput. Built with -fsanitize=fuzzer it is a libFuzzer
// target; linked with replaymain.cpp it is a replay program over corpus files (CTest runs it).

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fuzz {

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
    std::abort();
}

} // namespace fuzz

// An invariant of the reader under test; a broken one aborts, so libFuzzer keeps the input.
#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) ::fuzz::Fail(#cond, __FILE__, __LINE__);                                      \
    } while (0)

namespace fuzz {

// The pieces of an input, in order: the readers that take several files take one piece each.
// The separator is text a real record or setting never holds; the seeds carry it, so the
// mutations keep the pieces apart.
inline constexpr std::string_view kSeparator = "=#FUZZ#=";

inline std::vector<std::string_view> Pieces(std::string_view data) {
    std::vector<std::string_view> pieces;
    for (;;) {
        std::size_t at = data.find(kSeparator);
        if (at == std::string_view::npos) break;
        pieces.push_back(data.substr(0, at));
        data.remove_prefix(at + kSeparator.size());
    }
    pieces.push_back(data);
    return pieces;
}

inline std::string Join(const std::vector<std::string>& pieces) {
    std::string out;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) out += kSeparator;
        out += pieces[i];
    }
    return out;
}

inline std::string_view Piece(const std::vector<std::string_view>& pieces, std::size_t i) {
    return i < pieces.size() ? pieces[i] : std::string_view();
}

// Lines as a text file holds them: each ended by CR LF, LF or a lone CR, nothing after a final
// break. Written here again so the targets do not check a reader with its own helper.
inline std::vector<std::string_view> TextLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t i = 0, start = 0;
    for (; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') continue;
        lines.push_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < bytes.size()) lines.push_back(bytes.substr(start));
    return lines;
}

// A file of fixed-length lines as the day files' rewrites take it: only CR LF ends a line, and
// no line is split. Each line with where it starts and whether it is whole (`length` bytes with
// CR LF, or the last line without them, that pass `check` given with CR LF). Written here again,
// for the same reason as TextLines.
struct RecordLine {
    std::size_t at;
    std::string_view bytes;
    bool whole;
};
inline std::vector<RecordLine> RecordLines(std::string_view bytes, std::size_t length,
                                           bool (*check)(std::string_view record)) {
    std::vector<RecordLine> lines;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t crlf = bytes.find("\r\n", at);
        std::size_t end = crlf == std::string_view::npos ? bytes.size() : crlf + 2;
        std::string_view line = bytes.substr(at, end - at);
        bool whole = crlf != std::string_view::npos
                         ? line.size() == length && check(line)
                         : line.size() + 2 == length && check(std::string(line) + "\r\n");
        lines.push_back({at, line, whole});
        at = end;
    }
    return lines;
}

// The text without the blanks and control characters around it (bytes up to 0x20), as
// keiba::TrimBlanks removes them.
inline std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

// One scratch folder per process, removed when the process ends normally.
class Scratch {
public:
    Scratch() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kestrane-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        root_ = pattern;
    }
    ~Scratch() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    const std::filesystem::path& Root() const { return root_; }
    // An empty folder under the scratch folder, emptied again on every call.
    std::filesystem::path Fresh(std::string_view name) const {
        std::filesystem::path p = root_ / name;
        std::error_code ec;
        std::filesystem::remove_all(p, ec);
        std::filesystem::create_directories(p);
        return p;
    }

private:
    std::filesystem::path root_;
};

inline const Scratch& Workspace() {
    static const Scratch scratch;
    return scratch;
}

inline std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        std::abort();
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return std::move(bytes).str();
}

// Every regular file below `root` by its path relative to it (generic form) with its bytes.
inline std::map<std::string, std::string> FilesBelow(const std::filesystem::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root))
        if (e.is_regular_file())
            files[std::filesystem::relative(e.path(), root).generic_string()] = ReadAll(e.path());
    return files;
}

// Writes a file whole, creating its folder; aborts when it cannot (the scratch folder is ours).
// A plain write, so that setting a case up does not go through the writers under test.
inline void PutFile(const std::filesystem::path& path, std::string_view bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) std::abort();
}

} // namespace fuzz
