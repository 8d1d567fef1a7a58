#pragma once
// Qt's checks of an item model's signals and answers, kept for as long as the checker lives: a
// model that breaks a rule (a change signalled with an index outside the model, rows inserted
// that do not add up) ends the test program.

#include <QAbstractItemModel>
#include <QAbstractItemModelTester>
#include <QObject>
#include <QTableView>

#include <memory>
#include <vector>

namespace testsupport {

class ModelChecks {
public:
    void Watch(QAbstractItemModel* model) {
        if (!model) return;
        for (const auto& t : testers_)
            if (t->model() == model) return;
        testers_.push_back(std::make_unique<QAbstractItemModelTester>(
            model, QAbstractItemModelTester::FailureReportingMode::Fatal));
    }
    // The model of every grid among `root`'s descendants (lists and combo boxes keep Qt's own);
    // models already watched are passed over, so a form that makes grids later can be walked
    // again.
    void WatchAll(const QObject& root) {
        for (QTableView* grid : root.findChildren<QTableView*>()) Watch(grid->model());
    }
    void Unwatch(const QAbstractItemModel* model) {
        std::erase_if(testers_, [&](const auto& t) { return t->model() == model; });
    }
    // Before the models go.
    void Clear() { testers_.clear(); }

private:
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers_;
};

} // namespace testsupport
