#pragma once

#include <QDialog>

namespace app {

// Created at start-up and kept for the run; its screens come with their own work.
class TDeSplForm : public QDialog {
    Q_OBJECT
public:
    explicit TDeSplForm(QWidget* parent = nullptr);
};

} // namespace app
