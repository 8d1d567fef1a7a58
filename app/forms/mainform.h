#pragma once

#include <QMainWindow>

namespace app {

// The main window. For now a frame with the application's title; the race-day screens fill it.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
};

} // namespace app
