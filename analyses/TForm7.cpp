#include "TForm7.h"

#include "NumberText.h"
#include "TChartSeries.h"
#include "TChartView.h"
#include "TForm2.h"
#include "TForm3.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <QTextCursor>
#include <algorithm>
#include <memory>

namespace {

using Analysis = TSegmentationAnalysis;

// Channels of the coalesced updates.
enum Channel : int { PassChannel, VoteChannel };

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

void Fill(TChartSeries& series, const std::vector<Analysis::Point>& points) {
    series.Clear();
    for (const Analysis::Point& point : points) series.Append(point.x, point.y);
    series.Redraw();
}

TAnalysisForm::Features SegmentationFeatures() {
    TAnalysisForm::Features features;
    features.Neighbours = false;
    return features;
}

} // namespace

TForm7::TForm7(TForm3& game, QWidget* parent)
    : TAnalysisForm(game, TLottery::Segmentation, QStringLiteral("Análise segmentação"),
                    SegmentationFeatures(), parent),
      engine_(std::make_unique<TSegmentationAnalysis>(Lottery())) {
    OptionsBox()->setTitle(QStringLiteral("Análise segmentada do próximo CSN"));
    BuildOwnControls();
}

TForm7::~TForm7() {
    // The worker may be using the engine: it must end before the engine goes.
    StopAndWait();
}

void TForm7::Install(TForm2& mainWindow) {
    mainWindow.SetAnalysisOpener(TLottery::Segmentation, [](TForm3& game) -> QWidget* {
        auto* window = new TForm7(game);
        window->Open(40);
        return window;
    });
}

void TForm7::BuildOwnControls() {
    QWidget* box = OptionsBox();
    QHBoxLayout* row = OptionsLayout();
    const QString sampleHint =
        QStringLiteral("Amostra de dados a analisar, a partir do final da base original");

    auto* label4 = new QLabel(QStringLiteral("Toviscas a analisar:"), box);
    label4->setObjectName(QStringLiteral("Label4"));
    Edit4 = new QLineEdit(QStringLiteral("50"), box);
    Edit4->setObjectName(QStringLiteral("Edit4"));
    Edit4->setToolTip(sampleHint);
    Edit4->setMaximumWidth(Edit4->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 12);
    label4->setBuddy(Edit4);
    row->addWidget(label4);
    row->addWidget(Edit4);

    auto* label1 = new QLabel(QStringLiteral("Época para corte?"), box);
    label1->setObjectName(QStringLiteral("Label1"));
    TrackBar1 = new QSlider(Qt::Horizontal, box);
    TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    TrackBar1->setRange(1, 500);
    TrackBar1->setValue(50);
    TrackBar1->setPageStep(10);
    TrackBar1->setTickInterval(5);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setToolTip(QStringLiteral("50"));
    TrackBar1->setMinimumWidth(120);
    connect(TrackBar1, &QSlider::valueChanged, this, &TForm7::TrackBar1Change);
    row->addWidget(label1);
    row->addWidget(TrackBar1);

    opSemUltimo = new QCheckBox(QStringLiteral("Não analisar último item"), box);
    opSemUltimo->setObjectName(QStringLiteral("opSemUltimo"));
    row->addWidget(opSemUltimo);
    opNotacNorm = new QCheckBox(QStringLiteral("Usar notação decimal"), box);
    opNotacNorm->setObjectName(QStringLiteral("opNotacNorm"));
    opNotacNorm->setToolTip(QStringLiteral("Alterna entre notação CSN e normal (dezenas)"));
    connect(opNotacNorm, &QCheckBox::clicked, this, &TForm7::opNotacNormClick);
    row->addWidget(opNotacNorm);

    Label5 = new QLabel(QStringLiteral("Previsão:"), box);
    Label5->setObjectName(QStringLiteral("Label5"));
    row->addWidget(Label5);

    // Hidden steps of the window, run by the visible commands.
    Button4 = StepButton("Button4", QStringLiteral("Carga dos dados"));
    Button5 = StepButton("Button5", QStringLiteral("Cálculo CSN"));
    Button6 = StepButton("Button6", QStringLiteral("Cálculo decimal"));
    connect(Button4, &QPushButton::clicked, this, &TForm7::Button4Click);
    // Both voting runs follow the notation the sample was loaded in.
    connect(Button5, &QPushButton::clicked, this, &TForm7::Button1Click);
    connect(Button6, &QPushButton::clicked, this, &TForm7::Button1Click);

    Chart1 = new TChartView(this);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->SetTitle(QStringLiteral("Votos da rede para próximo concurso"));
    Chart1->SetAxisTitles(QStringLiteral("Posição combinatorial"), QStringLiteral("Peso"));
    Chart1->setToolTip(QStringLiteral("Marque uma área no gráfico para zoom"));
    // The votes come in no order of CSN: points, not a line joining them.
    Series1 = &Chart1->AddPointSeries(QStringLiteral("Rede neural"), Qt::darkGreen);
    Series1->SetPointSize(6);
    Series2 = &Chart1->AddBarSeries(QStringLiteral("Último concurso"), Qt::red);
    Series2->SetBarWidth(0.01);
    Chart1->setMinimumHeight(160);
    ChartLayout()->addWidget(Chart1);
    AttachChart(Chart1);
}

void TForm7::SetBusy(bool busy) {
    TAnalysisForm::SetBusy(busy);
    for (QWidget* control : std::initializer_list<QWidget*>{Edit4, TrackBar1, opSemUltimo, opNotacNorm,
                                                            Button4, Button5, Button6})
        control->setEnabled(!busy);
}

void TForm7::LoadSample() {
    Button4Click();
}

void TForm7::Button4Click() {
    if (Running()) return;
    engine_->NotationMode = opNotacNorm->isChecked() ? Analysis::Notation::Decimal : Analysis::Notation::CSN;
    engine_->Load(SampleSize());
    Edit1->setText(QString::number(engine_->SampleSize()));
    sg1->setUpdatesEnabled(false);
    SetGridSize(engine_->RowCount(), 2);
    for (int r = 0; r < engine_->RowCount(); ++r)
        for (int c = 0; c < 2; ++c) SetCell(r, c, Text(engine_->CellText(r, c)));
    sg1->resizeColumnsToContents();
    sg1->setUpdatesEnabled(true);
}

void TForm7::opNotacNormClick() {
    if (Running()) return;
    LoadSample();
    PreviewAnalysis();
}

void TForm7::TrackBar1Change() {
    TrackBar1->setToolTip(QString::number(TrackBar1->value()));
}

void TForm7::PreviewAnalysis() {
    QTextCursor cursor = Memo1->textCursor();
    cursor.setPosition(0);
    Memo1->setTextCursor(cursor);
}

bool TForm7::StartAnalysis() {
    int votes = 1;
    if (!NumberText::TryParseInt(Edit4->text().trimmed().toStdString(), votes)) votes = 1;
    votes = std::max(1, votes);
    const int cut = std::max(1, TrackBar1->value());
    engine_->LeaveLastOut = opSemUltimo->isChecked();
    Series1->Clear();
    Series1->Redraw();
    // The newest draw's bar is known before the first vote.
    const double top = engine_->Top();
    const auto newest = engine_->Value(Lottery().DrawCount - 1);
    Fill(*Series2, {{0, 0}, {newest, 1}, {top, 0}});
    auto result = std::make_shared<Analysis::Result>();
    StartRun(
        [this, votes, cut, result] {
            *result = engine_->Gather(
                votes, cut,
                [this](const Analysis::Progress& p) {
                    const QString label = QStringLiteral("Tovisca: %1/%2").arg(p.Vote).arg(p.Votes);
                    PostLatest(PassChannel, [this, p, label] {
                        Label5->setText(label);
                        ShowPass(p.Pass, p.Error);
                    });
                    return !StopFlag().load();
                },
                [this](int, const std::vector<Analysis::Point>& points) {
                    PostLatest(VoteChannel, [this, points] { Fill(*Series1, points); });
                },
                &CancelFlag());
        },
        [this, result] { ShowResult(*result); });
    return true;
}

void TForm7::ShowResult(const Analysis::Result& result) {
    Label5->setText(QStringLiteral("Previsão"));
    Fill(*Series2, result.Last);
    if (result.Taken > 0) Fill(*Series1, result.Points);
    QStringList lines;
    for (const std::string& line : result.Memo) lines.append(Text(line));
    SetMemo(lines);
    PreviewAnalysis();
}

void TForm7::StopRequested() {
    // Ends the current Train call's loop at once; the vote it yields is kept.
    engine_->Network.Converged = true;
}
