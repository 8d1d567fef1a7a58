#pragma once
// The Qt implementations of the platform layers, installed by the program at start-up.

#include "keiba/platform.h"

#include <QMessageBox>
#include <QPointer>

class QCoreApplication;
class QTranslator;

namespace controls {

// Qt's own Japanese texts for its standard dialogs and buttons (message boxes, the folder
// dialog), installed on the application, which owns the translator; nothing when the
// translation is not installed.
QTranslator* InstallQtTranslations(QCoreApplication& application);

// The program speaks Japanese whatever the desktop's language: Japanese becomes the default
// locale (dates and sizes in Qt's dialogs and calendars) and Qt's translation is installed.
// Returns the translator, as InstallQtTranslations.
QTranslator* UseJapanese(QCoreApplication& application);

// Qt makes the first push button of a dialog its default when the form names none: Enter in an
// edit then presses it (a target set saved while typing a period) and it is drawn highlighted.
// Afterwards only the buttons the form made default answer Enter.
void NoImplicitDefaultButtons(QWidget& dialog);

// Boxes carry the application's display name as their caption (a stop box its own) and open
// centred on the window they belong to: the modal dialog or window that is active, else the
// owner (the main window), else the screen.
class QtNotifier final : public keiba::Notifier {
public:
    void Beep() override;
    void Information(const std::string& text) override;
    bool YesNo(const std::string& text) override;
    bool RetryCancel(const std::string& text) override;
    void Stop(const std::string& caption, const std::string& text) override;
    // The window boxes belong to when none of the program's windows is active.
    void SetOwner(QWidget* owner) { owner_ = owner; }

private:
    QWidget* Parent() const;
    QPointer<QWidget> owner_;
};

// A message box that opens centred on its parent window, or on the screen without one. Qt
// places a box before it has its final size, so a box of its own lands off centre.
class CentredMessageBox : public QMessageBox {
    Q_OBJECT
public:
    // Kept above the windows that stay on top (the search and card windows), which would
    // otherwise hide a box of the main window and leave the program waiting for an answer
    // no one can see.
    CentredMessageBox(Icon icon, const QString& title, const QString& text, StandardButtons buttons,
                      QWidget* parent);

protected:
    void showEvent(QShowEvent* e) override;
};

// Documents and web addresses open with the desktop's handler; programs start detached with
// their own working folder, and this process's folder never changes.
class QtShell final : public keiba::Shell {
public:
    bool Open(const std::string& target) override;
    bool Launch(const std::filesystem::path& program, const std::vector<std::string>& args,
                const std::filesystem::path& workingDir) override;
};

} // namespace controls
