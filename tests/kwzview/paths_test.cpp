// Where an installed copy finds its data and manual, and what it registers for the user.

#include <QTemporaryDir>
#include <QTest>

#include "app/shell/file_types.h"
#include "app/shell/manual.h"

namespace {

QByteArray sourceFile(const QString& path)
{
    QFile file(QStringLiteral(KWZ_SOURCE_DIR "/data/") + path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

QByteArray lineOf(const QByteArray& text, const QByteArray& key)
{
    for (const QByteArray& line : text.split('\n'))
        if (line.startsWith(key + "="))
            return line;
    return {};
}

} // namespace

class PathsTest : public QObject
{
    Q_OBJECT
  private Q_SLOTS:
    void anInstallationIsKnownByTheDataFolderBesideItsBinFolder()
    {
        QTemporaryDir dir;
        QDir().mkpath(dir.path() + "/prefix/bin");
        QDir().mkpath(dir.path() + "/build/bin");
        QDir().mkpath(dir.path() + "/prefix/share/kwzview");
        QCOMPARE(installedDataFolder(dir.path() + "/prefix/bin"),
                 dir.path() + "/prefix/share/kwzview/");
        QCOMPARE(installedDataFolder(dir.path() + "/build/bin"), QString());
        QCOMPARE(installedDataFolder(QString()), QString());
    }

    void manualPath_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Chinese from the program folder")
            << QStringList{"home/Doc/ZN41.html", "home/Doc/ZN42.html", "data/Doc/ZN41.html"} << 0
            << "home/Doc/ZN41.html";
        QTest::newRow("English from the program folder")
            << QStringList{"home/Doc/ZN41.html", "home/Doc/ZN42.html"} << 1 << "home/Doc/ZN42.html";
        QTest::newRow("Traditional Chinese reads the English manual")
            << QStringList{"home/Doc/ZN42.html"} << 2 << "home/Doc/ZN42.html";
        QTest::newRow("installed manual when the program folder has none")
            << QStringList{"home/Doc/ZN42.html", "data/Doc/ZN41.html"} << 0 << "data/Doc/ZN41.html";
        QTest::newRow("a folder of the page's name is no manual")
            << QStringList{"home/Doc/ZN41.html/x", "data/Doc/ZN41.html"} << 0
            << "data/Doc/ZN41.html";
        QTest::newRow("none") << QStringList{"data/Doc/ZN42.html"} << 0 << QString();
    }

    void manualPath()
    {
        QFETCH(QStringList, present);
        QFETCH(int, language);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        for (const QString& file : present)
            touch(dir.path() + "/" + file);
        const QString found = ::manualPath(language, dir.path() + "/home/", dir.path() + "/data/");
        QCOMPARE(found, expected.isEmpty() ? QString() : dir.path() + "/" + expected);
        QCOMPARE(::manualPath(language, QString(), QString()), QString());
    }

    // Help of the built program, whose program folder is its own, and of an installed one,
    // whose program folder is the user's and holds no manual.
    void helpFindsTheManualOfTheBuildAndOfAnInstallation()
    {
        const QString bin = QFileInfo(QStringLiteral(KWZVIEW_BINARY)).absolutePath();
        QCOMPARE(installedDataFolder(bin), QString());
        QCOMPARE(::manualPath(0, bin + "/", installedDataFolder(bin)), bin + "/Doc/ZN41.html");
        QCOMPARE(::manualPath(2, bin + "/", installedDataFolder(bin)), bin + "/Doc/ZN42.html");

        const QString prefix = qEnvironmentVariable("KWZ_INSTALLED_PREFIX");
        if (prefix.isEmpty())
            QSKIP("no installation to look into (KWZ_INSTALLED_PREFIX)");
        QTemporaryDir home;
        const QString data = installedDataFolder(prefix + "/bin");
        QCOMPARE(data, QDir::cleanPath(prefix + "/share/kwzview") + "/");
        QCOMPARE(::manualPath(0, home.path() + "/", data), data + "Doc/ZN41.html");
        QCOMPARE(::manualPath(1, home.path() + "/", data), data + "Doc/ZN42.html");
    }

    void registeredFilesAreTheInstalledOnesStartingThisExecutable()
    {
        const QString exe = "/opt/my \"kw\" $dir\\100%/bin/kwzview";
        const std::vector<RegistrationFile> files = registrationFiles(exe);
        QCOMPARE(files.size(), size_t(3));
        QCOMPARE(files[0].path, QStringLiteral("applications/kwzview.desktop"));
        QCOMPARE(files[1].path, QStringLiteral("mime/packages/kwzview.xml"));
        QCOMPARE(files[2].path, QStringLiteral("icons/hicolor/scalable/apps/kwzview.svg"));
        QCOMPARE(files[1].content, sourceFile(files[1].path));
        QCOMPARE(files[2].content, sourceFile(files[2].path));

        // Quoted for Exec, then escaped as a string value; TryExec is a plain string.
        const QByteArray entry = files[0].content;
        QCOMPARE(lineOf(entry, "Exec"),
                 QByteArray(R"(Exec="/opt/my \\"kw\\" \\$dir\\\\100%%/bin/kwzview" %f)"));
        QCOMPARE(lineOf(entry, "TryExec"),
                 QByteArray(R"(TryExec=/opt/my "kw" $dir\\100%/bin/kwzview)"));
        QByteArray installed = sourceFile(files[0].path);
        installed.replace("TryExec=kwzview\n", lineOf(entry, "TryExec") + "\n");
        installed.replace("Exec=kwzview %f\n", lineOf(entry, "Exec") + "\n");
        QCOMPARE(entry, installed);
        QVERIFY(entry.contains("\nIcon=kwzview\n"));
    }
};

#include "paths_test.moc"

std::unique_ptr<QObject> makePathsTest()
{
    return std::make_unique<PathsTest>();
}
