#pragma once
// The eleven dialog bars in band order: the resource each is made from, the setting that says
// whether it is shown, and the command that shows and hides it.

#include <span>

#include "app/shell/command_ids.h"
#include "app/shell/settings.h"

enum class Bar
{
    Size,
    Lights,
    VideoSetting,
    Colour,
    Capture,
    Record,
    Magnifier,
    Ruler,
    Pen,
    Text,
    RulerMeasure
};
inline constexpr int kBarCount = 11;

struct BarInfo
{
    Bar bar;
    int resourceId;
    int FrameSettings::*shown;
    int toggleCommand; // 0: none
};

inline constexpr BarInfo kBarTable[kBarCount] = {
    {Bar::Size, cmd::IDD_SIZEBAR, &FrameSettings::showVideoSizeBar, cmd::ID_VIDEO_SHOWSIZEBAR},
    {Bar::Lights, cmd::IDD_LEDBAR, &FrameSettings::showVideoLedBar, cmd::ID_VIDEO_SHOWLEDBAR},
    {Bar::VideoSetting, cmd::IDD_VIDEOSETTINGBAR, &FrameSettings::showVideoSettingBar,
     cmd::ID_VIDEO_MANUALWB},
    {Bar::Colour, cmd::IDD_COLORBAR, &FrameSettings::showVideoColorBar, cmd::ID_VIDEO_SHOWCOLORBAR},
    {Bar::Capture, cmd::IDD_CAPTUREBAR, &FrameSettings::showMainSettingsBar,
     cmd::ID_CAPTURE_SETTING},
    {Bar::Record, cmd::IDD_RECORDBAR, &FrameSettings::showVideoRecordSettingBar,
     cmd::ID_BUTTON_RecordSetting},
    {Bar::Magnifier, cmd::IDD_ZOOMBAR, &FrameSettings::showImageZoomBar, cmd::ID_IMAGE_ZOOM},
    {Bar::Ruler, cmd::IDD_RULERBAR, &FrameSettings::showImageRulerBar, 0},
    {Bar::Pen, cmd::IDD_PENBAR, &FrameSettings::showImagePenBar, cmd::ID_IMAGE_SETTINGS_PEN},
    {Bar::Text, cmd::IDD_TEXTBAR, &FrameSettings::showImageTextBar, cmd::ID_IMAGE_SETTINGS_TEXT},
    {Bar::RulerMeasure, cmd::IDD_RULERMEASUREBAR, &FrameSettings::showImageRulerMeasureBar,
     cmd::ID_IMAGE_SETTINGS_RULER},
};

// The bars of live work that the video master flag stands for, and those of image work that
// the image master flag stands for.
inline constexpr Bar kVideoSideBars[] = {Bar::Capture, Bar::Size,         Bar::Colour,
                                         Bar::Lights,  Bar::VideoSetting, Bar::Record};
inline constexpr Bar kImageSideBars[] = {Bar::Ruler, Bar::Pen, Bar::Text, Bar::Magnifier};

inline const BarInfo& barInfo(Bar bar)
{
    return kBarTable[static_cast<int>(bar)];
}
inline int& barFlag(FrameSettings& settings, Bar bar)
{
    return settings.*barInfo(bar).shown;
}
inline int barFlag(const FrameSettings& settings, Bar bar)
{
    return settings.*barInfo(bar).shown;
}
// The bar that a command shows and hides, or null.
inline const BarInfo* barToggledBy(int commandId)
{
    for (const BarInfo& info : kBarTable)
        if (info.toggleCommand == commandId && commandId != 0)
            return &info;
    return nullptr;
}
