#pragma once
// "Baixar da Internet" of one game window: reads the game definition file,
// asks "Deseja baixar atualização do jogo?", runs the results update on a
// worker while the window's status bar shows its steps beside a "Cancelar"
// button, reports the outcome, and, when the data file was rewritten, has the
// window free its history and load the file again. "Importar resultados..."
// runs the same with the file the user chose, without the question.
//
// Ownership: one runner per game window, a child of it, made on first use.
// The runner owns the engine (TResultsUpdate); the engine never sees the
// window or its history: it gets the file name and the number of draws held.
// The history is freed only by the window's ReloadLottery, on the
// user-interface thread, after the worker has ended.
//
// Threading: TResultsUpdate::Execute runs on a QtConcurrent worker. Its status
// texts reach the window by queued calls, coalesced: the worker leaves the
// newest text in a mailbox and posts a call only while none is pending, so a
// table of a million rows cannot flood the event queue, texts never show out
// of order, and the last one is always shown. The result comes back through a
// future watcher on the user-interface thread, which alone touches widgets.
// The destructor asks the worker to stop and waits for it before the engine
// is freed; it touches no widget (the window's children may be gone).
#include "TResultsUpdate.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

class TForm2;
class TForm3;

class TUpdateRunner : public QObject {
    Q_OBJECT
public:
    using TResult = TResultsUpdate::TResult;

    // Makes "Baixar da Internet" of every game window of the main window run
    // the update through the window's runner.
    static void Install(TForm2& mainWindow);
    // The runner of a game window, made when it has none.
    static TUpdateRunner& Of(TForm3& game);

    explicit TUpdateRunner(TForm3& game);
    ~TUpdateRunner() override;

    // Given the engine before it reads the definition file (transfer limits).
    std::function<void(TResultsUpdate& update)> Setup;

    // The command (an import of `from` when it is given). Ignored while an
    // update of this window is under way.
    void Start(const QString& from = QString());
    // "Cancelar": the worker stops at its next step.
    void CancelUpdate();
    bool Running() const { return running_; }
    // The outcome of the last update that ended (Declined when the user said No).
    const std::optional<TResult>& LastResult() const { return last_; }
    QPushButton* CancelButton() const { return cancel_; }

signals:
    // Every text the update puts into the status bar, in the order shown.
    void StatusShown(const QString& text);
    // The update ended: its outcome was reported and, after a rewrite, the
    // window holds the new history.
    void Finished();

private:
    void PostStatus(const std::string& text); // any thread
    void ShowPendingStatus();
    void ShowStatus(const QString& text);
    void WorkerDone();
    // Reports the outcome; false when this runner went away meanwhile.
    bool Report(const TResult& result);
    void End(TResult result);

    TForm3& game_;
    QPointer<QPushButton> cancel_;
    bool running_ = false;
    bool wasEnabled_ = false;
    bool importWasEnabled_ = false;
    std::optional<TResult> last_;

    std::mutex statusMutex_;
    std::string pendingStatus_; // guarded by statusMutex_
    bool statusPosted_ = false; // guarded by statusMutex_

    std::unique_ptr<TResultsUpdate> update_;
    QFutureWatcher<TResult> watcher_;
};
