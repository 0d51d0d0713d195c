#include "THelpWindow.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHelpContentModel>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QHelpSearchQueryWidget>
#include <QHelpSearchResultWidget>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QStandardPaths>
#include <QStyle>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const QString Namespace = QStringLiteral("io.github.tovisca.tovisca");
const QString Folder = QStringLiteral("manual");

// A text browser that reads qthelp: addresses from the help engine and opens
// addresses outside the manual in the desktop's browser.
class THelpBrowser : public QTextBrowser {
public:
    THelpBrowser(QHelpEngine& engine, QWidget* parent) : QTextBrowser(parent), engine_(engine) {
        setOpenLinks(false);
        connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
            if (url.scheme() == QStringLiteral("qthelp") || url.isRelative())
                setSource(url.isRelative() ? source().resolved(url) : url);
            else
                QDesktopServices::openUrl(url);
        });
    }
    QVariant loadResource(int type, const QUrl& name) override {
        const QUrl url = name.isRelative() ? source().resolved(name) : name;
        if (url.scheme() == QStringLiteral("qthelp")) return engine_.fileData(url);
        return QTextBrowser::loadResource(type, name);
    }

private:
    QHelpEngine& engine_;
};

// Copies a file when the copy is missing or differs in size or time.
bool Refresh(const QString& from, const QString& to) {
    const QFileInfo source(from), copy(to);
    if (copy.exists() && copy.size() == source.size() && copy.lastModified() == source.lastModified()) return true;
    QFile::remove(to);
    if (!QFile::copy(from, to)) return false;
    QFile file(to);
    file.setPermissions(file.permissions() | QFileDevice::WriteOwner);
    if (file.open(QIODevice::ReadWrite)) file.setFileTime(source.lastModified(), QFileDevice::FileModificationTime);
    return true;
}

} // namespace

THelpWindow::THelpWindow(const QString& collectionFile, QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Ajuda do Tovisca"));
    resize(1000, 700);
    const QString working = WorkingCopy(collectionFile);
    engine_ = new QHelpEngine(working.isEmpty() ? collectionFile : working, this);
    engine_->setReadOnly(working.isEmpty());
    ready_ = engine_->setupData() && engine_->registeredDocumentations().contains(Namespace);
    BuildControls();
    if (ready_) engine_->searchEngine()->reindexDocumentation();
}

THelpWindow::~THelpWindow() = default;

QString THelpWindow::WorkingCopy(const QString& collectionFile) {
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (cache.isEmpty()) return {};
    const QString folder = cache + QStringLiteral("/manual");
    if (!QDir().mkpath(folder)) return {};
    const QFileInfo collection(collectionFile);
    const QString help = collection.absolutePath() + QStringLiteral("/tovisca.qch");
    const QString copy = folder + QLatin1Char('/') + collection.fileName();
    if (!Refresh(help, folder + QStringLiteral("/tovisca.qch"))) return {};
    if (!Refresh(collectionFile, copy)) return {};
    return copy;
}

void THelpWindow::BuildControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* tools = new QToolBar(this);
    tools->setObjectName(QStringLiteral("HelpToolBar"));
    layout->addWidget(tools);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    layout->addWidget(splitter, 1);

    tabs_ = new QTabWidget(splitter);
    tabs_->setObjectName(QStringLiteral("HelpTabs"));
    QHelpContentWidget* contents = engine_->contentWidget();
    contents->setObjectName(QStringLiteral("HelpContents"));
    tabs_->addTab(contents, QStringLiteral("Conteúdo"));

    auto* indexPage = new QWidget(tabs_);
    auto* indexLayout = new QVBoxLayout(indexPage);
    indexFilter_ = new QLineEdit(indexPage);
    indexFilter_->setObjectName(QStringLiteral("HelpIndexFilter"));
    indexFilter_->setPlaceholderText(QStringLiteral("Procurar no índice"));
    QHelpIndexWidget* index = engine_->indexWidget();
    index->setObjectName(QStringLiteral("HelpIndex"));
    indexLayout->addWidget(indexFilter_);
    indexLayout->addWidget(index, 1);
    tabs_->addTab(indexPage, QStringLiteral("Índice"));

    auto* searchPage = new QWidget(tabs_);
    auto* searchLayout = new QVBoxLayout(searchPage);
    QHelpSearchEngine* search = engine_->searchEngine();
    QHelpSearchQueryWidget* query = search->queryWidget();
    query->setObjectName(QStringLiteral("HelpSearchQuery"));
    QHelpSearchResultWidget* results = search->resultWidget();
    results->setObjectName(QStringLiteral("HelpSearchResults"));
    searchLayout->addWidget(query);
    searchLayout->addWidget(results, 1);
    tabs_->addTab(searchPage, QStringLiteral("Pesquisa"));

    browser_ = new THelpBrowser(*engine_, splitter);
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    splitter->setStretchFactor(1, 3);
    splitter->setSizes({260, 740});

    QAction* back = tools->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Voltar"));
    back->setObjectName(QStringLiteral("HelpBack"));
    back->setEnabled(false);
    QAction* forward =
        tools->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Avançar"));
    forward->setObjectName(QStringLiteral("HelpForward"));
    forward->setEnabled(false);
    QAction* home = tools->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("Início"));
    home->setObjectName(QStringLiteral("HelpHome"));
    connect(back, &QAction::triggered, browser_, &QTextBrowser::backward);
    connect(forward, &QAction::triggered, browser_, &QTextBrowser::forward);
    connect(home, &QAction::triggered, this, [this] { ShowPage(QStringLiteral("index.html")); });
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);

    connect(contents, &QHelpContentWidget::linkActivated, this, &THelpWindow::Show);
    // The contents are built on a worker after the set-up: open the tree and
    // mark the page shown once they are there.
    connect(engine_->contentModel(), &QHelpContentModel::contentsCreated, this, [this, contents] {
        contents->expandToDepth(0);
        const QModelIndex item = contents->indexOf(browser_->source());
        if (item.isValid()) contents->setCurrentIndex(item);
    });
    connect(indexFilter_, &QLineEdit::textChanged, index, [index](const QString& text) { index->filterIndices(text); });
    connect(indexFilter_, &QLineEdit::returnPressed, index, &QHelpIndexWidget::activateCurrentItem);
    connect(index, &QHelpIndexWidget::documentActivated, this,
            [this](const QHelpLink& link, const QString&) { Show(link.url); });
    connect(index, &QHelpIndexWidget::documentsActivated, this,
            [this](const QList<QHelpLink>& links, const QString&) {
                if (!links.isEmpty()) Show(links.first().url);
            });
    connect(query, &QHelpSearchQueryWidget::search, search,
            [search, query] { search->search(query->searchInput()); });
    connect(results, &QHelpSearchResultWidget::requestShowLink, this, &THelpWindow::Show);

    if (!ready_) browser_->setHtml(QStringLiteral("<p>Não foi possível abrir o manual.</p>"));
}

QUrl THelpWindow::PageUrl(const QString& page) {
    return QUrl(QStringLiteral("qthelp://%1/%2/%3").arg(Namespace, Folder, page));
}

void THelpWindow::ShowPage(const QString& page) {
    Show(PageUrl(page));
}

void THelpWindow::Show(const QUrl& url) {
    if (!ready_) return;
    browser_->setSource(url);
    const QModelIndex item = engine_->contentWidget()->indexOf(url);
    if (item.isValid()) engine_->contentWidget()->setCurrentIndex(item);
}

QString THelpWindow::CurrentPage() const {
    const QString prefix = PageUrl(QString()).toString();
    const QString shown = browser_->source().toString(QUrl::RemoveFragment);
    return shown.startsWith(prefix) ? shown.mid(prefix.size()) : shown;
}
