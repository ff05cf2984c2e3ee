#pragma once
// The panes of the main window's status bar by name, and the two operations that the windows
// use on them.

#include <QString>

#include "kwztypes.h"

enum StatusPane : int
{
    kPanePrompt,      // stretches: menu prompts and tool-tip texts
    kPanePictureSize, // 150 pixels
    kPanePointer,     // 100: "X: 0  Y: 0"
    kPaneFrameRate,   // 130: frame rate, or the window's name
    kPaneAoi,         // 50
    kPaneHighQuality, // 120
    kPaneRecording,   // 120
    kPaneReplay,      // 80: "Replaying", or the image tool's name
    kPaneCount
};

// The background of a highlighted pane; its text is red or black.
inline constexpr COLORREF kPaneHighlight = RGB(253, 185, 36);

class StatusPanes
{
  public:
    virtual void SetPaneText(int pane, const QString& text) = 0;
    virtual void SetPaneColours(int pane, COLORREF background, COLORREF text) = 0;

  protected:
    ~StatusPanes() = default;
};
