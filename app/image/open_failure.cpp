#include "app/image/open_failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdint>
#include <optional>

#include "app/shell/language.h"

namespace {

// The limits of the bitmap library's reader.
constexpr int64_t kMaxSide = 1 << 16;
constexpr uint64_t kMaxImageSize = 0x7FFFFFFFu;
constexpr int kMaxPolygonVertices = 31;

enum class Reason
{
    None,
    NotOurs,
    Damaged,
    TooLarge,
};

struct Finding
{
    Reason reason = Reason::None;
    int64_t offset = 0;
    int64_t width = 0;
    int64_t height = 0;
};

Finding damagedAt(int64_t offset)
{
    return Finding{Reason::Damaged, offset};
}

uint32_t u32(const QByteArray& d, int64_t at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(d.constData() + at);
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

int32_t i32(const QByteArray& d, int64_t at)
{
    return int32_t(u32(d, at));
}

// The checks of the bitmap reader, in its order, for a BMP that starts at `base`; the
// first one that fails names its byte.
Finding checkBitmap(const QByteArray& d, int64_t base, bool alone)
{
    const int64_t size = d.size();
    if (size - base < 2)
        return alone && size - base == 0 ? Finding{Reason::NotOurs} : damagedAt(size);
    if (d.at(qsizetype(base)) != 'B' || d.at(qsizetype(base + 1)) != 'M')
        return alone ? Finding{Reason::NotOurs} : damagedAt(base);
    if (size - base < 14 + 40)
        return damagedAt(size);
    const uint32_t offBits = u32(d, base + 10);
    if (offBits < 54)
        return damagedAt(base + 10);
    const uint32_t headerSize = u32(d, base + 14);
    if (headerSize < 40 || headerSize > offBits - 14)
        return damagedAt(base + 14);
    const int64_t width = i32(d, base + 18);
    const int64_t rawHeight = i32(d, base + 22);
    const int64_t height = rawHeight < 0 ? -rawHeight : rawHeight;
    if (width <= 0)
        return damagedAt(base + 18);
    if (rawHeight == 0 || rawHeight == INT32_MIN)
        return damagedAt(base + 22);
    const int bits = int(u32(d, base + 28) & 0xFFFF);
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return damagedAt(base + 28);
    const uint64_t stride = (uint64_t(bits) * uint64_t(width) + 31) / 32 * 4;
    if (width > kMaxSide || height > kMaxSide || stride * uint64_t(height) > kMaxImageSize)
        return Finding{Reason::TooLarge, 0, width, height};
    const uint32_t compression = u32(d, base + 30);
    if (compression != 0 && !(compression == 3 && (bits == 16 || bits == 32)))
        return damagedAt(base + 30);
    if (base + offBits > size)
        return damagedAt(size);
    const uint32_t colours = u32(d, base + 46);
    if (bits <= 8 && colours > (1u << bits))
        return damagedAt(base + 46);
    if (base + int64_t(offBits) + int64_t(stride * uint64_t(height)) > size)
        return damagedAt(size);
    return Finding{};
}

// A measurement file: the figures' stream, then the BMP image.
Finding checkMeasureFile(const QByteArray& d)
{
    const int64_t size = d.size();
    if (!d.startsWith("ZQGR"))
        return Finding{Reason::NotOurs};
    constexpr int64_t kCounts = 156;
    if (size < kCounts + 28 + 60)
        return damagedAt(size);
    // Counts: lines, circles, rectangles, ellipses, texts, angles, polygons; records follow
    // as lines, circles, rectangles, ellipses, angles, polygons, texts.
    int64_t count[7];
    for (int i = 0; i < 7; ++i)
    {
        count[i] = i32(d, kCounts + 4 * i);
        if (count[i] < 0 || count[i] > size)
            return damagedAt(kCounts + 4 * i);
    }
    if (u32(d, kCounts + 28) != 1)
        return damagedAt(kCounts + 28);
    int64_t at = kCounts + 28 + 60;
    struct Group
    {
        int countIndex;
        int64_t recordSize;
        bool (*tagFits)(uint32_t);
    };
    static const Group kGroups[] = {
        {0, 52, [](uint32_t t) { return t == 2; }},
        {1, 60, [](uint32_t t) { return t >= 4 && t <= 6; }},
        {2, 52, [](uint32_t t) { return t == 3; }},
        {3, 52, [](uint32_t t) { return t == 7 || t == 8; }},
        {5, 60, [](uint32_t t) { return t == 9; }},
        {6, 40, [](uint32_t t) { return t == 10; }},
        {4, 220, [](uint32_t t) { return t == 11; }},
    };
    for (const Group& group : kGroups)
    {
        for (int64_t n = 0; n < count[group.countIndex]; ++n)
        {
            if (at + group.recordSize > size)
                return damagedAt(size);
            if (!group.tagFits(u32(d, at)))
                return damagedAt(at);
            int64_t length = group.recordSize;
            if (group.recordSize == 40)
            {
                const int32_t vertices = i32(d, at + 4);
                if (vertices < 0 || vertices > kMaxPolygonVertices)
                    return damagedAt(at + 4);
                length += 8 * int64_t(vertices);
            }
            at += length;
        }
    }
    return checkBitmap(d, at, false);
}

QString text(int language, const char* english, const char* simplified, const char* traditional)
{
    return QString::fromUtf8(builtInText(language, english, simplified, traditional));
}

bool looksLikeJpeg(const QByteArray& head, const QString& path)
{
    if (head.startsWith("\xFF\xD8\xFF"))
        return true;
    const QString suffix = QFileInfo(path).suffix().toLower();
    return head.isEmpty() && (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"));
}

} // namespace

QString openFailureText(const QString& path, int language)
{
    const QFileInfo info(path);
    const QString name = QDir::toNativeSeparators(path);
    if (info.isDir())
        return text(language, "%1 is a folder, not a picture file.", "%1 是文件夹，不是图片文件。",
                    "%1 是資料夾，不是圖片檔案。")
            .arg(name);
    if (!info.exists())
        return text(language, "The file %1 does not exist.", "文件 %1 不存在。", "檔案 %1 不存在。")
            .arg(name);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return text(language, "The file %1 cannot be read: no permission.",
                    "无法读取文件 %1：没有权限。", "無法讀取檔案 %1：沒有權限。")
            .arg(name);
    // Only the headers are needed, but a measurement file's image comes after its figures.
    const QByteArray head = file.peek(4);
    if (looksLikeJpeg(head, path))
        return text(language,
                    "%1 is a JPEG picture. Only BMP (.bmp, .kwz) and measurement (.Mea) files "
                    "open here; bring it in with File > Import Picture... to measure on it.",
                    "%1 是 JPEG 图片。这里只能打开 BMP（.bmp、.kwz）和测量（.Mea）文件；"
                    "请用“文件 > 导入图片...”导入后再测量。",
                    "%1 是 JPEG 圖片。這裡只能打開 BMP（.bmp、.kwz）和測量（.Mea）檔案；"
                    "請用「檔案 > 匯入圖片...」匯入後再測量。")
            .arg(name);
    const QString suffix = info.suffix().toLower();
    const bool measureFile = suffix == QLatin1String("mea");
    const bool bitmapFile = suffix == QLatin1String("bmp") || suffix == QLatin1String("kwz");
    Finding finding;
    if (!measureFile && !bitmapFile)
    {
        finding.reason = Reason::NotOurs;
    }
    else
    {
        // Mapped, not read: the file may be far larger than memory.
        const qint64 size = file.size();
        uchar* mapped = size > 0 ? file.map(0, size) : nullptr;
        const QByteArray data =
            mapped != nullptr ? QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), size)
                              : file.read(1 << 20);
        finding = measureFile ? checkMeasureFile(data) : checkBitmap(data, 0, true);
    }
    switch (finding.reason)
    {
    case Reason::NotOurs:
        return text(language, "%1 is not a BMP or .Mea file.", "%1 不是 BMP 或 .Mea 文件。",
                    "%1 不是 BMP 或 .Mea 檔案。")
            .arg(name);
    case Reason::Damaged:
        return text(language, "The file %1 is damaged at byte %2.", "文件 %1 在第 %2 字节处损坏。",
                    "檔案 %1 在第 %2 位元組處損壞。")
            .arg(name)
            .arg(finding.offset);
    case Reason::TooLarge:
        return text(language, "The picture in %1 (%2 × %3 pixels) is too large for memory.",
                    "%1 中的图片（%2 × %3 像素）太大，内存放不下。",
                    "%1 中的圖片（%2 × %3 像素）太大，記憶體放不下。")
            .arg(name)
            .arg(finding.width)
            .arg(finding.height);
    case Reason::None:
        break;
    }
    return text(language, "The file %1 cannot be opened.", "无法打开文件 %1。", "無法開啟檔案 %1。")
        .arg(name);
}
