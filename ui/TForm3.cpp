#include "TForm3.h"

#include "NumberText.h"
#include "TChanceAudit.h"
#include "TChartView.h"
#include "TDrawTableModel.h"
#include "TExport.h"
#include "TFileDialog.h"
#include "TForm2.h"
#include "TForm6.h"
#include "TGameFigures.h"
#include "TMessageBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

namespace {

constexpr int RowHeight = 18;

struct FigureField {
    const char* label;
    const char* labelName;
    const char* editName;
};

// Edit1..Edit5 with their labels, top to bottom.
constexpr std::array<FigureField, 5> Figures{{
    {"Elementos combinados:", "Label1", "Edit1"},
    {"Elementos por combinação:", "Label2", "Edit2"},
    {"Total de combinações:", "Label3", "Edit3"},
    {"Superball:", "Label4", "Edit4"},
    {"Paradoxo do aniversário:", "Label5", "Edit5"},
}};

struct AnalysisCommand {
    TLottery::WindowKind kind;
    const char* caption;
    const char* name;
    QKeySequence shortcut;
};

} // namespace

TForm3::TForm3(TForm2* mainWindow, QWidget* parent) : QWidget(parent), main_(mainWindow) {
    setWindowTitle(QStringLiteral("Sorteio"));
    BuildControls();
    BuildCommands();
    if (main_) SetToolPanel(main_->ToolPanel());
    UpdateCommands();
}

TForm3::~TForm3() {
    // Analysis windows go first (one whose run goes on is released instead,
    // and keeps its share of the history until its worker ends); the
    // calculator stops using the history before it is freed.
    CloseAnalysisWindows(true);
    TForm6::ForgetLottery(lottery_.get());
    if (dock_) dock_->ReturnHome();
    model_->SetLottery(nullptr);
}

void TForm3::BuildControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("ToolBar1"));
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    layout->addWidget(toolBar_);
    dock_ = std::make_unique<TToolBarDock>(toolBar_, layout);

    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setObjectName(QStringLiteral("Splitter1"));
    splitter_->setChildrenCollapsible(false);
    layout->addWidget(splitter_, 1);

    groupBox1_ = new QGroupBox(QStringLiteral("Histórico dos concursos"), splitter_);
    groupBox1_->setObjectName(QStringLiteral("GroupBox1"));
    auto* historyLayout = new QHBoxLayout(groupBox1_);
    auto* figures = new QWidget(groupBox1_);
    figures->setObjectName(QStringLiteral("Panel1"));
    auto* form = new QVBoxLayout(figures);
    form->setContentsMargins(0, 0, 4, 0);
    for (size_t i = 0; i < Figures.size(); ++i) {
        auto* label = new QLabel(QString::fromUtf8(Figures[i].label), figures);
        label->setObjectName(QString::fromLatin1(Figures[i].labelName));
        auto* edit = new QLineEdit(i == 3 ? QStringLiteral("50") : QStringLiteral("0"), figures);
        edit->setObjectName(QString::fromLatin1(Figures[i].editName));
        edit->setReadOnly(i != 3); // "Superball:" is editable, though nothing reads it back
        edit->setAlignment(Qt::AlignRight);
        label->setBuddy(edit);
        form->addWidget(label);
        form->addWidget(edit);
        edits_[i] = edit;
        if (i == 3) {
            label4_ = label;
            label->hide();
            edit->hide();
        }
    }
    edits_[4]->setToolTip(QStringLiteral("Quantidade de toviscas aleatórios mínimos para que exista mais de "
                                         "50% de chance de se ter escolhido a "
                                         "mesma combinação a ser sorteada."));
    // The ball frequencies of the history against chance.
    auto* chanceLabel = new QLabel(QStringLiteral("Frequência das bolas:"), figures);
    chanceLabel->setObjectName(QStringLiteral("Label6"));
    chance_ = new QLineEdit(figures);
    chance_->setObjectName(QStringLiteral("Edit6"));
    chance_->setReadOnly(true);
    chance_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(chance_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ShowPopup(chance_, chance_->mapToGlobal(pos)); });
    chanceLabel->setBuddy(chance_);
    form->addWidget(chanceLabel);
    form->addWidget(chance_);
    form->addStretch(1);
    // Wide enough for the longest label and for a verdict "fora do acaso (p = 0,00000)".
    figures->setFixedWidth(
        std::max(figures->fontMetrics().horizontalAdvance(QStringLiteral("Elementos por combinação:")),
                 figures->fontMetrics().horizontalAdvance(QStringLiteral("fora do acaso (p = 0,00000)")) +
                     12) +
        16);
    historyLayout->addWidget(figures);

    grid_ = new QTableView(groupBox1_);
    grid_->setObjectName(QStringLiteral("sg1"));
    model_ = new TDrawTableModel(this);
    grid_->setModel(model_);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(RowHeight);
    grid_->verticalHeader()->setMinimumSectionSize(RowHeight);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid_->horizontalHeader()->setHighlightSections(false);
    grid_->horizontalHeader()->setFixedHeight(RowHeight + 4);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setWordWrap(false);
    grid_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ShowPopup(grid_, grid_->viewport()->mapToGlobal(pos)); });
    historyLayout->addWidget(grid_, 1);
    // The window hands its focus to the grid, not to the first figure.
    setFocusProxy(grid_);

    groupBox2_ = new QGroupBox(QStringLiteral("&Gráfico"), splitter_);
    groupBox2_->setObjectName(QStringLiteral("GroupBox2"));
    auto* chartLayout = new QVBoxLayout(groupBox2_);
    chartLayout->setContentsMargins(2, 2, 2, 2);
    chart_ = new TChartView(groupBox2_);
    chart_->setObjectName(QStringLiteral("Chart1"));
    chart_->SetTitle(QStringLiteral("Posição combinatorial"));
    chart_->SetAxisTitles(QStringLiteral("Concurso"), QStringLiteral("Posição"));
    chart_->setToolTip(QStringLiteral("Marque uma área no gráfico para zoom"));
    series1_ = &chart_->AddLineSeries(QStringLiteral("Real"), Qt::red);
    chart_->setMinimumHeight(120);
    chartLayout->addWidget(chart_);
    connect(chart_, &TChartView::PopupOpening, this, [this] { popupSource_ = chart_; });

    splitter_->addWidget(groupBox1_);
    splitter_->addWidget(groupBox2_);
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 1);

    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar_->setSizeGripEnabled(false);
    status_ = new QLabel(statusBar_);
    status_->setObjectName(QStringLiteral("StatusText1"));
    statusBar_->addWidget(status_, 1);
    layout->addWidget(statusBar_);
}

void TForm3::BuildCommands() {
    toolsMenu_ = new QMenu(QStringLiteral("Ferramentas"), this);
    toolsMenu_->setObjectName(QStringLiteral("Ferramentas1"));
    toolsMenu_->setProperty("mergedIntoMainMenu", true);

    auto makeAction = [this](const QString& caption, const char* name, const QKeySequence& shortcut) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(shortcut);
        // Several game windows are open at once: a shortcut acts on the one
        // that has the focus.
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
        return action;
    };

    atualizar_ = makeAction(QStringLiteral("Atualizar tela"), "Atualizartela1", QKeySequence(Qt::Key_F5));
    connect(atualizar_, &QAction::triggered, this, &TForm3::Atualizartela1Click);
    baixar_ = makeAction(QStringLiteral("Baixar da Internet"), "BaixardaInternet1", QKeySequence());
    baixar_->setEnabled(false);
    connect(baixar_, &QAction::triggered, this, &TForm3::BaixardaInternet1Click);
    importar_ = makeAction(QStringLiteral("Importar resultados..."), "Importarresultados1", QKeySequence());
    connect(importar_, &QAction::triggered, this, &TForm3::ImportarResultados1Click);
    toolsMenu_->addAction(atualizar_);
    toolsMenu_->addAction(baixar_);
    toolsMenu_->addAction(importar_);
    toolsMenu_->addSeparator();

    const AnalysisCommand commands[] = {
        {TLottery::Lexicographic, "Análise lexicográfica", "Anliselexicogrfica1", QKeySequence(Qt::Key_F6)},
        {TLottery::Delay, "Análise atrasadas", "Anliseatrasadas1", QKeySequence(Qt::Key_F7)},
        {TLottery::Segmentation, "Análise segmentação", "Anlisebase51", QKeySequence(Qt::Key_F8)},
        {TLottery::Bayesian, "Análise bayesiana", "Anlisebayesiana1", QKeySequence(Qt::Key_F9)},
        {TLottery::Positional, "Análise posicional", "Anliseposicional1", QKeySequence(Qt::Key_F11)},
        {TLottery::Recurrence, "Análise recorrencial", "Anliserecorrencial1", QKeySequence(Qt::Key_F12)},
        {TLottery::PositionalBayesian, "Análise posicional/bayesiana", "Anliseposicionalbayesiana1",
         QKeySequence(Qt::CTRL | Qt::Key_F6)},
        {TLottery::BetCheck, "Conferir apostas", "Conferirapostas1", QKeySequence(Qt::CTRL | Qt::Key_K)},
    };
    int button = 1;
    for (const AnalysisCommand& command : commands) {
        QAction* action = makeAction(QString::fromUtf8(command.caption), command.name, command.shortcut);
        const TLottery::WindowKind kind = command.kind;
        connect(action, &QAction::triggered, this, [this, kind] { OpenAnalysis(kind); });
        analysisActions_[static_cast<size_t>(kind)] = action;
        toolsMenu_->addAction(action);
        // The tool bar keeps the analyses; checking bets is in the menu only.
        if (kind == TLottery::BetCheck) continue;
        toolBar_->addAction(action);
        toolBar_->widgetForAction(action)->setObjectName(QStringLiteral("ToolButton%1").arg(button++));
    }
    // The back-test has no tool button, so the others keep their numbers.
    QAction* backtest =
        makeAction(QStringLiteral("Teste retroativo"), "Testeretroativo1", QKeySequence(Qt::CTRL | Qt::Key_R));
    connect(backtest, &QAction::triggered, this, [this] { OpenAnalysis(TLottery::Backtest); });
    analysisActions_[static_cast<size_t>(TLottery::Backtest)] = backtest;
    toolsMenu_->addAction(backtest);
    toolsMenu_->addSeparator();
    calculadora1_ =
        makeAction(QStringLiteral("Calculadora CSN"), "CalculadoraCSN1", QKeySequence(Qt::Key_F10));
    connect(calculadora1_, &QAction::triggered, this, &TForm3::CalculadoraCSN1Click);
    toolsMenu_->addAction(calculadora1_);
    toolBar_->addAction(calculadora1_);
    toolBar_->widgetForAction(calculadora1_)->setObjectName(QStringLiteral("ToolButton%1").arg(button));
    for (QAction* action : toolBar_->actions()) action->setToolTip(action->text());

    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("PopupMenu1"));
    copiar1_ = popup_->addAction(QStringLiteral("Copiar"));
    copiar1_->setObjectName(QStringLiteral("Copiar1"));
    connect(copiar1_, &QAction::triggered, this, &TForm3::Copiar1Click);
    QAction* salvarTabela = popup_->addAction(QStringLiteral("Salvar tabela..."));
    salvarTabela->setObjectName(QStringLiteral("Salvartabela1"));
    connect(salvarTabela, &QAction::triggered, this,
            [this] { TExport::AskAndSaveTable(this, TExport::SplitGridText(model_->ToText())); });
    QAction* salvarGrafico = popup_->addAction(QStringLiteral("Salvar gráfico..."));
    salvarGrafico->setObjectName(QStringLiteral("Salvargrafico1"));
    connect(salvarGrafico, &QAction::triggered, this, [this] { TExport::AskAndSaveChart(this, *chart_); });
    calculadora2_ = popup_->addAction(QStringLiteral("Calculadora CSN"));
    calculadora2_->setObjectName(QStringLiteral("CalculadoraCSN2"));
    connect(calculadora2_, &QAction::triggered, this, &TForm3::CalculadoraCSN2Click);
    chart_->SetPopupMenu(popup_);
}

void TForm3::AttachFrame(QMdiSubWindow* frame) {
    dock_->Attach(frame);
}

QString TForm3::StatusText() const {
    return status_->text();
}

void TForm3::SetStatusText(const QString& text) {
    status_->setText(text);
}

int TForm3::SelectedGridRow() const {
    const QModelIndex current = grid_->currentIndex();
    return current.isValid() ? current.row() + 1 : 1;
}

void TForm3::UpdateCommands() {
    const bool loaded = Loaded();
    for (size_t i = 0; i < analysisActions_.size(); ++i) {
        const bool available = main_ && main_->GetAnalysisOpener(static_cast<TLottery::WindowKind>(i));
        analysisActions_[i]->setEnabled(available && loaded);
    }
    const bool calculator = main_ && main_->HasCalculator() && loaded;
    calculadora1_->setEnabled(calculator);
    calculadora2_->setEnabled(calculator);
    importar_->setEnabled(loaded && main_ && main_->GetImportRunner());
}

void TForm3::Atualizartela1Click() {
    const QFileInfo info(fileName_);
    setWindowTitle(QStringLiteral("Sorteio: ") + info.fileName());
    status_->setText(fileName_);

    if (!lottery_) {
        try {
            lottery_ = std::make_shared<TLottery>(QFile::encodeName(fileName_).toStdString());
        } catch (const TLoadError& error) {
            TMessageBox::Show(this, QString::fromStdString(error.what()), TMessageBox::Kind::Error);
        } catch (const std::exception& error) {
            // Anything else the reading can throw (a history too large for
            // memory): the window stays empty, as after a malformed file.
            TMessageBox::Show(this, QString::fromStdString(error.what()), TMessageBox::Kind::Error);
        }
    }

    series1_->Clear();
    if (Loaded()) {
        model_->SetLottery(lottery_.get());
        const size_t draws = static_cast<size_t>(lottery_->DrawCount);
        for (size_t d = 0; d < draws; ++d) series1_->Append(static_cast<double>(d + 1), lottery_->CSNs[d]);
        chart_->ResetZoom();
        chart_->Redraw();
        ShowFigures();
        const QString definition =
            info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".ini");
        baixar_->setEnabled(QFileInfo::exists(definition));
    } else {
        model_->SetLottery(nullptr);
        chart_->Redraw();
    }
    SizeGridColumns();
    UpdateCommands();
}

void TForm3::ShowFigures() {
    const TGameFigures figures(*lottery_);
    edits_[0]->setText(QString::fromStdString(figures.Elements));
    edits_[1]->setText(QString::fromStdString(figures.PerCombination));
    edits_[2]->setText(QString::fromStdString(figures.Total));
    label4_->setVisible(figures.Superball);
    edits_[3]->setVisible(figures.Superball);
    if (figures.Superball) edits_[3]->setText(QString::fromStdString(figures.SuperballBalls));
    edits_[4]->setText(QString::fromStdString(figures.Birthday));
    const TChanceTest test = TChanceAudit::BallFrequency(lottery_->Elements(), lottery_->PerCombination(),
                                                         TChanceAudit::LastDraws(*lottery_, 0));
    chance_->setText(QString::fromStdString(test.Verdict));
    chance_->setCursorPosition(0);
    chance_->setToolTip(QString::fromStdString(
        test.Summary() + "\nX² corrigido = " + NumberText::FormatGeneral(test.Statistic, 6) +
        ", gl = " + NumberText::FormatGeneral(test.Df.value_or(0))));
    chanceText_ = figures.ToText() + "\n" + test.Tsv();
}

void TForm3::SizeGridColumns() {
    // Widths from the texts a column can hold, without visiting the rows (a
    // history may have a million of them).
    const QFontMetrics metrics(grid_->font());
    const int padding = 14;
    const int columns = model_->GridColumnCount();
    const int number = metrics.horizontalAdvance(QStringLiteral("000000")) + padding;
    for (int c = 0; c < columns; ++c) {
        const int header = metrics.horizontalAdvance(model_->GridCell(0, c)) + padding;
        int width = std::max(number, header);
        if (c == columns - 1 && columns > 1)
            width =
                std::max(header, metrics.horizontalAdvance(model_->GridCell(model_->GridRowCount() - 1, c)) +
                                     metrics.horizontalAdvance(QStringLiteral("00")) + padding);
        grid_->setColumnWidth(c, width);
    }
}

void TForm3::BaixardaInternet1Click() {
    // The update itself lives apart; this window only starts it.
    if (main_ && main_->GetUpdateRunner()) main_->GetUpdateRunner()(*this);
}

void TForm3::ImportarResultados1Click() {
    if (!main_ || !main_->GetImportRunner()) return;
    const QString file = TFileDialog::OpenFileName(
        this, QStringLiteral("Resultados baixados (*.xlsx *.json *.zip);;Todos os arquivos (*)"), QString());
    if (!file.isEmpty()) main_->GetImportRunner()(*this, file);
}

void TForm3::Anliselexicogrfica1Click() {
    OpenAnalysis(TLottery::Lexicographic);
}
void TForm3::Anliseatrasadas1Click() {
    OpenAnalysis(TLottery::Delay);
}
void TForm3::Anlisebase51Click() {
    OpenAnalysis(TLottery::Segmentation);
}
void TForm3::Anlisebayesiana1Click() {
    OpenAnalysis(TLottery::Bayesian);
}
void TForm3::Anliseposicional1Click() {
    OpenAnalysis(TLottery::Positional);
}
void TForm3::Anliserecorrencial1Click() {
    OpenAnalysis(TLottery::Recurrence);
}
void TForm3::Anliseposicionalbayesiana1Click() {
    OpenAnalysis(TLottery::PositionalBayesian);
}

QWidget* TForm3::AnalysisWindow(TLottery::WindowKind kind) const {
    return windows_.at(static_cast<size_t>(kind));
}

void TForm3::RegisterAnalysisWindow(TLottery::WindowKind kind, QWidget* window) {
    const auto i = static_cast<size_t>(kind);
    windows_.at(i) = window;
    if (lottery_) lottery_->WindowOpen[i] = true;
    // Only while it is still the registered one: a released window may go
    // after a new window of its kind has opened.
    connect(window, &QObject::destroyed, this, [this, i, window] {
        if (windows_[i] && windows_[i].data() != window) return;
        windows_[i] = nullptr;
        if (lottery_) lottery_->WindowOpen[i] = false;
    });
}

void TForm3::ReleaseAnalysisWindow(QWidget* window) {
    for (size_t i = 0; i < windows_.size(); ++i)
        if (window && windows_[i] == window) {
            windows_[i] = nullptr;
            if (lottery_) lottery_->WindowOpen[i] = false;
        }
}

void TForm3::OpenAnalysis(TLottery::WindowKind kind) {
    if (!main_ || !Loaded()) return;
    QWidget* window = AnalysisWindow(kind);
    if (!window) {
        const TForm2::AnalysisOpener& opener = main_->GetAnalysisOpener(kind);
        if (!opener) return;
        window = opener(*this);
        if (!window) return;
        window->setWindowTitle(window->windowTitle() + QStringLiteral(": ") +
                               QFileInfo(fileName_).fileName());
        main_->AddChild(window);
        RegisterAnalysisWindow(kind, window);
    }
    auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget());
    if (frame) {
        if (frame->isMinimized())
            frame->showNormal();
        else
            frame->show();
        main_->FitChild(frame);
        main_->MdiArea()->setActiveSubWindow(frame);
        frame->raise();
    } else {
        window->show();
        window->raise();
    }
}

void TForm3::CloseAnalysisWindows(bool force) {
    for (QPointer<QWidget>& window : windows_) {
        if (!window) continue;
        QWidget* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget());
        QWidget* target = frame ? frame : window.data();
        // A window whose run goes on releases itself here (window becomes
        // null) and goes when its worker has let go.
        target->close();
        if (force && window) delete target;
    }
}

void TForm3::ReloadLottery() {
    CloseAnalysisWindows(true);
    TForm6::ForgetLottery(lottery_.get());
    model_->SetLottery(nullptr);
    lottery_.reset();
    Atualizartela1Click();
}

void TForm3::CalculadoraCSN1Click() {
    if (!main_ || !Loaded()) return;
    main_->OpenCalculator(lottery_.get(), lottery_->Elements(), lottery_->PerCombination());
}

void TForm3::CalculadoraCSN2Click() {
    if (!main_ || !Loaded()) return;
    // The CSN of the selected draw; row 1 when the header row (or nothing) is selected.
    const QString csn = model_->GridCell(SelectedGridRow(), model_->GridColumnCount() - 1);
    main_->OpenCalculator(nullptr, lottery_->Elements(), lottery_->PerCombination(), csn);
}

void TForm3::ShowPopup(QWidget* source, const QPoint& globalPos) {
    popupSource_ = source;
    popup_->popup(globalPos);
}

void TForm3::Copiar1Click() {
    if (popupSource_ == chart_) {
        chart_->CopyToClipboard();
        return;
    }
    if (popupSource_ == chance_) {
        QApplication::clipboard()->setText(QString::fromStdString(chanceText_));
        return;
    }
    QApplication::clipboard()->setText(model_->ToText());
}

void TForm3::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!firstPaint_) return;
    // First showing: history and chart share the height between them.
    firstPaint_ = false;
    const int half = std::max(1, splitter_->height() / 2);
    splitter_->setSizes({half, half});
}

void TForm3::closeEvent(QCloseEvent* event) {
    CloseAnalysisWindows(false);
    event->accept();
}
