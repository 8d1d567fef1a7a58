// kestrane_import_feed [--final-odds] <program folder> <feed folder> [yyyymmdd]
// Runs the data import of the import dialog without a window on a replay feed, filing into the
// program folder as the program would. Without a date the import starts as the dialog opens:
// a setup import from 2017/01/01 on first use, otherwise a normal import from the time of the
// last import. With a date it is a normal import from 00:00 of that day. --final-odds ticks
// "確定オッズも合わせて取得する": the feed's final odds are filed into the days' odds files.
//
// Prints, one per line: "message: " and every box the import shows, "status: " and every
// status text, "record: " and the record label at the end, "refused: " and each reason with
// its count and first record, "refused total: " and the count, and "exit: " and how the filing
// ended. Exits 0 when the import finished, 1 when it did not, 2 on wrong arguments (a folder
// that is not there, or cannot be read, among them).

#include "fetch/fetchstate.h"
#include "fetch/importsession.h"
#include "jvdata/dayfiles.h"
#include "jvdata/jvlink.h"
#include "keiba/context.h"
#include "keiba/platform.h"
#include "tools/cli.h"

#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

class PrintingNotifier : public keiba::Notifier {
public:
    void Beep() override {}
    void Information(const std::string& text) override { std::cout << "message: " << text << "\n"; }
    // Nothing asks while no one presses cancel; a question is answered No.
    bool YesNo(const std::string& text) override {
        std::cout << "question: " << text << "\n";
        return false;
    }
};

class PrintingView : public fetch::ImportView {
public:
    void SetStatus(const std::string& text) override { std::cout << "status: " << text << "\n"; }
    void ShowRecordName(const std::string& text) override { label = text; }
    void SelectSetupMode() override { setup = true; }
    void ShowFromTime(keiba::LocalTime t) override { from = t; }

    std::string label;
    bool setup = false;
    keiba::LocalTime from{};
};

const char* ExitName(jvdata::FilingLoopExit e) {
    switch (e) {
    case jvdata::FilingLoopExit::Finished: return "finished";
    case jvdata::FilingLoopExit::Cancelled: return "cancelled";
    case jvdata::FilingLoopExit::ReadError: return "read error";
    case jvdata::FilingLoopExit::WriteError: return "write error";
    case jvdata::FilingLoopExit::LapNotFound: return "resume point not found";
    }
    return "?";
}

constexpr std::string_view kUsage = "[--final-odds] <program folder> <feed folder> [yyyymmdd]";

} // namespace

int main(int argc, char** argv) {
    if (devtools::HelpAsked(argc, argv)) return devtools::Usage(kUsage, true);
    bool finalOdds = false;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--final-odds") {
            finalOdds = true;
        } else if (devtools::IsOption(arg)) {
            devtools::Say("unknown option: " + arg);
            return devtools::Usage(kUsage);
        } else {
            args.push_back(arg);
        }
    }
    if (args.size() != 2 && args.size() != 3) return devtools::Usage(kUsage);
    std::filesystem::path folder = args[0];
    std::optional<std::chrono::year_month_day> date;
    if (args.size() == 3) {
        date = jvdata::ParseYyyymmdd(args[2]);
        if (!date) {
            devtools::Say("not a date: " + args[2]);
            return 2;
        }
    }
    // The replay of a feed folder that is not there would read as a feed with nothing new.
    if (!devtools::Usable(
            {{folder, devtools::PathUse::ReadFolder}, {args[1], devtools::PathUse::ReadFolder}}))
        return 2;
    PrintingNotifier notifier;
    keiba::SystemClock clock;
    keiba::NoShell shell;
    const keiba::ProgramContext context(folder, notifier, clock, shell);

    std::unique_ptr<jvdata::TJVLink> link = jvdata::CreateReplayJvLink(args[1]);
    int init = link ? link->JVInit("KESTRANE-IMPORT-FEED") : -1;
    int status = 1;
    if (init != 0) {
        devtools::Say("the feed's JV-Link did not start (" + std::to_string(init) + ")");
    } else {
        fetch::FetchFlags flags;
        keiba::OperationOwner operations;
        PrintingView view;
        fetch::ImportSession session(link.get(), view, flags, context, operations);
        fetch::ImportRequest request{session.Open(), view.setup, finalOdds};
        if (date) {
            request.fromTime = keiba::MakeLocalTime(static_cast<int>(date->year()),
                                                    static_cast<int>(unsigned(date->month())),
                                                    static_cast<int>(unsigned(date->day())));
            request.setupMode = false;
        }
        session.Start(request);
        // The dialog's status timer: the download is polled until the filing has run.
        while (session.CurrentPhase() == fetch::ImportSession::Phase::Downloading)
            session.StatusTick();

        if (!view.label.empty()) std::cout << "record: " << view.label << "\n";
        const jvdata::RefusalTally& refused = session.LastRefusals();
        for (const std::string& line : fetch::RefusalLogLines(refused))
            std::cout << "refused: " << line << "\n";
        std::cout << "refused total: " << refused.Total() << "\n";
        std::optional<jvdata::FilingLoopExit> exit = session.LastExit();
        std::cout << "exit: " << (exit ? ExitName(*exit) : "not started") << "\n";
        status = exit == jvdata::FilingLoopExit::Finished ? 0 : 1;
    }
    return status;
}
