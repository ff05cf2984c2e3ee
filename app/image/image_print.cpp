#include "app/image/image_print.h"

#include <QFile>
#include <QPainter>
#include <QPrinter>

#include "app/image/finished_picture.h"
#include "app/image/image_doc.h"
#include "app/image/measured_bitmap.h"
#include "app/image/qpainter_context.h"

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

PrintJob::PrintJob(CImageDoc& document)
{
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
    const QSize printed = printFit(size_, page.size());
    QPainterContext context(painter);
    if (!picture_->show(kwz::toHdc(&context), QRect(QPoint(0, 0), printed),
                        QRect(QPoint(0, 0), size_)))
    {
        printer.abort();
        return false;
    }
    return painter.end();
}
