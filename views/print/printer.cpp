#include "views/print/printer.h"

#include "views/print/page.h"

#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <cmath>

namespace views::print {

namespace {

// The unprintable border of the PDF output: that of a common office printer (1/6 inch), so
// that a sheet laid out for paper in a printer fits a PDF page the same way.
constexpr double kPdfMarginMm = 25.4 / 6;

class QtPrintJob : public PrintJob {
public:
    explicit QtPrintJob(QPrinter& printer)
        : printer_(printer) {}
    bool Begin() { return painter_.begin(&printer_); }
    bool PrintPage(const RecordedPage& page) override {
        if (!first_ && !printer_.newPage()) return false;
        first_ = false;
        const double dpi = printer_.resolution();
        ReplayPage(painter_, page, dpi / page.DpiX(), dpi / page.DpiY());
        return true;
    }
    bool End() override { return painter_.end(); }

private:
    QPrinter& printer_;
    QPainter painter_;
    bool first_ = true;
};

int Px(double v) {
    return static_cast<int>(std::lround(v));
}

} // namespace

struct QtPrinter::State {
    std::unique_ptr<QPrinter> printer;
    QStringList installed;
    QString defaultName;
    QString pdfPath;
};

QtPrinter::QtPrinter()
    : state_(std::make_unique<State>()) {
    Refresh();
}

QtPrinter::~QtPrinter() = default;

QString QtPrinter::PdfPrinterName() {
    return QStringLiteral("PDF");
}

void QtPrinter::Refresh() {
    QStringList installed = QPrinterInfo::availablePrinterNames();
    QString defaultName = QPrinterInfo::defaultPrinterName();
    State& s = *state_;
    if (s.printer && installed == s.installed && defaultName == s.defaultName) return;
    auto fresh = std::make_unique<QPrinter>(QPrinter::HighResolution);
    // The paper and orientation the user or a sheet chose stay with the new printer.
    if (s.printer) fresh->setPageLayout(s.printer->pageLayout());
    if (installed.isEmpty() || !s.pdfPath.isEmpty()) {
        fresh->setOutputFormat(QPrinter::PdfFormat);
        fresh->setPageMargins(QMarginsF(kPdfMarginMm, kPdfMarginMm, kPdfMarginMm, kPdfMarginMm),
                              QPageLayout::Millimeter);
        if (!s.pdfPath.isEmpty()) fresh->setOutputFileName(s.pdfPath);
    }
    s.printer = std::move(fresh);
    s.installed = std::move(installed);
    s.defaultName = std::move(defaultName);
}

std::vector<QString> QtPrinter::PrinterNames() {
    Refresh();
    std::vector<QString> names(state_->installed.begin(), state_->installed.end());
    names.push_back(PdfPrinterName());
    return names;
}

PrinterMetrics QtPrinter::Metrics() {
    QPrinter& p = *state_->printer;
    const QRectF paper = p.paperRect(QPrinter::DevicePixel);
    const QRectF page = p.pageRect(QPrinter::DevicePixel);
    PrinterMetrics m;
    m.dpiX = m.dpiY = p.resolution();
    m.paperWidth = Px(paper.width());
    m.paperHeight = Px(paper.height());
    m.offsetX = Px(page.left() - paper.left());
    m.offsetY = Px(page.top() - paper.top());
    m.printWidth = Px(page.width());
    m.printHeight = Px(page.height());
    return m;
}

void QtPrinter::SetPaper(int paperSize, int orientation) {
    QPrinter& p = *state_->printer;
    if (paperSize == kPaperA4) p.setPageSize(QPageSize(QPageSize::A4));
    if (orientation == kPortrait) p.setPageOrientation(QPageLayout::Portrait);
    if (orientation == kLandscape) p.setPageOrientation(QPageLayout::Landscape);
}

bool QtPrinter::RunPrintDialog(QWidget* parent) {
    Refresh();
    QPrintDialog dialog(state_->printer.get(), parent);
    // Which pages print is chosen on the print form, never here.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    return dialog.exec() == QDialog::Accepted;
}

void QtPrinter::RunSetupDialog(QWidget* parent) {
    Refresh();
    QPageSetupDialog dialog(state_->printer.get(), parent);
    dialog.exec();
}

std::unique_ptr<PrintJob> QtPrinter::StartJob(const QString& title) {
    Refresh();
    QPrinter& p = *state_->printer;
    p.setDocName(title);
    p.setPrintRange(QPrinter::AllPages);
    auto job = std::make_unique<QtPrintJob>(p);
    if (!job->Begin()) return nullptr;
    return job;
}

void QtPrinter::PrintToPdfFile(const QString& path) {
    state_->pdfPath = path;
    QPrinter& p = *state_->printer;
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setPageMargins(QMarginsF(kPdfMarginMm, kPdfMarginMm, kPdfMarginMm, kPdfMarginMm),
                     QPageLayout::Millimeter);
    p.setOutputFileName(path);
}

} // namespace views::print
