#include "views/print/fakeprinter.h"

#include <utility>

namespace views::print {

namespace {

class FakeJob : public PrintJob {
public:
    FakeJob(std::vector<FakePrinter::Job>& jobs, std::size_t index)
        : jobs_(jobs)
        , index_(index) {}
    bool PrintPage(const RecordedPage& page) override {
        jobs_[index_].pages.push_back(&page);
        return true;
    }
    bool End() override {
        jobs_[index_].ended = true;
        return true;
    }

private:
    std::vector<FakePrinter::Job>& jobs_;
    std::size_t index_;
};

} // namespace

FakePrinter::FakePrinter() {
    SetDpi(600);
}

void FakePrinter::SetDpi(int dpi) {
    auto scale = [dpi](int v600) {
        return static_cast<int>(static_cast<long long>(v600) * dpi / 600);
    };
    portrait = {dpi,        dpi,        scale(4960), scale(7016),
                scale(100), scale(100), scale(4760), scale(6816)};
}

std::vector<QString> FakePrinter::PrinterNames() {
    ++namesAsked;
    return printers;
}

PrinterMetrics FakePrinter::Metrics() {
    if (orientation != kLandscape) return portrait;
    PrinterMetrics m = portrait;
    std::swap(m.paperWidth, m.paperHeight);
    std::swap(m.offsetX, m.offsetY);
    std::swap(m.printWidth, m.printHeight);
    return m;
}

void FakePrinter::SetPaper(int paperSize, int orient) {
    paperCalls.emplace_back(paperSize, orient);
    paper = paperSize;
    orientation = orient;
}

bool FakePrinter::RunPrintDialog(QWidget*) {
    ++printDialogs;
    if (printDialogAnswers.empty()) return false;
    const bool answer = printDialogAnswers.front();
    printDialogAnswers.pop_front();
    return answer;
}

void FakePrinter::RunSetupDialog(QWidget*) {
    ++setupDialogs;
}

StartedJob FakePrinter::StartJob(const QString& title, QWidget*) {
    if (toFile && declineFileName) return {nullptr, true};
    if (failToStart) return {};
    jobs.push_back({title, {}, false});
    return {std::make_unique<FakeJob>(jobs, jobs.size() - 1), false};
}

} // namespace views::print
