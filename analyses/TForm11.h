#pragma once
// "Análise posicional/bayesiana": for every number of the game, the chance
// that it is drawn next at each sorted position and the chance that it is
// not drawn, corrected by its current run of presences or absences; the
// numbers to bet on and to avoid under a tolerance, scored against the draw
// after the analysed stretch when it is known. The computation is
// TPositionalBayesAnalysis; this window reads its controls, runs the steps
// of TForm1 and shows the result.
//
// Grid cells are painted by the window (sg1DrawCell): the data cells of a
// number red when it should be avoided, sky blue when it should be bet on.
//
// Threading: UI thread only; every step is short and runs to completion.
#include "TForm1.h"
#include "TPositionalBayesAnalysis.h"

#include <QColor>
#include <memory>

class QCheckBox;
class QPainter;
class QStyleOptionViewItem;
class TChartSeries;
class TForm2;

class TForm11 : public TForm1 {
    Q_OBJECT
public:
    explicit TForm11(TForm3& game, QWidget* parent = nullptr);
    ~TForm11() override;

    // Makes the game windows of the main window open this window for
    // "Análise posicional/bayesiana".
    static void Install(TForm2& mainWindow);

    const TPositionalBayesAnalysis& Engine() const { return *engine_; }
    // The fill of a grid cell: the fixed colour for the header row and
    // column, red or sky blue for a number's data cells as its P[0] meets a
    // threshold, the grid's colour otherwise.
    QColor CellColor(int row, int column) const;
    static QColor SkyBlue() { return QColor(166, 202, 240); }
    // The paint of one grid cell.
    void sg1DrawCell(QPainter* painter, const QStyleOptionViewItem& option, int row, int column) const;

public slots:
    void btLoadClick() override;
    void btCalculateClick() override;
    void btGridRefreshClick() override;
    void btChartRefreshClick() override;
    void btPreviewClick() override;
    void btAnalyseClick() override;
    void sg1Click();
    void cbTheoryOnlyClick();
    void udToleranciaClick();

private:
    void BuildOwnControls();
    TPositionalBayesAnalysis::Steps CurrentSteps() const;
    int SelectedNumber() const;

    std::unique_ptr<TPositionalBayesAnalysis> engine_;

    QCheckBox* cbTheoryOnly = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* edTolerancia = nullptr;
    QSpinBox* udTolerancia = nullptr;
    TChartSeries* Series1 = nullptr; // "Dezena"
};
