#include "app/forms/desplform.h"

namespace app {

TDeSplForm::TDeSplForm(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("DeSplForm"));
}

} // namespace app
