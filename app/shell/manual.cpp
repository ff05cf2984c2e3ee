#include "app/shell/manual.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString installedDataFolder(const QString& executableFolder)
{
    if (executableFolder.isEmpty())
        return {};
    const QString folder = QDir::cleanPath(executableFolder + "/../share/kwzview");
    return QFileInfo(folder).isDir() ? folder + '/' : QString();
}

QString manualPath(int languageIndex, const QString& programFolder, const QString& dataFolder)
{
    const QString page = languageIndex == 0 ? "Doc/ZN41.html" : "Doc/ZN42.html";
    for (const QString& folder : {programFolder, dataFolder})
        if (!folder.isEmpty() && QFileInfo(folder + page).isFile())
            return folder + page;
    return {};
}

QString manualPath(int languageIndex, const QString& programFolder)
{
    return manualPath(languageIndex, programFolder,
                      installedDataFolder(QCoreApplication::applicationDirPath()));
}
