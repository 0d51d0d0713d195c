#include "TDelayTableModel.h"

#include "TDelayAnalysis.h"

namespace {

QStringList ToQt(const std::vector<std::string>& texts) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(texts.size()));
    for (const std::string& text : texts) list.append(QString::fromStdString(text));
    return list;
}

} // namespace

TDelayTableModel::TDelayTableModel(const TDelayAnalysis& engine, QObject* parent)
    : QAbstractTableModel(parent), engine_(engine) {
    header_ = ToQt(engine_.RowTexts(0));
}

void TDelayTableModel::Reload() {
    beginResetModel();
    header_ = ToQt(engine_.RowTexts(0));
    for (CachedRow& cached : cache_) cached.row = -1;
    endResetModel();
}

const QStringList& TDelayTableModel::Row(int row) const {
    CachedRow& cached = cache_[static_cast<size_t>(row) % CacheRows];
    if (cached.row != row) {
        cached.texts = ToQt(engine_.RowTexts(row));
        cached.row = row;
    }
    return cached.texts;
}

int TDelayTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : engine_.DrawCount();
}

int TDelayTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(header_.size());
}

QVariant TDelayTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return Row(index.row() + 1).value(index.column());
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant TDelayTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return header_.value(section);
    return section + 1;
}
