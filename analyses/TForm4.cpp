#include "TForm4.h"

#include "NumberText.h"
#include "TChartSeries.h"
#include "TChartView.h"
#include "TFileDialog.h"
#include "TForm2.h"
#include "TForm3.h"
#include "TInputBox.h"
#include "TMessageBox.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTableWidget>

namespace {

using Analysis = TLexicographicAnalysis;

const QString NetworkFilter = QStringLiteral("Rede Neural (*.net)");
const QString NetworkSuffix = QStringLiteral("net");

// Channels of the coalesced updates.
enum Channel : int { FitChannel, SlicesChannel, PreviewChannel, PassChannel };

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QCheckBox* CheckBox(QWidget* parent, const char* name, const QString& caption, const QString& hint = {}) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setToolTip(hint);
    return box;
}

void Fill(TChartSeries& series, const std::vector<Analysis::Point>& points) {
    series.Clear();
    for (const Analysis::Point& point : points) series.Append(point.x, point.y);
    series.Redraw();
}

} // namespace

TForm4::TForm4(TForm3& game, QWidget* parent)
    : TAnalysisForm(game, TLottery::Lexicographic, QStringLiteral("Análise lexicográfica"), Features{},
                    parent),
      engine_(std::make_unique<TLexicographicAnalysis>(Lottery())) {
    OptionsBox()->setTitle(QStringLiteral("Análise do Número Sequencial Combinatório"));
    BuildOwnControls();
}

TForm4::~TForm4() {
    // The worker may be using the engine: it must end before the engine goes.
    StopAndWait();
}

void TForm4::Install(TForm2& mainWindow) {
    mainWindow.SetAnalysisOpener(TLottery::Lexicographic, [](TForm3& game) -> QWidget* {
        auto* window = new TForm4(game);
        window->Open(40);
        return window;
    });
}

void TForm4::BuildOwnControls() {
    QWidget* box = OptionsBox();
    QHBoxLayout* row = OptionsLayout();

    ComboBox1 = new QComboBox(box);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setToolTip(QStringLiteral("Bola a analisar"));
    for (int i = 1; i <= K(); ++i) ComboBox1->addItem(QString::number(i) + QStringLiteral("ª bola"));
    ComboBox1->addItem(QStringLiteral("Todas as bolas"));
    ComboBox1->setCurrentIndex(0);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TForm4::ComboBox1Change);
    row->addWidget(ComboBox1);

    opNotacNorm = CheckBox(box, "opNotacNorm", QStringLiteral("Usar notação decimal"),
                           QStringLiteral("Alterna entre notação CSN e normal (dezenas)"));
    connect(opNotacNorm, &QCheckBox::clicked, this, &TForm4::opNotacNormClick);
    row->addWidget(opNotacNorm);

    opDistNorm = CheckBox(
        box, "opDistNorm", QStringLiteral("Distribuição normal"),
        QStringLiteral("Exibe o gráfico de distribuição normal (gaussiano) das dezenas na bola selecionada"));
    opDistNorm->hide();
    connect(opDistNorm, &QCheckBox::clicked, this, &TForm4::opDistNormClick);
    row->addWidget(opDistNorm);

    Panel5 = new QWidget(box);
    Panel5->setObjectName(QStringLiteral("Panel5"));
    auto* panel5 = new QHBoxLayout(Panel5);
    panel5->setContentsMargins(0, 0, 0, 0);
    CheckBox1 = CheckBox(Panel5, "CheckBox1", QStringLiteral("Não analisar último item"));
    CheckBox2 = CheckBox(Panel5, "CheckBox2", QStringLiteral("Ñ analisar 2 últimos itens"));
    CheckBox4 = CheckBox(Panel5, "CheckBox4", QStringLiteral("Usar BookMark"));
    connect(CheckBox1, &QCheckBox::clicked, this, &TForm4::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::clicked, this, &TForm4::CheckBox2Click);
    panel5->addWidget(CheckBox1);
    panel5->addWidget(CheckBox2);
    panel5->addWidget(CheckBox4);
    row->addWidget(Panel5);

    Panel4 = new QWidget(box);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    auto* panel4 = new QHBoxLayout(Panel4);
    panel4->setContentsMargins(0, 0, 0, 0);
    auto* label1 = new QLabel(QStringLiteral("Toviscas a analisar:"), Panel4);
    label1->setObjectName(QStringLiteral("Label1"));
    Edit4 = new QLineEdit(QStringLiteral("3"), Panel4);
    Edit4->setObjectName(QStringLiteral("Edit4"));
    Edit4->setMaximumWidth(Edit4->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 12);
    label1->setBuddy(Edit4);
    opErroMax = CheckBox(Panel4, "opErroMax", QString());
    opErroMax->setChecked(true);
    connect(opErroMax, &QCheckBox::clicked, this, &TForm4::opErroMaxClick);
    Label2 = new QLabel(QStringLiteral("      Erro máximo aceitável nos últimos 2 jogos (%)?"), Panel4);
    Label2->setObjectName(QStringLiteral("Label2"));
    TrackBar1 = new QSlider(Qt::Horizontal, Panel4);
    TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    TrackBar1->setRange(1, 100);
    TrackBar1->setValue(40);
    TrackBar1->setToolTip(QStringLiteral("40%"));
    TrackBar1->setMinimumWidth(120);
    connect(TrackBar1, &QSlider::valueChanged, this, &TForm4::TrackBar1Change);
    panel4->addWidget(label1);
    panel4->addWidget(Edit4);
    panel4->addWidget(opErroMax);
    panel4->addWidget(Label2);
    panel4->addWidget(TrackBar1);
    Panel4->hide();
    row->addWidget(Panel4);

    Label5 = new QLabel(QStringLiteral("Previsão:"), box);
    Label5->setObjectName(QStringLiteral("Label5"));
    row->addWidget(Label5);

    // Hidden steps of the window, run by the visible commands.
    Button4 = StepButton("Button4", QStringLiteral("Analisa tudo - notação lexicográfica"));
    Button5 = StepButton("Button5", QStringLiteral("Carrega dados"));
    Button6 = StepButton("Button6", QStringLiteral("Analisa tudo - notação decimal"));
    connect(Button4, &QPushButton::clicked, this, &TForm4::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TForm4::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TForm4::Button6Click);

    // "Ferramentas" -> "Bookmark".
    QMenu* bookmark = ToolsMenu()->addMenu(QStringLiteral("Bookmark"));
    bookmark->setObjectName(QStringLiteral("Bookmark1"));
    const auto item = [this, bookmark](const char* name, const QString& caption, Qt::Key key) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(QKeySequence(key));
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
        bookmark->addAction(action);
        return action;
    };
    Salvar1 = item("Salvar1", QStringLiteral("Salvar"), Qt::Key_F2);
    Carregar1 = item("Carregar1", QStringLiteral("Carregar"), Qt::Key_F3);
    Gerar1 = item("Gerar1", QStringLiteral("Gerar"), Qt::Key_F4);
    connect(Salvar1, &QAction::triggered, this, &TForm4::Salvar1Click);
    connect(Carregar1, &QAction::triggered, this, &TForm4::Carregar1Click);
    connect(Gerar1, &QAction::triggered, this, &TForm4::Gerar1Click);

    QVBoxLayout* charts = ChartLayout();
    Chart1 = new TChartView(this);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->SetTitle(QStringLiteral("Posição combinatorial"));
    Chart1->SetAxisTitles(QStringLiteral("Concurso"), QStringLiteral("Posição"));
    Chart1->setToolTip(QStringLiteral("Marque uma área no gráfico para zoom"));
    Series1 = &Chart1->AddLineSeries(QStringLiteral("Real"), Qt::red);
    Series2 = &Chart1->AddLineSeries(QStringLiteral("Previsão"), Qt::green);
    Chart2 = new TChartView(this);
    Chart2->setObjectName(QStringLiteral("Chart2"));
    Chart2->SetTitle(QStringLiteral("Distribuição normal"));
    Chart2->SetAxisTitles(QStringLiteral("Dezena"), QStringLiteral("Concursos"));
    LineSeries1 = &Chart2->AddBarSeries(QStringLiteral("Dezenas"));
    Series3 = &Chart2->AddLineSeries(QStringLiteral("Teórica"), Qt::red);
    Series3->SetLineWidth(2);
    Chart2->hide();
    Chart4 = new TChartView(this);
    Chart4->setObjectName(QStringLiteral("Chart4"));
    Chart4->SetTitle(QStringLiteral("Share dos toviscas"));
    Chart4->SetZoomEnabled(false);
    PieSeries1 = &Chart4->AddPieSeries(QStringLiteral("Share"));
    PieSeries1->SetMarksVisible(true);
    PieSeries1->SetPercentInMarks(true);
    Chart4->hide();
    for (TChartView* chart : {Chart1, Chart2, Chart4}) {
        chart->setMinimumHeight(160);
        charts->addWidget(chart);
        AttachChart(chart);
    }
}

bool TForm4::Decimal() const {
    return opNotacNorm->isChecked();
}

int TForm4::SkipMode() const {
    if (CheckBox1->isChecked()) return 1;
    if (CheckBox2->isChecked()) return 2;
    return 0;
}

void TForm4::SetBusy(bool busy) {
    TAnalysisForm::SetBusy(busy);
    for (QWidget* control :
         std::initializer_list<QWidget*>{ComboBox1, opNotacNorm, CheckBox1, CheckBox4, Edit4, opErroMax,
                                         TrackBar1, Button4, Button5, Button6})
        control->setEnabled(!busy);
    // During "Gerar", unticking "Ñ analisar 2 últimos itens" ends the search.
    CheckBox2->setEnabled(!busy || generating_);
    for (QAction* action : {Salvar1, Carregar1, Gerar1}) action->setEnabled(!busy);
}

void TForm4::LoadSample() {
    Button5Click();
}

void TForm4::Button5Click() {
    if (Running()) return;
    engine_->NotationMode = Decimal() ? Analysis::Notation::Decimal : Analysis::Notation::CSN;
    engine_->Load(SampleSize());
    Edit1->setText(QString::number(engine_->SampleSize()));
    FillGrid();
}

void TForm4::FillGrid() {
    sg1->setUpdatesEnabled(false);
    SetGridSize(engine_->RowCount(), engine_->ColumnCount());
    for (int r = 0; r < engine_->RowCount(); ++r)
        for (int c = 0; c < engine_->ColumnCount(); ++c) SetCell(r, c, Text(engine_->CellText(r, c)));
    sg1->resizeColumnsToContents();
    sg1->setUpdatesEnabled(true);
}

void TForm4::PreviewAnalysis() {
    if (Running()) return;
    engine_->Column = ComboBox1->currentIndex();
    engine_->Skip = SkipMode();
    ShowPreview(engine_->Preview());
}

void TForm4::ShowPreview(const Analysis::PreviewResult& preview) {
    Chart1->hide();
    Chart2->hide();
    Chart4->hide();
    if (preview.AllBalls) {
        ShowSlices(preview.Slices);
    } else {
        Chart2->SetTitle(Text(preview.DistributionTitle));
        Fill(*Series1, preview.Real);
        Fill(*Series2, preview.Forecast);
        Fill(*LineSeries1, preview.Counts);
        Fill(*Series3, preview.Theory);
        (opDistNorm->isChecked() ? Chart2 : Chart1)->show();
    }
    QStringList lines;
    for (const std::string& line : preview.Memo) lines.append(Text(line));
    SetMemo(lines);
}

void TForm4::ShowSlices(const std::vector<Analysis::Slice>& slices) {
    PieSeries1->Clear();
    // Balls without votes would only stack empty labels on the picture; the
    // memo lists them.
    for (size_t i = 0; i < slices.size(); ++i)
        if (slices[i].Value > 0)
            PieSeries1->AppendLabelled(static_cast<double>(i + 1), slices[i].Value, Text(slices[i].Label));
    PieSeries1->Redraw();
    Chart4->show();
}

void TForm4::ShowFit(const Analysis::TrainingPass& pass) {
    ShowPass(pass.Pass, pass.Error);
    if (!pass.Fit.empty()) Fill(*Series2, pass.Fit);
}

bool TForm4::StartAnalysis() {
    engine_->Column = ComboBox1->currentIndex();
    engine_->Skip = SkipMode();
    if (engine_->AllBalls()) {
        AnalyseAll();
        return Running();
    }
    if (!engine_->PrepareTraining(CheckBox4->isChecked())) return false;
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

void TForm4::StopRequested() {
    // The network counts as trained once stopped; the run applies it again
    // after its current Train call, which recomputes the flag.
    engine_->Network.Converged = true;
}

void TForm4::Button4Click() {
    if (Running()) return;
    StopFlag() = false;
    AnalyseAll();
}

void TForm4::Button6Click() {
    Button4Click();
}

void TForm4::AnalyseAll() {
    if (Running()) return;
    QString text = Edit4->text();
    if (text.isEmpty()) {
        Edit4->setText(QStringLiteral("1"));
        text = Edit4->text();
    }
    int votes = 0;
    if (!NumberText::TryParseInt(text.toStdString(), votes)) {
        Edit4->setText(QStringLiteral("1"));
        votes = 1;
    }
    if (votes < 1) votes = 0;
    const double accepted = TrackBar1->value() / 100.0;
    const bool errorTest = opErroMax->isChecked();
    {
        const QSignalBlocker block1(CheckBox1);
        const QSignalBlocker block2(CheckBox2);
        CheckBox1->setChecked(false);
        CheckBox2->setChecked(false);
    }
    engine_->Skip = 0;
    Chart1->hide();
    Chart2->hide();
    Chart4->show();
    StartRun(
        [this, votes, errorTest, accepted] {
            engine_->AnalyseAll(
                votes, errorTest, accepted,
                [this](const Analysis::TrainingPass& pass) {
                    PostLatest(PassChannel, [this, pass] { ShowPass(pass.Pass, pass.Error); });
                    return !StopFlag().load();
                },
                [this](const Analysis::VoteEvent& event) {
                    if (!event.Label.empty()) {
                        const QString label = Text(event.Label);
                        Post([this, label] { Label5->setText(label); });
                    }
                    if (!event.Slices.empty())
                        PostLatest(SlicesChannel, [this, slices = event.Slices] { ShowSlices(slices); });
                    return !StopFlag().load();
                },
                &CancelFlag());
        },
        [this] {
            Label5->setText(QStringLiteral("Previsão"));
            PreviewAnalysis();
        });
}

void TForm4::ComboBox1Change() {
    if (Running()) return;
    const bool allBalls = ComboBox1->currentIndex() == ComboBox1->count() - 1;
    opDistNorm->setVisible(Decimal() && !allBalls);
    if (allBalls) opDistNorm->setChecked(false);
    Panel4->setVisible(allBalls);
    Panel5->setVisible(!allBalls);
    engine_->Column = ComboBox1->currentIndex();
    engine_->Network.InitWeights();
    PreviewAnalysis();
}

void TForm4::opNotacNormClick() {
    if (Running()) return;
    const bool decimal = Decimal();
    const bool allBalls = ComboBox1->currentIndex() == ComboBox1->count() - 1;
    opErroMax->setVisible(!decimal);
    Label2->setVisible(!decimal);
    TrackBar1->setVisible(!decimal && opErroMax->isChecked());
    opDistNorm->setVisible(decimal && !allBalls);
    // A hidden box must not keep the empty distribution chart in place of Chart1.
    if (!opDistNorm->isVisibleTo(this)) opDistNorm->setChecked(false);
    LoadSample();
    PreviewAnalysis();
}

void TForm4::CheckBox1Click() {
    if (Running()) return;
    if (CheckBox1->isChecked()) CheckBox2->setChecked(false);
    engine_->Skip = SkipMode();
    engine_->Network.InitWeights();
    PreviewAnalysis();
}

void TForm4::CheckBox2Click() {
    if (generating_) {
        if (!CheckBox2->isChecked()) generationStop_ = true;
        return;
    }
    if (Running()) return;
    if (CheckBox2->isChecked()) CheckBox1->setChecked(false);
    engine_->Skip = SkipMode();
    engine_->Network.InitWeights();
    PreviewAnalysis();
}

void TForm4::opErroMaxClick() {
    TrackBar1->setVisible(opErroMax->isChecked());
}

void TForm4::opDistNormClick() {
    const bool distribution = opDistNorm->isChecked();
    if (Chart4->isVisibleTo(this)) return; // "Todas as bolas" shows only the votes
    Chart1->setVisible(!distribution);
    Chart2->setVisible(distribution);
}

void TForm4::TrackBar1Change() {
    TrackBar1->setToolTip(QString::number(TrackBar1->value()) + QStringLiteral("%"));
}

void TForm4::Salvar1Click() {
    if (Running()) return;
    if (!engine_->Bookmark()) {
        TMessageBox::Show(this, QStringLiteral("Você precisa analisar os dados primeiro."));
        return;
    }
    const QString path = TFileDialog::SaveFileName(this, NetworkFilter, NetworkSuffix);
    if (path.isEmpty()) return;
    std::string error;
    if (!Analysis::WriteLines(QFile::encodeName(path).toStdString(), *engine_->Bookmark(), error)) {
        TMessageBox::Show(this, Text(error), TMessageBox::Kind::Error);
        return;
    }
    CheckBox4->setChecked(true);
    TMessageBox::Show(this, QStringLiteral("Bookmark salvo."));
}

void TForm4::Carregar1Click() {
    if (Running()) return;
    const QString path = TFileDialog::OpenFileName(this, NetworkFilter, NetworkSuffix);
    if (path.isEmpty()) return;
    std::vector<std::string> lines;
    std::string error;
    // A file that is not a network's text form leaves the bookmark as it was.
    if (!Analysis::ReadLines(QFile::encodeName(path).toStdString(), lines, error) ||
        !(error = engine_->SetBookmark(lines)).empty()) {
        TMessageBox::Show(this, Text(error), TMessageBox::Kind::Error);
        return;
    }
    CheckBox4->setChecked(true);
    TMessageBox::Show(this, QStringLiteral("Bookmark carregado."));
}

void TForm4::Gerar1Click() {
    if (Running()) return;
    const std::optional<QString> answer =
        TInputBox::Ask(this, QStringLiteral("Quantas tentativas a considerar?"),
                       QStringLiteral("Gerar melhor bookmark"), QStringLiteral("0"));
    if (!answer || answer->isEmpty()) return;
    int attempts = 0;
    if (!NumberText::TryParseInt(answer->toStdString(), attempts)) {
        TMessageBox::Show(this, Text(NumberText::InvalidIntegerMessage(answer->toStdString())),
                          TMessageBox::Kind::Error);
        return;
    }
    if (attempts < 1) return;
    const QString path = TFileDialog::SaveFileName(this, NetworkFilter, NetworkSuffix);
    if (path.isEmpty()) return;

    CheckBox4->setChecked(false);
    CheckBox1->setChecked(false);
    CheckBox2->setChecked(true);
    engine_->Column = ComboBox1->currentIndex();
    engine_->Skip = 2;
    generating_ = true;
    generationStop_ = false;
    StopFlag() = false;
    SetMemo({QStringLiteral("Analisando, aguarde")});
    auto result = std::make_shared<Analysis::GenerateResult>();
    const std::string file = QFile::encodeName(path).toStdString();
    StartRun(
        [this, attempts, file, result] {
            *result = engine_->Generate(
                attempts, file,
                [this](const Analysis::TrainingPass& pass) {
                    PostLatest(FitChannel, [this, pass] { ShowFit(pass); });
                    // Unticking "Ñ analisar 2 últimos itens" ends the attempt
                    // in training too, as "Parar" does, rather than after its
                    // whole training: the generation ends within a pass.
                    return !StopFlag().load() && !generationStop_.load();
                },
                [this](const Analysis::AttemptEvent& event) {
                    if (!event.Label.empty()) {
                        // "Parar" ends one attempt; the next one starts afresh.
                        StopFlag() = false;
                        const QString label = Text(event.Label);
                        Post([this, label] { Label5->setText(label); });
                    }
                    if (event.Done)
                        PostLatest(PreviewChannel, [this, preview = event.Preview] { ShowPreview(preview); });
                    return !generationStop_.load();
                },
                &CancelFlag());
        },
        [this, result] {
            generating_ = false;
            CheckBox4->setChecked(true);
            CheckBox2->setChecked(false);
            CheckBox2Click();
            if (!result->Error.empty())
                TMessageBox::Show(this, Text(result->Error), TMessageBox::Kind::Error);
            TMessageBox::Show(this, QStringLiteral("Fim da geração do bookmark"));
            Label5->setText(QStringLiteral("Previsão"));
        });
}
