// The main window and the owner of long operations: while a day load, a batch load, an import,
// a fetch, a download or a search holds it, no menu item or tool button reads the day or
// writes a file from it; the commands grey out while it is held and come back when it is given
// back, on every way out of a load. Closing the window ends the operation first.

#include "controls/folderviewer.h"
#include "controls/speedbutton.h"
#include "search/forms/rinputform.h"
#include "tests/app/mainfixture.h"
#include "views/print/fakeprinter.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <functional>

#include <map>
#include <optional>
#include <set>

using namespace testsupport;
namespace fs = std::filesystem;
using keiba::Operation;

namespace {

constexpr const char kBusy[] = "他の処理の実行中です。終了してから実行してください。";

// A program folder of its own (no links into the shared sample, which a faulty command would
// write into): the sample's two days and the members' files of the first.
class OperationsTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        ASSERT_TRUE(fs::exists(SampleFolder() / "done")) << "the sample generator failed";
        for (const char* folder : {"Data", "VZK", "nerai", "CSV"})
            fs::create_directories(dir / folder);
        for (const auto& e : fs::directory_iterator(SampleFolder() / "Data")) {
            const std::string name = keiba::PathToUtf8(e.path().filename());
            if (name.starts_with("2026年11月28日") || name.starts_with("2026年11月29日"))
                fs::copy_file(e.path(), dir / "Data" / e.path().filename());
        }
        for (const char* name : {"XQ20261128.vzkd", "RCOM20261128.CSV"})
            fs::copy_file(SampleFolder() / "VZK" / name, dir / "VZK" / name);
        // The manual is there, so that the help command opens it instead of saying it is not.
        WriteBytes(dir / "Kestrane.pdf", "%PDF");
    }

    // Everything a command could leave behind, but the settings file (the settings dialogs and
    // the window's toggles keep their choices there, which no operation reads back meanwhile).
    std::map<std::string, std::string> Files() const {
        std::map<std::string, std::string> files;
        for (const auto& e : fs::recursive_directory_iterator(dir.path())) {
            if (!e.is_regular_file() || e.path().filename() == "kestrane.ini") continue;
            files[keiba::PathToUtf8(fs::relative(e.path(), dir.path()))] = Slurp(e.path());
        }
        return files;
    }

    // The day as the commands could change it: its records, the race shown and the stakes.
    std::string Fingerprint() {
        const raceday::RaceDay& d = Day();
        std::string f = d.dayStem + "|" + std::to_string(d.gCurRace) + "|" +
                        std::to_string(d.gCurHorse) + "|" + std::to_string(d.gDayRaceCount) + "|";
        std::size_t h = 0;
        auto mix = [&h](std::string_view bytes) {
            h = h * 1000003u ^ std::hash<std::string_view>{}(bytes);
        };
        for (std::size_t r = 0; r < raceday::kMaxRaces; ++r) {
            mix(d.gDayRaces[r].Bytes());
            mix(d.gDayPayouts[r].Bytes());
            mix(d.gDayOddsO1[r].Bytes());
            for (std::size_t n = 0; n < raceday::kMaxRunners; ++n) {
                mix(d.gDayHorses[r][n].Bytes());
                mix(d.gDayHorseAnalysis[r][n].Bytes());
                f += d.gRaceCalc[r].Tracked[n] ? "t" : "";
            }
            f += std::to_string(d.RaceAmounts[r]) + ",";
        }
        for (const raceday::TNeraiRecord& n : d.gNeraiSlots) mix(n.Bytes());
        return f + std::to_string(h);
    }

    // Whether `o` belongs to one of the forms the window owns rather than to the window.
    static bool InDialog(const QObject* o) {
        for (; o; o = o->parent())
            if (qobject_cast<const QDialog*>(o)) return true;
        return false;
    }
    // Every menu item and tool button of the window, with the buttons other code clicks; the
    // two that close the window are left out.
    std::vector<QAction*> Actions() {
        std::vector<QAction*> out;
        for (QAction* a : Main().findChildren<QAction*>())
            if (!a->objectName().isEmpty() && a->objectName() != QStringLiteral("Exit1") &&
                !InDialog(a))
                out.push_back(a);
        return out;
    }
    std::vector<QWidget*> Buttons() {
        std::vector<QWidget*> out;
        for (auto* b : Main().findChildren<controls::TLbSpeedButton*>())
            if (!InDialog(b) && b->objectName() != QStringLiteral("QuitButton")) out.push_back(b);
        for (const char* name : {"NeraiGaitoBtn", "TohyoCSVBtn", "TohyouBtn", "OzGetLoopBtn",
                                 "LOzBtn", "AOzBtn", "MOzBtn", "GetDMBtn"})
            out.push_back(Find<QPushButton>(name));
        return out;
    }
    static void Click(QWidget* w) {
        if (auto* b = qobject_cast<controls::TLbSpeedButton*>(w))
            b->Click();
        else
            static_cast<QPushButton*>(w)->click();
    }
    std::map<QObject*, bool> EnabledStates() {
        std::map<QObject*, bool> states;
        for (QAction* a : Actions()) states[a] = a->isEnabled();
        for (QWidget* w : Buttons()) states[w] = w->isEnabled();
        return states;
    }
};

TEST_F(OperationsTest, NoCommandReadsOrWritesWhatARunningOperationWrites) {
    app::TMainForm& main = Start();
    ChooseDay(QStringLiteral("2026年11月28日"));
    Find<QListWidget>("DatList")->setCurrentRow(3);
    ASSERT_EQ(Day().gCurRace, 3);
    auto printer = std::make_unique<views::print::FakePrinter>();
    views::print::FakePrinter& jobs = *printer;
    main.SetPrinterForTest(std::move(printer));
    // The lists the odds buttons loop over name a race of the day.
    const std::string line = std::string(Day().gDayRaces[3].KeyText()) + " 3";
    main.WorkList = main.AsaOzRaces = main.ChukanOzRaces = main.ChokuzenOzRaces = {line};
    QStringList dialogs;
    main.SetModalHookForTest([&](QDialog& d) {
        dialogs << d.objectName();
        d.reject();
    });
    for (auto* viewer : main.findChildren<controls::TFolderViewerEx*>())
        viewer->SetExecHook([](QFileDialog&) { return int(QDialog::Rejected); });
    // Every question is answered Yes: a command that asks first must not get that far.
    notifier.answers = std::deque<bool>(1000, true);

    const std::map<QObject*, bool> before = EnabledStates();
    const std::map<std::string, std::string> files = Files();
    const std::string day = Fingerprint();
    for (Operation op : {Operation::DayLoad, Operation::BatchLoad, Operation::Import,
                         Operation::Fetch, Operation::Download, Operation::Search}) {
        SCOPED_TRACE(static_cast<int>(op));
        const keiba::OperationOwner::Hold hold = main.Operations().Take(op);
        ASSERT_TRUE(hold);
        lastJv->calls.clear();
        notifier.messages.clear();
        dialogs.clear();
        // As a user can reach them: what is enabled.
        for (QAction* a : Actions())
            if (a->isEnabled()) a->trigger();
        for (QWidget* w : Buttons())
            if (w->isEnabled()) Click(w);
        // As timers and other code reach them: the handlers themselves refuse.
        for (QAction* a : Actions()) {
            const bool enabled = a->isEnabled();
            a->setEnabled(true);
            a->trigger();
            a->setEnabled(enabled);
        }
        for (QWidget* w : Buttons()) Click(w);

        EXPECT_TRUE(lastJv->calls.empty());
        EXPECT_TRUE(jobs.jobs.empty());
        // Only the settings dialogs open, and they are rejected.
        for (const QString& d : dialogs)
            EXPECT_TRUE(d == QStringLiteral("OzGetTimeForm") || d == QStringLiteral("IDPASSForm") ||
                        d == QStringLiteral("AboutBox"))
                << d.toStdString();
        for (const std::string& m : notifier.messages) EXPECT_EQ(m, kBusy);
        EXPECT_EQ(Files(), files);
        EXPECT_EQ(Fingerprint(), day);
        EXPECT_EQ(main.Operations().Running(), op);
    }
    EXPECT_FALSE(main.Operations().Busy());
    EXPECT_EQ(EnabledStates(), before);
}

// The commands that missed the checks: the R-horse files, Get・Give and the downloads into VZK
// refuse with a beep and the reason while an operation runs.
TEST_F(OperationsTest, ARefusedCommandBeepsAndSaysWhy) {
    app::TMainForm& main = Start();
    ChooseDay(QStringLiteral("2026年11月28日"));
    const std::map<std::string, std::string> files = Files();
    {
        const auto load = main.Operations().Take(Operation::DayLoad);
        notifier.messages.clear();
        notifier.beeps = 0;
        main.N37Click();
        main.GiveGet1Click();
        main.GetXQdata1Click();
        main.N47Click();
        main.GetXQdataKakoClick();
        EXPECT_EQ(notifier.messages, std::vector<std::string>(5, kBusy));
        EXPECT_EQ(notifier.beeps, 5);
    }
    EXPECT_EQ(Files(), files);
    // Free again, the R-horse files are written.
    main.N37Click();
    EXPECT_TRUE(fs::exists(dir / "CSV/RUma20261128.csv"));
}

// A real day load: the commands are disabled while it runs and enabled again after it, also
// when the day cannot be loaded.
TEST_F(OperationsTest, TheMenusGreyOutWhileADayLoadsAndComeBackAfter) {
    app::TMainForm& main = Start();
    const std::map<QObject*, bool> before = EnabledStates();
    std::optional<Operation> during;
    std::map<std::string, bool> enabledDuring;
    auto look = [&] {
        during = main.Operations().Running();
        for (const char* name : {"N37", "GiveGet1", "GetXQdata1", "N47", "JV1", "FilePrintItem",
                                 "N1O1", "T1", "K1", "N18"})
            enabledDuring[name] = Find<QAction>(name)->isEnabled();
        for (const char* name : {"XQDataBtn", "JVBtn", "KekkaGetBtn", "SokuhoOddsBtn", "PrintBtn",
                                 "HdInputBtn", "NextRaceBtn"})
            enabledDuring[name] = Find<QWidget>(name)->isEnabled();
    };
    // The load pumps events when it shows its progress: the look runs inside it.
    QTimer::singleShot(0, &main, look);
    ChooseDay(QStringLiteral("2026年11月28日"));
    ASSERT_EQ(during, Operation::DayLoad);
    for (const auto& [name, enabled] : enabledDuring) EXPECT_FALSE(enabled) << name;
    EXPECT_FALSE(main.Operations().Busy());
    EXPECT_EQ(EnabledStates(), before);

    // A day whose race file went: the load ends early and still gives the owner back.
    fs::remove(dir / "Data/2026年11月29日.jvRA");
    ChooseDay(QStringLiteral("2026年11月29日"));
    EXPECT_EQ(notifier.messages.back(), "データ作成が未完了のようです。");
    EXPECT_FALSE(main.Operations().Busy());
    EXPECT_EQ(EnabledStates(), before);
}

} // namespace

// Closed while a long operation runs, the window stays, with every window that shows the work,
// until the operation ends at its next pass; it closes then, with nothing left half done: a day
// load leaves no day, a batch load loads no further day, an odds loop fetches no further race.
TEST_F(OperationsTest, ClosingTheWindowEndsTheRunningOperationBeforeAnyWindowGoes) {
    struct Case {
        const char* what;
        std::function<void()> before;
        std::function<void(app::TMainForm&)> run;
        std::function<void()> endedEarly;
    };
    const auto none = [] {};
    const std::vector<Case> cases = {
        {"day load", none, [this](app::TMainForm&) { ChooseDay(QStringLiteral("2026年11月28日")); },
         [this] {
             EXPECT_EQ(Find<QListWidget>("DatList")->count(), 0);
             EXPECT_EQ(Day().gDayRaceCount, 0);
             EXPECT_TRUE(Day().gDayRaces[0].IsBlank());
         }},
        // Oldest first: 11/28, then 11/29.
        {"batch load", none, [](app::TMainForm& main) { main.DirectReadBtnClick(); },
         [this] {
             EXPECT_NE(Day().dayStem, "2026年11月29日");
             EXPECT_EQ(Day().gDayRaceCount, 0);
         }},
        {"odds loop", [this] { ChooseDay(QStringLiteral("2026年11月28日")); },
         [this](app::TMainForm& main) {
             for (int r = 0; r < 3; ++r)
                 main.WorkList.push_back(std::string(Day().gDayRaces[r].KeyText()) + " " +
                                         std::to_string(r));
             lastJv->calls.clear();
             Find<QPushButton>("OzGetLoopBtn")->click();
         },
         [this] {
             int opens = 0;
             for (const auto& call : lastJv->calls) opens += call.method == "JVRTOpen";
             EXPECT_EQ(opens, 1);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        app::TMainForm& main = Start();
        main.show();
        c.before();
        bool busyAtClose = false;
        QList<QWidget*> hidden;
        QTimer::singleShot(0, &main, [&] {
            const QWidgetList shown = [] {
                QWidgetList v;
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (w->isVisible()) v << w;
                return v;
            }();
            busyAtClose = main.Operations().Busy();
            main.close();
            for (QWidget* w : shown)
                if (!w->isVisible()) hidden << w;
        });
        c.run(main);
        ASSERT_TRUE(busyAtClose);
        for (QWidget* w : hidden) ADD_FAILURE() << w->objectName().toStdString() << " hidden";
        EXPECT_TRUE(main.isVisible());
        c.endedEarly();
        EXPECT_FALSE(main.Operations().Busy());
        QCoreApplication::processEvents();
        EXPECT_FALSE(main.isVisible());
        EXPECT_EQ(Ini().ReadInteger("locate", "width", 0), main.width());
    }
}

// A day that does not load (its race file gone, damaged or empty) leaves no header, race list
// or race pages of the day shown before it.
TEST_F(OperationsTest, ADayThatDoesNotLoadLeavesNothingOfThePreviousDayOnTheScreen) {
    const fs::path raFile = dir / "Data/2026年11月29日.jvRA";
    const std::string sound = Slurp(raFile);
    struct Case {
        const char* what;
        std::optional<std::string> bytes; // nothing: the file is gone
    };
    const Case cases[] = {{"missing", std::nullopt},
                          {"damaged", std::string(sound.size(), '\x81')},
                          {"empty", std::string()}};
    Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ChooseDay(QStringLiteral("2026年11月28日"));
        ASSERT_FALSE(Find<QLabel>("Label1")->text().isEmpty());
        if (c.bytes)
            WriteBytes(raFile, *c.bytes);
        else
            fs::remove(raFile);
        notifier.messages.clear();
        ChooseDay(QStringLiteral("2026年11月29日"));
        EXPECT_EQ(notifier.messages.size(), 1u);
        for (const char* name : {"BashoLabel", "RaceLabel", "Label1", "Label2", "Label3", "Label4",
                                 "Label6", "Label7", "TFWtimeLabel", "RLevelLabel"})
            EXPECT_TRUE(Find<QLabel>(name)->text().isEmpty()) << name;
        EXPECT_FALSE(Find<QLabel>("RaceLabel")->autoFillBackground());
        EXPECT_EQ(Find<QListWidget>("DatList")->count(), 0);
        EXPECT_EQ(forms->RInputForm->DatList()->count(), 0);
        EXPECT_TRUE(Find<QTabWidget>("PageControl1")->isHidden());
        EXPECT_EQ(Find<QComboBox>("DateCombo")->currentText(), QStringLiteral("2026年11月29日"));
        WriteBytes(raFile, sound);
    }
}
