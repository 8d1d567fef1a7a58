#pragma once
// The screens' side of the bet tab's tables: a virtual model over a PlainTable (thousands of
// bet rows are shown without a widget item per cell) and the mark grid's model seen as a
// CellTable.

#include "betting/table.h"
#include "views/grid.h"

#include <QAbstractTableModel>

#include <functional>

namespace betting {

class BetGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using DrawCellFn = std::function<void(int col, int row, views::CellPaint& paint)>;
    BetGridModel(const PlainTable& table, QObject* parent = nullptr);

    void SetDrawCell(DrawCellFn fn) { drawCell_ = std::move(fn); }
    views::CellPaint PaintOf(int col, int row) const;
    // After the table changed: a reset when its shape changed, a repaint otherwise.
    void Refresh();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    const PlainTable& table_;
    int rows_, cols_;
    DrawCellFn drawCell_;
};

// The mark grid (a views grid of QStrings) as the builder reads and writes it.
class GridModelCells final : public CellTable {
public:
    explicit GridModelCells(views::GridModel& model)
        : model_(model) {}
    int RowCount() const override { return model_.RowCount(); }
    std::string Cell(int col, int row) const override;
    void SetCell(int col, int row, std::string_view text) override;

private:
    views::GridModel& model_;
};

} // namespace betting
