#include "app/live/video_window.h"

#include <QPainter>

#include "app/shell/picture_sizes.h"

CVideoView::CVideoView(CVideoDoc& document, QWidget* parent)
    : QAbstractScrollArea(parent), document_(document)
{
    viewport()->setAutoFillBackground(true);
    QPalette p = viewport()->palette();
    p.setColor(QPalette::Window, Qt::black);
    viewport()->setPalette(p);
}

void CVideoView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), Qt::black);
}

CVideoFrame::CVideoFrame(CVideoDoc& document, QWidget* parent)
    : QMdiSubWindow(parent), view_(new CVideoView(document))
{
    setWidget(view_);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(document.title());
}

bool CVideoFrame::pictureSize(int index, int& width, int& height)
{
    const PictureSize* size = pictureSizeAt(index);
    if (size == nullptr)
        return false;
    width = size->width;
    height = size->height;
    return true;
}
