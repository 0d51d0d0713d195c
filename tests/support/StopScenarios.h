#pragma once
// The longest run of every window kind, started with large settings inside a
// main window, and the two measurements made on it: how long the run takes
// to end after "Parar" (or what stands for it), and how long closing the
// window holds the interface and how long the window takes to go. Shared by
// the window test (generous bounds) and bench_stop (the figures).
//
// Every measurement runs the event loop as the program does; the interface
// is "held" for the longest stretch in which the loop did not come round
// (a timer ticks every few milliseconds and the largest gap between ticks is
// kept), or the close call itself when it is longer.
#include "TAnalysisForm.h"
#include "TChartView.h"
#include "TFileDialog.h"
#include "TForm10.h"
#include "TForm2.h"
#include "TForm3.h"
#include "TForm4.h"
#include "TForm5.h"
#include "TForm6.h"
#include "TForm7.h"
#include "TForm8.h"
#include "TInputBox.h"
#include "TMessageBox.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace stop {

inline QString DataDir() {
    return QStringLiteral(TOVISCA_DATA_DIR);
}

template <typename T = QWidget> T* Child(const QObject* parent, const char* name) {
    return parent ? parent->findChild<T*>(QString::fromLatin1(name)) : nullptr;
}
inline void Click(const QObject* parent, const char* name) {
    if (auto* button = Child<QAbstractButton>(parent, name)) button->click();
}
inline void Trigger(const QObject* parent, const char* name) {
    if (auto* action = Child<QAction>(parent, name)) action->trigger();
}
inline void SetText(const QObject* parent, const char* name, const QString& text) {
    if (auto* edit = Child<QLineEdit>(parent, name)) edit->setText(text);
}
inline QString Memo(const QObject* parent) {
    auto* memo = Child<QPlainTextEdit>(parent, "Memo1");
    return memo ? memo->toPlainText() : QString();
}
inline QString LabelText(const QObject* parent, const char* name) {
    auto* label = Child<QLabel>(parent, name);
    return label ? label->text() : QString();
}
inline bool Enabled(const QObject* parent, const char* name) {
    auto* widget = Child<QWidget>(parent, name);
    return widget && widget->isEnabled();
}

// Runs the event loop while condition holds false, at most limit seconds.
// Returns the seconds it took, and the longest stretch without the loop
// coming round in `held`.
inline double RunLoopUntil(const std::function<bool()>& condition, double limit, double* held = nullptr) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    tick.start(2);
    while (!condition() && clock.nsecsElapsed() < static_cast<qint64>(limit * 1e9))
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    const qint64 now = clock.nsecsElapsed();
    longest = std::max(longest, now - last);
    QApplication::processEvents();
    if (held) *held = static_cast<double>(longest) / 1e9;
    return static_cast<double>(now) / 1e9;
}
inline void Spin(double seconds) {
    if (seconds >= 0) RunLoopUntil([] { return false; }, seconds);
}

// The window a run lives in, its frame and whether its run goes on.
inline bool AnalysisRunning(const QWidget* window) {
    const auto* form = qobject_cast<const TAnalysisForm*>(window);
    return form && form->Running();
}
inline QWidget* FrameOf(QWidget* window) {
    auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget());
    return frame ? frame : window;
}

// Registers the window kinds with a main window, as the program does.
inline void Install(TForm2& main) {
    TForm4::Install(main);
    TForm5::Install(main);
    TForm6::Install(main);
    TForm7::Install(main);
    TForm8::Install(main);
    TForm10::Install(main);
}

struct Scenario {
    std::string Name;
    // Opens what the run needs in the main window and starts it; returns
    // the window the run belongs to (null when it could not start).
    std::function<QWidget*(TForm2& main)> Start;
    std::function<bool(const QWidget*)> Running = AnalysisRunning;
    // "Parar", or what ends the run in that window.
    std::function<void(QWidget*)> Stop = [](QWidget* window) { Click(window, "Button3"); };
    // What the window shows once stopped: empty when it is what a stopped
    // run shows, otherwise what is wrong.
    std::function<std::string(QWidget*)> Stopped;
    // How long the run goes on before it is stopped or closed; below 0, it is
    // stopped before the event loop comes round (a run too short to catch).
    double Warm = 0.5;
    // The window's "Preview" after the run redraws so much on the interface
    // thread that it holds it for long by itself (not the run's doing).
    bool SlowPreview = false;
};

inline std::string Expect(bool condition, const std::string& what) {
    return condition ? std::string() : what + "; ";
}
// The frame's buttons after a run: "Analisar" back, "Parar" off.
inline std::string FrameIdle(QWidget* window) {
    return Expect(Enabled(window, "Button1"), "Analisar disabled") +
           Expect(!Enabled(window, "Button3"), "Parar enabled");
}

inline QWidget* OpenAnalysis(TForm2& main, const QString& file, const char* command,
                             TLottery::WindowKind kind) {
    TForm3* game = main.OpenFile(DataDir() + file);
    if (!game || !game->Loaded()) return nullptr;
    Trigger(game, command);
    return game->AnalysisWindow(kind);
}

// Every window kind's longest run. scratch: a writable folder (bookmarks).
inline std::vector<Scenario> Scenarios(const QString& scratch) {
    std::vector<Scenario> all;

    all.push_back({"Segmentação, 5000 votos (Mega-Sena)",
                   [](TForm2& main) -> QWidget* {
                       QWidget* window = OpenAnalysis(main, "/megasena.csv", "Anlisebase51", TLottery::Segmentation);
                       SetText(window, "Edit4", QStringLiteral("5000"));
                       Click(window, "Button1");
                       return window;
                   },
                   AnalysisRunning,
                   [](QWidget* window) { Click(window, "Button3"); },
                   [](QWidget* window) {
                       return Expect(Memo(window).startsWith(QStringLiteral("Votos: 5000\nTovisca\tPeso\n")),
                                     "memo " + Memo(window).left(60).toStdString()) +
                              Expect(LabelText(window, "Label5") == QStringLiteral("Previsão"),
                                     "Label5 " + LabelText(window, "Label5").toStdString()) +
                              FrameIdle(window);
                   },
                   3.0});

    all.push_back({"Segmentação, 2000 votos (Lotofácil)",
                   [](TForm2& main) -> QWidget* {
                       QWidget* window = OpenAnalysis(main, "/lotofacil.csv", "Anlisebase51", TLottery::Segmentation);
                       SetText(window, "Edit4", QStringLiteral("2000"));
                       Click(window, "Button1");
                       return window;
                   },
                   AnalysisRunning,
                   [](QWidget* window) { Click(window, "Button3"); },
                   [](QWidget* window) {
                       return Expect(Memo(window).startsWith(QStringLiteral("Votos: 2000\nTovisca\tPeso\n")),
                                     "memo " + Memo(window).left(60).toStdString()) +
                              FrameIdle(window);
                   },
                   3.0});

    all.push_back({"Lexicográfica, treino sem fim",
                   [](TForm2& main) -> QWidget* {
                       auto* window = qobject_cast<TForm4*>(OpenAnalysis(main, "/megasena.csv",
                                                                         "Anliselexicogrfica1", TLottery::Lexicographic));
                       if (!window) return nullptr;
                       window->Engine().MaxPasses = 0;
                       Click(window, "Button1");
                       return window;
                   },
                   AnalysisRunning,
                   [](QWidget* window) { Click(window, "Button3"); },
                   [](QWidget* window) {
                       return Expect(Memo(window) != QStringLiteral("Analisando, aguarde"), "memo unchanged") +
                              FrameIdle(window);
                   }});

    all.push_back({"Lexicográfica, Todas as bolas",
                   [](TForm2& main) -> QWidget* {
                       QWidget* window = OpenAnalysis(main, "/megasena.csv", "Anliselexicogrfica1",
                                                      TLottery::Lexicographic);
                       auto* combo = Child<QComboBox>(window, "ComboBox1");
                       if (!combo) return nullptr;
                       combo->setCurrentIndex(combo->count() - 1);
                       SetText(window, "Edit4", QStringLiteral("100000"));
                       Click(window, "Button1");
                       return window;
                   },
                   AnalysisRunning,
                   [](QWidget* window) { Click(window, "Button3"); },
                   [](QWidget* window) {
                       return Expect(LabelText(window, "Label5") == QStringLiteral("Previsão"),
                                     "Label5 " + LabelText(window, "Label5").toStdString()) +
                              FrameIdle(window);
                   }});

    all.push_back({"Lexicográfica, Gerar bookmark",
                   [scratch](TForm2& main) -> QWidget* {
                       QWidget* window = OpenAnalysis(main, "/megasena.csv", "Anliselexicogrfica1",
                                                      TLottery::Lexicographic);
                       TInputBox::Script({QStringLiteral("100000")});
                       TFileDialog::Script({scratch + QStringLiteral("/gerar.net")});
                       Trigger(window, "Gerar1");
                       return window;
                   },
                   AnalysisRunning,
                   // Unticking "Ñ analisar 2 últimos itens" ends the generation.
                   [](QWidget* window) { Click(window, "CheckBox2"); },
                   [](QWidget* window) {
                       return Expect(TMessageBox::Last() == QStringLiteral("Fim da geração do bookmark"),
                                     "last message " + TMessageBox::Last().toStdString()) +
                              Expect(LabelText(window, "Label5") == QStringLiteral("Previsão"), "Label5") +
                              FrameIdle(window);
                   }});

    all.push_back({"Atrasadas, treino sem fim",
                   [](TForm2& main) -> QWidget* {
                       auto* window = qobject_cast<TForm5*>(
                           OpenAnalysis(main, "/megasena.csv", "Anliseatrasadas1", TLottery::Delay));
                       if (!window) return nullptr;
                       window->Engine().MaxPasses = 0;
                       Click(window, "Button1");
                       return window;
                   },
                   AnalysisRunning,
                   [](QWidget* window) { Click(window, "Button3"); },
                   [](QWidget* window) { return FrameIdle(window); }});

    all.push_back({"Bayesiana, Melhor comb.",
                   [](TForm2& main) -> QWidget* {
                       QWidget* window =
                           OpenAnalysis(main, "/megasena.csv", "Anlisebayesiana1", TLottery::Bayesian);
                       Click(window, "Button5");
                       return window;
                   },
                   AnalysisRunning,
                   [](QWidget* window) { Click(window, "Button3"); },
                   [](QWidget* window) {
                       return Expect(Memo(window).startsWith(QStringLiteral("Posição (Vitórias):\tCSN")),
                                     "memo " + Memo(window).left(60).toStdString()) +
                              Expect(Enabled(window, "Button5"), "Melhor comb. disabled") + FrameIdle(window);
                   }});

    all.push_back({"Bayesiana, árvore (Lotomania)",
                   [](TForm2& main) -> QWidget* {
                       QWidget* window =
                           OpenAnalysis(main, "/lotomania.csv", "Anlisebayesiana1", TLottery::Bayesian);
                       auto* combo = Child<QComboBox>(window, "ComboBox1");
                       auto* sample = Child<QSpinBox>(window, "UpDown1");
                       if (!combo || !sample) return nullptr;
                       sample->setValue(sample->maximum()); // the whole history
                       combo->setCurrentIndex(combo->count() - 1); // "Todas as dezenas"
                       Click(window, "Button1");
                       return window;
                   },
                   AnalysisRunning,
                   [](QWidget* window) { Click(window, "Button3"); },
                   [](QWidget* window) {
                       auto* tree = Child<QTreeWidget>(window, "tv1");
                       return Expect(Memo(window) == QStringLiteral("Análise finalizada."),
                                     "memo " + Memo(window).toStdString()) +
                              Expect(tree && tree->topLevelItemCount() == 1 &&
                                         tree->topLevelItem(0)->text(0) == QStringLiteral("P(*)"),
                                     "no partial tree") +
                              FrameIdle(window);
                   },
                   -1,   // the whole tree takes a fraction of a second: stopped at once
                   true}); // n x n bars of Lotomania's pair chart

    const auto recurrence = [](const char* option) {
        return [option](TForm2& main) -> QWidget* {
            QWidget* window = OpenAnalysis(main, "/megasena.csv", "Anliserecorrencial1", TLottery::Recurrence);
            if (option) Click(window, option);
            Click(window, "Button1");
            return window;
        };
    };
    const auto recurrenceStopped = [](QWidget* window) {
        const QStringList lines = Memo(window).split(QLatin1Char('\n'));
        return Expect(lines.value(0) == QStringLiteral("Finalizado."), "memo " + lines.value(0).toStdString()) +
               Expect(lines.value(1).startsWith(QStringLiteral("Busca interrompida: ")),
                      "memo " + lines.value(1).toStdString()) +
               FrameIdle(window);
    };
    all.push_back({"Recorrencial, busca", recurrence(nullptr), AnalysisRunning,
                   [](QWidget* window) { Click(window, "Button3"); }, recurrenceStopped});
    all.push_back({"Recorrencial, dupla combinação", recurrence("opDupla"), AnalysisRunning,
                   [](QWidget* window) { Click(window, "Button3"); }, recurrenceStopped});
    all.push_back({"Recorrencial, recorrência consecutiva", recurrence("opRecoFinal"), AnalysisRunning,
                   [](QWidget* window) { Click(window, "Button3"); }, recurrenceStopped});
    // On an idle machine these searches end in about half a second: each is
    // stopped as soon as it runs.
    for (size_t i = all.size() - 3; i < all.size(); ++i) all[i].Warm = 0;
    all.push_back({"Recorrencial, filtro",
                   [](TForm2& main) -> QWidget* {
                       QWidget* window =
                           OpenAnalysis(main, "/megasena.csv", "Anliserecorrencial1", TLottery::Recurrence);
                       Click(window, "opFiltroRec");
                       TInputBox::Script({QStringLiteral("2"), QStringLiteral("0")});
                       Click(window, "Button1");
                       return window;
                   },
                   AnalysisRunning,
                   [](QWidget* window) { Click(window, "Button3"); },
                   [](QWidget* window) {
                       return Expect(Memo(window).contains(QStringLiteral("Busca interrompida: ")),
                                     "memo " + Memo(window).left(80).toStdString()) +
                              FrameIdle(window);
                   }});

    all.push_back({"Calculadora, Ranking (Lotomania)",
                   [](TForm2& main) -> QWidget* {
                       TForm6* form = TForm6::Open(&main);
                       SetText(form, "Edit2", QStringLiteral("100"));
                       SetText(form, "Edit3", QStringLiteral("20"));
                       Click(form, "Button4");
                       SetText(form, "Edit1", QStringLiteral("1e20"));
                       Click(form, "Button3");
                       return form;
                   },
                   [](const QWidget* window) {
                       const auto* form = qobject_cast<const TForm6*>(window);
                       return form && form->RankingRunning();
                   },
                   [](QWidget* window) { Click(window, "Button3"); },
                   [](QWidget* window) {
                       return Expect(Memo(window) == QStringLiteral("Bola\tVotos\nRanking interrompido."),
                                     "memo " + Memo(window).toStdString());
                   }});

    all.push_back({"Calculadora, Rede Neural",
                   [](TForm2& main) -> QWidget* {
                       TForm3* game = main.OpenFile(DataDir() + QStringLiteral("/megasena.csv"));
                       Trigger(game, "CalculadoraCSN1");
                       TForm6* form = TForm6::Instance();
                       if (!form) return nullptr;
                       SetText(form, "Edit6", QStringLiteral("14086154"));
                       Click(form, "opHist");
                       form->PopupMenu1Popup(form->Chart());
                       Trigger(form->PopupMenu(), "Anlisesemaltimacombinao1");
                       return form;
                   },
                   [](const QWidget* window) {
                       const auto* form = qobject_cast<const TForm6*>(window);
                       return form && form->NetworkRunning();
                   },
                   [](QWidget* window) {
                       if (auto* form = qobject_cast<TForm6*>(window)) Trigger(form->PopupMenu(), "Pararanlisedarede1");
                   },
                   [](QWidget*) {
                       return Expect(TMessageBox::Last() == QStringLiteral("Análise finalizada"),
                                     "last message " + TMessageBox::Last().toStdString());
                   }});
    return all;
}

struct Times {
    double Ended = -1; // seconds from the command to the end of the run (or the window's going)
    double Held = 0;   // the longest stretch the interface did not answer meanwhile
};

// Presses the scenario's stop and runs the loop until the run has ended.
inline Times TimeStop(const Scenario& scenario, QWidget* window, double limit) {
    QElapsedTimer clock;
    clock.start();
    scenario.Stop(window);
    const double call = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    Times times;
    const QPointer<QWidget> alive(window);
    const double loop = RunLoopUntil([&] { return !alive || !scenario.Running(alive); }, limit, &times.Held);
    times.Held = std::max(times.Held, call);
    if (alive && !scenario.Running(alive)) times.Ended = call + loop;
    return times;
}

// Closes window's frame (or, with game, the game window's) and runs the loop
// until every watched window has gone.
inline Times TimeClose(QWidget* target, std::vector<QPointer<QWidget>> watched, double limit) {
    QElapsedTimer clock;
    clock.start();
    target->close();
    const double call = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    Times times;
    const auto gone = [&] {
        return std::all_of(watched.begin(), watched.end(), [](const QPointer<QWidget>& w) { return w.isNull(); });
    };
    const double loop = RunLoopUntil(
        [&] {
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return gone();
        },
        limit, &times.Held);
    times.Held = std::max(times.Held, call);
    if (gone()) times.Ended = call + loop;
    return times;
}

// Analysis windows' workers still inside their work. (The calculator waits
// for its own workers when it goes.) Not the thread pool's count: Qt itself
// converts and scales large images on that pool while windows paint.
inline int ActiveWorkers() {
    return TAnalysisForm::LiveWorkers();
}

} // namespace stop
