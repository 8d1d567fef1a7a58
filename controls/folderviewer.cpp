#include "controls/folderviewer.h"

#include "controls/filecolumns.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStatusBar>

#include <string>

namespace controls {
namespace {

QRect ScreenGeometry() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry() : QRect();
}

// Adds a widget as a full-width row under the dialog's own controls.
void AddBottomRow(QFileDialog& dialog, QWidget* widget) {
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        grid->addWidget(widget, grid->rowCount(), 0, 1, grid->columnCount());
    } else if (dialog.layout() != nullptr) {
        dialog.layout()->addWidget(widget);
    }
}

} // namespace

TFolderViewerEx::TFolderViewerEx(keiba::Notifier& notifier, QWidget* owner)
    : QObject(owner)
    , notifier_(notifier)
    , owner_(owner)
    , text_(QStringLiteral("選択したいﾌｫﾙﾀﾞのｱｲｺﾝをｸﾘｯｸしてください。選択不可能なﾌｫﾙﾀﾞがｸﾘｯｸされた"
                           "場合は「OK」ﾎﾞﾀﾝが有効になりません。"))
    , statusHeader_(QStringLiteral("選択ﾌｫﾙﾀﾞ　")) {}

bool TFolderViewerEx::ScreenRangeOk(int value, bool horizontal) const {
    const QRect screen = ScreenGeometry();
    const int limit = horizontal ? screen.width() : screen.height();
    if (value >= 0 && value <= limit) return true;
    notifier_.Stop("ﾌﾟﾛﾊﾟﾃｨ ｴﾗｰ",
                   "設定値がｽｸﾘｰﾝ座標範囲 (0 ～ " + std::to_string(limit) + ") を超えています。");
    return false;
}

void TFolderViewerEx::SetLeft(int value) {
    if (ScreenRangeOk(value, true)) left_ = value;
}

void TFolderViewerEx::SetTop(int value) {
    if (ScreenRangeOk(value, false)) top_ = value;
}

QString TFolderViewerEx::StatusFor(const QString& path) const {
    if (!option_.voStatusText) return {};
    return path.isEmpty() ? statusHeader_ : statusHeader_ + QDir::toNativeSeparators(path);
}

void TFolderViewerEx::PositionDialog(QFileDialog& dialog) const {
    if (position_ == TDialogPosition::poDefault) return;
    QRect frame(QPoint(), dialog.size());
    switch (position_) {
    case TDialogPosition::poScreenCenter: {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (screen != nullptr) frame.moveCenter(screen->availableGeometry().center());
        break;
    }
    case TDialogPosition::poParentCenter:
        if (owner_ != nullptr) frame.moveCenter(owner_->window()->frameGeometry().center());
        break;
    case TDialogPosition::poDesigned: frame.moveTopLeft(QPoint(left_, top_)); break;
    case TDialogPosition::poDefault: break;
    }
    dialog.move(frame.topLeft());
}

bool TFolderViewerEx::Execute() {
    QFileDialog dialog(owner_);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setFileMode(QFileDialog::Directory);
    UseDefaultLocaleColumns(dialog);
    if (!caption_.isEmpty()) dialog.setWindowTitle(caption_);
    dialog.setWindowFlag(Qt::WindowContextHelpButtonHint, contextHelp_);

    // A completion list would pop up over the dialog while a path is typed and swallow the
    // press meant for Choose; the path typed is the one taken.
    if (auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        edit->setCompleter(nullptr);

    const bool preselect = openDefault_ && !selectedFolder_.isEmpty();
    const QString start = preselect ? selectedFolder_ : QDir::homePath();
    dialog.setDirectory(start);

    const bool sizable = borderStyle_ == TDialogBorderStyle::bsSizable;
    if (!sizable) {
        auto* instruction = new QLabel(text_, &dialog);
        instruction->setObjectName(QStringLiteral("InstructionText"));
        instruction->setWordWrap(true);
        AddBottomRow(dialog, instruction);
    }
    auto* status = new QStatusBar(&dialog);
    status->setObjectName(QStringLiteral("StatusBar"));
    status->setSizeGripEnabled(sizable);
    AddBottomRow(dialog, status);
    dialog.setSizeGripEnabled(false);

    auto show = [this, status](const QString& path) {
        const bool hasPath = !path.isEmpty() && QFileInfo(path).isDir();
        status->showMessage(StatusFor(hasPath ? path : QString()));
    };
    connect(&dialog, &QFileDialog::currentChanged, status, show);
    connect(&dialog, &QFileDialog::directoryEntered, status, show);
    show(QFileInfo(start).absoluteFilePath());

    if (!sizable) dialog.setFixedSize(dialog.sizeHint());
    if (useSavedRect_ && !savedRect_.isNull()) {
        dialog.setGeometry(savedRect_);
    } else {
        PositionDialog(dialog);
    }

    const int result = execHook_ ? execHook_(dialog) : dialog.exec();
    savedRect_ = dialog.geometry();
    if (result != QDialog::Accepted) return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty()) return false;
    folder_ = QDir::toNativeSeparators(chosen.first());
    if (openDefault_) selectedFolder_ = folder_;
    return true;
}

} // namespace controls
