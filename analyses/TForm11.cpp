#include "TForm11.h"

#include "TChartSeries.h"
#include "TChartView.h"
#include "TForm2.h"
#include "TForm3.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPen>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>

namespace {

using Analysis = TPositionalBayesAnalysis;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// Hands the painting of every grid cell to the window, as the grid's
// owner-drawn cells do; the window outlives the grid's use of it (the grid
// is its child).
class CellPainter : public QStyledItemDelegate {
public:
    CellPainter(const TForm11& form, QObject* parent) : QStyledItemDelegate(parent), form_(form) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        form_.sg1DrawCell(painter, option, index.row(), index.column());
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        // The text stands 2 pixels in from the left: leave as much on the right.
        return QStyledItemDelegate::sizeHint(option, index) + QSize(6, 0);
    }

private:
    const TForm11& form_;
};

} // namespace

TForm11::TForm11(TForm3& game, QWidget* parent)
    : TForm1(game, TLottery::PositionalBayesian, QStringLiteral("Análise posicional/bayesiana"), parent),
      engine_(std::make_unique<Analysis>(Lottery())) {
    BuildOwnControls();
}

TForm11::~TForm11() = default;

void TForm11::Install(TForm2& mainWindow) {
    mainWindow.SetAnalysisOpener(TLottery::PositionalBayesian, [](TForm3& game) -> QWidget* {
        auto* window = new TForm11(game);
        // Load calculates, fills, plots and analyses.
        window->btLoadClick();
        return window;
    });
}

void TForm11::BuildOwnControls() {
    btAnalyse->setEnabled(true);
    QWidget* box = OptionsBox();
    QBoxLayout* row = OptionsLayout();

    cbTheoryOnly = new QCheckBox(QStringLiteral("Sem o histórico"), box);
    cbTheoryOnly->setObjectName(QStringLiteral("cbTheoryOnly"));
    cbTheoryOnly->setToolTip(
        QStringLiteral("Se marcado não leva em conta o histórico no cálculo da probabilidade de acerto."));
    connect(cbTheoryOnly, &QCheckBox::clicked, this, &TForm11::cbTheoryOnlyClick);
    row->insertWidget(0, cbTheoryOnly);

    const QString toleranceHint =
        QStringLiteral("Tolerância P(repetição) para selecionar dezenas a apostar e não apostar.");
    Label2 = new QLabel(QStringLiteral("Tolerância (%):"), box);
    Label2->setObjectName(QStringLiteral("Label2"));
    edTolerancia = new QLineEdit(QStringLiteral("10"), box);
    edTolerancia->setObjectName(QStringLiteral("edTolerancia"));
    edTolerancia->setReadOnly(true);
    edTolerancia->setFocusPolicy(Qt::NoFocus);
    edTolerancia->setToolTip(toleranceHint);
    edTolerancia->setMaximumWidth(edTolerancia->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
    Label2->setBuddy(edTolerancia);
    udTolerancia = UpDown(box, QStringLiteral("udTolerancia"), QString());
    udTolerancia->setRange(5, 45);
    udTolerancia->setSingleStep(5);
    udTolerancia->setValue(10);
    connect(udTolerancia, &QSpinBox::valueChanged, this, &TForm11::udToleranciaClick);
    row->insertWidget(1, Label2);
    row->insertWidget(2, edTolerancia);
    row->insertWidget(3, udTolerancia);

    sg1->setToolTip(QStringLiteral("P(repetição)"));
    sg1->setItemDelegate(new CellPainter(*this, sg1));
    connect(sg1, &QTableWidget::currentCellChanged, this, [this] { sg1Click(); });

    Chart1->SetTitle(QStringLiteral("Gráfico posicional/bayesiano"));
    Chart1->SetAxisTitles(QStringLiteral("Posição"), QStringLiteral("P(sorteio)"));
    Series1 = &Chart1->AddBarSeries(QStringLiteral("Dezena"), Qt::red);
    Series1->SetMarksVisible(true);
}

TPositionalBayesAnalysis::Steps TForm11::CurrentSteps() const {
    TPositionalBayesAnalysis::Steps steps;
    steps.last = Last();
    steps.first = First();
    steps.next = Next();
    return steps;
}

void TForm11::btLoadClick() {
    TForm1::btLoadClick();
    engine_->Load();
    engine_->SetTolerance(udTolerancia->value());
    const int n = engine_->N();
    const int k = engine_->K();
    {
        const QSignalBlocker blocker(sg1);
        SetGridSize(n + 1, k + 3);
        const std::vector<std::string> header = engine_->HeaderTexts();
        for (size_t c = 0; c < header.size(); ++c) SetCell(0, static_cast<int>(c), Text(header[c]));
        for (int number = 1; number <= n; ++number)
            SetCell(number, 0, Text(engine_->RowTexts(number).front()));
        // The first data row is the selected one, as a fresh grid has it.
        if (n >= 1) sg1->setCurrentCell(1, 1);
    }
    btPreviewClick();
}

void TForm11::btPreviewClick() {
    TForm1::btPreviewClick();
    engine_->SetTolerance(udTolerancia->value());
    // The fills follow the thresholds even where no text changed.
    sg1->viewport()->update();
    btAnalyseClick();
}

void TForm11::btCalculateClick() {
    TForm1::btCalculateClick();
    engine_->Calculate(CurrentSteps(), cbTheoryOnly->isChecked());
}

void TForm11::btGridRefreshClick() {
    TForm1::btGridRefreshClick();
    const int n = engine_->N();
    const int k = engine_->K();
    if (sg1->rowCount() != n + 1 || sg1->columnCount() != k + 3) return; // not loaded
    sg1->setUpdatesEnabled(false);
    for (int number = 1; number <= n; ++number) {
        const std::vector<std::string> texts = engine_->RowTexts(number);
        for (size_t c = 1; c < texts.size(); ++c) SetCell(number, static_cast<int>(c), Text(texts[c]));
    }
    sg1->resizeColumnsToContents();
    sg1->setUpdatesEnabled(true);
}

int TForm11::SelectedNumber() const {
    // The header row is not a number: the first data row stands for it.
    return std::clamp(sg1->currentRow(), 1, std::max(engine_->N(), 1));
}

void TForm11::btChartRefreshClick() {
    TForm1::btChartRefreshClick();
    const int number = SelectedNumber();
    Series1->Clear();
    Series1->SetTitle(QStringLiteral("Dezena ") + QString::number(number));
    for (const Analysis::Bar& bar : engine_->Bars(number)) Series1->Append(bar.x, bar.y);
    Chart1->Redraw();
}

void TForm11::btAnalyseClick() {
    TForm1::btAnalyseClick();
    QStringList lines;
    for (const std::string& line : engine_->MemoLines(engine_->Analyse(CurrentSteps())))
        lines.append(Text(line));
    SetMemo(lines);
}

void TForm11::sg1Click() {
    btChartRefreshClick();
}

void TForm11::cbTheoryOnlyClick() {
    btPreviewClick();
}

void TForm11::udToleranciaClick() {
    edTolerancia->setText(QString::number(udTolerancia->value()));
    btPreviewClick();
}

QColor TForm11::CellColor(int row, int column) const {
    const QPalette& palette = sg1->palette();
    if (row <= 0 || column <= 0) return palette.color(QPalette::Button);
    switch (engine_->RowFill(row)) {
    case Analysis::Fill::Avoid:
        return QColor(Qt::red);
    case Analysis::Fill::Bet:
        return SkyBlue();
    case Analysis::Fill::Plain:
        break;
    }
    return palette.color(QPalette::Base);
}

void TForm11::sg1DrawCell(QPainter* painter, const QStyleOptionViewItem& option, int row, int column) const {
    const QRect rect = option.rect;
    painter->save();
    painter->fillRect(rect, CellColor(row, column));
    const bool fixed = row <= 0 || column <= 0;
    painter->setPen(sg1->palette().color(fixed ? QPalette::ButtonText : QPalette::Text));
    painter->setFont(option.font);
    const QTableWidgetItem* item = sg1->item(row, column);
    if (item)
        painter->drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                          item->text());
    if (row == sg1->currentRow() && column == sg1->currentColumn() && !fixed) {
        // A dotted focus outline just inside the cell; the fill stays visible.
        painter->setPen(QPen(sg1->palette().color(QPalette::Text), 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(rect.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}
