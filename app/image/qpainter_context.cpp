#include "app/image/qpainter_context.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/byte_order.h"
#include "platform/draw/dib_reader.h"
#include "platform/draw/font.h"
#include "platform/encoding.h"

namespace {

QColor colourOf(COLORREF colour)
{
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

// A device-independent bitmap handed to a copy: its layout, colour table or masks, and its
// pixels turned into 0xAARRGGBB words.
class DibSource
{
  public:
    bool parse(const void* bits, const BITMAPINFO* info)
    {
        if (bits == nullptr || info == nullptr)
            return false;
        const std::optional<kwz::DibLayout> dib = kwz::readDib(info);
        if (!dib)
            return false;
        bitCount_ = dib->bitCount;
        width_ = dib->width;
        height_ = dib->height;
        topDown_ = dib->topDown;
        stride_ = dib->stride;
        bits_ = static_cast<const uint8_t*>(bits);
        if (bitCount_ <= 8)
        {
            // Indexes past the table are black, as the raster context draws them.
            palette_.assign(size_t(1) << bitCount_, 0xFF000000u);
            for (size_t i = 0; i < dib->palette.size(); ++i)
            {
                const RGBQUAD& q = dib->palette[i];
                palette_[i] = qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue);
            }
        }
        red_.setMask(dib->redMask);
        green_.setMask(dib->greenMask);
        blue_.setMask(dib->blueMask);
        plain32_ = bitCount_ == 32 && red_.mask == 0x00FF0000 && green_.mask == 0x0000FF00 &&
                   blue_.mask == 0x000000FF;
        return true;
    }

    int width() const { return width_; }
    int height() const { return height_; }

    // Row y counted from the top of the picture.
    const uint8_t* row(int y) const
    {
        return bits_ + size_t(topDown_ ? y : height_ - 1 - y) * stride_;
    }

    // Pixels of the columns listed (each inside the image) into `out`.
    void convert(const uint8_t* from, const int* columns, int count, QRgb* out) const
    {
        switch (bitCount_)
        {
        case 1:
            for (int i = 0; i < count; ++i)
                out[i] = palette_[(from[columns[i] >> 3] >> (7 - (columns[i] & 7))) & 1];
            break;
        case 4:
            for (int i = 0; i < count; ++i)
            {
                const int x = columns[i];
                out[i] = palette_[(x & 1) ? from[x >> 1] & 0x0F : from[x >> 1] >> 4];
            }
            break;
        case 8:
            for (int i = 0; i < count; ++i)
                out[i] = palette_[from[columns[i]]];
            break;
        case 24:
            for (int i = 0; i < count; ++i)
            {
                const uint8_t* p = from + 3 * size_t(columns[i]);
                out[i] = 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
            }
            break;
        default:
            for (int i = 0; i < count; ++i)
            {
                const uint32_t v = bitCount_ == 16 ? kwz::readU16le(from + 2 * size_t(columns[i]))
                                                   : kwz::readU32le(from + 4 * size_t(columns[i]));
                out[i] = plain32_ ? 0xFF000000u | (v & 0xFFFFFFu) : unpack(v);
            }
            break;
        }
    }

    // A run of neighbouring columns, with no column list to walk.
    void convertRun(const uint8_t* from, int first, int count, QRgb* out) const
    {
        if (bitCount_ == 24)
        {
            const uint8_t* p = from + 3 * size_t(first);
            int i = 0;
            // Four pixels from three words: blue, green, red bytes are the low bytes of the
            // 0xAARRGGBB words already.
            for (; i + 4 <= count; i += 4, p += 12)
            {
                const uint32_t w0 = kwz::readU32le(p);
                const uint32_t w1 = kwz::readU32le(p + 4);
                const uint32_t w2 = kwz::readU32le(p + 8);
                out[i] = 0xFF000000u | (w0 & 0xFFFFFFu);
                out[i + 1] = 0xFF000000u | w0 >> 24 | (w1 & 0xFFFFu) << 8;
                out[i + 2] = 0xFF000000u | w1 >> 16 | (w2 & 0xFFu) << 16;
                out[i + 3] = 0xFF000000u | w2 >> 8;
            }
            for (; i < count; ++i, p += 3)
                out[i] = 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
            return;
        }
        if (plain32_)
        {
            const uint8_t* p = from + 4 * size_t(first);
            for (int i = 0; i < count; ++i, p += 4)
                out[i] = 0xFF000000u | kwz::readU32le(p);
            return;
        }
        std::vector<int> columns(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            columns[size_t(i)] = first + i;
        convert(from, columns.data(), count, out);
    }

  private:
    QRgb unpack(uint32_t v) const
    {
        return qRgb(red_.unpack(v), green_.unpack(v), blue_.unpack(v));
    }

    int width_ = 0;
    int height_ = 0;
    bool topDown_ = false;
    int bitCount_ = 0;
    size_t stride_ = 0;
    const uint8_t* bits_ = nullptr;
    std::vector<QRgb> palette_;
    kwz::DibChannel red_, green_, blue_;
    bool plain32_ = false;
};

// Where destination pixel d of a copy of `destSize` pixels takes its source, as the raster
// context maps it (nearest, negative sizes mirror).
int64_t sourceOf(int64_t d, int64_t destSize, int64_t src0, int64_t srcSize, bool mirror)
{
    const int64_t offset = mirror ? destSize - 1 - d : d;
    return src0 + offset * srcSize / destSize;
}

// The destination pixels [first, end) of one axis that the painter can show and whose source
// lies in the image, with the source of each.
struct AxisMap
{
    int64_t first = 0;
    int64_t end = 0;
    std::vector<int> sources;
};

AxisMap mapAxis(int64_t dest0, int64_t destSize, int64_t src0, int64_t srcSize, bool mirror,
                int64_t visibleFrom, int64_t visibleTo, int64_t imageSize)
{
    AxisMap map;
    const int64_t from = std::max<int64_t>(0, visibleFrom - dest0);
    const int64_t to = std::min<int64_t>(destSize, visibleTo - dest0);
    map.first = to;
    map.end = to;
    for (int64_t d = from; d < to; ++d)
    {
        const int64_t s = sourceOf(d, destSize, src0, srcSize, mirror);
        if (s < 0 || s >= imageSize)
        {
            // The mapping is monotonic: once inside, leaving means the rest is outside.
            if (!map.sources.empty())
                break;
            continue;
        }
        if (map.sources.empty())
            map.first = d;
        map.sources.push_back(int(s));
        map.end = d + 1;
    }
    return map;
}

struct GlyphTarget
{
    QPainter* painter;
    QRgb colour;
};

QImage coverageImage(const uint8_t* coverage, int width, int height, int pitch, QRgb colour)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    const uint32_t r = qRed(colour), g = qGreen(colour), b = qBlue(colour);
    for (int y = 0; y < height; ++y)
    {
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        const uint8_t* in = coverage + size_t(y) * size_t(pitch);
        for (int x = 0; x < width; ++x)
        {
            const uint32_t a = in[x];
            out[x] = qRgba(int(r * a / 255), int(g * a / 255), int(b * a / 255), int(a));
        }
    }
    return image;
}

void drawGlyph(void* context, const kwz::GlyphCoverage& glyph)
{
    auto* target = static_cast<GlyphTarget*>(context);
    if (glyph.width <= 0 || glyph.height <= 0 || glyph.coverage == nullptr)
        return;
    target->painter->drawImage(
        QPoint(glyph.left, glyph.top),
        coverageImage(glyph.coverage, glyph.width, glyph.height, glyph.pitch, target->colour));
}

} // namespace

QPainterContext::QPainterContext(QPainter& painter, QImage* scratch)
    : painter_(painter), scratch_(scratch != nullptr ? scratch : &ownScratch_)
{
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setBrush(Qt::NoBrush);
}

QPainterContext::~QPainterContext() = default;

int QPainterContext::saveDC()
{
    return saved_.save(state_);
}

bool QPainterContext::restoreDC(int savedLevel)
{
    return saved_.restore(savedLevel, state_);
}

int QPainterContext::setMapMode(int mode)
{
    return mode == kwz::kMapModeText ? kwz::kMapModeText : 0;
}

kwz::Pen QPainterContext::selectPen(const kwz::Pen& pen)
{
    const kwz::Pen previous = state_.pen;
    state_.pen = pen;
    return previous;
}

bool QPainterContext::usePen()
{
    const kwz::Pen& pen = state_.pen;
    if (pen.style == kwz::kPenNull)
        return false;
    QPen qpen(colourOf(pen.color));
    if (pen.width <= 1)
    {
        // One-pixel pens keep their dash style; wider ones draw solid with round ends.
        qpen.setWidth(0);
        switch (pen.style)
        {
        case kwz::kPenDash:
            qpen.setStyle(Qt::DashLine);
            break;
        case kwz::kPenDot:
            qpen.setStyle(Qt::DotLine);
            break;
        case kwz::kPenDashDot:
            qpen.setStyle(Qt::DashDotLine);
            break;
        case kwz::kPenDashDotDot:
            qpen.setStyle(Qt::DashDotDotLine);
            break;
        default:
            break;
        }
    }
    else
    {
        qpen.setWidth(pen.width);
        qpen.setCapStyle(Qt::RoundCap);
        qpen.setJoinStyle(Qt::RoundJoin);
    }
    painter_.setPen(qpen);
    painter_.setBrush(Qt::NoBrush);
    return true;
}

POINT QPainterContext::moveTo(int x, int y)
{
    const POINT previous = state_.position;
    state_.position = POINT{x, y};
    return previous;
}

void QPainterContext::lineTo(int x, int y)
{
    if (usePen())
        painter_.drawLine(state_.position.x, state_.position.y, x, y);
    state_.position = POINT{x, y};
}

void QPainterContext::rectangle(int left, int top, int right, int bottom)
{
    // Inside the box, its right and bottom edges left out.
    if (right - left < 1 || bottom - top < 1 || !usePen())
        return;
    painter_.drawRect(QRect(left, top, right - left - 1, bottom - top - 1));
}

void QPainterContext::ellipse(int left, int top, int right, int bottom)
{
    if (right - left < 1 || bottom - top < 1 || !usePen())
        return;
    painter_.drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1));
}

void QPainterContext::polygon(const POINT* points, int count)
{
    if (points == nullptr || count < 2 || !usePen())
        return;
    QPolygon shape;
    for (int i = 0; i < count; ++i)
        shape << QPoint(points[i].x, points[i].y);
    painter_.drawPolygon(shape);
}

void QPainterContext::polyline(const POINT* points, int count)
{
    if (points == nullptr || count < 2 || !usePen())
        return;
    QPolygon line;
    for (int i = 0; i < count; ++i)
        line << QPoint(points[i].x, points[i].y);
    painter_.drawPolyline(line);
}

const kwz::Font* QPainterContext::selectFont(const kwz::Font* font)
{
    const kwz::Font* previous = state_.font;
    state_.font = font;
    return previous;
}

const kwz::Font* QPainterContext::currentFont()
{
    if (state_.font != nullptr)
        return state_.font;
    if (!defaultFont_)
        defaultFont_ = kwz::createFont(kwz::LogFont{});
    return defaultFont_.get();
}

kwz::TextMetrics QPainterContext::textMetrics()
{
    return currentFont()->metrics();
}

COLORREF QPainterContext::setTextColor(COLORREF color)
{
    return std::exchange(state_.textColor, color);
}

COLORREF QPainterContext::setBkColor(COLORREF color)
{
    return std::exchange(state_.bkColor, color);
}

int QPainterContext::setBkMode(int mode)
{
    return std::exchange(state_.bkMode, mode);
}

void QPainterContext::textOut(int x, int y, std::string_view gbk)
{
    textOutW(x, y, kwz::gbkToUtf16(gbk));
}

void QPainterContext::textOutW(int x, int y, std::u16string_view text)
{
    const kwz::Font* font = currentFont();
    const SIZE extent = font->extent(text);
    if (state_.bkMode == kwz::kBackgroundOpaque && extent.cx > 0 && extent.cy > 0)
        painter_.fillRect(QRect(x, y, extent.cx, extent.cy), colourOf(state_.bkColor));
    const QRgb colour = colourOf(state_.textColor).rgb();
    if (std::shared_ptr<const kwz::TextRun> run = font->layout(text))
    {
        if (run->width > 0 && run->height > 0)
            painter_.drawImage(
                QPoint(x + run->left, y + run->top),
                coverageImage(run->coverage.data(), run->width, run->height, run->width, colour));
        return;
    }
    GlyphTarget target{&painter_, colour};
    font->render(text, x, y, &drawGlyph, &target);
}

SIZE QPainterContext::textExtent(std::string_view gbk)
{
    return textExtentW(kwz::gbkToUtf16(gbk));
}

SIZE QPainterContext::textExtentW(std::u16string_view text)
{
    return currentFont()->extent(text);
}

QImage QPainterContext::scratchImage(int width, int height)
{
    if (scratch_->width() < width || scratch_->height() < height ||
        scratch_->format() != QImage::Format_RGB32)
        *scratch_ = QImage(std::max(width, scratch_->width()), std::max(height, scratch_->height()),
                           QImage::Format_RGB32);
    if (scratch_->isNull())
        return QImage();
    // A view on the buffer: nothing is copied.
    return QImage(scratch_->bits(), width, height, scratch_->bytesPerLine(), QImage::Format_RGB32);
}

bool QPainterContext::paintsOnPaper() const
{
    const QPaintEngine* engine = painter_.paintEngine();
    return engine == nullptr || engine->type() != QPaintEngine::Raster ||
           painter_.transform().type() > QTransform::TxTranslate;
}

int QPainterContext::setDIBitsToDevice(int xDest, int yDest, int width, int height, int xSrc,
                                       int ySrc, const void* bits, const BITMAPINFO* info)
{
    return stretchDIBits(xDest, yDest, width, height, xSrc, ySrc, width, height, bits, info);
}

int QPainterContext::stretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc,
                                   int ySrc, int srcWidth, int srcHeight, const void* bits,
                                   const BITMAPINFO* info)
{
    DibSource source;
    if (!source.parse(bits, info) || destWidth == 0 || destHeight == 0 || srcWidth <= 0 ||
        srcHeight <= 0)
        return 0;
    const bool mirrorX = destWidth < 0;
    const bool mirrorY = destHeight < 0;
    const int64_t dx0 = mirrorX ? int64_t{xDest} + destWidth + 1 : xDest;
    const int64_t dy0 = mirrorY ? int64_t{yDest} + destHeight + 1 : yDest;
    const int64_t dw = std::llabs(destWidth);
    const int64_t dh = std::llabs(destHeight);

    if (paintsOnPaper())
    {
        // The part of the source rectangle inside the image, at its own resolution; the
        // painter scales it onto the page.
        const int64_t sx0 = std::max<int64_t>(xSrc, 0);
        const int64_t sy0 = std::max<int64_t>(ySrc, 0);
        const int64_t sx1 = std::min<int64_t>(int64_t{xSrc} + srcWidth, source.width());
        const int64_t sy1 = std::min<int64_t>(int64_t{ySrc} + srcHeight, source.height());
        if (sx0 >= sx1 || sy0 >= sy1)
            return 0;
        QImage part(int(sx1 - sx0), int(sy1 - sy0), QImage::Format_RGB32);
        if (part.isNull())
            return 0;
        for (int y = 0; y < part.height(); ++y)
            source.convertRun(source.row(int(sy0 + y)), int(sx0), part.width(),
                              reinterpret_cast<QRgb*>(part.scanLine(y)));
        if (mirrorX || mirrorY)
            part = part.mirrored(mirrorX, mirrorY);
        const double scaleX = double(dw) / srcWidth;
        const double scaleY = double(dh) / srcHeight;
        const double left = mirrorX ? double(dx0) + double(int64_t{xSrc} + srcWidth - sx1) * scaleX
                                    : double(dx0) + double(sx0 - xSrc) * scaleX;
        const double top = mirrorY ? double(dy0) + double(int64_t{ySrc} + srcHeight - sy1) * scaleY
                                   : double(dy0) + double(sy0 - ySrc) * scaleY;
        painter_.save();
        painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter_.drawImage(QRectF(left, top, part.width() * scaleX, part.height() * scaleY), part);
        painter_.restore();
        return part.height();
    }

    // Only what the device can show is worked out: the device in logical coordinates, cut
    // to the painter's clip.
    const QTransform& transform = painter_.transform();
    const QPaintDevice* device = painter_.device();
    QRectF visible(-transform.dx(), -transform.dy(), device->width(), device->height());
    if (painter_.hasClipping())
        visible = visible.intersected(painter_.clipBoundingRect());
    const QRect shown = visible.toAlignedRect();
    if (shown.isEmpty())
        return 0;
    const AxisMap columns = mapAxis(dx0, dw, xSrc, srcWidth, mirrorX, shown.left(),
                                    int64_t{shown.right()} + 1, source.width());
    const AxisMap rows = mapAxis(dy0, dh, ySrc, srcHeight, mirrorY, shown.top(),
                                 int64_t{shown.bottom()} + 1, source.height());
    if (columns.sources.empty() || rows.sources.empty())
        return 0;
    const int outWidth = int(columns.sources.size());
    const int outHeight = int(rows.sources.size());
    QImage out = scratchImage(outWidth, outHeight);
    if (out.isNull())
        return 0;
    // A block copy reads neighbouring columns.
    const bool run = columns.sources.back() - columns.sources.front() + 1 == outWidth;
    int lines = 0;
    int lastRow = -1;
    for (int y = 0; y < outHeight; ++y)
    {
        const int sourceRow = rows.sources[size_t(y)];
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        if (sourceRow == lastRow)
        {
            std::memcpy(line, out.scanLine(y - 1), size_t(outWidth) * sizeof(QRgb));
            continue;
        }
        ++lines;
        lastRow = sourceRow;
        const uint8_t* from = source.row(sourceRow);
        if (run)
            source.convertRun(from, columns.sources.front(), outWidth, line);
        else
            source.convert(from, columns.sources.data(), outWidth, line);
    }
    // The pixels are opaque: drawn over, they replace what was there, by the painter's
    // quickest path.
    const QPainter::CompositionMode mode = painter_.compositionMode();
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_.drawImage(QPoint(int(dx0 + columns.first), int(dy0 + rows.first)), out);
    painter_.setCompositionMode(mode);
    return lines;
}
