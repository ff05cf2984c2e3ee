// The program as a user or a script starts it: options, a second copy, signals, no camera.

#include <QDirIterator>
#include <QLocalSocket>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "app/shell/single_instance.h"
#include "test_support.h"

namespace {

QProcessEnvironment environmentFor(const TempHome& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KWZVIEW_HOME", home.home());
    env.insert("XDG_DATA_HOME", QFileInfo(home.dataPath("")).absoluteFilePath());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("KWZ_NONINTERACTIVE", "1");
    env.remove("KWZ_CAMERA");
    return env;
}

// Every file under the folder with its bytes and time, to see that nothing was touched.
QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
    {
        const QString path = it.next();
        QByteArray content = QFileInfo(path).lastModified().toString(Qt::ISODateWithMs).toUtf8();
        QFile file(path);
        if (QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly))
            content += file.readAll();
        files[path] = content;
    }
    return files;
}

bool waitUntilListening(const QString& home, QProcess& process)
{
    const QString key = SingleInstance::instanceKey(QDir::cleanPath(home) + "/");
    for (int i = 0; i < 200 && process.state() == QProcess::Running; ++i)
    {
        QLocalSocket probe;
        probe.connectToServer(key);
        if (probe.waitForConnected(100))
            return true;
        QTest::qWait(50);
    }
    return false;
}

// An X server of the test's own, for a run as on a desktop: the offscreen platform has notes
// of its own on stderr.
class XServer
{
  public:
    XServer()
    {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty())
            return;
        server_.start("Xvfb",
                      {"-displayfd", "1", "-screen", "0", "1600x1000x24", "-nolisten", "tcp"});
        if (!server_.waitForStarted(10000))
            return;
        for (int i = 0; i < 100 && display_.isEmpty() && server_.state() == QProcess::Running; ++i)
        {
            server_.waitForReadyRead(100);
            const QByteArray number = server_.readAllStandardOutput().trimmed();
            if (!number.isEmpty())
                display_ = ":" + QString::fromLatin1(number);
        }
    }
    ~XServer()
    {
        server_.terminate();
        server_.waitForFinished(10000);
    }
    // Empty when no server could be started.
    QString display() const { return display_; }

  private:
    QProcess server_;
    QString display_;
};

} // namespace

class ProcessTest : public QObject
{
    Q_OBJECT
  private Q_SLOTS:
    void helpAndVersionAnswerWithoutStarting()
    {
        TempHome home;
        QProcess p;
        p.setProcessEnvironment(environmentFor(home));
        p.start(KWZVIEW_BINARY, {"--version"});
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(p.readAllStandardOutput().startsWith("kwzview " KWZVIEW_VERSION));
        p.start(KWZVIEW_BINARY, {"--help"});
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(p.readAllStandardOutput().startsWith("Usage: kwzview"));
        QVERIFY(snapshot(home.home()).isEmpty());
    }

    void aSecondCopyEndsWithTheMessageAndTouchesNothing()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=0\n");
        QProcess first;
        first.setProcessEnvironment(environmentFor(home));
        first.start(KWZVIEW_BINARY, {});
        QVERIFY(first.waitForStarted(20000));
        QVERIFY(waitUntilListening(home.home(), first));
        const auto before = snapshot(home.home());
        QVERIFY(!before.isEmpty());

        QProcess second;
        second.setProcessEnvironment(environmentFor(home));
        second.start(KWZVIEW_BINARY, {});
        QVERIFY(second.waitForFinished(20000));
        QVERIFY(second.exitCode() != 0);
        QVERIFY(second.readAllStandardError().contains(
            "The Application already has an instance running."));
        QCOMPARE(snapshot(home.home()), before);

        // A file named by a later copy is handed to the running one.
        home.write("SHOT.BMP", tinyBmp());
        QProcess opener;
        opener.setProcessEnvironment(environmentFor(home));
        opener.start(KWZVIEW_BINARY, {home.path("SHOT.BMP")});
        QVERIFY(opener.waitForFinished(20000));
        QVERIFY(!opener.readAllStandardError().contains("already has an instance"));
        QCOMPARE(opener.exitCode(), 0);

        // SIGTERM closes the window as a user would: settings and texts are saved.
        first.terminate();
        QVERIFY(first.waitForFinished(20000));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.exitCode(), 0);
        QVERIFY(home.read("MeasureTool.ini").contains("nCaptureSizeIndex=1"));
        QVERIFY(home.read("MeasureTool.ini").contains("Language=0"));
        QVERIFY(QFile::exists(home.path("Language/MTCHS.ini")));
    }

    void sigtermDuringTheLivePictureEndsCleanlyAndSavesTheSettings()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=1\n[User]\nnCaptureSizeIndex=4\n");
        QTemporaryDir runtime; // so that nothing complains of a missing runtime folder
        QFile::setPermissions(runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        XServer x;
        if (x.display().isEmpty())
            QSKIP("Xvfb is not installed");
        QProcessEnvironment env = environmentFor(home);
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("DISPLAY", x.display());
        env.remove("XAUTHORITY");
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(KWZVIEW_BINARY, {"--connect"});
        QVERIFY(p.waitForStarted(20000));
        QVERIFY(waitUntilListening(home.home(), p));
        // Long enough for the largest picture to run.
        QTest::qWait(1500);
        QCOMPARE(p.state(), QProcess::Running);
        p.terminate();
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAllStandardError(), QByteArray());
        const QByteArray settings = home.read("MeasureTool.ini");
        QVERIFY(settings.contains("nCaptureSizeIndex=4"));
        QVERIFY(settings.contains("bShowVideoSizeBar=1"));
    }

    void withoutACameraNothingIsCreated()
    {
        TempHome home;
        QProcessEnvironment env = environmentFor(home);
        env.insert("KWZ_CAMERA", home.path("no-such-video-device"));
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(KWZVIEW_BINARY, {});
        QVERIFY(p.waitForFinished(20000));
        QVERIFY(p.exitCode() != 0);
        QVERIFY(p.readAllStandardError().contains(
            "The Device can not be initialized, application will be quit."));
        QVERIFY(snapshot(home.home()).isEmpty());
        QVERIFY(!QFile::exists(home.dataPath("applications/kwzview.desktop")));
    }
};

#include "process_test.moc"

std::unique_ptr<QObject> makeProcessTest()
{
    return std::make_unique<ProcessTest>();
}
