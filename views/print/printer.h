#pragma once
// The application's printer behind a small interface: the installed printers, the current
// printer's resolution and paper, its paper setting, the print and set-up dialogs and print
// jobs. QtPrinter is the real one (QPrinter, QPrintDialog, QPageSetupDialog, QPrinterInfo);
// FakePrinter (fakeprinter.h) stands in for it in tests.

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QPrinter;
class QWidget;

namespace views::print {

class RecordedPage;

// The device capabilities the preview reads, in printer pixels.
struct PrinterMetrics {
    int dpiX = 0, dpiY = 0;              // LOGPIXELSX, LOGPIXELSY
    int paperWidth = 0, paperHeight = 0; // PHYSICALWIDTH, PHYSICALHEIGHT
    int offsetX = 0, offsetY = 0;        // PHYSICALOFFSETX, PHYSICALOFFSETY
    int printWidth = 0, printHeight = 0; // HORZRES, VERTRES
    bool operator==(const PrinterMetrics&) const = default;
};

// The factor a page is drawn at on the printable area of `m`: 1 when it fits, else the largest
// that fits it whole, the same across and down, so that a page recorded for larger paper, or for
// the other orientation, loses nothing and keeps its proportions. The preview and the print ask
// it of the same device pixels, so a page on the paper it was recorded for is drawn at 1.
double FitScale(const RecordedPage& page, const PrinterMetrics& m);

// The metrics of a Qt printer as its resolution, paper and page margins give them.
PrinterMetrics MetricsOf(const QPrinter& printer);

// Paper and orientation codes of the printer's device mode.
inline constexpr int kPaperA4 = 9;
inline constexpr int kPaperB5 = 13; // JIS B5
inline constexpr int kPortrait = 1;
inline constexpr int kLandscape = 2;

// "プリンタが登録されていません" (UTF-8): there is no printer at all.
inline constexpr char kNoPrinterMessage[] = "プリンタが登録されていません";

// One print job: pages are printed in order, each on a page of its own.
class PrintJob {
public:
    virtual ~PrintJob() = default;
    // Replays the page at its recorded size, scaled by the printer's own resolution, or scaled
    // down whole when the paper cannot hold it (FitScale).
    virtual bool PrintPage(const RecordedPage& page) = 0;
    // Ends the job; false when the output could not be finished.
    virtual bool End() = 0;
};

// A job that has started, or why none has: `job` is empty when the output could not be opened
// or the user declined to name the output file (`cancelled`).
struct StartedJob {
    std::unique_ptr<PrintJob> job;
    bool cancelled = false;
};

class Printer {
public:
    virtual ~Printer() = default;
    // The installed printers, asked afresh at every call: a printer installed or removed since
    // the last call is seen, and the default printer with it. Empty when there is none at all.
    virtual std::vector<QString> PrinterNames() = 0;
    // Of the current printer and paper; cheap enough for every paint.
    virtual PrinterMetrics Metrics() = 0;
    // Writes paper size and orientation into the current printer's setting; an unknown paper
    // code leaves the paper as it is.
    virtual void SetPaper(int paperSize, int orientation) = 0;
    // The print dialog (the printer; no page range or copies); true when the user confirmed it.
    virtual bool RunPrintDialog(QWidget* parent) = 0;
    // The printer set-up dialog.
    virtual void RunSetupDialog(QWidget* parent) = 0;
    // Starts a job titled `title` on the current printer. Output to a file without a name asks
    // for one (over `parent`). A job that could not start leaves the printer ready for the next.
    virtual StartedJob StartJob(const QString& title, QWidget* parent) = 0;
    // The output is a file rather than a printer: pages printed together belong in one document.
    virtual bool PrintsToFile() = 0;
};

// The printer of the platform. On Linux printing to a PDF file is always there, besides the
// installed printers, so the list is never empty: without installed printers every job goes to
// a PDF file whose name is asked for at the start of the job.
class QtPrinter : public Printer {
public:
    // `useInstalledPrinters` false: behave as on a machine with no printer installed.
    explicit QtPrinter(bool useInstalledPrinters = true);
    ~QtPrinter() override;

    std::vector<QString> PrinterNames() override;
    PrinterMetrics Metrics() override;
    void SetPaper(int paperSize, int orientation) override;
    bool RunPrintDialog(QWidget* parent) override;
    void RunSetupDialog(QWidget* parent) override;
    StartedJob StartJob(const QString& title, QWidget* parent) override;
    bool PrintsToFile() override;

    // Every job from now on goes to this PDF file instead of a printer; no name is asked for.
    void PrintToPdfFile(const QString& path);

    // Asks for the name of the PDF file a job writes, offering `suggested`; empty when the user
    // declines. The default is a save dialog.
    using PdfNameAsker = std::function<QString(QWidget* parent, const QString& suggested)>;
    void SetPdfNameAsker(PdfNameAsker asker);

    // The name the list gives the PDF output.
    static QString PdfPrinterName();

private:
    struct State;
    // A change of the installed printers since the last look makes a fresh printer object,
    // which starts on the new default printer.
    void Refresh();
    QString AskPdfName(QWidget* parent);
    std::unique_ptr<State> state_;
};

} // namespace views::print
