#include "keiba/fileio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace keiba {
namespace {

BeforeRenameHook& Hook() {
    static BeforeRenameHook hook;
    return hook;
}

std::string ErrnoText(int e) {
    return std::strerror(e);
}

bool WriteAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string data;
    data.resize(static_cast<std::size_t>(st.st_size));
    std::size_t used = 0;
    for (;;) {
        ssize_t n;
        if (used < data.size()) {
            n = ::read(fd, data.data() + used, data.size() - used);
        } else {
            // The buffer holds the size stat gave; the file may have grown since. A small read
            // tells, so the common case costs no reallocation of the whole file.
            char more[4096];
            n = ::read(fd, more, sizeof more);
            if (n > 0) {
                data.append(more, static_cast<std::size_t>(n));
                used = data.size();
                continue;
            }
        }
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        used += static_cast<std::size_t>(n);
    }
    ::close(fd);
    data.resize(used);
    return data;
}

IoResult WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes) {
    std::filesystem::path dir = path.parent_path();
    if (dir.empty()) dir = ".";
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    std::filesystem::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = dir / (path.filename().string() + ".tmp" + std::to_string(rng() % 1000000000));
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return IoResult::Fail(PathToUtf8(path) + " を書き込めません: " + ErrnoText(errno));
    bool ok = WriteAll(fd, bytes);
    int writeErr = errno;
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        writeErr = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        writeErr = errno;
    }
    if (ok && Hook() && !Hook()(temp)) {
        ok = false;
        writeErr = EIO;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return IoResult::Fail(PathToUtf8(path) + " を書き込めません: " + ErrnoText(writeErr));
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        int e = errno;
        ::unlink(temp.c_str());
        return IoResult::Fail(PathToUtf8(path) + " を書き込めません: " + ErrnoText(e));
    }
    return IoResult::Ok();
}

void SetBeforeRenameHookForTest(BeforeRenameHook hook) {
    Hook() = std::move(hook);
}

std::filesystem::path Utf8Path(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string PathToUtf8(const std::filesystem::path& p) {
    std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

std::vector<std::string_view> SplitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t nl = bytes.find('\n', start);
        std::size_t end = nl == std::string_view::npos ? bytes.size() : nl;
        std::string_view l = bytes.substr(start, end - start);
        if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
        lines.push_back(l);
        if (nl == std::string_view::npos) break;
        start = nl + 1;
    }
    return lines;
}

} // namespace keiba
