#include "app/image/image_window.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>

bool CImageDoc::looksLikeImageFile(const QByteArray& head, const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == "mea")
        return head.size() >= 4;
    return head.startsWith("BM") && head.size() >= 54;
}

bool CImageDoc::OnOpenDocument(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return looksLikeImageFile(file.read(64), path);
}

CImageView::CImageView(CImageDoc& document, QWidget* parent)
    : QAbstractScrollArea(parent), document_(document)
{
}

void CImageView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
    painter.drawText(viewport()->rect().adjusted(8, 8, -8, -8), Qt::AlignLeft | Qt::AlignTop,
                     document_.path());
}

CImageFrame::CImageFrame(CImageDoc& document, QWidget* parent)
    : QMdiSubWindow(parent), view_(new CImageView(document))
{
    setWidget(view_);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(document.title());
}
