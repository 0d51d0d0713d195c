#pragma once
// Where the program finds what it ships beside itself: the bundled games with
// their game definition files, and the manual. Both live in one data folder
// found relative to the executable, so that the same lookup serves an
// installed program (bin/ beside share/tovisca/) and the build tree, which
// mirrors that layout (app/ beside share/tovisca/).
#include <QString>

class TInstallPaths {
public:
    // The data folder: the first candidate that holds at least one game data
    // file (*.csv), or an empty string when none does.
    static QString DataFolder();
    // The same search starting from a given folder of executables (tests).
    static QString DataFolderFrom(const QString& executableFolder);
    // The compressed help collection of the manual inside the data folder
    // (whether or not it exists); empty when there is no data folder.
    static QString ManualCollection();
    // The reverse-DNS id of the desktop entry, metainfo and icon.
    static QString DesktopId();
};
