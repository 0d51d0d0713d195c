#include "TAnalysisForm.h"

#include "NumberText.h"
#include "TChartSeries.h"
#include "TChartView.h"
#include "TExport.h"
#include "TForm2.h"
#include "TForm3.h"
#include "TInputBox.h"
#include "TMessageBox.h"
#include "TToolBarDock.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace {

const QString SampleHint = QStringLiteral("Amostra de dados a analisar, a partir do final da base original");

QLineEdit* ReadOnlyField(QWidget* parent, const QString& name, const QString& text, const QString& hint,
                         bool borderless) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setToolTip(hint);
    edit->setFrame(!borderless);
    // Shown, never typed into: no focus, so no selected text either.
    edit->setFocusPolicy(Qt::NoFocus);
    return edit;
}

} // namespace

TAnalysisForm::TAnalysisForm(TForm3& game, TLottery::WindowKind kind, const QString& caption,
                             const Features& features, QWidget* parent)
    : QWidget(parent), game_(&game), lottery_(*game.Lottery()), kind_(kind), features_(features),
      n_(game.Lottery()->Elements()), k_(game.Lottery()->PerCombination()),
      zeroBased_(game.Lottery()->ZeroBased) {
    BuildControls(caption);
    dock_ = std::make_unique<TToolBarDock>(ToolBar1, mainLayout_);
    dock_->SetPanel(game.ToolPanel());
    connect(&watcher_, &QFutureWatcher<void>::finished, this, &TAnalysisForm::RunFinished);
    clock_.start();
}

TAnalysisForm::~TAnalysisForm() {
    StopAndWait();
    // While it stands in the main window's panel the tool bar is the
    // panel's child: bring it home so that it goes with this window.
    if (dock_) dock_->ReturnHome();
}

void TAnalysisForm::BuildControls(const QString& caption) {
    setWindowTitle(caption);
    resize(1000, 720);
    mainLayout_ = new QVBoxLayout(this);
    mainLayout_->setContentsMargins(0, 0, 0, 0);
    mainLayout_->setSpacing(2);

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    mainLayout_->addWidget(ToolBar1);

    toolsMenu_ = new QMenu(QStringLiteral("Ferramentas"), this);
    toolsMenu_->setObjectName(QStringLiteral("Ferramentas1"));
    toolsMenu_->setProperty("mergedIntoMainMenu", true);
    CalculadoraCSN1 = new QAction(QStringLiteral("Calculadora CSN"), this);
    CalculadoraCSN1->setObjectName(QStringLiteral("CalculadoraCSN1"));
    CalculadoraCSN1->setShortcut(QKeySequence(Qt::Key_F9));
    CalculadoraCSN1->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(CalculadoraCSN1);
    connect(CalculadoraCSN1, &QAction::triggered, this, &TAnalysisForm::CalculadoraCSN1Click);
    if (features_.CalculatorTool) {
        toolsMenu_->addAction(CalculadoraCSN1);
        ToolBar1->addAction(CalculadoraCSN1);
        ToolBar1->widgetForAction(CalculadoraCSN1)->setObjectName(QStringLiteral("ToolButton8"));
    } else {
        CalculadoraCSN1->setEnabled(false);
        ToolBar1->hide();
    }

    // The options: sample size, the frame's buttons and fields, then the
    // window's own controls.
    optionsBox_ = new QGroupBox(this);
    optionsBox_->setObjectName(QStringLiteral("GroupBox1"));
    // Two rows: the frame's controls, then the window's own.
    auto* rows = new QVBoxLayout(optionsBox_);
    rows->setContentsMargins(4, 2, 4, 2);
    auto* frameRow = new QHBoxLayout;
    auto* frameControls = new QHBoxLayout;
    frameRow->addLayout(frameControls);
    frameRow->addStretch(1);
    rows->addLayout(frameRow);
    auto* ownRow = new QHBoxLayout;
    optionsLayout_ = new QHBoxLayout;
    ownRow->addLayout(optionsLayout_);
    ownRow->addStretch(1);
    rows->addLayout(ownRow);
    mainLayout_->addWidget(optionsBox_);

    Edit1 = ReadOnlyField(optionsBox_, QStringLiteral("Edit1"), QStringLiteral("20"), SampleHint, false);
    if (!features_.SampleLabel.isEmpty()) {
        auto* label = new QLabel(features_.SampleLabel, optionsBox_);
        label->setObjectName(QStringLiteral("Label3"));
        label->setBuddy(Edit1);
        frameControls->addWidget(label);
    }
    Edit1->setMaximumWidth(Edit1->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 12);
    Edit1->installEventFilter(this);
    frameControls->addWidget(Edit1);
    UpDown1 = new QSpinBox(optionsBox_);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setToolTip(SampleHint);
    UpDown1->setRange(0, 1 << 30);
    UpDown1->setValue(20);
    // Only the arrows show: the number stands in Edit1.
    if (auto* number = UpDown1->findChild<QLineEdit*>()) number->hide();
    UpDown1->setFixedWidth(UpDown1->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, UpDown1) + 6);
    UpDown1->setKeyboardTracking(false);
    connect(UpDown1, &QSpinBox::valueChanged, this, [this] { UpDown1Click(); });
    frameControls->addWidget(UpDown1);

    Button2 = new QPushButton(QStringLiteral("Preview"), optionsBox_);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setToolTip(QStringLiteral("Atualizar a previsão"));
    connect(Button2, &QPushButton::clicked, this, &TAnalysisForm::Button2Click);
    frameControls->addWidget(Button2);
    Button1 = new QPushButton(QStringLiteral("Analisar"), optionsBox_);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setToolTip(QStringLiteral("Analisar a amostra usando a rede neural"));
    connect(Button1, &QPushButton::clicked, this, &TAnalysisForm::Button1Click);
    frameControls->addWidget(Button1);
    Button3 = new QPushButton(QStringLiteral("Parar"), optionsBox_);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setToolTip(QStringLiteral("Parar a análise"));
    Button3->setEnabled(false);
    connect(Button3, &QPushButton::clicked, this, &TAnalysisForm::Button3Click);
    frameControls->addWidget(Button3);
    Button1->setVisible(features_.Network);
    Button3->setVisible(features_.Network);
    if (!features_.ErrorFieldName.isEmpty()) {
        ErrorField = ReadOnlyField(optionsBox_, features_.ErrorFieldName, QStringLiteral("0"),
                                   QStringLiteral("Erro da rede"), true);
        ErrorField->setMinimumWidth(
            ErrorField->fontMetrics().horizontalAdvance(QStringLiteral("-0,00000000E-00")) + 8);
        frameControls->addWidget(ErrorField);
    }
    if (!features_.EpochFieldName.isEmpty()) {
        EpochField = ReadOnlyField(optionsBox_, features_.EpochFieldName, QStringLiteral("0"),
                                   QStringLiteral("Épocas"), true);
        EpochField->setMaximumWidth(EpochField->fontMetrics().horizontalAdvance(QStringLiteral("000000000")) +
                                    8);
        frameControls->addWidget(EpochField);
    }

    // Grid and memo side by side above the charts.
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->setChildrenCollapsible(false);
    auto* upper = new QSplitter(Qt::Horizontal, splitter);
    upper->setObjectName(QStringLiteral("Splitter2"));
    upper->setChildrenCollapsible(false);
    sg1 = new QTableWidget(1, 1, upper);
    sg1->setObjectName(QStringLiteral("sg1"));
    sg1->horizontalHeader()->hide();
    sg1->verticalHeader()->hide();
    sg1->verticalHeader()->setDefaultSectionSize(18);
    sg1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sg1->setSelectionMode(QAbstractItemView::SingleSelection);
    sg1->setWordWrap(false);
    sg1->setContextMenuPolicy(Qt::CustomContextMenu);
    AttachGrid(sg1);
    Memo1 = new QPlainTextEdit(upper);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    upper->addWidget(sg1);
    upper->addWidget(Memo1);
    upper->setStretchFactor(0, 3);
    upper->setStretchFactor(1, 2);
    auto* charts = new QWidget(splitter);
    charts->setObjectName(QStringLiteral("Panel2"));
    chartLayout_ = new QVBoxLayout(charts);
    chartLayout_->setContentsMargins(0, 0, 0, 0);
    splitter->addWidget(upper);
    splitter->addWidget(charts);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    mainLayout_->addWidget(splitter, 1);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Copiar1 = PopupMenu1->addAction(QStringLiteral("Copiar"));
    Copiar1->setObjectName(QStringLiteral("Copiar1"));
    connect(Copiar1, &QAction::triggered, this, &TAnalysisForm::Copiar1Click);
    Salvartabela1 = PopupMenu1->addAction(QStringLiteral("Salvar tabela..."));
    Salvartabela1->setObjectName(QStringLiteral("Salvartabela1"));
    connect(Salvartabela1, &QAction::triggered, this, &TAnalysisForm::Salvartabela1Click);
    Salvargrafico1 = PopupMenu1->addAction(QStringLiteral("Salvar gráfico..."));
    Salvargrafico1->setObjectName(QStringLiteral("Salvargrafico1"));
    connect(Salvargrafico1, &QAction::triggered, this, &TAnalysisForm::Salvargrafico1Click);
    CalculadoraCSN2 = PopupMenu1->addAction(QStringLiteral("Calculadora CSN"));
    CalculadoraCSN2->setObjectName(QStringLiteral("CalculadoraCSN2"));
    CalculadoraCSN2->setVisible(features_.CalculatorPopup);
    connect(CalculadoraCSN2, &QAction::triggered, this, &TAnalysisForm::CalculadoraCSN2Click);
    kvizinhosprximos1 = PopupMenu1->addMenu(QStringLiteral("k-vizinhos-próximos"));
    kvizinhosprximos1->setObjectName(QStringLiteral("kvizinhosprximos1"));
    kvizinhosprximos1->menuAction()->setVisible(features_.Neighbours);
    Normal1 = kvizinhosprximos1->addAction(QStringLiteral("Normal"));
    Normal1->setObjectName(QStringLiteral("Normal1"));
    connect(Normal1, &QAction::triggered, this, &TAnalysisForm::Normal1Click);
    Delta1 = kvizinhosprximos1->addAction(QStringLiteral("Delta"));
    Delta1->setObjectName(QStringLiteral("Delta1"));
    connect(Delta1, &QAction::triggered, this, &TAnalysisForm::Delta1Click);
    Wavelet1 = kvizinhosprximos1->addAction(QStringLiteral("Wavelet"));
    Wavelet1->setObjectName(QStringLiteral("Wavelet1"));
    Wavelet1->setEnabled(false);
    connect(PopupMenu1, &QMenu::aboutToShow, this, &TAnalysisForm::PopupMenu1Popup);
}

void TAnalysisForm::AttachChart(TChartView* chart) {
    chart->SetPopupMenu(PopupMenu1);
    connect(chart, &TChartView::PopupOpening, this, [this, chart] { popupSource_ = chart; });
}

QPushButton* TAnalysisForm::StepButton(const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, optionsBox_);
    button->setObjectName(QString::fromLatin1(name));
    button->hide();
    optionsLayout_->addWidget(button);
    return button;
}

void TAnalysisForm::AttachGrid(QTableWidget* grid) {
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this, [this, grid](const QPoint& pos) {
        popupSource_ = grid;
        PopupMenu1->popup(grid->viewport()->mapToGlobal(pos));
    });
}

void TAnalysisForm::AttachPopup(QAbstractScrollArea* control) {
    control->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(control, &QWidget::customContextMenuRequested, this, [this, control](const QPoint& pos) {
        popupSource_ = control;
        PopupMenu1->popup(control->viewport()->mapToGlobal(pos));
    });
}

void TAnalysisForm::SetGridView(QTableView* view) {
    auto* splitter = qobject_cast<QSplitter*>(sg1->parentWidget());
    if (!splitter) return;
    const int index = splitter->indexOf(sg1);
    sg1->hide();
    sg1->setObjectName(QString()); // the view now answers to the grid's name
    sg1->setParent(this);
    splitter->insertWidget(index, view);
    splitter->setStretchFactor(index, 3);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& pos) {
        popupSource_ = view;
        PopupMenu1->popup(view->viewport()->mapToGlobal(pos));
    });
}

void TAnalysisForm::Open(int sampleCap) {
    const int draws = lottery_.DrawCount;
    {
        const QSignalBlocker blocker(UpDown1);
        UpDown1->setMaximum(draws);
        UpDown1->setValue(std::min(draws, sampleCap));
        // A history of fewer than 10 draws is analysed whole.
        UpDown1->setMinimum(std::min(10, draws));
    }
    UpDown1Click();
}

TForm3* TAnalysisForm::Game() const {
    return game_.data();
}

int TAnalysisForm::SampleSize() const {
    return UpDown1->value();
}

void TAnalysisForm::SetSampleSize(int value) {
    const QSignalBlocker blocker(UpDown1);
    UpDown1->setValue(value);
    Edit1->setText(QString::number(UpDown1->value()));
}

void TAnalysisForm::UpDown1Click() {
    if (running_) return;
    Edit1->setText(QString::number(UpDown1->value()));
    LoadSample();
    if (features_.PreviewOnSampleStep) PreviewAnalysis();
}

void TAnalysisForm::Edit1DblClick() {
    if (running_) return;
    const std::optional<QString> answer = TInputBox::Ask(this, QStringLiteral("Informe o valor:"),
                                                         QStringLiteral("Tamanho da amostra"), Edit1->text());
    if (!answer || answer->isEmpty()) return;
    int value = 0;
    // A word is ignored without a message.
    if (!NumberText::TryParseInt(answer->toStdString(), value)) return;
    if (value < 10) value = 10;
    if (value >= UpDown1->maximum()) value = UpDown1->maximum();
    SetSampleSize(value);
    LoadSample();
    PreviewAnalysis();
}

void TAnalysisForm::Button1Click() {
    if (running_ || !features_.Network) return;
    stop_ = false;
    SetMemo({QStringLiteral("Analisando, aguarde")});
    if (!StartAnalysis()) Button2Click();
}

void TAnalysisForm::Button2Click() {
    if (running_) return;
    PreviewAnalysis();
}

void TAnalysisForm::Button3Click() {
    if (!running_) return;
    stop_ = true;
    StopRequested();
}

void TAnalysisForm::StartRun(std::function<void()> work, std::function<void()> finished) {
    if (running_) return;
    running_ = true;
    cancel_ = false;
    finished_ = std::move(finished);
    SetBusy(true);
    watcher_.setFuture(QtConcurrent::run(std::move(work)));
}

void TAnalysisForm::RunFinished() {
    if (!running_) return;
    running_ = false;
    // The worker has ended: nothing more can be posted. Show its last state.
    if (!closing_) FlushLatest();
    std::function<void()> finished = std::move(finished_);
    finished_ = nullptr;
    SetBusy(false);
    if (!closing_ && finished) finished();
}

void TAnalysisForm::StopAndWait() {
    cancel_ = true;
    stop_ = true;
    if (running_) watcher_.waitForFinished();
}

void TAnalysisForm::Post(std::function<void()> update) {
    QMetaObject::invokeMethod(this, std::move(update), Qt::QueuedConnection);
}

void TAnalysisForm::PostLatest(int channel, std::function<void()> update) {
    {
        const std::lock_guard lock(latestMutex_);
        Pending& pending = latest_[channel];
        pending.update = std::move(update);
        // A delivery is already on its way: it will run this newer update.
        if (pending.scheduled) return;
        pending.scheduled = true;
    }
    QMetaObject::invokeMethod(
        this,
        [this, channel] {
            qint64 wait = 0;
            {
                const std::lock_guard lock(latestMutex_);
                const qint64 last = latest_[channel].lastDelivery;
                if (last >= 0) wait = last + MinimumRedrawInterval - clock_.elapsed();
            }
            if (wait > 0)
                QTimer::singleShot(static_cast<int>(wait), this, [this, channel] { Deliver(channel); });
            else
                Deliver(channel);
        },
        Qt::QueuedConnection);
}

void TAnalysisForm::Deliver(int channel) {
    std::function<void()> update;
    {
        const std::lock_guard lock(latestMutex_);
        Pending& pending = latest_[channel];
        update = std::move(pending.update);
        pending.update = nullptr;
        pending.scheduled = false;
        pending.lastDelivery = clock_.elapsed();
    }
    if (update) update();
}

void TAnalysisForm::FlushLatest() {
    std::vector<std::function<void()>> updates;
    {
        const std::lock_guard lock(latestMutex_);
        for (auto& [channel, pending] : latest_)
            if (pending.update) {
                updates.push_back(std::move(pending.update));
                pending.update = nullptr;
            }
    }
    for (const auto& update : updates) update();
}

void TAnalysisForm::SetBusy(bool busy) {
    Button1->setEnabled(!busy);
    Button3->setEnabled(busy);
    Button2->setEnabled(!busy);
    Edit1->setEnabled(!busy);
    UpDown1->setEnabled(!busy);
    kvizinhosprximos1->setEnabled(!busy);
}

void TAnalysisForm::ShowNumber(QLineEdit& field, const QString& text) {
    field.setText(text);
    // setText leaves the cursor at the end, which scrolls a long number so
    // that its sign and first digits are hidden: show its start instead.
    field.setCursorPosition(0);
    field.setToolTip(text);
}

void TAnalysisForm::ShowPass(int pass, double error) {
    if (EpochField) EpochField->setText(QString::number(pass));
    if (ErrorField) ShowNumber(*ErrorField, QString::fromStdString(NumberText::FormatExponent(error, 8, 2)));
}

void TAnalysisForm::SetMemo(const QStringList& lines) {
    Memo1->setPlainText(lines.join(QLatin1Char('\n')));
    Memo1->moveCursor(QTextCursor::Start);
}

void TAnalysisForm::SetGridSize(int rows, int columns) {
    sg1->clearContents();
    sg1->setRowCount(std::max(rows, 1));
    sg1->setColumnCount(std::max(columns, 1));
}

void TAnalysisForm::SetCell(int row, int column, const QString& text) {
    QTableWidgetItem* item = sg1->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        if (row == 0) {
            // The fixed header row of the grid.
            item->setBackground(sg1->palette().button());
            item->setFlags(Qt::ItemIsEnabled);
        } else {
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
        sg1->setItem(row, column, item);
    }
    item->setText(text);
}

QString TAnalysisForm::CellText(int row, int column) const {
    const QTableWidgetItem* item = sg1->item(row, column);
    return item ? item->text() : QString();
}

QString TAnalysisForm::GridText() const {
    return GridText(*sg1);
}

QString TAnalysisForm::GridText(const QTableWidget& grid) {
    QString text;
    for (int r = 0; r < grid.rowCount(); ++r) {
        for (int c = 0; c < grid.columnCount(); ++c) {
            if (const QTableWidgetItem* item = grid.item(r, c)) text += item->text();
            text += QLatin1Char('\t');
        }
        text += QStringLiteral("\r\n");
    }
    return text;
}

void TAnalysisForm::Copiar1Click() {
    if (auto* chart = qobject_cast<TChartView*>(popupSource_.data())) {
        chart->CopyToClipboard();
        return;
    }
    if (auto* grid = qobject_cast<QTableWidget*>(popupSource_.data())) {
        QApplication::clipboard()->setText(GridText(*grid));
        return;
    }
    QApplication::clipboard()->setText(GridText());
}

// The grid the pop-up menu was opened over, or the window's own table.
QString TAnalysisForm::PopupGridText() const {
    if (auto* grid = qobject_cast<QTableWidget*>(popupSource_.data())) return GridText(*grid);
    return GridText();
}

TChartView* TAnalysisForm::PopupChart() const {
    if (auto* chart = qobject_cast<TChartView*>(popupSource_.data())) return chart;
    return MainChart();
}

void TAnalysisForm::Salvartabela1Click() {
    TExport::AskAndSaveTable(this, TExport::SplitGridText(PopupGridText()));
}

void TAnalysisForm::Salvargrafico1Click() {
    if (TChartView* chart = PopupChart()) TExport::AskAndSaveChart(this, *chart);
}

void TAnalysisForm::CalculadoraCSN1Click() {
    if (!game_ || !game_->MainWindow()) return;
    game_->MainWindow()->OpenCalculator(&lottery_, n_, k_);
}

void TAnalysisForm::CalculadoraCSN2Click() {
    if (!game_ || !game_->MainWindow()) return;
    // Row 1 when no data row is selected.
    const int row = std::max(sg1->currentRow(), 1);
    game_->MainWindow()->OpenCalculator(nullptr, n_, k_, CellText(row, 1));
}

void TAnalysisForm::PopupMenu1Popup() {
    TChartView* chart = MainChart();
    kvizinhosprximos1->menuAction()->setVisible(features_.Neighbours && chart && popupSource_ == chart);
    Salvargrafico1->setEnabled(PopupChart() != nullptr);
}

void TAnalysisForm::Normal1Click() {
    Neighbours(false);
}

void TAnalysisForm::Delta1Click() {
    Neighbours(true);
}

void TAnalysisForm::Neighbours(bool delta) {
    TChartView* chart = MainChart();
    if (running_ || !chart || chart->SeriesCount() < 2) return;
    kvizinhosprximos1->setEnabled(false);
    const int window = delta ? features_.DeltaWindow : features_.NormalWindow;
    const int neighbours = delta ? features_.DeltaNeighbours : features_.NormalNeighbours;
    lottery_.ForecastNeighbours(window, neighbours, delta, chart->Series(0), &chart->Series(1),
                                NeighbourPointsSeries());
    chart->Redraw();
    kvizinhosprximos1->setEnabled(true);
    TMessageBox::Show(this, QStringLiteral("Análise finalizada"));
}

bool TAnalysisForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && event->type() == QEvent::MouseButtonDblClick) {
        Edit1DblClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TAnalysisForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (docked_) return;
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        docked_ = true;
        dock_->Attach(frame);
        dock_->Place(frame->isMaximized(), frame->windowState().testFlag(Qt::WindowActive));
    }
}

void TAnalysisForm::closeEvent(QCloseEvent* event) {
    // A run in progress ends here: after the close the window may be freed,
    // and the game window may free the history right after.
    closing_ = true;
    StopAndWait();
    if (game_ && game_->Lottery() == &lottery_) lottery_.WindowOpen[static_cast<size_t>(kind_)] = false;
    event->accept();
}
