#include "app/forms/userkaimeform.h"

#include <QComboBox>
#include <QVBoxLayout>

namespace app {

TUserKaimeForm::TUserKaimeForm(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("UserKaimeForm"));
    setWindowTitle(QStringLiteral("買い目設定"));
    auto* layout = new QVBoxLayout(this);
    for (int u = 0; u < 3; ++u) {
        auto* combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("NeraiKaimeCombo%1").arg(u + 1));
        layout->addWidget(combo);
        combos_[static_cast<std::size_t>(u)] = combo;
    }
}

QComboBox* TUserKaimeForm::NeraiKaimeCombo(int u) const {
    if (u < 1 || u > 3) return nullptr;
    return combos_[static_cast<std::size_t>(u - 1)];
}

void TUserKaimeForm::NeraiKaimeComboChange(int /*u*/) {}

} // namespace app
