#include "app/forms/prgrsform.h"

#include "controls/label3d.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace app {

TPrgrsForm::TPrgrsForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
    , bar_(new QProgressBar(this))
    , heading_(new controls::TLabel3Dj(this))
    , status_(new QLabel(this)) {
    setObjectName(QStringLiteral("PrgrsForm"));
    setWindowTitle(QStringLiteral("データ読込"));
    setModal(false);
    setFixedSize(380, 110);
    bar_->setObjectName(QStringLiteral("ProgressBar1"));
    bar_->setTextVisible(false);
    heading_->setObjectName(QStringLiteral("Label3Dj1"));
    heading_->SetFontColor(QColor(0, 0, 128));
    QFont bold = heading_->font();
    bold.setBold(true);
    heading_->setFont(bold);
    status_->setObjectName(QStringLiteral("StaticText1"));
    status_->setFrameShape(QFrame::StyledPanel);
    status_->setFrameShadow(QFrame::Sunken);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addWidget(bar_);
    layout->addWidget(status_);
}

} // namespace app
