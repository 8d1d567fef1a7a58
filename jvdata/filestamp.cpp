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

std::int64_t TimeStep(std::int64_t modified) {
    constexpr std::int64_t kSecond = 1000000000;
    const std::int64_t ns = (modified % kSecond + kSecond) % kSecond;
    // Whole seconds: a file system that keeps no fraction (ext2, HFS+) or keeps every other second
    // (vfat); which, the time cannot tell, so the coarser.
    if (ns == 0) return 2 * kSecond;
    // A step of 10^k ns leaves k zeros at the end of every time (exFAT 10 ms, NTFS 100 ns); times
    // of a finer file system end in as many zeros only by chance, and then only cost a look more.
    std::int64_t step = 1;
    while (ns % (step * 10) == 0) step *= 10;
    // No zero: the time is the clock's own tick, which `lookedAt` reads.
    return step == 1 ? 0 : step;
}

bool Settled(const FileStamp& stamp, std::int64_t lookedAt) {
    // Every change of the bytes stamps the modification time with the clock's tick it is made in,
    // cut down to the file system's step, so a change after the look gets a time no earlier than
    // the look's tick cut down to that step: a time older than the look by more than the step is
    // left behind by it. (A rewrite whose time is set back after it moves the change time, which
    // nothing sets back.)
    return stamp.modified + TimeStep(stamp.modified) < lookedAt;
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
