// Pictures of the program for the manual, the README and the metainfo, made
// by the program itself so that they never go stale:
//     tovisca-screenshots OUTPUT_FOLDER [NAME...]
// Each row of the table opens one window on a bundled game (offscreen unless
// a platform is set), runs its main action and saves NAME.png. Adding a
// window is one row.
#include "NumberText.h"
#include "TBetCheckForm.h"
#include "TForm10.h"
#include "TForm11.h"
#include "TForm12.h"
#include "TForm2.h"
#include "TForm3.h"
#include "TForm4.h"
#include "TForm5.h"
#include "TForm6.h"
#include "TForm7.h"
#include "TForm8.h"
#include "TForm9.h"
#include "THelpWindow.h"
#include "TInstallPaths.h"
#include "TMessageBox.h"
#include "TUpdateRunner.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Runs the event loop for a while, or until the condition holds.
void Wait(int milliseconds, const std::function<bool()>& done = [] { return false; }) {
    QDeadlineTimer deadline(milliseconds);
    QTimer tick;
    tick.start(20);
    while (!deadline.hasExpired() && !done()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    QApplication::processEvents();
}

template <typename T = QWidget> T* Child(QWidget* window, const char* name) {
    return window ? window->findChild<T*>(QString::fromLatin1(name)) : nullptr;
}

void Click(QWidget* window, const char* name) {
    if (auto* button = Child<QAbstractButton>(window, name)) button->click();
}

// "Analisar", then "Parar" after at most the given time; waits for the
// window to settle ("Parar" disabled again).
void Analyse(QWidget* window, int milliseconds, const char* start = "Button1", const char* stop = "Button3") {
    Click(window, start);
    auto* parar = Child<QAbstractButton>(window, stop);
    if (!parar) {
        Wait(300);
        return;
    }
    const auto idle = [parar] { return !parar->isEnabled(); };
    Wait(200);
    Wait(milliseconds, idle);
    if (!idle()) parar->click();
    Wait(20000, idle);
    Wait(300);
}

void SelectView(QWidget* window, const char* combo, int item) {
    if (auto* box = Child<QComboBox>(window, combo)) box->setCurrentIndex(item);
    Wait(300);
}

struct Shot {
    const char* name;
    // Opens the window on the game, runs its main action and returns what to
    // photograph (nullptr: the main window).
    std::function<QWidget*(TForm2& main, TForm3& game)> open;
};

QWidget* Analysis(TForm3& game, TLottery::WindowKind kind) {
    game.OpenAnalysis(kind);
    Wait(300);
    return game.AnalysisWindow(kind);
}

const std::vector<Shot> Shots{
    {"principal", [](TForm2&, TForm3&) -> QWidget* { return nullptr; }},
    {"jogo", [](TForm2&, TForm3& game) -> QWidget* { return &game; }},
    {"calculadora",
     [](TForm2& main, TForm3& game) -> QWidget* {
         game.CalculadoraCSN2Click();
         Wait(200);
         auto* calculator = main.findChild<TForm6*>();
         Click(calculator, "Button3");
         Click(calculator, "Button10");
         Wait(200);
         return calculator;
     }},
    {"lexicografica",
     [](TForm2&, TForm3& game) {
         QWidget* window = Analysis(game, TLottery::Lexicographic);
         Analyse(window, 4000);
         return window;
     }},
    {"atrasadas",
     [](TForm2&, TForm3& game) {
         QWidget* window = Analysis(game, TLottery::Delay);
         Analyse(window, 3000);
         return window;
     }},
    {"atrasadas-graficos",
     [](TForm2&, TForm3& game) {
         QWidget* window = Analysis(game, TLottery::Delay);
         SelectView(window, "ComboBox2", 7);
         return window;
     }},
    {"posicional",
     [](TForm2&, TForm3& game) {
         QWidget* window = Analysis(game, TLottery::Positional);
         Click(window, "Button2");
         Wait(300);
         return window;
     }},
    {"bayesiana",
     [](TForm2&, TForm3& game) {
         QWidget* window = Analysis(game, TLottery::Bayesian);
         Click(window, "Button2");
         Analyse(window, 5000);
         return window;
     }},
    {"recorrencial",
     [](TForm2&, TForm3& game) {
         QWidget* window = Analysis(game, TLottery::Recurrence);
         Analyse(window, 60000);
         Click(window, "Button2");
         return window;
     }},
    {"segmentacao",
     [](TForm2&, TForm3& game) {
         QWidget* window = Analysis(game, TLottery::Segmentation);
         if (auto* votes = Child<QLineEdit>(window, "Edit4")) votes->setText(QStringLiteral("20"));
         Analyse(window, 8000);
         return window;
     }},
    {"posicional-bayesiana",
     [](TForm2&, TForm3& game) {
         QWidget* window = Analysis(game, TLottery::PositionalBayesian);
         Click(window, "btAnalyse");
         Wait(500);
         return window;
     }},
    {"teste-retroativo",
     [](TForm2&, TForm3& game) {
         QWidget* window = Analysis(game, TLottery::Backtest);
         if (auto* contests = Child<QSpinBox>(window, "UpDown1")) contests->setValue(20);
         Analyse(window, 30000);
         return window;
     }},
    {"conferir-apostas",
     [](TForm2&, TForm3& game) {
         QWidget* window = Analysis(game, TLottery::BetCheck);
         if (auto* bets = Child<QPlainTextEdit>(window, "MemoBets"))
             bets->setPlainText(QStringLiteral("4 8 15 16 23 42\n5 10 20 30 40 50\n3 17 25 41 52 60 1 2"));
         Analyse(window, 10000);
         return window;
     }},
    {"ajuda",
     [](TForm2& main, TForm3&) -> QWidget* {
         main.Contedo1Click();
         THelpWindow* help = main.HelpWindow();
         if (!help) return nullptr;
         help->resize(1000, 640);
         Wait(500);
         help->ShowPage(QStringLiteral("jogo.html"));
         Wait(300);
         return help;
     }},
};

// A screenshot as a PNG of at most 256 colours, small enough to commit.
bool Save(const QPixmap& picture, const QString& file) {
    const QImage image = picture.toImage().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    return image.save(file, "PNG", 9);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tovisca"));
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "uso: tovisca-screenshots PASTA [NOME...]\n");
        return 2;
    }
    const QString output = arguments.at(1);
    const QStringList only = arguments.mid(2);
    const QString data = TInstallPaths::DataFolder();
    if (data.isEmpty() || !QDir().mkpath(output)) {
        std::fprintf(stderr, "tovisca-screenshots: sem pasta de dados ou de saída\n");
        return 1;
    }
    NumberText::SetDecimalSeparator(',');
    NumberText::SetThousandSeparator('.');
    TMessageBox::SetRecording(true, false);

    int failures = 0;
    for (const Shot& shot : Shots) {
        const QString name = QString::fromLatin1(shot.name);
        if (!only.isEmpty() && !only.contains(name)) continue;
        TForm2 main;
        TForm6::Install(main);
        TForm4::Install(main);
        TForm9::Install(main);
        TForm11::Install(main);
        TForm7::Install(main);
        TForm10::Install(main);
        TForm5::Install(main);
        TForm8::Install(main);
        TBetCheckForm::Install(main);
        TForm12::Install(main);
        TUpdateRunner::Install(main);
        main.resize(1280, 800);
        main.show();
        TForm3* game = main.OpenFile(data + QStringLiteral("/megasena.csv"));
        // The status bar shows the game where the package installs it, not
        // the build tree's copy.
        game->SetStatusText(QStringLiteral("/usr/share/tovisca/megasena.csv"));
        Wait(200);
        QWidget* window = shot.open(main, *game);
        QWidget* target = &main;
        if (window) {
            auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget());
            if (frame) {
                main.MdiArea()->setActiveSubWindow(frame);
                frame->move(0, 0);
                frame->resize(1100, 760);
                target = frame;
            } else {
                target = window;
            }
        }
        Wait(400);
        const QString file = output + QLatin1Char('/') + name + QStringLiteral(".png");
        if (Save(target->grab(), file)) {
            std::printf("%s\n", qPrintable(file));
        } else {
            std::fprintf(stderr, "tovisca-screenshots: %s não gravado\n", qPrintable(file));
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
