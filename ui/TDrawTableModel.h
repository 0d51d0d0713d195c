#pragma once
// The game window's grid as a Qt model over TDrawTable. Cells are made when
// the view asks for them, so a history of a million draws costs nothing until
// its rows are scrolled into sight.
//
// Two coordinate systems:
//  - grid coordinates (GridRowCount, GridCell, selections reported by the game
//    window): row 0 is the header row "Concurso", "Bola i", "CSN", draw d is
//    row d + 1, as other windows read the game grid;
//  - Qt rows: draw d is row d; the header row is the view's column header.
//
// The model holds a non-owning pointer to the history: SetLottery(nullptr)
// before the history is freed.
#include "TDrawTable.h"

#include <QAbstractTableModel>
#include <QString>

class TLottery;

class TDrawTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TDrawTableModel(QObject* parent = nullptr);

    // Shows a history; nullptr or one that was not loaded gives the one-cell grid.
    void SetLottery(const TLottery* lottery);

    int GridRowCount() const { return table_.RowCount(); }
    int GridColumnCount() const { return table_.ColumnCount(); }
    QString GridCell(int row, int column) const;
    // The whole grid, header row included: each cell followed by TAB, each row by CR LF.
    QString ToText() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    TDrawTable table_{nullptr};
};
