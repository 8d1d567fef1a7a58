#pragma once
// The program's start: the JV-Link presence test, the title and the forms in their order.

#include "jvdata/jvlink.h"
#include "keiba/context.h"

#include <functional>
#include <memory>

class QApplication;

namespace betting {
class TUserKaimeForm;
}

namespace search {
class TNeraiGaitoForm;
class TRInputForm;
class TShutugenForm;
} // namespace search

namespace members {
class TDLDataForm;
}

namespace views {
class TDeSplForm;
}

namespace app {

class TMainForm;
class TPrgrsForm;

// Makes a JV-Link control; nothing when the control is not installed.
using JvLinkFactory = std::function<std::unique_ptr<jvdata::TJVLink>()>;

// The forms of the run. The main window owns the others (they are its child windows).
struct ApplicationForms {
    std::unique_ptr<TMainForm> MainForm;
    TPrgrsForm* PrgrsForm = nullptr;
    search::TShutugenForm* ShutugenForm = nullptr;
    search::TRInputForm* RInputForm = nullptr;
    search::TNeraiGaitoForm* NeraiGaitoForm = nullptr;
    views::TDeSplForm* DeSplForm = nullptr;
    members::TDLDataForm* DLDataForm = nullptr;
    betting::TUserKaimeForm* UserKaimeForm = nullptr;
    ~ApplicationForms();
};

// The application's title: the product name and one blank.
inline constexpr char kApplicationTitle[] = "ケストレーン ";

// The presence test, the title, and the forms created in order (the main window's creation
// handler runs first), every one of them given `context`, which outlives them. Nothing, after
// the message, when JV-Link is missing.
std::unique_ptr<ApplicationForms> StartApplication(const keiba::ProgramContext& context,
                                                   const JvLinkFactory& factory);

// The font every form is laid out for.
void UseApplicationFont(QApplication& application);

// The whole program in the program folder `folder`: the program context with the Qt platform
// layers, start-up, the message loop. The exit code.
int RunKestrane(QApplication& application, const std::filesystem::path& folder,
                const JvLinkFactory& factory);

} // namespace app
