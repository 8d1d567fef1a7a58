// Commands that open a form or a document: the data import, the settings dialogs, the R-horse
// forms, the target hits, the manual and the version box.

#include "app/forms/mainform.h"

#include "app/forms/aboutbox.h"
#include "app/forms/bethost.h"
#include "app/forms/fetchhost.h"
#include "app/forms/mainform_parts.h"
#include "betting/forms/kaimesetform.h"
#include "betting/forms/userkaimeform.h"
#include "controls/qtext.h"
#include "fetch/forms/getdataform.h"
#include "fetch/forms/ozgettimeform.h"
#include "keiba/fileio.h"
#include "keiba/platform.h"
#include "keiba/sjis.h"
#include "search/forms/neraigaitoform.h"
#include "search/forms/rinputform.h"
#include "search/forms/shutugenform.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>

namespace app {

using mainform_parts::U;

namespace fs = std::filesystem;

int TMainForm::ExecModal(QDialog& dialog) {
    if (modalHook_) {
        modalHook_(dialog);
        return dialog.result();
    }
    return dialog.exec();
}

// The dialog is created on each command and freed when it has closed.
void TMainForm::JVBtnClick() {
    if (Busy()) return;
    fetch::TGetDataForm form(
        context_, jvLink_.get(), fetchHost_->Flags(), operations_, [this] { AfterDataImport(); },
        this);
    ExecModal(form);
}

void TMainForm::N8Click() {
    fetch::TOzGetTimeForm form(context_, this);
    ExecModal(form);
}

// The dialog frees itself when it closes.
void TMainForm::N18Click() {
    if (Busy()) return;
    auto* form = new betting::TKaimeSetForm(context_, Day(), betHost_.get(), this);
    ExecModal(*form);
}

void TMainForm::K1Click() {
    if (Busy() || !userKaimeForm_) return;
    ExecModal(*userKaimeForm_);
    if (DatList->count() > 0) DatListClick();
}

void TMainForm::RSerchBtnClick() {
    if (shutugenForm_) shutugenForm_->show();
}

void TMainForm::HdInputBtnClick() {
    if (Busy()) return;
    keiba::Notifier& notifier = context_.notifier;
    if (keiba::IsBlankText(controls::QToSj(DateCombo->currentText()))) {
        notifier.Beep();
        notifier.Information("開催日ﾃﾞｰﾀを読み込んでください。");
        return;
    }
    if (DatList->count() == 0) {
        notifier.Beep();
        notifier.Information("ﾃﾞｰﾀが不十分のようです。");
        return;
    }
    if (!rinputForm_) return;
    rinputForm_->DatList()->setCurrentRow(DatList->currentRow());
    rinputForm_->DatListClick();
    ExecModal(*rinputForm_);
    // The hand input changes the day's R marks: the day is read again.
    DateComboChange();
}

void TMainForm::NeraiGaitoBtnClick() {
    if (Busy() || DateCombo->currentIndex() < 0 || !gaitoForm_) return;
    gaitoForm_->FillHits(Day(), DateCombo->currentText(), DatList->count());
    ExecModal(*gaitoForm_);
}

void TMainForm::HelpButtonClick() {
    fs::path manual = appDir_ / "Kestrane.pdf";
    std::error_code ec;
    if (fs::exists(manual, ec)) {
        // Where no program opens PDFs the desktop says so only on the console.
        if (!context_.shell.Open(keiba::PathToUtf8(manual))) {
            context_.notifier.Beep();
            context_.notifier.Information("使用解説書[" + keiba::PathToUtf8(manual) +
                                          "]を開けませんでした。\nPDFを表示するソフトを確かめて"
                                          "ください。");
        }
        return;
    }
    context_.notifier.Beep();
    context_.notifier.Information("使用解説書[Kestrane.pdf]が見つかりません。");
}

void TMainForm::VerButton1Click() {
    auto* box = new TAboutBox(context_, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->Version()->setText(U(versionText_));
    ExecModal(*box);
}

} // namespace app
