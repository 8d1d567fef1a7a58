#pragma once
// The hit grids of the R-horse screens: a virtual model over the store of a walk, formatted when
// a cell is painted, and the view that shows it. The hit list (StringGrid8, StringGrid1) and the
// hit details (StringGrid7, StringGrid2) are two layouts over the same rows.

#include "search/rscan.h"

#include <QAbstractTableModel>
#include <QTableView>

#include <memory>

namespace search {

enum class HitLayout { List, Detail };

class HitGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit HitGridModel(HitLayout layout, QObject* parent = nullptr);

    // A new walk's store: the grid empties and then follows it.
    void SetStore(std::shared_ptr<const RHitStore> store);
    // Takes in the rows the walk has published since the last call.
    void Refresh();
    // The hit of data row `row` (0-based), or null.
    const RHit* HitAt(int row) const;
    HitLayout Layout() const { return layout_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    HitLayout layout_;
    std::shared_ptr<const RHitStore> store_;
    int rows_ = 0; // the rows taken in so far
};

// The view. A hit list shows a hand cursor over its data rows and reports a click on a row as
// HitClicked; the details grid does neither.
class HitGrid : public QTableView {
    Q_OBJECT
public:
    HitGrid(HitLayout layout, QWidget* parent = nullptr);
    HitGridModel* Model() const { return model_; }

Q_SIGNALS:
    void HitClicked(int row);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    HitGridModel* model_;
};

} // namespace search
