#pragma once
// The table of the bets checked: one row per bet with its balls, its count of
// each prize tier, its best result and the contest of it, as a Qt model over
// the checker's result, so a million bets cost nothing until their rows are
// scrolled into sight.
//
// Holds pointers to the bets and the result that the window keeps alive
// (and replaces only after calling SetData again). UI thread only.
#include "TBetChecker.h"

#include <QAbstractTableModel>
#include <QStringList>

class TBetCheckTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TBetCheckTableModel(QObject* parent = nullptr);

    // A new result (null: an empty table).
    void SetData(const TBetList* bets, const TBetChecker::Result* result);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The header and every row: each cell followed by TAB, each row by CR LF.
    QString Text() const;

private:
    const TBetList* bets_ = nullptr;
    const TBetChecker::Result* result_ = nullptr;
    QStringList header_;
};
