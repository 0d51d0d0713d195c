#include "TForm1.h"

#include "NumberText.h"
#include "TChartView.h"
#include "TForm3.h"
#include "TInputBox.h"
#include "TPositionalBayesAnalysis.h"

#include <QBoxLayout>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString SampleHint = QStringLiteral("Amostra de dados a analisar, a partir do final da base original");

TAnalysisForm::Features BaseFeatures() {
    TAnalysisForm::Features features;
    features.Network = false;
    features.ErrorFieldName = QStringLiteral("edProgress1");
    features.EpochFieldName = QStringLiteral("edProgress2");
    features.CalculatorPopup = false;
    features.Neighbours = false;
    return features;
}

// The box layout (at any depth under root) that holds the widget directly.
QBoxLayout* LayoutHolding(QLayout* root, QWidget* widget) {
    if (!root) return nullptr;
    auto* box = qobject_cast<QBoxLayout*>(root);
    if (box && box->indexOf(widget) >= 0) return box;
    for (int i = 0; i < root->count(); ++i)
        if (QBoxLayout* found = LayoutHolding(root->itemAt(i)->layout(), widget)) return found;
    return nullptr;
}

QPushButton* HiddenButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->hide();
    return button;
}

} // namespace

TForm1::TForm1(TForm3& game, TLottery::WindowKind kind, const QString& caption, QWidget* parent)
    : TAnalysisForm(game, kind, caption, BaseFeatures(), parent), fileName_(game.FileName()) {
    BuildControls();
}

TForm1::~TForm1() = default;

QSpinBox* TForm1::UpDown(QWidget* parent, const QString& name, const QString& hint) {
    auto* upDown = new QSpinBox(parent);
    upDown->setObjectName(name);
    upDown->setToolTip(hint);
    // Only the arrows show: the number stands in the edit beside.
    if (auto* number = upDown->findChild<QLineEdit*>()) number->hide();
    upDown->setFixedWidth(upDown->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, upDown) + 6);
    upDown->setKeyboardTracking(false);
    return upDown;
}

void TForm1::BuildControls() {
    // The frame's controls under this window's names.
    edSampleSize = Edit1;
    edSampleSize->setObjectName(QStringLiteral("edSampleSize"));
    udSampleSize = UpDown1;
    udSampleSize->setObjectName(QStringLiteral("udSampleSize"));
    btPreview = Button2;
    btPreview->setObjectName(QStringLiteral("btPreview"));
    memoPreview = Memo1;
    memoPreview->setObjectName(QStringLiteral("memoPreview"));
    SetMemo({QStringLiteral("Sem previsão")});

    QWidget* box = OptionsBox();
    QBoxLayout* frameRow = LayoutHolding(box->layout(), edSampleSize);
    if (!frameRow) frameRow = OptionsLayout();
    Label3 = new QLabel(QStringLiteral("Tamanho da amostra:"), box);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setBuddy(edSampleSize);
    frameRow->insertWidget(std::max(frameRow->indexOf(edSampleSize), 0), Label3);

    Label1 = new QLabel(QStringLiteral("Ignora últimos:"), box);
    Label1->setObjectName(QStringLiteral("Label1"));
    edSampleIgnore = new QLineEdit(QStringLiteral("1"), box);
    edSampleIgnore->setObjectName(QStringLiteral("edSampleIgnore"));
    edSampleIgnore->setReadOnly(true);
    edSampleIgnore->setFocusPolicy(Qt::NoFocus);
    edSampleIgnore->setToolTip(QStringLiteral("Ignora os últimos n elementos da base original"));
    edSampleIgnore->setMaximumWidth(
        edSampleIgnore->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 12);
    edSampleIgnore->installEventFilter(this);
    Label1->setBuddy(edSampleIgnore);
    udSampleIgnore = UpDown(box, QStringLiteral("udSampleIgnore"), SampleHint);
    udSampleIgnore->setRange(0, 0);
    connect(udSampleIgnore, &QSpinBox::valueChanged, this, [this] { udSampleSizeClick(); });
    int at = frameRow->indexOf(udSampleSize) + 1;
    if (at <= 0) at = frameRow->count();
    for (QWidget* widget : std::initializer_list<QWidget*>{Label1, edSampleIgnore, udSampleIgnore})
        frameRow->insertWidget(at++, widget);

    btAnalyse = new QPushButton(QStringLiteral("Analisa"), box);
    btAnalyse->setObjectName(QStringLiteral("btAnalyse"));
    btAnalyse->setEnabled(false);
    connect(btAnalyse, &QPushButton::clicked, this, [this] { btAnalyseClick(); });
    frameRow->insertWidget(frameRow->indexOf(btPreview) + 1, btAnalyse);

    btLoad = HiddenButton(box, "btLoad", QStringLiteral("Carrega dados"));
    btCalculate = HiddenButton(box, "btCalculate", QStringLiteral("Calcula dados"));
    btGridRefresh = HiddenButton(box, "btGridRefresh", QStringLiteral("Atualiza GRID"));
    btChartRefresh = HiddenButton(box, "btChartRefresh", QStringLiteral("Atualiza CHART"));
    // Through lambdas, so that a derived window's override is the step run.
    connect(btLoad, &QPushButton::clicked, this, [this] { btLoadClick(); });
    connect(btCalculate, &QPushButton::clicked, this, [this] { btCalculateClick(); });
    connect(btGridRefresh, &QPushButton::clicked, this, [this] { btGridRefreshClick(); });
    connect(btChartRefresh, &QPushButton::clicked, this, [this] { btChartRefreshClick(); });
    for (QPushButton* button : {btLoad, btCalculate, btGridRefresh, btChartRefresh})
        OptionsLayout()->addWidget(button);

    // The grid inside its group box, where the frame's splitter had it.
    if (auto* splitter = qobject_cast<QSplitter*>(sg1->parentWidget())) {
        auto* gridBox = new QGroupBox(QStringLiteral("Análise posicional"));
        gridBox->setObjectName(QStringLiteral("GroupBox2"));
        splitter->insertWidget(splitter->indexOf(sg1), gridBox);
        auto* gridLayout = new QVBoxLayout(gridBox);
        gridLayout->setContentsMargins(2, 2, 2, 2);
        gridLayout->addWidget(sg1);
        splitter->setStretchFactor(0, 3);
    }

    auto* chartBox = new QGroupBox(QStringLiteral("&Gráfico"), this);
    chartBox->setObjectName(QStringLiteral("GroupBox3"));
    auto* chartLayout = new QVBoxLayout(chartBox);
    chartLayout->setContentsMargins(2, 2, 2, 2);
    Chart1 = new TChartView(chartBox);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->SetTitle(QStringLiteral("Gráfico"));
    Chart1->SetAxisTitles(QStringLiteral("Tempo"), QStringLiteral("Percentual"));
    Chart1->setToolTip(
        QStringLiteral("Marque uma área no gráfico para zoom, clique numa das linhas para saber "
                       "qual a dezena correspondente."));
    Chart1->setMinimumHeight(160);
    chartLayout->addWidget(Chart1);
    ChartLayout()->addWidget(chartBox);
    AttachChart(Chart1);
}

int TForm1::SampleIgnore() const {
    return udSampleIgnore->value();
}

void TForm1::btLoadClick() {
    const int draws = Lottery().DrawCount;
    {
        const QSignalBlocker blocker(udSampleSize);
        udSampleSize->setMaximum(draws);
        // A history of fewer than 10 draws is analysed whole.
        udSampleSize->setMinimum(draws < 10 ? draws : 10);
        udSampleSize->setValue(20);
    }
    edSampleSize->setText(QString::number(udSampleSize->value()));
    {
        // Ignoring every draw would leave nothing to analyse: at least the
        // oldest draw stays.
        const QSignalBlocker blocker(udSampleIgnore);
        udSampleIgnore->setRange(0, std::max(draws - 1, 0));
        udSampleIgnore->setValue(0);
    }
    edSampleIgnore->setText(QString::number(udSampleIgnore->value()));
}

void TForm1::udSampleSizeClick() {
    edSampleSize->setText(QString::number(udSampleSize->value()));
    edSampleIgnore->setText(QString::number(udSampleIgnore->value()));
    btPreviewClick();
}

void TForm1::edSampleSizeDblClick() {
    const std::optional<QString> answer = TInputBox::Ask(
        this, QStringLiteral("Informe o valor:"), QStringLiteral("Tamanho da amostra"), edSampleSize->text());
    if (!answer || answer->isEmpty()) return;
    int value = 0;
    // A word is ignored without a message.
    if (!NumberText::TryParseInt(answer->trimmed().toStdString(), value)) return;
    value = std::min(std::max(value, 10), udSampleSize->maximum());
    // Stored only: the analysis shows the new size at the next preview.
    const QSignalBlocker blocker(udSampleSize);
    udSampleSize->setValue(value);
    edSampleSize->setText(QString::number(udSampleSize->value()));
}

void TForm1::btPreviewClick() {
    const TPositionalBayesAnalysis::Steps steps =
        TPositionalBayesAnalysis::WindowSteps(Lottery().DrawCount, SampleSize(), SampleIgnore());
    last_ = steps.last;
    first_ = steps.first;
    next_ = steps.next;
    btCalculateClick();
    btGridRefreshClick();
    btChartRefreshClick();
}

void TForm1::btAnalyseClick() {
    SetMemo({QStringLiteral("Analisando...")});
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == edSampleSize || watched == edSampleIgnore) &&
        event->type() == QEvent::MouseButtonDblClick) {
        edSampleSizeDblClick();
        return true;
    }
    return TAnalysisForm::eventFilter(watched, event);
}
