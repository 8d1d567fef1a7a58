#pragma once

#include <QDialog>

class QListWidget;

namespace app {

// The R-horse hand input. Its race list is refilled by every day load with the main window's
// races, in the same order; the entry screens come with their own work.
class TRInputForm : public QDialog {
    Q_OBJECT
public:
    explicit TRInputForm(QWidget* parent = nullptr);
    QListWidget* DatList() const { return datList_; }
    // Shows the entries of the race selected in the list.
    void DatListClick();

private:
    QListWidget* datList_;
};

} // namespace app
