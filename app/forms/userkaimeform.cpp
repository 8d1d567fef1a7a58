#include "app/forms/userkaimeform.h"

#include "search/nerairecord.h"

#include <QComboBox>
#include <QSignalBlocker>
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

void TUserKaimeForm::MakeListBtnClick() {
    const std::vector<std::string> names = search::NeraiSetNames();
    for (QComboBox* combo : combos_) {
        const QSignalBlocker block(combo);
        const QString held = combo->currentText();
        combo->clear();
        for (const std::string& name : names) combo->addItem(QString::fromStdString(name));
        // A drop-down list shows nothing until an item is chosen.
        combo->setCurrentIndex(held.isEmpty() ? -1 : combo->findText(held));
    }
}

} // namespace app
