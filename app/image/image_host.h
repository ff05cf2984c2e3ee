#pragma once
// What the image windows need of the main frame. The main frame implements it and hands it to
// every image document and frame; tests implement it to watch and answer.

#include <QString>

#include "kwztypes.h"

class MeasureSettings;
class QPrinter;
namespace kwz {
class Window;
}

class ImageHost
{
  public:
    virtual ~ImageHost() = default;

    // The current measurement settings, with the capture name, index, folder and
    // auto-increment flag that a captured image takes, and the magnifier radius.
    virtual MeasureSettings& measureSettings() = 0;
    // 0 Simplified Chinese, 1 English, 2 Traditional Chinese.
    virtual int languageIndex() const = 0;
    // The tool tip and prompt of a command (GetToolTipText), decoded.
    virtual QString toolTipText(int commandId) const = 0;

    // Panes of the main status bar.
    virtual void setPaneText(int pane, const QString& text) = 0;
    virtual void setPaneColours(int pane, COLORREF background, COLORREF text) = 0;
    // A width of 0 hides the pane; a stretching pane takes what the others leave.
    virtual void setPaneWidth(int pane, int width, bool stretch) = 0;

    // The magnifier bar's window, or null when there is none.
    virtual kwz::Window* magnifierWindow() = 0;

    // A save dialog: the chosen path, or empty when cancelled. The filter is in Qt's form.
    virtual QString getSaveFileName(const QString& filter, const QString& initialName) = 0;

    // A command the image frame does not handle itself (open, the bar toggles, the
    // magnifier bar), as if chosen from the menu.
    virtual void executeCommand(int commandId) = 0;
    // Brings the live window forward; false when there is none.
    virtual bool activateVideoWindow() = 0;
    // The printer that print setup chose for every image, or null: each print then starts
    // from the default printer.
    virtual QPrinter* printer() { return nullptr; }
};
