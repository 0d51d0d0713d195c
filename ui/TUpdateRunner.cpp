#include "TUpdateRunner.h"

#include "TForm2.h"
#include "TForm3.h"
#include "TMessageBox.h"

#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QStatusBar>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>
#include <exception>
#include <utility>

namespace {

using TOutcome = TResultsUpdate::TOutcome;

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

TMessageBox::Kind KindOf(TOutcome outcome) {
    switch (outcome) {
    case TOutcome::Updated:
    case TOutcome::NoDefinition:
    case TOutcome::Declined:
    case TOutcome::Cancelled:
        return TMessageBox::Kind::Information;
    case TOutcome::NoUrl:
    case TOutcome::InvalidDefinition:
    case TOutcome::DownloadFailed:
    case TOutcome::FewerDraws:
    case TOutcome::Rejected:
    case TOutcome::Forbidden:
        return TMessageBox::Kind::Warning;
    case TOutcome::Failed:
        break;
    }
    return TMessageBox::Kind::Error;
}

// The engine on the worker. Whatever it throws (memory running out) comes
// back as a failure instead of ending the program from a worker thread.
TResultsUpdate::TResult ExecuteGuarded(TResultsUpdate* update) {
    try {
        return update->Execute();
    } catch (const std::exception& error) {
        TResultsUpdate::TResult result;
        result.Outcome = TOutcome::Failed;
        result.Message = "Ocorreu um erro na atualização do jogo.";
        result.Detail = error.what();
        return result;
    }
}

} // namespace

void TUpdateRunner::Install(TForm2& mainWindow) {
    mainWindow.SetUpdateRunner([](TForm3& game) { Of(game).Start(); });
    mainWindow.SetImportRunner([](TForm3& game, const QString& fileName) { Of(game).Start(fileName); });
}

TUpdateRunner& TUpdateRunner::Of(TForm3& game) {
    if (auto* runner = game.findChild<TUpdateRunner*>(QString(), Qt::FindDirectChildrenOnly)) return *runner;
    return *new TUpdateRunner(game);
}

TUpdateRunner::TUpdateRunner(TForm3& game) : QObject(&game), game_(game) {
    setObjectName(QStringLiteral("UpdateRunner"));
    cancel_ = new QPushButton(QStringLiteral("Cancelar"), game.StatusBar());
    cancel_->setObjectName(QStringLiteral("CancelarAtualizacao"));
    cancel_->setFocusPolicy(Qt::NoFocus);
    game.StatusBar()->addPermanentWidget(cancel_);
    cancel_->hide();
    connect(cancel_, &QPushButton::clicked, this, &TUpdateRunner::CancelUpdate);
    connect(&watcher_, &QFutureWatcher<TResult>::finished, this, &TUpdateRunner::WorkerDone);
}

TUpdateRunner::~TUpdateRunner() {
    // The window is going away (its widgets may already be gone): only stop
    // the worker and wait for it, so the engine outlives its last step.
    if (update_) update_->Cancel = true;
    watcher_.disconnect(this);
    watcher_.waitForFinished();
}

void TUpdateRunner::Start(const QString& from) {
    if (running_) return;
    const TLottery* lottery = game_.Lottery();
    const int32_t held = lottery && lottery->Loaded ? lottery->DrawCount : 0;
    update_ = std::make_unique<TResultsUpdate>(QFile::encodeName(game_.FileName()).toStdString(), held);
    update_->OnStatus = [this](const std::string& text) { PostStatus(text); };
    update_->From = QFile::encodeName(from).toStdString();
    if (Setup) Setup(*update_);

    if (std::optional<TResult> stopped = update_->Prepare()) {
        End(std::move(*stopped));
        return;
    }
    // From the question on the command is busy: a second click while the box
    // is open is ignored.
    running_ = true;
    const QPointer<TUpdateRunner> self(this);
    // The user who chose a file to import has already said what to do.
    const bool yes = !from.isEmpty() || TMessageBox::Ask(&game_, Text(TResultsUpdate::ConfirmText));
    if (!self) return;
    if (!yes) {
        TResult declined;
        declined.Outcome = TOutcome::Declined;
        End(std::move(declined));
        return;
    }

    QAction* action = game_.DownloadAction();
    wasEnabled_ = action->isEnabled();
    action->setEnabled(false);
    importWasEnabled_ = game_.ImportAction()->isEnabled();
    game_.ImportAction()->setEnabled(false);
    cancel_->setEnabled(true);
    cancel_->show();
    watcher_.setFuture(QtConcurrent::run([update = update_.get()] { return ExecuteGuarded(update); }));
}

void TUpdateRunner::CancelUpdate() {
    if (!update_ || !watcher_.isRunning()) return;
    update_->Cancel = true;
    cancel_->setEnabled(false);
}

void TUpdateRunner::PostStatus(const std::string& text) {
    if (QThread::currentThread() == thread()) {
        ShowStatus(QString::fromStdString(text));
        return;
    }
    std::lock_guard lock(statusMutex_);
    pendingStatus_ = text;
    if (statusPosted_) return;
    statusPosted_ = true;
    // Dropped with this runner if it goes first; the destructor waits for the
    // worker, so `this` outlives every call of this function.
    QMetaObject::invokeMethod(this, &TUpdateRunner::ShowPendingStatus, Qt::QueuedConnection);
}

void TUpdateRunner::ShowPendingStatus() {
    std::string text;
    {
        std::lock_guard lock(statusMutex_);
        if (!statusPosted_) return;
        statusPosted_ = false;
        text = std::move(pendingStatus_);
    }
    ShowStatus(QString::fromStdString(text));
}

void TUpdateRunner::ShowStatus(const QString& text) {
    game_.SetStatusText(text);
    emit StatusShown(text);
}

void TUpdateRunner::WorkerDone() {
    // The worker's last text, in case its call is still queued.
    ShowPendingStatus();
    TResult result = watcher_.result();
    cancel_->hide();
    game_.DownloadAction()->setEnabled(wasEnabled_);
    game_.ImportAction()->setEnabled(importWasEnabled_);
    End(std::move(result));
}

void TUpdateRunner::End(TResult result) {
    update_.reset();
    last_ = result;
    if (!Report(result)) return;
    // The data file was rewritten: the analysis windows and the calculator
    // let go of the history, which is freed and read again.
    if (result.ReloadHistory()) game_.ReloadLottery();
    running_ = false;
    emit Finished();
}

bool TUpdateRunner::Report(const TResult& result) {
    if (result.Outcome == TOutcome::Declined || result.Message.empty()) return true;
    QString message = QString::fromStdString(result.Message);
    message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // A modal box runs its own event loop: the window may go meanwhile.
    const QPointer<TUpdateRunner> self(this);
    TMessageBox::Show(&game_, message, QString::fromStdString(result.Detail), KindOf(result.Outcome));
    return !self.isNull();
}
