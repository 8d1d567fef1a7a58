#pragma once
// `TPrevX`, the print preview control: it records a document as a list of pages (display lists
// in printer pixels, see page.h), shows one page scaled to the screen at a chosen zoom, and
// replays chosen pages onto the printer. Sheets draw through its Document interface in tenths
// of a millimetre.
//
// Nothing is spooled while a document is built. The printer list is asked afresh at BeginDoc and
// at Print; the current printer's metrics are read at every paint, so a change of printer or
// paper shows at the next paint. A page replays at the size it was recorded for, or scaled down
// whole where the paper chosen since cannot hold it (see FitScale).

#include "views/print/canvas.h"
#include "views/print/devunits.h"
#include "views/print/page.h"
#include "views/print/printer.h"

#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

namespace views::print {

// What needs the printer fails only when there is no printer at all.
enum class PrevResult { Ok, NoPrinter };
// Cancelled: the user declined to name the output file.
enum class PrintResult { Printed, NothingToPrint, NoPrinter, Cancelled, Failed };

class TPrevX : public QWidget, public Document {
    Q_OBJECT
public:
    explicit TPrevX(Printer& printer, QWidget* parent = nullptr);
    ~TPrevX() override;

    // --- properties ---
    QString Title;
    int ZoomScale() const { return zoomScale_; }
    // Accepted when it differs and lies in 25..200; then repaints.
    void SetZoomScale(int percent);
    int MarginLeft = 0;
    int MarginTop = 0;
    TPrevMapModes MapMode = TPrevMapModes::pmmHi;

    int CurrentPage() const { return currentPage_; }
    int PageCount() const { return static_cast<int>(pages_.size()); }
    int FromPage() const { return fromPage_; }
    int ToPage() const { return toPage_; }
    // Accepted when it differs and lies in 1..PageCount; the shown page then repaints.
    void SetCurrentPage(int page);
    // Accepted when it differs and lies in 1..PageCount.
    void SetFromPage(int page);
    // Accepted when it differs and is at least 1.
    void SetToPage(int page);

    int PrinterDpiX() const { return viewMetrics_.dpiX; }
    int PrinterDpiY() const { return viewMetrics_.dpiY; }
    int ViewPaperWidth() const { return viewPaperWidth_; }
    int ViewPaperHeight() const { return viewPaperHeight_; }
    int ViewOffsetX() const { return viewOffsetX_; }
    int ViewOffsetY() const { return viewOffsetY_; }
    int ViewPrintWidth() const { return viewPrintWidth_; }
    int ViewPrintHeight() const { return viewPrintHeight_; }

    // Page i, 1-based.
    const RecordedPage& Page(int i) const { return *pages_[static_cast<std::size_t>(i - 1)]; }

    // --- operations ---
    // Reads the printer's metrics and the view sizes at the current zoom.
    PrevResult CalcPageMetrics();
    bool CheckPrinter();
    // A new document of one empty page; a missing printer fails before anything changes.
    PrevResult BeginDoc();
    // Closes the page being drawn and starts the next; the shown page does not change.
    void NewPage() override;
    // Closes the last page; the document can then be shown and printed any number of times.
    void EndDoc();
    bool Recording() const { return recording_; }
    Document& GetCanvas() { return *this; }
    // Pages FromPage..min(PageCount, ToPage) as one job; FromPage alone when ToPage is below it,
    // nothing when FromPage lies beyond the last page.
    PrintResult Print();
    // The given pages (1-based) as one job, in the order given; pages outside the document are
    // left out, and nothing prints when none is left.
    PrintResult PrintPages(const std::vector<int>& pages);
    // Paper size and orientation into the printer's setting, then repaints.
    PrevResult SetPaper(int paperSize, int orientation);

    int XToDevice(int x) const;
    int YToDevice(int y) const;
    // A width in tenths of a screen pixel, in printer pixels: the sheets' pen widths.
    int FontSizeToHeight(int n) const;
    // Pixels per inch of the screen the preview is shown on.
    int ScreenPpi() const;

    // --- Document ---
    void SetFont(const TextFont& font) override;
    void SetPen(const LinePen& pen) override;
    void SetBrush(const FillBrush& brush) override;
    void TextOut(int x, int y, std::string_view cp932) override;
    void FitText(int x, int y, int right, std::string_view cp932) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Rectangle(int x1, int y1, int x2, int y2) override;
    int PageBottom() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    RecordedPage* Recorder();
    void AppendPage();
    // The view sizes from the current printer's metrics, without asking for the printer list
    // again (that is for BeginDoc and Print).
    void ViewMetrics();
    // The control's size follows the paper at the current zoom.
    void FitSize();

    Printer& printer_;
    std::vector<std::unique_ptr<RecordedPage>> pages_;
    bool recording_ = false;
    PrinterMetrics docMetrics_;
    int zoomScale_ = 25;
    int currentPage_ = 1;
    int fromPage_ = 1;
    int toPage_ = 9999;
    PrinterMetrics viewMetrics_; // of the last look at the printer
    int viewPaperWidth_ = 0, viewPaperHeight_ = 0;
    int viewOffsetX_ = 0, viewOffsetY_ = 0;
    int viewPrintWidth_ = 0, viewPrintHeight_ = 0;
};

} // namespace views::print
