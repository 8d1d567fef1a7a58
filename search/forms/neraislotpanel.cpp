#include "search/forms/neraislotpanel.h"

#include "views/indexcard.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>

namespace search {

NeraiSlotPanel::NeraiSlotPanel(const keiba::ProgramContext& context, raceday::RaceDay& day,
                               QWidget* parent)
    : QWidget(parent)
    , day_(day)
    , slots_(*this, day, context) {
    setObjectName(QStringLiteral("NeraiSlotPanel"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(1);
    grid->setColumnStretch(1, 1);
    for (int k = 1; k <= 4; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        auto* shape = new QFrame(this);
        shape->setObjectName(QStringLiteral("Shape%1").arg(k));
        shape->setFixedSize(12, 12);
        shape->setFrameShape(QFrame::Box);
        shape->setAutoFillBackground(true);
        QPalette pal = shape->palette();
        pal.setColor(QPalette::Window, views::TargetSlotColor(k));
        shape->setPalette(pal);
        shapes_[i] = shape;

        auto* combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("NeraiCombo%1").arg(k));
        combo->setCurrentIndex(-1);
        combos_[i] = combo;
        connect(combo, &QComboBox::activated, this, [this, k](int) { NeraiComboChange(k); });

        const int row = 2 * (k - 1);
        grid->addWidget(shape, row, 0);
        grid->addWidget(new QLabel(QStringLiteral("狙い馬%1").arg(k), this), row, 1);
        grid->addWidget(combo, row + 1, 0, 1, 2);
    }
}

QComboBox* NeraiSlotPanel::NeraiCombo(int k) const {
    return k >= 1 && k <= 4 ? combos_[static_cast<std::size_t>(k - 1)] : nullptr;
}

QFrame* NeraiSlotPanel::Shape(int k) const {
    return k >= 1 && k <= 4 ? shapes_[static_cast<std::size_t>(k - 1)] : nullptr;
}

std::string NeraiSlotPanel::ChosenSetName(int k) const {
    QComboBox* combo = NeraiCombo(k);
    // A drop-down list has no text of its own: only a chosen item counts.
    if (!combo || combo->currentIndex() < 0) return {};
    return combo->currentText().toStdString();
}

int NeraiSlotPanel::RaceCount() const {
    return raceListCount_ ? raceListCount_() : day_.gDayRaceCount;
}

void NeraiSlotPanel::RepaintRaceCards() {
    if (repaint_) repaint_();
}

} // namespace search
