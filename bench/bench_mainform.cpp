// Start-up to a shown main window, the day load through the window, and the selection of a
// race (what every fetch runs again), on the sample program folder.
//
// Usage: bench_mainform [benchmark flags]; KESTRANE_BENCH_SAMPLE names a prepared sample
// folder, else one is generated in a temporary folder.

#include "app/forms/application.h"
#include "app/forms/mainform.h"
#include "jvdata/jvlink.h"
#include "keiba/context.h"
#include "keiba/platform.h"
#include "raceday/daymodel.h"
#include "raceday/raceheader.h"

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

fs::path gSample;
std::unique_ptr<keiba::ProgramContext> gContext;

std::unique_ptr<app::ApplicationForms> StartForms() {
    return app::StartApplication(*gContext,
                                 [] { return jvdata::CreateReplayJvLink(gSample / "feed"); });
}

void LoadDay(app::TMainForm& main, const QString& stem) {
    auto* combo = main.findChild<QComboBox*>(QStringLiteral("DateCombo"));
    combo->setCurrentIndex(combo->findText(stem));
    main.DateComboChange();
}

void BM_StartUpToShownWindow(benchmark::State& state) {
    for (auto _ : state) {
        auto forms = StartForms();
        forms->MainForm->show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(forms.get());
        state.PauseTiming();
        forms.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToShownWindow)->Unit(benchmark::kMillisecond);

void BM_DayLoadThroughTheWindow(benchmark::State& state) {
    auto forms = StartForms();
    forms->MainForm->show();
    for (auto _ : state) LoadDay(*forms->MainForm, QStringLiteral("2026年11月28日"));
}
BENCHMARK(BM_DayLoadThroughTheWindow)->Unit(benchmark::kMillisecond);

// DatListClick over every race of the day in turn: header, grids, payout labels, clicks.
void BM_RaceSelection(benchmark::State& state) {
    auto forms = StartForms();
    forms->MainForm->show();
    LoadDay(*forms->MainForm, QStringLiteral("2026年11月28日"));
    auto* list = forms->MainForm->findChild<QListWidget*>(QStringLiteral("DatList"));
    int r = 0;
    for (auto _ : state) {
        r = (r + 1) % list->count();
        list->setCurrentRow(r);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_RaceSelection)->Unit(benchmark::kMicrosecond);

// The texts alone, without widgets.
void BM_SelectRaceHeader(benchmark::State& state) {
    auto forms = StartForms();
    LoadDay(*forms->MainForm, QStringLiteral("2026年11月28日"));
    int r = 0;
    for (auto _ : state) {
        r = (r + 1) % 36;
        benchmark::DoNotOptimize(raceday::SelectRaceHeader(forms->MainForm->Day(), r));
    }
}
BENCHMARK(BM_SelectRaceHeader)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    app::UseApplicationFont(application);
    keiba::SilentNotifier notifier;
    keiba::SystemClock clock;
    keiba::NoShell shell;

    QTemporaryDir temp;
    if (const char* prepared = std::getenv("KESTRANE_BENCH_SAMPLE")) {
        gSample = prepared;
    } else {
        gSample = fs::path(temp.path().toStdString()) / "sample";
        std::string command =
            std::string(KESTRANE_MAKE_SAMPLE) + " '" + gSample.string() + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) return 1;
    }
    gContext = std::make_unique<keiba::ProgramContext>(gSample, notifier, clock, shell);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gContext.reset();
    return 0;
}
