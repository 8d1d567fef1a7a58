#pragma once
// `TKaimeSetForm` (買い目設定): the default stake per race that every race of a newly loaded
// day starts with. Created by the main window's menu item N18 and shown modally; it frees
// itself when closed.

#include "betting/host.h"
#include "keiba/context.h"
#include "raceday/daymodel.h"

#include <QDialog>

class QPushButton;

namespace controls {
class TSaNumEditExC;
}

namespace betting {

class TKaimeSetForm : public QDialog {
    Q_OBJECT
public:
    // `host` may be null (no main window): OK then only stores the value.
    TKaimeSetForm(const keiba::ProgramContext& context, const raceday::RaceDay& day, BetHost* host,
                  QWidget* parent = nullptr);

    controls::TSaNumEditExC* AmountEdit() const { return SaNumEditExC1; }
    QPushButton* OkButton() const { return BitBtn1; }

    // OK: at least 100 stored as KaimeSet/DefaultAmount, the race shown again, then closed.
    void BitBtn1Click();

private:
    const keiba::ProgramContext& context_;
    const raceday::RaceDay& day_;
    BetHost* host_;
    keiba::TIniGT& IniGT1;
    controls::TSaNumEditExC* SaNumEditExC1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
};

} // namespace betting
