#pragma once
// The データ確認 tab of the R-horse search form: one members' analysis day file as it arrived,
// its races in a list and the 54 columns of each runner of the chosen race. The tab reads the
// file into a table of its own (raceday/vzkcheck.h) and never touches the loaded day.
//
// The tab's hidden menu carries the batch day load `MakeCPDB`, which runs the main window's day
// load; the main window connects it (mainform_checkpage.cpp).

#include "keiba/context.h"
#include "raceday/vzkcheck.h"

#include <QWidget>

class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QMenuBar;
class QPushButton;

namespace views {
struct CellPaint;
class StringGrid;
} // namespace views

namespace app {

class DataCheckPage : public QWidget {
    Q_OBJECT
public:
    explicit DataCheckPage(const keiba::ProgramContext& context, QWidget* parent = nullptr);

    // `MakeDataListBtnClick`: the dates of <AppDir>/VZK, newest first, listed afresh; the first
    // is loaded.
    void MakeDataListBtnClick();
    // After a download: the dates listed afresh (a new day may have come) and the date chosen
    // before, when it is still there, read again; else the newest.
    void RereadDay();
    // `DateComboChange`: the file of the chosen date into the tab's table, its races listed and
    // the first shown. A date whose file is gone empties the grid's rows and keeps the list.
    void DateComboChange();
    // `DatListClick`: the chosen race in the titles and the grid.
    void DatListClick();
    void StringGrid6DrawCell(int col, int row, views::CellPaint& paint) const;

    // The hidden menu item "コンピ用辞書データ(再)作成(&M)".
    QAction* MakeCPDB() const { return MakeCPDB_; }

private:
    // The dates of <AppDir>/VZK, newest first, with `keep` chosen when it is there (else the
    // newest) and loaded.
    void ListDates(const QString& keep);

    const keiba::ProgramContext& context_;
    keiba::TellOnce tellListFailure_; // a folder of analysis files that cannot be listed
    raceday::CheckDay day_;
    QComboBox* DateCombo = nullptr;
    QListWidget* DatList = nullptr;
    views::StringGrid* StringGrid6 = nullptr;
    QLabel* TitleLabel1 = nullptr;
    QLabel* TitleLabel2 = nullptr;
    QLabel* TitleLabel3 = nullptr;
    QPushButton* MakeDataListBtn = nullptr;
    QMenuBar* menu_ = nullptr;
    QAction* MakeCPDB_ = nullptr;
};

} // namespace app
