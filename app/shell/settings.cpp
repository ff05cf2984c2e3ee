#include "app/shell/settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include <locale.h>
#include <stdlib.h>

#include "app/shell/store.h"

namespace {

constexpr const char* kUser = "User";
constexpr const char* kMarks = "DescriptionMark";
constexpr const char* kCalibration = "Calibration";
constexpr const char* kCaptureFormat = "CaptureFormat";

// Bounds of a number key; a value read outside them is taken as missing.
struct Range
{
    int lo = std::numeric_limits<int>::min();
    int hi = std::numeric_limits<int>::max();
};
constexpr int kNoLimit = std::numeric_limits<int>::max();
// Seconds that still fit in milliseconds of an int.
constexpr int kMaxSeconds = std::numeric_limits<int>::max() / 1000;

// Both directions walk the same list, so reading and writing can never disagree on order.
template <class Visitor> void visitUser(FrameSettings& s, Visitor& v)
{
    v.flag("bShowVideoStatusBar", s.showVideoStatusBar, 1);
    v.flag("bShowVideoToolBar", s.showVideoToolBar, 1);
    v.flag("bShowVideoColorBar", s.showVideoColorBar, 0);
    v.flag("bShowVideoLedBar", s.showVideoLedBar, 0);
    v.flag("bShowVideoSettingBar", s.showVideoSettingBar, 0);
    v.flag("bShowVideoSizeBar", s.showVideoSizeBar, 1);
    v.flag("bShowMainSettingsBar", s.showMainSettingsBar, 0);
    v.flag("bShowVideoRecordSettingBar", s.showVideoRecordSettingBar, 0);
    v.number("nCaptureSizeIndex", s.captureSizeIndex, 1, {0, 4});
    v.number("nFrequency", s.frequency, 0, {0, 1});
    v.number("nBrightness", s.redGain, 30, {1, 63});
    v.number("nContrast", s.greenGain, 30, {1, 63});
    v.number("nSaturation", s.blueGain, 30, {1, 63});
    v.number("nSharpness", s.gamma, 100, {1, 200});
    v.number("nGamma", s.redOffset, 30, {-255, 255});
    v.number("nGreenOffset", s.greenOffset, 30, {-255, 255});
    v.number("nBlueOffset", s.blueOffset, 30, {-255, 255});
    v.flag("bSaveToDisk", s.saveToDisk, 0);
    v.flag("bCaptureAutoInc", s.captureAutoInc, 1);
    v.flag("bSaveAsJpeg", s.saveAsJpeg, 1);
    v.text("strCaptureName", s.captureName, v.capture("Capture"));
    v.path("strCapturePath", s.capturePath, v.capturesFolder());
    v.flag("bRecordAutoInc", s.recordAutoInc, 1);
    v.text("strRecordName", s.recordName, v.capture("Record"));
    v.path("strRecordPath", s.recordPath, v.recordsFolder());
    v.number("nTimerInterval", s.timerInterval, 0, {0, kMaxSeconds});
    v.flag("bLimitCaptureNum", s.limitCaptureNum, 0);
    v.number("nCaptureNum", s.captureNum, 0, {0, kNoLimit});
    v.flag("bSwitchCamera", s.switchCamera, 0);
    v.decimal("fRulerLength", s.rulerLength);
    v.number("RulerStartPointX", s.rulerStartX, 10);
    v.number("RulerStartPointY", s.rulerStartY, 10);
    v.number("RulerEndPointX", s.rulerEndX, 100);
    v.number("RulerEndPointY", s.rulerEndY, 10);
    v.number("nRulerUnitIndex", s.rulerUnitIndex, 0, {0, 4});
    v.number("nMeasureUnitIndex", s.measureUnitIndex, 0, {0, 4});
    v.number("nRulerIndex", s.rulerIndex, 0, {0, kNoLimit});
    v.number("nPenNormalColorIndex", s.penNormalColorIndex, 5, {0, 15});
    v.number("nPenTempColorIndex", s.penTempColorIndex, 10, {0, 15});
    v.number("nPenWidthIndex", s.penWidthIndex, 0, {0, 7});
    v.flag("bShowImageStatusBar", s.showImageStatusBar, 1);
    v.flag("bShowImageToolBar", s.showImageToolBar, 1);
    v.flag("bShowImageRulerBar", s.showImageRulerBar, 1);
    v.flag("bShowImageRulerMeasureBar", s.showImageRulerMeasureBar, 1);
    v.flag("bShowImagePenBar", s.showImagePenBar, 1);
    v.flag("bShowImageTextBar", s.showImageTextBar, 1);
    v.flag("bShowImageZoomBar", s.showImageZoomBar, 1);
    v.number("nFontIndex", s.fontIndex, 0, {0, kNoLimit});
    v.number("nFontSizeIndex", s.fontSizeIndex, 8, {0, 15});
    v.number("nFontNormalColorIndex", s.fontNormalColorIndex, 5, {0, 15});
    v.number("nFontTempColorIndex", s.fontTempColorIndex, 10, {0, 15});
    v.number("nFontSelectedColorIndex", s.fontSelectedColorIndex, 12, {0, 15});
    v.text("RulerFileName", s.rulerFileName, v.capture("Ruler"));
    v.text("SelectedRulerFileName", s.selectedRulerFileName, v.capture(""));
    v.number("nCaptureIndex", s.captureIndex, 0, {0, kNoLimit});
    v.number("nRecordIndex", s.recordIndex, 0, {0, kNoLimit});
    v.number("nPrecision", s.precision, 2, {0, 6});
    v.flag("bHideRuler", s.hideRuler, 0);
    v.flag("bHideDesc", s.hideDesc, 0);
    v.flag("bHideDesc2", s.hideDesc2, 0);
    v.number("ExposalNum", s.exposure, 150, {1, kNoLimit});
    v.number("MaxExposal", s.maxExposure, 350, {1, kNoLimit});
    v.number("ZoomRate", s.zoomRate, 20, {5, 200});
    v.number("RedGain", s.storedRedGain, 50);
    v.number("BlueGain", s.storedBlueGain, 41);
    v.number("GreenGain", s.storedGreenGain, 46);
    v.number("LIGHTINNER", s.lightInner, 1);
    v.number("LIGHTOUTER", s.lightOuter, 1);
    v.number("LIGHTLASER", s.lightLaser, 1);
    v.number("BackLightOnOff", s.backLight, 1);
}

template <class Visitor> void visitMarks(FrameSettings& s, Visitor& v)
{
    const char* line[] = {"bLineGraphicName", "bLineStartPoint", "bLineEndPoint", "bLineLength"};
    const char* rect[] = {"bRectGraphicName", "bRectStartPoint", "bRectEndPoint", "bRectWidth",
                          "bRectHeight",      "bRectPerimeter",  "bRectArea"};
    const char* circle[] = {"bCircleGraphicName", "bCircleCentrePoint", "bCircleRadius",
                            "bCirclePerimeter", "bCircleArea"};
    const char* ellipse[] = {"bEllipseGraphicName", "bEllipseCentrePoint", "bEllipseRadiusH",
                             "bEllipseRadiusV",     "bEllipsePerimeter",   "bEllipseArea"};
    const char* angle[] = {"bAngleGraphicName", "bAngleAngle"};
    const char* poly[] = {"bPolyLineGraphicName", "bPolyLineTotalLine", "bPolyLinePerimeter",
                          "bPolyLineArea"};
    auto record = [&](uint32_t& mark, auto& keys) {
        for (size_t bit = 0; bit < std::size(keys); ++bit)
            v.bit(keys[bit], mark, static_cast<int>(bit));
    };
    record(s.lineMark, line);
    record(s.rectMark, rect);
    record(s.circleMark, circle);
    record(s.ellipseMark, ellipse);
    record(s.angleMark, angle);
    record(s.polyLineMark, poly);
}

template <class Visitor> void visitCalibration(FrameSettings& s, Visitor& v)
{
    v.text("strActiveProfile", s.activeCalibrationProfile, std::string());
}

template <class Visitor> void visitCaptureFormat(FrameSettings& s, Visitor& v)
{
    v.flag("bSaveAsTiff", s.saveAsTiff, 0);
}

constexpr size_t kMaxTextLength = 256;

struct Loader
{
    const SettingsStore& store;
    const char* section;
    std::string captures;
    std::string records;

    std::string capture(const char* text) { return text; }
    std::string capturesFolder() { return captures; }
    std::string recordsFolder() { return records; }

    void flag(const char* key, int& value, int def) { value = store.getBool(section, key, def); }
    void number(const char* key, int& value, int def, Range range = {})
    {
        value = store.getInt(section, key, def);
        if (value < range.lo || value > range.hi)
            value = def;
    }
    void text(const char* key, std::string& value, const std::string& def)
    {
        char buffer[260];
        store.getString(section, key, def.c_str(), buffer);
        value.assign(buffer, strnlen(buffer, kMaxTextLength));
    }
    // A cut path names another folder, so a path too long to keep whole is refused.
    void path(const char* key, std::string& value, const std::string& def)
    {
        char buffer[260];
        store.getString(section, key, def.c_str(), buffer);
        const size_t length = strnlen(buffer, sizeof buffer);
        if (length > kMaxTextLength)
            value = def.substr(0, kMaxTextLength);
        else
            value.assign(buffer, length);
    }
    void decimal(const char* key, float& value)
    {
        char buffer[260];
        store.getString(section, key, "1.0", buffer);
        value = parseRulerLength(buffer);
        // A ruler of no length, or of none that is a number, gives no scale at all.
        if (!std::isfinite(value) || !(value > 0))
            value = 1.0f;
    }
    void bit(const char* key, uint32_t& mark, int bit)
    {
        if (store.getBool(section, key, true))
            mark |= 1u << bit;
        else
            mark &= ~(1u << bit);
    }
};

struct Saver
{
    SettingsStore& store;
    const char* section;

    std::string capture(const char*) { return {}; }
    std::string capturesFolder() { return {}; }
    std::string recordsFolder() { return {}; }

    void flag(const char* key, int& value, int) { store.setBool(section, key, value != 0); }
    void number(const char* key, int& value, int, Range = {}) { store.setInt(section, key, value); }
    void text(const char* key, std::string& value, const std::string&)
    {
        store.setString(section, key, value.c_str());
    }
    void path(const char* key, std::string& value, const std::string& def)
    {
        text(key, value, def);
    }
    void decimal(const char* key, float& value)
    {
        store.setString(section, key, formatRulerLength(value).c_str());
    }
    void bit(const char* key, uint32_t& mark, int bit)
    {
        store.setBool(section, key, (mark >> bit) & 1u);
    }
};

std::string stripFraction(std::string digits)
{
    // Zeros at the end of the fraction go, the decimal point stays.
    const size_t point = digits.find('.');
    if (point == std::string::npos)
        return digits + ".";
    size_t end = digits.size();
    while (end > point + 1 && digits[end - 1] == '0')
        --end;
    digits.resize(end);
    return digits;
}

} // namespace

void loadSettings(const SettingsStore& store, FrameSettings& settings,
                  const std::string& capturesFolder, const std::string& recordsFolder)
{
    if (!store.isOpen())
        return;
    Loader user{store, kUser, capturesFolder, recordsFolder};
    visitUser(settings, user);
    // The slider cannot show an exposure beyond its own end.
    settings.exposure = std::min(settings.exposure, settings.maxExposure);
    Loader marks{store, kMarks, {}, {}};
    visitMarks(settings, marks);
    Loader calibration{store, kCalibration, {}, {}};
    visitCalibration(settings, calibration);
    Loader format{store, kCaptureFormat, {}, {}};
    visitCaptureFormat(settings, format);
}

void saveSettings(SettingsStore& store, const FrameSettings& settings)
{
    if (!store.isOpen())
        return;
    FrameSettings copy = settings;
    Saver user{store, kUser};
    visitUser(copy, user);
    Saver marks{store, kMarks};
    visitMarks(copy, marks);
    Saver calibration{store, kCalibration};
    visitCalibration(copy, calibration);
    Saver format{store, kCaptureFormat};
    visitCaptureFormat(copy, format);
}

int loadLanguageIndex(const SettingsStore& store, int firstStart)
{
    constexpr int kMissing = std::numeric_limits<int>::min();
    const int index = store.getInt("MAIN", "Language", kMissing);
    if (index == kMissing)
        return firstStart >= 0 && firstStart <= 2 ? firstStart : 0;
    return index >= 0 && index <= 2 ? index : 0;
}

int languageForLocale(std::string_view name)
{
    if (name.substr(0, 2) != "zh")
        return 1;
    for (std::string_view traditional : {"_TW", "_HK", "_MO", "Hant"})
        if (name.find(traditional) != std::string_view::npos)
            return 2;
    return 0;
}

std::string formatRulerLength(float value)
{
    const double v = value;
    if (!std::isfinite(v))
        return v != v ? "nan" : (v < 0 ? "-inf" : "inf");
    char buffer[64];
    // Seven significant digits, rounded first, so the rounded value picks the notation.
    auto r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::scientific, 6);
    std::string sci(buffer, r.ptr);
    const size_t e = sci.find('e');
    const int exponent = std::atoi(sci.c_str() + e + 1);
    const std::string mantissa = sci.substr(0, e);
    const double magnitude = std::fabs(std::strtod(sci.c_str(), nullptr));
    if (v == 0.0)
        return "0.";
    if (magnitude >= 0.1 && magnitude < 1e7)
    {
        const int decimals = 6 - exponent;
        r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, decimals);
        return stripFraction(std::string(buffer, r.ptr));
    }
    char exp[16];
    std::snprintf(exp, sizeof exp, "e%c%03d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return stripFraction(mantissa) + exp;
}

float parseRulerLength(const char* text)
{
    // The C locale, whatever the user's locale says about decimal commas.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return static_cast<float>(strtod_l(text, nullptr, cLocale));
}
