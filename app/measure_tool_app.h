#pragma once
// The application object: start-up (single copy, camera, file types, work folders, settings
// and language), the operations the windows share, and shutdown.

#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "app/shell/language.h"
#include "zcapapi.h"

class QApplication;
class QLockFile;
class QLocalServer;
class QSocketNotifier;
class CDocTemplate;
class CDocument;
class CMainFrame;
class CVideoFrame;

inline constexpr size_t kRawFrameBytes = 2048 * 1536 + 512;
inline constexpr size_t kColourFrameBytes = 2048 * 1536 * 3;

class CMeasureToolApp
{
  public:
    // Makes the QApplication unless one exists already (tests make their own).
    CMeasureToolApp(int& argc, char** argv);
    ~CMeasureToolApp();
    static CMeasureToolApp* instance() { return instance_; }

    // The start-up steps; false ends the program (call ExitInstance then).
    bool InitInstance(const QStringList& arguments);
    // Destroys the main frame if it is there (which saves the settings), then the shutdown
    // steps; returns the exit code.
    int ExitInstance(int code = 0);
    // InitInstance, the event loop, ExitInstance.
    int run(const QStringList& arguments);

    CDocument* OpenDocumentFile(const QString& path);
    static int GetProgramFolder(char* out);
    static bool CreateFolderIfMissing(const char* path);
    CVideoFrame* FindVideoFrame();
    CVideoFrame* OpenVideoFrame();
    const char* GetToolTipText(int commandId) const { return toolTips_.text(commandId); }
    void LoadLanguage(int index);
    void SaveLanguageTexts();
    void RegisterFileTypes();

    // Language commands: index 0 Simplified Chinese, 1 English, 2 Traditional Chinese.
    void SwitchLanguage(int index);
    void OnFileOpen();
    void OnAppAbout();

    CMainFrame* mainFrame() const { return mainFrame_.get(); }
    ZCAPHANDLE device() const { return device_; }
    ZCAPINFO& captureInfo() { return captureInfo_; }
    void* settingsStore() const { return settingsStore_; }
    void* languageStore() const { return languageStore_; }
    int languageIndex() const { return languageIndex_; }
    const LanguageTexts& texts() const { return texts_; }
    const ToolTipTable& toolTips() const { return toolTips_; }
    const char* programFolder() const { return programFolder_; }
    const char* rulersFolder() const { return rulersFolder_; }
    const char* languageFolder() const { return languageFolder_; }
    const char* capturesFolder() const { return capturesFolder_; }
    const char* recordsFolder() const { return recordsFolder_; }
    QString commandLineFile() const { return commandLineFile_; }
    CDocTemplate* imageTemplate() const { return imageTemplate_.get(); }
    CDocTemplate* videoTemplate() const { return videoTemplate_.get(); }
    std::vector<BYTE>& colourFrame() { return colourFrame_; }

    // The name under which the running copy listens for requests of later copies.
    static QString instanceKey(const QString& programFolder);

  private:
    bool checkSingleInstance(const QString& fileToOpen);
    void listenForOtherCopies();
    void handleRequest(const QByteArray& request);
    void installSignalHandlers();

    static CMeasureToolApp* instance_;
    std::unique_ptr<QApplication> ownApplication_;

    std::unique_ptr<CDocTemplate> imageTemplate_;
    std::unique_ptr<CDocTemplate> videoTemplate_;
    ZCAPHANDLE device_ = 0;
    QString commandLineFile_;
    void* settingsStore_ = nullptr;
    void* languageStore_ = nullptr;
    char programFolder_[260] = {};
    char rulersFolder_[260] = {};
    char languageFolder_[260] = {};
    char capturesFolder_[260] = {};
    char recordsFolder_[260] = {};
    int languageIndex_ = 0;
    std::vector<BYTE> rawFrame_;
    std::vector<BYTE> colourFrame_;
    ZCAPINFO captureInfo_{};
    LanguageTexts texts_;
    ToolTipTable toolTips_;

    std::unique_ptr<CMainFrame> mainFrame_;
    std::unique_ptr<QLockFile> instanceLock_;
    QLocalServer* server_ = nullptr;
    QSocketNotifier* signalNotifier_ = nullptr;
    bool shutDown_ = false;
};
