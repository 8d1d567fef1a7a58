#include "views/print/printer.h"

#include "controls/filecolumns.h"
#include "views/print/page.h"

#include <QAbstractButton>
#include <QChildEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTabWidget>

#include <algorithm>
#include <cmath>
#include <utility>

namespace views::print {

double FitScale(const RecordedPage& page, const PrinterMetrics& m) {
    if (page.DpiX() <= 0 || page.DpiY() <= 0 || page.Width() <= 0 || page.Height() <= 0 ||
        m.dpiX <= 0 || m.dpiY <= 0 || m.printWidth <= 0 || m.printHeight <= 0)
        return 1;
    // Compared as whole pixels of each side, so a page recorded on this very printer is 1.
    const double across = double(m.printWidth) * page.DpiX() / (double(page.Width()) * m.dpiX);
    const double down = double(m.printHeight) * page.DpiY() / (double(page.Height()) * m.dpiY);
    return std::min({1.0, across, down});
}

namespace {

// The unprintable border of the PDF output: that of a common office printer (1/6 inch), so
// that a sheet laid out for paper in a printer fits a PDF page the same way.
constexpr double kPdfMarginMm = 25.4 / 6;

int Px(double v) {
    return static_cast<int>(std::lround(v));
}

} // namespace

PrinterMetrics MetricsOf(const QPrinter& p) {
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

namespace {

class QtPrintJob : public PrintJob {
public:
    QtPrintJob(QPrinter& printer, bool& broken)
        : printer_(printer)
        , broken_(broken) {}
    bool Begin() { return painter_.begin(&printer_); }
    bool PrintPage(const RecordedPage& page) override {
        if (!first_ && !printer_.newPage()) return Fail();
        first_ = false;
        const double dpi = printer_.resolution();
        const double fit = FitScale(page, MetricsOf(printer_));
        ReplayPage(painter_, page, dpi / page.DpiX() * fit, dpi / page.DpiY() * fit);
        return true;
    }
    bool End() override { return painter_.end() || Fail(); }

private:
    bool Fail() {
        broken_ = true;
        return false;
    }
    QPrinter& printer_;
    bool& broken_;
    QPainter painter_;
    bool first_ = true;
};

void PdfOutput(QPrinter& p) {
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setPageMargins(QMarginsF(kPdfMarginMm, kPdfMarginMm, kPdfMarginMm, kPdfMarginMm),
                     QPageLayout::Millimeter);
}

QString AskWithSaveDialog(QWidget* parent, const QString& suggested) {
    QFileDialog dialog(parent, QStringLiteral("PDFファイルに印刷"), suggested,
                       QStringLiteral("PDF (*.pdf)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    controls::UseDefaultLocaleColumns(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

// Texts Qt's Japanese translation leaves in English in the print dialog and in the printer
// properties it opens. Matched by their English text, so a translation that comes to cover one
// leaves nothing to replace.
constexpr std::pair<const char*, const char*> kUntranslatedPrintTexts[] = {
    {"Double Sided Printing", "両面印刷"},
    {"Off", "しない"},
    {"Long side binding", "長辺とじ"},
    {"Short side binding", "短辺とじ"},
    {"Advanced", "詳細設定"},
    {"There are conflicts in some options. Please fix them.",
     "一部のオプションが競合しています。修正してください。"},
};

template <typename Get, typename Set> void InJapanese(Get get, Set set) {
    const QString text = get();
    for (const auto& [english, japanese] : kUntranslatedPrintTexts)
        if (text == QLatin1StringView(english)) set(QString::fromUtf8(japanese));
}

void SayInJapanese(QWidget& window) {
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            InJapanese([b] { return b->text(); }, [b](const QString& t) { b->setText(t); });
        if (auto* l = qobject_cast<QLabel*>(w))
            InJapanese([l] { return l->text(); }, [l](const QString& t) { l->setText(t); });
        if (auto* g = qobject_cast<QGroupBox*>(w))
            InJapanese([g] { return g->title(); }, [g](const QString& t) { g->setTitle(t); });
        if (auto* tabs = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < tabs->count(); ++i)
                InJapanese([tabs, i] { return tabs->tabText(i); },
                           [tabs, i](const QString& t) { tabs->setTabText(i, t); });
    }
}

// The print dialog of the print form. Which pages print is the form's to say, one copy each:
// the dialog's own page range, page set and copies (which it offers even when told there is no
// page range, for printers that filter pages themselves) would be ignored, so they are switched
// off each time it shows.
class FormPrintDialog : public QPrintDialog {
public:
    using QPrintDialog::QPrintDialog;
    void setVisible(bool visible) override {
        QPrintDialog::setVisible(visible);
        if (!visible) return;
        for (const char* held : {"printRange", "copies"})
            if (auto* w = findChild<QWidget*>(QLatin1StringView(held)); w && w->parentWidget())
                w->parentWidget()->setEnabled(false);
        // Qt leaves the printers' own page list untranslated; it is switched off with the rest.
        for (const char* untranslated : {"pagesRadioButton", "pagesLineEdit"})
            if (auto* w = findChild<QWidget*>(QLatin1StringView(untranslated))) w->hide();
        SayInJapanese(*this);
    }

protected:
    // The printer properties are a dialog Qt makes as this one's child when they are first
    // asked for; each is polished before it shows.
    void childEvent(QChildEvent* event) override {
        QPrintDialog::childEvent(event);
        if (event->type() == QEvent::ChildPolished)
            if (auto* child = qobject_cast<QWidget*>(event->child()); child && child->isWindow())
                SayInJapanese(*child);
    }
};

} // namespace

struct QtPrinter::State {
    bool useInstalled = true;
    std::unique_ptr<QPrinter> printer;
    QStringList installed;
    QString defaultName;
    // Of PrintToPdfFile: every job writes this file.
    QString pdfPath;
    // The print dialog has just been confirmed with a file named in it: the next job writes it
    // without asking again.
    bool namedByDialog = false;
    // The last job failed to start or to finish. A QPrinter can stay active after a failed start
    // (one without a file name does) and then refuses every later one, so the next job gets a
    // fresh printer object.
    bool broken = false;
    QString lastPdfName;
    PdfNameAsker askPdfName = AskWithSaveDialog;
};

QtPrinter::QtPrinter(bool useInstalledPrinters)
    : state_(std::make_unique<State>()) {
    state_->useInstalled = useInstalledPrinters;
    Refresh();
}

QtPrinter::~QtPrinter() = default;

QString QtPrinter::PdfPrinterName() {
    return QStringLiteral("PDF");
}

void QtPrinter::SetPdfNameAsker(PdfNameAsker asker) {
    state_->askPdfName = std::move(asker);
}

void QtPrinter::Refresh() {
    State& s = *state_;
    QStringList installed = s.useInstalled ? QPrinterInfo::availablePrinterNames() : QStringList();
    QString defaultName = s.useInstalled ? QPrinterInfo::defaultPrinterName() : QString();
    if (s.printer && !s.broken && installed == s.installed && defaultName == s.defaultName) return;
    auto fresh = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (installed.isEmpty() || !s.pdfPath.isEmpty()) PdfOutput(*fresh);
    // The paper and orientation the user or a sheet chose stay with the new printer; after a
    // failed job the output stays where the user sent it.
    if (s.printer) {
        if (s.broken && installed == s.installed) {
            if (s.printer->outputFormat() == QPrinter::PdfFormat)
                PdfOutput(*fresh);
            else
                fresh->setPrinterName(s.printer->printerName());
        }
        fresh->setPageLayout(s.printer->pageLayout());
    }
    if (!s.pdfPath.isEmpty()) fresh->setOutputFileName(s.pdfPath);
    s.printer = std::move(fresh);
    s.installed = std::move(installed);
    s.defaultName = std::move(defaultName);
    s.broken = false;
    s.namedByDialog = false;
}

std::vector<QString> QtPrinter::PrinterNames() {
    Refresh();
    std::vector<QString> names(state_->installed.begin(), state_->installed.end());
    names.push_back(PdfPrinterName());
    return names;
}

PrinterMetrics QtPrinter::Metrics() {
    return MetricsOf(*state_->printer);
}

void QtPrinter::SetPaper(int paperSize, int orientation) {
    QPrinter& p = *state_->printer;
    if (paperSize == kPaperA4) p.setPageSize(QPageSize(QPageSize::A4));
    if (paperSize == kPaperB5) p.setPageSize(QPageSize(QPageSize::JisB5));
    if (orientation == kPortrait) p.setPageOrientation(QPageLayout::Portrait);
    if (orientation == kLandscape) p.setPageOrientation(QPageLayout::Landscape);
}

bool QtPrinter::RunPrintDialog(QWidget* parent) {
    Refresh();
    state_->printer->setPrintRange(QPrinter::AllPages);
    state_->printer->setCopyCount(1);
    FormPrintDialog dialog(state_->printer.get(), parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    state_->namedByDialog =
        confirmed && PrintsToFile() && !state_->printer->outputFileName().isEmpty();
    return confirmed;
}

void QtPrinter::RunSetupDialog(QWidget* parent) {
    Refresh();
    QPageSetupDialog dialog(state_->printer.get(), parent);
    dialog.exec();
}

bool QtPrinter::PrintsToFile() {
    Refresh();
    return state_->printer->outputFormat() == QPrinter::PdfFormat;
}

QString QtPrinter::AskPdfName(QWidget* parent) {
    State& s = *state_;
    QString suggested = s.lastPdfName;
    if (suggested.isEmpty()) suggested = s.printer->outputFileName();
    const QString name = s.askPdfName ? s.askPdfName(parent, suggested) : QString();
    if (!name.isEmpty()) s.lastPdfName = name;
    return name;
}

StartedJob QtPrinter::StartJob(const QString& title, QWidget* parent) {
    Refresh();
    State& s = *state_;
    QPrinter& p = *s.printer;
    if (p.outputFormat() == QPrinter::PdfFormat && s.pdfPath.isEmpty() && !s.namedByDialog) {
        const QString name = AskPdfName(parent);
        if (name.isEmpty()) return {nullptr, true};
        p.setOutputFileName(name);
    }
    s.namedByDialog = false;
    p.setDocName(title);
    p.setPrintRange(QPrinter::AllPages);
    auto job = std::make_unique<QtPrintJob>(p, s.broken);
    if (!job->Begin()) {
        s.broken = true;
        return {};
    }
    return {std::move(job), false};
}

void QtPrinter::PrintToPdfFile(const QString& path) {
    state_->pdfPath = path;
    QPrinter& p = *state_->printer;
    PdfOutput(p);
    p.setOutputFileName(path);
}

} // namespace views::print
