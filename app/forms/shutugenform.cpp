#include "app/forms/shutugenform.h"

namespace app {

TShutugenForm::TShutugenForm(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("ShutugenForm"));
    setWindowTitle(QStringLiteral("R馬検索"));
}

} // namespace app
