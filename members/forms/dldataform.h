#pragma once
// `TDLDataForm` (caption "ケストレーン過去データ取得"): the past-data download of one year, month
// or quarter, with a gauge and a stop button. Created at start-up and kept for the run: the
// chosen kind and the list stay between showings.

#include "keiba/context.h"
#include "members/downloads.h"

#include <QDialog>

#include <string>
#include <vector>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace controls {
class TLbSpeedButton;
}

namespace members {

class TDLDataForm : public QDialog, private DownloadView {
    Q_OBJECT
public:
    // Opens with the lists for the first kind (年単位) from the current date.
    // The download holds `operations` while it runs.
    TDLDataForm(const keiba::ProgramContext& context, keiba::OperationOwner& operations,
                QWidget* parent = nullptr);
    ~TDLDataForm() override;

    void RadioGroup1Click();
    void DLBtnClick();
    void SpeedButton1Click();
    // The two purchase buttons' handler; `pastData` for BuyPastDataBtn.
    void BuyPastDataBtnClick(bool pastData);

    int RadioGroup1ItemIndex() const;
    members::Downloads& Downloads() { return downloads_; }

    // A close while a download runs stops it first.
    void done(int result) override;

private:
    // DownloadView
    void SetBusyCursor(bool busy) override;
    void SetDownloadActionsEnabled(bool enabled) override;
    void ShowProgress(int percent) override;
    bool ProcessMessages() override;

    const keiba::ProgramContext& context_;
    members::Downloads downloads_;
    bool gDownloadAbort = false;
    bool busyCursor_ = false;

    QGroupBox* RadioGroup1 = nullptr;
    QButtonGroup* radioItems_ = nullptr;
    QComboBox* DLCombo = nullptr;
    QProgressBar* Gauge1 = nullptr;
    QPushButton* DLBtn = nullptr;
    controls::TLbSpeedButton* SpeedButton1 = nullptr;
    controls::TLbSpeedButton* BuyPastDataBtn = nullptr;
    controls::TLbSpeedButton* BuyYosoDataBtn = nullptr;
};

} // namespace members
