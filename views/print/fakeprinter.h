#pragma once
// A printer for tests: fixed resolution, paper and printable area, a printer list the test
// changes, scripted dialog answers, and every job and page it was given.

#include "views/print/printer.h"

#include <deque>
#include <vector>

namespace views::print {

class FakePrinter : public Printer {
public:
    // 600 dpi, A4 portrait (4960 x 7016 pixels), printable area from (100, 100), 4760 x 6816.
    FakePrinter();

    std::vector<QString> PrinterNames() override;
    PrinterMetrics Metrics() override;
    void SetPaper(int paperSize, int orientation) override;
    bool RunPrintDialog(QWidget* parent) override;
    void RunSetupDialog(QWidget* parent) override;
    StartedJob StartJob(const QString& title, QWidget* parent) override;
    bool PrintsToFile() override { return toFile; }

    // Sets the resolution (both axes) and scales paper and printable area with it.
    void SetDpi(int dpi);
    bool Landscape() const { return orientation == kLandscape; }

    struct Job {
        QString title;
        std::vector<const RecordedPage*> pages;
        bool ended = false;
    };

    std::vector<QString> printers{QStringLiteral("Fake Printer")};
    PrinterMetrics portrait;
    int paper = kPaperA4;
    int orientation = kPortrait;
    std::vector<std::pair<int, int>> paperCalls; // (paper, orientation) of every SetPaper
    std::deque<bool> printDialogAnswers;         // answers in order; Cancel once they run out
    int printDialogs = 0;
    int setupDialogs = 0;
    bool failToStart = false;
    // Output to a file, and whether the user declines to name it when a job starts.
    bool toFile = false;
    bool declineFileName = false;
    int namesAsked = 0;
    std::vector<Job> jobs;
};

} // namespace views::print
