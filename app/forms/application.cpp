#include "app/forms/application.h"

#include "app/forms/mainform.h"
#include "app/forms/prgrsform.h"
#include "betting/forms/userkaimeform.h"
#include "controls/fonts.h"
#include "controls/qtplatform.h"
#include "keiba/appdir.h"
#include "keiba/errorlog.h"
#include "members/forms/dldataform.h"
#include "search/forms/neraigaitoform.h"
#include "search/forms/rinputform.h"
#include "search/forms/shutugenform.h"
#include "views/forms/desplform.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

namespace app {

ApplicationForms::~ApplicationForms() = default;

std::unique_ptr<ApplicationForms> StartApplication(const keiba::ProgramContext& context,
                                                   const JvLinkFactory& factory) {
    {
        // The probe only tells whether the control is there; the window makes its own.
        std::unique_ptr<jvdata::TJVLink> probe = factory ? factory() : nullptr;
        if (!probe) {
            context.notifier.Beep();
            context.notifier.Information(
                "JRA-VANのホームページより【JV-Link】を入手し、インストールしてください。");
            return nullptr;
        }
    }
    QGuiApplication::setApplicationDisplayName(QString::fromUtf8(kApplicationTitle));

    auto forms = std::make_unique<ApplicationForms>();
    forms->MainForm = std::make_unique<TMainForm>(context, factory());
    TMainForm* main = forms->MainForm.get();
    forms->PrgrsForm = new TPrgrsForm(main);
    forms->ShutugenForm = new search::TShutugenForm(context, main->Operations(), main);
    forms->RInputForm = new search::TRInputForm(context, main->Day(), main);
    forms->NeraiGaitoForm = new search::TNeraiGaitoForm(context, main);
    forms->DeSplForm = new views::TDeSplForm(context, main);
    forms->DLDataForm = new members::TDLDataForm(context, main->Operations(), main);
    forms->UserKaimeForm = new betting::TUserKaimeForm(context, main->Day(), main);
    main->AttachForms(forms->PrgrsForm, forms->ShutugenForm, forms->RInputForm,
                      forms->NeraiGaitoForm, forms->UserKaimeForm);
    main->AttachDownloadForm(forms->DLDataForm);
    main->SaveBoundsAtQuit(*forms->ShutugenForm);
    main->SaveBoundsAtQuit(*forms->RInputForm);
    main->SaveBoundsAtQuit(*forms->NeraiGaitoForm);
    main->SaveBoundsAtQuit(*forms->DeSplForm);
    views::TDeSplForm* card = forms->DeSplForm;
    forms->ShutugenForm->SetOpenRace(
        [card](const raceday::RCardRace& race) { card->ShowRace(race); });
    return forms;
}

void UseApplicationFont(QApplication& application) {
    controls::InstallFontSubstitutes();
    const QString family = QStringLiteral("Noto Sans CJK JP");
    QFont font = application.font();
    if (QFontDatabase::families().contains(family)) font.setFamily(family);
    font.setPointSize(9);
    application.setFont(font);
}

int RunKestrane(QApplication& application, const std::filesystem::path& folder,
                const JvLinkFactory& factory) {
    controls::QtNotifier notifier;
    controls::QtShell shell;
    keiba::SystemClock clock;
    const keiba::ProgramContext context(folder, notifier, clock, shell, keiba::AppExeBaseName());
    const keiba::FailureLogging failureLogging(folder, clock);
    QApplication::setApplicationName(QStringLiteral("kestrane"));
    controls::UseJapanese(application);
    UseApplicationFont(application);

    int code = 0;
    if (auto forms = StartApplication(context, factory)) {
        notifier.SetOwner(forms->MainForm.get());
        forms->MainForm->show();
        code = application.exec();
    }
    return code;
}

} // namespace app
