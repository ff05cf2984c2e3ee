#pragma once
// The main window: client area with the live and image windows, the status bar, the two
// tool bars and the dialog bars, and the settings they show.

#include <QMainWindow>
#include <array>
#include <map>
#include <vector>

#include "app/shell/settings.h"
#include "kwztypes.h"

class CameraSession;
class CommandTarget;
class DocumentManager;
class LanguageSession;
struct WorkFolders;
class CClientWnd;
class CSPStatusBar;
class DialogBar;
class QAction;
class QMenu;
class QToolBar;

// What the main frame works with, handed over by the application object.
struct FrameServices
{
    void* settingsStore; // "MeasureTool.ini": read at construction, written at destruction
    const WorkFolders& folders;
    const LanguageSession& languages;
    CameraSession& camera;
    DocumentManager& documents;
    CommandTarget& application; // the commands that the application object takes
};

class CMainFrame : public QMainWindow
{
    Q_OBJECT
  public:
    // Dialog bars in band order.
    enum Bar
    {
        SizeBar,
        LedBar,
        VideoSettingBar,
        ColorBar,
        CaptureBar,
        RecordBar,
        ZoomBar,
        RulerBar,
        PenBar,
        TextBar,
        RulerMeasureBar,
        BarCount
    };
    enum class MenuKind
    {
        Main,
        Video,
        Image
    };
    static constexpr int kPaneCount = 8;
    static constexpr COLORREF kBandBackground = RGB(224, 223, 227);
    static constexpr COLORREF kHighlight = RGB(253, 185, 36);

    // Loads the settings.
    explicit CMainFrame(const FrameServices& services);
    // Saves the settings.
    ~CMainFrame() override;

    // The creation steps; false when a part cannot be made.
    bool LoadFrame();

    FrameSettings& settings() { return settings_; }
    CSPStatusBar* statusBarControl() const { return statusBar_; }
    CClientWnd* client() const { return client_; }
    QToolBar* videoToolBar() const { return videoToolBar_; }
    QToolBar* imageToolBar() const { return imageToolBar_; }
    DialogBar* bar(Bar which) const { return bars_[which]; }
    QToolBar* barHost(Bar which) const { return hosts_[which]; }
    QAction* action(int commandId) const;
    QMenu* menu(MenuKind kind, int position) const;
    MenuKind shownMenu() const { return shownMenu_; }
    void showMenu(MenuKind kind);
    int menuLanguage() const { return menuLanguage_; }
    int videoSideBars() const { return videoSideBars_; }
    int imageSideBars() const { return imageSideBars_; }

    void SetPaneText(int pane, const QString& text);
    void SetPaneColours(int pane, COLORREF background, COLORREF text);

    void ApplyMainMenuTexts();
    void ApplyVideoMenuTexts();
    void ApplyImageMenuTexts();
    void ApplyBarTexts();
    void ApplyCaptureBar();

    void HideVideoBars();
    void HideImageBars();
    void ShowVideoBars();
    void ShowImageBars();
    void OnVideoFrameActivated();
    void ToggleBar(Bar which);
    void ToggleVideoToolBar();
    void ToggleStatusBar(bool video);
    void OnAllButtons();
    void OnImageAllButtons();
    void OnConnect(bool fromMessage = false);
    void OnHelpContents();
    // Checked and enabled states of every command, in one place.
    void updateCommandStates();

  protected:
    bool event(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void createActions();
    void createMenus();
    bool createStatusBar();
    void createToolBars();
    void createDialogBars();
    QToolBar* addBand(Bar which, DialogBar* content);
    void refreshUnitLists();
    void refreshRulerLists();
    void applyStatusTexts();
    void onActiveWindowChanged();
    bool barFlag(Bar which) const;
    void setBarFlag(Bar which, bool shown);
    void setBarShown(Bar which, bool shown);

    FrameServices services_;
    FrameSettings settings_;
    CClientWnd* client_ = nullptr;
    CSPStatusBar* statusBar_ = nullptr;
    QToolBar* videoToolBar_ = nullptr;
    QToolBar* imageToolBar_ = nullptr;
    std::array<DialogBar*, BarCount> bars_{};
    std::array<QToolBar*, BarCount> hosts_{};
    std::map<int, QAction*> actions_;
    std::array<std::vector<QMenu*>, 3> menus_;
    MenuKind shownMenu_ = MenuKind::Main;
    int menuLanguage_ = 0;
    int videoSideBars_ = 0;
    int imageSideBars_ = 0;
    int autoWhiteBalance_ = 0;
};
