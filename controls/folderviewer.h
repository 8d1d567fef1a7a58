#pragma once
// The folder picker: a non-native folder dialog with a preselected start folder, a status line
// naming the selected folder, a resizable or fixed frame, a chosen position, and the place the
// user left it remembered for the next Execute of the same run.

#include "keiba/platform.h"

#include <QObject>
#include <QRect>
#include <QString>

#include <functional>

class QFileDialog;
class QWidget;

namespace controls {

enum class TDialogBorderStyle { bsSizable, bsDialog };
enum class TDialogPosition { poDefault, poScreenCenter, poParentCenter, poDesigned };

// Browse flags. The dialog only ever shows file-system folders, so the computer, printer and
// domain flags have nothing to act on and are kept only as settings.
struct TViewerOptions {
    bool voBrowseForComputer = false;
    bool voBrowseForPrinter = false;
    bool voDontGoBelowDomain = false;
    bool voReturnFSAncestors = false;
    bool voReturnOnlyFSDirs = true;
    bool voStatusText = true;
};

class TFolderViewerEx : public QObject {
    Q_OBJECT
public:
    // `owner` parents the dialog and is the centre for poParentCenter; `notifier` says why a
    // property was refused.
    explicit TFolderViewerEx(keiba::Notifier& notifier, QWidget* owner = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& value) { caption_ = value; }
    QString Text() const { return text_; }
    void SetText(const QString& value) { text_ = value; }
    QString StatusHeader() const { return statusHeader_; }
    void SetStatusHeader(const QString& value) { statusHeader_ = value; }
    QString SelectedFolder() const { return selectedFolder_; }
    void SetSelectedFolder(const QString& value) { selectedFolder_ = value; }
    bool OpenDefault() const { return openDefault_; }
    void SetOpenDefault(bool value) { openDefault_ = value; }
    const TViewerOptions& Option() const { return option_; }
    void SetOption(const TViewerOptions& value) { option_ = value; }
    TDialogBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TDialogBorderStyle value) { borderStyle_ = value; }
    TDialogPosition Position() const { return position_; }
    void SetPosition(TDialogPosition value) { position_ = value; }
    // Screen coordinates for poDesigned; a value off the screen is refused with a message.
    int Left() const { return left_; }
    void SetLeft(int value);
    int Top() const { return top_; }
    void SetTop(int value);
    bool ContextHelp() const { return contextHelp_; }
    void SetContextHelp(bool value) { contextHelp_ = value; }
    bool UseSavedRect() const { return useSavedRect_; }
    void SetUseSavedRect(bool value) { useSavedRect_ = value; }

    // The folder of the last successful Execute.
    QString Folder() const { return folder_; }
    // The rectangle the dialog had when it last closed (this run only).
    QRect SavedRect() const { return savedRect_; }

    // Shows the dialog modally; true when the user chose a folder.
    bool Execute();

    // Runs the prepared dialog instead of exec(), returning its result code: tests answer
    // through it so no dialog waits for a person.
    using ExecHook = std::function<int(QFileDialog&)>;
    void SetExecHook(ExecHook hook) { execHook_ = std::move(hook); }

    // The status line for a selected path ("" when the item has no path).
    QString StatusFor(const QString& path) const;

private:
    bool ScreenRangeOk(int value, bool horizontal) const;
    void PositionDialog(QFileDialog& dialog) const;

    keiba::Notifier& notifier_;
    QWidget* owner_;
    QString caption_;
    QString text_;
    QString statusHeader_;
    QString selectedFolder_;
    bool openDefault_ = false;
    TViewerOptions option_;
    TDialogBorderStyle borderStyle_ = TDialogBorderStyle::bsSizable;
    TDialogPosition position_ = TDialogPosition::poDefault;
    int left_ = 0;
    int top_ = 0;
    bool contextHelp_ = true;
    bool useSavedRect_ = true;
    QString folder_;
    QRect savedRect_;
    ExecHook execHook_;
};

} // namespace controls
