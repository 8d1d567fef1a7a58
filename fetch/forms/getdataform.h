#pragma once
// TGetDataForm, "ＪＶデータ取込": imports the stored JV-Data newer than a chosen time into the
// day and horse files. The work is the ImportSession's; the form shows it.

#include "fetch/importsession.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QDateTimeEdit;
class QGroupBox;
class QLabel;
class QProgressBar;
class QRadioButton;
class QTimer;

namespace controls {
class TLabel3Dj;
class TLbSpeedButton;
} // namespace controls

namespace fetch {

class TGetDataForm : public QDialog, private fetch::ImportView {
    Q_OBJECT
public:
    // `afterClose` runs once the form has closed (the main window then empties its race list,
    // hides its page control and rebuilds the list of race days).
    TGetDataForm(const keiba::ProgramContext& context, jvdata::TJVLink* link,
                 fetch::FetchFlags& flags, keiba::OperationOwner& operations,
                 std::function<void()> afterClose, QWidget* parent = nullptr);
    ~TGetDataForm() override;

    void ButtonStartClick();
    void ButtonCancelClick();
    void SpeedButton1Click();
    void TimerJVStatusTimer();

    fetch::ImportSession& Session() { return session_; }
    // The picker's date with the time of day of the last import.
    keiba::LocalTime PickerTime() const;

    // Every way of closing ends here: a running import is cancelled first.
    void done(int result) override;

private:
    // fetch::ImportView
    void SetStatus(const std::string& text) override;
    void SetDownloadProgress(int position, int maximum) override;
    void SetReadProgress(int position, int maximum) override;
    void ResetProgress() override;
    void ShowRecordName(const std::string& text) override;
    void ShowFromTime(keiba::LocalTime t) override;
    void SelectSetupMode() override;
    void StartStatusTimer() override;
    void StopStatusTimer() override;
    void SetRunning(bool running) override;
    void SetBusyCursor(bool busy) override;
    void ProcessMessages() override;
    void CloseNow() override;

    void Build();
    void ShowRecordLabel();

    fetch::ImportSession session_;
    std::function<void()> afterClose_;
    bool afterCloseRun_ = false;
    bool busyCursor_ = false;
    int timeOfDay_ = 0; // seconds of the day of the from-time; the picker shows the date
    // The record label's text as the import last gave it; RecordLabelTimer shows it.
    std::string recordText_;

    controls::TLbSpeedButton* ButtonStart = nullptr;
    controls::TLbSpeedButton* ButtonCancel = nullptr;
    controls::TLbSpeedButton* SpeedButton1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QLabel* Label8 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QProgressBar* ProgressBar2 = nullptr;
    controls::TLabel3Dj* ProgressLabel = nullptr;
    controls::TLabel3Dj* MkDataLabel = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QRadioButton* rbtNormal = nullptr;
    QRadioButton* rbtSetup = nullptr;
    QDateTimeEdit* DateTimePicker1 = nullptr;
    QTimer* TimerJVStatus = nullptr;
    QTimer* RecordLabelTimer = nullptr;
    QLabel* Label5 = nullptr;
};

} // namespace fetch
