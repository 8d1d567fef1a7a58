// The print form and the print sequence: zoom and bounds kept in the settings file, the page
// list and the two print buttons, the printer back on A4 portrait after every close, and the
// messages of a missing day or printer.

#include "views/print/allprintform.h"
#include "views/print/printsheet.h"

#include "tests/views/print/printfixture.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QToolButton>

#include <algorithm>
#include <map>

using namespace testsupport;
using namespace views::print;

namespace {

class PrintFormTest : public PrintTest {
protected:
    void SetUp() override {
        PrintTest::SetUp();
        for (int r = 0; r < 4; ++r) SetRace(Day(), r, "05", r + 1, 8);
    }
    std::unique_ptr<TAllPrintForm> Form() {
        auto form = BuildPrintForm(context, Sheet::RaceCard, Day(), printer, "", nullptr);
        EXPECT_NE(form, nullptr);
        return form;
    }
    void Check(TAllPrintForm& form, std::initializer_list<int> rows) {
        for (int row : rows) form.CheckListBox1()->item(row)->setCheckState(Qt::Checked);
    }
    int Printed(std::size_t job) const {
        EXPECT_EQ(printer.jobs.at(job).pages.size(), 1u);
        return printer.jobs.at(job).pages.empty() ? 0 : pageOf.at(printer.jobs.at(job).pages[0]);
    }
    void IndexPages(const TAllPrintForm& form) {
        for (int p = 1; p <= form.PrevX1()->PageCount(); ++p) pageOf[&form.PrevX1()->Page(p)] = p;
    }
    FakePrinter printer;
    std::map<const RecordedPage*, int> pageOf;
};

TEST_F(PrintFormTest, ZoomComesFromTheSettingsAndIsStored) {
    keiba::TIniGT& ini = context.settings;
    ASSERT_TRUE(ini.WriteInteger("PrintZoom", "ratio", 3));
    auto form = Form();
    EXPECT_EQ(form->PrevX1()->ZoomScale(), 100);
    EXPECT_EQ(form->ZoomIndex(), 3);
    Find<QRadioButton>(*form, "Zoom5")->click();
    EXPECT_EQ(form->PrevX1()->ZoomScale(), 150);
    EXPECT_EQ(ini.ReadInteger("PrintZoom", "ratio", -1), 5);

    for (int stored : {8, -1}) {
        ASSERT_TRUE(ini.WriteInteger("PrintZoom", "ratio", stored));
        auto other = Form();
        EXPECT_EQ(other->PrevX1()->ZoomScale(), 50) << stored;
        EXPECT_EQ(other->ZoomIndex(), 1);
    }
}

TEST_F(PrintFormTest, BoundsAreHeldOnTheScreenAndStoredOnClose) {
    keiba::TIniGT& ini = context.settings;
    ASSERT_TRUE(ini.WriteInteger("Printlocate", "left", -5000));
    ASSERT_TRUE(ini.WriteInteger("Printlocate", "top", 40));
    ASSERT_TRUE(ini.WriteInteger("Printlocate", "width", 99999));
    ASSERT_TRUE(ini.WriteInteger("Printlocate", "height", 300));
    auto form = Form();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(form->geometry())) << form->geometry().x();
    EXPECT_EQ(form->geometry().height(), 300);
    form->setGeometry(20, 30, 500, 400);
    form->reject();
    EXPECT_EQ(ini.ReadInteger("Printlocate", "left", 0), 20);
    EXPECT_EQ(ini.ReadInteger("Printlocate", "top", 0), 30);
    EXPECT_EQ(ini.ReadInteger("Printlocate", "width", 0), 500);
    EXPECT_EQ(ini.ReadInteger("Printlocate", "height", 0), 400);
}

TEST_F(PrintFormTest, PrintsTheShownPageOrEveryCheckedPage) {
    auto form = Form();
    // The spinner's caption stands whole above it.
    const QLabel* caption = Find<QLabel>(*form, "Label1");
    EXPECT_GE(caption->height(), caption->sizeHint().height());
    EXPECT_LE(caption->geometry().bottom(), form->UpDown1()->geometry().top());
    IndexPages(*form);
    ASSERT_EQ(form->CheckListBox1()->count(), 4);
    EXPECT_EQ(form->CheckListBox1()->item(2)->text(), Q("東京 3R"));
    EXPECT_EQ(form->UpDown1()->maximum(), 4);
    EXPECT_FALSE(form->UpDown1()->isHidden());
    EXPECT_TRUE(Find<QPushButton>(*form, "BitBtn2")->isHidden());

    Find<QPushButton>(*form, "BitBtn7")->click();
    EXPECT_TRUE(printer.jobs.empty()); // nothing checked

    Check(*form, {0, 2});
    Find<QPushButton>(*form, "BitBtn7")->click();
    ASSERT_EQ(printer.jobs.size(), 2u);
    EXPECT_EQ(Printed(0), 1);
    EXPECT_EQ(Printed(1), 3);
    EXPECT_EQ(printer.printDialogs, 0);

    Find<QToolButton>(*form, "SpeedButton1")->click();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(form->CheckListBox1()->item(i)->checkState(), Qt::Checked);
    Find<QToolButton>(*form, "SpeedButton2")->click();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(form->CheckListBox1()->item(i)->checkState(), Qt::Unchecked);

    form->UpDown1()->setValue(2);
    EXPECT_EQ(form->PrevX1()->CurrentPage(), 2);
    Find<QPushButton>(*form, "BitBtn5")->click(); // the dialog is cancelled
    EXPECT_EQ(printer.jobs.size(), 2u);
    printer.printDialogAnswers = {true};
    Find<QPushButton>(*form, "BitBtn5")->click();
    ASSERT_EQ(printer.jobs.size(), 3u);
    EXPECT_EQ(Printed(2), 2);

    // A printer that fails is said once, not once for every checked page.
    printer.failToStart = true;
    Check(*form, {1, 3});
    Find<QPushButton>(*form, "BitBtn7")->click();
    EXPECT_EQ(notifier.messages, std::vector<std::string>{"印刷できませんでした。"});
}

TEST_F(PrintFormTest, ToAFileTheCheckedPagesMakeOneDocument) {
    printer.toFile = true;
    auto form = Form();
    IndexPages(*form);
    Check(*form, {0, 2});
    Find<QPushButton>(*form, "BitBtn7")->click();
    ASSERT_EQ(printer.jobs.size(), 1u);
    ASSERT_EQ(printer.jobs[0].pages.size(), 2u);
    EXPECT_EQ(pageOf.at(printer.jobs[0].pages[0]), 1);
    EXPECT_EQ(pageOf.at(printer.jobs[0].pages[1]), 3);
    // Declining to name the file prints nothing and says nothing.
    printer.declineFileName = true;
    Find<QPushButton>(*form, "BitBtn7")->click();
    EXPECT_EQ(printer.jobs.size(), 1u);
    EXPECT_TRUE(notifier.messages.empty());
}

// The sheet's own paper for the preview; A4 portrait again however the form is closed.
TEST_F(PrintFormTest, ClosingPutsThePrinterBackOnA4Portrait) {
    bool shown = false;
    PrintSheet(
        {context, Sheet::PastPerformance, Day(), 4, printer, "", nullptr, [&](QDialog& form) {
             shown = true;
             auto& print = static_cast<TAllPrintForm&>(form);
             EXPECT_EQ(print.windowTitle(), Q("過去成績表印刷"));
             EXPECT_TRUE(printer.Landscape());
             EXPECT_GT(print.PrevX1()->Page(1).Width(), print.PrevX1()->Page(1).Height());
             SaveShot(print, "pastperf-form.png");
         }});
    EXPECT_TRUE(shown);
    EXPECT_FALSE(printer.Landscape());
    ASSERT_FALSE(printer.paperCalls.empty());
    EXPECT_EQ(printer.paperCalls.back(), std::make_pair(kPaperA4, kPortrait));
}

TEST_F(PrintFormTest, NoDayOrNoPrinterIsSaidAndLeavesNoForm) {
    int shown = 0;
    auto count = [&](QDialog&) { ++shown; };
    PrintSheet({context, Sheet::RaceCard, Day(), 0, printer, "", nullptr, count});
    EXPECT_EQ(notifier.beeps, 1);
    EXPECT_EQ(notifier.messages, std::vector<std::string>{"分析用ﾃﾞｰﾀを選択してください。"});

    printer.printers.clear();
    notifier.messages.clear();
    PrintSheet({context, Sheet::PastPerformance, Day(), 4, printer, "", nullptr, count});
    EXPECT_EQ(notifier.messages, std::vector<std::string>{"プリンタが登録されていません"});
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(printer.paperCalls.empty());
    const QWidgetList windows = QApplication::topLevelWidgets();
    EXPECT_TRUE(std::none_of(windows.begin(), windows.end(), [](QWidget* w) {
        return qobject_cast<TAllPrintForm*>(w) != nullptr;
    }));
}

} // namespace
