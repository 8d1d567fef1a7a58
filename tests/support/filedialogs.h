#pragma once
// What a user reads in the detail view of Qt's own file dialog, with the program's language in
// force for the test: Japanese as the default locale and Qt's translation installed.

#include "controls/qtplatform.h"
#include "tests/support/waits.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QLocale>
#include <QTest>
#include <QTranslator>
#include <QTreeView>

#include <chrono>
#include <filesystem>

namespace testsupport {

// Japanese as the program sets it at start-up, until the end of the scope.
class JapaneseInForce {
public:
    JapaneseInForce()
        : translator_(controls::UseJapanese(*QCoreApplication::instance())) {}
    ~JapaneseInForce() {
        QLocale::setDefault(before_);
        if (translator_ != nullptr) {
            QCoreApplication::removeTranslator(translator_);
            delete translator_;
        }
    }
    JapaneseInForce(const JapaneseInForce&) = delete;
    JapaneseInForce& operator=(const JapaneseInForce&) = delete;
    bool Translated() const { return translator_ != nullptr; }

private:
    QLocale before_;
    QTranslator* translator_;
};

// Sets the modification time of a file or folder to a local time.
inline void SetModified(const std::filesystem::path& path, const QDateTime& local) {
    const std::chrono::sys_seconds at{std::chrono::seconds{local.toSecsSinceEpoch()}};
    std::filesystem::last_write_time(path, std::chrono::file_clock::from_sys(at));
}

struct FileDialogTexts {
    QStringList headings;
    QStringList row; // name, size, type, date of the entry asked for; empty when it never came
};

// The headings of the dialog's detail view and the row of the entry `name` once the folder's
// contents have loaded (the file model reads them in the background).
inline FileDialogTexts DetailTexts(QFileDialog& dialog, const QString& name) {
    FileDialogTexts texts;
    dialog.setViewMode(QFileDialog::Detail);
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (view == nullptr) return texts;
    const QAbstractItemModel* model = view->model();
    for (int c = 0; c < model->columnCount(view->rootIndex()); ++c)
        texts.headings << model->headerData(c, Qt::Horizontal).toString();
    (void)QTest::qWaitFor(
        [&] {
            const QModelIndex root = view->rootIndex();
            for (int r = 0; r < model->rowCount(root); ++r) {
                if (model->index(r, 0, root).data().toString() != name) continue;
                texts.row.clear();
                for (int c = 0; c < model->columnCount(root); ++c)
                    texts.row << model->index(r, c, root).data().toString();
                return !texts.row.last().isEmpty();
            }
            return false;
        },
        kHangGuardMs);
    return texts;
}

} // namespace testsupport
