#pragma once
// The main window started on the offscreen platform with a scripted JV-Link, in a program folder
// of its own or one whose data is the generated sample's. Every message goes through the
// recording notifier.

#include "app/forms/application.h"
#include "app/forms/mainform.h"
#include "fetch/fetchstate.h"
#include "keiba/context.h"
#include "raceday/daymodel.h"
#include "search/forms/neraigaitoform.h"
#include "tests/raceday/dayfixture.h"
#include "tests/support/fakejvlink.h"
#include "tests/support/modelchecks.h"
#include "tests/support/sample.h"
#include "tests/support/widgets.h"
#include "views/grid.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QTabWidget>

namespace testsupport {

namespace fs = std::filesystem;

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        app::UseApplicationFont(*qApp);
        UseFolder(dir.path());
    }
    void TearDown() override {
        checks.Clear();
        forms.reset();
    }

    // The program folder of the next start, with a context of its own.
    void UseFolder(const fs::path& p) {
        checks.Clear();
        forms.reset();
        appDir = p;
        context = std::make_unique<keiba::ProgramContext>(p, notifier, clock, shell);
    }
    const keiba::ProgramContext& Context() const { return *context; }
    // The settings file of the program folder in use.
    keiba::TIniGT& Ini() { return context->settings; }

    // Starts the program with a scripted JV-Link.
    app::TMainForm& Start(int initResult = 0, std::string version = "0490") {
        forms = app::StartApplication(*context, [this, initResult, version] {
            auto jv = std::make_unique<FakeJvLink>();
            jv->initResult = initResult;
            jv->version = version;
            lastJv = jv.get();
            return jv;
        });
        EXPECT_TRUE(forms);
        if (forms) {
            checks.WatchAll(*forms->MainForm);
            // The target hit list is filled cell by cell with every runner of the day, which
            // the checker makes half a minute under the sanitizers; its model is checked in
            // test_neraigaitoform.
            if (forms->NeraiGaitoForm) checks.Unwatch(forms->NeraiGaitoForm->StringGrid8->Model());
        }
        return *forms->MainForm;
    }
    app::TMainForm& Main() { return *forms->MainForm; }
    // The day the window loaded.
    raceday::RaceDay& Day() { return Main().Day(); }
    template <typename T> T* Find(const char* name) { return testsupport::Find<T>(Main(), name); }
    views::StringGrid* Grid(const char* name) { return Main().Grid(QString::fromLatin1(name)); }
    bool Shown(const char* name) {
        if (auto* m = Lookup<QMenu>(Main(), name)) return m->menuAction()->isVisible();
        if (auto* w = Lookup<QWidget>(Main(), name)) return !w->isHidden();
        if (auto* a = Lookup<QAction>(Main(), name)) return a->isVisible();
        ADD_FAILURE() << "no control " << name;
        return false;
    }
    QStringList VisibleTabs(const char* tabs) {
        QStringList out;
        auto* t = Find<QTabWidget>(tabs);
        for (int i = 0; i < t->count(); ++i)
            if (t->isTabVisible(i)) out << t->tabText(i);
        return out;
    }
    void ChooseDay(const QString& stem) {
        auto* combo = Find<QComboBox>("DateCombo");
        int i = combo->findText(stem);
        ASSERT_GE(i, 0) << stem.toStdString();
        combo->setCurrentIndex(i);
        Q_EMIT combo->activated(i);
    }
    // A program folder whose data is the sample's.
    void UseSample() {
        ASSERT_TRUE(fs::exists(SampleFolder() / "done")) << "the sample generator failed";
        UseSampleIn(dir.path());
    }

    TempDir dir;
    fs::path appDir;
    RecordingNotifier notifier;
    TestClock clock;
    RecordingShell shell;
    std::unique_ptr<keiba::ProgramContext> context;
    std::unique_ptr<app::ApplicationForms> forms;
    // Qt's checks on every grid model of the window and the forms it owns.
    ModelChecks checks;
    FakeJvLink* lastJv = nullptr;
};

// A program folder whose data is the sample's.
class SampleTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        UseSample();
    }
};

} // namespace testsupport
