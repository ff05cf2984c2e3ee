#include "app/measure_tool_app.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QLocale>
#include <QMdiArea>
#include <QSaveFile>
#include <QScreen>
#include <QStandardPaths>

#include "app/documents/doc_template.h"
#include "app/frame/main_frame.h"
#include "app/image/image_window.h"
#include "app/image/image_workspace.h"
#include "app/image/open_failure.h"
#include "app/live/video_doc.h"
#include "app/live/video_frame.h"
#include "app/shell/command_ids.h"
#include "app/shell/events.h"
#include "app/shell/file_types.h"
#include "app/shell/gbk_text.h"
#include "app/shell/message_boxes.h"
#include "app/shell/qt_translations.h"
#include "app/shell/quit_signals.h"
#include "app/shell/settings.h"
#include "app/shell/single_instance.h"
#include "app/shell/store.h"
#include "platform/files.h"
#include "platform/message_box.h"

using namespace cmd;

namespace {

constexpr const char* kCaption = "kwzview";

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

// The tool-tip files that come with the program, written where the user has none; the user's
// own stay as they are.
void provideToolTipFiles(const QString& languageFolder)
{
    for (const char* name : {"ToolTipCn.ini", "ToolTipEn.ini", "ToolTipCt.ini"})
    {
        const QString target = languageFolder + "/" + name;
        QFile shipped(QStringLiteral(":/kwzview/Language/") + name);
        if (QFileInfo::exists(target) || !shipped.open(QIODevice::ReadOnly))
            continue;
        QSaveFile file(target);
        if (file.open(QIODevice::WriteOnly))
        {
            file.write(shipped.readAll());
            file.commit();
        }
    }
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
    if (QCoreApplication::instance() == nullptr)
        ownApplication_ = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName("kwzview");
    // The program's own picture on its windows, the live and image windows included.
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addFile(
            QStringLiteral(":/kwzview/share/icons/hicolor/%1x%1/apps/kwzview.png").arg(size));
    QApplication::setWindowIcon(icon);
    installMessageBoxes([this]() -> QWidget* { return mainFrame_.get(); });
}

CMeasureToolApp::~CMeasureToolApp()
{
    if (!shutDown_)
        exitInstance();
    removeMessageBoxes();
    quitSignals_.reset();
}

void CMeasureToolApp::RegisterFileTypes()
{
    folders_ = WorkFolders::under(programFolderPath().toLocal8Bit().toStdString());
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        return;
    bool changed = false;
    for (const RegistrationFile& file : registrationFiles(QCoreApplication::applicationFilePath()))
        changed |= writeWhole(data + "/" + file.path, file.content);
    if (changed)
        refreshDesktopDatabases(data);
}

bool CMeasureToolApp::initInstance(const QStringList& arguments)
{
    // 12 (parsed early so a later copy can forward a file): one file to open, or nothing.
    QString fileToOpen;
    bool otherCommand = false;
    bool connect = false;
    for (const QString& argument : arguments)
    {
        if (argument == kConnectOption)
        {
            connect = true;
            continue;
        }
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
    singleInstance_ = std::make_unique<SingleInstance>(programFolderPath());
    const SingleInstance::Outcome instance = singleInstance_->acquire({fileToOpen, connect});
    if (instance != SingleInstance::Outcome::First)
    {
        // A request that reached the running copy is this copy's work done.
        handedOver_ = instance == SingleInstance::Outcome::HandedOver;
        return false;
    }

    // 3. The camera; nothing is created without it.
    if (!camera_.open())
    {
        kwz::messageBox(nullptr, "The Device can not be initialized, application will be quit.",
                        kCaption, kwz::MB_OK);
        return false;
    }

    // 4. File types.
    RegisterFileTypes();

    // 5. Work folders.
    QDir().mkpath(QString::fromLocal8Bit(folders_.program.c_str()));
    const std::pair<const std::string&, const char*> folders[] = {{folders_.rulers, "Rulers"},
                                                                  {folders_.language, "Language"},
                                                                  {folders_.captures, "Capture"},
                                                                  {folders_.records, "Record"}};
    for (const auto& [folder, message] : folders)
        if (!CreateFolderIfMissing(folder.c_str()))
            kwz::messageBox(nullptr, message, "Error", kwz::MB_OK);
    // Saves killed part-way leave hidden temporary files; the folders written most go first.
    kwz::removeStaleTemporaries(folders_.program);
    for (const auto& [folder, message] : folders)
        kwz::removeStaleTemporaries(folder);
    provideToolTipFiles(QString::fromLocal8Bit(folders_.language.c_str()));

    // 6, 7. Settings and language.
    settingsStore_ = SettingsStore(folders_.program + kSettingsFile);
    // A first start speaks the language of the system; a settings file's choice always wins.
    languages_.LoadLanguage(
        folders_.program,
        loadLanguageIndex(settingsStore_,
                          languageForLocale(QLocale::system().name().toStdString())));

    qtTranslations_ = std::make_unique<QtTranslations>();
    qtTranslations_->apply(languages_.index());
    recent_.load(settingsStore_);

    // 9. Document templates, the live one first.
    createDocTemplates();

    // 10. The main frame.
    mainFrame_ = std::make_unique<CMainFrame>(
        FrameServices{settingsStore_, folders_, languages_, camera_, documents_, *this});
    if (!mainFrame_->loadFrame())
        return false;
    mainFrame_->setRecentFiles([this] { return recentFiles(); },
                               [this](const QString& path) { openRecentFile(path); });
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, qApp, &QCoreApplication::quit);

    // 11. Later copies and the desktop reach this one from now on.
    singleInstance_->listen([this](const InstanceRequest& request) {
        if (!mainFrame_)
            return;
        mainFrame_->showMaximized();
        mainFrame_->raise();
        mainFrame_->activateWindow();
        if (!request.fileToOpen.isEmpty() && openDocumentFile(request.fileToOpen) != nullptr)
            mainFrame_->ApplyImageMenuTexts();
        if (request.connect)
            QCoreApplication::postEvent(mainFrame_.get(), new QEvent(events::connectDevice()));
    });
    // Close the way a user does, so that settings and texts are saved, but with nobody to
    // answer questions: a termination signal always ends the program.
    quitSignals_ = std::make_unique<QuitSignals>([this] {
        if (mainFrame_)
            mainFrame_->closeOnTermination();
        QCoreApplication::quit();
    });

    // 12, 13. The command line.
    commandLineFile_ = fileToOpen;
    if (!commandLineFile_.isEmpty() && openDocumentFile(commandLineFile_) == nullptr)
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
    // The keyboard goes to the program just started; without a window manager nobody else
    // gives it the focus, and the live window's keys and focus rely on it.
    mainFrame_->activateWindow();

    // 16.
    const bool image = extension.compare("kwz", Qt::CaseInsensitive) == 0 ||
                       extension.compare("mea", Qt::CaseInsensitive) == 0 ||
                       extension.compare("bmp", Qt::CaseInsensitive) == 0;
    if (image)
        mainFrame_->ApplyImageMenuTexts();
    else
        mainFrame_->ApplyMainMenuTexts();

    // 17.
    mainFrame_->setWindowTitle(fromGbk(languages_.texts().text("AppTitle")));
    mainFrame_->ApplyBarTexts();
    mainFrame_->updateCommandStates();
    mainFrame_->repaint();
    // Asked for on the command line: connect as soon as the event loop runs.
    if (connect)
        QCoreApplication::postEvent(mainFrame_.get(), new QEvent(events::connectDevice()));
    return true;
}

void CMeasureToolApp::createDocTemplates()
{
    documents_.addDocTemplate(std::make_unique<CDocTemplate>(
        IDR_VIDEOTYPE, "Video",
        [this] {
            return std::make_unique<CVideoDoc>(fromGbk(languages_.texts().text("MVideoTitle")));
        },
        [this](CDocument& document) -> QMdiSubWindow* {
            if (documents_.clientArea() == nullptr || !mainFrame_)
                return nullptr;
            CVideoFrame* frame = mainFrame_->createLiveFrame(static_cast<CVideoDoc&>(document));
            documents_.clientArea()->addSubWindow(frame);
            return frame;
        }));
    documents_.addDocTemplate(std::make_unique<CDocTemplate>(
        IDR_IMAGETYPE, "Image",
        [this] {
            auto document =
                std::make_unique<CImageDoc>(mainFrame_ ? mainFrame_->images() : nullptr);
            QObject::connect(document.get(), &CImageDoc::saved, document.get(),
                             [this](const QString& path) { rememberFile(path); });
            return document;
        },
        [this](CDocument& document) -> QMdiSubWindow* {
            if (documents_.clientArea() == nullptr)
                return nullptr;
            auto* frame = new CImageFrame(static_cast<CImageDoc&>(document),
                                          mainFrame_ ? mainFrame_->images() : nullptr);
            documents_.clientArea()->addSubWindow(frame);
            return frame;
        }));
    documents_.setOpenedHandler([this](const QString& path) { rememberFile(path); });
    // Every way a file arrives ends here when it cannot be opened.
    documents_.setOpenFailedHandler([this](const QString& path) {
        const QString text = openFailureText(path, languages_.index());
        kwz::messageBox(nullptr, toGbk(text).c_str(), kCaption, kwz::MB_OK | kwz::MB_ICONERROR);
    });
}

int CMeasureToolApp::exitInstance(int code)
{
    if (shutDown_)
        return code;
    shutDown_ = true;
    if (singleInstance_)
        singleInstance_->stopListening();
    // The frame's destructor saves the settings.
    mainFrame_.reset();
    documents_.clear();

    settingsStore_.setInt("MAIN", "Language", languages_.index());
    if (languages_.isOpen())
        languages_.SaveLanguageTexts();
    settingsStore_.close();
    languages_.close();
    camera_.close();
    singleInstance_.reset();
    return code;
}

int CMeasureToolApp::run(const QStringList& arguments)
{
    if (!initInstance(arguments))
        return exitInstance(handedOver_ ? 0 : 1);
    const int code = QApplication::exec();
    return exitInstance(code);
}

void CMeasureToolApp::switchLanguage(int index)
{
    languages_.LoadLanguage(folders_.program, index);
    if (qtTranslations_)
        qtTranslations_->apply(languages_.index());
    if (!mainFrame_)
        return;
    mainFrame_->ApplyMainMenuTexts();
    mainFrame_->setWindowTitle(fromGbk(languages_.texts().text("AppTitle")));
    mainFrame_->ApplyBarTexts();
    mainFrame_->updateCommandStates();
}

CDocument* CMeasureToolApp::openDocumentFile(const QString& path)
{
    return documents_.openDocumentFile(path);
}

void CMeasureToolApp::onFileOpen()
{
    const QString start = QString::fromLocal8Bit(folders_.program.c_str()) + "A.bmp";
    const QString filter =
        "BMP File(*.Bmp) (*.bmp *.Bmp *.BMP);;MEA File(*.Mea) (*.Mea *.mea *.MEA);;"
        "KWZ File(*.KWZ) (*.KWZ *.kwz);;All Files(*.*) (*)";
    const QString chosen =
        chooseOpenFile_ ? chooseOpenFile_(mainFrame_.get(), start, filter)
                        : QFileDialog::getOpenFileName(mainFrame_.get(), QString(), start, filter);
    if (!chosen.isEmpty() && openDocumentFile(chosen) != nullptr && mainFrame_)
        mainFrame_->ApplyImageMenuTexts();
}

void CMeasureToolApp::rememberFile(const QString& path)
{
    if (path.isEmpty())
        return;
    if (recent_.add(QFileInfo(path).absoluteFilePath().toStdString()))
        recent_.save(settingsStore_);
}

QStringList CMeasureToolApp::recentFiles() const
{
    QStringList files;
    for (const std::string& f : recent_.files())
        files << QString::fromStdString(f);
    return files;
}

void CMeasureToolApp::openRecentFile(const QString& path)
{
    if (!QFileInfo(path).isFile())
    {
        recent_.remove(path.toStdString());
        recent_.save(settingsStore_);
        const QString text =
            QString::fromUtf8(builtInText(languages_.index(),
                                          "The file %1 is no longer there; it has been removed "
                                          "from the latest files.",
                                          "文件 %1 已不存在，已从最近文件中删除。",
                                          "檔案 %1 已不存在，已從最近檔案中刪除。"))
                .arg(QDir::toNativeSeparators(path));
        kwz::messageBox(nullptr, toGbk(text).c_str(), kCaption, kwz::MB_OK | kwz::MB_ICONWARNING);
        return;
    }
    if (openDocumentFile(path) != nullptr && mainFrame_)
        mainFrame_->ApplyImageMenuTexts();
}

void CMeasureToolApp::onImportPicture()
{
    const QString start = QString::fromLocal8Bit(folders_.program.c_str());
    const QString filter = QStringLiteral(
        "Pictures (*.jpg *.jpeg *.jpe *.png *.tif *.tiff *.JPG *.JPEG *.PNG *.TIF *.TIFF);;"
        "All Files(*.*) (*)");
    const QString chosen =
        chooseOpenFile_ ? chooseOpenFile_(mainFrame_.get(), start, filter)
                        : QFileDialog::getOpenFileName(mainFrame_.get(), QString(), start, filter);
    if (!chosen.isEmpty() && mainFrame_)
        mainFrame_->importPicture(chosen);
}

void CMeasureToolApp::onAppAbout()
{
    // Through the message-box hook, so scripted runs never wait on it.
    const std::string text =
        std::string("kwzview ") + KWZVIEW_VERSION + "\nCamera viewer and measuring tool";
    kwz::messageBox(nullptr, text.c_str(), "About kwzview", kwz::MB_OK | kwz::MB_ICONINFORMATION);
}

bool CMeasureToolApp::onCommand(int id)
{
    switch (id)
    {
    case ID_APP_ABOUT:
        onAppAbout();
        return true;
    case ID_FILE_OPEN:
        onFileOpen();
        return true;
    case ID_FILE_IMPORT_PICTURE:
        onImportPicture();
        return true;
    case IDM_CHINESELANGUAGE:
        switchLanguage(kLanguageChinese);
        return true;
    case IDM_ENGLISHLANGUAGE:
        switchLanguage(kLanguageEnglish);
        return true;
    case IDM_FANTICHINESELANGUAGE:
        switchLanguage(kLanguageChineseTraditional);
        return true;
    default:
        return false;
    }
}

bool CMeasureToolApp::updateCommand(int id, CommandState& state)
{
    switch (id)
    {
    case ID_APP_ABOUT:
    case ID_FILE_OPEN:
    case ID_FILE_IMPORT_PICTURE:
        return true;
    case IDM_CHINESELANGUAGE:
        state.checked = languages_.index() == kLanguageChinese;
        return true;
    case IDM_ENGLISHLANGUAGE:
        state.checked = languages_.index() == kLanguageEnglish;
        return true;
    case IDM_FANTICHINESELANGUAGE:
        state.checked = languages_.index() == kLanguageChineseTraditional;
        return true;
    default:
        return false;
    }
}
