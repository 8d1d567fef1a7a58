#pragma once
// `TShutugenForm` (caption "R馬検索"): created at start-up, alive for the run, shown without
// waiting. This part holds its 成績検索 tab: the condition editor and the saved target sets
// (save, load, clear, delete, and the lists of saved sets here, in the main window's four
// target combos and, through a hook, in the user combination settings). Other tabs are added
// to `PageControl()` by their own parts.

#include "keiba/inigt.h"

#include <QDialog>

#include <array>
#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace search {

class NeraiConditionEditor;

class TShutugenForm : public QDialog {
    Q_OBJECT
public:
    // `FormCreate`: restores the bounds and fills the form's own list of saved sets.
    explicit TShutugenForm(QWidget* parent = nullptr);
    // `FormDestroy`: stores the bounds.
    ~TShutugenForm() override;

    // The main window's NeraiCombo1..4: the list refresh fills them too and reselects the names
    // of `Myfavo`. Attaching runs the refresh once.
    void AttachTargetCombos(const std::array<QComboBox*, 4>& combos);
    // `TUserKaimeForm.MakeListBtnClick`, run after every save and delete.
    void SetUserKaimeMakeList(std::function<void()> makeList) {
        userKaimeMakeList_ = std::move(makeList);
    }

    // --- handlers ---
    void NeraiSaveBtnClick();
    void NeraiComboChange();
    void ClearSetBtnClick();
    void NeraiDelBtnClick();
    void MakeListBtnClick();

    QTabWidget* PageControl() const { return PageControl1; }
    QWidget* SeisekiPage() const { return seisekiPage_; }
    NeraiConditionEditor* ConditionEditor() const { return editor_; }

private:
    QTabWidget* PageControl1 = nullptr;
    QWidget* seisekiPage_ = nullptr;
    NeraiConditionEditor* editor_ = nullptr;
    QLineEdit* NeraiEdit = nullptr;
    QComboBox* NeraiCombo = nullptr;
    QPushButton* NeraiSaveBtn = nullptr;
    QPushButton* NeraiDelBtn = nullptr;
    QPushButton* ClearSetBtn = nullptr;
    QPushButton* MakeListBtn = nullptr;
    std::array<QComboBox*, 4> targetCombos_{};
    std::function<void()> userKaimeMakeList_;
    keiba::TIniGT ini_;
};

} // namespace search
