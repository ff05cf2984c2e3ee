// The drawing context on a QPainter against the raster context: DIB copies must give the same
// pixels for every source layout.

#include <QImage>
#include <QPainter>
#include <QTest>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "app/image/qpainter_context.h"
#include "platform/draw/font.h"
#include "platform/draw/raster_context.h"

namespace {

// A source picture: header, colour table or masks, and random pixels.
struct Dib
{
    Dib(int width, int height, int bitCount, bool topDown, unsigned compression, int colours)
    {
        BITMAPINFOHEADER header{};
        header.biSize = BMP_INFO_HEADER_SIZE;
        header.biWidth = width;
        header.biHeight = topDown ? -height : height;
        header.biPlanes = 1;
        header.biBitCount = WORD(bitCount);
        header.biCompression = compression;
        header.biClrUsed = DWORD(colours);
        info.resize(sizeof header + 256 * sizeof(RGBQUAD), 0);
        std::memcpy(info.data(), &header, sizeof header);
        std::mt19937 random(unsigned(width * 131 + bitCount * 7 + compression));
        if (compression == BI_BITFIELDS)
        {
            const uint32_t masks565[3] = {0xF800, 0x07E0, 0x001F};
            const uint32_t masks32[3] = {0x3FF00000, 0x000FFC00, 0x000003FF};
            std::memcpy(info.data() + sizeof header, bitCount == 16 ? masks565 : masks32, 12);
        }
        else
        {
            for (size_t i = 0; i < 256 * sizeof(RGBQUAD); ++i)
                info[sizeof header + i] = uint8_t(random());
        }
        const size_t stride = size_t((width * bitCount + 31) / 32 * 4);
        bits.resize(stride * size_t(height));
        for (uint8_t& b : bits)
            b = uint8_t(random());
    }
    const BITMAPINFO* header() const { return reinterpret_cast<const BITMAPINFO*>(info.data()); }

    std::vector<uint8_t> info;
    std::vector<uint8_t> bits;
};

struct Copy
{
    const char* name;
    int xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth, srcHeight;
    bool block;
};

constexpr Copy kCopies[] = {
    {"block inside", 4, 3, 20, 15, 2, 3, 20, 15, true},
    {"block beyond the source", -3, 5, 40, 30, 10, -4, 40, 30, true},
    {"stretched up", 0, 0, 61, 47, 1, 2, 20, 15, false},
    {"stretched down", 5, 5, 13, 9, 0, 0, 29, 23, false},
    {"mirrored", 40, 30, -25, -20, 3, 4, 17, 13, false},
    {"off the target", 50, 40, 30, 30, 0, 0, 29, 23, false},
};

QRgb rgbOf(COLORREF c)
{
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

} // namespace

class QPainterContextTest : public QObject
{
    Q_OBJECT
  private Q_SLOTS:
    void copiesGiveTheRasterContextsPixels_data()
    {
        QTest::addColumn<int>("bitCount");
        QTest::addColumn<bool>("topDown");
        QTest::addColumn<int>("compression");
        QTest::addColumn<int>("colours");
        QTest::newRow("1 bit") << 1 << false << int(BI_RGB) << 0;
        QTest::newRow("4 bits, short table") << 4 << false << int(BI_RGB) << 9;
        QTest::newRow("4 bits, top-down") << 4 << true << int(BI_RGB) << 0;
        QTest::newRow("8 bits") << 8 << false << int(BI_RGB) << 0;
        QTest::newRow("8 bits, short table") << 8 << true << int(BI_RGB) << 40;
        QTest::newRow("16 bits 555") << 16 << false << int(BI_RGB) << 0;
        QTest::newRow("16 bits 565") << 16 << true << int(BI_BITFIELDS) << 0;
        QTest::newRow("24 bits") << 24 << false << int(BI_RGB) << 0;
        QTest::newRow("24 bits, top-down") << 24 << true << int(BI_RGB) << 0;
        QTest::newRow("32 bits") << 32 << false << int(BI_RGB) << 0;
        QTest::newRow("32 bits, ten-bit masks") << 32 << false << int(BI_BITFIELDS) << 0;
    }
    void copiesGiveTheRasterContextsPixels()
    {
        QFETCH(int, bitCount);
        QFETCH(bool, topDown);
        QFETCH(int, compression);
        QFETCH(int, colours);
        const Dib source(29, 23, bitCount, topDown, unsigned(compression), colours);
        for (const Copy& c : kCopies)
        {
            std::unique_ptr<kwz::RasterContext> raster = kwz::RasterContext::create(64, 48, 32);
            raster->fill(RGB(1, 2, 3));
            QImage image(64, 48, QImage::Format_RGB32);
            image.fill(qRgb(1, 2, 3));
            QPainter painter(&image);
            QPainterContext context(painter);
            int rasterLines = 0;
            int painterLines = 0;
            if (c.block)
            {
                rasterLines =
                    raster->setDIBitsToDevice(c.xDest, c.yDest, c.destWidth, c.destHeight, c.xSrc,
                                              c.ySrc, source.bits.data(), source.header());
                painterLines =
                    context.setDIBitsToDevice(c.xDest, c.yDest, c.destWidth, c.destHeight, c.xSrc,
                                              c.ySrc, source.bits.data(), source.header());
            }
            else
            {
                rasterLines = raster->stretchDIBits(c.xDest, c.yDest, c.destWidth, c.destHeight,
                                                    c.xSrc, c.ySrc, c.srcWidth, c.srcHeight,
                                                    source.bits.data(), source.header());
                painterLines = context.stretchDIBits(c.xDest, c.yDest, c.destWidth, c.destHeight,
                                                     c.xSrc, c.ySrc, c.srcWidth, c.srcHeight,
                                                     source.bits.data(), source.header());
            }
            painter.end();
            QCOMPARE(painterLines, rasterLines);
            for (int y = 0; y < 48; ++y)
                for (int x = 0; x < 64; ++x)
                    if (image.pixel(x, y) != rgbOf(raster->pixel(x, y)))
                        QFAIL(qPrintable(QStringLiteral("%1: pixel (%2, %3) is %4, not %5")
                                             .arg(c.name)
                                             .arg(x)
                                             .arg(y)
                                             .arg(image.pixel(x, y), 8, 16)
                                             .arg(rgbOf(raster->pixel(x, y)), 8, 16)));
        }
    }

    void aMovedOriginAndAClipAreHonoured()
    {
        const Dib source(29, 23, 24, false, BI_RGB, 0);
        std::unique_ptr<kwz::RasterContext> raster = kwz::RasterContext::create(29, 23, 32);
        raster->setDIBitsToDevice(0, 0, 29, 23, 0, 0, source.bits.data(), source.header());
        QImage image(20, 10, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        painter.setClipRect(QRect(0, 0, 15, 10));
        painter.translate(-7, -4);
        QPainterContext context(painter);
        context.setDIBitsToDevice(0, 0, 29, 23, 0, 0, source.bits.data(), source.header());
        painter.end();
        QCOMPARE(image.pixel(0, 0), rgbOf(raster->pixel(7, 4)));
        QCOMPARE(image.pixel(14, 9), rgbOf(raster->pixel(21, 13)));
        QCOMPARE(image.pixel(15, 0), qRgb(0, 0, 0));
    }

    void refusedPicturesDrawNothing()
    {
        Dib source(8, 8, 24, false, BI_RGB, 0);
        BITMAPINFOHEADER* header = reinterpret_cast<BITMAPINFOHEADER*>(source.info.data());
        header->biCompression = BI_RLE8;
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QPainterContext context(painter);
        QCOMPARE(context.setDIBitsToDevice(0, 0, 8, 8, 0, 0, source.bits.data(), source.header()),
                 0);
        header->biCompression = BI_RGB;
        header->biSize = 12;
        QCOMPARE(context.stretchDIBits(0, 0, 8, 8, 0, 0, 8, 8, source.bits.data(), source.header()),
                 0);
        QCOMPARE(context.stretchDIBits(0, 0, 8, 8, 0, 0, 8, 8, nullptr, nullptr), 0);
        painter.end();
        QCOMPARE(image.pixel(3, 3), qRgb(255, 255, 255));
    }

    void shapesStayInsideTheirBoxAndTextIsDrawn()
    {
        QImage image(80, 60, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QPainterContext context(painter);
        context.selectPen(kwz::Pen{kwz::kPenSolid, 1, RGB(255, 0, 0)});
        context.rectangle(10, 10, 20, 20);
        const int level = context.saveDC();
        context.selectPen(kwz::Pen{kwz::kPenNull, 1, 0});
        context.rectangle(30, 30, 40, 40);
        QVERIFY(context.restoreDC(level));
        context.moveTo(0, 50);
        context.lineTo(30, 50);
        std::unique_ptr<kwz::Font> font = kwz::createFont(kwz::labelLogFont("DejaVu Sans", 16));
        context.selectFont(font.get());
        context.setBkMode(kwz::kBackgroundTransparent);
        context.setTextColor(RGB(0, 0, 255));
        context.textOutW(40, 5, u"Ab");
        QCOMPARE(context.textExtentW(u"Ab").cx, font->extent(u"Ab").cx);
        painter.end();
        QCOMPARE(image.pixel(10, 10), qRgb(255, 0, 0));
        QCOMPARE(image.pixel(19, 19), qRgb(255, 0, 0));
        QCOMPARE(image.pixel(20, 15), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(30, 30), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(15, 50), qRgb(255, 0, 0));
        int inked = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 40; x < 80; ++x)
                if (qBlue(image.pixel(x, y)) > qRed(image.pixel(x, y)))
                    ++inked;
        QVERIFY(inked > 10);
    }
};

std::unique_ptr<QObject> makeQPainterContextTest()
{
    return std::make_unique<QPainterContextTest>();
}

#include "qpainter_context_test.moc"
