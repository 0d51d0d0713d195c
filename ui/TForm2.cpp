#include "TForm2.h"

#include "TForm3.h"
#include "THelpTopics.h"
#include "THelpWindow.h"
#include "TInstallPaths.h"
#include "TMessageBox.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <algorithm>

namespace {

const char* const Credit = "Tovisca - Analisador automático de jogos. Projeto Tovisca, versão 1.4.0.";

} // namespace

TForm2::TForm2(QWidget* parent)
    : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Tovisca - Analisador automático de jogos"));
    setObjectName(QStringLiteral("Form2"));

    mdi_ = new QMdiArea(this);
    mdi_->setObjectName(QStringLiteral("MdiArea1"));
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, &TForm2::SubWindowActivated);

    // Menus.
    QMenu* arquivo = menuBar()->addMenu(QStringLiteral("&Arquivo"));
    arquivo->setObjectName(QStringLiteral("Arquivo1"));
    QAction* abrir = arquivo->addAction(QStringLiteral("Abrir"));
    abrir->setObjectName(QStringLiteral("Abrir1"));
    abrir->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    abrir->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    abrir->setToolTip(QStringLiteral("Abrir um arquivo de sorteios"));
    connect(abrir, &QAction::triggered, this, &TForm2::Abrir1Click);
    arquivo->addSeparator();
    priorityItem_ = arquivo->addAction(QStringLiteral("Definir prioridade acima do normal"));
    priorityItem_->setObjectName(QStringLiteral("Definirprioridadeacimadonormal1"));
    priorityItem_->setCheckable(true);
    connect(priorityItem_, &QAction::toggled, this, &TForm2::Definirprioridadeacimadonormal1Click);
    arquivo->addSeparator();
    QAction* sair = arquivo->addAction(QStringLiteral("Sair"));
    sair->setObjectName(QStringLiteral("Sair1"));
    sair->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    connect(sair, &QAction::triggered, this, &TForm2::Sair1Click);

    windowMenu_ = menuBar()->addMenu(QStringLiteral("&Janela"));
    windowMenu_->setObjectName(QStringLiteral("Janela1"));
    connect(windowMenu_, &QMenu::aboutToShow, this, &TForm2::FillWindowMenu);
    FillWindowMenu();

    QMenu* ajuda = menuBar()->addMenu(QStringLiteral("A&juda"));
    ajuda->setObjectName(QStringLiteral("Ajuda1"));
    QAction* conteudo = ajuda->addAction(QStringLiteral("Conteúdo"));
    conteudo->setObjectName(QStringLiteral("Contedo1"));
    conteudo->setShortcut(QKeySequence(Qt::Key_F1));
    conteudo->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    conteudo->setToolTip(QStringLiteral("Conteúdo da ajuda"));
    connect(conteudo, &QAction::triggered, this, &TForm2::Contedo1Click);
    ajuda->addSeparator();
    QAction* sobre = ajuda->addAction(QStringLiteral("Sobre"));
    sobre->setObjectName(QStringLiteral("Sobre1"));
    connect(sobre, &QAction::triggered, this, &TForm2::Sobre1Click);

    // Tool strip: our tool bar on the left (Panel2), the active child's in Panel3.
    auto* strip = new QToolBar(this);
    strip->setObjectName(QStringLiteral("ToolStrip1"));
    strip->setMovable(false);
    strip->setFloatable(false);
    strip->toggleViewAction()->setVisible(false);
    panel2_ = new QWidget(strip);
    panel2_->setObjectName(QStringLiteral("Panel2"));
    auto* panel2Layout = new QHBoxLayout(panel2_);
    panel2Layout->setContentsMargins(0, 0, 0, 0);
    toolBar_ = new QToolBar(panel2_);
    toolBar_->setObjectName(QStringLiteral("ToolBar1"));
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolBar_->addAction(abrir);
    toolBar_->addAction(conteudo);
    toolBar_->widgetForAction(abrir)->setObjectName(QStringLiteral("ToolButton1"));
    toolBar_->widgetForAction(conteudo)->setObjectName(QStringLiteral("ToolButton2"));
    panel2Layout->addWidget(toolBar_);
    panel3_ = new QWidget(strip);
    panel3_->setObjectName(QStringLiteral("Panel3"));
    auto* panel3Layout = new QHBoxLayout(panel3_);
    panel3Layout->setContentsMargins(0, 0, 0, 0);
    panel3_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    strip->addWidget(panel2_);
    strip->addWidget(panel3_);
    addToolBar(Qt::TopToolBarArea, strip);

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    status_ = new QLabel(QString::fromUtf8(Credit), bar);
    status_->setObjectName(QStringLiteral("StatusText1"));
    bar->addWidget(status_, 1);
    setStatusBar(bar);

    priority_.Set(TProcessPriority::Level::BelowNormal);
}

TForm2::~TForm2() {
    // Game windows close their analysis windows before freeing their
    // histories; delete them here, while the frame is whole.
    for (TForm3* game : GameWindows()) delete game->parentWidget();
    // The other children (the calculator) go next. Their activation changes
    // must not reach this window once its members start to be destroyed.
    disconnect(mdi_, nullptr, this, nullptr);
    for (QMdiSubWindow* frame : mdi_->subWindowList()) delete frame;
}

QString TForm2::StatusText() const {
    return status_->text();
}

QMdiSubWindow* TForm2::AddChild(QWidget* window) {
    QMdiSubWindow* frame = mdi_->addSubWindow(window);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    FitChild(frame);
    return frame;
}

void TForm2::FitChild(QMdiSubWindow* frame) const {
    const QRect area = mdi_->viewport()->rect();
    if (area.isEmpty() || frame->isMaximized()) return;
    const QSize size = frame->size().boundedTo(area.size());
    if (size != frame->size()) frame->resize(size);
    // Moving a frame before its first showing would stop the area from
    // placing it; only a placed frame is pulled back inside.
    if (!frame->isVisible()) return;
    const QPoint at(std::clamp(frame->x(), 0, area.width() - size.width()),
                    std::clamp(frame->y(), 0, area.height() - size.height()));
    if (at != frame->pos()) frame->move(at);
}

TForm3* TForm2::OpenFile(const QString& fileName) {
    auto* game = new TForm3(this);
    game->SetToolPanel(panel3_);
    game->SetFileName(QFileInfo(fileName).absoluteFilePath());
    QMdiSubWindow* frame = AddChild(game);
    game->AttachFrame(frame);
    const QSize area = mdi_->viewport()->size();
    frame->resize(std::max(640, std::min(area.width() * 9 / 10, 1400)),
                  std::max(480, std::min(area.height() * 9 / 10, 800)));
    game->Atualizartela1Click();
    frame->show();
    FitChild(frame);
    mdi_->setActiveSubWindow(frame);
    return game;
}

QList<TForm3*> TForm2::GameWindows() const {
    QList<TForm3*> games;
    for (QMdiSubWindow* frame : mdi_->subWindowList())
        if (auto* game = qobject_cast<TForm3*>(frame->widget())) games.append(game);
    return games;
}

void TForm2::SetAnalysisOpener(TLottery::WindowKind kind, AnalysisOpener opener) {
    openers_.at(static_cast<size_t>(kind)) = std::move(opener);
    for (TForm3* game : GameWindows()) game->UpdateCommands();
}

const TForm2::AnalysisOpener& TForm2::GetAnalysisOpener(TLottery::WindowKind kind) const {
    return openers_.at(static_cast<size_t>(kind));
}

void TForm2::SetCalculatorOpener(CalculatorOpener opener) {
    calculatorOpener_ = std::move(opener);
    for (TForm3* game : GameWindows()) game->UpdateCommands();
}

void TForm2::OpenCalculator(TLottery* lottery, int n, int k, const std::optional<QString>& csn) {
    if (calculatorOpener_) calculatorOpener_(lottery, n, k, csn);
}

void TForm2::SetUpdateRunner(UpdateRunner runner) {
    updateRunner_ = std::move(runner);
}

void TForm2::SetImportRunner(ImportRunner runner) {
    importRunner_ = std::move(runner);
}

void TForm2::SetPrioritySetter(TProcessPriority::Setter setter) {
    const TProcessPriority::Level level = priority_.Current();
    priority_ = TProcessPriority(std::move(setter));
    if (level != TProcessPriority::Level::Normal) priority_.Set(level);
}

THelpWindow* TForm2::HelpWindow() const {
    return help_;
}

QString TForm2::HelpFileName() {
    return TInstallPaths::ManualCollection();
}

void TForm2::Abrir1Click() {
    QFileDialog dialog(this, QStringLiteral("Abrir"));
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.setNameFilter(QStringLiteral("Sorteios (delimitado por vírgula) (*.csv)"));
    // The bundled games first.
    if (const QString games = TInstallPaths::DataFolder(); !games.isEmpty()) dialog.setDirectory(games);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    OpenFile(dialog.selectedFiles().first());
}

void TForm2::Definirprioridadeacimadonormal1Click(bool checked) {
    if (!checked) {
        priority_.Set(TProcessPriority::Level::BelowNormal);
        return;
    }
    if (priority_.Set(TProcessPriority::Level::AboveNormal)) return;
    // Linux lets only a privileged user raise a process above normal: say so
    // rather than show a priority that was not set.
    {
        const QSignalBlocker block(priorityItem_);
        priorityItem_->setChecked(false);
    }
    TMessageBox::Show(
        this,
        QStringLiteral("Não foi possível definir a prioridade acima do normal: o sistema só permite "
                       "aumentar a prioridade de um processo a um usuário com privilégios de "
                       "administrador."),
        TMessageBox::Kind::Warning);
}

void TForm2::Sair1Click() {
    close();
}

void TForm2::Organizar1Click() {
    mdi_->cascadeSubWindows();
}

void TForm2::Contedo1Click() {
    // The page of the window that has the focus (F1), read before the help
    // window takes the focus.
    const QMdiSubWindow* active = mdi_->activeSubWindow();
    const QString page =
        THelpTopics::PageFor(QApplication::focusWidget(), active ? active->widget() : nullptr, this);
    const QString help = helpFile_.isEmpty() ? HelpFileName() : helpFile_;
    if (help.isEmpty() || !QFileInfo::exists(help)) {
        TMessageBox::Show(this, QStringLiteral("Arquivo de ajuda não localizado."));
        return;
    }
    if (!help_) help_ = new THelpWindow(help, this);
    if (!help_->Ready()) {
        help_->deleteLater(); // the next command tries the file again
        help_ = nullptr;
        TMessageBox::Show(this, QStringLiteral("Não foi possível abrir o arquivo de ajuda ") + help +
                                    QStringLiteral("."));
        return;
    }
    help_->ShowPage(page);
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void TForm2::Sobre1Click() {
    TMessageBox::Show(this, QStringLiteral("Projeto Tovisca - versão 1.4.0\n"
                                           "Analisador automático de jogos\n"
                                           "Desenvolvido pela equipe do projeto Tovisca."));
}

void TForm2::closeEvent(QCloseEvent* event) {
    mdi_->closeAllSubWindows();
    event->accept();
}

void TForm2::SubWindowActivated(QMdiSubWindow* frame) {
    // Only the active child's menus stand in the menu bar, before "&Janela".
    for (const QPointer<QMenu>& menu : merged_)
        if (menu) menuBar()->removeAction(menu->menuAction());
    merged_.clear();
    if (!frame || !frame->widget()) return;
    for (QMenu* menu : frame->widget()->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) {
        if (!menu->property("mergedIntoMainMenu").toBool()) continue;
        menuBar()->insertMenu(windowMenu_->menuAction(), menu);
        merged_.append(menu);
    }
}

void TForm2::FillWindowMenu() {
    windowMenu_->clear();
    QAction* organizar = windowMenu_->addAction(QStringLiteral("Organizar"));
    organizar->setObjectName(QStringLiteral("Organizar1"));
    connect(organizar, &QAction::triggered, this, &TForm2::Organizar1Click);
    const QList<QMdiSubWindow*> frames = mdi_->subWindowList();
    if (frames.isEmpty()) return;
    windowMenu_->addSeparator();
    int number = 1;
    for (QMdiSubWindow* frame : frames) {
        QAction* item =
            windowMenu_->addAction(QStringLiteral("&%1 %2").arg(number++).arg(frame->windowTitle()));
        item->setCheckable(true);
        item->setChecked(frame == mdi_->activeSubWindow());
        connect(item, &QAction::triggered, this, [this, frame = QPointer<QMdiSubWindow>(frame)] {
            if (frame) mdi_->setActiveSubWindow(frame);
        });
    }
}
