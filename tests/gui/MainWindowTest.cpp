// The main window: its menus, tool strip and status bar, the help and about
// commands, and the process priority item.
#include "TForm2.h"
#include "TForm3.h"
#include "TMessageBox.h"
#include "TProcessPriority.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <vector>

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        TMessageBox::SetRecording(true);
        TMessageBox::ClearRecorded();
    }
    static QAction* Action(QWidget& window, const char* name) {
        return window.findChild<QAction*>(QString::fromLatin1(name));
    }
};

TEST_F(MainWindowTest, MenusToolBarAndStatusBar) {
    TForm2 main;
    EXPECT_EQ(main.windowTitle(), "Tovisca - Analisador automático de jogos");
    QStringList titles;
    for (QAction* a : main.menuBar()->actions()) titles << a->text();
    EXPECT_EQ(titles, QStringList({"&Arquivo", "&Janela", "A&juda"}));

    const struct {
        const char* name;
        const char* caption;
        QKeySequence key;
    } items[] = {
        {"Abrir1", "Abrir", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"Definirprioridadeacimadonormal1", "Definir prioridade acima do normal", QKeySequence()},
        {"Sair1", "Sair", QKeySequence(Qt::CTRL | Qt::Key_X)},
        {"Contedo1", "Conteúdo", QKeySequence(Qt::Key_F1)},
        {"Sobre1", "Sobre", QKeySequence()},
    };
    for (const auto& item : items) {
        QAction* action = Action(main, item.name);
        ASSERT_NE(action, nullptr) << item.name;
        EXPECT_EQ(action->text(), QString::fromUtf8(item.caption));
        EXPECT_EQ(action->shortcut(), item.key) << item.name;
    }
    EXPECT_TRUE(Action(main, "Definirprioridadeacimadonormal1")->isCheckable());
    EXPECT_FALSE(Action(main, "Definirprioridadeacimadonormal1")->isChecked());

    // "&Janela": "Organizar" and then one item per child window.
    QMenu* janela = main.findChild<QMenu*>("Janela1");
    emit janela->aboutToShow();
    ASSERT_NE(Action(main, "Organizar1"), nullptr);
    EXPECT_EQ(Action(main, "Organizar1")->text(), "Organizar");

    auto* toolBar = main.findChild<QWidget*>("Panel2")->findChild<QToolBar*>("ToolBar1");
    ASSERT_NE(toolBar, nullptr);
    ASSERT_EQ(toolBar->actions().size(), 2);
    EXPECT_EQ(toolBar->actions()[0], Action(main, "Abrir1"));
    EXPECT_EQ(toolBar->actions()[1], Action(main, "Contedo1"));
    EXPECT_FALSE(toolBar->actions()[0]->toolTip().isEmpty());
    EXPECT_NE(main.findChild<QWidget*>("Panel3"), nullptr);

    auto* status = main.findChild<QStatusBar*>("StatusBar1");
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->findChild<QLabel*>()->text().startsWith("Tovisca"));
}

TEST_F(MainWindowTest, WindowMenuListsAndCascadesTheChildren) {
    TForm2 main;
    main.resize(1000, 800);
    main.show();
    main.OpenFile(QStringLiteral(TOVISCA_DATA_DIR "/megasena.csv"));
    main.OpenFile(QStringLiteral(TOVISCA_DATA_DIR "/quina.csv"));
    QMenu* janela = main.findChild<QMenu*>("Janela1");
    emit janela->aboutToShow();
    QStringList texts;
    for (QAction* a : janela->actions())
        if (!a->isSeparator()) texts << a->text();
    EXPECT_EQ(texts, QStringList({"Organizar", "&1 Sorteio: megasena.csv", "&2 Sorteio: quina.csv"}));
    Action(main, "Organizar1")->trigger();
    const QList<QMdiSubWindow*> frames = main.MdiArea()->subWindowList();
    ASSERT_EQ(frames.size(), 2);
    EXPECT_NE(frames[0]->pos(), frames[1]->pos());
}

TEST_F(MainWindowTest, HelpFileMissingOrPresent) {
    TForm2 main;
    std::vector<QUrl> opened;
    bool opens = true;
    main.SetUrlOpener([&](const QUrl& url) {
        opened.push_back(url);
        return opens;
    });
    const QString help = TForm2::HelpFileName();
    EXPECT_EQ(help, QApplication::applicationDirPath() + "/tovisca.hlp");
    QFile::remove(help);
    Action(main, "Contedo1")->trigger();
    EXPECT_EQ(TMessageBox::Last(), "Arquivo de ajuda não localizado.");
    EXPECT_TRUE(opened.empty());

    {
        QFile file(help);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("ajuda");
    }
    TMessageBox::ClearRecorded();
    Action(main, "Contedo1")->trigger();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(help));
    EXPECT_TRUE(TMessageBox::Recorded().isEmpty());

    // No viewer for the file: said, not silently ignored.
    opens = false;
    Action(main, "Contedo1")->trigger();
    EXPECT_EQ(TMessageBox::Recorded().size(), 1);
    QFile::remove(help);
}

TEST_F(MainWindowTest, AboutBoxStartsWithTheVersion) {
    TForm2 main;
    Action(main, "Sobre1")->trigger();
    EXPECT_EQ(TMessageBox::Last().section('\n', 0, 0), "Projeto Tovisca - versão 1.4.0");
    EXPECT_GT(TMessageBox::Last().count('\n'), 0) << "authorship lines follow";
}

TEST_F(MainWindowTest, StartLowersThePriorityOfTheProcess) {
    TForm2 main;
    EXPECT_EQ(main.Priority(), TProcessPriority::Level::BelowNormal);
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, 0);
    ASSERT_EQ(errno, 0);
    EXPECT_GE(nice, TProcessPriority::BelowNormalNice);
}

TEST_F(MainWindowTest, RefusedPriorityIsReportedAndLeftUnticked) {
    TForm2 main;
    std::vector<int> asked;
    bool privileged = false;
    main.SetPrioritySetter([&](int nice) {
        asked.push_back(nice);
        return nice >= 0 || privileged; // as Linux treats an ordinary user
    });
    QAction* item = Action(main, "Definirprioridadeacimadonormal1");
    item->trigger();
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(main.Priority(), TProcessPriority::Level::BelowNormal);
    ASSERT_EQ(TMessageBox::Recorded().size(), 1);
    EXPECT_TRUE(TMessageBox::Last().contains("prioridade"));
    ASSERT_FALSE(asked.empty());
    EXPECT_LT(asked.back(), 0);

    // With the privilege the item ticks; unticking returns below normal.
    privileged = true;
    TMessageBox::ClearRecorded();
    item->trigger();
    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(main.Priority(), TProcessPriority::Level::AboveNormal);
    item->trigger();
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(main.Priority(), TProcessPriority::Level::BelowNormal);
    EXPECT_EQ(asked.back(), TProcessPriority::BelowNormalNice);
    EXPECT_TRUE(TMessageBox::Recorded().isEmpty());
}

TEST(ProcessPriority, RefusalKeepsTheLevel) {
    TProcessPriority priority([](int nice) { return nice > 0; });
    EXPECT_TRUE(priority.Set(TProcessPriority::Level::BelowNormal));
    EXPECT_FALSE(priority.Set(TProcessPriority::Level::AboveNormal));
    EXPECT_EQ(priority.Current(), TProcessPriority::Level::BelowNormal);
    TProcessPriority none(nullptr);
    EXPECT_FALSE(none.Set(TProcessPriority::Level::BelowNormal));
}

TEST(MessageBoxSeam, RecordsInsteadOfShowingAndAnswersQuestions) {
    TMessageBox::SetRecording(true, false);
    TMessageBox::ClearRecorded();
    TMessageBox::Show(nullptr, "um");
    EXPECT_FALSE(TMessageBox::Ask(nullptr, "dois?"));
    EXPECT_EQ(TMessageBox::Recorded(), QStringList({"um", "dois?"}));
    EXPECT_EQ(TMessageBox::Last(), "dois?");
    TMessageBox::SetRecording(true, true);
    EXPECT_TRUE(TMessageBox::Ask(nullptr, "três?"));
}

} // namespace
