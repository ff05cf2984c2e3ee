#pragma once
// The application object: start-up (single copy, camera, file types, work folders, settings
// and language, document templates, main frame, the file named on the command line) and
// shutdown. It owns the services and hands each window the ones it needs.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "app/documents/document_manager.h"
#include "app/live/camera_session.h"
#include "app/shell/command_target.h"
#include "app/shell/language.h"
#include "app/shell/recent_files.h"
#include "app/shell/work_folders.h"

class QApplication;
class QWidget;
class CDocument;
class CMainFrame;
class QtTranslations;
class QuitSignals;
class SingleInstance;

// The option that asks for the live window, in this copy or in the one already running.
inline constexpr const char* kConnectOption = "--connect";

class CMeasureToolApp : public CommandTarget
{
  public:
    // Makes the QApplication unless one exists already (tests make their own).
    CMeasureToolApp(int& argc, char** argv);
    ~CMeasureToolApp();

    // The start-up steps; false ends the program (call exitInstance then).
    bool initInstance(const QStringList& arguments);
    // Destroys the main frame if it is there (which saves the settings), then the shutdown
    // steps; returns the exit code.
    int exitInstance(int code = 0);
    // initInstance, the event loop, exitInstance.
    int run(const QStringList& arguments);

    CDocument* openDocumentFile(const QString& path);
    void RegisterFileTypes();
    // Language commands: index 0 Simplified Chinese, 1 English, 2 Traditional Chinese.
    void switchLanguage(int index);
    void onFileOpen();
    // A file of the "Latest Files" list: opened, or dropped from the list with a message when
    // it is no longer there.
    void openRecentFile(const QString& path);
    // Puts a file opened or saved first in the recent list and keeps the list in the settings.
    void rememberFile(const QString& path);
    QStringList recentFiles() const;
    // Import Picture: a JPEG, PNG or TIFF file as a new image window.
    void onImportPicture();
    void onAppAbout();
    // The dialog of File Open: returns the chosen file, empty when cancelled. Tests answer it
    // without a real dialog.
    using OpenFileChooser =
        std::function<QString(QWidget* parent, const QString& start, const QString& filter)>;
    void setOpenFileChooser(OpenFileChooser chooser) { chooseOpenFile_ = std::move(chooser); }

    // Open, about and the three languages.
    bool onCommand(int id) override;
    bool updateCommand(int id, CommandState& state) override;

    CMainFrame* mainFrame() const { return mainFrame_.get(); }
    CameraSession& camera() { return camera_; }
    DocumentManager& documents() { return documents_; }
    const LanguageSession& languages() const { return languages_; }
    const WorkFolders& folders() const { return folders_; }
    SettingsStore& settingsStore() { return settingsStore_; }
    QString commandLineFile() const { return commandLineFile_; }
    // Qt's own texts in the interface language.
    const QtTranslations* qtTranslations() const { return qtTranslations_.get(); }

  private:
    void createDocTemplates();

    OpenFileChooser chooseOpenFile_;

    std::unique_ptr<QApplication> ownApplication_;
    DocumentManager documents_;
    CameraSession camera_;
    QString commandLineFile_;
    SettingsStore settingsStore_;
    WorkFolders folders_;
    LanguageSession languages_;
    std::unique_ptr<QtTranslations> qtTranslations_;
    RecentFiles recent_;

    std::unique_ptr<CMainFrame> mainFrame_;
    std::unique_ptr<SingleInstance> singleInstance_;
    std::unique_ptr<QuitSignals> quitSignals_;
    bool shutDown_ = false;
    bool handedOver_ = false;
};
