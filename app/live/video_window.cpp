#include "app/live/video_window.h"

#include <QPainter>

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
    static constexpr int kSizes[5][2] = {
        {320, 240}, {640, 480}, {1280, 1024}, {1600, 1200}, {2048, 1536}};
    if (index < 0 || index > 4)
        return false;
    width = kSizes[index][0];
    height = kSizes[index][1];
    return true;
}
