#include "TForm10.h"

#include "NumberText.h"
#include "TChancePanel.h"
#include "TChartSeries.h"
#include "TChartView.h"
#include "TForm2.h"
#include "TForm3.h"
#include "TInputBox.h"
#include "TMessageBox.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <random>

namespace {

using Analysis = TRecurrenceAnalysis;

// Channels of the coalesced updates.
enum Channel : int { ProgressChannel };

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

void Fill(TChartSeries& series, const std::vector<Analysis::Point>& points) {
    series.Clear();
    for (const Analysis::Point& point : points) series.Append(point.x, point.y);
    series.Redraw();
}

QStringList Lines(const std::vector<std::string>& lines) {
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines) texts.append(Text(line));
    return texts;
}

// A grid cell as the analysis windows show them: the fixed header row and
// column shaded, the rest right-aligned.
void Put(QTableWidget& grid, int row, int column, const QString& text) {
    QTableWidgetItem* item = grid.item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        if (row == 0 || column == 0) {
            item->setBackground(grid.palette().button());
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        } else {
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
        grid.setItem(row, column, item);
    }
    item->setText(text);
}

TAnalysisForm::Features RecurrenceFeatures() {
    TAnalysisForm::Features features;
    features.ErrorFieldName.clear();
    features.EpochFieldName.clear();
    features.CalculatorPopup = false;
    features.NormalWindow = 2;
    features.NormalNeighbours = 4;
    features.DeltaWindow = 2;
    features.DeltaNeighbours = 4;
    features.SampleLabel = QStringLiteral("Tamanho da amostra:");
    return features;
}

} // namespace

TForm10::TForm10(TForm3& game, QWidget* parent)
    : TAnalysisForm(game, TLottery::Recurrence, QStringLiteral("Análise recorrencial"), RecurrenceFeatures(),
                    parent),
      engine_(std::make_unique<TRecurrenceAnalysis>(Lottery())) {
    BuildOwnControls();
    seed_ = NextSeed();
}

TForm10::~TForm10() {
    // The worker holds its own reference to the draws, but its updates are
    // addressed to this window: it must end before the window goes.
    StopAndWait();
}

void TForm10::Install(TForm2& mainWindow) {
    mainWindow.SetAnalysisOpener(TLottery::Recurrence, [](TForm3& game) -> QWidget* {
        auto* window = new TForm10(game);
        window->Open(window->N());
        return window;
    });
}

void TForm10::SetSeed(uint64_t seed) {
    fixedSeed_ = true;
    seed_ = seed;
}

uint64_t TForm10::NextSeed() {
    if (fixedSeed_) return seed_;
    std::random_device device;
    return (static_cast<uint64_t>(device()) << 32) ^ device();
}

void TForm10::BuildOwnControls() {
    QWidget* box = OptionsBox();
    QHBoxLayout* row = OptionsLayout();
    Button1->setToolTip(QString());
    Button3->setToolTip(QString());

    const auto check = [box, row](const char* name, const QString& caption, const QString& hint) {
        auto* option = new QCheckBox(caption, box);
        option->setObjectName(QString::fromLatin1(name));
        option->setToolTip(hint);
        row->addWidget(option);
        return option;
    };
    opDupla = check("opDupla", QStringLiteral("Verif. dupla combinação"),
                    QStringLiteral("Analisa as chances de um jogo duplo, isto é, com duas combinações."));
    opRecoFinal = check("opRecoFinal", QStringLiteral("Recorrência consecutiva"),
                        QStringLiteral("Procura por combinações que tem recorrencia de acerto consecutiva no "
                                       "final da amostra"));
    opUnivRed = check("opUnivRed", QStringLiteral("Universo reduzido"),
                      QStringLiteral("Reduz o universo de busca ao tamanho do paradoxo do aniversário."));
    opSemUlt = check("opSemUlt", QStringLiteral("Sem o último concurso"),
                     QStringLiteral("Não inclui o último concurso na análise."));
    opFiltroRec = check("opFiltroRec", QStringLiteral("Filtro de recorrência"),
                        QStringLiteral("Procura pelas extremidades do efeito \"filtro de recorrência\""));
    opUnivRed->setChecked(Lottery().Superball);
    connect(opDupla, &QCheckBox::clicked, this, &TForm10::opDuplaClick);
    connect(opRecoFinal, &QCheckBox::clicked, this, &TForm10::opRecoFinalClick);
    connect(opFiltroRec, &QCheckBox::clicked, this, &TForm10::opFiltroRecClick);

    Label5 = new QLabel(QStringLiteral("Previsão:"), box);
    Label5->setObjectName(QStringLiteral("Label5"));
    row->addWidget(Label5);
    Memo1->setPlainText(QStringLiteral("Sem previsão"));
    pb1 = new QProgressBar(box);
    pb1->setObjectName(QStringLiteral("pb1"));
    pb1->setRange(0, 100);
    pb1->setValue(0);
    pb1->setMinimumWidth(160);
    row->addWidget(pb1);
    btAcaso = new QPushButton(QStringLiteral("Comparar com o acaso"), box);
    btAcaso->setObjectName(QStringLiteral("btAcaso"));
    btAcaso->setToolTip(QStringLiteral("Repete a busca em históricos sorteados ao acaso e mostra onde "
                                       "cada recorde real fica entre os deles."));
    btAcaso->setEnabled(false);
    connect(btAcaso, &QPushButton::clicked, this, &TForm10::btAcasoClick);
    row->addWidget(btAcaso);

    // Hidden steps of the window, run by the visible commands.
    Button4 = StepButton("Button4", QStringLiteral("Plota concurso/csn"));
    Button5 = StepButton("Button5", QStringLiteral("Carrega dados"));
    Button6 = StepButton("Button6", QStringLiteral("Analisa recorrencia consecutiva"));
    Button7 = StepButton("Button7", QStringLiteral("Analisa recorrencia normal"));
    Button8 = StepButton("Button8", QStringLiteral("Analisa filtro de recorrencia"));
    connect(Button4, &QPushButton::clicked, this, &TForm10::Button4Click);
    connect(Button5, &QPushButton::clicked, this, [this] {
        Button5Click();
        PreviewAnalysis();
    });
    // The analyses follow the options, as "Analisar" does.
    for (QPushButton* button : {Button6, Button7, Button8})
        connect(button, &QPushButton::clicked, this, &TForm10::Button1Click);

    // The streak table beside the result grid.
    sg2 = new QTableWidget(2, 2, this);
    sg2->setObjectName(QStringLiteral("sg2"));
    sg2->setProperty("tag", 1);
    sg2->horizontalHeader()->hide();
    sg2->verticalHeader()->hide();
    sg2->verticalHeader()->setDefaultSectionSize(18);
    sg2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sg2->setSelectionMode(QAbstractItemView::SingleSelection);
    sg2->setWordWrap(false);
    if (auto* splitter = qobject_cast<QSplitter*>(sg1->parentWidget())) splitter->insertWidget(1, sg2);
    AttachGrid(sg2);
    connect(sg1, &QTableWidget::cellClicked, this, [this] {
        if (ComboBox2->currentIndex() == 2) Button4Click();
    });
    connect(sg2, &QTableWidget::cellClicked, this, [this] {
        if (ComboBox2->currentIndex() == 2) Button4Click();
    });

    ExibirCSNs1 = new QAction(QStringLiteral("Exibir CSNs"), this);
    ExibirCSNs1->setObjectName(QStringLiteral("ExibirCSNs1"));
    ExibirCSNs1->setVisible(false);
    PopupMenu1->insertAction(PopupMenu1->actions().value(1), ExibirCSNs1);
    connect(ExibirCSNs1, &QAction::triggered, this, &TForm10::ExibirCSNs1Click);
    // After the frame's own handler, which has placed "k-vizinhos-próximos".
    connect(PopupMenu1, &QMenu::aboutToShow, this, &TForm10::PopupOpening);

    // Above the charts: the chart chooser and the contest scroll bar.
    auto* chooser = new QHBoxLayout;
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->addItems({QStringLiteral("Distribuição recorrencial otimizado"),
                         QStringLiteral("Distribuição recorrencial do concurso"),
                         QStringLiteral("Distribuição recorrencial do CSN")});
    ComboBox2->setCurrentIndex(0);
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, &TForm10::ComboBox2Change);
    chooser->addWidget(ComboBox2);
    sb2 = new QScrollBar(Qt::Horizontal, this);
    sb2->setObjectName(QStringLiteral("sb2"));
    sb2->setRange(0, 0);
    sb2->setValue(0);
    sb2->hide();
    connect(sb2, &QScrollBar::valueChanged, this, &TForm10::Button4Click);
    chooser->addWidget(sb2, 1);
    chooser->addStretch(0);
    ChartLayout()->addLayout(chooser);

    const QString zoomHint = QStringLiteral("Marque uma área no gráfico para zoom");
    Chart2 = new TChartView(this);
    Chart2->setObjectName(QStringLiteral("Chart2"));
    Chart2->SetTitle(QStringLiteral("Distribuição recorrencial otimizado"));
    Chart2->SetAxisTitles(QStringLiteral("Acertos"), QStringLiteral("Chance %"));
    Chart2->setToolTip(zoomHint);
    BarSeries1 = &Chart2->AddBarSeries(QStringLiteral("Combinação1"), Qt::green);
    BarSeries2 = &Chart2->AddBarSeries(QStringLiteral("Combinação2"), Qt::red);
    BarSeries1->SetBarWidth(0.5);
    BarSeries2->SetBarWidth(0.5);
    Chart2->setMinimumHeight(160);
    ChartLayout()->addWidget(Chart2, 1);
    AttachChart(Chart2);

    Chart1 = new TChartView(this);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->SetTitle(QStringLiteral("Distribuição recorrencial do concurso x"));
    Chart1->SetAxisTitles(QStringLiteral("Concurso"), QStringLiteral("Acertos"));
    Chart1->setToolTip(zoomHint);
    Series1 = &Chart1->AddLineSeries(QStringLiteral("Combinação"), Qt::red);
    Series2 = &Chart1->AddLineSeries(QStringLiteral("Previsão"), Qt::green);
    Series3 = &Chart1->AddPointSeries(QStringLiteral("Faixa previsão"), Qt::yellow);
    Chart1->setMinimumHeight(160);
    Chart1->hide();
    ChartLayout()->addWidget(Chart1, 1);
    AttachChart(Chart1);

    Chart3 = new TChartView(this);
    Chart3->setObjectName(QStringLiteral("Chart3"));
    Chart3->SetTitle(QStringLiteral("Filtro de recorrência"));
    Chart3->SetAxisTitles(QStringLiteral("(-)Atrasos/Adiant.(+)"), QStringLiteral("Combinações"));
    Chart3->SetLegendVisible(false);
    Chart3->setToolTip(zoomHint);
    BarSeries3 = &Chart3->AddBarSeries(QString(), Qt::green);
    Chart3->setMinimumHeight(160);
    Chart3->hide();
    ChartLayout()->addWidget(Chart3, 1);
    AttachChart(Chart3);

    Chance = new TChancePanel(this);
    ChartLayout()->addWidget(Chance);
    AttachGrid(Chance->Grid());
}

TRecurrenceAnalysis::Choices TForm10::Choices() const {
    TRecurrenceAnalysis::Choices choices;
    choices.DoubleCheck = opDupla->isChecked();
    choices.Consecutive = opRecoFinal->isChecked();
    choices.Reduced = opUnivRed->isChecked();
    choices.WithoutLast = opSemUlt->isChecked();
    return choices;
}

void TForm10::UpdateOptionRules() {
    const bool filter = opFiltroRec->isChecked();
    opRecoFinal->setEnabled(!filter && !Running());
    opDupla->setEnabled(!filter && !opRecoFinal->isChecked() && !Running());
}

void TForm10::SetBusy(bool busy) {
    TAnalysisForm::SetBusy(busy);
    // The options that reload stay put while a search runs; the others only
    // take effect at the next search.
    opFiltroRec->setEnabled(!busy);
    for (QPushButton* button : {Button4, Button5, Button6, Button7, Button8}) button->setEnabled(!busy);
    ExibirCSNs1->setEnabled(!busy);
    btAcaso->setEnabled(!busy && records_);
    UpdateOptionRules();
}

void TForm10::LoadSample() {
    Button5Click();
}

void TForm10::Button5Click() {
    if (Running()) return;
    const bool wide = opDupla->isChecked() || opRecoFinal->isChecked();
    engine_->Load(SampleSize(), wide);
    records_ = false;
    btAcaso->setEnabled(false);
    Chance->SetMessage(QStringLiteral("Recordes: \"Analisar\" e depois \"Comparar com o acaso\"."));

    const int draws = engine_->DrawCount();
    const bool first = sb2->value() == 0;
    {
        const QSignalBlocker blocker(sb2);
        sb2->setMaximum(std::max(draws, 1));
        if (first) sb2->setValue(std::max(draws, 1));
        sb2->setMinimum(1);
    }
    if (first) Button4Click();

    BarSeries2->SetShownInLegend(opDupla->isChecked());
    // Two sets side by side; one set centred on its hit count.
    BarSeries1->SetBarOffset(wide ? -0.25 : 0.0);
    BarSeries2->SetBarOffset(wide ? 0.25 : 0.0);

    SetGridSize(engine_->K() + 2, wide ? 11 : 6);
    sg2->clearContents();
    sg2->setRowCount(2);
    sg2->setColumnCount(2);
    Edit1->setText(QString::number(SampleSize()));
}

void TForm10::PreviewAnalysis() {
    BarSeries1->Clear();
    BarSeries2->Clear();
    const TRecurrenceAnalysis::Grid grid = engine_->ResultGrid();
    sg1->setUpdatesEnabled(false);
    SetGridSize(static_cast<int>(grid.size()), static_cast<int>(grid.front().size()));
    for (size_t r = 0; r < grid.size(); ++r)
        for (size_t c = 0; c < grid[r].size(); ++c)
            SetCell(static_cast<int>(r), static_cast<int>(c), Text(grid[r][c]));
    sg1->resizeColumnsToContents();
    sg1->setUpdatesEnabled(true);
    Fill(*BarSeries1, engine_->ChancePoints(1));
    Fill(*BarSeries2, engine_->ChancePoints(2));

    const TRecurrenceAnalysis::Grid streaks = engine_->StreakGrid();
    sg2->setUpdatesEnabled(false);
    sg2->clearContents();
    sg2->setRowCount(static_cast<int>(streaks.size()));
    sg2->setColumnCount(static_cast<int>(streaks.front().size()));
    for (size_t r = 0; r < streaks.size(); ++r)
        for (size_t c = 0; c < streaks[r].size(); ++c)
            if (!streaks[r][c].empty())
                Put(*sg2, static_cast<int>(r), static_cast<int>(c), Text(streaks[r][c]));
    sg2->resizeColumnsToContents();
    sg2->setUpdatesEnabled(true);
}

void TForm10::opDuplaClick() {
    if (Running()) return;
    LoadSample();
    PreviewAnalysis();
}

void TForm10::opRecoFinalClick() {
    if (Running()) return;
    if (opRecoFinal->isChecked()) opDupla->setChecked(false);
    UpdateOptionRules();
    LoadSample();
    PreviewAnalysis();
}

void TForm10::opFiltroRecClick() {
    if (Running()) return;
    const bool filter = opFiltroRec->isChecked();
    UpdateOptionRules();
    {
        const QSignalBlocker blocker(ComboBox2);
        ComboBox2->setCurrentIndex(0);
    }
    ComboBox2->setVisible(!filter);
    Chart3->setVisible(filter);
    Chart2->setVisible(!filter);
    Chart1->hide();
    sb2->hide();
}

void TForm10::ComboBox2Change() {
    const int item = ComboBox2->currentIndex();
    Chart1->setVisible(item == 1 || item == 2);
    Chart2->setVisible(item == 0);
    sb2->setVisible(item == 1);
    PreviewAnalysis();
    Button4Click();
}

void TForm10::Button4Click() {
    const int item = ComboBox2->currentIndex();
    if (item == 1) {
        const int n = sb2->value();
        SetMemo({QStringLiteral("Aguarde...")});
        Chart1->SetTitle(QStringLiteral("Distribuição recorrencial do concurso ") + QString::number(n));
        Fill(*Series1, engine_->ContestPoints(n));
        SetMemo({QStringLiteral("Finalizado.")});
    } else if (item == 2) {
        const int row = sg1->currentRow();
        const int column = sg1->currentColumn() < 6 ? 3 : 8;
        const TRecurrenceAnalysis::CsnChoice choice = engine_->ReadCsn(CellText(row, column).toStdString());
        Chart1->SetTitle(QStringLiteral("Distribuição recorrencial do CSN ") + Text(choice.Text));
        Fill(*Series1, engine_->CsnPoints(choice.Csn));
    }
}

bool TForm10::StartAnalysis() {
    return opFiltroRec->isChecked() ? StartFilter() : StartRecurrence();
}

void TForm10::ShowProgress(const TSearchProgress& progress) {
    const double total = std::max(progress.Candidates, 1.0);
    pb1->setValue(static_cast<int>(std::clamp(progress.Done * 100.0 / total, 0.0, 100.0)));
    if (progress.Phase != phase_) {
        phase_ = progress.Phase;
        if (phase_ >= 1)
            SetMemo({QStringLiteral("Aguarde, analisando dupla #%1/%2").arg(phase_ - 1).arg(engine_->K())});
    }
}

void TForm10::RunSearch(const TSearchOptions& options, std::function<void(const TSearchResult&)> done) {
    auto result = std::make_shared<TSearchResult>();
    auto failure = std::make_shared<QString>();
    std::shared_ptr<const TCombinationSearch> search = engine_->SharedSearch();
    phase_ = 0;
    pb1->setValue(0);
    StartRun(
        [this, search, options, result, failure] {
            try {
                *result = search->Run(options, [this](const TSearchProgress& progress) {
                    PostLatest(ProgressChannel, [this, progress] { ShowProgress(progress); });
                    return !StopFlag().load();
                });
            } catch (const std::exception& error) {
                *failure = QString::fromLocal8Bit(error.what());
            }
        },
        [this, result, failure, done = std::move(done)] {
            pb1->setValue(0);
            if (!failure->isEmpty()) {
                SetMemo({*failure});
                TMessageBox::Show(this, *failure, TMessageBox::Kind::Error);
                return;
            }
            done(*result);
        });
}

bool TForm10::StartRecurrence() {
    const TRecurrenceAnalysis::Choices choices = Choices();
    const TSearchMode mode = choices.Consecutive ? TSearchMode::Consecutive : TSearchMode::Recurrence;
    engine_->Load(SampleSize(), choices.DoubleCheck || choices.Consecutive);
    seed_ = NextSeed();
    const TSearchOptions options = engine_->Options(mode, choices, seed_);
    if (const std::string message = engine_->Search().Check(options); !message.empty()) {
        SetMemo({Text(message)});
        TMessageBox::Show(this, Text(message), TMessageBox::Kind::Warning);
        return false;
    }
    SetMemo({QStringLiteral("Aguarde...")});
    RunSearch(options, [this, mode](const TSearchResult& result) {
        lastSeed_ = seed_;
        engine_->SetResults(result);
        records_ = mode == TSearchMode::Recurrence && !result.Stopped;
        btAcaso->setEnabled(records_ && !Running());
        QStringList memo = {QStringLiteral("Finalizado.")};
        if (result.Stopped)
            memo.append(QStringLiteral("Busca interrompida: %1 de %2 combinações examinadas.")
                            .arg(Text(NumberText::FormatGeneral(result.Examined)),
                                 Text(NumberText::FormatGeneral(result.Candidates))));
        SetMemo(memo);
        PreviewAnalysis();
    });
    return true;
}

bool TForm10::StartFilter() {
    int threshold = engine_->DefaultThreshold();
    if (const std::optional<QString> answer =
            TInputBox::Ask(this, QStringLiteral("Limite adiantamento"),
                           QStringLiteral("Buscar acertos igual ou acima de:"), QString::number(threshold))) {
        int value = 0;
        if (NumberText::TryParseInt(answer->trimmed().toStdString(), value)) threshold = value;
    }
    int floor = 0;
    if (const std::optional<QString> answer = TInputBox::Ask(
            this, QStringLiteral("Histórico de atraso"),
            QStringLiteral("Guarda atrasos iguais ou acima de (0=somente último):"), QStringLiteral("0"))) {
        int value = 0;
        if (NumberText::TryParseInt(answer->trimmed().toStdString(), value)) floor = value;
    }
    // Below 0 every combination is at or above the threshold, as with 0;
    // above k + 1 every one is below, as with k + 1. A negative floor keeps
    // only the extreme, as 0 does.
    threshold = std::clamp(threshold, 0, engine_->K() + 1);
    floor = std::max(floor, 0);

    seed_ = NextSeed();
    TSearchOptions options = engine_->Options(TSearchMode::Filter, Choices(), seed_);
    options.Threshold = threshold;
    options.Floor = floor;
    if (const std::string message = engine_->Search().Check(options); !message.empty()) {
        SetMemo({Text(message)});
        TMessageBox::Show(this, Text(message), TMessageBox::Kind::Warning);
        return false;
    }
    SetMemo({QStringLiteral("Aguarde...")});
    RunSearch(options, [this](const TSearchResult& result) {
        QStringList memo = Lines(TRecurrenceAnalysis::FilterMemo(result));
        if (result.Stopped)
            memo.append(QStringLiteral("Busca interrompida: %1 de %2 combinações examinadas.")
                            .arg(Text(NumberText::FormatGeneral(result.Examined)),
                                 Text(NumberText::FormatGeneral(result.Candidates))));
        SetMemo(memo);
        Fill(*BarSeries3, TRecurrenceAnalysis::FilterPoints(result));
    });
    return true;
}

void TForm10::PopupOpening() {
    ExibirCSNs1->setVisible(false);
    if (PopupSource() == sg2 && sg2->property("tag").toInt() == 1)
        ExibirCSNs1->setVisible(engine_->StreakCount(sg2->currentRow(), sg2->currentColumn()) >= 1);
}

void TForm10::ExibirCSNs1Click() {
    if (Running()) return;
    const int h = sg2->currentRow();
    const int j = sg2->currentColumn();
    if (h < 1 || j < 1 || engine_->StreakCount(h, j) < 1) return;
    StopFlag() = false;
    // The candidates of the analysis that filled the table, so that in the
    // reduced universe too the list matches the count.
    TSearchOptions options = engine_->Options(TSearchMode::Listing, Choices(), lastSeed_);
    options.ListHits = h;
    options.ListStreak = j;
    const int considered = engine_->DrawCount() - (opSemUlt->isChecked() ? 1 : 0);
    const std::vector<std::string> header = TRecurrenceAnalysis::ListingHeader(considered, h, j);
    SetMemo(Lines(header));
    if (!engine_->Search().Check(options).empty()) return;
    RunSearch(options, [this, header](const TSearchResult& result) {
        QStringList memo = Lines(header);
        memo.reserve(memo.size() + static_cast<qsizetype>(result.Listing.size()));
        for (const TCsnValue csn : result.Listing) memo.append(Text(TCombinationSearch::CsnText(csn)));
        SetMemo(memo);
    });
}

void TForm10::btAcasoClick() {
    if (Running() || !records_ || !engine_->HasResults()) return;
    const TSearchResult& results = engine_->Results();
    TRecurrenceAnalysis::Choices choices = Choices();
    choices.DoubleCheck = false;
    choices.Consecutive = false;
    TSearchOptions options = engine_->Options(TSearchMode::Recurrence, choices, lastSeed_);
    options.SampleSize = results.SampleSize;
    const TSearchGame& game = engine_->Search().Game();
    const int32_t n = game.Elements, k = game.PerCombination;
    const double birthday = game.Birthday;
    const std::vector<int32_t> real = results.Count1;
    auto chance = std::make_shared<TSyntheticRecords>();
    auto failure = std::make_shared<QString>();
    StopFlag() = false;
    pb1->setValue(0);
    Chance->SetMessage(QStringLiteral("Calculando o acaso..."));
    StartRun(
        [this, n, k, birthday, options, chance, failure] {
            try {
                *chance =
                    TChanceAudit::SyntheticRecords(n, k, birthday, options, TChanceAudit::DefaultRepeats,
                                                   TChanceAudit::DefaultSeed, [this](double done) {
                                                       PostLatest(ProgressChannel, [this, done] {
                                                           pb1->setValue(static_cast<int>(done * 100));
                                                       });
                                                       return !StopFlag().load();
                                                   });
            } catch (const std::exception& error) {
                *failure = QString::fromLocal8Bit(error.what());
            }
        },
        [this, real, chance, failure] {
            pb1->setValue(0);
            if (!failure->isEmpty()) {
                Chance->SetMessage(*failure);
                return;
            }
            Chance->SetTest(TChanceAudit::Records(real, *chance));
        });
}
