#include "app/measure_tool_app.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QSaveFile>
#include <QScreen>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <csignal>
#include <cstring>

#include <sys/socket.h>
#include <unistd.h>

#include "app/controls/client_wnd.h"
#include "app/documents/doc_template.h"
#include "app/frame/main_frame.h"
#include "app/image/image_window.h"
#include "app/live/video_window.h"
#include "app/shell/command_ids.h"
#include "app/shell/gbk_text.h"
#include "app/shell/settings.h"
#include "app/shell/store.h"
#include "platform/message_box.h"

CMeasureToolApp* CMeasureToolApp::instance_ = nullptr;

namespace {

constexpr const char* kCaption = "kwzview";
int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &byte, 1);
}

bool nonInteractive()
{
    return qEnvironmentVariable("KWZ_NONINTERACTIVE") == "1";
}

int showMessageBox(void*, HWND, const char* text, const char* caption, unsigned type)
{
    const QString body = fromGbk(text ? text : "");
    const QString title = fromGbk(caption ? caption : "");
    if (nonInteractive() || qApp == nullptr)
    {
        // Scripted runs must not wait for a click: say it and take the default answer.
        std::fprintf(stderr, "%s: %s\n", title.toUtf8().constData(), body.toUtf8().constData());
        return kwz::defaultAnswer(type);
    }
    QMessageBox box(CMeasureToolApp::instance() ? CMeasureToolApp::instance()->mainFrame()
                                                : nullptr);
    box.setWindowTitle(title);
    box.setText(body);
    switch (type & 0xF0)
    {
    case kwz::MB_ICONERROR:
        box.setIcon(QMessageBox::Critical);
        break;
    case kwz::MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case kwz::MB_ICONWARNING:
        box.setIcon(QMessageBox::Warning);
        break;
    case kwz::MB_ICONINFORMATION:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    struct Choice
    {
        QMessageBox::StandardButton button;
        int answer;
    };
    std::vector<Choice> choices;
    switch (type & 0xF)
    {
    case kwz::MB_OKCANCEL:
        choices = {{QMessageBox::Ok, kwz::IDOK}, {QMessageBox::Cancel, kwz::IDCANCEL}};
        break;
    case kwz::MB_YESNOCANCEL:
        choices = {{QMessageBox::Yes, kwz::IDYES},
                   {QMessageBox::No, kwz::IDNO},
                   {QMessageBox::Cancel, kwz::IDCANCEL}};
        break;
    case kwz::MB_YESNO:
        choices = {{QMessageBox::Yes, kwz::IDYES}, {QMessageBox::No, kwz::IDNO}};
        break;
    default:
        choices = {{QMessageBox::Ok, kwz::IDOK}};
        break;
    }
    for (const Choice& c : choices)
        box.addButton(c.button);
    const size_t defaultIndex = std::min<size_t>((type >> 8) & 0xF, choices.size() - 1);
    box.setDefaultButton(choices[defaultIndex].button);
    const auto clicked = box.exec();
    for (const Choice& c : choices)
        if (c.button == clicked)
            return c.answer;
    // Closed without a button: the box's cancel, or its default when it has none.
    return (type & 0xF) == kwz::MB_OK || (type & 0xF) == kwz::MB_YESNO
               ? choices[defaultIndex].answer
               : kwz::IDCANCEL;
}

void copyPath(char (&out)[260], const std::string& text)
{
    std::memset(out, 0, sizeof out);
    std::strncpy(out, text.c_str(), sizeof out - 1);
}

// Where the program's files live: KWZVIEW_HOME, else the executable's folder when it is
// writable, else the user's data folder.
QString programFolderPath()
{
    QString folder = qEnvironmentVariable("KWZVIEW_HOME");
    if (folder.isEmpty())
    {
        const QString exe = QCoreApplication::applicationDirPath();
        if (!exe.isEmpty() && QFileInfo(exe).isWritable())
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

// Writes a small file in one piece; a failure is not the program's concern.
bool writeWhole(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile existing(path);
    const bool same = existing.open(QIODevice::ReadOnly) && existing.readAll() == content;
    existing.close();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(content);
    file.commit();
    return !same;
}

// Options of the platform's command-line parser that ask for something other than opening
// a file; none of them does anything here.
bool isOtherCommand(const QString& argument)
{
    static const QStringList kFlags = {"p",         "pt",         "dde",         "automation",
                                       "embedding", "unregister", "unregserver", "regserver",
                                       "print",     "print-to"};
    QString flag = argument;
    if (flag.startsWith("--"))
        flag = flag.mid(2);
    else if (flag.startsWith('-') || (flag.startsWith('/') && !flag.mid(1).contains('/')))
        flag = flag.mid(1);
    else
        return false;
    return kFlags.contains(flag, Qt::CaseInsensitive) || argument.startsWith('-');
}

} // namespace

CMeasureToolApp::CMeasureToolApp(int& argc, char** argv)
{
    instance_ = this;
    if (QCoreApplication::instance() == nullptr)
        ownApplication_ = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName("kwzview");
    kwz::setMessageBoxHandler(&showMessageBox, this);

    rawFrame_.assign(kRawFrameBytes, 0);
    colourFrame_.assign(kColourFrameBytes, 0);
    ZcapInfoSetFrameBuffer(&captureInfo_, rawFrame_.data());
    captureInfo_.dwHeight = 1536;
    captureInfo_.dwWidth = 2048;
    captureInfo_.dwExposure = 60;
    captureInfo_.byRedGain = 44;
    captureInfo_.byGreenGain = 44;
    captureInfo_.byBlueGain = 44;
}

CMeasureToolApp::~CMeasureToolApp()
{
    if (!shutDown_)
        ExitInstance();
    kwz::setMessageBoxHandler(nullptr, nullptr);
    if (signalNotifier_ != nullptr)
    {
        delete signalNotifier_;
        std::signal(SIGTERM, SIG_DFL);
        std::signal(SIGINT, SIG_DFL);
        ::close(signalPipe[0]);
        ::close(signalPipe[1]);
        signalPipe[0] = signalPipe[1] = -1;
    }
    instance_ = nullptr;
}

QString CMeasureToolApp::instanceKey(const QString& programFolder)
{
    const QByteArray hash =
        QCryptographicHash::hash(programFolder.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    return QStringLiteral("kwzview-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

bool CMeasureToolApp::checkSingleInstance(const QString& fileToOpen)
{
    const QString key = instanceKey(programFolderPath());
    instanceLock_ = std::make_unique<QLockFile>(QDir::tempPath() + "/" + key + ".lock");
    instanceLock_->setStaleLockTime(0);
    if (instanceLock_->tryLock(0))
        return true;
    instanceLock_.reset();

    // Another copy runs: hand it the request (come forward, or open a file, as the desktop
    // asks), then end without touching anything.
    QLocalSocket socket;
    socket.connectToServer(key);
    bool delivered = false;
    if (socket.waitForConnected(3000))
    {
        const QByteArray request =
            fileToOpen.isEmpty()
                ? QByteArray("show\n")
                : "open\t" + QFileInfo(fileToOpen).absoluteFilePath().toUtf8() + "\n";
        socket.write(request);
        delivered = socket.waitForBytesWritten(3000);
        socket.disconnectFromServer();
    }
    if (!delivered || fileToOpen.isEmpty())
        kwz::messageBox(nullptr, "The Application already has an instance running.", kCaption,
                        kwz::MB_OK);
    return false;
}

void CMeasureToolApp::listenForOtherCopies()
{
    const QString key = instanceKey(QString::fromLocal8Bit(programFolder_));
    server_ = new QLocalServer(mainFrame_.get());
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(key))
    {
        // A socket left by a copy that crashed; we hold the lock, so it is ours to remove.
        QLocalServer::removeServer(key);
        server_->listen(key);
    }
    QObject::connect(server_, &QLocalServer::newConnection, server_, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection())
        {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
                while (socket->canReadLine())
                    handleRequest(socket->readLine(4096).trimmed());
            });
        }
    });
}

void CMeasureToolApp::handleRequest(const QByteArray& request)
{
    if (!mainFrame_)
        return;
    mainFrame_->showMaximized();
    mainFrame_->raise();
    mainFrame_->activateWindow();
    if (request.startsWith("open\t"))
    {
        const QString path = QString::fromUtf8(request.mid(5));
        if (!path.isEmpty() && OpenDocumentFile(path) != nullptr)
            mainFrame_->ApplyImageMenuTexts();
    }
}

void CMeasureToolApp::installSignalHandlers()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    signalNotifier_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(signalNotifier_, &QSocketNotifier::activated, [this] {
        char byte;
        [[maybe_unused]] ssize_t n = ::read(signalPipe[0], &byte, 1);
        // Close the way a user does, so that settings and texts are saved.
        if (mainFrame_)
            mainFrame_->close();
        else
            QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

int CMeasureToolApp::GetProgramFolder(char* out)
{
    const std::string folder = programFolderPath().toLocal8Bit().toStdString();
    const size_t length = std::min<size_t>(folder.size(), 259);
    std::memcpy(out, folder.data(), length);
    out[length] = 0;
    return static_cast<int>(length);
}

bool CMeasureToolApp::CreateFolderIfMissing(const char* path)
{
    if (path == nullptr || *path == 0)
        return false;
    const QString folder = QString::fromLocal8Bit(path);
    if (QFileInfo::exists(folder))
        return true;
    return QDir().mkdir(folder);
}

void CMeasureToolApp::RegisterFileTypes()
{
    GetProgramFolder(programFolder_);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        return;
    QString exe = QCoreApplication::applicationFilePath();
    exe.replace('"', "\\\"");
    const QByteArray entry = "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=kwzview\n"
                             "Comment=Camera viewer and measuring tool\n"
                             "Exec=\"" +
                             exe.toUtf8() +
                             "\" %f\n"
                             "MimeType=application/x-kwz-measurement;application/x-kwz-bitmap;\n"
                             "Terminal=false\n"
                             "Categories=Graphics;Science;\n";
    const QByteArray types =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"application/x-kwz-measurement\">\n"
        "    <comment>KWZ_Viewer measurement file</comment>\n"
        "    <glob pattern=\"*.mea\" case-sensitive=\"false\"/>\n"
        "  </mime-type>\n"
        "  <mime-type type=\"application/x-kwz-bitmap\">\n"
        "    <comment>KWZ_Viewer bitmap file</comment>\n"
        "    <glob pattern=\"*.kwz\" case-sensitive=\"false\"/>\n"
        "  </mime-type>\n"
        "</mime-info>\n";
    writeWhole(data + "/applications/kwzview.desktop", entry);
    writeWhole(data + "/mime/packages/kwzview.xml", types);
}

bool CMeasureToolApp::InitInstance(const QStringList& arguments)
{
    // 12 (parsed early so a later copy can forward a file): one file to open, or nothing.
    QString fileToOpen;
    bool otherCommand = false;
    for (const QString& argument : arguments)
    {
        if (isOtherCommand(argument))
        {
            otherCommand = true;
            continue;
        }
        if (fileToOpen.isEmpty())
            fileToOpen = argument;
    }
    if (otherCommand)
        fileToOpen.clear();

    // 2. One copy per program folder.
    if (!checkSingleInstance(fileToOpen))
        return false;

    // 3. The camera; nothing is created without it.
    DWORD deviceKind = 0;
    if (ZcapInitialize("Tarnwick", &deviceKind, &captureInfo_, &device_) != ZCAP_OK)
    {
        ZcapUninitialize(&device_);
        device_ = 0;
        kwz::messageBox(nullptr, "The Device can not be initialized, application will be quit.",
                        kCaption, kwz::MB_OK);
        return false;
    }

    // 4. File types.
    RegisterFileTypes();

    // 5. Work folders.
    const std::string base = programFolder_;
    QDir().mkpath(QString::fromLocal8Bit(programFolder_));
    copyPath(rulersFolder_, base + "Rulers");
    copyPath(languageFolder_, base + "Language");
    copyPath(capturesFolder_, base + "Captures");
    copyPath(recordsFolder_, base + "Records");
    const std::pair<const char*, const char*> folders[] = {{rulersFolder_, "Rulers"},
                                                           {languageFolder_, "Language"},
                                                           {capturesFolder_, "Capture"},
                                                           {recordsFolder_, "Record"}};
    for (const auto& [folder, message] : folders)
        if (!CreateFolderIfMissing(folder))
            kwz::messageBox(nullptr, message, "Error", kwz::MB_OK);

    // 6, 7. Settings and language.
    settingsStore_ = store::open(base + kSettingsFile);
    languageIndex_ = store::getInt(settingsStore_, "MAIN", "Language", 0);
    LoadLanguage(languageIndex_);

    // 9. Document templates, the live one first.
    videoTemplate_ = std::make_unique<CDocTemplate>(
        cmd::IDR_VIDEOTYPE, "Video", [] { return std::make_unique<CVideoDoc>(); },
        [this](CDocument& document) -> QMdiSubWindow* {
            if (!mainFrame_)
                return nullptr;
            auto* frame = new CVideoFrame(static_cast<CVideoDoc&>(document));
            frame->setWindowTitle(fromGbk(texts_.text("MVideoTitle")));
            mainFrame_->client()->addSubWindow(frame);
            return frame;
        });
    imageTemplate_ = std::make_unique<CDocTemplate>(
        cmd::IDR_IMAGETYPE, "Image", [] { return std::make_unique<CImageDoc>(); },
        [this](CDocument& document) -> QMdiSubWindow* {
            if (!mainFrame_)
                return nullptr;
            auto* frame = new CImageFrame(static_cast<CImageDoc&>(document));
            mainFrame_->client()->addSubWindow(frame);
            return frame;
        });

    // 10. The main frame.
    mainFrame_ = std::make_unique<CMainFrame>(*this);
    if (!mainFrame_->LoadFrame())
        return false;
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, qApp, &QCoreApplication::quit);

    // 11. Later copies and the desktop reach this one from now on.
    listenForOtherCopies();
    installSignalHandlers();

    // 12, 13. The command line.
    commandLineFile_ = fileToOpen;
    if (!commandLineFile_.isEmpty() && OpenDocumentFile(commandLineFile_) == nullptr)
        return false;

    // 14. The extension of the file named.
    QString extension;
    if (!commandLineFile_.isEmpty())
    {
        const int dot = commandLineFile_.lastIndexOf('.');
        extension = dot < 0 ? commandLineFile_ : commandLineFile_.mid(dot + 1);
    }

    // 15. Maximised.
    mainFrame_->setAcceptDrops(true);
    // Without a window manager nobody maximises; fill the screen ourselves then.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        mainFrame_->setGeometry(screen->availableGeometry());
    mainFrame_->showMaximized();

    // 16.
    const bool image = extension.compare("kwz", Qt::CaseInsensitive) == 0 ||
                       extension.compare("mea", Qt::CaseInsensitive) == 0 ||
                       extension.compare("bmp", Qt::CaseInsensitive) == 0;
    if (image)
        mainFrame_->ApplyImageMenuTexts();
    else
        mainFrame_->ApplyMainMenuTexts();

    // 17.
    mainFrame_->setWindowTitle(fromGbk(texts_.text("AppTitle")));
    mainFrame_->ApplyBarTexts();
    mainFrame_->updateCommandStates();
    mainFrame_->repaint();
    return true;
}

int CMeasureToolApp::ExitInstance(int code)
{
    if (shutDown_)
        return code;
    shutDown_ = true;
    // The frame's destructor saves the settings.
    mainFrame_.reset();
    imageTemplate_.reset();
    videoTemplate_.reset();

    store::setInt(settingsStore_, "MAIN", "Language", languageIndex_);
    if (languageStore_ != nullptr)
        SaveLanguageTexts();
    store::close(settingsStore_);
    store::close(languageStore_);
    if (device_ != 0)
    {
        ZcapUninitialize(&device_);
        device_ = 0;
    }
    instanceLock_.reset();
    return code;
}

int CMeasureToolApp::run(const QStringList& arguments)
{
    if (!InitInstance(arguments))
        return ExitInstance(1);
    const int code = QApplication::exec();
    return ExitInstance(code);
}

void CMeasureToolApp::LoadLanguage(int index)
{
    toolTips_.load(std::string(programFolder_) + toolTipFile(index), toolTipSection(index));
    store::close(languageStore_);
    texts_.clearSection("TOOL_CLASS");
    languageStore_ = store::open(std::string(programFolder_) + languageTextFile(index));
    texts_.load(languageStore_, index);
}

void CMeasureToolApp::SaveLanguageTexts()
{
    texts_.save(languageStore_);
}

void CMeasureToolApp::SwitchLanguage(int index)
{
    languageIndex_ = index;
    LoadLanguage(index);
    if (!mainFrame_)
        return;
    mainFrame_->ApplyMainMenuTexts();
    mainFrame_->setWindowTitle(fromGbk(texts_.text("AppTitle")));
    mainFrame_->ApplyBarTexts();
    mainFrame_->updateCommandStates();
}

CDocument* CMeasureToolApp::OpenDocumentFile(const QString& path)
{
    return imageTemplate_ ? imageTemplate_->OpenDocumentFile(path, true) : nullptr;
}

void CMeasureToolApp::OnFileOpen()
{
    const QString chosen = QFileDialog::getOpenFileName(
        mainFrame_.get(), QString(), QString::fromLocal8Bit(programFolder_) + "A.bmp",
        "BMP File(*.Bmp) (*.bmp *.Bmp *.BMP);;MEA File(*.Mea) (*.Mea *.mea *.MEA);;"
        "KWZ File(*.KWZ) (*.KWZ *.kwz);;All Files(*.*) (*)");
    if (!chosen.isEmpty())
        OpenDocumentFile(chosen);
}

void CMeasureToolApp::OnAppAbout()
{
    // Through the message-box hook, so scripted runs never wait on it.
    const std::string text =
        std::string("kwzview ") + KWZVIEW_VERSION + "\nCamera viewer and measuring tool";
    kwz::messageBox(nullptr, text.c_str(), "About kwzview", kwz::MB_OK | kwz::MB_ICONINFORMATION);
}

CVideoFrame* CMeasureToolApp::FindVideoFrame()
{
    if (!videoTemplate_ || videoTemplate_->newFileName() != "Video" ||
        videoTemplate_->documents().empty() || !mainFrame_)
        return nullptr;
    auto* frame = dynamic_cast<CVideoFrame*>(videoTemplate_->documents().front()->frame());
    if (frame != nullptr)
        mainFrame_->client()->setActiveSubWindow(frame);
    return frame;
}

CVideoFrame* CMeasureToolApp::OpenVideoFrame()
{
    if (CVideoFrame* frame = FindVideoFrame())
        return frame;
    if (!videoTemplate_ || !mainFrame_ || videoTemplate_->OpenDocumentFile({}, true) == nullptr)
        return nullptr;
    return dynamic_cast<CVideoFrame*>(mainFrame_->client()->activeSubWindow());
}
