#include "TBetCheckForm.h"

#include "NumberText.h"
#include "TBetCheckTableModel.h"
#include "TChartSeries.h"
#include "TChartView.h"
#include "TFileDialog.h"
#include "TForm2.h"
#include "TForm3.h"
#include "TGameDefinition.h"
#include "TMessageBox.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

namespace {

// Channel of the coalesced progress updates.
constexpr int ProgressChannel = 0;
constexpr int ProgressSteps = 1000;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

TAnalysisForm::Features BetCheckFeatures() {
    TAnalysisForm::Features features;
    features.ErrorFieldName.clear();
    features.EpochFieldName.clear();
    features.CalculatorTool = false;
    features.CalculatorPopup = false;
    features.Neighbours = false;
    features.PreviewOnSampleStep = false;
    return features;
}

QTableWidgetItem* Cell(QTableWidget& grid, int row, int column, const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (row == 0)
        item->setBackground(grid.palette().button());
    else if (column > 0)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid.setItem(row, column, item);
    return item;
}

} // namespace

TBetCheckForm::TBetCheckForm(TForm3& game, QWidget* parent)
    : TAnalysisForm(game, TLottery::BetCheck, QStringLiteral("Conferir apostas"), BetCheckFeatures(), parent),
      engine_(std::make_unique<TBetChecker>(TBetChecker::GameOf(Lottery()))) {
    std::string error;
    tiers_ =
        TGameDefinition::ReadPrizeTiers(TGameDefinition::DefinitionFileName(Lottery().FileName), K(), error);
    tierError_ = Text(error);
    OptionsBox()->setTitle(QStringLiteral("Apostas a conferir"));
    BuildOwnControls();
}

TBetCheckForm::~TBetCheckForm() {
    // The worker reads the checker: it must end before the checker goes.
    StopAndWait();
}

void TBetCheckForm::Install(TForm2& mainWindow) {
    mainWindow.SetAnalysisOpener(TLottery::BetCheck, [](TForm3& game) -> QWidget* {
        auto* window = new TBetCheckForm(game);
        window->Open(40);
        return window;
    });
}

void TBetCheckForm::BuildOwnControls() {
    // No sample and no preview here: the contest range takes their place.
    Edit1->hide();
    UpDown1->hide();
    Button2->hide();
    Button1->setText(QStringLiteral("Conferir"));
    Button1->setToolTip(QStringLiteral("Conferir as apostas nos concursos escolhidos"));
    Button3->setToolTip(QStringLiteral("Parar a conferência"));

    QWidget* box = OptionsBox();
    QHBoxLayout* row = OptionsLayout();
    auto* label1 = new QLabel(QStringLiteral("Apostas (uma por linha):"), box);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    MemoBets = new QPlainTextEdit(box);
    MemoBets->setObjectName(QStringLiteral("MemoBets"));
    MemoBets->setToolTip(QStringLiteral("Dezenas separadas por espaços, vírgulas ou ponto e vírgula; linhas "
                                        "iniciadas por # são ignoradas"));
    std::vector<int32_t> example; // the first k balls of the game
    for (int32_t i = 0; i < K() && i < N(); ++i) example.push_back(engine_->Rules().FirstBall() + i);
    MemoBets->setPlaceholderText(Text(TBetList::Text(example)));
    MemoBets->setFixedHeight(MemoBets->fontMetrics().lineSpacing() * 4 + 12);
    MemoBets->setMinimumWidth(MemoBets->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 40);
    label1->setBuddy(MemoBets);
    row->addWidget(label1);
    row->addWidget(MemoBets, 1);

    auto* column = new QVBoxLayout;
    auto* fileRow = new QHBoxLayout;
    auto* label2 = new QLabel(QStringLiteral("Arquivo:"), box);
    label2->setObjectName(QStringLiteral("Label2"));
    edArquivo = new QLineEdit(box);
    edArquivo->setObjectName(QStringLiteral("edArquivo"));
    edArquivo->setToolTip(QStringLiteral("Arquivo de apostas; quando informado, as apostas digitadas não são "
                                         "usadas"));
    edArquivo->setClearButtonEnabled(true);
    edArquivo->setMinimumWidth(edArquivo->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 30);
    label2->setBuddy(edArquivo);
    btArquivo = new QPushButton(QStringLiteral("Abrir..."), box);
    btArquivo->setObjectName(QStringLiteral("btArquivo"));
    btArquivo->setToolTip(QStringLiteral("Escolher um arquivo de apostas"));
    connect(btArquivo, &QPushButton::clicked, this, &TBetCheckForm::btArquivoClick);
    fileRow->addWidget(label2);
    fileRow->addWidget(edArquivo, 1);
    fileRow->addWidget(btArquivo);
    column->addLayout(fileRow);

    auto* rangeRow = new QHBoxLayout;
    auto* label3 = new QLabel(QStringLiteral("Do concurso:"), box);
    label3->setObjectName(QStringLiteral("Label3"));
    edFrom = new QSpinBox(box);
    edFrom->setObjectName(QStringLiteral("edFrom"));
    label3->setBuddy(edFrom);
    auto* label4 = new QLabel(QStringLiteral("ao concurso:"), box);
    label4->setObjectName(QStringLiteral("Label4"));
    edTo = new QSpinBox(box);
    edTo->setObjectName(QStringLiteral("edTo"));
    label4->setBuddy(edTo);
    for (QSpinBox* spin : {edFrom, edTo}) {
        spin->setRange(INT_MIN, INT_MAX);
        spin->setMinimumWidth(spin->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 30);
    }
    rangeRow->addWidget(label3);
    rangeRow->addWidget(edFrom);
    rangeRow->addWidget(label4);
    rangeRow->addWidget(edTo);
    rangeRow->addStretch(1);
    column->addLayout(rangeRow);

    ProgressBar1 = new QProgressBar(box);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, ProgressSteps);
    ProgressBar1->setValue(0);
    column->addWidget(ProgressBar1);
    row->addLayout(column, 1);

    // The bets' table: a view over the result, whatever the number of bets.
    model_ = new TBetCheckTableModel(this);
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("sg1"));
    grid_->setModel(model_);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(18);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setWordWrap(false);
    SetGridView(grid_);
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TBetCheckForm::BetSelected);

    // Below: the totals against chance beside the chart of the selected bet.
    auto* lower = new QSplitter(Qt::Horizontal, this);
    lower->setObjectName(QStringLiteral("Splitter3"));
    lower->setChildrenCollapsible(false);
    sg2 = new QTableWidget(1, 3, lower);
    sg2->setObjectName(QStringLiteral("sg2"));
    sg2->horizontalHeader()->hide();
    sg2->verticalHeader()->hide();
    sg2->verticalHeader()->setDefaultSectionSize(18);
    sg2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sg2->setSelectionMode(QAbstractItemView::SingleSelection);
    sg2->setWordWrap(false);
    // Wide enough for its three columns; the chart takes the rest.
    sg2->setMaximumWidth(sg2->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 40);
    AttachGrid(sg2);
    Chart1 = new TChartView(lower);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->SetTitle(QStringLiteral("Acertos por concurso"));
    Chart1->SetAxisTitles(QStringLiteral("Concurso"), QStringLiteral("Acertos"));
    Chart1->setToolTip(QStringLiteral("Marque uma área no gráfico para zoom"));
    Series1 = &Chart1->AddPointSeries(QStringLiteral("Acertos"), Qt::red);
    Series1->SetPointSize(4);
    Chart1->setMinimumHeight(160);
    AttachChart(Chart1);
    lower->addWidget(sg2);
    lower->addWidget(Chart1);
    lower->setStretchFactor(0, 1);
    lower->setStretchFactor(1, 3);
    ChartLayout()->addWidget(lower);
    ShowTotals();
}

void TBetCheckForm::SetBusy(bool busy) {
    TAnalysisForm::SetBusy(busy);
    for (QWidget* control : std::initializer_list<QWidget*>{MemoBets, edArquivo, btArquivo, edFrom, edTo})
        control->setEnabled(!busy);
}

void TBetCheckForm::LoadSample() {
    // The whole history by default.
    const std::vector<int32_t>& contests = engine_->GetGame().Contests;
    if (contests.empty()) return;
    const auto [low, high] = std::minmax_element(contests.begin(), contests.end());
    for (QSpinBox* spin : {edFrom, edTo}) spin->setRange(*low, *high);
    edFrom->setValue(contests.front());
    edTo->setValue(contests.back());
}

void TBetCheckForm::PreviewAnalysis() {
    BetSelected();
}

void TBetCheckForm::btArquivoClick() {
    if (Running()) return;
    const QString file = TFileDialog::OpenFileName(
        this, QStringLiteral("Apostas (*.txt *.csv);;Todos os arquivos (*)"), QStringLiteral("txt"));
    if (!file.isEmpty()) edArquivo->setText(file);
}

bool TBetCheckForm::StartAnalysis() {
    const QString file = edArquivo->text().trimmed();
    const std::string path = file.toLocal8Bit().toStdString();
    const std::string typed = file.isEmpty() ? MemoBets->toPlainText().toStdString() : std::string();
    const int from = std::min(edFrom->value(), edTo->value());
    const int to = std::max(edFrom->value(), edTo->value());
    auto outcome = std::make_shared<Outcome>();
    outcome->Range = engine_->RangeOf(from, to);
    ProgressBar1->setValue(0);
    StartRun(
        [this, outcome, path, typed, tiers = tiers_] {
            const TBetList::Rules rules = engine_->Rules();
            std::atomic<bool>& stop = StopFlag();
            outcome->Bets = path.empty() ? TBetList::Parse(typed, rules, outcome->Error, &stop)
                                         : TBetList::Load(path, rules, outcome->Error, &stop);
            if (!outcome->Error.empty() || stop.load()) return;
            if (outcome->Bets.Empty()) {
                outcome->Error = "Nenhuma aposta informada.";
                return;
            }
            outcome->Result = engine_->Run(
                outcome->Bets, outcome->Range, tiers, [this, &stop](const TBetChecker::Progress& p) {
                    const int value =
                        p.Total > 0 ? static_cast<int>(ProgressSteps * static_cast<double>(p.Done) / p.Total)
                                    : 0;
                    PostLatest(ProgressChannel, [this, value] { ProgressBar1->setValue(value); });
                    return !stop.load();
                });
        },
        [this, outcome] { ShowOutcome(outcome); });
    return true;
}

void TBetCheckForm::ShowOutcome(std::shared_ptr<Outcome> outcome) {
    QStringList memo;
    if (!outcome->Error.empty()) {
        // Nothing is checked when any line is refused.
        model_->SetData(nullptr, nullptr);
        outcome_ = std::move(outcome);
        ShowTotals();
        BetSelected();
        ProgressBar1->setValue(0);
        SetMemo({Text(outcome_->Error)});
        TMessageBox::Show(this, Text(outcome_->Error), TMessageBox::Kind::Warning);
        return;
    }
    outcome_ = std::move(outcome);
    const TBetChecker::Result& result = outcome_->Result;
    model_->SetData(&outcome_->Bets, &result);
    grid_->resizeColumnsToContents();
    ShowTotals();
    if (result.Bets.empty()) {
        // Stopped while the bets were being read.
        ProgressBar1->setValue(0);
        SetMemo({QStringLiteral("Conferência interrompida.")});
        BetSelected();
        return;
    }
    ProgressBar1->setValue(result.Stopped ? ProgressBar1->value() : ProgressSteps);
    memo.append(QStringLiteral("Apostas conferidas: %1").arg(result.Checked) +
                (result.Stopped
                     ? QStringLiteral(" de %1 (conferência interrompida)").arg(outcome_->Bets.Count())
                     : QString()));
    memo.append(result.Contests > 0 ? QStringLiteral("Concursos: %1 (de %2 a %3)")
                                          .arg(result.Contests)
                                          .arg(result.FirstContest)
                                          .arg(result.LastContest)
                                    : QStringLiteral("Concursos: 0"));
    QStringList tiers;
    for (const int32_t t : result.Tiers) tiers.append(QString::number(t));
    memo.append(QStringLiteral("Faixas: ") + tiers.join(QStringLiteral(", ")));
    const auto best = std::max_element(result.Bets.begin(), result.Bets.end(),
                                       [](const auto& a, const auto& b) { return a.Best < b.Best; });
    if (result.Contests > 0)
        memo.append(QStringLiteral("Melhor resultado: %1 na aposta %2, concurso %3")
                        .arg(Text(TBetChecker::TierCaption(best->Best)))
                        .arg(best - result.Bets.begin() + 1)
                        .arg(best->BestContest));
    if (!tierError_.isEmpty()) memo.append(tierError_);
    SetMemo(memo);
    grid_->selectRow(0);
    BetSelected();
}

void TBetCheckForm::ShowTotals() {
    const std::vector<std::string> header = TBetChecker::TotalsHeader();
    const auto rows = outcome_ && outcome_->Error.empty() ? TBetChecker::TotalsRows(outcome_->Result)
                                                          : std::vector<std::vector<std::string>>{};
    sg2->clearContents();
    sg2->setRowCount(static_cast<int>(rows.size()) + 1);
    sg2->setColumnCount(static_cast<int>(header.size()));
    for (size_t c = 0; c < header.size(); ++c) Cell(*sg2, 0, static_cast<int>(c), Text(header[c]));
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c)
            Cell(*sg2, static_cast<int>(r) + 1, static_cast<int>(c), Text(rows[r][c]));
    sg2->resizeColumnsToContents();
}

void TBetCheckForm::BetSelected() {
    Series1->Clear();
    const int row = grid_->currentIndex().isValid() ? grid_->currentIndex().row() : -1;
    if (outcome_ && outcome_->Error.empty() && row >= 0 &&
        static_cast<size_t>(row) < outcome_->Result.Bets.size()) {
        const TBetChecker::Range range = outcome_->Range;
        const std::vector<int32_t> hits =
            engine_->HitsPerContest(outcome_->Bets.Bet(static_cast<size_t>(row)), range);
        const std::vector<int32_t>& contests = engine_->GetGame().Contests;
        for (size_t d = 0; d < hits.size(); ++d)
            Series1->Append(contests[static_cast<size_t>(range.Begin) + d], hits[d]);
        // Whole hit counts, the most of them inside the plot, not on its edge.
        const int32_t top = hits.empty() ? 1 : std::max(1, *std::max_element(hits.begin(), hits.end()));
        Chart1->SetLeftAxisRange(-0.25, top + 0.25);
        Chart1->SetTitle(QStringLiteral("Acertos por concurso: ") +
                         Text(TBetList::Text(outcome_->Bets.Bet(static_cast<size_t>(row)))));
    } else {
        Chart1->SetTitle(QStringLiteral("Acertos por concurso"));
        Chart1->SetAutomaticAxes();
    }
    Series1->Redraw();
}

QString TBetCheckForm::GridText() const {
    return model_->Text();
}
