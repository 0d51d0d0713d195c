#include "TBetCheckTableModel.h"

#include "NumberText.h"

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

TBetCheckTableModel::TBetCheckTableModel(QObject* parent) : QAbstractTableModel(parent) {
    SetData(nullptr, nullptr);
}

void TBetCheckTableModel::SetData(const TBetList* bets, const TBetChecker::Result* result) {
    beginResetModel();
    bets_ = result ? bets : nullptr;
    result_ = bets ? result : nullptr;
    header_.clear();
    if (result_)
        for (const std::string& caption : TBetChecker::TableHeader(*result_)) header_.append(Q(caption));
    else
        header_ = {QStringLiteral("Aposta"), QStringLiteral("Melhor"), QStringLiteral("Concurso")};
    endResetModel();
}

int TBetCheckTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !result_ ? 0 : static_cast<int>(result_->Bets.size());
}

int TBetCheckTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(header_.size());
}

QVariant TBetCheckTableModel::data(const QModelIndex& index, int role) const {
    if (!result_ || !index.isValid()) return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(index.column() == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                                       : Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    const auto bet = static_cast<size_t>(index.row());
    const auto column = static_cast<size_t>(index.column());
    const size_t tiers = result_->Tiers.size();
    if (column == 0) return Q(TBetList::Text(bets_->Bet(bet)));
    if (column <= tiers) return Q(NumberText::FormatInt(result_->Count(bet, column - 1)));
    const TBetChecker::BetResult& r = result_->Bets[bet];
    if (column == tiers + 1) return Q(NumberText::FormatInt(r.Best));
    return result_->Contests > 0 ? Q(NumberText::FormatInt(r.BestContest)) : QString();
}

QVariant TBetCheckTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    return section >= 0 && section < header_.size() ? header_[section] : QVariant();
}

QString TBetCheckTableModel::Text() const {
    QString text;
    const auto row = [&text](const QStringList& cells) {
        for (const QString& cell : cells) text += cell + QLatin1Char('\t');
        text += QStringLiteral("\r\n");
    };
    row(header_);
    if (!result_) return text;
    for (size_t b = 0; b < result_->Bets.size(); ++b) {
        QStringList cells;
        for (const std::string& cell : TBetChecker::TableRow(*result_, *bets_, b)) cells.append(Q(cell));
        row(cells);
    }
    return text;
}
