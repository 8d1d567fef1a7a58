#pragma once
// The component frame every extractor shares: properties, events, the run driver
// `ExtractArchive`, error and cancel reporting, progress, archive-type detection and extra fields
// (over zipdirectory.h), and the per-entry work (selection, output name, overwrite decision,
// passwords, output file, CRC check). `TUnZip` supplies the zip directory walk and the decoding.
//
// Paths (`ArchiveFile`, `ExtractDir`, output names in events) are UTF-8; masks and the stored
// names they are matched against are CP932 bytes. An entry's file appears under its name only
// when the entry passed its CRC check: a new one is written without a name and then linked in,
// one that replaces a file goes through a temporary file in its folder renamed over the target;
// a file that fails is removed. Nothing is written outside `ExtractDir`.

#include "archive/aes.h"
#include "archive/arcbase.h"
#include "archive/streams.h"
#include "archive/volumes.h"
#include "archive/zipcrypt.h"
#include "archive/zipdirectory.h"

#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace archive {

enum class TOverwriteMode { omOverwrite, omSkip };
enum class TDateAttribute { daFileDate, daSysDate, daMaxFileDate };
enum class TCpuType { cptAuto, cpt80286, cpt80386, cpt80486 };
enum class THeaderTypeState { htLocal, htCentral, htEnding, htLocator, htEnding64, htSfx, htNone };

// Encryption-method codes of a zip entry.
enum : int {
    kEncAesFirst = 0,
    kEncAesLast = 5,
    kEncTraditional = 6,
    kEncNone = 13,
    kEncUnsupported = 14,
};

class TZipCommon;

using TNotifyEvent = std::function<void(TZipCommon& sender)>;
using TBeginEvent =
    std::function<void(TZipCommon& sender, const std::string& fileName, int count, bool& extract)>;
using TEndEvent =
    std::function<void(TZipCommon& sender, const std::string& fileName, bool crcPass)>;
using TErrorEvent =
    std::function<void(TZipCommon& sender, const std::string& fileName,
                       const std::string& extendedMsg, const std::string& volumeId, int eCode)>;
using TProgressEvent =
    std::function<void(TZipCommon& sender, std::uint8_t byFile, std::uint8_t byArchive)>;
using TElapsedTimeEvent = std::function<void(TZipCommon& sender, float elapsedTime)>;
using TFileExistsEvent = std::function<void(TZipCommon& sender, const std::string& fileName,
                                            std::string& newFileName, TOverwriteMode& mode)>;
using TRenameFileEvent =
    std::function<void(TZipCommon& sender, const std::string& fileName, std::string& newFileName)>;
using TExcludeFileEvent = std::function<void(TZipCommon& sender, const std::string& fileName)>;
using TGetPasswordEvent =
    std::function<void(TZipCommon& sender, const std::string& fileName, std::string& password,
                       TSeedKeyRecord& headerKeys, TSeedKeyRecord& dataKeys, bool& tryAgain)>;
using TLimitedUserEvent = std::function<void(TZipCommon& sender, const std::string& protectedDir,
                                             std::string& userDir, bool& cancel)>;
using TCorruptZipHeaderEvent =
    std::function<void(TZipCommon& sender, THeaderTypeState headFlag, bool& cancel)>;
using TNextVolumeEvent = std::function<void(TZipCommon& sender, std::string& volumeName,
                                            int volumeId, bool fExists, bool& cancel)>;
using TDiskEvent = std::function<void(TZipCommon& sender, bool& cancel)>;
using TNextDiskEvent =
    std::function<void(TZipCommon& sender, const std::string& volumeName, bool& cancel)>;
// Asked while the volume of the archive's drive cannot be read, with the text for the user: true
// to try again, false to give up (25170). A screen shows it as a Retry/Cancel box.
using TRetryVolumeEvent = std::function<bool(TZipCommon& sender, const std::string& text)>;
// The drive query of the disk manager; tests put a drive of their own in its place.
using TDriveQuery = std::function<bool(const std::string& path, TDiskManager& drive)>;

// Elapsed time of a run; paused while errors are reported and entries begin.
class TZipTimer {
public:
    void Start();
    void Pause();
    void Resume();
    void Stop();
    float ElapsedTime() const { return elapsed_; }

private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point start_{}, pause_{};
    bool running_ = false;
    int pauseDepth_ = 0;
    float elapsed_ = 0;
};

class TZipCommon {
public:
    TZipCommon();
    virtual ~TZipCommon();
    TZipCommon(const TZipCommon&) = delete;
    TZipCommon& operator=(const TZipCommon&) = delete;

    // How often a handler is asked for a volume, a disk or a writable folder before the run
    // takes it as missing: a handler that knows no more is not asked in a circle.
    static constexpr int kRequestRounds = 3;

    // Events.
    TNotifyEvent OnActivate, OnDeactivate;
    TBeginEvent OnBegin;
    TEndEvent OnEnd;
    TErrorEvent OnError;
    TProgressEvent OnProgress;
    TElapsedTimeEvent OnElapsedTime;
    TFileExistsEvent OnFileExists;
    TRenameFileEvent OnRenameFile;
    TExcludeFileEvent OnExcludeFile;
    TGetPasswordEvent OnGetPassword;
    TLimitedUserEvent OnLimitedUser;
    TCorruptZipHeaderEvent OnCorruptZipHeader;
    // Volumes of a split set (OnNextVolume) and disks of a set spanned over removable disks.
    TNextVolumeEvent OnNextVolume;
    TDiskEvent OnGetZipFirstDisk, OnGetZipLastDisk;
    TNextDiskEvent OnGetZipNextDisk;
    TRetryVolumeEvent OnRetryVolume;
    TDriveQuery DriveQuery; // empty: TDiskManager::GetDriveInfo

    // Properties.
    const std::string& ExtractDir() const { return extractDir_; }
    void SetExtractDir(const std::string& dir);
    const std::vector<std::string>& FileSpec() const { return fileSpec_; }
    void SetFileSpec(const std::vector<std::string>& masks); // the first 100 are taken
    const std::vector<std::string>& ExcludeSpec() const { return excludeSpec_; }
    void SetExcludeSpec(const std::vector<std::string>& masks);
    bool ConfirmOverwrites() const { return confirmOverwrites_; }
    void SetConfirmOverwrites(bool v) { confirmOverwrites_ = v; }
    TOverwriteMode OverwriteMode() const { return overwriteMode_; }
    void SetOverwriteMode(TOverwriteMode v) { overwriteMode_ = v; }
    bool UseStoredDirs() const { return useStoredDirs_; }
    void SetUseStoredDirs(bool v) { useStoredDirs_ = v; }
    bool CreateStoredDirs() const { return createStoredDirs_; }
    void SetCreateStoredDirs(bool v) { createStoredDirs_ = v; }
    bool RestoreFileAttr() const { return restoreFileAttr_; }
    void SetRestoreFileAttr(bool v) { restoreFileAttr_ = v; }
    TDateAttribute DateAttribute() const { return dateAttribute_; }
    void SetDateAttribute(TDateAttribute v) { dateAttribute_ = v; }
    int PasswordAttempts() const { return passwordAttempts_; }
    void SetPasswordAttempts(int v) { passwordAttempts_ = v; }
    const std::vector<std::string>& Passwords() const { return passwords_; }
    void SetPasswords(const std::vector<std::string>& v) { passwords_ = v; }
    TSeedKeys& SeedDataKeys() { return seedDataKeys_; }
    TSeedKeys& SeedHeaderKeys() { return seedHeaderKeys_; }
    int ZipCmntBufSize() const { return zipCmntBufSize_; }
    void SetZipCmntBufSize(int v) { zipCmntBufSize_ = ClampZipCmntBufSize(v); }

    // Run state readable by event handlers.
    int ArcType() const { return arcType_; }
    int FilesDone() const { return filesDone_; }
    const ZipDirectoryInfo& DirectoryInfo() const { return dir_; }
    std::int64_t EntryBytesDone() const { return entryDone_; }
    int EncryptionMethod() const { return encryptionMethod_; }
    const TDiskManager& DiskManager() const { return diskManager_; }

    virtual bool GetCancel() const { return cancel_; }
    // Setting it reports 25443 "User canceled".
    virtual void SetCancel(bool value);

    // The error routine: OnError with the message number (25443 once cancelled).
    virtual void ReportError(const std::string& fileName, const std::string& extendedMsg, int code,
                             const std::string& volumeId);
    // The raising form: reports, then throws EZipError unless the run is cancelled.
    void RaiseError(const std::string& fileName, const std::string& extendedMsg, int code,
                    const std::string& volumeId);

    // Archive-type detection over an open archive; fills DirectoryInfo().
    virtual int GetArcType(TStream32& stream);
    // Parses an entry's extra field. `central` tells a central header (three Zip64 values) from
    // a local one (two).
    virtual void ReadExtraField(std::string_view field, bool central, ZipSizes& sizes,
                                ExtraFieldInfo& info);

    virtual void SetEncryptionMethod(int code) { encryptionMethod_ = code; }

    // The library's version as a number: `version` holds the major number in its high 16 bits
    // and the minor one in its low 16, read as "major.minor"; a version below 0x210020 counts as
    // that one.
    virtual double GetLibraryVersion(int version) const;
    // Moves `source` to `dest` (`move`), or copies it; either way `dest` is replaced whole, a
    // copy going to a temporary file beside it first. A file that cannot be opened is reported
    // and raises EZipError(25235); a copy cut short (25136, or 25160 when the disk is full) or
    // cancelled leaves `dest` as it was, and gives false, as does a copy whose folder cannot be
    // synced (25136; a moved file keeps its source) and a moved file whose source cannot be
    // removed (25180).
    virtual bool CopyOrMoveFile(const std::string& source, const std::string& dest, bool move);

protected:
    // The entry in hand.
    struct EntryState {
        std::string storedName;          // CP932, "\" separated
        std::string utf8Name;            // the stored name as UTF-8, "\" separated
        std::vector<std::string> folder; // output folder below ExtractDir, UTF-8
        std::string leaf;                // output file name, UTF-8; empty for a folder
        std::string outputFileName;      // ExtractDir + folder + leaf
        std::uint32_t externalAttr = 0;
        int hostSystem = 0;
        std::uint32_t dosDateTime = 0;
        std::int64_t size = 0;
        bool isFolder = false;
    };

    // Entry selection by FileSpec and ExcludeSpec; `name` is the stored CP932 name.
    bool MatchesFileSpec(const std::string& name);
    // Forms the output path of the entry; false (and 25245 reported) for a name that would
    // leave ExtractDir.
    virtual bool SetOutputFileName(const std::string& utf8Name);
    bool BeginEntry(bool isTestOnly);
    // What one go at an encrypted entry with currentPassword_ came to.
    enum class PasswordTry {
        NoFit,          // the entry's password check refused it
        Ended,          // the entry ended: whole, or failed in a way no password changes
        FailedAfterFit, // it passed the check, then the data failed their CRC or code
    };
    // Tries the last password that fitted, then Passwords, then asks OnGetPassword, each through
    // `attempt`. A wrong password passes the check by chance (1 in 256 with the traditional
    // cipher, 1 in 65536 with AES), so a password whose data then fail lets the next one be
    // tried. True when some password passed the check; the entry then stands as its last
    // attempt left it.
    bool GetEntryPassword(const std::function<PasswordTry()>& attempt);
    virtual bool CheckEntryPassword(std::span<const std::uint8_t, 12> header, std::uint16_t flags,
                                    std::uint32_t crc, std::uint16_t dosTime);
    // How the extraction of one entry ended.
    struct EntryResult {
        bool whole = false;  // every declared byte came, and no more
        std::string problem; // why it is not whole, for its 25151 report
    };

    // False (25235 reported) when the file cannot be made, or is there and read-only.
    bool OpenOutput();
    // Whether the target, there with the status `st`, is not to be replaced: read-only, and no
    // confirmation cleared that.
    bool Refused(int dirFd, const struct stat& st) const;
    // Puts the entry's file in place; false (reported) when it cannot be.
    bool CommitOutput();
    // Hooks of an entry's output stream, once its file has replaced the target: whether the file
    // was written on the target's file system, and one for a file of more than 64 KB. Nothing
    // here needs them.
    virtual void AfterReplace(bool /*sameDrive*/) {}
    virtual void LargeFileReplaced() {}
    // The permission bits the entry's stored attributes give its file; none where it keeps those
    // of a new file.
    std::optional<unsigned> StoredMode() const;
    // False (reported) when the output could not be trimmed or closed.
    bool CloseOutput();
    bool CreateEntryFolder();
    // The folder below ExtractDir named by `parts`, made when missing. Entries of one folder
    // follow each other, so the last one stays open; -1 (reported) when it cannot be had.
    int EntryFolderFd(const std::vector<std::string>& parts);
    void CloseEntryFolder();
    // Ends the entry: the CRC check (and the entry's completeness), the rename of a passing
    // output, OnEnd, 25151 on failure (with the result's problem as its text).
    virtual bool CheckCrcAndEnd(int crcKind, std::uint32_t storedCrc, const EntryResult& result);

    // Decoded data moves in blocks of this size: large enough that a file of a few hundred KB
    // is one write, and that zlib copies little of its output into its window.
    static constexpr std::int64_t kOutputBlock = 256 * 1024;
    // A buffer of kOutputBlock bytes, kept for the component's life.
    char* OutputBlock();

    std::int64_t ReadBlock(TStream32& stream, void* buffer, std::int64_t count, bool decrypt);
    // Writes decoded bytes to the output, updates the running CRC and reports progress; a
    // failed write raises 25136 (25160 when the disk is full).
    void WriteBlock(const void* buffer, std::int64_t count);
    // Copies stored data: reads at most `compressed` bytes, writes at most `limit` of them; true
    // when exactly `compressed` bytes were read and `limit` written.
    bool StoredCopy(TStream32& stream, std::int64_t compressed, std::int64_t limit, bool decrypt);
    void ReportProgress();
    // The archive whose folder an empty ExtractDir takes.
    virtual std::string ArchiveFolderSource() const { return {}; }
    // Queries the drive of `path` into `drive` (through DriveQuery when it is set); an unreadable
    // volume is put to OnRetryVolume.
    bool QueryDrive(const std::string& path, TDiskManager& drive);
    // A zip that names other disks, or starts as a volume of a set does: 35, 36, or 0 when the
    // drive of `path` cannot be queried.
    int SpannedSetTest(const std::string& path);

    // Run helpers for ExtractArchive.
    void ResetRun();
    bool OpenExtractDirForRun();
    void CloseExtractDirForRun();
    bool CheckWritableFolder();

    std::string extractDir_;
    std::vector<std::string> fileSpec_, excludeSpec_;
    bool confirmOverwrites_ = false;
    TOverwriteMode overwriteMode_ = TOverwriteMode::omOverwrite;
    bool useStoredDirs_ = true;
    bool createStoredDirs_ = false;
    bool restoreFileAttr_ = true;
    TDateAttribute dateAttribute_ = TDateAttribute::daFileDate;
    bool recurseDirs_ = true;
    int passwordAttempts_ = 3;
    std::vector<std::string> passwords_;
    TSeedKeys seedDataKeys_{SeedKind::Data};
    TSeedKeys seedHeaderKeys_{SeedKind::Header};
    int zipCmntBufSize_ = 32767;

    // run state
    int arcType_ = kArcNone;
    std::int64_t archiveSize_ = 0;
    ZipDirectoryInfo dir_;
    bool cancel_ = false;
    int filesDone_ = 0;
    std::uint32_t newestDosDateTime_ = 0;
    std::int64_t entryDone_ = 0, selectionDone_ = 0, selectionTotal_ = 0;
    std::uint32_t runningCrc_ = 0;
    int encryptionMethod_ = kEncNone;
    TztvAES* aes_ = nullptr; // the AES entry in hand, whose data ReadBlock decrypts
    std::string currentPassword_;
    std::string volumeName_;
    ZipCipher cipher_;
    TDiskManager diskManager_;
    TZipTimer timer_;
    EntryState entry_;
    std::unique_ptr<TTempFileStream> output_;
    TSpareFile spare_;         // a file an output displaced, for the next output of its folder
    bool unnamedFiles_ = true; // false once a folder of the run made no file without a name
    std::unique_ptr<char[]> outputBlock_;
    int runDirFd_ = -1; // ExtractDir, open for the run
    int folderFd_ = -1; // the last entry folder: runDirFd_ itself, or one of its own
    bool folderOwned_ = false;
    std::vector<std::string> folderParts_; // what folderFd_ stands for
    int runUmask_ = -1;                    // -1: not known
    int folderMask_ = -1;              // what folderFd_ takes off a new file's mode; -1: not known
    bool folderClosingMayFail_ = true; // closing a file of folderFd_ can report a failure
    std::uint8_t lastByFile_ = 255, lastByArchive_ = 255;
    std::int64_t localHour_ = -1;     // the hour of the last file date set
    std::time_t localHourStart_ = -1; // its start in local time
};

class TDecompressClass : public TZipCommon {
public:
    TDecompressClass();

    const std::string& ArchiveFile() const { return archiveFile_; }
    // Detects the archive type; a missing file (or a folder) leaves the property empty.
    virtual void SetArchiveFile(const std::string& name);
    bool TranslateOemChar() const { return translateOemChar_; }
    void SetTranslateOemChar(bool v) { translateOemChar_ = v; }
    TCpuType CpuType() const { return cpuType_; }
    void SetCpuType(TCpuType v) { cpuType_ = v; }

    // Re-detects the type from ArchiveFile: 2 when it cannot be opened, `def` without a file.
    int RefreshArcType(int def);
    // What the digits that end the extension of ArchiveFile give (NextVolumeNumber), and the
    // volume letter, as of its assignment.
    int VolumeNumber() const { return volumeNumber_; }
    char VolumeLetter() const { return volumeLetter_; }
    // The name of volume `index` of the set of ArchiveFile: for a zip that of a split set's
    // volume (ZipVolumeName), for other formats as GetVolumeName of volumes.h makes it.
    std::string GetVolumeName(int index) const;

    // Extracts the selected entries of ArchiveFile into ExtractDir; the number of files
    // extracted whole. No exception leaves it.
    int ExtractArchive();

protected:
    virtual void ReadDirectory(TStream32& stream);
    std::string ArchiveFolderSource() const override { return archiveFile_; }

    std::string archiveFile_;
    int volumeNumber_ = 0;
    char volumeLetter_ = 0;
    bool translateOemChar_ = false;
    TCpuType cpuType_ = TCpuType::cptAuto;
};

class TUnBase : public TDecompressClass {
public:
    bool RecurseDirs() const { return recurseDirs_; }
    void SetRecurseDirs(bool v) { recurseDirs_ = v; }
};

} // namespace archive
