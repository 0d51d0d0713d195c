#include "TInstallPaths.h"

#include "TInstallLayout.h"

#include <QCoreApplication>
#include <QDir>

QString TInstallPaths::DataFolderFrom(const QString& executableFolder) {
    const QDir folder(QDir(executableFolder).absoluteFilePath(QString::fromUtf8(TInstallLayout::DataFromBin)));
    if (!folder.exists()) return {};
    if (folder.entryList({QStringLiteral("*.csv")}, QDir::Files).isEmpty()) return {};
    return QDir::cleanPath(folder.absolutePath());
}

QString TInstallPaths::DataFolder() {
    return DataFolderFrom(QCoreApplication::applicationDirPath());
}

QString TInstallPaths::ManualCollection() {
    const QString data = DataFolder();
    if (data.isEmpty()) return {};
    return data + QStringLiteral("/manual/tovisca.qhc");
}

QString TInstallPaths::DesktopId() {
    return QString::fromUtf8(TInstallLayout::DesktopId);
}
