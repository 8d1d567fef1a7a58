#include "archive/zipcommon.h"

#include "archive/mask.h"
#include "keiba/fileio.h"
#include "keiba/sjis.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <span>

namespace archive {
namespace {

constexpr std::size_t kMaxMasks = 100;
// The extended text of the reports of an entry that no password opened.
const std::string kWrongPassword = "wrong or missing password";

char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Names and masks are CP932: a trail byte may be a letter or "\", so they are walked by
// characters and only single-byte letters change case.
std::string UpperText(std::string_view s) {
    std::string u(s);
    for (std::size_t i = 0; i < u.size(); i += keiba::SjisCharLength(u, i)) u[i] = UpperAscii(u[i]);
    return u;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && UpperText(a) == UpperText(b);
}

// Whether `what` occurs in `text` starting on a character.
bool ContainsAtCharacter(std::string_view text, std::string_view what) {
    if (what.empty()) return true;
    for (std::size_t i = 0; i + what.size() <= text.size(); i += keiba::SjisCharLength(text, i))
        if (text.substr(i, what.size()) == what) return true;
    return false;
}

// Whether `what` ends `text` on a character boundary.
bool EndsAtCharacter(std::string_view text, std::string_view what) {
    if (what.size() > text.size()) return false;
    std::size_t from = text.size() - what.size();
    std::size_t i = 0;
    while (i < from) i += keiba::SjisCharLength(text, i);
    return i == from && text.substr(from) == what;
}

bool HasDrivePrefix(std::string_view s) {
    return s.size() >= 2 && s[1] == ':' &&
           ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z'));
}

// Folder part (with its trailing "\") and file part of a "\" separated CP932 name; a "\" that
// is the second byte of a double-byte character separates nothing.
std::pair<std::string_view, std::string_view> SplitName(std::string_view name) {
    std::size_t at = std::string_view::npos;
    for (std::size_t i = 0; i < name.size(); i += keiba::SjisCharLength(name, i))
        if (name[i] == '\\') at = i;
    if (at == std::string_view::npos) return {std::string_view(), name};
    return {name.substr(0, at + 1), name.substr(at + 1)};
}

// The same for UTF-8 output names, where every "\" separates.
std::pair<std::string_view, std::string_view> SplitUtf8Name(std::string_view name) {
    std::size_t at = name.rfind('\\');
    if (at == std::string_view::npos) return {std::string_view(), name};
    return {name.substr(0, at + 1), name.substr(at + 1)};
}

bool PathExists(const std::string& utf8) {
    std::error_code ec;
    return std::filesystem::symlink_status(keiba::Utf8Path(utf8), ec).type() !=
           std::filesystem::file_type::not_found;
}

// The read-only mark of the systems archives come from: a file nobody may write, or that this
// user may not.
bool IsReadOnlyFile(int dirFd, const char* name, const struct stat& st) {
    if (!S_ISREG(st.st_mode)) return false;
    if ((st.st_mode & 0222) == 0) return true;
    if (st.st_uid == ::geteuid()) return (st.st_mode & S_IWUSR) == 0;
    return ::faccessat(dirFd, name, W_OK, AT_EACCESS) != 0;
}

// Timer pause for the length of a scope.
class TimerPause {
public:
    explicit TimerPause(TZipTimer& t)
        : t_(t) {
        t_.Pause();
    }
    ~TimerPause() { t_.Resume(); }
    TimerPause(const TimerPause&) = delete;
    TimerPause& operator=(const TimerPause&) = delete;

private:
    TZipTimer& t_;
};

} // namespace

// ---- timer

void TZipTimer::Start() {
    start_ = Clock::now();
    running_ = true;
    pauseDepth_ = 0;
    elapsed_ = 0;
}

// Pauses nest: an error reported while an entry begins resumes nothing early.
void TZipTimer::Pause() {
    if (running_ && pauseDepth_++ == 0) pause_ = Clock::now();
}

void TZipTimer::Resume() {
    if (running_ && pauseDepth_ > 0 && --pauseDepth_ == 0) start_ += Clock::now() - pause_;
}

void TZipTimer::Stop() {
    if (!running_) return;
    if (pauseDepth_ > 0) {
        start_ += Clock::now() - pause_;
        pauseDepth_ = 0;
    }
    elapsed_ = std::chrono::duration<float>(Clock::now() - start_).count();
    running_ = false;
}

// ---- properties

TZipCommon::TZipCommon() = default;

TZipCommon::~TZipCommon() {
    CloseExtractDirForRun();
}

void TZipCommon::SetExtractDir(const std::string& dir) {
    if (dir.empty()) {
        extractDir_.clear();
        if (std::string archive = ArchiveFolderSource(); !archive.empty()) {
            auto parent = keiba::Utf8Path(archive).parent_path();
            extractDir_ = keiba::PathToUtf8(parent.empty() ? std::filesystem::path(".") : parent);
            if (extractDir_.back() != '/') extractDir_ += '/';
        }
        return;
    }
    std::string value = dir;
    std::replace(value.begin(), value.end(), '\\', '/');
    std::error_code ec;
    // asked without a trailing "/", which would make a file look missing
    std::string probe = value;
    while (probe.size() > 1 && probe.back() == '/') probe.pop_back();
    auto st = std::filesystem::status(keiba::Utf8Path(probe), ec);
    if (value.back() != '/') value += '/';
    auto p = keiba::Utf8Path(value);
    if (std::filesystem::exists(st) && !std::filesystem::is_directory(st)) {
        ReportError(dir, "", kMsgCreateDirError, ""); // the file stays; the old value too
        return;
    }
    extractDir_ = value;
    if (!std::filesystem::exists(st) && !std::filesystem::create_directories(p, ec))
        ReportError(dir, "", kMsgCreateDirError, "");
}

void TZipCommon::SetFileSpec(const std::vector<std::string>& masks) {
    fileSpec_.assign(masks.begin(), masks.begin() + std::min(masks.size(), kMaxMasks));
}

void TZipCommon::SetExcludeSpec(const std::vector<std::string>& masks) {
    excludeSpec_.assign(masks.begin(), masks.begin() + std::min(masks.size(), kMaxMasks));
}

void TZipCommon::SetCancel(bool value) {
    cancel_ = value;
    if (value) ReportError("", "", kMsgUserCanceled, "");
}

void TZipCommon::ReportError(const std::string& fileName, const std::string& extendedMsg, int code,
                             const std::string& volumeId) {
    TimerPause pause(timer_);
    if (cancel_ && code != kMsgAccessPermissions && code != kMsgRegistryPermissions)
        code = kMsgUserCanceled;
    if (OnError)
        OnError(*this, fileName, extendedMsg.substr(0, 255), volumeId.substr(0, 255), code);
}

void TZipCommon::RaiseError(const std::string& fileName, const std::string& extendedMsg, int code,
                            const std::string& volumeId) {
    ReportError(fileName, extendedMsg, code, volumeId);
    if (!cancel_) throw EZipError(code);
}

double TZipCommon::GetLibraryVersion(int version) const {
    auto v = static_cast<std::uint32_t>(std::max(version, 0x210020));
    double minor = v & 0xFFFF;
    while (minor >= 1) minor /= 10;
    return (v >> 16) + minor;
}

bool TZipCommon::CopyOrMoveFile(const std::string& source, const std::string& dest, bool move) {
    auto from = keiba::Utf8Path(source), to = keiba::Utf8Path(dest);
    std::error_code ec;
    if (move && std::filesystem::is_regular_file(from, ec) &&
        std::rename(from.c_str(), to.c_str()) == 0)
        return true;
    // another file system, or a failure the copy names
    auto cannotOpen = [&](const std::string& name) {
        ReportError(name, "", kMsgOpenError, volumeName_);
        throw EZipError(kMsgOpenError);
    };
    TFileStream32 in(source, TFileStream32::kOpenRead);
    if (!in.IsOpen()) cannotOpen(source);
    const std::filesystem::path folder = to.has_parent_path() ? to.parent_path() : ".";
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) cannotOpen(dest);
    struct CloseFolder {
        int fd;
        ~CloseFolder() { ::close(fd); }
    } closeFolder{dirFd};
    // Written as an entry's file is: a temporary file beside the target, held as a writer's up to
    // its rename.
    std::unique_ptr<TTempFileStream> out = TTempFileStream::Create(dirFd, to.filename(), -1);
    if (!out) cannotOpen(dest);
    out->CancelFlag = &cancel_;
    const std::int64_t size = in.Size();
    errno = 0;
    bool whole = out->CopyFrom(in, 0) == size && ::fsync(out->Handle()) == 0;
    int error = errno;
    whole = out->Close() && whole;
    if (whole && !out->Commit()) {
        error = errno;
        whole = false;
    }
    if (!whole) {
        out->Discard();
        if (!cancel_)
            ReportError(dest, "", error == ENOSPC ? kMsgDiskFull : kMsgWriteError, volumeName_);
        return false;
    }
    // until its folder is synced the copy may not outlast a crash, so the source stays
    if (keiba::IoResult synced = keiba::SyncFolder(folder); !synced) {
        ReportError(dest, synced.message, kMsgWriteError, volumeName_);
        return false;
    }
    if (move && std::remove(from.c_str()) != 0) {
        ReportError(source, "", kMsgDeleteError, volumeName_);
        return false;
    }
    return true;
}

// ---- type detection

int TZipCommon::GetArcType(TStream32& stream) {
    archiveSize_ = std::max<std::int64_t>(stream.Size(), 0);
    // End records with an encrypted signature are read with the header keys the component holds.
    return FindZipDirectory(stream, seedHeaderKeys_.Record(), dir_);
}

void TZipCommon::ReadExtraField(std::string_view field, bool central, ZipSizes& sizes,
                                ExtraFieldInfo& info) {
    ReadZipExtraField(field, central, sizes, info);
}

// ---- entry selection and output names

bool TZipCommon::MatchesFileSpec(const std::string& name) {
    if (name.empty() || fileSpec_.empty()) return false;
    auto [folder, file] = SplitName(name);
    bool isFolder = file.empty();
    std::string entryFolder = UpperText(folder);
    entryFolder.insert(entryFolder.begin(), '\\');
    if (entryFolder.size() > 1 && entryFolder[1] == '\\') entryFolder.erase(0, 1);
    for (const std::string& mask : fileSpec_) {
        if (mask.empty()) continue;
        for (const std::string& ex : excludeSpec_) {
            if (ex.empty()) continue;
            bool excluded;
            auto [exFolder, exFile] = SplitName(ex);
            if (!exFolder.empty()) {
                std::string f = UpperText(exFolder);
                if (!HasDrivePrefix(f) && f.front() != '\\') f.insert(0, 1, '\\');
                bool folderOk = recurseDirs_ ? ContainsAtCharacter(entryFolder, f)
                                             : EndsAtCharacter(entryFolder, f);
                excluded = folderOk && (isFolder || MatchesMask(file, exFile));
            } else {
                excluded = MatchesMask(file, ex);
            }
            if (excluded) {
                if (OnExcludeFile) OnExcludeFile(*this, name);
                return false;
            }
        }
        if (EqualsNoCase(mask, name)) return true;
        auto [maskFolder, maskFile] = SplitName(mask);
        if (!recurseDirs_ && !EqualsNoCase(maskFolder, folder)) continue;
        auto compiled = TInternalMask::TryCreate(mask);
        if (!compiled) continue;
        if (compiled->Matches(name)) return true;
        // a mask without a folder is meant for the file name wherever it is stored
        if (recurseDirs_ && maskFolder.empty() && !isFolder && compiled->Matches(file)) return true;
        if (name.find('.') == std::string::npos) {
            // the dotted forms are tried for this one name; FileSpec stays as it was given
            std::string dotted = name + '.';
            if (mask.find('.') == std::string::npos) {
                compiled = TInternalMask::TryCreate(mask + '.');
                if (!compiled) continue;
            }
            if (compiled->Matches(dotted)) return true;
        }
    }
    return false;
}

// The stored name's leading dots, one leading "\" and a drive prefix are dropped, as an
// archive made on another system expects; whatever would still climb out of ExtractDir is
// refused.
bool TZipCommon::SetOutputFileName(const std::string& utf8Name) {
    std::string n = utf8Name;
    std::replace(n.begin(), n.end(), '/', '\\');
    auto invalid = [&] {
        ReportError(utf8Name, "", kMsgInvalidName, volumeName_);
        return false;
    };
    if (n.find('\0') != std::string::npos) return invalid();
    // "." and ".." would name ExtractDir itself or the folder above, as "a\.." does
    if (n.find_first_not_of('.') == std::string::npos) return invalid();
    n.erase(0, n.find_first_not_of('.'));
    if (!n.empty() && n.front() == '\\') n.erase(0, 1);
    std::string folderPart, leaf;
    if (useStoredDirs_) {
        if (n.find(':') == std::string::npos) {
            if (!n.empty() && n.front() == '\\') n.erase(0, 1);
        } else if (HasDrivePrefix(n)) {
            n.erase(0, n.size() > 2 && n[2] == '\\' ? 3 : 2);
        }
        auto [f, l] = SplitUtf8Name(n);
        folderPart = f;
        leaf = l;
    } else {
        leaf = std::string(SplitUtf8Name(n).second);
    }
    if (!folderPart.empty() && folderPart.front() == '\\') return invalid(); // still absolute
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start < folderPart.size()) {
        std::size_t end = folderPart.find('\\', start);
        if (end == std::string::npos) end = folderPart.size();
        std::string part = folderPart.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == ".." || HasDrivePrefix(part)) return invalid();
        parts.push_back(std::move(part));
    }
    if (leaf == "." || leaf == ".." || HasDrivePrefix(leaf)) return invalid();
    entry_.folder = std::move(parts);
    entry_.leaf = leaf;
    std::string out = extractDir_;
    for (const auto& p : entry_.folder) out += p + '/';
    entry_.outputFileName = out + leaf;
    return true;
}

bool TZipCommon::BeginEntry(bool isTestOnly) {
    TimerPause pause(timer_);
    bool extract = true;
    if (OnBegin) {
        if (OnRenameFile) {
            std::string newName = entry_.outputFileName;
            OnRenameFile(*this, entry_.outputFileName, newName);
            std::string leaf = newName.substr(newName.find_last_of("/\\") + 1);
            if (!newName.empty() && newName != entry_.outputFileName && !leaf.empty() &&
                leaf != "." && leaf != "..") {
                entry_.leaf = leaf;
                entry_.outputFileName =
                    entry_.outputFileName.substr(0, entry_.outputFileName.rfind('/') + 1) + leaf;
            }
        }
        OnBegin(*this, entry_.outputFileName, filesDone_ + 1, extract);
    }
    if (cancel_ || !extract) return false;
    if (isTestOnly) return true;
    if (!confirmOverwrites_) {
        // omSkip passes over the files that are already there
        return overwriteMode_ == TOverwriteMode::omOverwrite || !PathExists(entry_.outputFileName);
    }
    overwriteMode_ = TOverwriteMode::omOverwrite;
    if (PathExists(entry_.outputFileName)) {
        if (!OnFileExists) {
            ReportError(entry_.outputFileName, "", kMsgEventNotAssigned, volumeName_);
            return false;
        }
        for (;;) {
            std::string newName;
            OnFileExists(*this, entry_.outputFileName, newName, overwriteMode_);
            if (cancel_ || overwriteMode_ == TOverwriteMode::omSkip || newName.empty()) break;
            // only the file name may change: the entry stays in its folder below ExtractDir
            std::string leaf = newName.substr(newName.find_last_of("/\\") + 1);
            if (leaf.empty() || leaf == "." || leaf == "..") break;
            std::string candidate =
                entry_.outputFileName.substr(0, entry_.outputFileName.rfind('/') + 1) + leaf;
            if (candidate == entry_.outputFileName) break;
            entry_.leaf = leaf;
            entry_.outputFileName = candidate;
            if (!PathExists(candidate)) break;
        }
    }
    return !cancel_ && overwriteMode_ == TOverwriteMode::omOverwrite &&
           !entry_.outputFileName.empty();
}

bool TZipCommon::CheckEntryPassword(std::span<const std::uint8_t, 12> header, std::uint16_t flags,
                                    std::uint32_t crc, std::uint16_t dosTime) {
    return CheckEncryptionHeader(cipher_, header, flags, crc, currentPassword_, dosTime);
}

bool TZipCommon::GetEntryPassword(const std::function<PasswordTry()>& attempt) {
    cipher_.dataSeed = seedDataKeys_.Record();
    cipher_.headerSeed = seedHeaderKeys_.Record();
    const std::string first = currentPassword_;
    bool fitted = false;
    // true when the entry is done with
    auto run = [&](const std::string& password) {
        currentPassword_ = password;
        PasswordTry t = attempt();
        fitted = fitted || t != PasswordTry::NoFit;
        return t == PasswordTry::Ended || GetCancel();
    };
    if (run(first)) return fitted;
    for (const std::string& p : passwords_)
        if (p != first && run(p)) return fitted;
    if (!OnGetPassword) {
        if (!fitted)
            ReportError(entry_.utf8Name, kWrongPassword, kMsgEventNotAssigned, volumeName_);
        currentPassword_ = first;
        return fitted;
    }
    for (int asked = 0; asked < passwordAttempts_ && !cancel_; ++asked) {
        std::string password;
        bool tryAgain = true;
        TSeedKeyRecord headerKeys = seedHeaderKeys_.Record(), dataKeys = seedDataKeys_.Record();
        {
            TimerPause pause(timer_);
            OnGetPassword(*this, entry_.utf8Name, password, headerKeys, dataKeys, tryAgain);
        }
        seedHeaderKeys_.SetRecord(headerKeys);
        seedDataKeys_.SetRecord(dataKeys);
        cipher_.dataSeed = dataKeys;
        cipher_.headerSeed = headerKeys;
        if (!tryAgain) {
            ReportError(entry_.utf8Name, kWrongPassword, kMsgInvalidPassword, volumeName_);
            break;
        }
        if (run(password)) {
            if (std::find(passwords_.begin(), passwords_.end(), password) == passwords_.end())
                passwords_.push_back(password);
            return fitted;
        }
        ReportError(entry_.utf8Name, kWrongPassword, kMsgInvalidPassword, volumeName_);
    }
    currentPassword_ = first;
    return fitted;
}

// ---- output files

// Walks the entry's folders below ExtractDir one by one without following links, so an entry
// can neither climb out through a symbolic link already on disk nor plant one.
int TZipCommon::EntryFolderFd(const std::vector<std::string>& parts) {
    if (folderFd_ >= 0 && folderParts_ == parts) return folderFd_;
    CloseEntryFolder();
    int fd = runDirFd_;
    bool owned = false;
    for (const std::string& part : parts) {
        constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
        int next = ::openat(fd, part.c_str(), kFlags);
        if (next < 0 && errno == ENOENT) {
            if (::mkdirat(fd, part.c_str(), 0777) == 0 || errno == EEXIST)
                next = ::openat(fd, part.c_str(), kFlags);
        }
        int error = errno;
        if (owned) ::close(fd);
        if (next < 0) {
            int code = (error == ELOOP || error == ENOTDIR) ? kMsgInvalidName : kMsgCreateDirError;
            ReportError(entry_.outputFileName, "", code, volumeName_);
            return -1;
        }
        fd = next;
        owned = true;
    }
    folderFd_ = fd;
    folderOwned_ = owned;
    folderParts_ = parts;
    // a default ACL, not the umask, decides the modes of the folder's new files
    bool acl = ::fgetxattr(fd, "system.posix_acl_default", nullptr, 0) >= 0;
    folderMask_ = acl ? -1 : runUmask_;
    folderClosingMayFail_ = keiba::NewFile::ClosingMayFail(fd);
    return fd;
}

void TZipCommon::CloseEntryFolder() {
    spare_.Leave();
    if (folderOwned_ && folderFd_ >= 0) ::close(folderFd_);
    folderFd_ = -1;
    folderOwned_ = false;
    folderParts_.clear();
}

// A new file is written without a name and linked in once whole; where the file system makes no
// such files or one cannot be linked in, and for any file that is there (a folder standing there
// makes the final rename fail), it goes through a temporary file. Either way a kill never leaves a
// short file under the entry's name, and every temporary file is one the start-up sweep knows.
bool TZipCommon::OpenOutput() {
    int dirFd = EntryFolderFd(entry_.folder);
    if (dirFd < 0) return false;
    if (entry_.leaf.empty()) return true; // a folder entry
    const char* leaf = entry_.leaf.c_str();
    auto failed = [&](const std::string& why) {
        ReportError(entry_.outputFileName, why, kMsgOpenError, volumeName_);
        return false;
    };
    // After a target that was there the next one likely is too, so it is looked at first; else
    // the file is made at once, and a target that turns out to be there when the file is linked
    // in is looked at then (CommitOutput): looking first would search the folder once more.
    const bool lookFirst = spare_.replacing || !unnamedFiles_;
    bool there = false;
    if (lookFirst) {
        struct stat st {};
        if (::fstatat(dirFd, leaf, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            if (Refused(dirFd, st)) return failed("read-only file");
            there = true;
        } else if (errno == ENOENT) {
            spare_.replacing = false;
        } else {
            there = true; // the temporary file's creation tells why
        }
    }
    if (!there && unnamedFiles_) {
        const unsigned mode = StoredMode().value_or(0666);
        output_ = TTempFileStream::CreateUnnamed(dirFd, entry_.leaf, mode, folderMask_, &spare_,
                                                 folderClosingMayFail_);
        if (!output_) {
            if (!keiba::NewFile::NoUnnamedFiles(errno)) return failed(std::strerror(errno));
            unnamedFiles_ = false;
            if (!lookFirst) return OpenOutput(); // the target is looked at as it must be now
        }
    }
    if (!output_) {
        output_ = TTempFileStream::Create(dirFd, entry_.leaf, folderMask_, &spare_);
        if (!output_) return failed(std::strerror(errno));
    }
    output_->CancelFlag = &cancel_;
    output_->OnAfterReplace = [this](bool sameDrive) { AfterReplace(sameDrive); };
    output_->OnLargeFile = [this] { LargeFileReplaced(); };
    return true;
}

std::optional<unsigned> TZipCommon::StoredMode() const {
    // 32 is the archive bit alone: the file keeps the attributes it was created with
    if (!restoreFileAttr_ || entry_.externalAttr == 32) return std::nullopt;
    std::uint32_t unixMode = entry_.externalAttr >> 16;
    if (entry_.hostSystem == 3 && unixMode != 0) return unixMode & 0777;
    if (entry_.externalAttr & 1) return 0444; // read-only
    return std::nullopt;
}

bool TZipCommon::CreateEntryFolder() {
    std::vector<std::string> parts = entry_.folder;
    if (!entry_.leaf.empty()) parts.push_back(entry_.leaf); // a folder marked by its attributes
    return EntryFolderFd(parts) >= 0;
}

bool TZipCommon::CloseOutput() {
    if (!output_ || output_->Handle() < 0) return true;
    int fd = output_->Handle();
    bool closed = true;
    if (!output_->Trim()) {
        ReportError(entry_.outputFileName, "", kMsgWriteError, volumeName_);
        closed = false;
    }
    if (dateAttribute_ == TDateAttribute::daSysDate) {
        ::futimens(fd, nullptr); // a file given out again keeps the time it was last read
    } else {
        std::uint32_t stamp = dateAttribute_ == TDateAttribute::daMaxFileDate ? newestDosDateTime_
                                                                              : entry_.dosDateTime;
        DosDateTime t = DosDateTimeToDateTime(stamp);
        // mktime looks at the time zone file each time; within an hour the offset holds, so the
        // hour's start is asked for once
        std::int64_t hour = (((t.year * 16 + t.month) * 32) + t.day) * 32 + t.hour;
        if (hour != localHour_) {
            std::tm tm{};
            tm.tm_year = t.year - 1900;
            tm.tm_mon = t.month - 1;
            tm.tm_mday = t.day;
            tm.tm_hour = t.hour;
            tm.tm_isdst = -1;
            localHour_ = hour;
            localHourStart_ = std::mktime(&tm);
        }
        std::time_t when = localHourStart_;
        if (when != static_cast<std::time_t>(-1)) {
            when += t.minute * 60 + t.second;
            struct timespec times[2] = {{when, 0}, {when, 0}};
            ::futimens(fd, times);
        }
    }
    // only file entries get here (links are refused); most files have their mode already
    if (std::optional<unsigned> mode = StoredMode();
        mode && output_->Mode() != static_cast<int>(*mode))
        ::fchmod(fd, *mode);
    if (!output_->Close()) {
        ReportError(entry_.outputFileName, "", kMsgCloseError, volumeName_);
        closed = false;
    }
    return closed;
}

bool TZipCommon::Refused(int dirFd, const struct stat& st) const {
    return !confirmOverwrites_ && IsReadOnlyFile(dirFd, entry_.leaf.c_str(), st);
}

// A file made without a name finds its target there only when it is linked in: it then replaces
// it as it would have one found at first (a read-only one refused), and the targets after it are
// looked at first.
bool TZipCommon::CommitOutput() {
    const bool placed = output_->Commit();
    // a file without a name that could not be linked in was copied: the next ones are written as
    // temporary files from the start
    if (output_->Copied()) unnamedFiles_ = false;
    if (placed) return true;
    const bool taken = errno == EEXIST && output_->Unnamed();
    if (taken) {
        spare_.replacing = true;
        const int dirFd = EntryFolderFd(entry_.folder);
        struct stat st {};
        if (dirFd >= 0 && ::fstatat(dirFd, entry_.leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            Refused(dirFd, st)) {
            ReportError(entry_.outputFileName, "read-only file", kMsgOpenError, volumeName_);
            return false;
        }
    }
    if (taken && output_->Replace()) return true;
    int code = errno == EISDIR ? kMsgOverwriteAttr : kMsgWriteError;
    ReportError(entry_.outputFileName, "", code, volumeName_);
    return false;
}

bool TZipCommon::CheckCrcAndEnd(int, std::uint32_t storedCrc, const EntryResult& result) {
    bool pass = !cancel_ && result.whole && storedCrc == runningCrc_;
    bool reported = false;
    if (output_) {
        if (pass && !CommitOutput()) {
            pass = false;
            reported = true;
        }
        if (!pass)
            output_->Discard();
        else
            ++filesDone_;
        output_.reset();
    } else if (pass && entry_.isFolder) { // made, or not asked for
        ++filesDone_;
    }
    if (OnEnd) OnEnd(*this, entry_.outputFileName, pass);
    if (!pass && !reported)
        ReportError(entry_.outputFileName, result.problem, kMsgCrcError, volumeName_);
    return pass;
}

// ---- blocks

std::int64_t TZipCommon::ReadBlock(TStream32& stream, void* buffer, std::int64_t count,
                                   bool decrypt) {
    std::int64_t n = stream.Read(buffer, count);
    if (n <= 0 || !decrypt) return n;
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    if (encryptionMethod_ == kEncTraditional)
        DecryptBuffer(cipher_.data, bytes, static_cast<std::size_t>(n));
    else if (encryptionMethod_ >= kEncAesFirst && encryptionMethod_ <= kEncAesLast && aes_)
        aes_->DecryptAesBuffer(bytes, static_cast<std::size_t>(n));
    return n;
}

void TZipCommon::WriteBlock(const void* buffer, std::int64_t count) {
    if (count <= 0) return;
    if (output_) {
        errno = 0;
        std::int64_t put = output_->Write(buffer, count);
        if (put != count) {
            if (errno == ENOSPC) {
                filesDone_ = 0;
                RaiseError(entry_.outputFileName, "", kMsgDiskFull, volumeName_);
            } else {
                RaiseError(entry_.outputFileName, "", kMsgWriteError, volumeName_);
            }
            return;
        }
    }
    runningCrc_ = static_cast<std::uint32_t>(
        crc32_z(runningCrc_, static_cast<const Bytef*>(buffer), static_cast<z_size_t>(count)));
    entryDone_ += count;
    selectionDone_ += count;
    ReportProgress();
}

char* TZipCommon::OutputBlock() {
    if (!outputBlock_)
        outputBlock_ =
            std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(kOutputBlock));
    return outputBlock_.get();
}

bool TZipCommon::StoredCopy(TStream32& stream, std::int64_t compressed, std::int64_t limit,
                            bool decrypt) {
    char* block = OutputBlock();
    std::int64_t left = compressed, room = limit;
    while (left > 0 && !GetCancel()) {
        std::int64_t n = ReadBlock(stream, block, std::min(left, kOutputBlock), decrypt);
        if (n <= 0) break;
        left -= n;
        std::int64_t w = std::min(n, room);
        WriteBlock(block, w);
        room -= w;
        if (n > w) break; // more stored bytes than the entry declares
    }
    return left == 0 && room == 0 && !GetCancel();
}

void TZipCommon::ReportProgress() {
    if (!OnProgress) return;
    auto byFile = static_cast<std::uint8_t>(Percent(entry_.size, entryDone_));
    auto byArchive = static_cast<std::uint8_t>(Percent(selectionTotal_, selectionDone_));
    OnProgress(*this, byFile, byArchive);
}

// ---- run

void TZipCommon::ResetRun() {
    cancel_ = false;
    unnamedFiles_ = true;
    filesDone_ = 0;
    entryDone_ = selectionDone_ = selectionTotal_ = 0;
    newestDosDateTime_ = 0;
    runningCrc_ = 0;
    encryptionMethod_ = kEncNone;
    cipher_.dataSeed = seedDataKeys_.Record();
    cipher_.headerSeed = seedHeaderKeys_.Record();
    entry_ = EntryState{};
}

// A handler that answers no folder, or folders that cannot be written either, is asked as often
// as a missing volume is, and the run then ends with the last folder it could not use.
bool TZipCommon::CheckWritableFolder() {
    for (int asked = 0; !IsFolderWritable(extractDir_);) {
        if (!OnLimitedUser) {
            ReportError(extractDir_, "", kMsgEventNotAssigned, volumeName_);
            return false;
        }
        if (asked == kRequestRounds) {
            ReportError(extractDir_, "", kMsgInvalidDir, volumeName_);
            return false;
        }
        ++asked;
        std::string userDir;
        OnLimitedUser(*this, extractDir_, userDir, cancel_);
        if (cancel_) {
            ReportError(extractDir_, "", kMsgAccessPermissions, volumeName_);
            return false;
        }
        std::error_code ec;
        if (userDir.empty() || !std::filesystem::is_directory(keiba::Utf8Path(userDir), ec)) {
            ReportError(userDir, "", kMsgInvalidDir, volumeName_);
            if (asked == kRequestRounds) return false;
            continue;
        }
        std::string value = userDir;
        if (value.back() != '/') value += '/';
        if (value == extractDir_) { // the same folder again: nothing will change
            ReportError(extractDir_, "", kMsgAccessPermissions, volumeName_);
            return false;
        }
        extractDir_ = value;
    }
    return true;
}

bool TZipCommon::OpenExtractDirForRun() {
    runUmask_ = CurrentUmask();
    std::error_code ec;
    auto p = keiba::Utf8Path(extractDir_);
    if (!std::filesystem::is_directory(p, ec)) std::filesystem::create_directories(p, ec);
    runDirFd_ = ::open(p.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (runDirFd_ < 0) {
        ReportError(extractDir_, "", kMsgCreateDirError, volumeName_);
        return false;
    }
    return true;
}

void TZipCommon::CloseExtractDirForRun() {
    output_.reset(); // removes a temporary file the run left unfinished
    CloseEntryFolder();
    if (runDirFd_ >= 0) ::close(runDirFd_);
    runDirFd_ = -1;
}

bool TZipCommon::QueryDrive(const std::string& path, TDiskManager& drive) {
    if (DriveQuery) {
        bool ok = DriveQuery(path, drive);
        if (!ok && drive.OnError) drive.OnError(path, "", kMsgNotAccessible, "");
        return ok;
    }
    if (OnRetryVolume)
        drive.OnRetry = [this](const std::string& text) { return OnRetryVolume(*this, text); };
    return drive.GetDriveInfo(path);
}

int TZipCommon::SpannedSetTest(const std::string& path) {
    TDiskManager drive; // a fresh one, which reports nothing
    return QueryDrive(path, drive) ? SpannedSetType(drive) : kArcNone;
}

// ---- TDecompressClass

TDecompressClass::TDecompressClass() {
    createStoredDirs_ = false;
    dateAttribute_ = TDateAttribute::daFileDate;
    recurseDirs_ = true;
    restoreFileAttr_ = true;
}

void TDecompressClass::SetArchiveFile(const std::string& name) {
    std::error_code ec;
    if (name.empty() || !std::filesystem::is_regular_file(keiba::Utf8Path(name), ec)) {
        arcType_ = kArcNone;
        archiveFile_.clear();
        return;
    }
    archiveFile_ = name;
    TBufferedFileStream stream(name);
    if (!stream.IsOpen()) {
        arcType_ = kArcNone;
        if (OnError) ReportError(name, "", kMsgOpenError, "");
        return;
    }
    arcType_ = GetArcType(stream);
    if (arcType_ == kArcZipMVol) arcType_ = SpannedSetTest(name);
    if (IsUsableArchiveKind(arcType_)) {
        volumeLetter_ = 0;
        volumeNumber_ = NextVolumeNumber(name, arcType_, &volumeLetter_);
    }
}

std::string TDecompressClass::GetVolumeName(int index) const {
    // a zip has no volume letter: its volumes are named as a split set's
    if (arcType_ >= kArcZip && arcType_ <= kArcZipMVol)
        return index < 0 ? std::string()
                         : ZipVolumeName(archiveFile_, static_cast<unsigned>(index));
    return archive::GetVolumeName(archiveFile_, index, volumeLetter_);
}

int TDecompressClass::RefreshArcType(int def) {
    if (archiveFile_.empty()) return def;
    TBufferedFileStream stream(archiveFile_);
    if (!stream.IsOpen()) return kArcFileError;
    arcType_ = GetArcType(stream);
    if (arcType_ == kArcZipMVol) arcType_ = SpannedSetTest(archiveFile_);
    return arcType_;
}

void TDecompressClass::ReadDirectory(TStream32&) {}

int TDecompressClass::ExtractArchive() {
    std::string kept = archiveFile_;
    try {
        if (archiveFile_.empty()) {
            ReportError("", "", kMsgFileNotFound, "");
            return 0;
        }
        TBufferedFileStream stream(archiveFile_);
        if (!stream.IsOpen()) {
            ReportError(archiveFile_, "", kMsgOpenError, "");
            return 0;
        }
        ResetRun();
        if (cpuType_ == TCpuType::cpt80486) cpuType_ = TCpuType::cptAuto;
        volumeName_ = archiveFile_;
        // the file may have changed since it was assigned
        arcType_ = GetArcType(stream);
        if (arcType_ == kArcZipMVol) arcType_ = SpannedSetTest(archiveFile_);
        if (arcType_ == kArcZipSpan || arcType_ == kArcZipMVol) {
            // the volume's disk must answer before anything is read from the set
            diskManager_.OnError = [this](const std::string& file, const std::string& text,
                                          int code, const std::string& volume) {
                ReportError(file, text, code, volume);
            };
            bool ready = QueryDrive(archiveFile_, diskManager_);
            diskManager_.OnError = nullptr;
            if (!ready) return 0;
        }
        if (OnActivate) OnActivate(*this);
        if (OnElapsedTime) timer_.Start();
        if (extractDir_.empty()) {
            std::error_code ec;
            extractDir_ = keiba::PathToUtf8(std::filesystem::current_path(ec));
        }
        if (extractDir_.empty() || extractDir_.back() != '/') extractDir_ += '/';
        if (CheckWritableFolder() && OpenExtractDirForRun()) {
            try {
                ReadDirectory(stream);
            } catch (const std::bad_alloc&) {
                ReportError(archiveFile_, "", kMsgOutOfMemory, volumeName_);
            } catch (...) {
                ReportError(archiveFile_, "", kMsgUnknownError, volumeName_);
            }
        }
        CloseExtractDirForRun();
        timer_.Stop();
        if (OnElapsedTime) OnElapsedTime(*this, timer_.ElapsedTime());
        int result = filesDone_;
        if (OnDeactivate) OnDeactivate(*this);
        archiveFile_ = kept;
        return result;
    } catch (...) { // an event handler threw
        CloseExtractDirForRun();
        archiveFile_ = kept;
        return filesDone_;
    }
}

} // namespace archive
