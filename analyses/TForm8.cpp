#include "TForm8.h"

#include "NumberText.h"
#include "TBarChart3D.h"
#include "TChancePanel.h"
#include "TChartSeries.h"
#include "TChartView.h"
#include "TForm2.h"
#include "TForm3.h"
#include "THeatMap.h"
#include "TMessageBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTableWidget>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <exception>

namespace {

// Channels of the coalesced updates.
enum Channel : int { ProgressChannel };

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

TAnalysisForm::Features BayesFeatures() {
    TAnalysisForm::Features features;
    features.ErrorFieldName = QStringLiteral("Edit3");
    features.EpochFieldName = QStringLiteral("Edit4");
    features.CalculatorPopup = false;
    features.Neighbours = false;
    features.SampleLabel = QStringLiteral("Tamanho da amostra:");
    // The up-down only reloads the tables; "Preview" redraws the chart.
    features.PreviewOnSampleStep = false;
    return features;
}

// A control inside a titled group box.
QGroupBox* Boxed(QWidget* parent, const char* name, const QString& title, QWidget* control) {
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(QString::fromLatin1(name));
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(control);
    return box;
}

} // namespace

TForm8::TForm8(TForm3& game, QWidget* parent)
    : TAnalysisForm(game, TLottery::Bayesian, QStringLiteral("Análise bayesiana"), BayesFeatures(), parent),
      engine_(std::make_unique<TBayesAnalysis>(Lottery())) {
    BuildOwnControls();
}

TForm8::~TForm8() {
    // The worker's updates are addressed to this window: it must end first.
    StopAndWait();
}

void TForm8::Install(TForm2& mainWindow) {
    mainWindow.SetAnalysisOpener(TLottery::Bayesian, [](TForm3& game) -> QWidget* {
        auto* window = new TForm8(game);
        window->Open(40);
        return window;
    });
}

void TForm8::BuildOwnControls() {
    QWidget* box = OptionsBox();
    QHBoxLayout* row = OptionsLayout();

    Label1 = new QLabel(QStringLiteral("Tipo da distribuição:"), box);
    Label1->setObjectName(QStringLiteral("Label1"));
    row->addWidget(Label1);
    opAeB = new QRadioButton(QStringLiteral("P(A, B)"), box);
    opAeB->setObjectName(QStringLiteral("opAeB"));
    opAeB->setToolTip(QStringLiteral("Probabilidade de A e B ocorrerem juntos"));
    opAeB->setChecked(true);
    row->addWidget(opAeB);
    opAdadoB = new QRadioButton(QStringLiteral("P(A | B)"), box);
    opAdadoB->setObjectName(QStringLiteral("opAdadoB"));
    opAdadoB->setToolTip(QStringLiteral("Probabilidade de A dado B ocorrer"));
    row->addWidget(opAdadoB);
    connect(opAeB, &QRadioButton::clicked, this, &TForm8::opAeBClick);
    connect(opAdadoB, &QRadioButton::clicked, this, &TForm8::opAdadoBClick);

    Label4 = new QLabel(QStringLiteral("Campo de análise:"), box);
    Label4->setObjectName(QStringLiteral("Label4"));
    row->addWidget(Label4);
    ComboBox1 = new QComboBox(box);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setToolTip(QStringLiteral("Bola a analisar"));
    for (int i = 1; i <= N(); ++i) ComboBox1->addItem(QString::number(i) + QStringLiteral("ª dezena"));
    ComboBox1->addItem(QStringLiteral("Todas as dezenas"));
    ComboBox1->setCurrentIndex(0);
    Label4->setBuddy(ComboBox1);
    row->addWidget(ComboBox1);

    Label5 = new QLabel(QStringLiteral("Previsão:"), box);
    Label5->setObjectName(QStringLiteral("Label5"));
    row->addWidget(Label5);
    Memo1->setPlainText(QStringLiteral("Sem previsão"));
    Button1->setToolTip(QStringLiteral("Analisar a amostra usando a rede neural"));

    // Hidden steps: the table load, and the scan that "Melhor comb." of the
    // tool menu and the pop-up menu runs.
    Button5 = StepButton("Button5", QStringLiteral("Melhor comb."));
    Button5->setToolTip(QStringLiteral("Calcula a combinação que daria o melhor resultado na amostra."));
    Button4 = StepButton("Button4", QStringLiteral("Carga"));
    connect(Button5, &QPushButton::clicked, this, &TForm8::Button5Click);
    connect(Button4, &QPushButton::clicked, this, &TForm8::Button4Click);
    MelhorComb1 = new QAction(QStringLiteral("Melhor comb."), this);
    MelhorComb1->setObjectName(QStringLiteral("MelhorComb1"));
    MelhorComb1->setToolTip(Button5->toolTip());
    connect(MelhorComb1, &QAction::triggered, this, &TForm8::Button5Click);
    ToolsMenu()->addAction(MelhorComb1);
    PopupMenu1->addAction(MelhorComb1);

    // "Copiar" knows the tree too.
    disconnect(Copiar1, &QAction::triggered, this, nullptr);
    connect(Copiar1, &QAction::triggered, this, &TForm8::Copiar1Click);

    // The grid in its group box, where the frame placed it.
    if (auto* splitter = qobject_cast<QSplitter*>(sg1->parentWidget())) {
        const int index = splitter->indexOf(sg1);
        QGroupBox* gridBox =
            Boxed(splitter, "GroupBox2", QStringLiteral("Distribuição de probabilidade conjunta total"), sg1);
        splitter->insertWidget(index, gridBox);
        splitter->setStretchFactor(index, 3);
    }

    const QString zoomHint = QStringLiteral("Marque uma área no gráfico para zoom");
    QWidget* chart = nullptr;
    if (TBarChart3D::Available()) {
        Chart3D = new TBarChart3D(this);
        Chart3D->setObjectName(QStringLiteral("Chart2"));
        Chart3D->SetTitle(QStringLiteral("Distribuição conjunta total"));
        Chart3D->SetAxisTitles(QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("Probabilidade"));
        Chart3D->setToolTip(zoomHint);
        Chart3D->SetPopupMenu(PopupMenu1);
        connect(Chart3D, &TBarChart3D::PopupOpening, this, [this] { pending3D_ = true; });
        connect(PopupMenu1, &QMenu::aboutToShow, this, [this] {
            popupOver3D_ = pending3D_;
            pending3D_ = false;
        });
        chart = Chart3D;
    } else {
        Chart2 = new TChartView(this);
        Chart2->setObjectName(QStringLiteral("Chart2"));
        Chart2->SetTitle(QStringLiteral("Distribuição conjunta total"));
        Chart2->SetAxisTitles(QStringLiteral("A"), QStringLiteral("Probabilidade"));
        Chart2->setToolTip(zoomHint);
        // One legend entry per B: readable for small games only.
        Chart2->SetLegendVisible(N() <= 25);
        AttachChart(Chart2);
        chart = Chart2;
    }
    chart->setMinimumHeight(180);
    // The same probabilities as coloured cells: 60 x 60 pairs stay readable
    // where bars hide each other.
    HeatMap1 = new THeatMap(this);
    HeatMap1->setObjectName(QStringLiteral("HeatMap1"));
    HeatMap1->SetTitle(QStringLiteral("Distribuição conjunta total"));
    HeatMap1->SetAxisTitles(QStringLiteral("A"), QStringLiteral("B"));
    auto* views = new QTabWidget(this);
    views->setObjectName(QStringLiteral("PageControl1"));
    views->addTab(chart, Chart3D ? QStringLiteral("Barras 3-D") : QStringLiteral("Barras"));
    views->addTab(HeatMap1, QStringLiteral("Mapa de calor"));

    tv1 = new QTreeWidget(this);
    tv1->setObjectName(QStringLiteral("tv1"));
    tv1->setHeaderHidden(true);
    tv1->setColumnCount(1);
    tv1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    AttachPopup(tv1);

    auto* lower = new QSplitter(Qt::Horizontal, this);
    lower->setObjectName(QStringLiteral("Splitter3"));
    lower->setChildrenCollapsible(false);
    lower->addWidget(Boxed(lower, "GroupBox3", QStringLiteral("&Gráfico"), views));
    lower->addWidget(
        Boxed(lower, "GroupBox4", QStringLiteral("Análise Market Basket (árvore de decisão)"), tv1));
    lower->setStretchFactor(0, 3);
    lower->setStretchFactor(1, 2);
    lower->setSizes({600, 400});
    ChartLayout()->addWidget(lower, 1);
    Chance = new TChancePanel(this);
    ChartLayout()->addWidget(Chance);
    AttachGrid(Chance->Grid());
}

void TForm8::SetBusy(bool busy) {
    TAnalysisForm::SetBusy(busy);
    Button4->setEnabled(!busy);
    Button5->setEnabled(!busy);
    MelhorComb1->setEnabled(!busy);
}

void TForm8::LoadSample() {
    Button4Click();
}

void TForm8::Button4Click() {
    engine_->Load(SampleSize());
    const TBayesAnalysis::Grid grid = engine_->Table(
        opAeB->isChecked() ? TBayesAnalysis::TTable::Joint : TBayesAnalysis::TTable::Conditional);
    sg1->setUpdatesEnabled(false);
    SetGridSize(static_cast<int>(grid.size()), static_cast<int>(grid.front().size()));
    for (size_t r = 0; r < grid.size(); ++r)
        for (size_t c = 0; c < grid[r].size(); ++c) {
            SetCell(static_cast<int>(r), static_cast<int>(c), Text(grid[r][c]));
            // The number column is a header like the first row.
            if (c == 0 && r > 0) sg1->item(static_cast<int>(r), 0)->setBackground(sg1->palette().button());
        }
    sg1->resizeColumnsToContents();
    sg1->setUpdatesEnabled(true);
    RebuildSeries();
    pairs_ = TChanceAudit::Pairs(N(), K(), TChanceAudit::LastDraws(Lottery(), engine_->SampleSize()));
    Chance->SetTest(*pairs_);
}

void TForm8::RebuildSeries() {
    if (Chart3D) {
        Chart3D->Clear();
        return;
    }
    Chart2->RemoveAllSeries();
    const int n = N();
    // The bars of one A stand side by side, B ascending.
    const double width = 0.9 / std::max(n, 1);
    for (int b = 1; b <= n; ++b) {
        TChartSeries& series = Chart2->AddBarSeries(QStringLiteral("Dez.") + QString::number(b));
        series.SetMarksVisible(false);
        series.SetBarWidth(width);
        series.SetBarOffset((b - (n + 1) / 2.0) * width);
    }
    Chart2->Redraw();
}

void TForm8::PreviewAnalysis() {
    // The grid's body as displayed: B = column, A = row, cell (B, A).
    const int n = N();
    std::vector<std::vector<double>> values(static_cast<size_t>(n),
                                            std::vector<double>(static_cast<size_t>(n), 0.0));
    for (int a = 1; a <= n; ++a)
        for (int b = 1; b <= n; ++b) {
            double value = 0; // an empty or unreadable cell counts as 0
            if (!NumberText::TryParseFloat(CellText(a, b).toStdString(), value)) value = 0;
            values[static_cast<size_t>(b - 1)][static_cast<size_t>(a - 1)] = value;
        }
    QStringList numbers;
    for (int i = 1; i <= n; ++i) numbers.append(QString::number(i));
    HeatMap1->SetData(numbers, numbers, values);
    if (Chart3D) {
        QStringList depths;
        for (int i = 1; i <= n; ++i) depths.append(QStringLiteral("Dez.") + QString::number(i));
        Chart3D->SetData(depths, numbers, values);
    } else {
        // Series B gets the points (A, cell (B, A)).
        const int series = std::min(n, Chart2->SeriesCount());
        for (int b = 0; b < Chart2->SeriesCount(); ++b) Chart2->Series(b).Clear();
        for (int b = 1; b <= series; ++b)
            for (int a = 1; a <= n; ++a)
                Chart2->Series(b - 1).Append(a,
                                             values[static_cast<size_t>(b - 1)][static_cast<size_t>(a - 1)]);
        Chart2->Redraw();
    }
    Memo1->moveCursor(QTextCursor::Start);
}

void TForm8::opAeBClick() {
    LoadSample();
    PreviewAnalysis();
}

void TForm8::opAdadoBClick() {
    LoadSample();
    PreviewAnalysis();
}

bool TForm8::StartAnalysis() {
    tv1->clear();
    tree_.reset();
    // On a large game with a long sample the tree takes a while: it grows on
    // the worker, from a copy of the engine (the options may reload the
    // sample meanwhile), and "Parar" or closing ends it at the next node;
    // a stopped tree shows the nodes grown so far.
    auto snapshot = std::make_shared<const TBayesAnalysis>(*engine_);
    auto grown = std::make_shared<TBayesAnalysis::TNode>();
    const int item = ComboBox1->currentIndex();
    StartRun([this, snapshot, grown, item] { *grown = snapshot->Tree(item, &StopFlag()); },
             [this, grown] {
                 tree_ = std::move(*grown);
                 ShowTree(*tree_);
                 SetMemo({QStringLiteral("Análise finalizada.")});
                 PreviewAnalysis();
             });
    return true;
}

void TForm8::ShowTree(const TBayesAnalysis::TNode& root) {
    tv1->setUpdatesEnabled(false);
    auto* top = new QTreeWidgetItem(tv1, QStringList(Text(root.Text)));
    // Depth first with an explicit stack: a deep tree cannot exhaust the
    // call stack of the window's thread.
    std::vector<std::pair<const TBayesAnalysis::TNode*, QTreeWidgetItem*>> pending = {{&root, top}};
    while (!pending.empty()) {
        const auto [node, item] = pending.back();
        pending.pop_back();
        for (const TBayesAnalysis::TNode& child : node->Children)
            pending.emplace_back(&child, new QTreeWidgetItem(item, QStringList(Text(child.Text))));
    }
    top->setExpanded(true);
    tv1->setUpdatesEnabled(true);
}

void TForm8::Button5Click() {
    if (Running()) return;
    StopFlag() = false;
    const TSearchOptions options = engine_->BestOptions(SampleSize());
    if (const std::string message = engine_->BestCheck(options); !message.empty()) {
        SetMemo({Text(message)});
        TMessageBox::Show(this, Text(message), TMessageBox::Kind::Warning);
        return;
    }
    SetMemo({QStringLiteral("Aguarde...")});
    ErrorField->setText(Text(TBayesAnalysis::ProgressText(0, 1)));
    auto result = std::make_shared<TSearchResult>();
    auto failure = std::make_shared<QString>();
    auto chance = std::make_shared<TSyntheticRecords>();
    std::shared_ptr<const TCombinationSearch> search = engine_->SharedSearch();
    StartRun(
        [this, search, options, result, failure, chance] {
            try {
                *result = search->Run(options, [this](const TSearchProgress& progress) {
                    PostLatest(ProgressChannel, [this, progress] {
                        ErrorField->setText(
                            Text(TBayesAnalysis::ProgressText(progress.Done, progress.Candidates)));
                    });
                    return !StopFlag().load();
                });
                // The same scan on synthetic uniform histories of the sample's
                // size: the chance distribution of every record.
                if (!result->Stopped) {
                    TSearchOptions synthetic = options;
                    synthetic.SampleSize = result->SampleSize;
                    const TSearchGame& game = search->Game();
                    *chance = TChanceAudit::SyntheticRecords(
                        game.Elements, game.PerCombination, game.Birthday, synthetic,
                        TChanceAudit::DefaultRepeats, TChanceAudit::DefaultSeed, [this](double done) {
                            PostLatest(ProgressChannel, [this, done] {
                                ErrorField->setText(QStringLiteral("Acaso: ") +
                                                    Text(TBayesAnalysis::ProgressText(done, 1)));
                            });
                            return !StopFlag().load();
                        });
                }
            } catch (const std::exception& error) {
                *failure = QString::fromLocal8Bit(error.what());
            }
        },
        [this, result, failure, chance] {
            if (!failure->isEmpty()) {
                SetMemo({*failure});
                TMessageBox::Show(this, *failure, TMessageBox::Kind::Error);
                return;
            }
            ErrorField->setText(Text(TBayesAnalysis::ProgressText(result->Examined, result->Candidates)));
            best_ = *result;
            std::vector<TChanceTest> tests;
            if (pairs_) tests.push_back(*pairs_);
            if (!result->Stopped) tests.push_back(TChanceAudit::Records(result->Count1, *chance));
            Chance->SetTests(tests);
            QStringList lines;
            for (const std::string& line : TBayesAnalysis::BestReport(*result)) lines.append(Text(line));
            SetMemo(lines);
        });
}

void TForm8::Copiar1Click() {
    if (Chart3D && popupOver3D_) {
        Chart3D->CopyToClipboard();
        return;
    }
    if (PopupSource() == tv1) {
        QApplication::clipboard()->setText(tree_ ? Text(TBayesAnalysis::Outline(*tree_)) : QString());
        return;
    }
    TAnalysisForm::Copiar1Click();
}
