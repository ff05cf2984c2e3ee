#include "app/image/image_print.h"

#include <QFile>
#include <QPainter>
#include <QPrinter>

#include "app/image/image_doc.h"
#include "app/image/qpainter_context.h"
#include "rast.h"

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

void PrintJob::PictureDeleter::operator()(void* picture) const
{
    RASTUnInitialize(&picture);
}

PrintJob::PrintJob(CImageDoc& document)
{
    void* source = document.bitmap();
    const QSize size = document.imageSize();
    if (!folder_.isValid() || source == nullptr || size.isEmpty())
        return;
    const QByteArray path = QFile::encodeName(temporaryFile());
    // As the view shows it now.
    RASTDraw(source, nullptr, 0, 0, size.width(), size.height());
    if (RASTWriteFile(source, path.constData(), 1) != RAST_OK)
        return;
    void* picture = nullptr;
    if (RASTInitialize(&picture) != RAST_OK)
        return;
    std::unique_ptr<void, PictureDeleter> loaded(picture);
    if (RASTReadFile(picture, path.constData()) != RAST_OK)
        return;
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
    const SHOWRECT dest{0, 0, printed.width(), printed.height()};
    const SHOWRECT source{0, 0, size_.width(), size_.height()};
    if (RASTShow(picture_.get(), kwz::toHdc(&context), dest, source) != RAST_OK)
    {
        printer.abort();
        return false;
    }
    return painter.end();
}
