#include "app/shell/work_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <cstring>

#include "app/shell/manual.h"

WorkFolders WorkFolders::under(const std::string& programFolder)
{
    return {programFolder, programFolder + "Rulers", programFolder + "Language",
            programFolder + "Captures", programFolder + "Records"};
}

QString programFolderPath()
{
    QString folder = qEnvironmentVariable("KWZVIEW_HOME");
    if (folder.isEmpty())
    {
        const QString exe = QCoreApplication::applicationDirPath();
        if (!exe.isEmpty() && QFileInfo(exe).isWritable() && installedDataFolder(exe).isEmpty())
            folder = exe;
        else
            folder =
                QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/kwzview";
    }
    folder = QDir::cleanPath(QDir(folder).absolutePath());
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

int GetProgramFolder(char* out)
{
    const std::string folder = programFolderPath().toLocal8Bit().toStdString();
    const size_t length = std::min<size_t>(folder.size(), 259);
    std::memcpy(out, folder.data(), length);
    out[length] = 0;
    return static_cast<int>(length);
}

bool CreateFolderIfMissing(const char* path)
{
    if (path == nullptr || *path == 0)
        return false;
    const QString folder = QString::fromLocal8Bit(path);
    if (QFileInfo::exists(folder))
        return true;
    return QDir().mkdir(folder);
}
