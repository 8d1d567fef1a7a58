#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

namespace controls {
class TLabel3Dj;
}

namespace app {

// The progress window of the day load: a heading, a bar and a status line.
class TPrgrsForm : public QDialog {
    Q_OBJECT
public:
    explicit TPrgrsForm(QWidget* parent = nullptr);
    QProgressBar* ProgressBar1() const { return bar_; }
    controls::TLabel3Dj* Label3Dj1() const { return heading_; }
    QLabel* StaticText1() const { return status_; }

private:
    QProgressBar* bar_;
    controls::TLabel3Dj* heading_;
    QLabel* status_;
};

} // namespace app
