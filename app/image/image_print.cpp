#include "app/image/image_print.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>

#include "app/image/finished_picture.h"
#include "app/image/image_doc.h"
#include "app/image/measured_bitmap.h"
#include "app/image/qpainter_context.h"
#include "app/shell/ui_text.h"

QSize printFit(QSize image, QSize page)
{
    QSize printed = page;
    if (image.width() <= 0 || image.height() <= 0)
        return printed;
    const double ratio = double(image.height()) / image.width();
    if (double(page.width()) / image.width() - double(page.height()) / image.height() >= 0.0001)
    {
        const int width = int(page.height() / ratio);
        if (width < page.width())
            printed.setWidth(width);
    }
    else
    {
        const int height = int(page.width() * ratio);
        if (height < page.height())
            printed.setHeight(height);
    }
    return printed;
}

QString printTitle(const QString& fileName, const QDateTime& when,
                   const std::optional<RulerRecord>& ruler, int languageIndex)
{
    static const char* const kUnits[] = {"µm", "mm", "cm", "m", "in"};
    QString scale;
    if (ruler && ruler->unit >= 0 && ruler->unit < 5 && std::isfinite(ruler->length) &&
        ruler->length > 0)
    {
        const double pixels = std::hypot(double(ruler->end.x) - ruler->start.x,
                                         double(ruler->end.y) - ruler->start.y);
        if (pixels > 0)
            scale = uiText(languageIndex, "Scale: 1 px = %1 %2", "比例：1 像素 = %1 %2",
                           "比例：1 像素 = %1 %2")
                        .arg(QString::number(ruler->length / pixels, 'g', 4),
                             QString::fromUtf8(kUnits[ruler->unit]));
    }
    if (scale.isEmpty())
        scale = uiText(languageIndex, "Scale: not calibrated", "比例：未标定", "比例：未標定");
    return QStringLiteral("%1    %2    %3")
        .arg(fileName, when.toString(QStringLiteral("yyyy-MM-dd HH:mm")), scale);
}

QSize printPreviewSize(QSize available)
{
    // Large enough to read the page, never beyond the screen.
    const QSize wanted(std::max(900, available.width() * 4 / 5),
                       std::max(700, available.height() * 17 / 20));
    return wanted.boundedTo(available.isEmpty() ? wanted : available);
}

PrintJob::PrintJob(CImageDoc& document, int languageIndex, const QDateTime& when)
{
    const QString file = document.pathName();
    title_ =
        printTitle(file.isEmpty() ? document.title() : QFileInfo(file).fileName(), when,
                   document.bitmap() ? document.bitmap()->ruler() : std::nullopt, languageIndex);
    MeasuredBitmap* source = document.bitmap();
    const QSize size = document.imageSize();
    if (!folder_.isValid() || source == nullptr || size.isEmpty())
        return;
    const QString path = temporaryFile();
    // As the view shows it now.
    source->draw(nullptr, QRect(QPoint(0, 0), size));
    if (!source->writeFile(path, true))
        return;
    std::unique_ptr<MeasuredBitmap> loaded = MeasuredBitmap::create();
    if (loaded == nullptr || !loaded->readFile(path))
        return;
    if (const OverlaySettings* bar = document.stillScaleBar())
    {
        // On the page only: the document keeps its pixels.
        const QImage picture = finishedPicture(*source, true, bar);
        const std::vector<unsigned char> rows = bottomUpRows(picture);
        if (picture.isNull() || !loaded->readPixels(rows.data(), picture.width(), picture.height()))
            return;
    }
    picture_ = std::move(loaded);
    size_ = size;
}

PrintJob::~PrintJob() = default;

void PrintJob::orientPage(QPrinter& printer) const
{
    if (!size_.isEmpty())
        printer.setPageOrientation(size_.width() > size_.height() ? QPageLayout::Landscape
                                                                  : QPageLayout::Portrait);
}

QString PrintJob::temporaryFile() const
{
    return folder_.filePath(QStringLiteral("TMPPrint.bmp"));
}

bool PrintJob::print(QPrinter& printer)
{
    if (!ready())
        return false;
    printer.setDocName(QStringLiteral("Print Image"));
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    // The title takes a line of about 4 mm, then a gap of half a line.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(8, printer.resolution() * 4 / 25 * 4 / 5));
    painter.setFont(font);
    const int line = QFontMetrics(font, &printer).height();
    painter.drawText(QRect(0, 0, page.width(), line), Qt::AlignLeft | Qt::AlignVCenter, title_);
    const int top = line + line / 2;
    const QSize printed = printFit(size_, QSize(page.width(), std::max(1, page.height() - top)));
    QPainterContext context(painter);
    if (!picture_->show(kwz::toHdc(&context), QRect(QPoint(0, top), printed),
                        QRect(QPoint(0, 0), size_)))
    {
        printer.abort();
        return false;
    }
    return painter.end();
}
