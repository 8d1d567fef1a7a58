// The odds table's page of the analysis tab: its hidden button panel (the copy button and the
// sort group 並べ替え) over the odds table.

#include "app/forms/mainform.h"

#include "controls/speedbutton.h"
#include "views/grid.h"
#include "views/oddstable.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace app {

QWidget* TMainForm::BuildOddsPage() {
    auto* odds = new QWidget;
    auto* oddsBox = new QVBoxLayout(odds);
    oddsBox->setContentsMargins(0, 0, 0, 0);
    views::StringGrid* table = NewGrid("StringGrid26", odds);
    // The odds table's button panel is created hidden and nothing shows it; the race selection
    // still clicks its 馬番 button.
    auto* oddsButtons = new QFrame(odds);
    oddsButtons->setObjectName(QStringLiteral("OddsButtonPanel"));
    auto* oddsRow = new QHBoxLayout(oddsButtons);
    auto* clip = ToolButton("ClipBtn1", QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ"), QString());
    connect(clip, &controls::TLbSpeedButton::OnClick, this, &TMainForm::ClipBtn1Click);
    oddsRow->addWidget(clip);
    oddsSort_ = new views::OddsSortBar(*table->Model(), oddsButtons);
    oddsRow->addWidget(oddsSort_, 1);
    oddsButtons->hide();
    oddsBox->addWidget(oddsButtons);
    oddsBox->addWidget(table, 1);
    return odds;
}

} // namespace app
