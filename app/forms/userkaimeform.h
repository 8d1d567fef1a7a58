#pragma once

#include <QDialog>

#include <array>

class QComboBox;

namespace app {

// The user bet settings, created at start-up and kept for the run.
class TUserKaimeForm : public QDialog {
    Q_OBJECT
public:
    explicit TUserKaimeForm(QWidget* parent = nullptr);
    // NeraiKaimeCombo1..3.
    QComboBox* NeraiKaimeCombo(int u) const;
    // `NeraiKaimeCombo<u>Change`: the user setting u's target condition and its search.
    void NeraiKaimeComboChange(int u);
    // `MakeListBtnClick`: the three combos list the saved target sets again, keeping the names
    // they show.
    void MakeListBtnClick();

private:
    std::array<QComboBox*, 3> combos_{};
};

} // namespace app
