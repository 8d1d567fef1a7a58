#pragma once
// The import dialog's logic without its widgets: the from-time of the last import, the start
// with JVOpen, the wait for the download, the filing loop, the cancel and the close of the
// connection. The dialog forwards its buttons, timer and close here and shows what it is told.
// Records the loop refuses are written to ErrorLog.txt, one line per reason.

#include "fetch/fetchstate.h"
#include "jvdata/filingloop.h"
#include "jvdata/jvlink.h"
#include "keiba/context.h"
#include "keiba/operations.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fetch {

// The dialog's widgets. Texts are UTF-8.
class ImportView {
public:
    virtual ~ImportView() = default;
    virtual void SetStatus(const std::string& /*text*/) {}                 // ProgressLabel
    virtual void SetDownloadProgress(int /*position*/, int /*maximum*/) {} // ProgressBar1
    virtual void SetReadProgress(int /*position*/, int /*maximum*/) {}     // ProgressBar2
    virtual void ResetProgress() {}                                        // both to 0
    virtual void ShowRecordName(const std::string& /*name*/) {}            // MkDataLabel
    virtual void ShowFromTime(keiba::LocalTime /*t*/) {} // DateTimePicker1 and Label5
    virtual void SelectSetupMode() {}                    // rbtSetup
    virtual void StartStatusTimer() {}                   // TimerJVStatus, 10 ms
    virtual void StopStatusTimer() {}
    // Start, settings, mode and date are disabled while an import runs.
    virtual void SetRunning(bool /*running*/) {}
    virtual void SetBusyCursor(bool /*busy*/) {}
    virtual void ProcessMessages() {}
    // Closes the dialog now: a close asked for while records were being filed is done once the
    // loop has stopped and the connection is closed.
    virtual void CloseNow() {}
};

struct ImportRequest {
    keiba::LocalTime fromTime{}; // the picker's date and time
    bool setupMode = false;      // rbtSetup rather than rbtNormal
    bool finalOdds = false;      // "確定オッズも合わせて取得する"
};

class ImportSession : private jvdata::FilingLoopHost {
public:
    enum class Phase { Idle, Downloading, Reading };

    // `flags` are the window's: the import answers gJvCancel. It holds `operations` from its
    // start to its end and does not start while another operation holds it. It files into the
    // program folder of `context` and keeps its from-time in that folder's settings.
    ImportSession(jvdata::TJVLink* link, ImportView& view, FetchFlags& flags,
                  const keiba::ProgramContext& context, keiba::OperationOwner& operations);

    // Form creation: the time of the last import, or "2017/01/01 00:00:00" and setup mode on
    // first use. Returns the time shown.
    keiba::LocalTime Open();
    // The JV-Link control's own settings dialog (SpeedButton1).
    void OpenLinkSettings();
    // ButtonStart.
    void Start(const ImportRequest& request);
    // TimerJVStatus.
    void StatusTick();
    // ButtonCancel. An import that ended while the question was open is not cancelled: the
    // answer is told it had already ended.
    void Cancel();
    // The dialog's close: true when it may close now. During the download the import is
    // cancelled first; during the filing it is asked to stop and CloseNow follows.
    bool RequestClose();

    Phase CurrentPhase() const { return phase_; }
    // How the last filing loop ended, and how many records it refused.
    std::optional<jvdata::FilingLoopExit> LastExit() const { return lastExit_; }
    const jvdata::RefusalTally& LastRefusals() const { return refused_; }

private:
    // FilingLoopHost
    void ProcessMessages() override { view_.ProcessMessages(); }
    bool CancelRequested() const override;
    void SetStatus(const std::string& text) override { view_.SetStatus(text); }
    void SetReadProgress(int position, int maximum) override {
        view_.SetReadProgress(position, maximum);
    }
    void ResetProgress() override { view_.ResetProgress(); }
    void ShowRecordName(const std::string& text) override { view_.ShowRecordName(text); }
    std::string SetUpLapFile() const override;
    keiba::IoResult SetSetUpLapFile(const std::string& fileName) override;
    keiba::IoResult SetCompleted(const std::optional<std::string>& lastTime) override;
    void RecordsRefused(const jvdata::RefusalTally& tally) override;
    void Tell(const std::string& text) override;

    void ReadRecords();
    void CloseConnection();
    void EndImport();

    jvdata::TJVLink* link_;
    ImportView& view_;
    FetchFlags& flags_;
    const keiba::ProgramContext& context_;
    keiba::OperationOwner& operations_;
    keiba::OperationOwner::Hold hold_; // from the start to the end of an import
    Phase phase_ = Phase::Idle;
    jvdata::FilingLoopParams params_;
    int downloadCount_ = 0;
    bool closeRequested_ = false;
    int imports_ = 0; // imports started, so an answer can tell whether its import still runs
    std::optional<jvdata::FilingLoopExit> lastExit_;
    jvdata::RefusalTally refused_;
};

// The error-log lines of a refusal tally, one per reason (UTF-8): "取込で除外したレコード：" (of
// a fetch, "取得で…") + the reason + the count + the first record.
std::vector<std::string> RefusalLogLines(const jvdata::RefusalTally& tally,
                                         std::string_view by = "取込");

// "yyyy/mm/dd hh:nn:ss" read as a time, or nothing.
std::optional<keiba::LocalTime> ParseLastTime(std::string_view text);

} // namespace fetch
