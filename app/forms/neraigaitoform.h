#pragma once

#include <QDialog>

namespace app {

// Created at start-up and kept for the run; its screens come with their own work.
class TNeraiGaitoForm : public QDialog {
    Q_OBJECT
public:
    explicit TNeraiGaitoForm(QWidget* parent = nullptr);
};

} // namespace app
