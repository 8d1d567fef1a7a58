#pragma once
// `TIDPASSForm` (caption "ID,パスワード登録"): the members ID and password. OK checks and stores
// them and leaves the dialog open; the cancel button closes it. It frees itself when closed.

#include "keiba/context.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace members {

class TIDPASSForm : public QDialog {
    Q_OBJECT
public:
    // Opens with the stored ID and the unmasked password in the edits.
    explicit TIDPASSForm(const keiba::ProgramContext& context, QWidget* parent = nullptr);

    void MsgBitBtn1Click();

private:
    QLineEdit* IDedit = nullptr;
    QLineEdit* PassEdit = nullptr;
    QPushButton* MsgBitBtn1 = nullptr;
    QPushButton* MsgBitBtn2 = nullptr;
    const keiba::ProgramContext& context_;
};

} // namespace members
