#pragma once
// The read loop of the stored-data import: every record JV-Link delivers after JVOpen is read,
// kept or left by the filing table, and filed. A setup import remembers the JV file it got to,
// so an interrupted setup resumes there.
//
// The changes of the JV files read are gathered and each touched day or horse file is written
// once when a file ends with the gathered files over a memory budget, at the end, on cancel and
// on a read error: a horse that runs on many weekends has its file written once per import, or
// once per budget's worth of files in a longer one, not once per JV file. Day files go to disk
// earlier, alone, when they take more than a smaller budget. The resume point (SetUpLapFile)
// moves to a file only when nothing before it is left unwritten, so a run cut short anywhere and
// started again ends with the same files as one uninterrupted run. A file written back with
// lines it could not read, kept as they were, is told once the loop ends. The record label names
// each record as it is taken in and is emptied at every file switch. Every settings write is
// checked: an import that could not keep its resume point or its from-time stops and says so, and a
// failed import says on its status line that it has ended.

#include "jvdata/importfiling.h"
#include "jvdata/jvlink.h"
#include "keiba/fileio.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace jvdata {

// The dialog and settings the loop reports to. Texts are UTF-8.
class FilingLoopHost {
public:
    virtual ~FilingLoopHost() = default;
    // Lets the window work between passes (the cancel button among it).
    virtual void ProcessMessages() {}
    virtual bool CancelRequested() const = 0;
    virtual void SetStatus(const std::string& /*text*/) {}
    virtual void SetReadProgress(int /*position*/, int /*maximum*/) {}
    // Both progress bars back to 0 at the end of the data or at a failure.
    virtual void ResetProgress() {}
    // The record being taken in; emptied at every file switch.
    virtual void ShowRecordName(const std::string& /*name*/) {}

    // Section JvDataGet. The writes say whether the settings file took them.
    virtual std::string SetUpLapFile() const = 0;
    virtual keiba::IoResult SetSetUpLapFile(const std::string& fileName) = 0;
    // The end of a finished import: LastTime := `lastTime` ("yyyy/mm/dd hh:nn:ss", when there
    // is one) and SetUpLapFile emptied, in one write, so a failure leaves neither a new
    // from-time beside a stale resume point nor the other way round. The dialog shows the time
    // in its date picker once it is saved.
    virtual keiba::IoResult SetCompleted(const std::optional<std::string>& lastTime) = 0;

    // Once, when the loop ends, if it refused any record.
    virtual void RecordsRefused(const RefusalTally& /*tally*/) {}

    // What the user must hear of at once: a beep and the text in a message box.
    virtual void Tell(const std::string& text) = 0;
};

struct FilingLoopParams {
    std::filesystem::path appDir;
    int readCount = 0;
    std::string lastFileTimestamp; // yyyymmddhhnnss from JVOpen
    bool setupMode = false;
    ImportFilter filter;
    // The memory the gathered files may take: past it, all are written at the end of a JV file
    // and the resume point moves on. A year of races (3456 races, 48k runs of 12k horses) holds
    // 46 MB of horse files.
    std::size_t flushBytes = std::size_t{192} << 20;
    // Past this, the day files alone are written at the end of a JV file: a day's files are
    // seldom touched again once its races have come.
    std::size_t dayFlushBytes = std::size_t{32} << 20;
};

enum class FilingLoopExit {
    Finished,    // all read; LastTime advanced, SetUpLapFile emptied
    Cancelled,   // left at a pass after the cancel request
    ReadError,   // JVRead below -3, shown
    WriteError,  // a file or a setting could not be written, shown
    LapNotFound, // a setup resume whose file never came; SetUpLapFile emptied, shown
};

// The status line of an import that a failure ended.
inline constexpr const char* kImportFailedStatus = "データ取込はエラーで終了しました。";

// The status line at the end of a finished import: "データ作成が完了しました。" and, when records
// were refused, how many.
std::string FinishedStatus(int refused);

// `ReadAndFileJvRecords`. Messages go through the installed notifier.
FilingLoopExit ReadAndFileJvRecords(TJVLink& link, const FilingLoopParams& params,
                                    FilingLoopHost& host);

} // namespace jvdata
