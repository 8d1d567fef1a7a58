// The print preview control: unit conversions, view metrics, page ranges and print jobs, the
// missing printer, and pages replayed at the size they were recorded for.

#include "views/print/devunits.h"
#include "views/print/fakeprinter.h"
#include "views/print/prevx.h"

#include "keiba/sjis.h"
#include "tests/views/print/pagequery.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace views::print;
using keiba::Sj;

TEST(DevUnits, ConvertsTenthsOfMillimetresHalvesToEven) {
    EXPECT_EQ(ToDevice(0, 50, 600, TPrevMapModes::pmmHi), 118);   // 118.1
    EXPECT_EQ(ToDevice(254, 50, 600, TPrevMapModes::pmmHi), 718); // 718.1
    EXPECT_EQ(ToDevice(1, 0, 127, TPrevMapModes::pmmHi), 0);      // 0.5
    EXPECT_EQ(ToDevice(3, 0, 127, TPrevMapModes::pmmHi), 2);      // 1.5
    EXPECT_EQ(ToDevice(-3, 0, 127, TPrevMapModes::pmmHi), -2);
    EXPECT_EQ(ToDevice(1, 0, 254, TPrevMapModes::pmmLo), 10);
    // The product passes 32 bits.
    EXPECT_EQ(ToDevice(2'000'000, 0, 1200, TPrevMapModes::pmmHi), 9'448'819);
    EXPECT_EQ(FontSizeToHeight(5, 600, 96), 3);   // 3.125
    EXPECT_EQ(FontSizeToHeight(1, 300, 96), 1);   // 0.3125, at least 1
    EXPECT_EQ(FontSizeToHeight(20, 600, 96), 12); // 12.5
    EXPECT_EQ(PointsToPixels(10, 600), 83);
    EXPECT_EQ(PointsToPixels(3, 60), 3); // 2.5
}

class PrevXTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(prev.ScreenPpi(), 96) << "the tests assume a 96 ppi screen"; }
    // A document of `pages` pages, each with its number at the top.
    void Build(int pages) {
        ASSERT_EQ(prev.BeginDoc(), PrevResult::Ok);
        for (int p = 1; p <= pages; ++p) {
            if (p > 1) prev.NewPage();
            prev.TextOut(0, 0, std::to_string(p));
        }
        prev.EndDoc();
    }
    std::vector<int> JobPages(std::size_t job) const {
        std::vector<int> out;
        for (const RecordedPage* page : printer.jobs.at(job).pages)
            for (int p = 1; p <= prev.PageCount(); ++p)
                if (&prev.Page(p) == page) out.push_back(p);
        return out;
    }
    FakePrinter printer;
    TPrevX prev{printer};
};

TEST_F(PrevXTest, ConvertsAtThePrintersResolution) {
    prev.MarginTop = 50;
    ASSERT_EQ(prev.CalcPageMetrics(), PrevResult::Ok);
    EXPECT_EQ(prev.YToDevice(0), 118);
    EXPECT_EQ(prev.YToDevice(254), 718);
    EXPECT_EQ(prev.FontSizeToHeight(5), 3);
    printer.SetDpi(127);
    prev.MarginTop = 0;
    ASSERT_EQ(prev.CalcPageMetrics(), PrevResult::Ok);
    EXPECT_EQ(prev.XToDevice(1), 0);
    EXPECT_EQ(prev.XToDevice(3), 2);
    printer.SetDpi(300);
    ASSERT_EQ(prev.CalcPageMetrics(), PrevResult::Ok);
    EXPECT_EQ(prev.FontSizeToHeight(1), 1);
}

TEST_F(PrevXTest, ViewMetricsAndSizeFollowPaperAndZoom) {
    prev.SetZoomScale(50);
    Build(1);
    EXPECT_EQ(prev.PrinterDpiX(), 600);
    EXPECT_EQ(prev.ViewPaperWidth(), 397);
    EXPECT_EQ(prev.ViewPaperHeight(), 561);
    EXPECT_EQ(prev.ViewOffsetX(), 8);
    EXPECT_EQ(prev.ViewOffsetY(), 8);
    EXPECT_EQ(prev.ViewPrintWidth(), 381);
    EXPECT_EQ(prev.ViewPrintHeight(), 545);
    EXPECT_EQ(prev.size(), QSize(417, 581));
    ASSERT_EQ(prev.SetPaper(kPaperA4, kLandscape), PrevResult::Ok);
    EXPECT_EQ(prev.size(), QSize(581, 417));

    for (int zoom : {24, 201}) {
        prev.SetZoomScale(zoom);
        EXPECT_EQ(prev.ZoomScale(), 50);
    }
    prev.SetZoomScale(200);
    EXPECT_EQ(prev.ZoomScale(), 200);
    prev.SetZoomScale(25);
    EXPECT_EQ(prev.ZoomScale(), 25);
}

TEST_F(PrevXTest, RecordsInPrinterPixels) {
    prev.MarginTop = 50;
    ASSERT_EQ(prev.BeginDoc(), PrevResult::Ok);
    prev.SetFont({QStringLiteral("F"), 10, kBold, QColor(1, 2, 3)});
    prev.SetPen({Qt::black, 20});
    prev.TextOut(254, 0, Sj("東京"));
    prev.MoveTo(0, 0);
    prev.LineTo(254, 254);
    prev.EndDoc();
    const testsupport::PageContent page = testsupport::ReadPage(prev.Page(1));
    ASSERT_EQ(page.texts.size(), 1u);
    EXPECT_EQ(page.texts[0].text, QStringLiteral("東京"));
    EXPECT_EQ(page.texts[0].x, 600);
    EXPECT_EQ(page.texts[0].y, 118);
    EXPECT_EQ(page.texts[0].font.pixelHeight, 83);
    EXPECT_TRUE(page.texts[0].font.bold);
    EXPECT_EQ(page.texts[0].font.color, QColor(1, 2, 3));
    ASSERT_EQ(page.lines.size(), 1u);
    EXPECT_TRUE(page.HasLine(0, 118, 600, 718));
    EXPECT_EQ(page.lines[0].pen.width, 12);
    EXPECT_EQ(prev.Page(1).Width(), 4760);
}

TEST_F(PrevXTest, PrintsPageRangesAsJobs) {
    Build(4);
    EXPECT_EQ(prev.PageCount(), 4);
    const int asked = printer.namesAsked;
    prev.SetFromPage(2);
    ASSERT_EQ(prev.Print(), PrintResult::Printed);
    EXPECT_GT(printer.namesAsked, asked); // the printer list is asked afresh
    ASSERT_EQ(printer.jobs.size(), 1u);
    EXPECT_EQ(JobPages(0), (std::vector<int>{2, 3, 4}));
    EXPECT_TRUE(printer.jobs[0].ended);

    prev.SetFromPage(3);
    prev.SetToPage(2);
    ASSERT_EQ(prev.Print(), PrintResult::Printed);
    EXPECT_EQ(JobPages(1), (std::vector<int>{3}));

    prev.SetFromPage(5); // beyond the last page: refused
    EXPECT_EQ(prev.FromPage(), 3);
    prev.SetToPage(5000); // no upper bound
    EXPECT_EQ(prev.ToPage(), 5000);
    for (int page : {0, 5}) {
        prev.SetCurrentPage(page);
        EXPECT_EQ(prev.CurrentPage(), 1);
    }
    prev.SetCurrentPage(4);
    EXPECT_EQ(prev.CurrentPage(), 4);

    printer.failToStart = true;
    EXPECT_EQ(prev.Print(), PrintResult::Failed);
}

TEST_F(PrevXTest, NothingPrintsBeforeADocument) {
    EXPECT_EQ(prev.Print(), PrintResult::NothingToPrint);
    EXPECT_TRUE(printer.jobs.empty());
}

TEST_F(PrevXTest, WithoutAPrinterNothingChanges) {
    Build(2);
    printer.printers.clear();
    EXPECT_EQ(prev.BeginDoc(), PrevResult::NoPrinter);
    EXPECT_EQ(prev.PageCount(), 2);
    EXPECT_FALSE(prev.Recording());
    EXPECT_EQ(prev.Print(), PrintResult::NoPrinter);
    EXPECT_EQ(prev.SetPaper(kPaperA4, kPortrait), PrevResult::NoPrinter);
    EXPECT_TRUE(printer.jobs.empty());
    EXPECT_TRUE(printer.paperCalls.empty());
}

// A square of one inch, recorded on A4 portrait, keeps its size on screen when the printable
// area grows after the page was recorded; when the paper chosen since cannot hold the page, the
// whole page shrinks until it fits, the same across and down.
TEST_F(PrevXTest, ShowsAPageAtItsSizeOrShrunkWholeToFitThePaper) {
    prev.SetZoomScale(100);
    ASSERT_EQ(prev.BeginDoc(), PrevResult::Ok);
    prev.SetBrush({Qt::black, true});
    prev.SetPen({Qt::black, 1, false, false});
    prev.Rectangle(0, 0, 254, 254);
    prev.EndDoc();
    const PrinterMetrics a4 = printer.portrait;
    const struct {
        const char* paper;
        int orientation;
        double printWidth, printHeight; // of the A4 portrait printable area
        int side;                       // pixels at 96 ppi
    } cases[] = {
        {"larger", kPortrait, 1.5, 1.5, 96},
        {"A4 landscape", kLandscape, 1, 1, 67}, // 4760 / 6816 of an inch
        {"half as tall", kPortrait, 1, 0.5, 48},
        {"B5", kPortrait, 182.0 / 210, 257.0 / 297, 83},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.paper);
        printer.portrait = a4;
        printer.portrait.printWidth = static_cast<int>(a4.printWidth * c.printWidth);
        printer.portrait.printHeight = static_cast<int>(a4.printHeight * c.printHeight);
        printer.orientation = c.orientation;
        prev.grab(); // takes the new paper's size
        const QImage shot = prev.grab().toImage();
        const int origin = 10 + 16; // the paper's corner, then the printable offset at 96 ppi
        auto side = [&](int dx, int dy) {
            int n = 0;
            while (n < 200 &&
                   shot.pixelColor(origin + 2 + n * dx, origin + 2 + n * dy) == QColor(Qt::black))
                ++n;
            return n + 2;
        };
        EXPECT_NEAR(side(1, 0), c.side, 1);
        EXPECT_NEAR(side(0, 1), c.side, 1);
    }
}

// A printer whose unprintable border is wider at the top than at the left, and a document whose
// left and top margins differ: each offset and margin moves the page along its own axis only,
// on the recorded page and on the preview.
TEST_F(PrevXTest, APageIsPlacedByTheLeftOffsetAcrossAndTheTopOffsetDown) {
    printer.portrait.offsetX = 150;
    printer.portrait.offsetY = 300;
    prev.SetZoomScale(100);
    prev.MarginLeft = 100;
    prev.MarginTop = 50;
    ASSERT_EQ(prev.BeginDoc(), PrevResult::Ok);
    prev.SetBrush({Qt::black, true});
    prev.SetPen({Qt::black, 1, false, false});
    prev.Rectangle(0, 0, 254, 254);
    prev.EndDoc();
    // 10 mm and 5 mm at 600 dpi: 236.2 and 118.1 pixels; one inch further 836.2 and 718.1.
    EXPECT_TRUE(testsupport::ReadPage(prev.Page(1)).RectAt(236, 118, 836, 718));
    // 150 and 300 printer pixels at 96 / 600 of their size.
    EXPECT_EQ(prev.ViewOffsetX(), 24);
    EXPECT_EQ(prev.ViewOffsetY(), 48);

    // On screen the square starts at the paper's corner (10, 10), plus the printable offset,
    // plus the margin: x 10 + 24 + 37.8, y 10 + 48 + 18.9.
    const QImage shot = prev.grab().toImage();
    auto firstBlack = [&](int x, int y, int dx, int dy) {
        while (x < shot.width() && y < shot.height() &&
               shot.pixelColor(x, y) != QColor(Qt::black)) {
            x += dx;
            y += dy;
        }
        return dx ? x : y;
    };
    EXPECT_NEAR(firstBlack(40, 120, 1, 0), 72, 1);
    EXPECT_NEAR(firstBlack(120, 64, 0, 1), 77, 1);
}
