#pragma once
// The manual's window: contents, index and full-text search on the left, the
// page on the right, all read from the compressed help collection through a
// QHelpEngine.
//
// The help engine writes into its collection (settings, the search index
// beside it), and an installed collection is read-only: the window works on
// a copy of the collection and its help file in the user's cache folder,
// refreshed whenever the installed files change.
//
// Ownership: the engine and every control are children of this window.
#include <QString>
#include <QUrl>
#include <QWidget>

class QHelpEngine;
class QLineEdit;
class QTabWidget;
class QTextBrowser;

class THelpWindow : public QWidget {
    Q_OBJECT
public:
    // collectionFile: the installed .qhc, with its .qch beside it.
    explicit THelpWindow(const QString& collectionFile, QWidget* parent = nullptr);
    ~THelpWindow() override;

    // Whether the collection could be opened and holds the manual.
    bool Ready() const { return ready_; }
    QHelpEngine* Engine() const { return engine_; }
    QTextBrowser* Browser() const { return browser_; }

    // The address of a page of the manual ("jogo.html").
    static QUrl PageUrl(const QString& page);
    // Shows a page of the manual and selects it in the contents.
    void ShowPage(const QString& page);
    // The page shown, relative to the manual's root ("jogo.html").
    QString CurrentPage() const;

private:
    static QString WorkingCopy(const QString& collectionFile);
    void BuildControls();
    void Show(const QUrl& url);

    QHelpEngine* engine_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QLineEdit* indexFilter_ = nullptr;
    QTextBrowser* browser_ = nullptr;
    bool ready_ = false;
};
