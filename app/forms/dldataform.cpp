#include "app/forms/dldataform.h"

namespace app {

TDLDataForm::TDLDataForm(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("DLDataForm"));
}

} // namespace app
