#pragma once

#include <QDialog>

namespace app {

// Created at start-up and kept for the run; its screens come with their own work.
class TShutugenForm : public QDialog {
    Q_OBJECT
public:
    explicit TShutugenForm(QWidget* parent = nullptr);
};

} // namespace app
