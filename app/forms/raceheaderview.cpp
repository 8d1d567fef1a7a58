#include "app/forms/raceheaderview.h"

#include "app/forms/mainform_parts.h"
#include "controls/label3d.h"
#include "controls/qtext.h"
#include "raceday/raceheader.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStringList>

namespace app {

using mainform_parts::SetPanelColor;

void RaceHeaderView::Show(const raceday::RaceHeader& h) {
    SetPanelColor(ui.Panel3, h.turf ? QColor(0, 128, 0) : QColor(128, 0, 0));
    ui.BashoLabel->setText(controls::SjToQ(h.basho));
    ui.RaceLabel->setText(controls::SjToQ(h.race));
    ui.RaceLabel->setAutoFillBackground(true);
    ui.Label1->setText(controls::SjToQ(h.label1));
    ui.Label2->setText(controls::SjToQ(h.label2));
    ui.Label3->setText(controls::SjToQ(h.label3));
    ui.Label4->setText(controls::SjToQ(h.label4));
    ui.Label6->setText(controls::SjToQ(h.label6));
    ui.Label7->setText(controls::SjToQ(h.label7));
    ui.Label3Dj1->SetCaption(controls::SjToQ(h.label3Dj1));
    ui.Label3Dj2->SetCaption(controls::SjToQ(h.label3Dj2));
    ui.TFWtimeLabel->setText(controls::SjToQ(h.tfwTime));
    ui.RLevelLabel->setText(controls::SjToQ(h.rLevel));
    ui.RplsTouLabel->setText(controls::SjToQ(h.rPlus));
    ui.RmnsTouLabel->setText(controls::SjToQ(h.rMinus));

    QStringList comment;
    for (const std::string& line : h.commentLines) comment << controls::SjToQ(line);
    ui.Memo1->setPlainText(comment.join(QLatin1Char('\n')));

    for (std::size_t i = 0; i < h.label3D.size(); ++i) {
        ui.gLabel3DTable[3 * i]->SetCaption(controls::SjToQ(h.label3D[i].number));
        ui.gLabel3DTable[3 * i + 1]->SetCaption(controls::SjToQ(h.label3D[i].popularity));
        ui.gLabel3DTable[3 * i + 2]->SetCaption(controls::SjToQ(h.label3D[i].payout));
    }
    for (std::size_t i = 0; i < h.payoutLabels.size(); ++i) {
        ui.gPayoutLabels[3 * i]->setText(controls::SjToQ(h.payoutLabels[i].number));
        ui.gPayoutLabels[3 * i + 1]->setText(controls::SjToQ(h.payoutLabels[i].popularity));
        ui.gPayoutLabels[3 * i + 2]->setText(controls::SjToQ(h.payoutLabels[i].payout));
    }
}

void RaceHeaderView::Clear() {
    SetPanelColor(ui.Panel3, QColor(0, 128, 0));
    for (QLabel* l : {ui.BashoLabel, ui.RaceLabel, ui.Label1, ui.Label2, ui.Label3, ui.Label4,
                      ui.Label6, ui.Label7, ui.TFWtimeLabel, ui.RLevelLabel, ui.RplsTouLabel,
                      ui.RmnsTouLabel, ui.RestTimeLabel})
        l->clear();
    ui.Label3Dj1->SetCaption(QString());
    ui.Label3Dj2->SetCaption(QString());
    ui.RaceLabel->setAutoFillBackground(false);
}

QString RaceHeaderView::Title() const {
    return QStringList{ui.Label1->text(), ui.Label2->text(), ui.Label3->text(), ui.Label4->text()}
        .join(QStringLiteral("\r\n"));
}

} // namespace app
