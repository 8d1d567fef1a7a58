#include "betting/forms/betgridmodel.h"

#include "controls/qtext.h"

namespace betting {

BetGridModel::BetGridModel(const PlainTable& table, QObject* parent)
    : QAbstractTableModel(parent)
    , table_(table)
    , rows_(table.RowCount())
    , cols_(table.ColCount()) {}

views::CellPaint BetGridModel::PaintOf(int col, int row) const {
    views::CellPaint p;
    if (drawCell_) drawCell_(col, row, p);
    return p;
}

void BetGridModel::Refresh() {
    if (rows_ != table_.RowCount() || cols_ != table_.ColCount()) {
        beginResetModel();
        rows_ = table_.RowCount();
        cols_ = table_.ColCount();
        endResetModel();
        return;
    }
    Q_EMIT dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1));
}

int BetGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int BetGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cols_;
}

QVariant BetGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return controls::SjToQ(table_.Cells(index.column(), index.row()));
    if (role == views::kCellPaintRole)
        return QVariant::fromValue(PaintOf(index.column(), index.row()));
    return {};
}

std::string GridModelCells::Cell(int col, int row) const {
    return controls::QToSj(model_.Cells(col, row));
}

void GridModelCells::SetCell(int col, int row, std::string_view text) {
    model_.SetCells(col, row, controls::SjToQ(text));
}

} // namespace betting
