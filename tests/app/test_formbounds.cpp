// Every window that keeps its bounds in the settings file, opened, shown and closed three times
// as the program opens and closes it: the bounds it stores are the bounds it was given, run
// after run. A window restored by its frame's position and stored by its client area's (or the
// other way round) creeps by the frame's size at every run.
//
// Offscreen windows have a 2-pixel frame, so a mix of the two shows here too; on a real display
// with a window manager (QT_QPA_PLATFORM=xcb) the title bar makes it 20 pixels.

#include "app/forms/application.h"
#include "app/forms/mainform.h"
#include "keiba/inigt.h"
#include "search/forms/neraigaitoform.h"
#include "search/forms/rinputform.h"
#include "search/forms/shutugenform.h"
#include "tests/app/mainfixture.h"
#include "views/forms/desplform.h"
#include "views/print/allprintform.h"
#include "views/print/fakeprinter.h"

#include <QApplication>
#include <QTest>

#include <map>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

struct Stored {
    const char* section;
    std::vector<const char*> keys;
    std::vector<int> seeded; // in the order of `keys`
};

// Bounds above every window's least size and low enough for a window manager's title bar, so
// that nothing but the store and the restore can change them.
const std::vector<Stored> kStored = {
    {"locate", {"top", "left", "width", "height"}, {12, 14, 900, 600}},
    {"Printlocate", {"top", "left", "width", "height"}, {40, 18, 640, 460}},
    {"locateShutugenForm", {"top", "left", "width", "height"}, {24, 26, 760, 540}},
    {"locateNeraiGaitoForm", {"top", "left", "width", "height"}, {52, 202, 560, 480}},
    {"locateDeSplForm", {"top", "left", "width", "height"}, {28, 200, 580, 520}},
    {"locateRInputForm", {"top", "left"}, {50, 100}},
};

class FormBoundsTest : public MainFormTest {
protected:
    using Bounds = std::map<std::string, std::vector<int>>;

    Bounds Read() {
        Bounds out;
        for (const Stored& s : kStored)
            for (const char* key : s.keys)
                out[s.section].push_back(Ini().ReadInteger(s.section, key, -1));
        return out;
    }

    // Shows a window as the program does and waits until the window system has placed it (on a
    // real display, until its frame is known).
    static void ShowSettled(QWidget& w) {
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        QTest::qWait(150);
    }

    // One run of the program: the main window and the forms it owns, and one print form.
    void OneRun() {
        app::TMainForm& main = Start();
        ShowSettled(main);
        for (QWidget* w : std::initializer_list<QWidget*>{
                 forms->ShutugenForm, forms->NeraiGaitoForm, forms->DeSplForm, forms->RInputForm}) {
            ShowSettled(*w);
            w->close();
        }
        {
            views::print::FakePrinter printer;
            views::print::TAllPrintForm print(Context(), printer, &main);
            ShowSettled(print);
            print.CloseForm();
            print.hide();
        }
        main.close();
        forms.reset(); // the owned forms store theirs as they go
    }
};

TEST_F(FormBoundsTest, ASavedBoundsComeBackExactly) {
    Bounds seeded;
    for (const Stored& s : kStored) {
        for (std::size_t k = 0; k < s.keys.size(); ++k)
            ASSERT_TRUE(Ini().WriteInteger(s.section, s.keys[k], s.seeded[k]));
        seeded[s.section] = s.seeded;
    }
    for (int run = 1; run <= 3; ++run) {
        OneRun();
        const Bounds stored = Read();
        for (const Stored& s : kStored)
            EXPECT_EQ(stored.at(s.section), seeded.at(s.section)) << s.section << ", run " << run;
    }
}

} // namespace
