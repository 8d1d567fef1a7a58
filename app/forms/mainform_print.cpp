// The printed sheets: 出馬表印刷(&P) in the file menu and the 印刷 button print the race cards;
// the print menu (which nothing in the window opens) holds the other four sheets.

#include "app/forms/application.h"
#include "app/forms/mainform.h"
#include "app/startup.h"
#include "controls/speedbutton.h"
#include "keiba/sjis.h"
#include "views/print/printsheet.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>

namespace app {

void TMainForm::WirePrinting() {
    if (auto* item = findChild<QAction*>(QStringLiteral("FilePrintItem"))) {
        item->setStatusTip(QStringLiteral("出馬表を印刷します"));
        connect(item, &QAction::triggered, this, &TMainForm::FilePrintItemClick);
    }
    if (auto* button = findChild<controls::TLbSpeedButton*>(QStringLiteral("PrintBtn")))
        connect(button, &controls::TLbSpeedButton::OnClick, this, &TMainForm::PrintBtnClick);
    auto* menu = findChild<QMenu*>(QStringLiteral("PrintMenu"));
    if (!menu) return;
    connect(MenuItem(menu, "N13", QStringLiteral("新聞形式印刷")), &QAction::triggered, this,
            &TMainForm::N13Click);
    connect(MenuItem(menu, "N14", QStringLiteral("指数表印刷")), &QAction::triggered, this,
            &TMainForm::N14Click);
    connect(MenuItem(menu, "N16", QStringLiteral("払戻印刷")), &QAction::triggered, this,
            &TMainForm::N16Click);
    QAction* n17 = MenuItem(menu, "N17", QStringLiteral("過去成績表印刷"));
    n17->setStatusTip(QStringLiteral("過去走の主な情報を印刷します"));
    connect(n17, &QAction::triggered, this, &TMainForm::N17Click);
}

views::print::Printer& TMainForm::Printer() {
    if (!printer_) printer_ = std::make_unique<views::print::QtPrinter>();
    return *printer_;
}

void TMainForm::PrintSheet(views::print::Sheet sheet) {
    // The sheets read the loaded day; a load or fetch that is running is not over yet.
    if (Busy()) return;
    views::print::PrintSheet({context_, sheet, Day(), DatList->count(), Printer(),
                              keiba::Sj(std::string(kApplicationTitle) + std::string(kVersionText)),
                              this, [this](QDialog& form) { ExecModal(form); }});
}

void TMainForm::FilePrintItemClick() {
    PrintSheet(views::print::Sheet::RaceCard);
}

void TMainForm::PrintBtnClick() {
    FilePrintItemClick();
}

void TMainForm::N13Click() {
    PrintSheet(views::print::Sheet::Newspaper);
}

void TMainForm::N14Click() {
    PrintSheet(views::print::Sheet::IndexTable);
}

void TMainForm::N16Click() {
    PrintSheet(views::print::Sheet::Payouts);
}

void TMainForm::N17Click() {
    PrintSheet(views::print::Sheet::PastPerformance);
}

} // namespace app
