#pragma once

#include <QDialog>

namespace app {

// Created at start-up and kept for the run; its screens come with their own work.
class TDLDataForm : public QDialog {
    Q_OBJECT
public:
    explicit TDLDataForm(QWidget* parent = nullptr);
};

} // namespace app
