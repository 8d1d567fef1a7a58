#include "app/forms/mainform.h"

namespace app {

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("ケストレーン "));
    resize(900, 600);
}

} // namespace app
