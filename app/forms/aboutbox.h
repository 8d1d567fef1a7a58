#pragma once

#include "keiba/context.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace app {

// The About box: created on each click, shown modally, freed when closed.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(const keiba::ProgramContext& context, QWidget* parent = nullptr);
    // The version label; the caller sets it to the program's version text.
    QLabel* Version() const { return version_; }
    // The hidden home-page button's work: opens the maker's page in the browser.
    void HomePageBtnClick();

private:
    const keiba::ProgramContext& context_;
    QLabel* version_;
};

// The maker's web page.
inline constexpr char kMakerHomePage[] = "https://kestrane.example.jp/";

} // namespace app
