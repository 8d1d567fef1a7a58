// The platform's printer on a machine with no printer installed: every job goes to a PDF file
// whose name is asked for; a job that fails to start leaves the printer ready for the next; the
// checked pages of the print form make one PDF document.

#include "views/print/allprintform.h"
#include "views/print/fakeprinter.h"
#include "views/print/prevx.h"
#include "views/print/printer.h"

#include "tests/support/filedialogs.h"
#include "tests/views/print/printfixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>
#include <regex>
#include <tuple>

using namespace testsupport;
using namespace views::print;

namespace {

int PdfPages(const std::filesystem::path& pdf) {
    const std::string info = RunCommand("pdfinfo '" + pdf.string() + "' 2>&1");
    std::smatch m;
    return std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)")) ? std::stoi(m[1]) : -1;
}

std::string PdfPageText(const std::filesystem::path& pdf, int page) {
    const std::string p = std::to_string(page);
    return RunCommand("pdftotext -f " + p + " -l " + p + " '" + pdf.string() + "' - 2>&1");
}

class PdfPrinterTest : public PrintTest {
protected:
    void SetUp() override {
        PrintTest::SetUp();
        for (int r = 0; r < 4; ++r) SetRace(Day(), r, "05", r + 1, 2);
        printer.SetPdfNameAsker([this](QWidget*, const QString&) {
            ++asked;
            return names.empty() ? QString() : QPath(names.at(static_cast<std::size_t>(asked - 1)));
        });
    }
    QtPrinter printer{false};
    std::vector<std::filesystem::path> names;
    int asked = 0;
    TempDir out;
};

TEST_F(PdfPrinterTest, AFailedStartLeavesThePrinterReadyForTheNextJob) {
    EXPECT_TRUE(printer.PrintsToFile());
    auto form = BuildPrintForm(context, Sheet::RaceCard, Day(), printer, "", nullptr);
    ASSERT_NE(form, nullptr);
    names = {out / "no/such/folder/x.pdf", out / "cards.pdf"};
    EXPECT_EQ(form->PrevX1()->Print(), PrintResult::Failed);
    ASSERT_EQ(form->PrevX1()->Print(), PrintResult::Printed);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(PdfPages(out / "cards.pdf"), 4);
}

TEST_F(PdfPrinterTest, CheckedPagesGoIntoOneDocument) {
    auto form = BuildPrintForm(context, Sheet::RaceCard, Day(), printer, "", nullptr);
    ASSERT_NE(form, nullptr);
    names = {out / "checked.pdf"};
    form->CheckListBox1()->item(0)->setCheckState(Qt::Checked);
    form->CheckListBox1()->item(2)->setCheckState(Qt::Checked);
    Find<QPushButton>(*form, "BitBtn7")->click();
    EXPECT_EQ(asked, 1);
    ASSERT_EQ(PdfPages(out / "checked.pdf"), 2);
    EXPECT_NE(PdfPageText(out / "checked.pdf", 1).find("02回12日01R"), std::string::npos);
    EXPECT_NE(PdfPageText(out / "checked.pdf", 2).find("02回12日03R"), std::string::npos);
    EXPECT_TRUE(notifier.messages.empty());
}

// A page recorded for a 600 dpi printer prints at its own size on the PDF's 1200 dpi: a text an
// inch into the printable area (which starts a sixth of an inch in) starts 84 points in.
TEST_F(PdfPrinterTest, APageRecordedForAnotherPrinterKeepsItsSize) {
    FakePrinter other;
    TPrevX prev(other);
    ASSERT_EQ(prev.BeginDoc(), PrevResult::Ok);
    prev.TextOut(254, 254, "X");
    prev.EndDoc();
    names = {out / "scaled.pdf"};
    StartedJob started = printer.StartJob(QString(), nullptr);
    ASSERT_TRUE(started.job);
    ASSERT_TRUE(started.job->PrintPage(prev.Page(1)));
    ASSERT_TRUE(started.job->End());
    const std::string box =
        RunCommand("pdftotext -bbox '" + (out / "scaled.pdf").string() + "' - 2>&1");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(box, m, std::regex("xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"")))
        << box;
    EXPECT_NEAR(std::stod(m[1]), 84, 1.5) << box;
    EXPECT_NEAR(std::stod(m[2]), 84, 1.5) << box;
}

// A page recorded on the printer it prints on is drawn at its own size, not a hair smaller: a
// text 180 mm across and 280 mm down the printable area (which starts a sixth of an inch in)
// starts 522.24 points across and 805.70 points down.
TEST_F(PdfPrinterTest, APagePrintsAtItsOwnSizeOnThePaperItWasRecordedFor) {
    TPrevX prev(printer);
    ASSERT_EQ(prev.BeginDoc(), PrevResult::Ok);
    prev.TextOut(1800, 2800, "Y");
    prev.EndDoc();
    names = {out / "own.pdf"};
    ASSERT_EQ(prev.Print(), PrintResult::Printed);
    const std::string box =
        RunCommand("pdftotext -bbox '" + (out / "own.pdf").string() + "' - 2>&1");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(box, m, std::regex("xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"")))
        << box;
    EXPECT_NEAR(std::stod(m[1]), 12 + 180 / 25.4 * 72, 0.1) << box;
    EXPECT_NEAR(std::stod(m[2]), 12 + 280 / 25.4 * 72, 0.1) << box;
}

// The printable area starts at the page's left margin across and at its top margin down: half
// an inch and an inch.
TEST(PrinterMetrics, TheOffsetsAreTheLeftAndTopMargins) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageMargins(QMarginsF(36, 72, 18, 18), QPageLayout::Point);
    const PrinterMetrics m = MetricsOf(printer);
    EXPECT_EQ(m.offsetX, printer.resolution() / 2);
    EXPECT_EQ(m.offsetY, printer.resolution());
}

TEST_F(PdfPrinterTest, DecliningToNameTheFilePrintsNothing) {
    auto form = BuildPrintForm(context, Sheet::RaceCard, Day(), printer, "", nullptr);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->PrevX1()->Print(), PrintResult::Cancelled);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(std::filesystem::is_empty(out.path()));
}

// A race card recorded on A4 portrait and printed after landscape A4 or B5 was chosen: the page
// shrinks to the paper, and every runner, the last column and the race comment are on it.
TEST_F(PdfPrinterTest, APageLargerThanThePaperPrintsWhole) {
    const char* horses[16] = {"アイ", "カキ", "サシ", "タチ", "ナニ", "ハヒ", "マミ", "ヤユ",
                              "ラリ", "ワヲ", "ガギ", "ザジ", "ダヂ", "バビ", "パピ", "ヴン"};
    SetRace(Day(), 0, "05", 1, 16);
    for (std::size_t h = 0; h < 16; ++h)
        Day().gDayHorses[0][h].SetField(jvdata::TJvSE::kHorseName, keiba::Sj(horses[h]));
    Day().gRaceTexts[0].RaceComment = keiba::Sj("内枠有利,差し決着");
    Day().gRaceTexts[0].Past5Total[15] = "-88"; // the rightmost column
    for (auto [paper, orientation, file] : {std::tuple{kPaperA4, kLandscape, "landscape.pdf"},
                                            std::tuple{kPaperB5, kPortrait, "b5.pdf"}}) {
        SCOPED_TRACE(file);
        printer.SetPaper(kPaperA4, kPortrait);
        auto form = BuildPrintForm(context, Sheet::RaceCard, Day(), printer, "", nullptr);
        ASSERT_NE(form, nullptr);
        printer.SetPaper(paper, orientation);
        names = {out / file};
        asked = 0;
        ASSERT_EQ(form->PrevX1()->Print(), PrintResult::Printed);
        const std::string text = PdfPageText(out / file, 1);
        for (const char* horse : horses)
            EXPECT_NE(text.find(horse), std::string::npos) << horse << "\n" << text;
        for (const char* comment : {"-88", "<< レース見解 >>", "内枠有利", "差し決着"})
            EXPECT_NE(text.find(comment), std::string::npos) << comment << "\n" << text;
    }
}

// The print dialog of the shown page lets the user choose the printer but offers no page range,
// page set or copies: the print form says which page prints, once, and nothing the dialog
// offers is ignored.
TEST_F(PdfPrinterTest, ThePrintDialogOffersNoPageRangeOrCopies) {
    std::vector<std::string> offered;
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        shown = true;
        for (const char* name : {"printers", "printRange", "from", "to", "pageSetCombo", "copies"})
            if (auto* w = dialog->findChild<QWidget*>(QLatin1StringView(name)); w && w->isEnabled())
                offered.push_back(name);
        dialog->reject();
    });
    EXPECT_FALSE(printer.RunPrintDialog(nullptr));
    EXPECT_TRUE(shown);
    EXPECT_EQ(offered, std::vector<std::string>{"printers"});
}

// What the print dialog and its printer properties say is Japanese: Qt's translation leaves the
// double-sided group and the properties' last tab in English.
TEST_F(PdfPrinterTest, ThePrintDialogAndItsPropertiesSpeakJapanese) {
    JapaneseInForce japanese;
    ASSERT_TRUE(japanese.Translated()) << "qt6-translations-l10n is not installed";
    // The texts a user can bring into view; widgets the dialog hides are not read.
    auto texts = [](QWidget& window) {
        QStringList all;
        for (QWidget* w : window.findChildren<QWidget*>()) {
            if (w->isHidden()) continue;
            if (auto* b = qobject_cast<QAbstractButton*>(w)) all << b->text();
            if (auto* l = qobject_cast<QLabel*>(w)) all << l->text();
            if (auto* g = qobject_cast<QGroupBox*>(w)) all << g->title();
            if (auto* t = qobject_cast<QTabWidget*>(w))
                for (int i = 0; i < t->count(); ++i) all << t->tabText(i);
        }
        return all;
    };
    QStringList shown;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        shown << texts(*dialog);
        QTimer::singleShot(0, [&, dialog] {
            QWidget* properties = QApplication::activeModalWidget();
            if (properties && properties != dialog) {
                shown << texts(*properties);
                qobject_cast<QDialog*>(properties)->reject();
            }
            QTimer::singleShot(0, dialog, &QDialog::reject);
        });
        dialog->findChild<QAbstractButton*>(QStringLiteral("properties"))->click();
    });
    EXPECT_FALSE(printer.RunPrintDialog(nullptr));
    EXPECT_TRUE(shown.contains(QStringLiteral("詳細設定"))) << shown.join(u'|').toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("両面印刷"))) << shown.join(u'|').toStdString();
    static const QRegularExpression english(QStringLiteral("[A-Za-z]{3,}"));
    for (const QString& text : shown)
        EXPECT_FALSE(QString(text).remove(QStringLiteral("PDF")).contains(english))
            << text.toStdString();
}

} // namespace
