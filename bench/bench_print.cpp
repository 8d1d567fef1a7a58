// The biggest printed documents of a race day: the 36 race card pages and the 36 landscape
// past-performance pages of the sample day, built into the print preview; the first page shown;
// one page replayed as a page change does; and the 36 race card pages replayed as a print job
// writes them to PDF, against the same replay into a device that draws nothing (the walk of the
// display lists and Qt's text layout alone).

#include "bench/benchsupport.h"
#include "jvdata/dayfiles.h"
#include "keiba/context.h"
#include "keiba/platform.h"
#include "raceday/dayload.h"
#include "raceday/daymodel.h"
#include "views/print/fakeprinter.h"
#include "views/print/page.h"
#include "views/print/prevx.h"
#include "views/print/printsheet.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

namespace fs = std::filesystem;
using namespace views::print;

std::unique_ptr<raceday::RaceDay> gDay;

// A paint device whose engine draws nothing.
class NullEngine : public QPaintEngine {
public:
    NullEngine()
        : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawTextItem(const QPointF&, const QTextItem&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawLines(const QLineF*, int) override {}
    void drawRects(const QRectF*, int) override {}
    Type type() const override { return QPaintEngine::User; }
};

class NullDevice : public QPaintDevice {
public:
    QPaintEngine* paintEngine() const override { return &engine_; }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth: return 4960;
        case PdmHeight: return 7016;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 600;
        case PdmDepth: return 32;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
        default: return QPaintDevice::metric(m);
        }
    }

private:
    mutable NullEngine engine_;
};

// A preview holding a whole sheet of the sample day, as the print form builds it.
struct Preview {
    explicit Preview(Sheet sheet) {
        prev.MarginTop = 50;
        prev.SetZoomScale(50);
        if (!BuildDocument(prev, sheet, *gDay, "")) std::abort();
    }
    FakePrinter printer;
    TPrevX prev{printer};
};

void BM_BuildRaceCards(benchmark::State& state) {
    for (auto _ : state) {
        Preview p(Sheet::RaceCard);
        benchmark::DoNotOptimize(p.prev.PageCount());
    }
}
BENCHMARK(BM_BuildRaceCards)->Unit(benchmark::kMillisecond);

void BM_BuildPastPerformance(benchmark::State& state) {
    for (auto _ : state) {
        Preview p(Sheet::PastPerformance);
        benchmark::DoNotOptimize(p.prev.PageCount());
    }
}
BENCHMARK(BM_BuildPastPerformance)->Unit(benchmark::kMillisecond);

// What the user waits for: the document built and its first page on the screen.
void BM_PreviewFirstPage(benchmark::State& state) {
    for (auto _ : state) {
        Preview p(Sheet::RaceCard);
        QImage shown(p.prev.size(), QImage::Format_ARGB32_Premultiplied);
        p.prev.render(&shown);
        benchmark::DoNotOptimize(shown.bits());
    }
}
BENCHMARK(BM_PreviewFirstPage)->Unit(benchmark::kMillisecond);

// A page change or zoom step: one page replayed at 100 %.
void BM_ShowOnePage(benchmark::State& state) {
    Preview p(Sheet::RaceCard);
    p.prev.SetZoomScale(100);
    p.prev.SetCurrentPage(11);
    QImage shown(p.prev.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        p.prev.render(&shown);
        benchmark::DoNotOptimize(shown.bits());
    }
}
BENCHMARK(BM_ShowOnePage)->Unit(benchmark::kMillisecond);

void BM_ReplayRaceCardsToPdf(benchmark::State& state) {
    Preview p(Sheet::RaceCard);
    for (auto _ : state) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&out);
        pdf.setResolution(600);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        QPainter painter(&pdf);
        for (int page = 1; page <= p.prev.PageCount(); ++page) {
            if (page > 1) pdf.newPage();
            ReplayPage(painter, p.prev.Page(page), 1, 1);
        }
        painter.end();
        benchmark::DoNotOptimize(out.size());
    }
}
BENCHMARK(BM_ReplayRaceCardsToPdf)->Unit(benchmark::kMillisecond);

void BM_ReplayRaceCardsToNull(benchmark::State& state) {
    Preview p(Sheet::RaceCard);
    NullDevice device;
    for (auto _ : state) {
        QPainter painter(&device);
        for (int page = 1; page <= p.prev.PageCount(); ++page)
            ReplayPage(painter, p.prev.Page(page), 1, 1);
    }
}
BENCHMARK(BM_ReplayRaceCardsToNull)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    keiba::SilentNotifier notifier;
    keiba::SystemClock clock;
    keiba::NoShell shell;

    QTemporaryDir temp;
    fs::path sample;
    if (const char* prepared = std::getenv("KESTRANE_BENCH_SAMPLE")) {
        sample = prepared;
    } else {
        sample = fs::path(temp.path().toStdString()) / "sample";
        const std::string command =
            std::string(KESTRANE_MAKE_SAMPLE) + " '" + sample.string() + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) return 1;
    }
    const keiba::ProgramContext context(sample, notifier, clock, shell);
    gDay = std::make_unique<raceday::RaceDay>();
    raceday::DayLoadProgress progress;
    raceday::DayLoadSteps steps;
    if (raceday::LoadDay(*gDay, jvdata::DayStem(*jvdata::ParseYyyymmdd("20261128")), progress,
                         steps, context) != raceday::DayLoadResult::Loaded)
        return 1;
    {
        Preview cards(Sheet::RaceCard), past(Sheet::PastPerformance);
        std::size_t cardOps = 0, pastOps = 0;
        for (int page = 1; page <= cards.prev.PageCount(); ++page)
            cardOps += cards.prev.Page(page).Ops().size();
        for (int page = 1; page <= past.prev.PageCount(); ++page)
            pastOps += past.prev.Page(page).Ops().size();
        std::printf("race cards: %d pages, %zu drawing calls a page; past performance: %d pages, "
                    "%zu a page\n\n",
                    cards.prev.PageCount(), cardOps / 36, past.prev.PageCount(), pastOps / 36);
    }

    const int status = benchsupport::RunWithRatios(argc, argv, [](const auto& r) {
        r.PrintRatio("race cards replayed to PDF / into a null device:", "BM_ReplayRaceCardsToPdf",
                     "BM_ReplayRaceCardsToNull");
        r.PrintRatio("first page shown / document built:", "BM_PreviewFirstPage",
                     "BM_BuildRaceCards");
    });
    gDay.reset();
    return status;
}
