#include "controls/filecolumns.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QScreen>
#include <QScrollBar>
#include <QTreeView>

#include <algorithm>
#include <utility>

namespace controls {
namespace {

// The columns of QFileSystemModel.
enum FileColumn { kName, kSize, kType, kModified };

class DefaultLocaleColumns final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || files == nullptr || !index.isValid())
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        switch (index.column()) {
        case kSize:
            if (files->isDir(source)) return QString();
            return QLocale().formattedDataSize(files->size(source));
        case kType:
            // The text Qt's translation keeps under the file dialog's name.
            if (files->isDir(source)) return QCoreApplication::translate("QFileDialog", "Folder");
            break;
        case kModified: {
            const QDateTime modified = files->lastModified(source);
            if (!modified.isValid()) return QString();
            return QLocale().toString(modified, QLocale::ShortFormat);
        }
        default: break;
        }
        return QIdentityProxyModel::data(index, role);
    }
};

} // namespace

void UseDefaultLocaleColumns(QFileDialog& dialog) {
    dialog.setProxyModel(new DefaultLocaleColumns(&dialog));
    // The columns are as wide as the English texts: widen each to hold its longest text, or
    // "10 バイト" shows as "1…ト".
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (view == nullptr) return;
    const QLocale locale;
    const QFontMetrics fm(view->font());
    const int padding = 3 * fm.averageCharWidth() + view->indentation() / 2;
    const std::pair<int, QString> widest[] = {
        {kSize, locale.formattedDataSize(Q_INT64_C(1023) * 1024 * 1024)},
        {kType, QStringLiteral("テキストドキュメント")},
        {kModified,
         locale.toString(QDateTime(QDate(2026, 12, 31), QTime(23, 59)), QLocale::ShortFormat)},
    };
    for (const auto& [column, text] : widest) {
        const int width = fm.horizontalAdvance(text) + padding;
        if (view->header()->sectionSize(column) < width)
            view->header()->resizeSection(column, width);
    }
    // And the dialog wide enough to show them beside the names, within the screen.
    int wanted = dialog.sizeHint().width() - view->sizeHint().width() + view->header()->length() +
                 view->verticalScrollBar()->sizeHint().width() + 2 * view->frameWidth();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        wanted = std::min(wanted, screen->availableGeometry().width() * 9 / 10);
    if (dialog.width() < wanted) dialog.resize(wanted, dialog.height());
}

} // namespace controls
