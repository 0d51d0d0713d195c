// The main window: menus, shortcuts and tool strip, the window list, help,
// "Sobre" and the process priority item.
#include "GuiTestSupport.h"
#include "TProcessPriority.h"

#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <sys/resource.h>
#include <vector>

namespace {

using namespace gui;
using MainWindowTest = WindowTest;

TEST_F(MainWindowTest, MenusShortcutsToolStripAndWindowList) {
    EXPECT_EQ(main.windowTitle(), "Tovisca - Analisador automático de jogos");
    EXPECT_EQ(Captions(main.menuBar()->actions()), QStringList({"&Arquivo", "&Janela", "A&juda"}));
    ExpectCommands(&main, {{"Abrir1", "Abrir", QKeySequence(Qt::CTRL | Qt::Key_O)},
                           {"Definirprioridadeacimadonormal1", "Definir prioridade acima do normal", {}},
                           {"Sair1", "Sair", QKeySequence(Qt::CTRL | Qt::Key_X)},
                           {"Contedo1", "Conteúdo", QKeySequence(Qt::Key_F1)},
                           {"Sobre1", "Sobre", {}}});
    const QList<QAction*> tools = Find<QToolBar>(Find(&main, "Panel2"), "ToolBar1")->actions();
    EXPECT_EQ(tools, QList<QAction*>({Action(&main, "Abrir1"), Action(&main, "Contedo1")}));
    EXPECT_TRUE(Find<QStatusBar>(&main, "StatusBar1")->findChild<QLabel*>()->text().startsWith("Tovisca"));
    // "&Janela": "Organizar", then one item per child window; "Organizar" cascades them.
    Open(DataDir + "/megasena.csv");
    Open(DataDir + "/quina.csv");
    auto* janela = Find<QMenu>(&main, "Janela1");
    emit janela->aboutToShow();
    EXPECT_EQ(Captions(janela->actions()),
              QStringList({"Organizar", "&1 Sorteio: megasena.csv", "&2 Sorteio: quina.csv"}));
    Action(&main, "Organizar1")->trigger();
    const QList<QMdiSubWindow*> frames = main.MdiArea()->subWindowList();
    ASSERT_EQ(frames.size(), 2);
    EXPECT_NE(frames[0]->pos(), frames[1]->pos());
}

TEST_F(MainWindowTest, HelpFileMissingOrPresentAndAbout) {
    // The manual's collection lies in the data folder beside the program.
    EXPECT_TRUE(TForm2::HelpFileName().isEmpty() || TForm2::HelpFileName().endsWith("/manual/tovisca.qhc"));
    main.SetHelpFileName(PathOf("tovisca.qhc"));
    Action(&main, "Contedo1")->trigger();
    EXPECT_EQ(TMessageBox::Recorded(), QStringList{"Arquivo de ajuda não localizado."});
    EXPECT_EQ(main.HelpWindow(), nullptr);

    // A file that is not a help collection: said, not silently ignored.
    Write("tovisca.qhc", "not a collection");
    Answer(true);
    Action(&main, "Contedo1")->trigger();
    EXPECT_EQ(TMessageBox::Recorded().size(), 1);
    EXPECT_TRUE(TMessageBox::Last().startsWith("Não foi possível abrir o arquivo de ajuda"));
    ProcessDeletes();
    EXPECT_EQ(main.HelpWindow(), nullptr) << "the next command tries again";

    Action(&main, "Sobre1")->trigger();
    EXPECT_EQ(TMessageBox::Last().section('\n', 0, 0), "Projeto Tovisca - versão 1.4.0");
    EXPECT_GT(TMessageBox::Last().count('\n'), 0) << "authorship lines follow";
}

TEST_F(MainWindowTest, PriorityStartsBelowNormalAndARefusalLeavesTheItemUnticked) {
    // The window's construction lowered the priority of this very process.
    EXPECT_EQ(main.Priority(), TProcessPriority::Level::BelowNormal);
    errno = 0;
    EXPECT_GE(getpriority(PRIO_PROCESS, 0), TProcessPriority::BelowNormalNice);
    EXPECT_EQ(errno, 0);

    std::vector<int> asked;
    bool privileged = false;
    main.SetPrioritySetter([&](int nice) {
        asked.push_back(nice);
        return nice >= 0 || privileged; // as Linux treats an ordinary user
    });
    QAction* item = Action(&main, "Definirprioridadeacimadonormal1");
    ASSERT_TRUE(item->isCheckable());
    item->trigger();
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(main.Priority(), TProcessPriority::Level::BelowNormal);
    ASSERT_EQ(TMessageBox::Recorded().size(), 1);
    EXPECT_TRUE(TMessageBox::Last().contains("prioridade"));
    ASSERT_FALSE(asked.empty());
    EXPECT_LT(asked.back(), 0);

    // With the privilege the item ticks; unticking returns below normal.
    privileged = true;
    Answer(true);
    item->trigger();
    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(main.Priority(), TProcessPriority::Level::AboveNormal);
    item->trigger();
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(main.Priority(), TProcessPriority::Level::BelowNormal);
    EXPECT_EQ(asked.back(), TProcessPriority::BelowNormalNice);
    EXPECT_TRUE(TMessageBox::Recorded().isEmpty());
}

} // namespace
