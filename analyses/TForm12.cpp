#include "TForm12.h"

#include "NumberText.h"
#include "TChartSeries.h"
#include "TChartView.h"
#include "TForm2.h"
#include "TForm3.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <memory>

namespace {

enum Channel : int { ProgressChannel };

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

TAnalysisForm::Features BacktestFeatures() {
    TAnalysisForm::Features features;
    features.ErrorFieldName.clear();
    features.EpochFieldName.clear();
    features.CalculatorTool = false;
    features.CalculatorPopup = false;
    features.Neighbours = false;
    features.SampleLabel = QStringLiteral("Concursos a testar:");
    features.PreviewOnSampleStep = false;
    return features;
}

} // namespace

TForm12::TForm12(TForm3& game, QWidget* parent)
    : TAnalysisForm(game, TLottery::Backtest, QStringLiteral("Teste retroativo"), BacktestFeatures(), parent) {
    OptionsBox()->setTitle(QStringLiteral("Cada previsão contra o acaso"));
    Button1->setToolTip(QStringLiteral("Refazer as previsões dos últimos concursos com os sorteios anteriores a cada um"));
    BuildOwnControls();
}

TForm12::~TForm12() {
    StopAndWait();
}

void TForm12::Install(TForm2& mainWindow) {
    mainWindow.SetAnalysisOpener(TLottery::Backtest, [](TForm3& game) -> QWidget* {
        auto* window = new TForm12(game);
        window->Open(100);
        return window;
    });
}

void TForm12::BuildOwnControls() {
    QWidget* box = OptionsBox();
    QHBoxLayout* row = OptionsLayout();

    auto* seedLabel = new QLabel(QStringLiteral("Semente:"), box);
    edSeed = new QLineEdit(QStringLiteral("1"), box);
    edSeed->setObjectName(QStringLiteral("edSeed"));
    edSeed->setToolTip(QStringLiteral("A mesma semente repete exatamente o teste"));
    edSeed->setMaximumWidth(edSeed->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 12);
    seedLabel->setBuddy(edSeed);
    row->addWidget(seedLabel);
    row->addWidget(edSeed);

    auto* capLabel = new QLabel(QStringLiteral("Limite de treinos por rede:"), box);
    udCap = new QSpinBox(box);
    udCap->setObjectName(QStringLiteral("udCap"));
    udCap->setRange(1, 10000);
    udCap->setValue(100);
    udCap->setToolTip(QStringLiteral("Chamadas de treino (100 épocas cada) de uma rede que não converge"));
    capLabel->setBuddy(udCap);
    row->addWidget(capLabel);
    row->addWidget(udCap);

    ProgressBar1 = new QProgressBar(box);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 1);
    ProgressBar1->setValue(0);
    ProgressBar1->setFormat(QStringLiteral("%v/%m"));
    row->addWidget(ProgressBar1, 1);

    connect(sg1, &QTableWidget::cellDoubleClicked, this, [this](int r, int) { sg1DblClick(r); });

    Chart1 = new TChartView(this);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->SetTitle(QStringLiteral("Acertos acumulados menos os esperados"));
    Chart1->SetAxisTitles(QStringLiteral("Concurso"), QStringLiteral("Acertos - esperado"));
    Chart1->setToolTip(QStringLiteral("Marque uma área no gráfico para zoom"));
    Chart1->setMinimumHeight(200);
    ChartLayout()->addWidget(Chart1);
    AttachChart(Chart1);

    sg2 = new QTableWidget(this);
    sg2->setObjectName(QStringLiteral("sg2"));
    sg2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sg2->verticalHeader()->hide();
    sg2->horizontalHeader()->hide();
    sg2->setMinimumHeight(120);
    ChartLayout()->addWidget(sg2);
    AttachGrid(sg2);
}

void TForm12::SetBusy(bool busy) {
    TAnalysisForm::SetBusy(busy);
    edSeed->setEnabled(!busy);
    udCap->setEnabled(!busy);
}

void TForm12::LoadSample() {
    Edit1->setText(QString::number(SampleSize()));
}

void TForm12::PreviewAnalysis() {
    if (result_) ShowResult();
}

bool TForm12::StartAnalysis() {
    TBacktest::Settings settings;
    settings.Contests = SampleSize();
    settings.Cap = udCap->value();
    long long seed = 1;
    if (NumberText::TryParseInt64(edSeed->text().trimmed().toStdString(), seed) && seed >= 0)
        settings.Seed = static_cast<std::uint64_t>(seed);
    else
        edSeed->setText(QStringLiteral("1"));
    const int total = std::min(settings.Contests, std::max(0, Lottery().DrawCount - 1));
    ProgressBar1->setRange(0, std::max(total, 1));
    ProgressBar1->setValue(0);
    auto result = std::make_shared<TBacktest::Result>();
    const TLottery& lottery = Lottery();
    StartRun(
        [this, &lottery, settings, result] {
            *result = TBacktest::Run(
                lottery, settings,
                [this](const TBacktest::Progress& p) {
                    PostLatest(ProgressChannel, [this, p] { ProgressBar1->setValue(p.Done); });
                    return !StopFlag().load();
                },
                &CancelFlag());
        },
        [this, result] {
            result_ = std::move(*result);
            ShowResult();
        });
    return true;
}

void TForm12::ShowResult() {
    const TBacktest::Result& result = *result_;
    ProgressBar1->setRange(0, std::max(result.Requested, 1));
    ProgressBar1->setValue(result.Done);
    const auto header = TBacktest::Header();
    SetGridSize(static_cast<int>(result.Rows.size()) + 1, static_cast<int>(header.size()));
    for (size_t c = 0; c < header.size(); ++c) SetCell(0, static_cast<int>(c), Text(header[c]));
    for (size_t r = 0; r < result.Rows.size(); ++r) {
        const auto cells = TBacktest::Cells(result.Rows[r]);
        for (size_t c = 0; c < cells.size(); ++c) SetCell(static_cast<int>(r) + 1, static_cast<int>(c), Text(cells[c]));
    }
    sg1->resizeColumnsToContents();

    QStringList memo;
    memo << (result.Stopped ? QStringLiteral("Parado: %1 de %2 concursos testados.")
                            : QStringLiteral("%1 de %2 concursos testados."))
                .arg(result.Done)
                .arg(result.Requested);
    memo << QStringLiteral("Semente: %1; limite de treinos por rede: %2 chamadas de 100 épocas.")
                .arg(QString::number(result.Used.Seed))
                .arg(result.Used.Cap);
    memo << QStringLiteral("Redes treinadas: %1; no limite: %2.").arg(result.Networks).arg(result.Capped);
    memo << QStringLiteral("Valor p: P(acertos >= observados) sob o acaso (lei exata); o veredito usa a "
                           "correção de Holm entre os previsores, nos dois sentidos, a 5 %.");
    SetMemo(memo);
    ShowChart(0);
    sg2->clear();
    sg2->setRowCount(0);
    sg2->setColumnCount(0);
}

void TForm12::ShowChart(int row) {
    Chart1->RemoveAllSeries();
    if (!result_) return;
    const auto& rows = result_->Rows;
    for (const TBacktest::Row& r : rows) {
        TChartSeries& series = Chart1->AddLineSeries(Text(r.Title));
        for (size_t i = 0; i < r.Entries.size(); ++i) series.Append(r.Entries[i].Contest, r.Excess[i]);
    }
    if (row >= 0 && static_cast<size_t>(row) < rows.size()) {
        const TBacktest::Row& r = rows[static_cast<size_t>(row)];
        const QString band = QStringLiteral("Faixa de 95 % do acaso (%1)").arg(Text(r.Title));
        TChartSeries& high = Chart1->AddLineSeries(band, Qt::gray);
        TChartSeries& low = Chart1->AddLineSeries(band, Qt::gray);
        low.SetShownInLegend(false);
        for (size_t i = 0; i < r.Entries.size(); ++i) {
            high.Append(r.Entries[i].Contest, r.BandHigh[i]);
            low.Append(r.Entries[i].Contest, r.BandLow[i]);
        }
    }
    Chart1->Redraw();
}

void TForm12::sg1DblClick(int row) {
    if (!result_ || row < 1 || static_cast<size_t>(row) > result_->Rows.size()) return;
    const auto lines = TBacktest::Detail(result_->Rows[static_cast<size_t>(row) - 1]);
    sg2->setRowCount(static_cast<int>(lines.size()));
    sg2->setColumnCount(lines.empty() ? 0 : static_cast<int>(lines.front().size()));
    for (size_t r = 0; r < lines.size(); ++r)
        for (size_t c = 0; c < lines[r].size(); ++c)
            sg2->setItem(static_cast<int>(r), static_cast<int>(c), new QTableWidgetItem(Text(lines[r][c])));
    sg2->resizeColumnsToContents();
    ShowChart(row - 1);
}
