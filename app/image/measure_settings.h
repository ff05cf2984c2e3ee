#pragma once
// The measurement settings of the main frame at work: what a new or opened image document is
// given (ruler, text font, pen, units, descriptor marks, precision), what the ruler, ruler
// definition, pen and text bars change, and the ruler files. The bars call these operations
// with their controls' values and show what the signals report.

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/image/ruler_file.h"
#include "app/shell/settings.h"
#include "kwztypes.h"

class CalibrationProfiles;
class MeasuredBitmap;
class MeasuredDocument;

class MeasureSettings : public QObject
{
    Q_OBJECT
  public:
    static constexpr int kTextSizeCount = 16;
    static constexpr int kDefaultTextSizeIndex = 8;
    static constexpr int kUnitCount = 5;
    // The bars that have a hide-descriptor box.
    enum class DescriptorBox
    {
        RulerBar,        // "bHideDesc"
        RulerMeasureBar, // "bHideDesc2"
    };

    // The settings belong to the caller (the main frame) and outlive this object.
    // `languageIndex` gives the program's language when asked.
    MeasureSettings(FrameSettings& settings, std::string rulersFolder,
                    std::function<int()> languageIndex, QObject* parent = nullptr);

    // The profiles whose scale new and opened pictures, and the active one, measure with while
    // a profile is in use. Theirs to own; null for none.
    void setProfiles(CalibrationProfiles* profiles) { profiles_ = profiles; }
    // The ruler a picture takes from the profile in use: the picture's ruler points (or the
    // current ones) with the length that the profile's scale of its size gives, in the ruler
    // unit. None without a profile or a scale for the size.
    std::optional<RulerRecord> profileRuler(const MeasuredBitmap& bitmap) const;
    // Gives the document the profile's ruler for its size; false (nothing changed) when the
    // document keeps its own or the profile has none.
    bool applyProfile(MeasuredDocument* document);
    // Micrometres in one of the five units.
    static double micrometresPer(int unit);

    FrameSettings& settings() { return settings_; }
    const FrameSettings& settings() const { return settings_; }
    const std::string& rulersFolder() const { return rulersFolder_; }
    int languageIndex() const { return languageIndex_ ? languageIndex_() : 0; }

    // Point size of a text-size index; indexes outside the table give the default size.
    static int textSize(int index);
    // Unit words as the language stores them: GBK for 0, Big5 for 2, the unit names for 1;
    // none for any other language.
    static std::vector<std::string> unitWordBytes(int language);
    // The same words for the widgets: every unit (measure-unit lists), and units 1 to 4
    // (ruler-unit list, whose entry i is unit i + 1).
    static QStringList unitWords(int language);
    static QStringList rulerUnitWords(int language);
    static int rulerUnitEntry(int unit) { return unit - 1; }

    // The text bar's face name (GBK, at most 63 bytes are used).
    void setFontFace(const QString& face);
    const std::string& fontFace() const { return fontFace_; }

    // The settings as given to one bitmap object.
    void applyRuler(MeasuredBitmap& bitmap) const;
    void applyTextFont(MeasuredBitmap& bitmap) const;
    void applyPen(MeasuredBitmap& bitmap) const;
    void applyMeasureUnit(MeasuredBitmap& bitmap) const;
    void applyMarks(MeasuredBitmap& bitmap) const;
    void applyPrecision(MeasuredBitmap& bitmap, int precision);
    // Ruler unit, ruler length and measure unit to the document, which then tells who watches.
    // `given`: the settings give them, which is no change of the document's own.
    void applyUnits(MeasuredDocument* document, bool given = false);

    // What each kind of document is given, in order.
    void giveToNewCapture(MeasuredBitmap& bitmap);
    void giveToOpenedBitmap(MeasuredBitmap& bitmap);
    void giveToOpenedMeasureFile(MeasuredBitmap& bitmap);
    // A measurement file's ruler unit and length, measure unit and pen become the current
    // settings; the bars are told.
    void takeOverFrom(const MeasuredBitmap& bitmap);

    // --- Ruler files ---
    std::string rulerPath(const QString& name) const;
    // Ruler bar (and an image frame coming to the front): the named ruler becomes current
    // and goes to the document, which does not count as a change of it. False (nothing
    // changed) when its file is missing or shorter than 32 bytes.
    bool chooseRulerFromRulerBar(const QString& name, int index, MeasuredDocument* active);
    // Ruler definition bar: the same without the ruler index; the bar then shows the length
    // and units (rulerShown).
    bool chooseRulerFromMeasureBar(const QString& name, MeasuredDocument* active);
    // Writes the active document's ruler under the name. False for an empty or unsafe name or
    // a failed write.
    bool saveRuler(const QString& name, MeasuredDocument* active);
    // Deletes the named ruler, then chooses "RulerDefault". The two system rulers are kept
    // with a message. False when nothing was deleted.
    bool deleteRuler(const QString& name, MeasuredDocument* active);
    // Names of the ruler files and the position of the current ruler among them (or -1);
    // also reported through rulerListChanged.
    QStringList refreshRulerList();
    int rulerListSelection() const { return rulerListSelection_; }

    // --- Bar controls ---
    void setHideRuler(bool ticked, MeasuredDocument* active);
    void setHideDescriptor(DescriptorBox box, bool ticked, MeasuredDocument* active);
    void setPrecision(int selection, MeasuredDocument* active);
    void setMeasureUnit(int selection, MeasuredDocument* active);
    // The apply button: length text (not a number: 0), the ruler-unit entry and the
    // measure-unit entry (-1 when the list has no selection leaves that unit).
    void applyCalibration(const QString& lengthText, int rulerUnitEntry, int measureUnitEntry,
                          MeasuredDocument* active);
    // A calibration applied since a ruler file was last chosen: new pictures of its size take
    // it, and a window coming to the front does not choose the ruler bar's file again.
    // A profile in use counts too.
    bool hasCalibrations() const;
    void setPenNormalColourIndex(int index, MeasuredDocument* active);
    void setPenTempColourIndex(int index, MeasuredDocument* active);
    void setPenWidthIndex(int index, MeasuredDocument* active);
    void setFontIndex(int index, const QString& face, MeasuredDocument* active);
    void setFontSizeIndex(int index, MeasuredDocument* active);
    void setFontNormalColourIndex(int index, MeasuredDocument* active);
    void setFontTempColourIndex(int index, MeasuredDocument* active);

  Q_SIGNALS:
    // Both bars' measure-unit lists select this unit.
    void measureUnitShown(int unit);
    // Both precision lists select this precision.
    void precisionShown(int precision);
    // The ruler definition bar's length field and ruler-unit entry (-1: no entry).
    void rulerShown(const QString& lengthText, int rulerUnitEntry);
    // The pen bar's pickers select these entries.
    void penShown(int widthIndex, int normalColourIndex, int tempColourIndex);
    // The ruler definition bar's list; selected is -1 when the current ruler is not listed.
    void rulerListChanged(const QStringList& names, int selected);
    // The ruler definition bar's name field is emptied.
    void rulerNameCleared();

  private:
    RulerRecord currentRuler() const;
    void storeRuler(const RulerRecord& ruler);
    bool readRuler(const QString& name, RulerRecord& ruler) const;
    void applyPenTo(MeasuredDocument* active);
    void applyTextFontTo(MeasuredDocument* active);
    // The ruler given to a new or opened picture: the last calibration of its size; after
    // calibrations of other sizes only, the chosen ruler file; else the current ruler.
    RulerRecord rulerFor(const MeasuredBitmap& bitmap) const;

    FrameSettings& settings_;
    std::string rulersFolder_;
    std::function<int()> languageIndex_;
    std::string fontFace_ = "Times New Roman";
    int rulerListSelection_ = -1;
    // Calibrations applied in this run, by picture size (width, height).
    std::map<std::pair<int, int>, RulerRecord> calibrations_;
    CalibrationProfiles* profiles_ = nullptr;
};
