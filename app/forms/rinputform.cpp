#include "app/forms/rinputform.h"

#include <QListWidget>
#include <QVBoxLayout>

namespace app {

TRInputForm::TRInputForm(QWidget* parent)
    : QDialog(parent)
    , datList_(new QListWidget(this)) {
    setObjectName(QStringLiteral("RInputForm"));
    setWindowTitle(QStringLiteral("R馬手入力"));
    datList_->setObjectName(QStringLiteral("DatList"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(datList_);
}

void TRInputForm::DatListClick() {}

} // namespace app
