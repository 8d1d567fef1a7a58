#pragma once
// Whole-file reads and writes. Every writer of the system replaces a file whole: the bytes go
// to a temporary file in the same folder, which is then renamed over the target and the folder
// synced, so a failure at any point leaves the old file as it was, and a file reported saved
// survives a power loss.
//
// Temporary files are named "<name>.ktmp<pid>-<digits>" (the writer's process id, then a random
// number), and their writer holds a lock on them until the rename. A process killed between
// writing and renaming leaves one behind, unlocked; RemoveStaleTempFiles clears them.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace keiba {

struct [[nodiscard]] IoResult {
    bool ok = true;
    std::string message; // UTF-8, for the user; empty when ok
    explicit operator bool() const { return ok; }
    static IoResult Ok() { return {}; }
    static IoResult Fail(std::string m) { return {false, std::move(m)}; }
};

// The whole file, telling a missing file from one that is there but cannot be read: the only
// read of whole files, so that no caller takes the second for the first (a caller that rewrote
// the file from what it read would lose it, one that shows it would show nothing and say
// nothing). The two never share a value: `read` fails for the second, naming the file and the
// cause in words ("<path> を読み込めません（<cause>）。"), and the system's own text goes to the
// failure log, as a failed write's does. Something other than a file at the path (a folder, a
// device) is one that cannot be read. The second form takes a path already in the system's own
// form, for callers that build many paths in one buffer instead of a path object each.
struct [[nodiscard]] FileRead {
    IoResult read;
    std::optional<std::string> bytes; // the file; nothing when it is missing or unreadable
    bool Missing() const { return read.ok && !bytes; }
};
FileRead ReadFileOrMissing(const std::filesystem::path& path);
FileRead ReadFileOrMissing(const char* nativePath);
// A read of `path` that the system refused with `err` (an errno value, or kNotARegularFile where
// something other than a file or a folder stands), worded and logged as ReadFileOrMissing words
// and logs its own: for readers that read a file their own way, into buffers of their own.
inline constexpr int kNotARegularFile = -1;
IoResult ReadFailed(const std::filesystem::path& path, int err);

// The entries of a folder, telling a missing folder from one that is there but cannot be listed,
// as ReadFileOrMissing does for files: a list of days or of saved sets that came back empty from a
// folder the user may not read would pass for one that holds none. `list` fails naming the folder
// and the cause; entries that cannot be looked at are left to the caller's own checks.
struct [[nodiscard]] FolderList {
    IoResult list;
    std::optional<std::vector<std::filesystem::directory_entry>> entries; // in no set order
    bool Missing() const { return list.ok && !entries; }
};
FolderList ListFolder(const std::filesystem::path& folder);

// Opens a file for a reader that reads it its own way: a descriptor, or -1 with errno set. Goes
// through the test seam below as every read here does.
int OpenToRead(const char* nativePath);

// Test seam: called with each file a read opens, returns an errno value the read fails with as
// if the system had answered it (0: the file is read). Stands for a file this user may not read
// or a disk that fails, which modes alone cannot make for a test running as root.
using ReadFailureHook = std::function<int(const std::filesystem::path& file)>;
void SetReadFailureHookForTest(ReadFailureHook hook);

// Whether a write syncs its folder itself, or leaves it to the caller, who writes many files
// into few folders and syncs each folder once (SyncFolder) before it calls any of them saved.
enum class FolderSync { Now, ByCaller };

// Replaces `path` with `bytes` through a temporary file and a rename, then syncs the folder.
// The folder must exist.
IoResult WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes,
                         FolderSync sync = FolderSync::Now);

// Makes the renames in `folder` durable; a failure names the folder and its cause.
IoResult SyncFolder(const std::filesystem::path& folder);

// Whether writes wait for the disk: each file and its folder synced, so that a crash leaves the
// old file or the new one. On in the program; a developer program that writes thousands of files
// it can simply make again (the sample folder) turns it off. Either way a write replaces its file
// whole through a temporary file.
void SetWritesSynced(bool synced);

// The cause of a failed file operation (an errno value) as a user reads it: the common causes
// in words, any other by its number.
std::string FailureCause(int err);
// The same of an operation on `path` that asked for `access`: a refused permission is worded
// from what was missing (a folder on the way that may not be entered, named, or the reading or
// writing the operation asked for), not from the number alone, which does not say. Every failure
// message of these routines ends with it.
enum class Access { Read, Write, Enter };
std::string FailureCause(int err, const std::filesystem::path& path, Access access);

// A write of `path` that failed with `err` (an errno value), reported as these routines report
// their own: "<path> を書き込めません（<cause>）。" for the user, and the system's text to the
// failure log below. For writers that write a file their own way (a download streams into one).
IoResult WriteFailure(const std::filesystem::path& path, int err);

// What a reader or a rewrite says of the lines of a file it could not read (lines of another
// length than the file's, cut or split by a line break): "<path> の一部が壊れているため、<n>行を
// 読み込めませんでした。" when they were passed over, and "<path> の一部が壊れているため、読めない
// <n>行をそのまま残しました。" when a rewrite of the file kept them as they were.
std::string UnreadLinesText(const std::filesystem::path& path, std::size_t lines);
std::string UnreadLinesKeptText(const std::filesystem::path& path, std::size_t lines);

// Where the system's own text of each failure these routines report goes besides the user's
// message: the program sets its error log here once at start-up. The sink may be called from
// any thread and must not throw; a failure of its own write is not passed to it again.
using FailureLog = std::function<void(const std::string& systemText)>;
void SetFailureLog(FailureLog log);
// Passes the system's text of a failure reported elsewhere (a download's) to the same sink.
void LogFailure(const std::string& systemText);

// Creates `folder` and its missing parents; a failure names the folder and its cause.
IoResult CreateFolders(const std::filesystem::path& folder);

// How often WriteFileAtomic has replaced `path` in this process. Readers that keep a file's
// bytes compare it besides the file's size and time, which a rewrite within one tick of the
// clock can leave as they were. Paths share counters by a hash, so an unrelated write may
// change the value too (which costs a needless re-read, never a stale one).
std::uint64_t WriteCount(const std::filesystem::path& path);

// Creates a new temporary file for `target` in the target's folder, named as every writer's
// are, so that the sweep below knows it (a long target name is cut so that the name fits the
// file system's limit); returns its descriptor (open for writing, holding the writer's lock for
// as long as it or a copy stays open) and puts its path in `temp`, or returns -1 with errno set.
// The caller renames it over the target or removes it.
int CreateTempFile(const std::filesystem::path& target, std::filesystem::path* temp);
// The same in the folder open as `dirFd`, for writers that walk folders by descriptor: the file
// gets `mode` (less the umask) and is never made through a link; its name goes to `temp`.
int CreateTempFileAt(int dirFd, std::string_view targetName, unsigned mode, std::string* temp);

// Whether `name` (a file name without folder) is a writer's temporary file; `pid` receives the
// process id in it.
bool IsTempFileName(std::string_view name, long* pid = nullptr);

// Removes the temporary files directly in `folder` that no writer will finish: those whose
// writer holds no lock on them any more (it was killed, whatever process has its pid now).
// Files of other names are left. With `older` Remove, the "<name>.tmp<digits>" files of earlier
// versions go too; that is only for the program's own folders, where no other program's files
// of such names live. Returns how many were removed.
enum class OlderTempNames { Keep, Remove };
std::size_t RemoveStaleTempFiles(const std::filesystem::path& folder,
                                 OlderTempNames older = OlderTempNames::Keep);
// The same in `folder` and in the folders below it, as an extraction makes them from its
// entries' names (links to folders are not followed; 16 levels and 4096 folders at most). Only
// this system's own temporary names are looked at: files of other names there are an archive's.
std::size_t RemoveStaleTempFilesBelow(const std::filesystem::path& folder);

// Test seams. The first is called after the temporary file is complete and before the rename;
// returning false stands for the process being killed at that moment: the temporary file stays
// where it is, nothing is renamed, and the write reports failure. The second is called with
// the folder once it has been synced after a rename.
using BeforeRenameHook = std::function<bool(const std::filesystem::path& temp)>;
void SetBeforeRenameHookForTest(BeforeRenameHook hook);
using FolderSyncedHook = std::function<void(const std::filesystem::path& folder)>;
void SetFolderSyncedHookForTest(FolderSyncedHook hook);

// The lines of a text file, each ended by CR LF, LF or a lone CR (editors on other systems
// save each of them); a last line without a break counts.
std::vector<std::string_view> SplitLines(std::string_view bytes);

// A file name as a path: names of this system are UTF-8 on disk.
std::filesystem::path Utf8Path(std::string_view utf8);
std::string PathToUtf8(const std::filesystem::path& p);

} // namespace keiba
