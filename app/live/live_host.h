#pragma once
// What the live window needs of the main window around it: status panes, settings, texts,
// the client area and the bars. The main frame implements it; tests use a recording fake.

#include <QSize>
#include <QString>

#include "app/shell/settings.h"
#include "app/shell/status_panes.h"
#include "kwztypes.h"

class CaptureHost;

// Bars that live-window commands toggle or ask about.
enum class LiveBar
{
    Color,
    Capture,
    Size,
    VideoTool,
    VideoStatus,
    VideoSetting,
};

class LiveHost : public StatusPanes
{
  public:
    virtual ~LiveHost() = default;

    // Width in pixels; 0 makes the pane take the room the others leave.
    virtual void SetPaneWidth(int pane, int width) = 0;

    // The values of the settings file, kept by the main frame.
    virtual FrameSettings& settings() = 0;
    // 0 Simplified Chinese, 1 English, 2 Traditional Chinese.
    virtual int languageIndex() const = 0;
    // GBK texts: the tool-tip of a command, a slot of the language table ("" when none).
    virtual const char* GetToolTipText(int commandId) const = 0;
    virtual const char* LanguageText(const char* key) const = 0;

    // Size of the client area that holds the child windows.
    virtual QSize clientSize() const = 0;
    // The client area's live-window flag.
    virtual void SetLiveWindow(int live) = 0;

    // Shows the bar when hidden and hides it otherwise, keeping its flag.
    virtual void ToggleBar(LiveBar bar) = 0;
    virtual bool IsBarShown(LiveBar bar) const = 0;
    // Checks the size bar's button of that index and no other.
    virtual void SetSizeButtons(int index) = 0;
    // Puts the exposure on the exposure slider, whose handler stores and sends it; false
    // while there is no slider to do that.
    virtual bool SetExposureSlider(int exposure) = 0;

    // The live frame got the focus: image bars hidden, video bars by the master flag.
    virtual void ShowVideoBars() = 0;
    // The live frame was activated: video side bars by their flags.
    virtual void ShowVideoSideBars() = 0;
    // The live frame closes.
    virtual void HideVideoBars() = 0;
    virtual void HideStatusBar() = 0;

    // The capture and record operations of the main frame; null where there are none.
    virtual CaptureHost* captureHost() { return nullptr; }
};
