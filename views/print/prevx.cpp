#include "views/print/prevx.h"

#include "controls/qtext.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace views::print {

TPrevX::TPrevX(Printer& printer, QWidget* parent)
    : QWidget(parent)
    , printer_(printer) {
    setObjectName(QStringLiteral("PrevX1"));
}

TPrevX::~TPrevX() = default;

void TPrevX::SetZoomScale(int percent) {
    if (percent == zoomScale_ || percent < 25 || percent > 200) return;
    zoomScale_ = percent;
    FitSize();
    update();
}

void TPrevX::SetCurrentPage(int page) {
    if (page == currentPage_ || page < 1 || page > PageCount()) return;
    currentPage_ = page;
    update();
}

void TPrevX::SetFromPage(int page) {
    if (page == fromPage_ || page < 1 || page > PageCount()) return;
    fromPage_ = page;
}

void TPrevX::SetToPage(int page) {
    if (page == toPage_ || page < 1) return;
    toPage_ = page;
}

int TPrevX::ScreenPpi() const {
    return logicalDpiY();
}

bool TPrevX::CheckPrinter() {
    return !printer_.PrinterNames().empty();
}

PrevResult TPrevX::CalcPageMetrics() {
    if (!CheckPrinter()) return PrevResult::NoPrinter;
    ViewMetrics();
    return PrevResult::Ok;
}

void TPrevX::ViewMetrics() {
    const PrinterMetrics m = printer_.Metrics();
    viewMetrics_ = m;
    const double scale = m.dpiY > 0 ? double(ScreenPpi()) / m.dpiY * zoomScale_ / 100 : 0;
    auto view = [scale](int px) { return static_cast<int>(std::nearbyint(px * scale)); };
    viewPaperWidth_ = view(m.paperWidth);
    viewPaperHeight_ = view(m.paperHeight);
    viewOffsetX_ = view(m.offsetX);
    viewOffsetY_ = view(m.offsetY);
    viewPrintWidth_ = view(m.printWidth);
    viewPrintHeight_ = view(m.printHeight);
}

void TPrevX::FitSize() {
    ViewMetrics();
    const QSize size(viewPaperWidth_ + 20, viewPaperHeight_ + 20);
    if (this->size() != size) setFixedSize(size);
}

PrevResult TPrevX::BeginDoc() {
    if (CalcPageMetrics() != PrevResult::Ok) return PrevResult::NoPrinter;
    docMetrics_ = printer_.Metrics();
    currentPage_ = 1;
    fromPage_ = 1;
    toPage_ = 9999;
    pages_.clear();
    recording_ = true;
    AppendPage();
    FitSize();
    return PrevResult::Ok;
}

void TPrevX::AppendPage() {
    pages_.push_back(std::make_unique<RecordedPage>(
        docMetrics_.dpiX, docMetrics_.dpiY, docMetrics_.printWidth, docMetrics_.printHeight));
}

void TPrevX::NewPage() {
    if (!recording_) return;
    AppendPage();
}

void TPrevX::EndDoc() {
    recording_ = false;
    FitSize();
    update();
}

RecordedPage* TPrevX::Recorder() {
    return recording_ && !pages_.empty() ? pages_.back().get() : nullptr;
}

PrintResult TPrevX::Print() {
    if (fromPage_ > PageCount())
        return CheckPrinter() ? PrintResult::NothingToPrint : PrintResult::NoPrinter;
    const int last = std::max(fromPage_, std::min(PageCount(), toPage_));
    std::vector<int> pages;
    for (int p = fromPage_; p <= last; ++p) pages.push_back(p);
    return PrintPages(pages);
}

PrintResult TPrevX::PrintPages(const std::vector<int>& pages) {
    if (!CheckPrinter()) return PrintResult::NoPrinter;
    std::vector<int> kept;
    for (int p : pages)
        if (p >= 1 && p <= PageCount()) kept.push_back(p);
    if (kept.empty()) return PrintResult::NothingToPrint;
    StartedJob started = printer_.StartJob(Title, window());
    if (started.cancelled) return PrintResult::Cancelled;
    if (!started.job) return PrintResult::Failed;
    bool ok = true;
    for (std::size_t i = 0; i < kept.size() && ok; ++i) ok = started.job->PrintPage(Page(kept[i]));
    ok = started.job->End() && ok;
    return ok ? PrintResult::Printed : PrintResult::Failed;
}

PrevResult TPrevX::SetPaper(int paperSize, int orientation) {
    if (!CheckPrinter()) return PrevResult::NoPrinter;
    printer_.SetPaper(paperSize, orientation);
    FitSize();
    update();
    return PrevResult::Ok;
}

int TPrevX::XToDevice(int x) const {
    return ToDevice(x, MarginLeft, viewMetrics_.dpiX, MapMode);
}

int TPrevX::YToDevice(int y) const {
    return ToDevice(y, MarginTop, viewMetrics_.dpiY, MapMode);
}

int TPrevX::FontSizeToHeight(int n) const {
    return print::FontSizeToHeight(n, viewMetrics_.dpiY, ScreenPpi());
}

// --- Document ---

void TPrevX::SetFont(const TextFont& font) {
    if (RecordedPage* page = Recorder())
        page->SetFont({font.family, font.size, PointsToPixels(font.size, docMetrics_.dpiY),
                       (font.style & kBold) != 0, (font.style & kUnderline) != 0, font.color});
}

void TPrevX::SetPen(const LinePen& pen) {
    if (RecordedPage* page = Recorder()) {
        const int width = pen.devicePixels
                              ? pen.width
                              : print::FontSizeToHeight(pen.width, docMetrics_.dpiY, ScreenPpi());
        page->SetPen({pen.color, width, pen.visible});
    }
}

void TPrevX::SetBrush(const FillBrush& brush) {
    if (RecordedPage* page = Recorder()) page->SetBrush({brush.color, brush.solid});
}

void TPrevX::TextOut(int x, int y, std::string_view cp932) {
    if (RecordedPage* page = Recorder())
        page->Text(ToDevice(x, MarginLeft, docMetrics_.dpiX, MapMode),
                   ToDevice(y, MarginTop, docMetrics_.dpiY, MapMode), controls::SjToQ(cp932));
}

void TPrevX::FitText(int x, int y, int right, std::string_view cp932) {
    if (RecordedPage* page = Recorder())
        page->Text(ToDevice(x, MarginLeft, docMetrics_.dpiX, MapMode),
                   ToDevice(y, MarginTop, docMetrics_.dpiY, MapMode), controls::SjToQ(cp932),
                   ToDevice(right, MarginLeft, docMetrics_.dpiX, MapMode));
}

void TPrevX::MoveTo(int x, int y) {
    if (RecordedPage* page = Recorder())
        page->MoveTo(ToDevice(x, MarginLeft, docMetrics_.dpiX, MapMode),
                     ToDevice(y, MarginTop, docMetrics_.dpiY, MapMode));
}

void TPrevX::LineTo(int x, int y) {
    if (RecordedPage* page = Recorder())
        page->LineTo(ToDevice(x, MarginLeft, docMetrics_.dpiX, MapMode),
                     ToDevice(y, MarginTop, docMetrics_.dpiY, MapMode));
}

void TPrevX::Rectangle(int x1, int y1, int x2, int y2) {
    if (RecordedPage* page = Recorder())
        page->Rectangle(ToDevice(x1, MarginLeft, docMetrics_.dpiX, MapMode),
                        ToDevice(y1, MarginTop, docMetrics_.dpiY, MapMode),
                        ToDevice(x2, MarginLeft, docMetrics_.dpiX, MapMode),
                        ToDevice(y2, MarginTop, docMetrics_.dpiY, MapMode));
}

int TPrevX::PageBottom() const {
    if (docMetrics_.dpiY <= 0) return 0;
    const std::int64_t perUnit = MapMode == TPrevMapModes::pmmLo ? 10 : 1;
    // The largest y whose device row still lies inside the printable height.
    const std::int64_t units = std::int64_t{docMetrics_.printHeight} * 254 / docMetrics_.dpiY;
    return static_cast<int>(units / perUnit) - MarginTop;
}

// --- paint ---

void TPrevX::paintEvent(QPaintEvent*) {
    ViewMetrics();
    const QSize size(viewPaperWidth_ + 20, viewPaperHeight_ + 20);
    if (this->size() != size) {
        // The printer or paper changed since the last look: take the new size, then repaint.
        setFixedSize(size);
        return;
    }
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 1, Qt::SolidLine));
    painter.setBrush(Qt::white);
    painter.drawRect(10, 10, viewPaperWidth_, viewPaperHeight_);
    const QRect printable(10 + viewOffsetX_, 10 + viewOffsetY_, viewPrintWidth_, viewPrintHeight_);
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.drawRect(printable);
    if (pages_.empty() || recording_) return;
    // The page at the size it was recorded for, or smaller as it will print when the paper
    // chosen since then cannot hold it: never stretched, never out of proportion.
    const RecordedPage& page = Page(currentPage_);
    const double zoom = zoomScale_ / 100.0 * FitScale(page, viewMetrics_);
    painter.setClipRect(printable.adjusted(0, 0, 1, 1));
    painter.translate(printable.topLeft());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    ReplayPage(painter, page, double(ScreenPpi()) / page.DpiX() * zoom,
               double(ScreenPpi()) / page.DpiY() * zoom);
}

} // namespace views::print
