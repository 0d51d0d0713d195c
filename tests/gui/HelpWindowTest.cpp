// The manual and its window: every page reachable from the contents, no dead
// link, an index and a full-text search that find pages, and F1 in each
// window opening that window's page.
#include "GuiTestSupport.h"
#include "THelpTopics.h"
#include "THelpWindow.h"
#include "TInstallPaths.h"

#include <QHelpContentModel>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QRegularExpression>
#include <QSet>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>

namespace {

using namespace gui;

const QString Collection = QStringLiteral(TOVISCA_MANUAL_COLLECTION);

void CollectContents(const QHelpContentItem* item, QSet<QString>& pages) {
    if (!item) return;
    if (item->url().isValid()) pages.insert(item->url().toString(QUrl::RemoveFragment));
    for (int i = 0; i < item->childCount(); ++i) CollectContents(item->child(i), pages);
}

class HelpWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFileInfo::exists(Collection)) << Collection;
        help = std::make_unique<THelpWindow>(Collection);
        ASSERT_TRUE(help->Ready());
    }
    QHelpEngine& Engine() { return *help->Engine(); }
    std::unique_ptr<THelpWindow> help;
};

TEST_F(HelpWindowTest, EveryPageIsInTheContentsAndNoLinkIsDead) {
    QHelpContentModel* model = Engine().contentModel();
    WaitFor([&] { return !model->isCreatingContents() && model->rowCount() > 0; });
    QSet<QString> contents;
    for (int r = 0; r < model->rowCount(); ++r) CollectContents(model->contentItemAt(model->index(r, 0)), contents);

    const QList<QUrl> pages = Engine().files(QStringLiteral("io.github.tovisca.tovisca"), QString(), "html");
    ASSERT_GE(pages.size(), 17);
    const QRegularExpression link(QStringLiteral(R"re((?:href|src)="([^"]+)")re"));
    int links = 0;
    for (const QUrl& page : pages) {
        EXPECT_TRUE(contents.contains(page.toString())) << page.toString() << " is not in the contents";
        const QString html = QString::fromUtf8(Engine().fileData(page));
        EXPECT_TRUE(html.contains("<h1>")) << page.toString();
        for (auto match = link.globalMatch(html); match.hasNext();) {
            const QString target = match.next().captured(1);
            if (target.startsWith("http:") || target.startsWith("https:")) continue;
            const QUrl resolved = page.resolved(QUrl(target)).adjusted(QUrl::RemoveFragment);
            EXPECT_FALSE(Engine().fileData(resolved).isEmpty())
                << page.toString() << " links to the missing " << target;
            ++links;
        }
    }
    EXPECT_GT(links, 100);
    // The contents name no page that is not there either.
    for (const QString& entry : contents) EXPECT_FALSE(Engine().fileData(QUrl(entry)).isEmpty()) << entry;
    // Every window's page exists.
    for (const THelpTopic& topic : THelpTopics::Table())
        EXPECT_TRUE(contents.contains(THelpWindow::PageUrl(topic.page).toString())) << topic.page;
}

TEST_F(HelpWindowTest, IndexAndSearchFindPages) {
    const QList<QHelpLink> holm = Engine().documentsForKeyword("Holm");
    ASSERT_EQ(holm.size(), 1);
    EXPECT_EQ(holm.first().url, THelpWindow::PageUrl("teste-retroativo.html"));

    QHelpSearchEngine* search = Engine().searchEngine();
    bool indexed = false;
    QObject::connect(search, &QHelpSearchEngine::indexingFinished, [&] { indexed = true; });
    search->reindexDocumentation();
    WaitFor([&] { return indexed; });
    bool searched = false;
    QObject::connect(search, &QHelpSearchEngine::searchingFinished, [&] { searched = true; });
    // The index is written by a thread of its own and may still be settling
    // when it says it has finished: ask again for a while before judging.
    QStringList found;
    for (int attempt = 0; attempt < 100; ++attempt) {
        searched = false;
        search->search("hipergeométrica");
        WaitFor([&] { return searched; });
        found.clear();
        for (const QHelpSearchResult& result : search->searchResults(0, search->searchResultCount()))
            found.append(result.url().fileName());
        if (found.contains("teste-retroativo.html") && found.contains("acaso.html")) break;
        QTest::qWait(100);
    }
    EXPECT_TRUE(found.contains("teste-retroativo.html")) << found.join(", ");
    EXPECT_TRUE(found.contains("acaso.html")) << found.join(", ");
    EXPECT_FALSE(found.contains("calculadora.html")) << found.join(", ");

    help->ShowPage("acaso.html");
    EXPECT_EQ(help->CurrentPage(), "acaso.html");
    EXPECT_TRUE(help->Browser()->toPlainText().contains("Nenhuma análise pode prever um sorteio honesto"));
    // A link inside the page is followed within the manual.
    help->ShowPage("index.html");
    emit help->Browser()->anchorClicked(QUrl("jogo.html"));
    EXPECT_EQ(help->CurrentPage(), "jogo.html");
}

TEST(HelpCollectionTest, AnInstalledCollectionIsOnlyRead) {
    // Installed, the collection lies in a folder the user cannot write: the
    // window works on a copy and leaves nothing beside the original.
    TempFolder folder;
    const QString installed = QString::fromStdString(folder.Path().string());
    const QString manual = QFileInfo(Collection).absolutePath();
    ASSERT_TRUE(QFile::copy(manual + "/tovisca.qhc", installed + "/tovisca.qhc"));
    ASSERT_TRUE(QFile::copy(manual + "/tovisca.qch", installed + "/tovisca.qch"));
    {
        THelpWindow help(installed + "/tovisca.qhc");
        ASSERT_TRUE(help.Ready());
        help.ShowPage("posicional.html");
        WaitFor([&] { return !help.Engine()->contentModel()->isCreatingContents(); });
        WaitFor([&] { return help.Engine()->contentWidget()->currentIndex().isValid(); });
        // The contents mark the page shown.
        const QHelpContentItem* item =
            help.Engine()->contentModel()->contentItemAt(help.Engine()->contentWidget()->currentIndex());
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->url(), THelpWindow::PageUrl("posicional.html"));
    }
    EXPECT_EQ(QDir(installed).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"tovisca.qch", "tovisca.qhc"}));
}

class HelpKeyTest : public WindowTest {
protected:
    // F1 where the focus is; the page the help window then shows.
    QString F1(QWidget* focus) {
        main.activateWindow();
        QApplication::setActiveWindow(&main);
        focus->setFocus();
        QApplication::processEvents();
        if (main.HelpWindow()) main.HelpWindow()->Browser()->clear();
        QTest::keyClick(focus, Qt::Key_F1);
        return main.HelpWindow() ? main.HelpWindow()->CurrentPage() : QString();
    }
};

TEST_F(HelpKeyTest, F1OpensThePageOfTheFocusedWindow) {
    main.SetHelpFileName(Collection);
    EXPECT_EQ(F1(&main), "principal.html");
    ASSERT_NE(main.HelpWindow(), nullptr);
    EXPECT_TRUE(main.HelpWindow()->isVisible());

    TForm3* game = Open();
    EXPECT_EQ(F1(game->Grid()), "jogo.html");

    const std::vector<std::pair<TLottery::WindowKind, QString>> pages{
        {TLottery::Lexicographic, "lexicografica.html"}, {TLottery::Delay, "atrasadas.html"},
        {TLottery::Segmentation, "segmentacao.html"},    {TLottery::Bayesian, "bayesiana.html"},
        {TLottery::Positional, "posicional.html"},       {TLottery::Recurrence, "recorrencial.html"},
        {TLottery::PositionalBayesian, "posicional-bayesiana.html"},
    };
    for (const auto& [kind, page] : pages) {
        game->OpenAnalysis(kind);
        QWidget* window = game->AnalysisWindow(kind);
        ASSERT_NE(window, nullptr) << page;
        Activate(window);
        auto* grid = window->findChild<QAbstractItemView*>("sg1");
        EXPECT_EQ(F1(grid ? static_cast<QWidget*>(grid) : window), page);
    }
    game->CalculadoraCSN1Click();
    auto* calculator = main.findChild<TForm6*>();
    ASSERT_NE(calculator, nullptr);
    Activate(calculator);
    EXPECT_EQ(F1(Find(calculator, "Edit1")), "calculadora.html");

    // A focus in the main window's tool strip gives the active child's page.
    Activate(game);
    EXPECT_EQ(F1(Find(&main, "ToolStrip1")), "jogo.html");
    EXPECT_TRUE(TMessageBox::Recorded().isEmpty());
}

TEST_F(HelpKeyTest, WindowsKnownByTheirCaptionGetTheirPages) {
    main.SetHelpFileName(Collection);
    for (const auto& [caption, page] : std::vector<std::pair<QString, QString>>{
             {"Teste retroativo: megasena.csv", "teste-retroativo.html"},
             {"Conferir apostas: quina.csv", "conferir-apostas.html"}}) {
        auto* window = new QWidget;
        window->setWindowTitle(caption);
        auto* field = new QLineEdit(window);
        main.AddChild(window)->show();
        Activate(window);
        EXPECT_EQ(F1(field), page);
        CloseFrame(window);
    }
    // A caption that only begins like a known one is not taken for it.
    QWidget plain;
    plain.setWindowTitle("Teste retroativos");
    EXPECT_EQ(THelpTopics::PageOf(&plain), "");
}

TEST(InstallPathsTest, DataFolderBesideTheExecutable) {
    // The build tree mirrors the installed layout: its data folder holds the
    // bundled games and the manual.
    const QString data = TInstallPaths::DataFolderFrom(QStringLiteral(TOVISCA_APP_DIR));
    ASSERT_FALSE(data.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(data + "/megasena.csv"));
    EXPECT_EQ(QFileInfo(data + "/manual/tovisca.qhc").canonicalFilePath(), QFileInfo(Collection).canonicalFilePath());
    // No data folder where no games are.
    TempFolder empty;
    EXPECT_TRUE(TInstallPaths::DataFolderFrom(QString::fromStdString(empty.Path().string())).isEmpty());
    EXPECT_EQ(TInstallPaths::DesktopId(), "io.github.tovisca.Tovisca");
}

} // namespace
