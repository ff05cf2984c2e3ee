#include "app/image/measured_bitmap.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "rast.h"

namespace {

// Far outside any picture: a hit or hover test there finds nothing.
constexpr int kNowhere = -1000000;

QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(path);
}

SHOWRECT showRect(const QRect& r)
{
    return SHOWRECT{r.x(), r.y(), r.width(), r.height()};
}

} // namespace

void MeasuredBitmap::Deleter::operator()(void* handle) const
{
    RASTDisableMeasure(handle);
    RASTUnInitialize(&handle);
}

std::unique_ptr<MeasuredBitmap> MeasuredBitmap::create()
{
    void* handle = nullptr;
    if (RASTInitialize(&handle) != RAST_OK || handle == nullptr)
        return nullptr;
    return std::unique_ptr<MeasuredBitmap>(new MeasuredBitmap(handle));
}

MeasuredBitmap::~MeasuredBitmap() = default;

std::optional<QByteArray> MeasuredBitmap::graphicData() const
{
    int size = 0;
    if (RASTWriteGraphicData(handle(), nullptr, 0, &size) != RAST_FAILED || size <= 0)
        return std::nullopt;
    QByteArray data(size, Qt::Uninitialized);
    if (RASTWriteGraphicData(handle(), reinterpret_cast<BYTE*>(data.data()), size, &size) !=
        RAST_OK)
        return std::nullopt;
    return data;
}

bool MeasuredBitmap::setGraphicData(const QByteArray& data)
{
    return RASTReadGraphicData(handle(), reinterpret_cast<const BYTE*>(data.constData()),
                               int(data.size())) == RAST_OK;
}

bool MeasuredBitmap::hasImage() const
{
    int width = 0;
    return RASTGetWidth(handle(), &width) == RAST_OK && width > 0;
}

QSize MeasuredBitmap::size() const
{
    int width = 0;
    int height = 0;
    RASTGetWidth(handle(), &width);
    RASTGetHeight(handle(), &height);
    return QSize(width, height);
}

int MeasuredBitmap::bitCount() const
{
    int bits = 0;
    RASTGetBitCount(handle(), &bits);
    return bits;
}

bool MeasuredBitmap::readPixels(const BYTE* rows, int width, int height)
{
    return RASTReadPixels(handle(), rows, width, height, 24) == RAST_OK;
}

bool MeasuredBitmap::readFile(const QString& path)
{
    return RASTReadFile(handle(), nativePath(path).constData()) == RAST_OK;
}

bool MeasuredBitmap::readMeasureFile(const QString& path)
{
    return RASTReadMeasureFile(handle(), nativePath(path).constData()) == RAST_OK;
}

bool MeasuredBitmap::writeFile(const QString& path, bool withFigures) const
{
    return RASTWriteFile(handle(), nativePath(path).constData(), withFigures ? 1 : 0) == RAST_OK;
}

bool MeasuredBitmap::writeMeasureFile(const QString& path) const
{
    return RASTWriteMeasureFile(handle(), nativePath(path).constData()) == RAST_OK;
}

void MeasuredBitmap::setLanguage(int programLanguage)
{
    RASTSetLanguage(handle(), static_cast<ZQLANGUAGE>(programLanguage == 2 ? 1 : programLanguage));
}

void MeasuredBitmap::renderFinished()
{
    RASTIsHitGraphic(handle(), kNowhere, kNowhere);
    RASTIsPassGraphic(handle(), kNowhere, kNowhere);
    const QSize whole = size();
    RASTDraw(handle(), nullptr, 0, 0, whole.width(), whole.height());
}

bool MeasuredBitmap::draw(HDC dc, const QRect& part)
{
    return RASTDraw(handle(), dc, part.x(), part.y(), part.width(), part.height()) == RAST_OK;
}

bool MeasuredBitmap::show(HDC dc, const QRect& dest, const QRect& source)
{
    return RASTShow(handle(), dc, showRect(dest), showRect(source)) == RAST_OK;
}

void MeasuredBitmap::releaseWorkingPicture()
{
    RASTReleaseSurface(handle());
}

void MeasuredBitmap::setRuler(const RulerRecord& r)
{
    RASTSetRuler(handle(), r.start, r.end, static_cast<ZQUNIT>(r.unit), r.length);
}

std::optional<RulerRecord> MeasuredBitmap::ruler() const
{
    RulerRecord r;
    ZQUNIT unit = ZQ_UM;
    if (RASTGetRuler(handle(), &r.start, &r.end, &unit, &r.length) != RAST_OK)
        return std::nullopt;
    r.unit = unit;
    return r;
}

void MeasuredBitmap::setRulerUnitAndLength(int unit, float length)
{
    RASTSetRulerUnitAndLength(handle(), static_cast<ZQUNIT>(unit), length);
}

std::optional<std::pair<int, float>> MeasuredBitmap::rulerUnitAndLength() const
{
    ZQUNIT unit = ZQ_UM;
    float length = 0.0f;
    if (RASTGetRulerUnitAndLength(handle(), &unit, &length) != RAST_OK)
        return std::nullopt;
    return std::make_pair(int(unit), length);
}

void MeasuredBitmap::setMeasureUnit(int unit)
{
    RASTSetMeasureUnit(handle(), static_cast<ZQUNIT>(unit));
}

std::optional<int> MeasuredBitmap::measureUnit() const
{
    ZQUNIT unit = ZQ_UM;
    if (RASTGetMeasureUnit(handle(), &unit) != RAST_OK)
        return std::nullopt;
    return int(unit);
}

void MeasuredBitmap::setPrecision(int precision)
{
    RASTSetPrecision(handle(), precision);
}

std::optional<int> MeasuredBitmap::precision() const
{
    short precision = 0;
    if (RASTGetPrecision(handle(), &precision) != RAST_OK)
        return std::nullopt;
    return int(precision);
}

void MeasuredBitmap::setPen(const Pen& p)
{
    RASTSetMeasurePen(handle(), p.style, p.width, p.normal, p.hovered, p.selected);
}

std::optional<MeasuredBitmap::Pen> MeasuredBitmap::pen() const
{
    Pen p;
    if (RASTGetMeasurePen(handle(), &p.style, &p.width, &p.normal, &p.hovered, &p.selected) !=
        RAST_OK)
        return std::nullopt;
    return p;
}

void MeasuredBitmap::setTextFont(const char* face, int height, COLORREF normal, COLORREF hovered,
                                 COLORREF selected)
{
    RASTSetTxtFont(handle(), face, height, normal, hovered, selected);
}

void MeasuredBitmap::setMarks(const Marks& marks)
{
    // The engine takes the words by pointer and only reads them.
    Marks copy = marks;
    RASTSetLineMark(handle(), &copy.line);
    RASTSetRectMark(handle(), &copy.rect);
    RASTSetCircleMark(handle(), &copy.circle);
    RASTSetEllipseMark(handle(), &copy.ellipse);
    RASTSetAngleMark(handle(), &copy.angle);
    RASTSetPolyLineMark(handle(), &copy.polyLine);
}

void MeasuredBitmap::hideRuler(bool hide)
{
    RASTHideRuler(handle(), hide ? 1 : 0);
}

void MeasuredBitmap::hideDescriptors(bool hide)
{
    RASTHideDescriptor(handle(), hide ? 1 : 0);
}

QRect MeasuredBitmap::selectionBounds() const
{
    RECT r{0, 0, 0, 0};
    if (RASTGetBoundingRect(handle(), &r) != RAST_OK || r.right <= r.left || r.bottom <= r.top)
        return QRect();
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

bool MeasuredBitmap::select(const QPoint& point)
{
    return RASTIsHitGraphic(handle(), point.x(), point.y()) == RAST_OK;
}

QRect MeasuredBitmap::deleteSelected()
{
    const QRect covered = selectionBounds();
    RASTClearHitGraphic(handle());
    return covered;
}

bool MeasuredBitmap::selectFigure(int index)
{
    return RASTSelectFigure(handle(), index) == RAST_OK;
}

int MeasuredBitmap::selectedFigure() const
{
    int index = -1;
    if (RASTGetSelectedFigure(handle(), &index) != RAST_OK)
        return -1;
    return index;
}

void MeasuredBitmap::deleteAll()
{
    RASTClearAllGraphic(handle());
}

int MeasuredBitmap::figureCount() const
{
    if (!hasImage())
        return 0;
    // The library tells the counts only through its measurement stream, which leads a
    // measurement file: a 156-byte header, then seven 32-bit counts.
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("count.Mea"));
    if (!folder.isValid() || !writeMeasureFile(path))
        return -1;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray head = file.read(156 + 7 * 4);
    if (head.size() < 156 + 7 * 4)
        return -1;
    int count = 0;
    for (int i = 0; i < 7; ++i)
    {
        const auto* p = reinterpret_cast<const unsigned char*>(head.constData() + 156 + 4 * i);
        count += int(p[0] | p[1] << 8 | p[2] << 16 | unsigned(p[3]) << 24);
    }
    return count;
}

std::optional<QLineF> MeasuredBitmap::measurementLine()
{
    int count = 0;
    if (RASTGetFigureCount(handle(), &count) != RAST_OK || count <= 0)
        return std::nullopt;
    // The values come in the measure unit; with a ruler of one micrometre per pixel they are
    // the pixels themselves. The figures keep their pixel points, so nothing else changes.
    const std::optional<RulerRecord> kept = ruler();
    const std::optional<int> keptUnit = measureUnit();
    if (!kept || !keptUnit)
        return std::nullopt;
    setRuler(RulerRecord{POINT{0, 0}, POINT{1000, 0}, ZQ_UM, 1000.0f});
    setMeasureUnit(ZQ_UM);
    auto lineAt = [this](int index) -> std::optional<QLineF> {
        GTFIGUREVALUES values{};
        if (RASTGetFigureValues(handle(), index, &values) != RAST_OK || values.kind != GT_LINE)
            return std::nullopt;
        return QLineF(values.values[GT_VALUE_X], values.values[GT_VALUE_Y],
                      values.values[GT_VALUE_X2], values.values[GT_VALUE_Y2]);
    };
    std::optional<QLineF> line;
    const int selected = selectedFigure();
    if (selected >= 0)
        line = lineAt(selected);
    for (int i = count - 1; !line && i >= 0; --i)
        line = lineAt(i);
    setRuler(*kept);
    setMeasureUnit(*keptUnit);
    return line;
}

calib::GreyImage MeasuredBitmap::greyPixels() const
{
    if (!hasImage())
        return {};
    // The library hands its pixels out as a file only.
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("pixels.bmp"));
    if (!folder.isValid() || !writeFile(path, false))
        return {};
    const QImage image = QImage(path).convertToFormat(QImage::Format_RGB888);
    if (image.isNull())
        return {};
    calib::GreyImage grey;
    grey.width = image.width();
    grey.height = image.height();
    grey.pixels.resize(static_cast<size_t>(grey.width) * grey.height);
    for (int y = 0; y < grey.height; ++y)
    {
        const uchar* row = image.constScanLine(y);
        float* out = grey.pixels.data() + static_cast<size_t>(y) * grey.width;
        for (int x = 0; x < grey.width; ++x)
            out[x] = 0.299f * row[3 * x] + 0.587f * row[3 * x + 1] + 0.114f * row[3 * x + 2];
    }
    return grey;
}
