// Every window that keeps its bounds in the settings file, opened, shown and closed three times
// as the program opens and closes it: the bounds it stores are the bounds it was given, run
// after run. A window restored by its frame's position and stored by its client area's (or the
// other way round) creeps by the frame's size at every run.
//
// Offscreen windows have a 2-pixel frame, so a mix of the two shows here too; on a real display
// with a window manager (QT_QPA_PLATFORM=xcb) the title bar makes it 20 pixels. The offscreen
// screen of the tests is a laptop's 1280x800 one.

#include "app/forms/application.h"
#include "app/forms/mainform.h"
#include "controls/formbounds.h"
#include "keiba/fileio.h"
#include "keiba/inigt.h"
#include "search/forms/neraigaitoform.h"
#include "search/forms/rinputform.h"
#include "search/forms/shutugenform.h"
#include "tests/app/mainfixture.h"
#include "tests/support/waits.h"
#include "views/forms/desplform.h"
#include "views/print/allprintform.h"
#include "views/print/fakeprinter.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

#include <functional>
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

    // Shows a window as the program does and waits until the window system has framed it (at
    // once offscreen; on a real display, once the window manager has), the frame the program
    // fits the window and stores its bounds by.
    static void ShowSettled(QWidget& w) {
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return !controls::WindowFrame(w).isNull(); }, kHangGuardMs));
    }

    void Seed(const Bounds& bounds) {
        for (const Stored& s : kStored)
            for (std::size_t k = 0; k < s.keys.size(); ++k)
                ASSERT_TRUE(Ini().WriteInteger(s.section, s.keys[k], bounds.at(s.section)[k]));
    }

    // One run of the program: the main window and the forms it owns, and one print form, each
    // shown, handed to `use` and closed.
    void OneRun(const std::function<void(QWidget&)>& use = {}) {
        app::TMainForm& main = Start();
        ShowSettled(main);
        if (use) use(main);
        for (QWidget* w : std::initializer_list<QWidget*>{
                 forms->ShutugenForm, forms->NeraiGaitoForm, forms->DeSplForm, forms->RInputForm}) {
            ShowSettled(*w);
            if (use) use(*w);
            w->close();
        }
        {
            views::print::FakePrinter printer;
            views::print::TAllPrintForm print(Context(), printer, &main);
            ShowSettled(print);
            if (use) use(print);
            print.CloseForm();
            print.hide();
        }
        main.close();  // stores its own bounds and those of the forms it owns
        forms.reset(); // and nothing is stored, nor said, as they go
    }
};

TEST_F(FormBoundsTest, ASavedBoundsComeBackExactly) {
    Bounds seeded;
    for (const Stored& s : kStored) seeded[s.section] = s.seeded;
    Seed(seeded);
    for (int run = 1; run <= 3; ++run) {
        OneRun();
        const Bounds stored = Read();
        for (const Stored& s : kStored)
            EXPECT_EQ(stored.at(s.section), seeded.at(s.section)) << s.section << ", run " << run;
    }
}

// Saved on a 1600x1000 screen, at its right and bottom edges: each window opens whole on this
// smaller one, its frame too. One that fits is only moved in; the main window, as large as the
// old screen, is cut to this one.
TEST_F(FormBoundsTest, AWindowSavedOnALargerScreenOpensInsideThisOne) {
    Bounds seeded;
    for (const Stored& s : kStored) {
        seeded[s.section] = s.seeded;
        seeded[s.section][0] += 500;  // top
        seeded[s.section][1] += 1000; // left
    }
    seeded["locate"] = {0, 1700, 1600, 1000};
    Seed(seeded);
    OneRun([&](QWidget& w) {
        const QRect room = w.screen()->availableGeometry();
        const std::string name = w.objectName().toStdString();
        EXPECT_TRUE(room.contains(w.frameGeometry())) << name;
        if (name == "MainForm") {
            EXPECT_EQ(w.frameGeometry().size(), room.size());
        } else if (name == "NeraiGaitoForm") {
            EXPECT_EQ(w.size(), QSize(560, 480));
        } else if (name == "DeSplForm") {
            EXPECT_EQ(w.size(), QSize(580, 520));
        }
    });
}

// Each window replaces the settings file once for its bounds, and the user hears when the file
// keeps the old ones (here: a file an editor saved as UTF-16, never written over): the print
// form, closed on its own while the program runs, says it then; the windows that store theirs
// at the quit, all refused for that one cause, say it once between them.
TEST_F(FormBoundsTest, EachWindowSavesItsBoundsInOneWriteAndOneRefusalIsSaidOnceAtTheQuit) {
    const auto moveAndGrow = [](int d) {
        return [d](QWidget& w) {
            w.move(w.pos() + QPoint(d, d));
            w.resize(w.size() + QSize(d, d));
        };
    };
    const std::filesystem::path ini = Ini().FullPath();
    OneRun(); // the saved bounds are the windows' own from here on
    const std::uint64_t before = keiba::WriteCount(ini);
    OneRun(moveAndGrow(6));
    EXPECT_EQ(keiba::WriteCount(ini) - before, kStored.size());
    EXPECT_TRUE(notifier.messages.empty());

    std::string utf16 = "\xFF\xFE";
    for (char c : Slurp(ini)) utf16 += std::string{c, '\0'};
    WriteBytes(ini, utf16);
    OneRun(moveAndGrow(-4));
    const std::string refused = ini.string() +
                                " はUTF-16で保存されているため、設定を書き込めません。Shift-JISか"
                                "UTF-8で保存し直してください。";
    EXPECT_EQ(notifier.messages, std::vector<std::string>(2, refused));
}

} // namespace
