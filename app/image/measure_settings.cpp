#include "app/image/measure_settings.h"

#include <QFile>
#include <cmath>

#include "app/calibration/calibration_profiles.h"
#include "app/controls/pen_style_combo.h"
#include "app/image/measured_bitmap.h"
#include "app/image/measured_document.h"
#include "app/shell/gbk_text.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/message_box.h"

namespace {

constexpr int kTextSizes[MeasureSettings::kTextSizeCount] = {8,  9,  10, 11, 12, 14, 16, 18,
                                                             20, 22, 24, 26, 28, 36, 48, 72};
constexpr size_t kFaceLimit = 63;
constexpr const char* kCaption = "kwzview";

// The five units in unit order.
constexpr const char* kGbkUnits[] = {"\xCE\xA2\xC3\xD7", "\xBA\xC1\xC3\xD7", "\xC0\xE5\xC3\xD7",
                                     "\xC3\xD7", "\xD3\xA2\xB4\xE7"};
constexpr const char* kBig5Units[] = {"\xB7\x4C\xA6\xCC", "\xB2\x40\xA6\xCC", "\xCD\xF9\xA6\xCC",
                                      "\xA6\xCC", "\xAD\x5E\xA4\x6F"};
constexpr const char* kUnitNames[] = {"UM", "MM", "CM", "M", "INCH"};

int penColourIndex(COLORREF colour)
{
    for (int i = 0; i < CPenStyleCombo::kColourCount; ++i)
        if (CPenStyleCombo::colourAt(i) == colour)
            return i;
    return 0;
}

int penWidthIndex(int width, int current)
{
    for (int i = 0; i < CPenStyleCombo::kWidthCount; ++i)
        if (CPenStyleCombo::widthAt(i) == width)
            return i;
    return current;
}

MeasuredBitmap* bitmapOf(MeasuredDocument* document)
{
    return document != nullptr ? document->bitmap() : nullptr;
}

} // namespace

MeasureSettings::MeasureSettings(FrameSettings& settings, std::string rulersFolder,
                                 std::function<int()> languageIndex, QObject* parent)
    : QObject(parent), settings_(settings), rulersFolder_(std::move(rulersFolder)),
      languageIndex_(std::move(languageIndex))
{
}

int MeasureSettings::textSize(int index)
{
    if (index < 0 || index >= kTextSizeCount)
        index = kDefaultTextSizeIndex;
    return kTextSizes[index];
}

std::vector<std::string> MeasureSettings::unitWordBytes(int language)
{
    const char* const* words = nullptr;
    switch (language)
    {
    case 0:
        words = kGbkUnits;
        break;
    case 1:
        words = kUnitNames;
        break;
    case 2:
        words = kBig5Units;
        break;
    default:
        return {};
    }
    return std::vector<std::string>(words, words + kUnitCount);
}

QStringList MeasureSettings::unitWords(int language)
{
    QStringList words;
    for (const std::string& bytes : unitWordBytes(language))
        words << QString::fromStdString(language == 2 ? kwz::big5ToUtf8(bytes)
                                                      : kwz::gbkToUtf8(bytes));
    return words;
}

QStringList MeasureSettings::rulerUnitWords(int language)
{
    return unitWords(language).mid(1);
}

void MeasureSettings::setFontFace(const QString& face)
{
    fontFace_ = toGbk(face);
    if (fontFace_.size() > kFaceLimit)
        fontFace_.resize(kFaceLimit);
}

RulerRecord MeasureSettings::currentRuler() const
{
    return RulerRecord{POINT{settings_.rulerStartX, settings_.rulerStartY},
                       POINT{settings_.rulerEndX, settings_.rulerEndY}, settings_.rulerUnitIndex,
                       settings_.rulerLength};
}

void MeasureSettings::storeRuler(const RulerRecord& ruler)
{
    settings_.rulerStartX = ruler.start.x;
    settings_.rulerStartY = ruler.start.y;
    settings_.rulerEndX = ruler.end.x;
    settings_.rulerEndY = ruler.end.y;
    settings_.rulerUnitIndex = ruler.unit;
    settings_.rulerLength = ruler.length;
}

double MeasureSettings::micrometresPer(int unit)
{
    switch (unit)
    {
    case 1:
        return 1e3;
    case 2:
        return 1e4;
    case 3:
        return 1e6;
    case 4:
        return 25400.0;
    default:
        return 1.0;
    }
}

bool MeasureSettings::hasCalibrations() const
{
    return !calibrations_.empty() || (profiles_ != nullptr && profiles_->active() != nullptr);
}

std::optional<RulerRecord> MeasureSettings::profileRuler(const MeasuredBitmap& bitmap) const
{
    if (profiles_ == nullptr)
        return std::nullopt;
    const std::optional<double> scale = profiles_->umPerPixel(bitmap.size());
    if (!scale)
        return std::nullopt;
    RulerRecord ruler = bitmap.ruler().value_or(currentRuler());
    double pixels =
        std::hypot(double(ruler.end.x - ruler.start.x), double(ruler.end.y - ruler.start.y));
    if (pixels < 1.0)
    {
        const FrameSettings defaults;
        ruler.start = POINT{defaults.rulerStartX, defaults.rulerStartY};
        ruler.end = POINT{defaults.rulerEndX, defaults.rulerEndY};
        pixels =
            std::hypot(double(ruler.end.x - ruler.start.x), double(ruler.end.y - ruler.start.y));
    }
    ruler.unit = settings_.rulerUnitIndex >= 0 && settings_.rulerUnitIndex < kUnitCount
                     ? settings_.rulerUnitIndex
                     : 0;
    ruler.length = static_cast<float>(pixels * *scale / micrometresPer(ruler.unit));
    return ruler;
}

bool MeasureSettings::applyProfile(MeasuredDocument* document)
{
    MeasuredBitmap* bitmap = bitmapOf(document);
    if (bitmap == nullptr || document->keepsOwnRuler())
        return false;
    const std::optional<RulerRecord> ruler = profileRuler(*bitmap);
    if (!ruler)
        return false;
    bitmap->setRuler(*ruler);
    bitmap->setMeasureUnit(settings_.measureUnitIndex);
    document->calibrationTouched();
    return true;
}

RulerRecord MeasureSettings::rulerFor(const MeasuredBitmap& bitmap) const
{
    if (const std::optional<RulerRecord> fromProfile = profileRuler(bitmap))
        return *fromProfile;
    const QSize size = bitmap.size();
    auto it = calibrations_.find({size.width(), size.height()});
    if (it != calibrations_.end())
        return it->second;
    RulerRecord chosen;
    if (!calibrations_.empty() &&
        readRuler(QFile::decodeName(QByteArray::fromStdString(settings_.selectedRulerFileName)),
                  chosen))
        return chosen;
    return currentRuler();
}

void MeasureSettings::applyRuler(MeasuredBitmap& bitmap) const
{
    bitmap.setRuler(rulerFor(bitmap));
}

void MeasureSettings::applyTextFont(MeasuredBitmap& bitmap) const
{
    const COLORREF temp = CPenStyleCombo::colourAt(settings_.fontTempColorIndex);
    // The size is the letters' (em) height, as a font size means: asked as a cell height, a
    // face with tall line spacing would draw a fraction of it. A negative height is the
    // character height to every reader of the stored texts.
    bitmap.setTextFont(fontFace_.c_str(), -textSize(settings_.fontSizeIndex),
                       CPenStyleCombo::colourAt(settings_.fontNormalColorIndex), temp, temp);
}

void MeasureSettings::applyPen(MeasuredBitmap& bitmap) const
{
    const COLORREF temp = CPenStyleCombo::colourAt(settings_.penTempColorIndex);
    bitmap.setPen({0, CPenStyleCombo::widthAt(settings_.penWidthIndex),
                   CPenStyleCombo::colourAt(settings_.penNormalColorIndex), temp, temp});
}

void MeasureSettings::applyMeasureUnit(MeasuredBitmap& bitmap) const
{
    bitmap.setMeasureUnit(settings_.measureUnitIndex);
}

void MeasureSettings::applyMarks(MeasuredBitmap& bitmap) const
{
    bitmap.setMarks({settings_.lineMark, settings_.rectMark, settings_.circleMark,
                     settings_.ellipseMark, settings_.angleMark, settings_.polyLineMark});
}

void MeasureSettings::applyPrecision(MeasuredBitmap& bitmap, int precision)
{
    settings_.precision = precision;
    bitmap.setPrecision(precision);
}

void MeasureSettings::applyUnits(MeasuredDocument* document, bool given)
{
    MeasuredBitmap* bitmap = bitmapOf(document);
    if (bitmap == nullptr)
        return;
    if (applyProfile(document))
        return;
    bitmap->setRulerUnitAndLength(settings_.rulerUnitIndex, settings_.rulerLength);
    bitmap->setMeasureUnit(settings_.measureUnitIndex);
    if (given)
        document->calibrationGiven();
    else
        document->calibrationTouched();
}

void MeasureSettings::giveToNewCapture(MeasuredBitmap& bitmap)
{
    applyRuler(bitmap);
    applyTextFont(bitmap);
    applyPen(bitmap);
    applyMeasureUnit(bitmap);
    applyMarks(bitmap);
    applyPrecision(bitmap, settings_.precision);
}

void MeasureSettings::giveToOpenedBitmap(MeasuredBitmap& bitmap)
{
    applyRuler(bitmap);
    applyTextFont(bitmap);
    applyPen(bitmap);
    applyMarks(bitmap);
}

void MeasureSettings::giveToOpenedMeasureFile(MeasuredBitmap& bitmap)
{
    applyMarks(bitmap);
}

void MeasureSettings::takeOverFrom(const MeasuredBitmap& bitmap)
{
    if (const auto ruler = bitmap.rulerUnitAndLength())
    {
        settings_.rulerUnitIndex = ruler->first;
        settings_.rulerLength = ruler->second;
    }
    if (const auto unit = bitmap.measureUnit())
        settings_.measureUnitIndex = *unit;

    int width = CPenStyleCombo::widthAt(settings_.penWidthIndex);
    COLORREF normal = CPenStyleCombo::colourAt(settings_.penNormalColorIndex);
    COLORREF hovered = CPenStyleCombo::colourAt(settings_.penTempColorIndex);
    if (const auto pen = bitmap.pen())
    {
        width = pen->width;
        normal = pen->normal;
        hovered = pen->hovered;
    }
    // As the pickers show them: a colour the table lacks is entry 0, an unknown width keeps
    // the current entry.
    settings_.penWidthIndex = penWidthIndex(width, settings_.penWidthIndex);
    settings_.penNormalColorIndex = penColourIndex(normal);
    settings_.penTempColorIndex = penColourIndex(hovered);

    Q_EMIT measureUnitShown(settings_.measureUnitIndex);
    Q_EMIT precisionShown(settings_.precision);
    Q_EMIT rulerShown(QString::fromStdString(formatRulerLength(settings_.rulerLength)),
                      rulerUnitEntry(settings_.rulerUnitIndex));
    Q_EMIT penShown(settings_.penWidthIndex, settings_.penNormalColorIndex,
                    settings_.penTempColorIndex);
}

std::string MeasureSettings::rulerPath(const QString& name) const
{
    return rulerFilePath(rulersFolder_, QFile::encodeName(name).toStdString());
}

bool MeasureSettings::readRuler(const QString& name, RulerRecord& ruler) const
{
    const std::string bytes = QFile::encodeName(name).toStdString();
    if (!isValidRulerName(bytes))
        return false;
    const std::optional<RulerRecord> read = readRulerFile(rulerPath(name));
    if (!read)
        return false;
    ruler = *read;
    return true;
}

bool MeasureSettings::chooseRulerFromRulerBar(const QString& name, int index,
                                              MeasuredDocument* active)
{
    RulerRecord ruler;
    // A missing or short file gives no ruler: the current one stays.
    if (!readRuler(name, ruler))
        return false;
    calibrations_.clear();
    // A ruler chosen by name is what the user wants to measure with, not the profile's.
    if (profiles_ != nullptr)
        profiles_->setActive(QString());
    settings_.selectedRulerFileName = QFile::encodeName(name).toStdString();
    settings_.rulerIndex = index;
    storeRuler(ruler);
    if (MeasuredBitmap* bitmap = bitmapOf(active))
        applyRuler(*bitmap);
    applyUnits(active, true);
    return true;
}

bool MeasureSettings::chooseRulerFromMeasureBar(const QString& name, MeasuredDocument* active)
{
    RulerRecord ruler;
    if (!readRuler(name, ruler))
        return false;
    calibrations_.clear();
    // A ruler chosen by name is what the user wants to measure with, not the profile's.
    if (profiles_ != nullptr)
        profiles_->setActive(QString());
    settings_.selectedRulerFileName = QFile::encodeName(name).toStdString();
    storeRuler(ruler);
    if (MeasuredBitmap* bitmap = bitmapOf(active))
        applyRuler(*bitmap);
    Q_EMIT rulerShown(QString::fromStdString(formatRulerLength(settings_.rulerLength)),
                      rulerUnitEntry(settings_.rulerUnitIndex));
    Q_EMIT measureUnitShown(settings_.measureUnitIndex);
    applyUnits(active);
    if (active != nullptr)
        active->setModified(true);
    return true;
}

bool MeasureSettings::saveRuler(const QString& name, MeasuredDocument* active)
{
    const std::string bytes = QFile::encodeName(name).toStdString();
    // A name with a slash would write outside the ruler folder.
    if (!isValidRulerName(bytes))
        return false;
    settings_.selectedRulerFileName = bytes;
    RulerRecord ruler = currentRuler();
    if (MeasuredBitmap* bitmap = bitmapOf(active))
        ruler = bitmap->ruler().value_or(ruler);
    settings_.rulerStartX = ruler.start.x;
    settings_.rulerStartY = ruler.start.y;
    settings_.rulerEndX = ruler.end.x;
    settings_.rulerEndY = ruler.end.y;
    const bool written = writeRulerFile(rulerPath(name), ruler);
    refreshRulerList();
    return written;
}

bool MeasureSettings::deleteRuler(const QString& name, MeasuredDocument* active)
{
    if (name.isEmpty())
        return false;
    const std::string bytes = QFile::encodeName(name).toStdString();
    if (isSystemRuler(bytes))
    {
        const std::string text =
            languageIndex() == 1 ? std::string("You must not delete the Ruler that defined by the "
                                               "system !")
                                 : toGbk(QStringLiteral("你不能删除系统自带的标尺!"));
        kwz::messageBox(nullptr, text.c_str(), kCaption, kwz::MB_OK | kwz::MB_ICONWARNING);
        return false;
    }
    if (!isValidRulerName(bytes))
        return false;
    settings_.selectedRulerFileName = bytes;
    const bool deleted = kwz::deleteFile(rulerPath(name));
    Q_EMIT rulerNameCleared();
    const QStringList names = refreshRulerList();
    const int defaultIndex = names.indexOf(QString::fromLatin1(kDefaultRulerName));
    if (defaultIndex >= 0)
    {
        rulerListSelection_ = defaultIndex;
        Q_EMIT rulerListChanged(names, defaultIndex);
        chooseRulerFromMeasureBar(names[defaultIndex], active);
    }
    return deleted;
}

QStringList MeasureSettings::refreshRulerList()
{
    QStringList names;
    for (const std::string& name : listRulers(rulersFolder_))
        names << QFile::decodeName(QByteArray::fromStdString(name));
    rulerListSelection_ = names.indexOf(
        QFile::decodeName(QByteArray::fromStdString(settings_.selectedRulerFileName)));
    Q_EMIT rulerListChanged(names, rulerListSelection_);
    return names;
}

void MeasureSettings::setHideRuler(bool ticked, MeasuredDocument* active)
{
    settings_.hideRuler = ticked ? 1 : 0;
    if (active == nullptr)
        return;
    active->setHideRuler(ticked);
}

void MeasureSettings::setHideDescriptor(DescriptorBox box, bool ticked, MeasuredDocument* active)
{
    (box == DescriptorBox::RulerBar ? settings_.hideDesc : settings_.hideDesc2) = ticked ? 1 : 0;
    MeasuredBitmap* bitmap = bitmapOf(active);
    if (bitmap == nullptr)
        return;
    bitmap->hideDescriptors(ticked);
    active->setModified(true);
    active->figuresRestyled();
}

void MeasureSettings::setPrecision(int selection, MeasuredDocument* active)
{
    settings_.precision = selection;
    Q_EMIT precisionShown(selection);
    MeasuredBitmap* bitmap = bitmapOf(active);
    if (bitmap == nullptr)
        return;
    bitmap->setPrecision(selection);
    active->setModified(true);
    active->calibrationTouched();
}

void MeasureSettings::setMeasureUnit(int selection, MeasuredDocument* active)
{
    settings_.measureUnitIndex = selection;
    Q_EMIT measureUnitShown(selection);
    applyUnits(active);
    if (active != nullptr)
        active->setModified(true);
}

void MeasureSettings::applyCalibration(const QString& lengthText, int rulerUnitEntry,
                                       int measureUnitEntry, MeasuredDocument* active)
{
    settings_.rulerLength = parseRulerLength(lengthText.toLatin1().constData());
    if (rulerUnitEntry >= 0)
        settings_.rulerUnitIndex = rulerUnitEntry + 1;
    if (measureUnitEntry >= 0)
        settings_.measureUnitIndex = measureUnitEntry;
    MeasuredBitmap* bitmap = bitmapOf(active);
    if (bitmap == nullptr)
        return;
    // The length typed is the calibration: no profile's scale may replace it first.
    bitmap->setRulerUnitAndLength(settings_.rulerUnitIndex, settings_.rulerLength);
    bitmap->setMeasureUnit(settings_.measureUnitIndex);
    active->calibrationTouched();
    active->setModified(true);
    // The ruler as the user placed it on this picture, not only its length, is what the next
    // pictures of this size measure with.
    const std::optional<RulerRecord> ruler = bitmap->ruler();
    if (!ruler)
        return;
    const QSize size = bitmap->size();
    storeRuler(*ruler);
    calibrations_[{size.width(), size.height()}] = *ruler;
    // With a profile in use the calibration is the profile's at this size, and the other sizes
    // follow it.
    const double pixels =
        std::hypot(double(ruler->end.x - ruler->start.x), double(ruler->end.y - ruler->start.y));
    if (profiles_ != nullptr && profiles_->active() != nullptr && pixels >= 1.0 &&
        !active->keepsOwnRuler())
        profiles_->calibrate(size, ruler->length * micrometresPer(ruler->unit) / pixels, QString());
}

void MeasureSettings::applyPenTo(MeasuredDocument* active)
{
    MeasuredBitmap* bitmap = bitmapOf(active);
    if (bitmap == nullptr)
        return;
    applyPen(*bitmap);
    active->setModified(true);
    active->figuresRestyled();
}

void MeasureSettings::setPenNormalColourIndex(int index, MeasuredDocument* active)
{
    if (active == nullptr)
        return;
    settings_.penNormalColorIndex = index;
    applyPenTo(active);
}

void MeasureSettings::setPenTempColourIndex(int index, MeasuredDocument* active)
{
    if (active == nullptr)
        return;
    settings_.penTempColorIndex = index;
    applyPenTo(active);
}

void MeasureSettings::setPenWidthIndex(int index, MeasuredDocument* active)
{
    if (active == nullptr)
        return;
    settings_.penWidthIndex = index;
    applyPenTo(active);
}

void MeasureSettings::applyTextFontTo(MeasuredDocument* active)
{
    MeasuredBitmap* bitmap = bitmapOf(active);
    if (bitmap == nullptr)
        return;
    applyTextFont(*bitmap);
    active->setModified(true);
    active->figuresRestyled();
}

void MeasureSettings::setFontIndex(int index, const QString& face, MeasuredDocument* active)
{
    if (active == nullptr)
        return;
    settings_.fontIndex = index;
    setFontFace(face);
    applyTextFontTo(active);
}

void MeasureSettings::setFontSizeIndex(int index, MeasuredDocument* active)
{
    if (active == nullptr)
        return;
    settings_.fontSizeIndex = index;
    applyTextFontTo(active);
}

void MeasureSettings::setFontNormalColourIndex(int index, MeasuredDocument* active)
{
    if (active == nullptr)
        return;
    settings_.fontNormalColorIndex = index;
    applyTextFontTo(active);
}

void MeasureSettings::setFontTempColourIndex(int index, MeasuredDocument* active)
{
    if (active == nullptr)
        return;
    settings_.fontTempColorIndex = index;
    applyTextFontTo(active);
}
