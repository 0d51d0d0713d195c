#pragma once
// The delay analysis window's grid as a Qt model over its engine. Cells are
// made when the view asks for them, a row at a time, so a history of a
// million draws costs nothing until its rows are scrolled into sight.
//
// Qt rows: draw r (table row r) is Qt row r - 1; the table's header row is
// the view's column header.
//
// Holds a reference to the engine (owned by the window, which outlives the
// model). UI thread only; the engine's table reads are const, so a training
// run on the window's worker may go on meanwhile.
#include <QAbstractTableModel>
#include <QStringList>
#include <array>

class TDelayAnalysis;

class TDelayTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TDelayTableModel(const TDelayAnalysis& engine, QObject* parent = nullptr);

    // After the engine's load (a change of view): new columns, new cells.
    void Reload();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    // The texts of a table row, from a small cache: a view asks for every
    // cell of a row in turn, and the engine makes a whole row at once.
    const QStringList& Row(int row) const;

    const TDelayAnalysis& engine_;
    QStringList header_;
    struct CachedRow {
        int row = -1;
        QStringList texts;
    };
    static constexpr size_t CacheRows = 256;
    mutable std::array<CachedRow, CacheRows> cache_;
};
