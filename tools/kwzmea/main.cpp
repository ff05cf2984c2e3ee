// kwzmea: measurement files from the command line, on the same libraries as the program.

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bitmap/scale_bar.h"
#include "platform/draw/raster_context.h"
#include "rast.h"
#include "support/values/figure_table.h"
#include "tools/kwzmea/picture_writers.h"

namespace {

using kwz::values::Language;

// Exit codes: every file done; a file could not be read or written; the command line was
// wrong.
constexpr int kExitOk = 0;
constexpr int kExitFileFailed = 1;
constexpr int kExitUsage = 2;

constexpr int kNowhere = -1000000;

const char* const kUsage =
    "Usage: kwzmea [--language zh|en] COMMAND ...\n"
    "\n"
    "  kwzmea info FILE.Mea\n"
    "      image size and bit count, ruler, figure counts by kind\n"
    "  kwzmea csv [--unit um|mm|cm|m|inch] [--precision N] [-o OUT.csv] FILE.Mea|FOLDER...\n"
    "      one CSV row per figure of every file (folders searched recursively)\n"
    "  kwzmea render [--no-labels] [--scale-bar] [--scale-bar-length L] [--unit U]\n"
    "                FILE.Mea OUT.png|.jpg|.bmp|.tif\n"
    "      the picture with its figures drawn as the program saves it; --scale-bar adds a\n"
    "      scale bar (about a fifth of the width, or L long) labelled in the file's unit or U;\n"
    "      a .tif file carries the calibration\n"
    "\n"
    "  --language zh|en   label texts and kind names (default: from the locale)\n"
    "  --help             this text\n"
    "\n"
    "Exit status: 0 when every file was done, 1 when a file failed, 2 for a wrong command line.\n";

int usageError(const std::string& message)
{
    std::fprintf(stderr, "kwzmea: %s\n(kwzmea --help tells how to use it)\n", message.c_str());
    return kExitUsage;
}

void fileError(const QString& path, const char* what)
{
    std::fprintf(stderr, "kwzmea: %s: %s\n", QFile::encodeName(path).constData(), what);
}

Language localeLanguage()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
    {
        const char* value = std::getenv(name);
        if (value && *value)
            return std::strncmp(value, "zh", 2) == 0 ? Language::Chinese : Language::English;
    }
    return Language::English;
}

std::optional<int> unitOf(const std::string& word)
{
    static const std::map<std::string, int> units{
        {"um", ZQ_UM}, {"mm", ZQ_MM}, {"cm", ZQ_CM}, {"m", ZQ_M}, {"inch", ZQ_INCH}};
    auto found = units.find(word);
    if (found == units.end())
        return std::nullopt;
    return found->second;
}

class Bitmap
{
  public:
    Bitmap() { RASTInitialize(&handle_); }
    ~Bitmap()
    {
        if (handle_)
            RASTUnInitialize(&handle_);
    }
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    void* handle() const { return handle_; }
    bool read(const QString& path)
    {
        return handle_ && RASTReadMeasureFile(handle_, QFile::encodeName(path).constData()) == 0;
    }

  private:
    void* handle_ = nullptr;
};

void setLanguage(const Bitmap& bitmap, Language language)
{
    RASTSetLanguage(bitmap.handle(), language == Language::Chinese ? ZQ_CHINESE : ZQ_ENGLISH);
}

int info(const std::vector<std::string>& args, Language language)
{
    if (args.size() != 1)
        return usageError("info takes one file");
    const QString path = QString::fromLocal8Bit(args[0].c_str());
    Bitmap bitmap;
    if (!bitmap.read(path))
    {
        fileError(path, "not a readable measurement file");
        return kExitFileFailed;
    }
    int width = 0, height = 0, bits = 0;
    RASTGetWidth(bitmap.handle(), &width);
    RASTGetHeight(bitmap.handle(), &height);
    RASTGetBitCount(bitmap.handle(), &bits);
    std::printf("File: %s\n", QFile::encodeName(path).constData());
    std::printf("Image: %d x %d, %d bits\n", width, height, bits);
    POINT start{}, end{};
    ZQUNIT unit = ZQ_UM;
    float length = 0;
    if (RASTGetRuler(bitmap.handle(), &start, &end, &unit, &length) == RAST_OK &&
        !(start.x == 0 && start.y == 0 && end.x == 0 && end.y == 0 && length == 0))
        std::printf("Ruler: (%d, %d) - (%d, %d), %s %s\n", static_cast<int>(start.x),
                    static_cast<int>(start.y), static_cast<int>(end.x), static_cast<int>(end.y),
                    kwz::values::formatFixed(length, 2).c_str(),
                    kwz::values::unitName(unit).c_str());
    else
        std::printf("Ruler: none\n");
    // Kinds in the export's order, each counted once however many ways it can be drawn.
    std::vector<std::pair<std::string, int>> counts;
    const std::vector<GTFIGUREVALUES> figures = kwz::values::readFigures(bitmap.handle());
    for (const GTFIGUREVALUES& f : figures)
    {
        const std::string name = kwz::values::kindName(f.kind, language);
        auto it = std::find_if(counts.begin(), counts.end(),
                               [&](const auto& c) { return c.first == name; });
        if (it == counts.end())
            counts.emplace_back(name, 1);
        else
            ++it->second;
    }
    std::printf("Figures: %d\n", static_cast<int>(figures.size()));
    for (const auto& [name, count] : counts)
        std::printf("  %s: %d\n", name.c_str(), count);
    return kExitOk;
}

bool isMeasureFile(const QString& path)
{
    return path.endsWith(QLatin1String(".mea"), Qt::CaseInsensitive);
}

// Files as given; folders give their measurement files, searched recursively, sorted.
std::vector<QString> collectFiles(const std::vector<std::string>& operands, bool* allFound)
{
    std::vector<QString> files;
    for (const std::string& operand : operands)
    {
        const QString path = QString::fromLocal8Bit(operand.c_str());
        const QFileInfo info(path);
        if (!info.isDir())
        {
            files.push_back(path);
            continue;
        }
        std::vector<QString> found;
        QDirIterator it(path, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
        {
            const QString file = it.next();
            if (isMeasureFile(file))
                found.push_back(file);
        }
        std::sort(found.begin(), found.end());
        if (found.empty())
        {
            fileError(path, "no measurement files in this folder");
            *allFound = false;
        }
        files.insert(files.end(), found.begin(), found.end());
    }
    return files;
}

int csv(const std::vector<std::string>& args, Language language)
{
    std::optional<int> unit;
    std::optional<int> precision;
    std::string out;
    std::vector<std::string> operands;
    for (size_t i = 0; i < args.size(); ++i)
    {
        const std::string& a = args[i];
        auto value = [&](const char* option) -> std::optional<std::string> {
            if (i + 1 >= args.size())
                return std::nullopt;
            (void)option;
            return args[++i];
        };
        if (a == "--unit")
        {
            auto v = value("--unit");
            if (!v || !(unit = unitOf(*v)))
                return usageError("--unit takes um, mm, cm, m or inch");
        }
        else if (a == "--precision")
        {
            auto v = value("--precision");
            char* end = nullptr;
            long n = v ? std::strtol(v->c_str(), &end, 10) : -1;
            if (!v || v->empty() || *end != '\0' || n < 0 || n > 9)
                return usageError("--precision takes a number from 0 to 9");
            precision = static_cast<int>(n);
        }
        else if (a == "-o" || a == "--output")
        {
            auto v = value("-o");
            if (!v || v->empty())
                return usageError("-o takes a file name");
            out = *v;
        }
        else if (a.size() > 1 && a[0] == '-')
        {
            return usageError("csv does not know " + a);
        }
        else
        {
            operands.push_back(a);
        }
    }
    if (operands.empty())
        return usageError("csv needs a file or folder");

    bool allDone = true;
    const std::vector<QString> files = collectFiles(operands, &allDone);
    std::string text(kwz::values::kUtf8Bom);
    text += kwz::values::csvHeader();
    const size_t total = files.size();
    for (size_t n = 0; n < total; ++n)
    {
        const QString& path = files[n];
        if (total > 1)
            std::fprintf(stderr, "[%zu/%zu] %s\n", n + 1, total,
                         QFile::encodeName(path).constData());
        Bitmap bitmap;
        if (!bitmap.read(path))
        {
            fileError(path, "not a readable measurement file");
            allDone = false;
            continue;
        }
        if (unit)
            RASTSetMeasureUnit(bitmap.handle(), static_cast<ZQUNIT>(*unit));
        if (precision)
            RASTSetPrecision(bitmap.handle(), *precision);
        const std::string name = path.toStdString();
        for (const GTFIGUREVALUES& figure : kwz::values::readFigures(bitmap.handle()))
            text += kwz::values::csvRow(name, figure, language);
    }

    if (out.empty())
    {
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    else
    {
        QFile file(QString::fromLocal8Bit(out.c_str()));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(text.data(), static_cast<qint64>(text.size())) !=
                static_cast<qint64>(text.size()) ||
            !file.flush())
        {
            fileError(file.fileName(), "cannot be written");
            return kExitFileFailed;
        }
    }
    return allDone ? kExitOk : kExitFileFailed;
}

// The picture as saving with figures burnt in makes it: no selection, hover or handles.
std::optional<QImage> burnIn(const Bitmap& bitmap, bool labels, QString* error)
{
    void* h = bitmap.handle();
    RASTIsHitGraphic(h, kNowhere, kNowhere);
    RASTIsPassGraphic(h, kNowhere, kNowhere);
    if (!labels)
        RASTHideDescriptor(h, 1);
    int width = 0, height = 0;
    RASTGetWidth(h, &width);
    RASTGetHeight(h, &height);
    RASTDraw(h, nullptr, 0, 0, width, height);
    // The library hands out its working picture as a BMP file only.
    QTemporaryDir folder;
    const QString bmp = folder.filePath(QStringLiteral("picture.bmp"));
    if (!folder.isValid() || RASTWriteFile(h, QFile::encodeName(bmp).constData(), 1) != RAST_OK)
    {
        *error = QStringLiteral("the picture could not be drawn");
        return std::nullopt;
    }
    QImage image(bmp, "BMP");
    if (image.isNull())
    {
        *error = QStringLiteral("the picture could not be drawn");
        return std::nullopt;
    }
    return image;
}

kwzmea::PictureInfo pictureInfo(const Bitmap& bitmap)
{
    kwzmea::PictureInfo info;
    POINT start{}, end{};
    ZQUNIT unit = ZQ_UM;
    float length = 0;
    if (RASTGetRuler(bitmap.handle(), &start, &end, &unit, &length) == RAST_OK)
    {
        const double dx = double(end.x) - double(start.x);
        const double dy = double(end.y) - double(start.y);
        const double pixels = std::sqrt(dx * dx + dy * dy);
        if (pixels > 0 && length > 0)
        {
            info.rulerUnit = unit;
            info.unitsPerPixel = double(length) / pixels;
        }
    }
    return info;
}

// The scale bar drawn over the finished picture through the figures' drawing code; false
// when the file has no calibration to draw it from.
bool drawScaleBar(QImage& picture, const kwzmea::PictureInfo& info, int unit, double length)
{
    const double microns = info.unitsPerPixel * kwz::output::micronsPerUnit(info.rulerUnit);
    const auto bar = kwz::output::chooseScaleBar(microns, picture.width(), unit, length);
    if (!bar)
        return false;
    picture = picture.convertToFormat(QImage::Format_RGB32);
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header.bmiHeader.biWidth = picture.width();
    header.bmiHeader.biHeight = -picture.height(); // top-down, as QImage keeps its rows
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    std::unique_ptr<kwz::RasterContext> dc = kwz::RasterContext::wrap(picture.bits(), &header);
    if (!dc)
        return false;
    kwz::output::drawScaleBar(*dc, *bar, picture.width(), picture.height(),
                              kwz::output::Corner::BottomRight, RGB(255, 255, 255));
    return true;
}

int render(const std::vector<std::string>& args, Language language)
{
    bool labels = true;
    bool scaleBar = false;
    double barLength = 0;
    std::optional<int> unit;
    std::vector<std::string> operands;
    for (size_t i = 0; i < args.size(); ++i)
    {
        const std::string& a = args[i];
        if (a == "--no-labels")
        {
            labels = false;
        }
        else if (a == "--scale-bar")
        {
            scaleBar = true;
        }
        else if (a == "--scale-bar-length")
        {
            char* end = nullptr;
            const char* text = i + 1 < args.size() ? args[++i].c_str() : "";
            barLength = std::strtod(text, &end);
            if (*text == '\0' || *end != '\0' || !(barLength > 0) || !std::isfinite(barLength))
                return usageError("--scale-bar-length takes a positive number");
            scaleBar = true;
        }
        else if (a == "--unit")
        {
            if (i + 1 >= args.size() || !(unit = unitOf(args[++i])))
                return usageError("--unit takes um, mm, cm, m or inch");
        }
        else if (a.size() > 1 && a[0] == '-')
        {
            return usageError("render does not know " + a);
        }
        else
        {
            operands.push_back(a);
        }
    }
    if (operands.size() != 2)
        return usageError("render takes a measurement file and a picture file");
    const QString in = QString::fromLocal8Bit(operands[0].c_str());
    const QString out = QString::fromLocal8Bit(operands[1].c_str());
    const kwzmea::PictureWriter writer = kwzmea::writerFor(out);
    if (!writer)
        return usageError("the picture file must end in .png, .jpg, .bmp or .tif");
    Bitmap bitmap;
    if (!bitmap.read(in))
    {
        fileError(in, "not a readable measurement file");
        return kExitFileFailed;
    }
    setLanguage(bitmap, language);
    QString error;
    std::optional<QImage> picture = burnIn(bitmap, labels, &error);
    const kwzmea::PictureInfo info = pictureInfo(bitmap);
    if (picture && scaleBar)
    {
        ZQUNIT fileUnit = ZQ_UM;
        RASTGetMeasureUnit(bitmap.handle(), &fileUnit);
        if (!drawScaleBar(*picture, info, unit.value_or(fileUnit), barLength))
        {
            fileError(in, info.unitsPerPixel > 0 ? "the scale bar does not fit the picture"
                                                 : "has no calibration to draw a scale bar from");
            return kExitFileFailed;
        }
    }
    if (!picture || !writer(*picture, info, out, &error))
    {
        fileError(picture ? out : in, error.toLocal8Bit().constData());
        return kExitFileFailed;
    }
    return kExitOk;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Language language = localeLanguage();
    std::vector<std::string> args(argv + 1, argv + argc);
    // Options before the command, and --language anywhere.
    for (size_t i = 0; i < args.size();)
    {
        if (args[i] == "--help" || args[i] == "-h")
        {
            std::fputs(kUsage, stdout);
            return kExitOk;
        }
        if (args[i] == "--language")
        {
            if (i + 1 >= args.size() || (args[i + 1] != "zh" && args[i + 1] != "en"))
                return usageError("--language takes zh or en");
            language = args[i + 1] == "zh" ? Language::Chinese : Language::English;
            args.erase(args.begin() + static_cast<long>(i),
                       args.begin() + static_cast<long>(i) + 2);
            continue;
        }
        ++i;
    }
    if (args.empty())
        return usageError("a command is missing");
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "info")
        return info(args, language);
    if (command == "csv")
        return csv(args, language);
    if (command == "render")
        return render(args, language);
    return usageError("unknown command " + command);
}
