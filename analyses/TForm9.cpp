#include "TForm9.h"

#include "NumberText.h"
#include "TChancePanel.h"
#include "TChartSeries.h"
#include "TChartView.h"
#include "TForm2.h"
#include "TForm3.h"
#include "TMessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

using Analysis = TPositionalAnalysis;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

TAnalysisForm::Features PositionalFeatures() {
    TAnalysisForm::Features features;
    features.Network = false;
    features.Neighbours = false;
    return features;
}

QRadioButton* Radio(QWidget* parent, const char* name, const QString& caption, const QString& hint) {
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    return button;
}

void Fill(TChartSeries& series, const std::vector<Analysis::Point>& points) {
    series.Clear();
    for (const Analysis::Point& point : points) series.Append(point.x, point.y);
    series.Redraw();
}

} // namespace

TForm9::TForm9(TForm3& game, QWidget* parent)
    : TAnalysisForm(game, TLottery::Positional, QStringLiteral("Análise posicional"), PositionalFeatures(),
                    parent),
      engine_(std::make_unique<TPositionalAnalysis>(Lottery())) {
    BuildOwnControls();
    // No network here: the memo keeps its initial text.
    SetMemo({QStringLiteral("Sem previsão")});
}

TForm9::~TForm9() = default;

void TForm9::Install(TForm2& mainWindow) {
    mainWindow.SetAnalysisOpener(TLottery::Positional, [](TForm3& game) -> QWidget* {
        auto* window = new TForm9(game);
        window->Open(window->N());
        return window;
    });
}

void TForm9::BuildOwnControls() {
    QWidget* box = OptionsBox();
    QHBoxLayout* row = OptionsLayout();

    auto* label = new QLabel(QStringLiteral("Campo de análise:"), box);
    label->setObjectName(QStringLiteral("Label3"));
    ComboBox1 = new QComboBox(box);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setToolTip(QStringLiteral("Bola a analisar"));
    for (int i = 1; i <= K(); ++i) ComboBox1->addItem(QString::number(i) + QStringLiteral("ª bola"));
    if (ComboBox1->count() > 0) ComboBox1->setCurrentIndex(0);
    label->setBuddy(ComboBox1);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TForm9::ComboBox1Change);
    row->addWidget(label);
    row->addWidget(ComboBox1);

    auto* style = new QGroupBox(QStringLiteral("Estilo"), box);
    style->setObjectName(QStringLiteral("GroupBox2"));
    auto* styleRow = new QHBoxLayout(style);
    opPosicao =
        Radio(style, "opPosicao", QStringLiteral("Posição"),
              QStringLiteral("Mostra a distribuição da amostra de acordo com a posição da combinação."));
    opAdiant = Radio(
        style, "opAdiant", QStringLiteral("Adiantamento"),
        QStringLiteral(
            "Mostra o adiantamento (em número de vezes sorteada em sequência) da dezena em dada posição."));
    opAtraso = Radio(
        style, "opAtraso", QStringLiteral("Atraso"),
        QStringLiteral(
            "Mostra o atraso (em número de vezes não sorteada em sequência) da dezena em dada posição."));
    opPosicao->setChecked(true);
    for (QRadioButton* button : {opPosicao, opAdiant, opAtraso}) styleRow->addWidget(button);
    connect(opPosicao, &QRadioButton::clicked, this, &TForm9::opPosicaoClick);
    connect(opAdiant, &QRadioButton::clicked, this, &TForm9::opAdiantClick);
    connect(opAtraso, &QRadioButton::clicked, this, &TForm9::opAdiantClick);
    row->addWidget(style);

    auto* kind = new QGroupBox(QStringLiteral("Tipo"), box);
    kind->setObjectName(QStringLiteral("GroupBox3"));
    auto* kindRow = new QHBoxLayout(kind);
    opReal = Radio(kind, "opReal", QStringLiteral("Real"),
                   QStringLiteral("Mostra a quantidade real com base na amostra."));
    opTeor = Radio(kind, "opTeor", QStringLiteral("Teórico"),
                   QStringLiteral("Mostra a proporção teórica esperada."));
    opDifer = Radio(kind, "opDifer", QStringLiteral("Delta"),
                    QStringLiteral("Diferença entre a quantidade real e a teórica esperada."));
    opReal->setChecked(true);
    for (QRadioButton* button : {opReal, opTeor, opDifer}) kindRow->addWidget(button);
    connect(opReal, &QRadioButton::clicked, this, &TForm9::opRealClick);
    connect(opDifer, &QRadioButton::clicked, this, &TForm9::opRealClick);
    connect(opTeor, &QRadioButton::clicked, this, &TForm9::opTeorClick);
    row->addWidget(kind);

    opFrac = new QComboBox(box);
    opFrac->setObjectName(QStringLiteral("opFrac"));
    opFrac->setToolTip(
        QStringLiteral("Exibe o percentual teórico em notação quantitativa, fracionária ou percentual."));
    opFrac->addItems({QStringLiteral("Quant."), QStringLiteral("Fração"), QStringLiteral("Percen.")});
    opFrac->setCurrentIndex(0);
    opFrac->hide();
    connect(opFrac, &QComboBox::currentIndexChanged, this, &TForm9::Button2Click);
    row->addWidget(opFrac);

    ComboBox2 = new QComboBox(box);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->setToolTip(QStringLiteral("Dezena a visualizar no gráfico."));
    for (int i = 1; i <= N(); ++i) ComboBox2->addItem(QString::number(i) + QStringLiteral("ª dezena"));
    ComboBox2->hide();
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, &TForm9::Button2Click);
    row->addWidget(ComboBox2);

    opGrupo = new QCheckBox(QStringLiteral("Grupo"), box);
    opGrupo->setObjectName(QStringLiteral("opGrupo"));
    opGrupo->setToolTip(QStringLiteral(
        "Exibe a evolução percentual das dezenas ao longo do tempo em janelas do tamanho da amostra."));
    connect(opGrupo, &QCheckBox::toggled, this, &TForm9::Button2Click);
    row->addWidget(opGrupo);

    auto* forecast = new QLabel(QStringLiteral("Previsão:"), box);
    forecast->setObjectName(QStringLiteral("Label5"));
    row->addWidget(forecast);

    Button5 = new QPushButton(QStringLiteral("Carrega dados"), box);
    Button5->setObjectName(QStringLiteral("Button5"));
    Button5->hide();
    connect(Button5, &QPushButton::clicked, this, &TForm9::Button5Click);
    row->addWidget(Button5);

    sg1->verticalHeader()->setDefaultSectionSize(18);

    QVBoxLayout* charts = ChartLayout();
    Chart2 = new TChartView(this);
    Chart2->setObjectName(QStringLiteral("Chart2"));
    Chart2->SetTitle(QStringLiteral("Distribuição normal"));
    Chart2->SetAxisTitles(QStringLiteral("Dezena"), QStringLiteral("Concursos"));
    Chart2->SetLegendVisible(false);
    Series1 = &Chart2->AddBarSeries(QStringLiteral("Dezenas"));
    Series2 = &Chart2->AddLineSeries(QStringLiteral("Teórica"), Qt::red);
    Series2->SetLineWidth(2);
    Chart1 = new TChartView(this);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->SetTitle(QStringLiteral("Evolução percentual das dezenas ao longo do tempo"));
    Chart1->SetAxisTitles(QStringLiteral("Tempo"), QStringLiteral("Percentual"));
    Chart1->setToolTip(
        QStringLiteral("Marque uma área no gráfico para zoom, clique numa das linhas para saber "
                       "qual a dezena correspondente."));
    connect(Chart1, &TChartView::PointClicked, this,
            [this](int series, double x, double y, int) { Chart1ClickSeries(series, x, y); });
    Chart1->hide();
    for (TChartView* chart : {Chart2, Chart1}) {
        chart->setMinimumHeight(160);
        charts->addWidget(chart);
        AttachChart(chart);
    }
    Chance = new TChancePanel(this);
    charts->addWidget(Chance);
    AttachGrid(Chance->Grid());
}

TPositionalAnalysis::Options TForm9::CurrentOptions() const {
    Analysis::Options options;
    options.Kind = opAdiant->isChecked()   ? Analysis::Style::Advance
                   : opAtraso->isChecked() ? Analysis::Style::Delay
                                           : Analysis::Style::Position;
    options.Shown = opTeor->isChecked()    ? Analysis::Value::Theory
                    : opDifer->isChecked() ? Analysis::Value::Delta
                                           : Analysis::Value::Real;
    options.Format = static_cast<Analysis::Notation>(std::max(opFrac->currentIndex(), 0));
    options.Position = std::max(ComboBox1->currentIndex(), 0);
    options.Ball = std::max(ComboBox2->currentIndex(), 0);
    return options;
}

void TForm9::LoadSample() {
    Edit1->setText(QString::number(SampleSize()));
    engine_->Load(SampleSize());
    Chance->SetTest(TChanceAudit::Positional(Lottery().PositionCounts, Lottery().PositionProbabilities,
                                             engine_->SampleSize()));
    // The position change: preset the most likely ball of the position. The
    // caller previews.
    const QSignalBlocker blocker(ComboBox2);
    if (ComboBox2->count() > 0)
        ComboBox2->setCurrentIndex(engine_->PresetBall(std::max(ComboBox1->currentIndex(), 0)));
}

void TForm9::Button5Click() {
    LoadSample();
    PreviewAnalysis();
}

void TForm9::ComboBox1Change() {
    {
        const QSignalBlocker blocker(ComboBox2);
        if (ComboBox2->count() > 0)
            ComboBox2->setCurrentIndex(engine_->PresetBall(std::max(ComboBox1->currentIndex(), 0)));
    }
    PreviewAnalysis();
}

void TForm9::opPosicaoClick() {
    ComboBox2->hide();
    opGrupo->show();
    PreviewAnalysis();
}

void TForm9::opAdiantClick() {
    ComboBox2->show();
    opGrupo->hide();
    PreviewAnalysis();
}

void TForm9::opRealClick() {
    opFrac->hide();
    PreviewAnalysis();
}

void TForm9::opTeorClick() {
    opFrac->show();
    PreviewAnalysis();
}

void TForm9::Chart1ClickSeries(int seriesIndex, double x, double y) {
    if (seriesIndex < 0 || seriesIndex >= Chart1->SeriesCount()) return;
    TMessageBox::Show(this, Chart1->Series(seriesIndex).Title() + QStringLiteral("\r\nTempo = ") +
                                Text(NumberText::FormatGeneral(x)) + QStringLiteral("\r\nPercentual = ") +
                                Text(NumberText::FormatGeneral(y)) + QStringLiteral("%"));
}

void TForm9::ShowGroup(int position) {
    Chart1->RemoveAllSeries();
    for (const Analysis::Line& line : engine_->GroupLines(position)) {
        TChartSeries& series = Chart1->AddLineSeries(Text(line.Title));
        series.SetLineWidth(2);
        series.SetMarksVisible(false);
        for (const Analysis::Point& point : line.Points) series.Append(point.x, point.y);
    }
    Chart1->Redraw();
}

void TForm9::PreviewAnalysis() {
    const Analysis::Options options = CurrentOptions();
    const Analysis::Result result = engine_->Compute(options);
    Series1->Clear();
    Series2->Clear();
    Chart2->SetTitle(Text(result.Title));
    Chart2->SetAxisTitles(Text(result.BottomAxis), QStringLiteral("Concursos"));
    if (options.Kind == Analysis::Style::Position && opGrupo->isChecked()) {
        Chart2->hide();
        Chart1->show();
        ShowGroup(options.Position);
    } else {
        Chart1->hide();
        Chart2->show();
    }
    sg1->setUpdatesEnabled(false);
    SetGridSize(result.Rows, result.Columns);
    for (int r = 0; r < result.Rows; ++r)
        for (int c = 0; c < result.Columns; ++c) SetCell(r, c, Text(result.Cell(r, c)));
    sg1->resizeColumnsToContents();
    sg1->setUpdatesEnabled(true);
    Fill(*Series1, result.Counts);
    Fill(*Series2, result.Theory);
}
