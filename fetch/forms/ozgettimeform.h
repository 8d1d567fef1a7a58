#pragma once
// TOzGetTimeForm, "データﾞ自動取得時刻指定": the minutes that drive the automatic fetches
// (section Time of the settings file). New values take effect at the next day load.

#include "keiba/context.h"

#include <QDialog>

class QSpinBox;
class QPushButton;
class QWidget;

namespace fetch {

class TOzGetTimeForm : public QDialog {
    Q_OBJECT
public:
    // Reads AutoOzGet, AutoBataijuGet and AutoRdataGet of the context's settings into the spin
    // edits.
    explicit TOzGetTimeForm(const keiba::ProgramContext& context, QWidget* parent = nullptr);

    // OK: writes the three values, or says why they could not be; closing by the title bar
    // writes nothing.
    void BitBtn1Click();

    QSpinBox* SpinEdit3 = nullptr; // AutoOzGet, minutes before the post
    QSpinBox* SpinEdit2 = nullptr; // AutoBataijuGet, hidden
    QSpinBox* SpinEdit1 = nullptr; // AutoRdataGet, interval in minutes
    QPushButton* BitBtn1 = nullptr;

private:
    keiba::TIniGT& ini_;
    keiba::Notifier& notifier_;
};

} // namespace fetch
