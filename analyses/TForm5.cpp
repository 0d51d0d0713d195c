#include "TForm5.h"

#include "NumberText.h"
#include "TChancePanel.h"
#include "TChartSeries.h"
#include "TChartView.h"
#include "TDelayCharts.h"
#include "TDelayTableModel.h"
#include "TForm2.h"
#include "TForm3.h"
#include "TMessageBox.h"
#include "TQSGLine.h"
#include "TQSpiderAxe.h"
#include "TQSpiderGraph.h"
#include "TWL.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPieSeries>
#include <QPieSlice>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScatterSeries>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

using Analysis = TDelayAnalysis;

// Channel of the coalesced training updates.
enum Channel : int { FitChannel };

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QLabel* Label(QWidget* parent, const char* name, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QRadioButton* Radio(QWidget* parent, const char* name, const QString& caption, const QString& hint = {}) {
    auto* radio = new QRadioButton(caption, parent);
    radio->setObjectName(QString::fromLatin1(name));
    radio->setToolTip(hint);
    return radio;
}

const QString ZoomHint = QStringLiteral("Marque uma área no gráfico para zoom");

void Fill(TChartSeries& series, const std::vector<Analysis::Point>& points) {
    series.Clear();
    for (const Analysis::Point& point : points) series.Append(point.x, point.y);
    series.Redraw();
}

// Every series of a chart from its own list, drawn once at the end (a chart
// of one series per ball would otherwise rescale once per ball).
void FillAll(TChartView& chart, const std::vector<TDelayCharts::Series>& series) {
    for (int i = 0; i < chart.SeriesCount(); ++i) {
        TChartSeries& target = chart.Series(i);
        target.Clear();
        if (static_cast<size_t>(i) >= series.size()) continue;
        for (const Analysis::Point& point : series[static_cast<size_t>(i)]) target.Append(point.x, point.y);
    }
    chart.Redraw();
}

// A pie of one slice per ball, biggest first and pulled out by a quarter.
void FillPie(TChartView& chart, const std::vector<std::string>& labels, const std::vector<double>& values) {
    TChartSeries& pie = chart.Series(0);
    pie.Clear();
    for (const size_t i : TDelayCharts::Descending(values))
        pie.AppendLabelled(static_cast<double>(i) + 1, values[i], QString::fromStdString(labels[i]));
    chart.Redraw();
    if (auto* slices = qobject_cast<QPieSeries*>(pie.QtSeries()); slices && !slices->slices().isEmpty()) {
        QPieSlice* biggest = slices->slices().first();
        biggest->setExploded(true);
        biggest->setExplodeDistanceFactor(0.25);
    }
}

TChartView* MakeChart(QWidget* parent, const char* name, const QString& title, const QString& bottom = {},
                      const QString& left = {}) {
    auto* chart = new TChartView(parent);
    chart->setObjectName(QString::fromLatin1(name));
    chart->SetTitle(title);
    if (!bottom.isEmpty() || !left.isEmpty()) chart->SetAxisTitles(bottom, left);
    chart->setToolTip(ZoomHint);
    chart->SetGradientBackground(QColor(235, 240, 255), Qt::white);
    chart->setMinimumHeight(160);
    return chart;
}

TChartView* MakePie(QWidget* parent, const char* name, const QString& title) {
    TChartView* chart = MakeChart(parent, name, title);
    chart->SetZoomEnabled(false);
    TChartSeries& pie = chart->AddPieSeries(QStringLiteral("Share"));
    pie.SetMarksVisible(true);
    pie.SetPercentInMarks(true);
    return chart;
}

// The box layout that holds a widget, searched from a root layout.
QBoxLayout* LayoutHolding(QLayout* root, QWidget* widget) {
    if (!root) return nullptr;
    if (root->indexOf(widget) >= 0) return qobject_cast<QBoxLayout*>(root);
    for (int i = 0; i < root->count(); ++i)
        if (QBoxLayout* found = LayoutHolding(root->itemAt(i)->layout(), widget)) return found;
    return nullptr;
}

} // namespace

TForm5::TForm5(TForm3& game, QWidget* parent)
    : TAnalysisForm(game, TLottery::Delay, QStringLiteral("Análise atrasadas"),
                    Features{.Network = true,
                             .ErrorFieldName = QStringLiteral("Edit3"),
                             .EpochFieldName = QStringLiteral("Edit4"),
                             .CalculatorTool = false,
                             .CalculatorPopup = false,
                             .Neighbours = true,
                             .NormalWindow = 6,
                             .NormalNeighbours = 6,
                             .DeltaWindow = 6,
                             .DeltaNeighbours = 3,
                             .SampleLabel = QString()},
                    parent),
      engine_(std::make_unique<TDelayAnalysis>(Lottery())) {
    resize(696, 480);
    OptionsBox()->setTitle(QStringLiteral("Análise do atraso por bola"));
    BuildOwnControls();
    BuildCharts();
    BuildPopup();
    // The load; the frame's opening then runs UpDown1Click (and so Preview).
    Button4Click();
}

TForm5::~TForm5() {
    // The worker may be using the engine: it must end before the engine goes.
    StopAndWait();
}

void TForm5::Install(TForm2& mainWindow) {
    mainWindow.SetAnalysisOpener(TLottery::Delay, [](TForm3& game) -> QWidget* {
        auto* window = new TForm5(game);
        window->Open(40);
        return window;
    });
}

void TForm5::BuildOwnControls() {
    QWidget* box = OptionsBox();
    QHBoxLayout* row = OptionsLayout();

    // "Tamanho da amostra:" stands before the frame's sample-size field.
    Label3 = Label(box, "Label3", QStringLiteral("Tamanho da amostra:"));
    if (QBoxLayout* frameRow = LayoutHolding(box->layout(), Edit1))
        frameRow->insertWidget(frameRow->indexOf(Edit1), Label3);
    else
        row->addWidget(Label3);

    Label1 = Label(box, "Label1", QStringLiteral("Frequência:"));
    opAbsoluto =
        Radio(box, "opAbsoluto", QStringLiteral("Absoluta"),
              QStringLiteral("Mostra, para cada bola, a quantidade de ocorrência de atrasos (não sorteio) "
                             "e adiantamentos (sorteio)."));
    opAbsoluto->setChecked(true);
    opRelativo = Radio(
        box, "opRelativo", QStringLiteral("Relativa"),
        QStringLiteral("Mostra, para cada bola, a distância da probabilidade real desta para a teórica"));
    opPasseio = Radio(box, "opPasseio", QStringLiteral("Passeio aleatório"),
                      QStringLiteral("Mostra, para cada bola, o passeio aleatório (estilo cara-ou-coroa)"));
    connect(opAbsoluto, &QRadioButton::clicked, this, &TForm5::opAbsolutoClick);
    connect(opRelativo, &QRadioButton::clicked, this, &TForm5::opRelativoClick);
    connect(opPasseio, &QRadioButton::clicked, this, &TForm5::opRelativoClick);
    row->addWidget(Label1);
    row->addWidget(opAbsoluto);
    row->addWidget(opRelativo);
    row->addWidget(opPasseio);

    Label4 = Label(box, "Label4", QStringLiteral("Campo de análise:"));
    ComboBox1 = new QComboBox(box);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setToolTip(QStringLiteral("Bola a analisar"));
    for (int b = 1; b <= N(); ++b) ComboBox1->addItem(QString::number(b) + QStringLiteral("ª dezena"));
    ComboBox1->setCurrentIndex(0);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TForm5::ComboBox1Change);
    Label4->setBuddy(ComboBox1);
    row->addWidget(Label4);
    row->addWidget(ComboBox1);

    Label5 = Label(box, "Label5", QStringLiteral("Previsão:"));
    row->addWidget(Label5);

    // The load, a hidden step run from code.
    Button4 = new QPushButton(QStringLiteral("Carga"), box);
    Button4->setObjectName(QStringLiteral("Button4"));
    Button4->hide();
    connect(Button4, &QPushButton::clicked, this, &TForm5::Button4Click);
    row->addWidget(Button4);

    QFont memoFont(QStringLiteral("Times New Roman"));
    Memo1->setFont(memoFont);
    Memo1->setMinimumHeight(30);
    SetMemo({QStringLiteral("Sem previsão")});

    // The delay table: a view over the engine, whatever the history's length.
    model_ = new TDelayTableModel(*engine_, this);
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("sg1"));
    grid_->setModel(model_);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(18);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid_->horizontalHeader()->setDefaultSectionSize(
        grid_->fontMetrics().horizontalAdvance(QStringLiteral("-0,000000")) + 12);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setWordWrap(false);
    SetGridView(grid_);
}

void TForm5::BuildCharts() {
    auto* lower = new QHBoxLayout;
    lower->setContentsMargins(0, 0, 0, 0);
    ChartLayout()->addLayout(lower, 1);

    GroupBox2 = new QGroupBox(QStringLiteral("&Gráfico"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto* charts = new QVBoxLayout(GroupBox2);
    charts->setContentsMargins(2, 2, 2, 2);
    charts->setSpacing(0);
    ComboBox2 = new QComboBox(GroupBox2);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->setFont(QFont(QStringLiteral("Lucida Console")));
    ComboBox2->addItems({QStringLiteral("Frequência da bola selecionada"), QStringLiteral("Atraso geral"),
                         QStringLiteral("Share de maior atraso"), QStringLiteral("Share de menor atraso"),
                         QStringLiteral("Share de frequencia"), QStringLiteral("Teia de correlação"),
                         QStringLiteral("Análise das ondaletas"), QStringLiteral("Mapa de retorno"),
                         QStringLiteral("Periodograma"), QStringLiteral("Distribuição temporal")});
    charts->addWidget(ComboBox2);
    Chart1 = MakeChart(GroupBox2, "Chart1", QStringLiteral("Freqüência da bola selecionada"),
                       QStringLiteral("Concurso"), QStringLiteral("Atraso(-) ou Adiant.(+)"));
    Series1 = &Chart1->AddLineSeries(QStringLiteral("Real"), Qt::red);
    Series2 = &Chart1->AddLineSeries(QStringLiteral("Previsão"), Qt::green);
    Series3 = &Chart1->AddLineSeries(QStringLiteral("Regressão linear"), Qt::blue);
    Series4 = &Chart1->AddLineSeries(QStringLiteral("Acaso 95 % atraso"), Qt::darkGray);
    Series5 = &Chart1->AddLineSeries(QStringLiteral("Acaso 95 % adiant."), Qt::gray);
    charts->addWidget(Chart1, 1);
    AttachChart(Chart1);
    BuildChartViews(GroupBox2, charts);
    lower->addWidget(GroupBox2, 1);
    Chance = new TChancePanel(this);
    ChartLayout()->addWidget(Chance);
    AttachGrid(Chance->Grid());

    GroupBox3 = new QGroupBox(QStringLiteral("Regressão"), this);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    GroupBox3->setMinimumWidth(112);
    auto* regression = new QVBoxLayout(GroupBox3);
    regression->setContentsMargins(4, 2, 4, 2);
    opLin = Radio(GroupBox3, "opLin", QStringLiteral("Linear"));
    opLin->setChecked(true);
    opExp = Radio(GroupBox3, "opExp", QStringLiteral("Exponencial"));
    opLog = Radio(GroupBox3, "opLog", QStringLiteral("Logarítmica"));
    opPot = Radio(GroupBox3, "opPot", QStringLiteral("Potência"));
    connect(opLin, &QRadioButton::clicked, this, &TForm5::opLinClick);
    connect(opExp, &QRadioButton::clicked, this, &TForm5::opExpClick);
    connect(opLog, &QRadioButton::clicked, this, &TForm5::opLogClick);
    connect(opPot, &QRadioButton::clicked, this, &TForm5::opPotClick);
    for (QRadioButton* radio : {opLin, opExp, opLog, opPot}) regression->addWidget(radio);

    Label2 = Label(GroupBox3, "Label2", QStringLiteral("Não incluir últimos:"));
    regression->addWidget(Label2);
    auto* excluded = new QHBoxLayout;
    Edit2 = new QLineEdit(QStringLiteral("0"), GroupBox3);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setReadOnly(true);
    Edit2->setFocusPolicy(Qt::NoFocus);
    Edit2->setMaximumWidth(Edit2->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    upUlt = new QSpinBox(GroupBox3);
    upUlt->setObjectName(QStringLiteral("upUlt"));
    upUlt->setRange(0, 0);
    // Only the arrows show: the number stands in Edit2.
    if (auto* number = upUlt->findChild<QLineEdit*>()) number->hide();
    upUlt->setFixedWidth(upUlt->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, upUlt) + 6);
    upUlt->setKeyboardTracking(false);
    connect(upUlt, &QSpinBox::valueChanged, this, [this] { upUltClick(); });
    Label2->setBuddy(upUlt);
    excluded->addWidget(Edit2);
    excluded->addWidget(upUlt);
    excluded->addStretch(1);
    regression->addLayout(excluded);

    Label6 = Label(GroupBox3, "Label6", QStringLiteral("spLines:"));
    sb3 = new QScrollBar(Qt::Horizontal, GroupBox3);
    sb3->setObjectName(QStringLiteral("sb3"));
    sb3->setRange(1, 30);
    sb3->setValue(1);
    connect(sb3, &QScrollBar::valueChanged, this, &TForm5::sb3Change);
    regression->addWidget(Label6);
    regression->addWidget(sb3);
    regression->addStretch(1);
    lower->addWidget(GroupBox3);
}

void TForm5::BuildChartViews(QWidget* box, QBoxLayout* layout) {
    Chart2 = MakeChart(box, "Chart2", QStringLiteral("Atraso geral"), QStringLiteral("Vez"),
                       QStringLiteral("Atraso (jogos)"));
    Chart3 = MakePie(box, "Chart3", QStringLiteral("Share de maior atraso"));
    Chart4 = MakePie(box, "Chart4", QStringLiteral("Share de menor atraso"));
    Chart5 = MakePie(box, "Chart5", QStringLiteral("Share de frequencia"));

    // The correlation web and its two copy buttons.
    Chart6 = new TQSpiderGraph(box);
    Chart6->setObjectName(QStringLiteral("Chart6"));
    Chart6->setToolTip(
        QStringLiteral("Coeficiente de correlação obtido pela regressão linear da bola versus as demais."));
    Chart6->SetTitleCaption(QStringLiteral("Teia de correlação"));
    Chart6->SetAxesColor(QColor(0, 0, 128));
    Chart6->SetAxesAutoSized(true);
    Chart6->SetAxesCaptionsFramed(false);
    Chart6->SetBorderStyle(TQSpiderGraph::bsNone);
    Chart6->SetBackGround(TQSpiderGraph::bgTopBottom);
    Chart6->SetBackGStartColor(Qt::yellow);
    Chart6->SetBackGFinalColor(Qt::white);
    Chart6->SetTitlePosition(TQSpiderGraph::qtpTop);
    Chart6->SetPolygonFill(false);
    Chart6->SetDefaultPenWidth(2);
    Chart6->SetShowLinesCaption(true);
    Chart6->SetLinesBoxTransparent(false);
    Chart6->SetLinesBoxColor(Qt::white);
    Chart6->SetHighlightColor(Qt::yellow);
    Chart6->SetTrackMouseMoves(true);
    Chart6->SetShowMouseBox(false);
    Chart6->SetMBoxForColor(Qt::black);
    Chart6->SetMBoxBackColor(QToolTip::palette().color(QPalette::ToolTipBase));
    Chart6->SetMBoxUsesLnColor(false);
    Chart6->setMinimumHeight(160);
    Button6 = new QPushButton(QStringLiteral("Copiar correlações"), box);
    Button6->setObjectName(QStringLiteral("Button6"));
    Button7 = new QPushButton(QStringLiteral("Copiar gráfico"), box);
    Button7->setObjectName(QStringLiteral("Button7"));
    connect(Button6, &QPushButton::clicked, this, &TForm5::Button6Click);
    connect(Button7, &QPushButton::clicked, this, &TForm5::Button7Click);

    Chart7 = MakeChart(box, "Chart7", QStringLiteral("Análise das ondaletas (método Haars)"),
                       QStringLiteral("Tempo"), QStringLiteral("Valores"));
    Chart7->SetLegendVisible(false);
    Chart7Foot = Label(box, "Chart7Foot", QStringLiteral("Nível 0"));
    Chart7Foot->setAlignment(Qt::AlignCenter);
    sb1 = new QScrollBar(Qt::Horizontal, box);
    sb1->setObjectName(QStringLiteral("sb1"));
    sb1->setRange(0, 0);
    connect(sb1, &QScrollBar::valueChanged, this, &TForm5::sb1Change);
    Button5 = new QPushButton(QStringLiteral("WaveLet Level Refresh"), box);
    Button5->setObjectName(QStringLiteral("Button5"));
    Button5->hide();
    connect(Button5, &QPushButton::clicked, this, &TForm5::Button5Click);

    Chart8 = MakeChart(box, "Chart8", QStringLiteral("Mapa de retorno"), QStringLiteral("Retorno"),
                       QStringLiteral("Frequência"));
    HistogramY = &Chart8->AddBarSeries(QStringLiteral("Histograma Y"), Qt::green);
    HistogramY->SetHorizontalBars(true);
    HistogramY->SetBarWidth(0.3);
    HistogramX = &Chart8->AddBarSeries(QStringLiteral("Histograma X"), Qt::yellow);
    HistogramX->SetBarWidth(0.1);
    Distribution = &Chart8->AddPointSeries(QStringLiteral("Distribuição"), Qt::red);
    Distribution->SetPointSize(4);
    if (auto* points = qobject_cast<QScatterSeries*>(Distribution->QtSeries()))
        points->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    sb2 = new QScrollBar(Qt::Horizontal, box);
    sb2->setObjectName(QStringLiteral("sb2"));
    sb2->setRange(1, 1);
    connect(sb2, &QScrollBar::valueChanged, this, &TForm5::sb2Change);
    opHistX = new QCheckBox(QStringLiteral("Histograma X"), box);
    opHistX->setObjectName(QStringLiteral("opHistX"));
    opHistY = new QCheckBox(QStringLiteral("Histograma Y"), box);
    opHistY->setObjectName(QStringLiteral("opHistY"));
    connect(opHistX, &QCheckBox::clicked, this, &TForm5::opHistXClick);
    connect(opHistY, &QCheckBox::clicked, this, &TForm5::opHistYClick);

    Chart9 = MakeChart(box, "Chart9", QStringLiteral("Periodograma <br>Transformada de Fourier"),
                       QStringLiteral("Frequência"), QStringLiteral("Amplitude"));
    Chart9->SetLegendVisible(false);
    Chart9->AddBarSeries(QStringLiteral("Amplitude"), Qt::red);
    Chart10 = MakeChart(box, "Chart10", QStringLiteral("Distribuição temporal"), QStringLiteral("Concurso"),
                        QStringLiteral("Dezena"));
    Chart10->SetLegendVisible(false);

    for (TChartView* chart : {Chart2, Chart3, Chart4, Chart5, Chart7, Chart8, Chart9, Chart10})
        AttachChart(chart);

    // Each item's controls, below the chooser; the buttons and options in a row.
    auto* webButtons = new QHBoxLayout;
    webButtons->addWidget(Button6);
    webButtons->addWidget(Button7);
    webButtons->addStretch(1);
    auto* mapOptions = new QHBoxLayout;
    mapOptions->addWidget(sb2, 1);
    mapOptions->addWidget(opHistX);
    mapOptions->addWidget(opHistY);
    for (QWidget* chart : std::initializer_list<QWidget*>{Chart2, Chart3, Chart4, Chart5, Chart6, Chart7})
        layout->addWidget(chart, 1);
    layout->addWidget(Chart7Foot);
    layout->addWidget(sb1);
    layout->addWidget(Chart8, 1);
    layout->addLayout(mapOptions);
    layout->addWidget(Chart9, 1);
    layout->addWidget(Chart10, 1);
    layout->addLayout(webButtons);
    layout->addWidget(Button5);
    views_ = {{Chart1},
              {Chart2},
              {Chart3},
              {Chart4},
              {Chart5},
              {Chart6, Button6, Button7},
              {Chart7, Chart7Foot, sb1},
              {Chart8, sb2, opHistX, opHistY},
              {Chart9},
              {Chart10}};
    Wavelet = std::make_unique<TWL>();
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, &TForm5::ComboBox2Change);
    ComboBox2->setCurrentIndex(0);
    ComboBox2Change();
}

void TForm5::BuildBallSeries() {
    // One series per ball, series b - 1 for ball b; the count only changes
    // with the game, so a new view keeps them.
    if (Chart2->SeriesCount() == N() && Chart10->SeriesCount() == N()) return;
    Chart2->RemoveAllSeries();
    Chart10->RemoveAllSeries();
    for (int b = 1; b <= N(); ++b) {
        Chart2->AddBarSeries(QStringLiteral("Bola ") + QString::number(b));
        Chart10->AddPointSeries(QStringLiteral("Dezena ") + QString::number(b)).SetPointSize(4);
    }
}

void TForm5::ComboBox2Change() {
    const int item = std::clamp(ComboBox2->currentIndex(), 0, static_cast<int>(views_.size()) - 1);
    // The time distribution is brought up to date before it shows.
    if (item == 9) PreviewAnalysis();
    if (item == 7) {
        sb2->setRange(1, std::max(SampleSize() - 1, 1));
        sb2->setValue(1);
    }
    for (size_t i = 0; i < views_.size(); ++i)
        if (static_cast<int>(i) != item)
            for (QWidget* control : views_[i]) control->hide();
    for (QWidget* control : views_[static_cast<size_t>(item)]) control->show();
    DrawView(item);
}

void TForm5::resizeEvent(QResizeEvent* event) {
    TAnalysisForm::resizeEvent(event);
    // The layout fits the spider graph again; the time distribution is
    // previewed again as on its selection. The lag of the return map is
    // kept: resetting it here would forget the training at every resize.
    if (ComboBox2 && ComboBox2->currentIndex() == 9) PreviewAnalysis();
}

void TForm5::Button5Click() {
    const int level = sb1->value();
    const std::vector<TDelayCharts::Series> waves = TDelayCharts::WaveletLevel(*Wavelet, level);
    Chart7->RemoveAllSeries();
    for (size_t w = 0; w < waves.size(); ++w) {
        TChartSeries& series = Chart7->AddLineSeries(QStringLiteral("Onda ") + QString::number(w));
        for (const Analysis::Point& point : waves[w]) series.Append(point.x, point.y);
    }
    Chart7Foot->setText(QStringLiteral("Nível ") + QString::number(level));
    Chart7->Redraw();
}

void TForm5::sb1Change() {
    Button5Click();
}

void TForm5::sb2Change() {
    SettingChanged();
}

void TForm5::opHistXClick() {
    SettingChanged();
}

void TForm5::opHistYClick() {
    SettingChanged();
}

void TForm5::Button6Click() {
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(Text(TDelayCharts::CorrelationText(*engine_)));
    TMessageBox::Show(this, QStringLiteral("Dados das correlações copiados"));
}

void TForm5::Button7Click() {
    QImage bitmap(Chart6->size(), QImage::Format_RGB16);
    if (!Chart6->CopyToBitmap(&bitmap)) return;
    QApplication::clipboard()->setImage(bitmap);
    TMessageBox::Show(this, QStringLiteral("Gráfico copiado"));
}

void TForm5::ShowChartViews(const Analysis::PreviewResult& preview) {
    const Analysis::Rows rows = preview.Sample;
    std::vector<double> values;
    values.reserve(preview.Real.size());
    for (const Analysis::Point& point : preview.Real) values.push_back(point.y);

    data_.General = TDelayCharts::GeneralDelay(*engine_, rows);
    data_.Shares = TDelayCharts::BallShares(*engine_, rows);
    data_.Web = TDelayCharts::CorrelationWeb(preview.Correlations);
    data_.Lag = sb2->value();
    data_.Map = TDelayCharts::ReturnMapOf(values, data_.Lag, opHistX->isChecked(), opHistY->isChecked());
    data_.Spectrum = TDelayCharts::Periodogram(values);
    data_.Times = TDelayCharts::TimeDistribution(Lottery(), rows);

    // The wavelet of the selected ball; the level chooser starts at the
    // default level, and the refresh draws it.
    TDelayCharts::FillWavelet(*Wavelet, values);
    const TDelayCharts::LevelRange levels = TDelayCharts::WaveletLevels(*Wavelet);
    {
        const QSignalBlocker blocker(sb1);
        sb1->setRange(levels.Minimum, levels.Maximum);
        sb1->setValue(levels.Position);
    }
    Button5Click();

    drawn_.assign(views_.size(), false);
    DrawView(ComboBox2->currentIndex());
}

void TForm5::DrawView(int item) {
    if (item < 0 || static_cast<size_t>(item) >= drawn_.size() || drawn_[static_cast<size_t>(item)]) return;
    drawn_[static_cast<size_t>(item)] = true;
    switch (item) {
    case 1:
        FillAll(*Chart2, data_.General);
        break;
    case 2:
        FillPie(*Chart3, data_.Shares.Labels, data_.Shares.Largest);
        break;
    case 3:
        FillPie(*Chart4, data_.Shares.Labels, data_.Shares.Smallest);
        break;
    case 4:
        FillPie(*Chart5, data_.Shares.Labels, data_.Shares.Frequency);
        break;
    case 5: {
        // The correlation web: one axis per ball from 0 to 1, two lines.
        Chart6->SetAxesCount(N());
        Chart6->SetLinesCount(2);
        const std::pair<QString, QColor> lines[] = {{QStringLiteral("Positiva"), Qt::blue},
                                                    {QStringLiteral("Negativa"), Qt::red}};
        for (int i = 0; i < 2; ++i) {
            TQSGLine* line = Chart6->Lines(i);
            line->SetCaption(lines[i].first);
            line->SetColor(lines[i].second);
            line->SetShowPoints(true);
        }
        Chart6->SetShowLinesCaption(true);
        for (int b = 1; b <= N(); ++b) {
            if (TQSpiderAxe* axe = Chart6->Axes(b - 1)) {
                axe->SetCaption(QString::number(b));
                axe->SetMinValue(0);
                axe->SetMaxValue(1);
            }
        }
        Chart6->Lines(0)->SetValues(data_.Web.Positive);
        Chart6->Lines(1)->SetValues(data_.Web.Negative);
        Chart6->update();
        break;
    }
    case 7: {
        const TDelayCharts::ReturnMap& map = data_.Map;
        Chart8->SetAxisTitles(QStringLiteral("Retorno ") + QString::number(data_.Lag),
                              QStringLiteral("Frequência"));
        HistogramY->SetBarBase(map.MinX);
        HistogramX->SetBarBase(map.MinY);
        for (const auto& [series, points] :
             {std::pair{HistogramY, &map.HistogramY}, std::pair{HistogramX, &map.HistogramX},
              std::pair{Distribution, &map.Points}}) {
            series->Clear();
            for (const Analysis::Point& point : *points) series->Append(point.x, point.y);
        }
        Chart8->Redraw();
        break;
    }
    case 8:
        Fill(Chart9->Series(0), data_.Spectrum);
        break;
    case 9:
        FillAll(*Chart10, data_.Times);
        break;
    default: // Chart1 and the wavelet are drawn by Preview and its refresh
        break;
    }
}

void TForm5::BuildPopup() {
    // "Previsão" holds the neighbour forecast of the frame and the moving averages.
    Previso1 = new QMenu(QStringLiteral("Previsão"), PopupMenu1);
    Previso1->setObjectName(QStringLiteral("Previso1"));
    PopupMenu1->removeAction(kvizinhosprximos1->menuAction());
    Previso1->addMenu(kvizinhosprximos1);
    Mdiamvel1 = Previso1->addMenu(QStringLiteral("Média móvel"));
    Mdiamvel1->setObjectName(QStringLiteral("Mdiamvel1"));
    Suave1 = Mdiamvel1->addAction(QStringLiteral("Suave"));
    Suave1->setObjectName(QStringLiteral("Suave1"));
    Ajustado1 = Mdiamvel1->addAction(QStringLiteral("Ajustado"));
    Ajustado1->setObjectName(QStringLiteral("Ajustado1"));
    connect(Suave1, &QAction::triggered, this, &TForm5::Suave1Click);
    connect(Ajustado1, &QAction::triggered, this, &TForm5::Ajustado1Click);
    PopupMenu1->addMenu(Previso1);
    // Runs after the frame's own handler, which has just decided whether the
    // menu opens over Chart1.
    connect(PopupMenu1, &QMenu::aboutToShow, this, &TForm5::ForecastMenuPopup);
}

void TForm5::ForecastMenuPopup() {
    const bool overChart = kvizinhosprximos1->menuAction()->isVisible();
    Previso1->menuAction()->setVisible(overChart);
    kvizinhosprximos1->menuAction()->setVisible(true);
}

TDelayAnalysis::View TForm5::ChosenView() const {
    if (opRelativo->isChecked()) return Analysis::View::Relative;
    if (opPasseio->isChecked()) return Analysis::View::RandomWalk;
    return Analysis::View::Absolute;
}

void TForm5::ReadSettings() {
    engine_->SampleSize = SampleSize();
    engine_->Excluded = upUlt->value();
    engine_->Selected = std::max(ComboBox1->currentIndex(), 0);
    engine_->Segments = sb3->value();
    if (opExp->isChecked())
        engine_->Kind = Analysis::Regression::Exponential;
    else if (opLog->isChecked())
        engine_->Kind = Analysis::Regression::Logarithmic;
    else if (opPot->isChecked())
        engine_->Kind = Analysis::Regression::Power;
    else
        engine_->Kind = Analysis::Regression::Linear;
}

void TForm5::Button4Click() {
    if (Running()) return;
    engine_->Load(ChosenView());
    model_->Reload();
    Chance->SetTest(TChanceAudit::Delays(N(), K(), TChanceAudit::LastDraws(Lottery(), 0)));
    BuildBallSeries();
    {
        const QSignalBlocker blocker(upUlt);
        upUlt->setRange(0, std::max(engine_->DrawCount() - 10, 0));
        upUlt->setValue(0);
    }
    Edit2->setText(QStringLiteral("0"));
}

void TForm5::opAbsolutoClick() {
    if (Running()) return;
    Button4Click();
    PreviewAnalysis();
}

void TForm5::opRelativoClick() {
    opAbsolutoClick();
}

void TForm5::LoadSample() {
    engine_->Network.InitWeights();
    // The return map's lag starts again at 1, up to one less than the sample.
    const QSignalBlocker blocker(sb2);
    sb2->setRange(1, std::max(SampleSize() - 1, 1));
    sb2->setValue(1);
}

void TForm5::upUltClick() {
    if (Running()) return;
    engine_->Network.InitWeights();
    Edit2->setText(QString::number(upUlt->value()));
    PreviewAnalysis();
}

void TForm5::SettingChanged() {
    if (Running()) return;
    engine_->Network.InitWeights();
    PreviewAnalysis();
}

void TForm5::ComboBox1Change() {
    SettingChanged();
    const int sel = ComboBox1->currentIndex();
    if (sel >= 0) {
        const int row = std::max(grid_->currentIndex().row(), 0);
        grid_->setCurrentIndex(model_->index(row, sel + 1));
    }
}

void TForm5::opLinClick() {
    SettingChanged();
}

void TForm5::opExpClick() {
    SettingChanged();
}

void TForm5::opLogClick() {
    SettingChanged();
}

void TForm5::opPotClick() {
    SettingChanged();
}

void TForm5::sb3Change() {
    if (Running()) return;
    PreviewAnalysis();
}

void TForm5::PreviewAnalysis() {
    if (Running()) return;
    ReadSettings();
    ShowPreview(engine_->Preview());
}

void TForm5::ShowPreview(const Analysis::PreviewResult& preview) {
    Fill(*Series1, preview.Real);
    Fill(*Series2, preview.Fit);
    Fill(*Series3, preview.RegressionLine);
    // The band within which 95 % of chance delays (below 0) and advances
    // (above 0) fall, across the sample; the table shows them in the
    // absolute view only.
    std::vector<Analysis::Point> delayLine, advanceLine;
    if (engine_->TableView() == Analysis::View::Absolute && !preview.Real.empty()) {
        const TChanceAudit::TDelayBand band = TChanceAudit::DelayBand(N(), K());
        for (const double x : {preview.Real.front().x, preview.Real.back().x}) {
            delayLine.push_back({x, -static_cast<double>(band.Delay)});
            advanceLine.push_back({x, static_cast<double>(band.Advance)});
        }
    }
    Fill(*Series4, delayLine);
    Fill(*Series5, advanceLine);
    ShowChartViews(preview);
    QStringList lines;
    for (const std::string& line : preview.Memo) lines.append(Text(line));
    SetMemo(lines);
}

void TForm5::ShowFit(const Analysis::TrainingPass& pass) {
    if (EpochField) EpochField->setText(QString::number(pass.Pass));
    if (ErrorField) ShowNumber(*ErrorField, Text(NumberText::FormatGeneral(pass.Error)));
    Fill(*Series2, pass.Fit);
}

bool TForm5::StartAnalysis() {
    ReadSettings();
    if (!engine_->PrepareTraining()) return false;
    Series2->Clear();
    Series2->Redraw();
    StartRun(
        [this] {
            engine_->RunTraining(
                [this](const Analysis::TrainingPass& pass) {
                    PostLatest(FitChannel, [this, pass] { ShowFit(pass); });
                    return !StopFlag().load();
                },
                &CancelFlag());
        },
        [this] { PreviewAnalysis(); });
    return true;
}

void TForm5::StopRequested() {
    // The network counts as trained once stopped; the run applies it again
    // after its current Train call, which recomputes the flag.
    engine_->Network.Converged = true;
}

void TForm5::SetBusy(bool busy) {
    TAnalysisForm::SetBusy(busy);
    for (QWidget* control :
         std::initializer_list<QWidget*>{opAbsoluto, opRelativo, opPasseio, ComboBox1, opLin, opExp, opLog,
                                         opPot, upUlt, sb3, sb2, opHistX, opHistY})
        control->setEnabled(!busy);
    Mdiamvel1->setEnabled(!busy);
}

QString TForm5::GridText() const {
    return Text(engine_->TableText());
}

void TForm5::MovingAverage(int period) {
    if (Running()) return;
    Lottery().MovingAverage(period, *Series1, Series2);
    Chart1->Redraw();
}

void TForm5::Suave1Click() {
    MovingAverage(10);
}

void TForm5::Ajustado1Click() {
    MovingAverage(5);
}
