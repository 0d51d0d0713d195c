// The analyser's window program: the main window, and a game window for each
// file named on the command line.
#include "TBetCheckForm.h"
#include "TForm2.h"
#include "TForm4.h"
#include "TForm9.h"
#include "TForm11.h"
#include "TForm7.h"
#include "TForm10.h"
#include "TForm5.h"
#include "TForm8.h"
#include "TForm12.h"
#include "TForm6.h"
#include "TInstallPaths.h"
#include "TLocalization.h"
#include "TUpdateRunner.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QStringList>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tovisca"));
    // No display name: the toolkit would append it to every window title,
    // and the main window's title already says it.
    QApplication::setApplicationVersion(QStringLiteral("1.4.0"));
    // The desktop entry, metainfo and icon share this id.
    QGuiApplication::setDesktopFileName(TInstallPaths::DesktopId());
    QApplication::setWindowIcon(QIcon::fromTheme(TInstallPaths::DesktopId()));

    TLocalization::Install(app);

    TForm2 mainWindow;
    TForm6::Install(mainWindow);
    TForm4::Install(mainWindow);
    TForm9::Install(mainWindow);
    TForm11::Install(mainWindow);
    TForm7::Install(mainWindow);
    TForm10::Install(mainWindow);
    TForm5::Install(mainWindow);
    TForm8::Install(mainWindow);
    TBetCheckForm::Install(mainWindow);
    TForm12::Install(mainWindow);
    TUpdateRunner::Install(mainWindow);
    // Without a window manager "maximised" means nothing: take the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        mainWindow.setGeometry(screen->availableGeometry());
    mainWindow.showMaximized();
    const QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) mainWindow.OpenFile(arguments.at(i));
    return QApplication::exec();
}
