#include "app/forms/neraigaitoform.h"

namespace app {

TNeraiGaitoForm::TNeraiGaitoForm(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("NeraiGaitoForm"));
}

} // namespace app
