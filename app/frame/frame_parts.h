#pragma once
// The parts of the main window that its helpers work with: the status bar and its panes, the
// client area, the hosts of the dialog bars and the command route. The main frame implements
// it, so image work and the live window's host need not know the main frame class.

#include "app/bars/bar_table.h"
#include "app/shell/status_panes.h"

class CClientWnd;
class CSPStatusBar;
class QToolBar;
class QWidget;

class FrameParts
{
  public:
    virtual void SetPaneText(int pane, const QString& text) = 0;
    virtual void SetPaneColours(int pane, COLORREF background, COLORREF text) = 0;
    virtual CSPStatusBar* statusBarControl() const = 0;
    virtual CClientWnd* client() const = 0;
    // The tool bar that holds a dialog bar; hidden while the bar is.
    virtual QToolBar* barHost(Bar which) const = 0;
    // Hands a command to the active window, the main frame or the application, as a menu
    // item does; false when nobody takes it.
    virtual bool routeCommand(int commandId) = 0;
    // The main window itself, as the parent of dialogs.
    virtual QWidget* frameWidget() = 0;

  protected:
    ~FrameParts() = default;
};
