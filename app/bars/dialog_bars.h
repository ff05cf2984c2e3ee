#pragma once
// The eleven dialog bars of the main frame, each by its own type and all by their place in
// the band order.

#include "app/bars/bar_table.h"

class CaptureBar;
class ColourBar;
class DialogBar;
class LightsBar;
class MagnifierBar;
class PenBar;
class RecordBar;
class RulerBar;
class RulerMeasureBar;
class SizeBar;
class TextBar;
class VideoSettingBar;

struct DialogBars
{
    SizeBar* size = nullptr;
    LightsBar* lights = nullptr;
    VideoSettingBar* videoSetting = nullptr;
    ColourBar* colour = nullptr;
    CaptureBar* capture = nullptr;
    RecordBar* record = nullptr;
    MagnifierBar* magnifier = nullptr;
    RulerBar* ruler = nullptr;
    PenBar* pen = nullptr;
    TextBar* text = nullptr;
    RulerMeasureBar* rulerMeasure = nullptr;

    // Makes every bar, showing the settings; the caller gives them a parent.
    static DialogBars create(const FrameSettings& settings, bool cameraOpen);
    DialogBar* at(Bar which) const;
};
