// kestrane_print_sheet [--paper a4|a4-landscape|b5] <program folder> <yyyymmdd> <sheet> <out.pdf>
// Loads one day of a program folder the way the main window does, without any window, draws
// one printed sheet (racecard, newspaper, index, payouts, pastperf) into the print preview and
// prints every page to a PDF file through the application's printer. --paper chooses the paper
// once the sheet is drawn, as ﾌﾟﾘﾝﾀ設定 on the print form does, so a sheet shows how it prints
// on paper other than its own.

#include "app/forms/application.h"
#include "app/startup.h"
#include "jvdata/dayfiles.h"
#include "keiba/context.h"
#include "keiba/platform.h"
#include "keiba/sjis.h"
#include "raceday/dayload.h"
#include "raceday/daymodel.h"
#include "tools/cli.h"
#include "tools/errornotifier.h"
#include "views/print/prevx.h"
#include "views/print/printer.h"
#include "views/print/printsheet.h"
#include "views/print/sheets.h"

#include <QApplication>

#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <utility>

namespace {

int Usage(bool asked = false) {
    return devtools::Usage("[--paper a4|a4-landscape|b5] <program folder> <yyyymmdd> "
                           "<racecard|newspaper|index|payouts|pastperf> <out.pdf>",
                           asked);
}

// The paper and orientation codes of a --paper value.
std::optional<std::pair<int, int>> PaperByName(const char* name) {
    namespace p = views::print;
    if (std::strcmp(name, "a4") == 0) return std::pair{p::kPaperA4, p::kPortrait};
    if (std::strcmp(name, "a4-landscape") == 0) return std::pair{p::kPaperA4, p::kLandscape};
    if (std::strcmp(name, "b5") == 0) return std::pair{p::kPaperB5, p::kPortrait};
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    if (devtools::HelpAsked(argc, argv)) return Usage(true);
    std::optional<std::pair<int, int>> paper;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--paper") == 0) {
        paper = PaperByName(argv[2]);
        if (!paper) return Usage();
        first = 3;
    }
    if (argc - first != 4) return Usage();
    char** args = argv + first;
    for (int i = 0; i < 4; ++i)
        if (devtools::IsOption(args[i])) return Usage();
    const std::filesystem::path folder = args[0];
    const auto date = jvdata::ParseYyyymmdd(args[1]);
    const views::print::SheetInfo* sheet = views::print::SheetByKey(args[2]);
    if (!date) {
        devtools::Say(std::string("not a date: ") + args[1]);
        return 2;
    }
    if (!sheet) return Usage();
    if (!devtools::Usable(
            {{folder, devtools::PathUse::ReadFolder}, {args[3], devtools::PathUse::WriteFile}}))
        return 2;
    const QString out = QString::fromLocal8Bit(args[3]);

    // No window is shown: the offscreen platform needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    devtools::ErrorOutputNotifier notifier;
    keiba::SystemClock clock;
    keiba::NoShell shell;
    const keiba::ProgramContext context(folder, notifier, clock, shell);
    raceday::DayLoadProgress progress;
    raceday::DayLoadSteps steps;
    auto day = std::make_unique<raceday::RaceDay>();
    if (raceday::LoadDay(*day, jvdata::DayStem(*date), progress, steps, context) !=
        raceday::DayLoadResult::Loaded) {
        devtools::Say("the day did not load");
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
        devtools::Say(views::print::kNoPrinterMessage);
        return 1;
    }
    if (prev.PageCount() == 0 || pages->empty()) {
        devtools::Say("the sheet has no pages");
        return 1;
    }
    if (paper) prev.SetPaper(paper->first, paper->second);
    if (prev.Print() != views::print::PrintResult::Printed) {
        devtools::Say(std::string("could not write ") + args[3]);
        return 1;
    }
    std::cout << pages->size() << " pages\n";
    return 0;
}
