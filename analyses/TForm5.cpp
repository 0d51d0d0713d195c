#include "TForm5.h"

#include "NumberText.h"
#include "TChartSeries.h"
#include "TChartView.h"
#include "TDelayTableModel.h"
#include "TForm2.h"
#include "TForm3.h"

#include <QAction>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QTableView>
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

void Fill(TChartSeries& series, const std::vector<Analysis::Point>& points) {
    series.Clear();
    for (const Analysis::Point& point : points) series.Append(point.x, point.y);
    series.Redraw();
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
                             .DeltaNeighbours = 3},
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
    Chart1 = new TChartView(GroupBox2);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->SetTitle(QStringLiteral("Freqüência da bola selecionada"));
    Chart1->SetAxisTitles(QStringLiteral("Concurso"), QStringLiteral("Atraso(-) ou Adiant.(+)"));
    Chart1->setToolTip(QStringLiteral("Marque uma área no gráfico para zoom"));
    Chart1->SetGradientBackground(QColor(235, 240, 255), Qt::white);
    Chart1->setMinimumHeight(160);
    Series1 = &Chart1->AddLineSeries(QStringLiteral("Real"), Qt::red);
    Series2 = &Chart1->AddLineSeries(QStringLiteral("Previsão"), Qt::green);
    Series3 = &Chart1->AddLineSeries(QStringLiteral("Regressão linear"), Qt::blue);
    charts->addWidget(Chart1);
    AttachChart(Chart1);
    lower->addWidget(GroupBox2, 1);

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
    QStringList lines;
    for (const std::string& line : preview.Memo) lines.append(Text(line));
    SetMemo(lines);
}

void TForm5::ShowFit(const Analysis::TrainingPass& pass) {
    if (EpochField) EpochField->setText(QString::number(pass.Pass));
    if (ErrorField) ErrorField->setText(Text(NumberText::FormatGeneral(pass.Error)));
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
    for (QWidget* control : std::initializer_list<QWidget*>{opAbsoluto, opRelativo, opPasseio, ComboBox1,
                                                            opLin, opExp, opLog, opPot, upUlt, sb3})
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
