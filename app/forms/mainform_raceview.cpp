// Showing a race: the race selection fills the header, the result page and the race pages;
// the race card list's press, tracking a horse and the copy buttons.

#include "app/forms/mainform.h"

#include "app/forms/raceheaderview.h"
#include "betting/forms/betpage.h"
#include "controls/qtext.h"
#include "controls/speedbutton.h"
#include "keiba/formatters.h"
#include "keiba/platform.h"
#include "raceday/raceheader.h"
#include "views/grid.h"
#include "views/gridsort.h"
#include "views/indexcard.h"

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

namespace app {

namespace {

// The grids a race selection sizes, in its order.
constexpr const char* kRaceGrids[] = {"StringGrid6", "StringGrid26", "StringGrid1", "StringGrid8",
                                      "StringGrid9", "StringGrid2",  "StringGrid10"};

} // namespace

void TMainForm::DatListClick() {
    int r = DatList->currentRow();
    raceday::RaceSelection sel = raceday::SelectRaceHeader(Day(), r);
    if (sel.status == raceday::SelectStatus::NoRace) return;
    if (sel.status == raceday::SelectStatus::NoRunners) {
        // A batch load shows each day's first race; it says nothing of their runners.
        if (operations_.Running() != keiba::Operation::BatchLoad)
            context_.notifier.Information(raceday::NoRunnersMessage(sel.raceNumber));
        return;
    }
    ShowRaceHeader(r, sel.header);
}

void TMainForm::ShowRaceHeader(int r, const raceday::RaceHeader& h) {
    raceday::RaceDay& day = Day();
    const auto ur = static_cast<std::size_t>(r);
    std::vector<views::StringGrid*> grids;
    for (const char* name : kRaceGrids) grids.push_back(Grid(QString::fromLatin1(name)));
    views::SetAllCardSortDirs(sorts_, 0);
    for (views::StringGrid* g : grids) g->hide();
    day.gCurRaceRec = day.gDayRaces[ur];
    for (views::StringGrid* g : grids) {
        g->Model()->SetRowCount(h.gridRows);
        for (int row = 1; row < h.gridRows; ++row) g->Model()->ClearRow(row);
    }
    day.gCurRace = r;

    header_->Show(h);

    views::GridModel* list = Grid(QStringLiteral("StringGrid6"))->Model();
    for (std::size_t i = 0; i < h.cardRows.size(); ++i)
        for (std::size_t c = 0; c < h.cardRows[i].size(); ++c)
            list->SetCells(static_cast<int>(c), static_cast<int>(i + 1),
                           controls::SjToQ(h.cardRows[i][c]));

    findChild<QPushButton*>(QStringLiteral("sisushutubaBtn"))->click();
    findChild<controls::TLbSpeedButton*>(QStringLiteral("SpeedButton14"))->Click();
    // The race's stake, then the automatic marks and the bet builder.
    betPage_->AfterRaceShown();

    views::SetAllCardSortDirs(sorts_, 1);
    PageControl1->show();
    for (views::StringGrid* g : grids) g->show();
    PageControl3->show();
    // The detailed card holds no text below its headings: its paint reads the day.
    Grid(QStringLiteral("StringGrid2"))->Model()->Repaint();
    for (const char* name : {"StringGrid6", "StringGrid26", "StringGrid1", "StringGrid2"})
        Grid(QString::fromLatin1(name))->ClearSelection();
}

void TMainForm::sisushutubaBtnClick() {
    views::FillIndexRaceCard(Day(),
                             {Grid(QStringLiteral("StringGrid10"))->Model(),
                              Grid(QStringLiteral("StringGrid8"))->Model(),
                              betPage_->MarkGrid()->Model(),
                              Grid(QStringLiteral("StringGrid9"))->Model()},
                             Grid(QStringLiteral("StringGrid26"))->Model()->RowCount() - 1);
}

// The target marks appear at once: both cards are painted again from the match bytes.
void TMainForm::RepaintRaceCards() {
    for (const char* name : {"StringGrid2", "StringGrid10"}) {
        views::StringGrid* g = Grid(QString::fromLatin1(name));
        const bool shown = !g->isHidden();
        g->hide();
        g->Model()->Repaint();
        if (shown) g->show();
    }
}

void TMainForm::StringGrid6MouseDown(int /*col*/, int row) {
    if (Busy()) return;
    raceday::RaceDay& day = Day();
    const int h = row - 1;
    if (row < 1 || h >= raceday::kMaxRunners || day.gCurRace < 0 ||
        day.gCurRace >= raceday::kMaxRaces)
        return;
    const jvdata::TJvSE& se =
        day.gDayHorses[static_cast<std::size_t>(day.gCurRace)][static_cast<std::size_t>(h)];
    const QString name = controls::SjToQ(keiba::DeleteZenkakuSpaces(se.HorseName())).trimmed();
    auto caption = [this](const char* item, const QString& text) {
        if (auto* a = findChild<QAction*>(QString::fromLatin1(item))) a->setText(text);
    };
    caption("R1", QStringLiteral("追跡馬に登録:") + name);
    caption("UmaInfo1", QStringLiteral("馬情報:") + name);
    caption("KishuInfo1", QStringLiteral("騎手情報:") + controls::SjToQ(se.JockeyName()));
    caption("ChokyoInfo1", QStringLiteral("調教師情報:") + controls::SjToQ(se.TrainerName()));
    day.gCurHorse = h;
}

void TMainForm::R1Click() {
    if (Busy()) return;
    raceday::RaceDay& day = Day();
    if (raceday::RegisterChaseHorse(day, day.gCurRace, day.gCurHorse, ChaseHorses, context_) ==
        raceday::ChaseResult::Registered)
        DatListClick();
}

void TMainForm::LbSpeedButton1Click() {
    views::CopyWholeGrid(*Grid(QStringLiteral("StringGrid10"))->Model(), header_->Title());
}

void TMainForm::ClipBtn1Click() {
    views::CopyWholeGrid(*Grid(QStringLiteral("StringGrid26"))->Model(), header_->Title());
}

void TMainForm::LbSpeedButton2Click() {
    views::CopyWholeGrid(*Grid(QStringLiteral("StringGrid7"))->Model(), ComboBox1->currentText());
}

} // namespace app
