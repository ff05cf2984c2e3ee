#include "app/shell/file_types.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace {

constexpr const char* kDesktopEntry = "applications/kwzview.desktop";

QByteArray resource(const QString& path)
{
    QFile file(":/kwzview/share/" + path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A string value of a desktop entry: backslashes and control characters escaped.
QString desktopString(const QString& text)
{
    QString out;
    for (const QChar c : text)
    {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

// One quoted argument of an Exec line; '%' would otherwise start a field code.
QString execArgument(const QString& text)
{
    QString out = "\"";
    for (const QChar c : text)
    {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            out += '\\';
        out += c;
        if (c == '%')
            out += '%';
    }
    return out + '"';
}

} // namespace

std::vector<RegistrationFile> registrationFiles(const QString& executable)
{
    // The installed entry runs "kwzview" from the path; this one runs this very executable.
    QList<QByteArray> lines = resource(kDesktopEntry).split('\n');
    for (QByteArray& line : lines)
    {
        if (line.startsWith("TryExec="))
            line = "TryExec=" + desktopString(executable).toUtf8();
        else if (line.startsWith("Exec="))
            line = "Exec=" + desktopString(execArgument(executable)).toUtf8() + " %f";
    }
    return {{kDesktopEntry, lines.join('\n')},
            {"mime/packages/kwzview.xml", resource("mime/packages/kwzview.xml")},
            {"icons/hicolor/scalable/apps/kwzview.svg",
             resource("icons/hicolor/scalable/apps/kwzview.svg")}};
}

void refreshDesktopDatabases(const QString& dataFolder)
{
    const std::pair<const char*, QString> tools[] = {
        {"update-mime-database", dataFolder + "/mime"},
        {"update-desktop-database", dataFolder + "/applications"}};
    for (const auto& [tool, folder] : tools)
    {
        const QString program = QStandardPaths::findExecutable(tool);
        if (program.isEmpty())
            continue;
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(program, {folder});
        // Both take well under a second on a user's folder; a hung one must not hold start-up.
        if (!process.waitForFinished(5000))
            process.kill();
    }
}
