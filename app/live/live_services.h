#pragma once
// What a live window works with beyond its camera: the stored settings, the texts, the status
// panes, the bars of live work, and the bars its capture and recording read. The main frame
// owns one for all its live windows; tests make their own.

#include <functional>

#include "app/shell/local_time.h"

class CalibrationProfiles;
class CaptureBar;
class LanguageSession;
class LiveBars;
class RecordBar;
class StatusPanes;
struct FrameSettings;

struct LiveServices
{
    FrameSettings& settings;
    const LanguageSession& languages;
    StatusPanes& panes;
    LiveBars& bars;
    // Puts an exposure on the exposure slider, whose handler stores and sends it; false (or
    // empty) while there is no slider to do that.
    std::function<bool(int exposure)> exposureSlider;
    // What the user typed for captures and recordings; null leaves the stored settings.
    CaptureBar* captureBar = nullptr;
    RecordBar* recordBar = nullptr;
    // The calibration profiles, told the live picture's size so that its scale follows it;
    // null leaves the live picture uncalibrated.
    CalibrationProfiles* calibration = nullptr;
    // The clock of capture and recording names.
    LocalClock clock = currentLocalTime;
};
