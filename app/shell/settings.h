#pragma once
// The values of "MeasureTool.ini" that the main frame keeps while it lives: sections "User"
// and "DescriptionMark", read and written in one fixed order.

#include <cstdint>
#include <string>
#include <string_view>

#include "app/shell/overlay_settings.h"

class SettingsStore;

struct FrameSettings
{
    int showVideoStatusBar = 1;
    int showVideoToolBar = 1;
    int showVideoColorBar = 0;
    int showVideoLedBar = 0;
    int showVideoSettingBar = 0;
    int showVideoSizeBar = 1;
    int showMainSettingsBar = 0;
    int showVideoRecordSettingBar = 0;
    int captureSizeIndex = 1;
    int frequency = 0;
    int redGain = 30;
    int greenGain = 30;
    int blueGain = 30;
    int gamma = 100;
    int redOffset = 30;
    int greenOffset = 30;
    int blueOffset = 30;
    int saveToDisk = 0;
    int captureAutoInc = 1;
    int saveAsJpeg = 1;
    std::string captureName = "Capture";
    std::string capturePath;
    int recordAutoInc = 1;
    std::string recordName = "Record";
    std::string recordPath;
    int timerInterval = 0;
    int limitCaptureNum = 0;
    int captureNum = 0;
    int switchCamera = 0;
    float rulerLength = 1.0f;
    int rulerStartX = 10;
    int rulerStartY = 10;
    int rulerEndX = 100;
    int rulerEndY = 10;
    int rulerUnitIndex = 0;
    int measureUnitIndex = 0;
    int rulerIndex = 0;
    int penNormalColorIndex = 5;
    int penTempColorIndex = 10;
    int penWidthIndex = 0;
    int showImageStatusBar = 1;
    int showImageToolBar = 1;
    int showImageRulerBar = 1;
    int showImageRulerMeasureBar = 1;
    int showImagePenBar = 1;
    int showImageTextBar = 1;
    int showImageZoomBar = 1;
    int fontIndex = 0;
    int fontSizeIndex = 8;
    int fontNormalColorIndex = 5;
    int fontTempColorIndex = 10;
    int fontSelectedColorIndex = 12;
    std::string rulerFileName = "Ruler";
    std::string selectedRulerFileName;
    int captureIndex = 0;
    int recordIndex = 0;
    int precision = 2;
    int hideRuler = 0;
    int hideDesc = 0;
    int hideDesc2 = 0;
    int exposure = 150;
    int maxExposure = 350;
    int zoomRate = 20;
    int storedRedGain = 50;
    int storedBlueGain = 41;
    int storedGreenGain = 46;
    int lightInner = 1;
    int lightOuter = 1;
    int lightLaser = 1;
    int backLight = 1;

    // Descriptor marks, one bit per descriptor line (bit 0 the lowest).
    uint32_t lineMark = 0;
    uint32_t rectMark = 0;
    uint32_t circleMark = 0;
    uint32_t ellipseMark = 0;
    uint32_t angleMark = 0;
    uint32_t polyLineMark = 0;

    // Section "CaptureFormat": captures are calibrated TIFF files. "bSaveAsJpeg" keeps the
    // JPEG-or-BMP choice, so older settings readers still find one of their formats.
    int saveAsTiff = 0;
    // Section "Calibration": the calibration profile in use ("" for none).
    std::string activeCalibrationProfile;
    // Section "LiveOverlay", read and written beside the others.
    OverlaySettings overlay;
};

// Reads "User" then "DescriptionMark"; the capture and record folders default to the work
// folders given. A store that is not open gives every default.
void loadSettings(const SettingsStore& store, FrameSettings& settings,
                  const std::string& capturesFolder, const std::string& recordsFolder);
void saveSettings(SettingsStore& store, const FrameSettings& settings);
// The language index of section "MAIN"; one the program has no texts for reads as Chinese.
// Without the key (a first start) it is `firstStart`.
int loadLanguageIndex(const SettingsStore& store, int firstStart = 0);
// The interface language that suits a locale name ("zh_CN", "zh_TW.UTF-8", "de_DE"):
// Simplified Chinese for Chinese, Traditional for Taiwan, Hong Kong, Macao and the Hant script,
// English for everything else.
int languageForLocale(std::string_view localeName);

// The ruler length as the file holds it: seven significant digits, trailing zeros removed but
// the decimal point kept ("1.", "2.54", "0.3333333", "1.e-005").
std::string formatRulerLength(float value);
// Text to number as the C library does it: leading blanks skipped, the longest number at the
// start taken, 0 when there is none.
float parseRulerLength(const char* text);

inline constexpr const char* kSettingsFile = "MeasureTool.ini";
