#include "TForm6.h"

#include "NumberText.h"
#include "TChartView.h"
#include "TExport.h"
#include "TForm2.h"
#include "TLottery.h"
#include "TMessageBox.h"
#include "TPointSeries.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <array>
#include <atomic>
#include <mutex>
#include <optional>
#include <vector>

namespace {

// The one calculator of the program; null when none is open.
QPointer<TForm6> instance;

constexpr int RowHeight = 18;

const char* const RefusedSizes =
    "Tamanho de jogo não aceito: use de 0 a 1001 elementos combinados, no máximo tantos elementos por "
    "combinação quantos forem os combinados, e um total de combinações representável.";

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}
std::string Std(const QString& text) {
    return text.toStdString();
}

QTableWidgetItem* Cell(const QString& text, bool editable) {
    auto* item = new QTableWidgetItem(text);
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (editable) flags |= Qt::ItemIsEditable;
    item->setFlags(flags);
    return item;
}

void SetCell(QTableWidget* grid, int row, int column, const QString& text, bool editable = false) {
    if (QTableWidgetItem* item = grid->item(row, column))
        item->setText(text);
    else
        grid->setItem(row, column, Cell(text, editable));
}

QString CellText(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

QTableWidget* MakeGrid(QWidget* parent, const char* name, const QStringList& header) {
    auto* grid = new QTableWidget(0, static_cast<int>(header.size()), parent);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setHorizontalHeaderLabels(header);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(RowHeight);
    grid->verticalHeader()->setMinimumSectionSize(RowHeight);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->setWordWrap(false);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    return grid;
}

QPushButton* MakeButton(QWidget* parent, const char* caption, const char* name, const char* hint = nullptr) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    if (hint) button->setToolTip(QString::fromUtf8(hint));
    return button;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, const char* text) {
    auto* edit = new QLineEdit(QString::fromUtf8(text), parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setAlignment(Qt::AlignRight);
    return edit;
}

// Every cell followed by a TAB, every row (the header first) by CR LF.
QString GridText(const QTableWidget* grid) {
    QString text;
    for (int c = 0; c < grid->columnCount(); ++c) {
        const QTableWidgetItem* header = grid->horizontalHeaderItem(c);
        text += (header ? header->text() : QString()) + QLatin1Char('\t');
    }
    text += QStringLiteral("\r\n");
    for (int r = 0; r < grid->rowCount(); ++r) {
        for (int c = 0; c < grid->columnCount(); ++c) text += CellText(grid, r, c) + QLatin1Char('\t');
        text += QStringLiteral("\r\n");
    }
    return text;
}

} // namespace

// The network forecast's worker state. The worker owns `output`; the window
// reads it only after the worker has finished. `latest` carries the points of
// the newest cycle to the window, at most one queued call at a time.
struct TForm6::NetworkJob {
    TLottery* lottery = nullptr;
    TPointSeries input;
    TPointSeries output;
    std::atomic<bool> cancel{false};
    std::mutex mutex;
    std::vector<TPointSeries::Point> latest; // guarded by mutex
    bool posted = false;                     // guarded by mutex
};

struct TForm6::RankingJob {
    explicit RankingJob(TCSNRanking ranking) : Ranking(std::move(ranking)) {}
    TCSNRanking Ranking;
    std::atomic<bool> stop{false};
};

TForm6* TForm6::Instance() {
    return instance;
}

TForm6* TForm6::Open(TForm2* mainWindow) {
    TForm6* form = instance;
    if (!form) {
        form = new TForm6();
        instance = form;
        if (mainWindow) {
            QMdiSubWindow* frame = mainWindow->AddChild(form);
            frame->resize(900, 640);
            mainWindow->FitChild(frame);
        } else {
            form->setAttribute(Qt::WA_DeleteOnClose);
        }
    }
    if (auto* frame = qobject_cast<QMdiSubWindow*>(form->parentWidget())) {
        frame->show();
        if (mainWindow) mainWindow->FitChild(frame);
        if (QMdiArea* area = frame->mdiArea()) area->setActiveSubWindow(frame);
        frame->raise();
    } else {
        form->show();
        form->raise();
    }
    return form;
}

void TForm6::Install(TForm2& mainWindow) {
    QPointer<TForm2> main(&mainWindow);
    mainWindow.SetCalculatorOpener(
        [main](TLottery* lottery, int n, int k, const std::optional<QString>& csn) {
            TForm6* form = Open(main);
            form->HandOff(lottery, n, k);
            if (csn) form->ShowCSN(*csn);
        });
}

void TForm6::ForgetLottery(const TLottery* lottery) {
    TForm6* form = instance;
    if (!form || !lottery || form->lottery_ != lottery) return;
    form->CancelNetwork();
    form->lottery_ = nullptr;
    form->UpdateCommands();
}

TForm6::TForm6(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Calculadora CSN"));
    BuildControls();
    BuildPopup();
    UpdateCommands();
}

TForm6::~TForm6() {
    CancelRanking();
    CancelNetwork();
}

void TForm6::BuildControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->setChildrenCollapsible(false);
    layout->addWidget(splitter);
    auto* top = new QWidget(splitter);
    auto* topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);

    // Conversion panel.
    groupBox1_ = new QGroupBox(QStringLiteral("Conversão Combinação/CSN"), top);
    groupBox1_->setObjectName(QStringLiteral("GroupBox1"));
    auto* conversion = new QHBoxLayout(groupBox1_);
    // The fields keep a moderate width; the memo takes what is left.
    auto* fieldsPanel = new QWidget(groupBox1_);
    fieldsPanel->setObjectName(QStringLiteral("Panel1"));
    fieldsPanel->setMaximumWidth(440);
    auto* fields = new QGridLayout(fieldsPanel);
    fields->setContentsMargins(0, 0, 0, 0);
    fields->setColumnMinimumWidth(
        0, fieldsPanel->fontMetrics().horizontalAdvance(QStringLiteral("Percentual de proximidade:")) + 8);
    int row = 0;
    auto addField = [&](const char* label, const char* labelName, QLineEdit* edit) {
        auto* text = new QLabel(QString::fromUtf8(label), groupBox1_);
        text->setObjectName(QString::fromLatin1(labelName));
        text->setBuddy(edit);
        fields->addWidget(text, row, 0);
        fields->addWidget(edit, row, 1, 1, 3);
        ++row;
    };
    edit1_ = MakeEdit(groupBox1_, "Edit1", "1");
    edit2_ = MakeEdit(groupBox1_, "Edit2", "0");
    edit3_ = MakeEdit(groupBox1_, "Edit3", "0");
    edit4_ = MakeEdit(groupBox1_, "Edit4", "0");
    edit4_->setReadOnly(true);
    addField("CSN:", "Label1", edit1_);
    addField("Elementos combinados:", "Label2", edit2_);
    addField("Elementos por combinação:", "Label3", edit3_);
    addField("Total de combinações:", "Label4", edit4_);

    QPushButton* button4 = MakeButton(groupBox1_, "Calcular", "Button4");
    QPushButton* button1 = MakeButton(groupBox1_, "CSN para Combinação", "Button1");
    QPushButton* button2 = MakeButton(groupBox1_, "Combinação para CSN", "Button2");
    fields->addWidget(button4, row++, 0, 1, 4);
    fields->addWidget(button1, row++, 0, 1, 4);
    fields->addWidget(button2, row++, 0, 1, 4);
    QPushButton* button5 = MakeButton(groupBox1_, "20%", "Button5");
    QPushButton* button6 = MakeButton(groupBox1_, "10%", "Button6");
    QPushButton* button7 = MakeButton(groupBox1_, "5%", "Button7");
    opMais_ = new QRadioButton(QStringLiteral("+"), groupBox1_);
    opMais_->setObjectName(QStringLiteral("opMais"));
    opMais_->setChecked(true);
    auto* opMenos = new QRadioButton(QStringLiteral("-"), groupBox1_);
    opMenos->setObjectName(QStringLiteral("opMenos"));
    fields->addWidget(button5, row, 0);
    fields->addWidget(button6, row, 1);
    fields->addWidget(button7, row, 2);
    auto* direction = new QVBoxLayout();
    direction->addWidget(opMais_);
    direction->addWidget(opMenos);
    fields->addLayout(direction, row++, 3);
    auto* label5 = new QLabel(QStringLiteral("Percentual de proximidade:"), groupBox1_);
    label5->setObjectName(QStringLiteral("Label5"));
    edit5_ = MakeEdit(groupBox1_, "Edit5", "10");
    label5->setBuddy(edit5_);
    auto* percent = new QLabel(QStringLiteral("%"), groupBox1_);
    percent->setObjectName(QStringLiteral("Label6"));
    fields->addWidget(label5, row, 0);
    fields->addWidget(edit5_, row, 1, 1, 2);
    fields->addWidget(percent, row++, 3);
    button3_ = MakeButton(groupBox1_, "Ranking", "Button3");
    fields->addWidget(button3_, row++, 0, 1, 4);
    progress_ = new QProgressBar(groupBox1_);
    progress_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_->setRange(0, 1000);
    progress_->setTextVisible(false);
    progress_->hide();
    fields->addWidget(progress_, row++, 0, 1, 4);
    fields->setRowStretch(row, 1);
    conversion->addWidget(fieldsPanel, 2);

    sg1_ = MakeGrid(groupBox1_, "sg1", {QStringLiteral("#"), QStringLiteral("Bola")});
    sg1_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
    sg1_->setSelectionMode(QAbstractItemView::SingleSelection);
    sg1_->setColumnWidth(0, 40);
    sg1_->setColumnWidth(1, 60);
    sg1_->setFixedWidth(124);
    conversion->addWidget(sg1_);
    memo1_ = new QPlainTextEdit(groupBox1_);
    memo1_->setObjectName(QStringLiteral("Memo1"));
    memo1_->setReadOnly(true);
    memo1_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo1_->setMinimumWidth(memo1_->fontMetrics().horizontalAdvance(QStringLiteral("00000100,00 %")) + 24);
    memo1_->setTabStopDistance(memo1_->fontMetrics().horizontalAdvance(QStringLiteral("00000")));
    conversion->addWidget(memo1_, 1);
    topLayout->addWidget(groupBox1_, 1);

    // Test panel.
    groupBox2_ = new QGroupBox(QStringLiteral("Painel de testes"), top);
    groupBox2_->setObjectName(QStringLiteral("GroupBox2"));
    auto* tests = new QVBoxLayout(groupBox2_);
    auto* candidate = new QHBoxLayout();
    auto* label7 = new QLabel(QStringLiteral("CSN:"), groupBox2_);
    label7->setObjectName(QStringLiteral("Label7"));
    edit6_ = MakeEdit(groupBox2_, "Edit6", "1");
    edit6_->setToolTip(QStringLiteral("Combinação a adicionar ou verificar na base de teste."));
    label7->setBuddy(edit6_);
    button10_ = MakeButton(groupBox2_, "Adicionar", "Button10", "Adicionar combinação à base de testes.");
    button11_ =
        MakeButton(groupBox2_, "Remover", "Button11", "Remover combinação selecionada da base de testes.");
    button11_->setEnabled(false);
    button8_ = MakeButton(groupBox2_, "+", "Button8", "Adicionar combinação à base de testes.");
    button9_ = MakeButton(groupBox2_, "-", "Button9", "Adicionar combinação à base de testes.");
    for (QPushButton* small : {button8_, button9_}) small->setFixedWidth(28);
    candidate->addWidget(label7);
    candidate->addWidget(edit6_, 1);
    candidate->addWidget(button8_);
    candidate->addWidget(button9_);
    candidate->addWidget(button10_);
    candidate->addWidget(button11_);
    tests->addLayout(candidate);
    auto* show = new QHBoxLayout();
    opBase_ = new QRadioButton(QStringLiteral("Base de testes"), groupBox2_);
    opBase_->setObjectName(QStringLiteral("opBase"));
    opBase_->setToolTip(QStringLiteral("Exibe o resultado em cima da base de testes."));
    opBase_->setChecked(true);
    opHist_ = new QRadioButton(QStringLiteral("Histórico"), groupBox2_);
    opHist_->setObjectName(QStringLiteral("opHist"));
    opHist_->setToolTip(QStringLiteral("Exibe resultado em cima do histórico da loteria."));
    button12_ = MakeButton(groupBox2_, "Verificar", "Button12",
                           "Verifica os ganhos da combinação na base de testes.");
    show->addWidget(opBase_);
    show->addWidget(opHist_);
    show->addStretch(1);
    show->addWidget(button12_);
    tests->addLayout(show);
    sg2_ = MakeGrid(groupBox2_, "sg2",
                    {QStringLiteral("#"), QStringLiteral("CSN"), QStringLiteral("Comb."),
                     QStringLiteral("Acertos(Base)"), QStringLiteral("Acertos(Hist)"),
                     QStringLiteral("Repetições(Hist)")});
    sg2_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sg2_->setSelectionBehavior(QAbstractItemView::SelectRows);
    sg2_->setSelectionMode(QAbstractItemView::SingleSelection);
    sg2_->setColumnWidth(0, 36);
    sg2_->setColumnWidth(2, 150);
    tests->addWidget(sg2_, 1);
    topLayout->addWidget(groupBox2_, 1);
    ShowTestBase();

    // Chart.
    auto* groupBox3 = new QGroupBox(QStringLiteral("&Gráfico"), splitter);
    groupBox3->setObjectName(QStringLiteral("GroupBox3"));
    auto* chartLayout = new QVBoxLayout(groupBox3);
    chartLayout->setContentsMargins(2, 2, 2, 2);
    chart_ = new TChartView(groupBox3);
    chart_->setObjectName(QStringLiteral("Chart1"));
    chart_->SetTitle(QStringLiteral("Distribuição recorrencial da combinação"));
    chart_->SetAxisTitles(QStringLiteral("Concurso"), QStringLiteral("Acertos"));
    chart_->setToolTip(QStringLiteral("Marque uma área no gráfico para zoom"));
    chart_->setMinimumHeight(160);
    series1_ = &chart_->AddLineSeries(QStringLiteral("Combinação"), Qt::red);
    series2_ = &chart_->AddLineSeries(QStringLiteral("Previsão"), Qt::green);
    chartLayout->addWidget(chart_);
    splitter->addWidget(top);
    splitter->addWidget(groupBox3);

    connect(button4, &QPushButton::clicked, this, &TForm6::Button4Click);
    connect(button1, &QPushButton::clicked, this, &TForm6::Button1Click);
    connect(button2, &QPushButton::clicked, this, &TForm6::Button2Click);
    connect(button5, &QPushButton::clicked, this, &TForm6::Button5Click);
    connect(button6, &QPushButton::clicked, this, &TForm6::Button6Click);
    connect(button7, &QPushButton::clicked, this, &TForm6::Button7Click);
    connect(button3_, &QPushButton::clicked, this, &TForm6::Button3Click);
    connect(button10_, &QPushButton::clicked, this, &TForm6::Button10Click);
    connect(button11_, &QPushButton::clicked, this, &TForm6::Button11Click);
    connect(button8_, &QPushButton::clicked, this, &TForm6::Button8Click);
    connect(button9_, &QPushButton::clicked, this, &TForm6::Button9Click);
    connect(button12_, &QPushButton::clicked, this, &TForm6::Button12Click);
    for (QRadioButton* option : {opBase_, opHist_})
        connect(option, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked) Button12Click();
        });
    connect(sg2_, &QTableWidget::cellClicked, this, [this](int r, int) { sg2Click(r); });
    // A ball cell changes only through its editor: the program's own
    // writes block the grid's signals.
    connect(sg1_, &QTableWidget::cellChanged, this, [this](int r, int c) {
        if (c == 1) sg1EditorClosed(r);
    });
    connect(sg1_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ShowPopup(sg1_, sg1_->viewport()->mapToGlobal(pos)); });
    connect(sg2_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ShowPopup(sg2_, sg2_->viewport()->mapToGlobal(pos)); });
    connect(chart_, &TChartView::PopupOpening, this, [this] { PopupMenu1Popup(chart_); });
}

void TForm6::BuildPopup() {
    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("PopupMenu1"));
    auto add = [](QMenu* menu, const char* caption, const char* name) {
        QAction* action = menu->addAction(QString::fromUtf8(caption));
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    copiar_ = add(popup_, "Copiar", "Copiar1");
    copiarDados_ = add(popup_, "Copiar dados", "Copiardados1");
    QAction* salvarTabela = add(popup_, "Salvar tabela...", "Salvartabela1");
    QAction* salvarGrafico = add(popup_, "Salvar gráfico...", "Salvargrafico1");
    connect(salvarTabela, &QAction::triggered, this, [this] {
        if (auto* grid = qobject_cast<QTableWidget*>(popupSource_))
            TExport::AskAndSaveTable(this, TExport::SplitGridText(GridText(grid)));
        else
            TExport::AskAndSaveTable(this, TExport::SplitGridText(GridText(sg1_)));
    });
    connect(salvarGrafico, &QAction::triggered, this, [this] { TExport::AskAndSaveChart(this, *chart_); });
    colar_ = add(popup_, "Colar", "Colar1");
    redeNeural_ = popup_->addMenu(QStringLiteral("Rede Neural"));
    redeNeural_->setObjectName(QStringLiteral("RedeNeural1"));
    redeNeural_->menuAction()->setObjectName(QStringLiteral("RedeNeural1Item"));
    QAction* sem = add(redeNeural_, "Análise sem a última combinação", "Anlisesemaltimacombinao1");
    QAction* com = add(redeNeural_, "Análise com a última combinação", "Anlisecomaltimacombinao1");
    vizinhos_ = popup_->addMenu(QStringLiteral("k-vizinhos-próximos"));
    vizinhos_->setObjectName(QStringLiteral("kvizinhosprximos1"));
    vizinhos_->menuAction()->setObjectName(QStringLiteral("kvizinhosprximos1Item"));
    vizinhos_->menuAction()->setVisible(false);
    QAction* normal = add(vizinhos_, "Normal", "Normal1");
    QAction* delta = add(vizinhos_, "Delta", "Delta1");
    QAction* wavelet = add(vizinhos_, "Wavelet", "Wavelet1");
    wavelet->setEnabled(false);
    parar_ = add(popup_, "Parar análise da rede", "Pararanlisedarede1");
    parar_->setVisible(false);

    connect(copiar_, &QAction::triggered, this, &TForm6::Copiar1Click);
    connect(copiarDados_, &QAction::triggered, this, &TForm6::Copiardados1Click);
    connect(colar_, &QAction::triggered, this, &TForm6::Colar1Click);
    connect(sem, &QAction::triggered, this, &TForm6::Anlisesemaltimacombinao1Click);
    connect(com, &QAction::triggered, this, &TForm6::Anlisecomaltimacombinao1Click);
    connect(normal, &QAction::triggered, this, &TForm6::Normal1Click);
    connect(delta, &QAction::triggered, this, &TForm6::Delta1Click);
    connect(parar_, &QAction::triggered, this, &TForm6::Pararanlisedarede1Click);
    chart_->SetPopupMenu(popup_);
}

void TForm6::UpdateCommands() {
    // The test panel and the forecasts work on the history handed over.
    const bool history = lottery_ != nullptr;
    for (QWidget* control :
         std::initializer_list<QWidget*>{button10_, button12_, opBase_, opHist_, button8_, button9_})
        control->setEnabled(history);
    const bool idle = !NetworkRunning();
    redeNeural_->menuAction()->setEnabled(history && idle);
    vizinhos_->menuAction()->setEnabled(history && idle);
    parar_->setVisible(!idle);
}

// ---- Hand-off ----

void TForm6::HandOff(TLottery* lottery, int n, int k) {
    if (lottery && lottery != lottery_) {
        // A forecast running on the previous history ends before it goes.
        CancelNetwork();
        lottery_ = lottery;
    }
    edit2_->setText(QString::number(n));
    edit3_->setText(QString::number(k));
    Button4Click();
    UpdateCommands();
}

void TForm6::ShowCSN(const QString& csnText) {
    edit1_->setText(csnText);
    Button1Click();
}

// ---- Conversion panel ----

QString TForm6::BallCell(int row) const {
    return CellText(sg1_, row, 1);
}

void TForm6::Button4Click() {
    std::string n = Std(edit2_->text());
    std::string k = Std(edit3_->text());
    if (!conversion_.Build(n, k)) {
        // The fields go back to the sizes of the converter in use.
        edit2_->setText(QString::number(conversion_.Elements()));
        edit3_->setText(QString::number(conversion_.PerCombination()));
        TMessageBox::Show(this, QString::fromUtf8(RefusedSizes), TMessageBox::Kind::Warning);
        return;
    }
    edit2_->setText(Text(n));
    edit3_->setText(Text(k));
    edit4_->setText(Text(NumberText::FormatGeneral(conversion_.Total())));
    const int balls = conversion_.PerCombination();
    std::vector<std::string> texts;
    {
        const QSignalBlocker blocker(sg1_);
        sg1_->setRowCount(balls);
        for (int i = 0; i < balls; ++i) {
            SetCell(sg1_, i, 0, QString::number(i + 1));
            texts.push_back(NumberText::FormatInt(i + 1));
        }
    }
    SetBallTexts(texts);
}

void TForm6::Button1Click() {
    if (!conversion_.Built()) return;
    std::string csn = Std(edit1_->text());
    const std::vector<int32_t> balls = conversion_.CSNToBalls(csn);
    edit1_->setText(Text(csn));
    std::vector<std::string> texts;
    for (const int32_t ball : balls) texts.push_back(NumberText::FormatInt(ball));
    SetBallTexts(texts);
}

void TForm6::Button2Click() {
    if (!conversion_.Built()) return;
    std::vector<std::string> texts;
    for (int i = 0; i < sg1_->rowCount(); ++i) texts.push_back(Std(BallCell(i)));
    const double csn = conversion_.BallsToCSN(texts);
    SetBallTexts(texts);
    edit1_->setText(Text(NumberText::FormatGeneral(csn)));
}

void TForm6::StepPercent(int percent) {
    edit1_->setText(Text(TCSNConversion::Step(Std(edit1_->text()), percent, opMais_->isChecked())));
    Button1Click();
}

void TForm6::Button5Click() {
    StepPercent(20);
}
void TForm6::Button6Click() {
    StepPercent(10);
}
void TForm6::Button7Click() {
    StepPercent(5);
}

void TForm6::sg1EditorClosed(int row) {
    if (row < 0 || row >= sg1_->rowCount()) return;
    std::vector<std::string> texts;
    for (int i = 0; i < sg1_->rowCount(); ++i) texts.push_back(Std(BallCell(i)));
    // The text the cell held before this edit: a ball typed twice takes its
    // place in the other cell.
    std::string remembered = row < shadow_.size() ? Std(shadow_.at(row)) : std::string();
    TCSNConversion::CommitBallEdit(texts, static_cast<size_t>(row), remembered, conversion_.Elements());
    SetBallTexts(texts);
}

void TForm6::SetBallTexts(const std::vector<std::string>& texts) {
    const QSignalBlocker blocker(sg1_);
    for (int i = 0; i < sg1_->rowCount() && i < static_cast<int>(texts.size()); ++i)
        SetCell(sg1_, i, 1, Text(texts[static_cast<size_t>(i)]), true);
    shadow_.clear();
    for (int i = 0; i < sg1_->rowCount(); ++i) shadow_.append(BallCell(i));
}

// ---- Ranking ----

void TForm6::Button3Click() {
    if (rankingJob_) {
        // The button reads "Parar" while a ranking runs.
        rankingJob_->stop = true;
        return;
    }
    memo1_->setPlainText(QStringLiteral("Bola\tVotos"));
    if (!conversion_.Built()) return;
    double csn = 0;
    double fraction = 0.1;
    TCSNConversion::RankingInput(Std(edit1_->text()), Std(edit5_->text()), csn, fraction);
    auto job = std::make_shared<RankingJob>(TCSNRanking(*conversion_.Converter(), csn, fraction));
    rankingJob_ = job;
    button3_->setText(QStringLiteral("Parar"));
    progress_->setValue(0);
    progress_->show();
    rankingWatcher_ = new QFutureWatcher<bool>(this);
    connect(rankingWatcher_, &QFutureWatcherBase::finished, this, &TForm6::FinishRanking);
    rankingWatcher_->setFuture(QtConcurrent::run([this, job] {
        return job->Ranking.Run([this, job](uint64_t visited, uint64_t count) {
            const int permille = count == 0 ? 1000 : static_cast<int>(visited * 1000 / count);
            QMetaObject::invokeMethod(
                this,
                [this, job, permille] {
                    if (job == rankingJob_) progress_->setValue(permille);
                },
                Qt::QueuedConnection);
            return !job->stop.load();
        });
    }));
}

void TForm6::FinishRanking() {
    if (!rankingWatcher_) return;
    const bool completed = rankingWatcher_->result();
    rankingWatcher_->disconnect(this);
    rankingWatcher_->deleteLater();
    rankingWatcher_ = nullptr;
    const std::shared_ptr<RankingJob> job = std::move(rankingJob_);
    rankingJob_.reset();
    const std::vector<std::string> lines =
        completed ? TCSNConversion::RankingLines(job->Ranking)
                  : std::vector<std::string>{"Bola\tVotos", TCSNConversion::InterruptedLine()};
    QStringList text;
    for (const std::string& line : lines) text.append(Text(line));
    memo1_->setPlainText(text.join(QLatin1Char('\n')));
    button3_->setText(QStringLiteral("Ranking"));
    progress_->hide();
    emit RankingDone();
}

void TForm6::CancelRanking() {
    if (!rankingWatcher_) return;
    rankingJob_->stop = true;
    rankingWatcher_->waitForFinished();
    rankingWatcher_->disconnect(this);
    delete rankingWatcher_;
    rankingWatcher_ = nullptr;
    rankingJob_.reset();
}

// ---- Test panel ----

void TForm6::ShowTestBase() {
    const auto rows = static_cast<int>(base_.Rows.size());
    sg2_->setRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        const TTestBase::Row& row = base_.Rows[static_cast<size_t>(r)];
        const std::array<const std::string*, 6> cells{&row.Number,   &row.CSN,         &row.Combination,
                                                      &row.HitsBase, &row.HitsHistory, &row.Repeats};
        for (int c = 0; c < 6; ++c) SetCell(sg2_, r, c, Text(*cells[static_cast<size_t>(c)]));
    }
}

void TForm6::Button10Click() {
    if (!lottery_) return;
    base_.Add(Std(edit6_->text()));
    ShowTestBase();
    {
        const QSignalBlocker blocker(opBase_);
        opBase_->setChecked(true);
    }
    Button12Click();
}

void TForm6::Button11Click() {
    const int selected = sg2_->currentRow();
    if (selected < 0) return;
    if (base_.Remove(static_cast<size_t>(selected))) ShowTestBase();
}

void TForm6::Button8Click() {
    if (!lottery_ || !lottery_->Converter) return;
    edit6_->setText(Text(TTestBase::StepCandidate(Std(edit6_->text()), true, lottery_->Converter->Total)));
    Button12Click();
}

void TForm6::Button9Click() {
    if (!lottery_ || !lottery_->Converter) return;
    edit6_->setText(Text(TTestBase::StepCandidate(Std(edit6_->text()), false, lottery_->Converter->Total)));
    Button12Click();
}

void TForm6::Button12Click() {
    if (!lottery_) return;
    const std::vector<TTestBase::Point> points =
        base_.Verify(*lottery_, Std(edit6_->text()), opBase_->isChecked(), opHist_->isChecked());
    series1_->Clear();
    series2_->Clear();
    for (const TTestBase::Point& point : points) series1_->Append(point.x, point.y);
    chart_->Redraw();
    ShowTestBase();
}

void TForm6::sg2Click(int row) {
    if (row < 0 || row >= static_cast<int>(base_.Rows.size())) return;
    const std::string& csn = base_.Rows[static_cast<size_t>(row)].CSN;
    if (!csn.empty()) {
        edit6_->setText(Text(csn));
        Button12Click();
    }
    button11_->setEnabled(true);
}

// ---- Pop-up ----

void TForm6::ShowPopup(QWidget* source, const QPoint& globalPos) {
    PopupMenu1Popup(source);
    popup_->popup(globalPos);
}

void TForm6::PopupMenu1Popup(QWidget* source) {
    popupSource_ = source;
    // The forecasts work on the chart's hits over the history.
    const bool forecasts = source == chart_ && opHist_->isChecked();
    redeNeural_->menuAction()->setVisible(forecasts);
    vizinhos_->menuAction()->setVisible(forecasts);
}

void TForm6::Copiar1Click() {
    if (popupSource_ == chart_) {
        chart_->CopyToClipboard();
        return;
    }
    auto* grid = qobject_cast<QTableWidget*>(popupSource_);
    if (!grid) return;
    QStringList texts;
    for (int r = 0; r < grid->rowCount(); ++r) texts.append(CellText(grid, r, 1));
    QApplication::clipboard()->setText(texts.join(QLatin1Char(';')));
}

void TForm6::Copiardados1Click() {
    if (popupSource_ == chart_) {
        QString text = QStringLiteral("x;y\r\n");
        for (int i = 0; i < series1_->Count(); ++i)
            text += Text(NumberText::FormatGeneral(series1_->X(i))) + QLatin1Char(';') +
                    Text(NumberText::FormatGeneral(series1_->Y(i))) + QStringLiteral("\r\n");
        QApplication::clipboard()->setText(text);
        return;
    }
    if (auto* grid = qobject_cast<QTableWidget*>(popupSource_))
        QApplication::clipboard()->setText(GridText(grid));
}

void TForm6::Colar1Click() {
    const QString text = QApplication::clipboard()->text();
    if (popupSource_ == sg2_) {
        const size_t current = base_.Paste(Std(text));
        ShowTestBase();
        sg2_->setCurrentCell(static_cast<int>(current), 1);
        Button12Click();
        sg2Click(static_cast<int>(current));
        return;
    }
    if ((popupSource_ == sg1_ || popupSource_ == chart_) && lottery_ && lottery_->Converter) {
        // The history's converter reads the balls; when the calculator's k
        // differs from the game's, only the rows both have are filled.
        TCSN& converter = *lottery_->Converter;
        converter.TextToCombination(Std(text));
        std::vector<std::string> texts;
        for (int i = 0; i < sg1_->rowCount(); ++i) {
            const auto entry = static_cast<size_t>(i) + 1;
            texts.push_back(entry < converter.Combination.size()
                                ? NumberText::FormatInt(converter.Combination[entry])
                                : Std(BallCell(i)));
        }
        SetBallTexts(texts);
    }
}

// ---- Forecasts ----

void TForm6::Anlisesemaltimacombinao1Click() {
    StartNetwork(true);
}
void TForm6::Anlisecomaltimacombinao1Click() {
    StartNetwork(false);
}

void TForm6::StartNetwork(bool withoutLast) {
    if (!lottery_ || networkWatcher_) return;
    auto job = std::make_shared<NetworkJob>();
    job->lottery = lottery_;
    for (int i = 0; i < series1_->Count(); ++i) job->input.Append(series1_->X(i), series1_->Y(i));
    networkJob_ = job;
    networkWatcher_ = new QFutureWatcher<double>(this);
    UpdateCommands();
    connect(networkWatcher_, &QFutureWatcherBase::finished, this, [this] { FinishNetwork(true); });
    networkWatcher_->setFuture(QtConcurrent::run([this, job, withoutLast] {
        TLottery& lottery = *job->lottery;
        return lottery.ForecastNetwork(60, 6, 10, withoutLast, false, job->input, &job->output, [this, job] {
            // A stop asked before the forecast cleared Stop still ends it.
            if (job->cancel) job->lottery->Stop = true;
            const std::lock_guard lock(job->mutex);
            job->latest = job->output.Points;
            if (job->posted) return;
            job->posted = true;
            QMetaObject::invokeMethod(
                this,
                [this, job] {
                    if (job == networkJob_) ShowNetworkPoints();
                },
                Qt::QueuedConnection);
        });
    }));
}

void TForm6::ShowNetworkPoints() {
    std::vector<TPointSeries::Point> points;
    {
        const std::lock_guard lock(networkJob_->mutex);
        points.swap(networkJob_->latest);
        networkJob_->posted = false;
    }
    series2_->Clear();
    for (const TPointSeries::Point& point : points) series2_->Append(point.x, point.y);
    series2_->Redraw();
}

void TForm6::FinishNetwork(bool report) {
    if (!networkWatcher_) return;
    networkWatcher_->disconnect(this);
    networkWatcher_->deleteLater();
    networkWatcher_ = nullptr;
    const std::shared_ptr<NetworkJob> job = std::move(networkJob_);
    networkJob_.reset();
    // The worker has finished: its output is the last cycle's points.
    if (report) series2_->Assign(job->output);
    UpdateCommands();
    emit NetworkDone();
    if (report) TMessageBox::Show(this, QStringLiteral("Análise finalizada"));
}

void TForm6::CancelNetwork() {
    if (!networkWatcher_) return;
    networkJob_->cancel = true;
    networkJob_->lottery->Stop = true;
    networkWatcher_->waitForFinished();
    FinishNetwork(false);
}

void TForm6::Pararanlisedarede1Click() {
    if (!networkJob_) return;
    networkJob_->cancel = true;
    networkJob_->lottery->Stop = true;
}

void TForm6::RunNeighbours(bool delta) {
    if (!lottery_ || networkWatcher_) return;
    redeNeural_->menuAction()->setEnabled(false);
    vizinhos_->menuAction()->setEnabled(false);
    lottery_->ForecastNeighbours(6, 3, delta, *series1_, series2_, nullptr);
    UpdateCommands();
    TMessageBox::Show(this, QStringLiteral("Análise finalizada"));
}

void TForm6::Normal1Click() {
    RunNeighbours(false);
}
void TForm6::Delta1Click() {
    RunNeighbours(true);
}
