#include "controls/filecolumns.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>

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
}

} // namespace controls
