#pragma once
// A table of values drawn as coloured cells: the 2-D view of the pair
// probabilities beside the 3-D bars. Each cell's colour runs from white (the
// smallest value) to dark blue (the largest); every fifth row and column is
// numbered; pointing at a cell shows its row, column and value.
//
// UI thread only; the widget keeps its own copy of the values.
#include <QString>
#include <QStringList>
#include <QWidget>
#include <vector>

class THeatMap : public QWidget {
    Q_OBJECT
public:
    explicit THeatMap(QWidget* parent = nullptr);

    void SetTitle(const QString& title);
    QString Title() const { return title_; }
    void SetAxisTitles(const QString& columns, const QString& rows);
    // values[row][column]; labels name the rows and columns.
    void SetData(const QStringList& rowLabels, const QStringList& columnLabels,
                 const std::vector<std::vector<double>>& values);
    void Clear();
    int Rows() const { return static_cast<int>(values_.size()); }
    int Columns() const { return columns_.size(); }

    // The cell under a point of the widget, or (-1, -1).
    std::pair<int, int> CellAt(const QPoint& at) const;
    // The text shown when pointing at a cell.
    QString CellText(int row, int column) const;
    // The colour of a value within [low, high].
    static QColor Shade(double value, double low, double high);

    QSize sizeHint() const override { return {480, 360}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRect Plot() const;

    QString title_;
    QString columnsTitle_;
    QString rowsTitle_;
    QStringList rows_;
    QStringList columns_;
    std::vector<std::vector<double>> values_;
    double low_ = 0;
    double high_ = 0;
};
