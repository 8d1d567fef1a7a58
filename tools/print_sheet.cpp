// print-sheet <program folder> <yyyymmdd> <sheet> <out.pdf>
// Loads one day of a program folder the way the main window does, without any window, draws
// one printed sheet (racecard, newspaper, index, payouts, pastperf) into the print preview and
// prints every page to a PDF file through the application's printer.

#include "app/forms/application.h"
#include "app/startup.h"
#include "jvdata/dayfiles.h"
#include "keiba/context.h"
#include "keiba/platform.h"
#include "keiba/sjis.h"
#include "raceday/dayload.h"
#include "raceday/daymodel.h"
#include "views/print/prevx.h"
#include "views/print/printer.h"
#include "views/print/printsheet.h"
#include "views/print/sheets.h"

#include <QApplication>

#include <filesystem>
#include <iostream>
#include <memory>

namespace {

// Says on the standard error what the day load would have shown in a box.
class ConsoleNotifier : public keiba::Notifier {
public:
    void Beep() override {}
    void Information(const std::string& text) override { std::cerr << text << "\n"; }
    bool YesNo(const std::string& text) override {
        std::cerr << text << "\n";
        return false;
    }
};

int Usage() {
    std::cerr << "usage: print-sheet <program folder> <yyyymmdd> "
                 "<racecard|newspaper|index|payouts|pastperf> <out.pdf>\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) return Usage();
    const std::filesystem::path folder = argv[1];
    const auto date = jvdata::ParseYyyymmdd(argv[2]);
    const views::print::SheetInfo* sheet = views::print::SheetByKey(argv[3]);
    if (!date) {
        std::cerr << "not a date: " << argv[2] << "\n";
        return 2;
    }
    if (!sheet) return Usage();
    const QString out = QString::fromLocal8Bit(argv[4]);

    // No window is shown: the offscreen platform needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    ConsoleNotifier notifier;
    keiba::SystemClock clock;
    keiba::NoShell shell;
    const keiba::ProgramContext context(folder, notifier, clock, shell);
    raceday::DayLoadProgress progress;
    raceday::DayLoadSteps steps;
    auto day = std::make_unique<raceday::RaceDay>();
    if (raceday::LoadDay(*day, jvdata::DayStem(*date), progress, steps, context) !=
        raceday::DayLoadResult::Loaded) {
        std::cerr << "the day did not load\n";
        return 1;
    }

    views::print::QtPrinter printer;
    printer.PrintToPdfFile(out);
    views::print::TPrevX prev(printer);
    prev.MarginTop = 50;
    const std::string credit =
        keiba::Sj(std::string(app::kApplicationTitle) + std::string(app::kVersionText));
    const auto pages = views::print::BuildDocument(prev, sheet->sheet, *day, credit);
    if (!pages) {
        std::cerr << views::print::kNoPrinterMessage << "\n";
        return 1;
    }
    if (prev.PageCount() == 0 || pages->empty()) {
        std::cerr << "the sheet has no pages\n";
        return 1;
    }
    if (prev.Print() != views::print::PrintResult::Printed) {
        std::cerr << "could not write " << argv[4] << "\n";
        return 1;
    }
    std::cout << pages->size() << " pages\n";
    return 0;
}
