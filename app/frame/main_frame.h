#pragma once
// The main window: the client area with the live and image windows, the status bar, the two
// tool bars and the dialog bars, the settings they show, and which of them show in live and
// in image work.

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

#include "app/bars/bar_table.h"
#include "app/bars/dialog_bars.h"
#include "app/frame/frame_menus.h"
#include "app/live/live_bars.h"
#include "app/shell/command_target.h"
#include "app/shell/local_time.h"
#include "app/shell/settings.h"
#include "app/shell/status_panes.h"

class CameraSession;
class CClientWnd;
class CommandRouter;
class CSPStatusBar;
class CVideoDoc;
class CVideoFrame;
class DocumentManager;
class HelpWindow;
class ImageWorkspace;
class LanguageSession;
class PictureAdjustment;
class QAction;
class QLineEdit;
class QMimeData;
class QToolBar;
class ResultsPanel;
class SettingsStore;
class StatusPanes;
struct LiveServices;
struct WorkFolders;

// What the main frame works with, handed over by the application object.
struct FrameServices
{
    SettingsStore& settingsStore; // "MeasureTool.ini": read at construction, written at destruction
    const WorkFolders& folders;
    const LanguageSession& languages;
    CameraSession& camera;
    DocumentManager& documents;
    CommandTarget& application; // the commands that the application object takes
};

class CMainFrame : public QMainWindow, public CommandTarget
{
    Q_OBJECT
  public:
    using MenuKind = ::MenuKind;

    // Loads the settings.
    explicit CMainFrame(const FrameServices& services);
    // Saves the settings.
    ~CMainFrame() override;

    // The creation steps; false when a part cannot be made.
    bool loadFrame();

    FrameSettings& settings() { return settings_; }
    const LanguageSession& languages() const { return services_.languages; }
    // A live window on the document, wired to the bars and panes of live work.
    CVideoFrame* createLiveFrame(CVideoDoc& document);
    // What the status bar shows.
    StatusPanes& panes() const { return *panes_; }
    CSPStatusBar* statusBarControl() const { return statusBar_; }
    CClientWnd* client() const { return client_; }
    QToolBar* videoToolBar() const { return videoToolBar_; }
    QToolBar* imageToolBar() const { return imageToolBar_; }
    const DialogBars& bars() const { return bars_; }
    DialogBar* bar(Bar which) const { return bars_.at(which); }
    QToolBar* barHost(Bar which) const { return hosts_[static_cast<int>(which)]; }
    QAction* action(int commandId) const;
    // Hands a command to the active window, the main frame or the application, as a menu
    // item does; false when nobody takes it.
    bool routeCommand(int commandId);
    QWidget* frameWidget() { return this; }
    // Image work: the measurement settings, the image bars and what image windows ask for.
    ImageWorkspace* images() const { return images_; }
    // The results table of the active image.
    ResultsPanel* results() const { return results_; }
    QMenu* menu(MenuKind kind, int position) const { return menus_->menu(kind, position); }
    MenuKind shownMenu() const { return menus_->shown(); }
    const FrameMenus& menus() const { return *menus_; }
    int menuLanguage() const { return menuLanguage_; }
    bool videoSideBars() const { return videoSideBars_; }
    bool imageSideBars() const { return imageSideBars_; }

    void SetPaneText(int pane, const QString& text);
    void SetPaneColours(int pane, COLORREF background, COLORREF text);

    void ApplyMainMenuTexts();
    void ApplyVideoMenuTexts();
    void ApplyImageMenuTexts();
    void ApplyBarTexts();

    // Shows the stored capture settings on the capture bar.
    void ApplyCaptureBar();
    // A command as the bars' controls send it to the main frame.
    void sendCommand(int id);
    // A new image window measuring the frame (24-bit rows, bottom row first); shown maximised
    // when `maximised`. False when the image document did not take the pixels.
    bool openCapturedImage(const BYTE* bgr, int width, int height, bool maximised);
    // A JPEG, PNG or TIFF file as a new image window; the user is told why one is refused.
    bool importPicture(const QString& path);
    // The clock of capture and recording names; tests set their own.
    void setLocalClock(LocalClock clock);
    // The handlers of the colour, video-setting and lights bars.
    PictureAdjustment& adjustment() const { return *adjustment_; }

    void hideVideoBars();
    void hideImageBars();
    void showVideoBars();
    void showImageBars();
    void onVideoFrameActivated();
    void toggleBar(Bar which);
    void toggleVideoToolBar();
    void toggleImageToolBar();
    void toggleStatusBar(bool video);
    void onAllButtons();
    void onImageAllButtons();
    // Opens or activates the live window and starts its picture.
    void onConnect(bool fromRequest = false);
    // The desktop's handler opens the manual; without one it opens in the program's own help
    // window, one for all, brought to the front.
    void onHelpContents();
    HelpWindow* helpWindow() const { return help_; }
    // The folder dialog of the capture and record bars' "..." buttons: the chosen folder, or
    // empty on cancel. Tests answer it themselves.
    using FolderChooser = std::function<QString(QWidget* parent, const QString& start)>;
    void setFolderChooser(FolderChooser chooser) { chooseFolder_ = std::move(chooser); }
    // What the "Latest Files" submenus list, and what choosing one does.
    void setRecentFiles(std::function<QStringList()> list,
                        std::function<void(const QString&)> open);
    // Files dropped from a file manager, by any way they arrive; true when one was taken.
    bool openDroppedFiles(const QMimeData& data);
    // Checked and enabled states of every command, in one place.
    void updateCommandStates();
    // A termination signal: nothing is asked, unsaved pictures are written to names that no
    // file has (each said on stderr), and every window closes.
    void closeOnTermination();

    // The commands the main frame takes (its command map is in main_frame_commands.cpp).
    bool onCommand(int id) override;
    bool updateCommand(int id, CommandState& state) override;

  protected:
    bool event(QEvent* event) override;
    // Keys that a live bar's control leaves reach the live window, as if it had the focus.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Every child window closes first (an image asks to save); one that stays keeps the
    // program open.
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // The window the user works in: the active child's view, else the frame itself.
    QWidget* workFocusTarget() const;
    bool createStatusBar();
    // Recordings of the record folder that a kill or a power cut left without their index.
    void finishCutRecordings();
    void createToolBars();
    void createDialogBars();
    void connectBars();
    void connectLiveBars();
    // Image work, its services and what it tells the status bar and the command route.
    void createImageWorkspace();
    void toggleLiveBar(LiveBar bar);
    // The live bars' shown flags as the screen has them, for the check marks.
    void syncLiveBars();

    // Timed capture and recording end before the settings are saved.
    void finishLiveWork();
    void chooseFolder(std::string& stored, QLineEdit* box);
    void openFolder(const std::string& path);
    void applyStatusTexts();
    void showOwnManual(const QString& path, int languageIndex);
    void onActiveWindowChanged();
    void setBarShown(Bar which, bool shown);
    bool barShown(Bar which) const;

    FrameServices services_;
    FrameSettings settings_;
    CClientWnd* client_ = nullptr;
    CSPStatusBar* statusBar_ = nullptr;
    QToolBar* videoToolBar_ = nullptr;
    QToolBar* imageToolBar_ = nullptr;
    DialogBars bars_;
    std::array<QToolBar*, kBarCount> hosts_{};
    CommandRouter* commands_ = nullptr;
    ImageWorkspace* images_ = nullptr;
    ResultsPanel* results_ = nullptr;
    std::unique_ptr<FrameMenus> menus_;
    StatusPanes* panes_ = nullptr;
    LiveBars* liveBars_ = nullptr;
    std::unique_ptr<LiveServices> liveServices_;
    FolderChooser chooseFolder_;
    int menuLanguage_ = 0;
    bool videoSideBars_ = false;
    bool imageSideBars_ = false;
    std::unique_ptr<PictureAdjustment> adjustment_;
    HelpWindow* help_ = nullptr; // owned by this window
};
