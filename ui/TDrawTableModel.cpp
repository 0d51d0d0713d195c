#include "TDrawTableModel.h"

TDrawTableModel::TDrawTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void TDrawTableModel::SetLottery(const TLottery* lottery) {
    beginResetModel();
    table_ = TDrawTable(lottery);
    endResetModel();
}

QString TDrawTableModel::GridCell(int row, int column) const {
    return QString::fromStdString(table_.Cell(row, column));
}

QString TDrawTableModel::ToText() const {
    return QString::fromStdString(table_.ToText());
}

int TDrawTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : table_.RowCount() - 1;
}

int TDrawTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : table_.ColumnCount();
}

QVariant TDrawTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return GridCell(index.row() + 1, index.column());
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant TDrawTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return GridCell(0, section);
    return section + 1;
}
