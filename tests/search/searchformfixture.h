#pragma once
// The R-horse search form with its condition editor, in a program folder of its own, and the
// helpers that drive its controls by name.

#include "search/forms/conditioneditor.h"
#include "search/forms/shutugenform.h"

#include "controls/numedit.h"
#include "keiba/context.h"
#include "keiba/operations.h"
#include "raceday/daymodel.h"
#include "tests/support/fakes.h"
#include "tests/support/modelchecks.h"
#include "tests/support/tempdir.h"
#include "tests/support/widgets.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace testsupport {

class SearchForm : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<search::TShutugenForm>(context, operations);
        editor = form->ConditionEditor();
        checks.WatchAll(*form);
    }
    void TearDown() override {
        checks.Clear();
        form.reset();
    }

    template <typename T> T* Find(const char* name) const {
        return testsupport::Find<T>(*form, name);
    }
    QSpinBox* Spin(int half, search::NeraiFieldId id) const {
        return static_cast<QSpinBox*>(editor->Control(half, id));
    }
    controls::TSaNumEditExC* Num(int half, search::NeraiFieldId id) const {
        return static_cast<controls::TSaNumEditExC*>(editor->Control(half, id));
    }
    QListWidget* List(int half, search::NeraiFieldId id) const {
        return static_cast<QListWidget*>(editor->Control(half, id));
    }
    void Save(const char* name) {
        Find<QLineEdit>("NeraiEdit")->setText(QString::fromUtf8(name));
        form->NeraiSaveBtnClick();
    }
    void Choose(const char* name) {
        auto* combo = Find<QComboBox>("NeraiCombo");
        combo->setCurrentIndex(combo->findText(QString::fromUtf8(name)));
        form->NeraiComboChange();
    }
    std::string File(const char* name) const {
        return Slurp(dir / (std::string("nerai/") + name + ".nri"));
    }

    TempDir dir;
    RecordingNotifier notifier;
    TestClock clock;
    RecordingShell shell;
    keiba::ProgramContext context{dir.path(), notifier, clock, shell};
    // The main window's owner of long operations, which a walk holds.
    keiba::OperationOwner operations;
    std::unique_ptr<search::TShutugenForm> form;
    search::NeraiConditionEditor* editor = nullptr;
    // Qt's checks on every grid model of the form (hit lists, statistics, level table).
    ModelChecks checks;
    std::unique_ptr<raceday::RaceDay> day = std::make_unique<raceday::RaceDay>();
};

} // namespace testsupport
