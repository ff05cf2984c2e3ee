#pragma once
// What the live window's host uses of the main frame beyond the common parts: the settings
// and languages, the bars of live work and their toggles, and the picture adjustment. The main
// frame implements it.

#include "app/frame/frame_parts.h"

class LanguageSession;
class PictureAdjustment;
struct DialogBars;
struct FrameSettings;

class LiveFrameParts : public FrameParts
{
  public:
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
