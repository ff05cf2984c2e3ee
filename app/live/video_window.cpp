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
