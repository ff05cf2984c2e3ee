#pragma once
// What the live window's host uses of the main frame: its status bar, client area, bar hosts
// and command route, the settings and languages, the bars of live work and their toggles, and
// the picture adjustment. The main frame implements it.

#include "app/bars/bar_table.h"
#include "app/shell/status_panes.h"

class CClientWnd;
class CSPStatusBar;
class LanguageSession;
class PictureAdjustment;
class QToolBar;
class QWidget;
struct DialogBars;
struct FrameSettings;

class LiveFrameParts : public StatusPanes
{
  public:
    virtual CSPStatusBar* statusBarControl() const = 0;
    virtual CClientWnd* client() const = 0;
    // The tool bar that holds a dialog bar; hidden while the bar is.
    virtual QToolBar* barHost(Bar which) const = 0;
    // Hands a command to the active window, the main frame or the application, as a menu
    // item does; false when nobody takes it.
    virtual bool routeCommand(int commandId) = 0;
    // The main window itself, as the parent of dialogs.
    virtual QWidget* frameWidget() = 0;

    virtual FrameSettings& settings() = 0;
    virtual const LanguageSession& languages() const = 0;
    virtual const DialogBars& bars() const = 0;
    virtual QToolBar* videoToolBar() const = 0;
    // The handlers of the colour, video-setting and lights bars.
    virtual PictureAdjustment& adjustment() const = 0;

    // Shows the bar when hidden and hides it otherwise, keeping its flag.
    virtual void ToggleBar(Bar which) = 0;
    virtual void ToggleVideoToolBar() = 0;
    virtual void ToggleStatusBar(bool video) = 0;
    virtual void ShowVideoBars() = 0;
    virtual void HideVideoBars() = 0;
    // The live window came to the front: video side bars by their flags.
    virtual void OnVideoFrameActivated() = 0;

  protected:
    ~LiveFrameParts() = default;
};
