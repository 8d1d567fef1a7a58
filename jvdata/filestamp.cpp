#include "jvdata/filestamp.h"

#include <time.h>

#include <algorithm>

namespace jvdata {
namespace {

std::int64_t Nanoseconds(const struct ::timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + static_cast<std::int64_t>(t.tv_nsec);
}

} // namespace

FileStamp StampOf(const struct ::stat& st, std::uint64_t writes) {
    return {static_cast<std::uint64_t>(st.st_dev),
            static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::uint64_t>(st.st_size),
            writes,
            Nanoseconds(st.st_mtim),
            Nanoseconds(st.st_ctim)};
}

std::int64_t FileClockNow() {
    struct ::timespec t {};
    // The coarse clock is the one file times come from; the fine one may run ahead of them.
    ::clock_gettime(CLOCK_REALTIME_COARSE, &t);
    return Nanoseconds(t);
}

bool Settled(const FileStamp& stamp, std::int64_t lookedAt) {
    // Every change of the bytes stamps the modification time with the tick it is made in, so a
    // change after the look moves it off a time from before the look's tick. (A rewrite whose time
    // is set back after it moves the change time, which nothing sets back.)
    return stamp.modified < lookedAt;
}

CheckedFiles::Verdict CheckedFiles::Find(const std::string& path, std::size_t length,
                                         const FileStamp& stamp) {
    std::lock_guard lock(mutex_);
    for (const Entry& e : entries_)
        if (e.length == length && e.path == path) return e.stamp == stamp ? e.verdict : Verdict{};
    return {};
}

void CheckedFiles::Keep(const std::string& path, std::size_t length, const FileStamp& stamp,
                        Verdict found) {
    std::lock_guard lock(mutex_);
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const Entry& e) { return e.length == length && e.path == path; });
    Entry entry{path, length, stamp, found};
    if (it != entries_.end()) {
        // Two checks of the same bytes: the one that went further knows more.
        if (it->stamp == stamp && it->verdict.checked > found.checked) entry.verdict = it->verdict;
        entries_.erase(it);
    } else if (entries_.size() >= kFiles) {
        entries_.erase(entries_.begin());
    }
    entries_.push_back(std::move(entry));
}

void CheckedFiles::Clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

CheckedFiles& CheckedDayFiles() {
    static CheckedFiles files;
    return files;
}

} // namespace jvdata
