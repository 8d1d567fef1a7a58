#pragma once
// What tells one state of a file from another, and what the record check found in a file while it
// stays as it was checked: a day loaded again (a user switching days, the fetch timers reading
// the odds again) need not check the same bytes again.

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace jvdata {

// A rewrite in place changes the times, a file put in place by a rename its inode and change time,
// a cut or an append its size. A writer's rename frees an inode that a later file may get back
// with the same size and, within one tick of the clock, the same times: the program's own writes
// are counted as well (keiba::WriteCount of the path, taken before the stat).
struct FileStamp {
    std::uint64_t device = 0, inode = 0, size = 0, writes = 0;
    std::int64_t modified = 0, changed = 0; // nanoseconds since the epoch
    bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const struct ::stat& st, std::uint64_t writes);

// The clock the file system stamps files with, in nanoseconds since the epoch: read it before
// looking at a file, and give it to Settled.
std::int64_t FileClockNow();

// The step of the file system's times, in nanoseconds, as far as a modification time tells it:
// 0 where times are the clock's ticks, a power of ten where they end in that many zeros (the
// largest such), and 2 s for a time of whole seconds. Never finer than the true step of a file
// system whose step is a power of ten of nanoseconds or two seconds.
std::int64_t TimeStep(std::int64_t modified);

// Whether what was found in a file looked at as `stamp`, no earlier than `lookedAt`, holds for as
// long as the file keeps that stamp: its modification time is older than the look by more than
// the file system's time step (TimeStep). A file changed within that step of the look can be
// changed again within it and keep its times: what was found then is good for that look only.
bool Settled(const FileStamp& stamp, std::int64_t lookedAt);

// The records from a file's start that the record check found sound, for the files checked last,
// each kept while the file keeps the stamp it was checked at. Shared by every reader of the
// process (the straight read of a day load has no cache of its own); safe across threads.
class CheckedFiles {
public:
    struct Verdict {
        std::size_t checked = 0; // records from the start that were checked, of which the
        std::size_t sound = 0;   // first `sound` are sound (and, if that is fewer, the next not)
    };

    // What is known of the file of records of `length` at the native `path` while it is as
    // `stamp`; nothing checked when it was checked as it stood before, or never.
    Verdict Find(const std::string& path, std::size_t length, const FileStamp& stamp);
    // Keeps what a check of the file as `stamp` found, over what an earlier check of it found.
    // The caller keeps only what is Settled.
    void Keep(const std::string& path, std::size_t length, const FileStamp& stamp, Verdict found);
    // Everything is checked again (a benchmark's first load).
    void Clear();

private:
    struct Entry {
        std::string path;
        std::size_t length = 0;
        FileStamp stamp;
        Verdict verdict;
    };
    // The odds files of a few days; the oldest goes first.
    static constexpr std::size_t kFiles = 48;
    std::mutex mutex_;
    std::vector<Entry> entries_; // the last kept last
};

// The process's one list.
CheckedFiles& CheckedDayFiles();

} // namespace jvdata
