#include "app/image/image_view.h"

#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <iterator>

#include "app/controls/picture_size_hint.h"
#include "app/controls/plain_key.h"
#include "app/image/image_doc.h"
#include "app/image/image_print.h"
#include "app/image/image_services.h"
#include "app/image/measure_settings.h"
#include "app/image/measured_bitmap.h"
#include "app/image/qpainter_context.h"
#include "app/image/tools/make_tool.h"
#include "app/image/zoom_ladder.h"
#include "app/shell/command_ids.h"
#include "app/shell/language.h"
#include "platform/clock.h"
#include "platform/draw/window.h"
#include "rast.h"

using namespace cmd;

CImageView::CImageView(CImageDoc& document, ImageServices* host, QWidget* parent)
    : QAbstractScrollArea(parent), document_(document), host_(host),
      tool_(makeMeasureTool(MeasureTool::kSelect, *this)), textInput_(new QLineEdit(this))
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    // The paint covers every pixel it is asked for, beside the picture too: filling the
    // background first would only be painted over.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    // The text of a text graphic is typed here; the engine draws it, so the edit is never
    // seen.
    textInput_->setGeometry(0, 0, 0, 0);
    textInput_->setFrame(false);
    textInput_->installEventFilter(this);
    connect(&document_, &CImageDoc::loaded, this, &CImageView::onDocumentUpdated);
    // Figures change at every drag step: a repaint, no new scroll range.
    connect(&document_, &CImageDoc::figuresChanged, this, &CImageView::repaintView);
    connect(&document_, &CImageDoc::selectionChanged, this, &CImageView::repaintView);
    updateCursor();
}

// The tool goes first: a text tool lets go of the text input.
CImageView::~CImageView()
{
    tool_.reset();
}

void* CImageView::bitmap() const
{
    MeasuredBitmap* bitmap = document_.bitmap();
    return bitmap != nullptr ? bitmap->handle() : nullptr;
}

QPoint CImageView::scrollPosition() const
{
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void CImageView::setTool(int tool)
{
    // A figure left half-built would stay in the lists and be saved as a degenerate one.
    tool_->cancel();
    recordIfSettled();
    tool_ = makeMeasureTool(tool, *this);
    updateCursor();
    repaintView();
}

void CImageView::settle()
{
    if (leftDown_)
        return;
    tool_->cancel();
    recordIfSettled();
    repaintView();
}

void CImageView::recordIfSettled(bool mergeable)
{
    if (!leftDown_ && tool_->settled())
        document_.recordStep(std::nullopt, mergeable);
}

void CImageView::updateCursor()
{
    viewport()->setCursor(tool_->cursor());
}

void CImageView::repaintView()
{
    // Figures changed: only the parts of the picture the library repainted are shown anew,
    // so a hover or a drag step converts and copies bands of the window, not all of it.
    RECT changed[8];
    int count = 0;
    const QSize image = document_.imageSize();
    if (bitmap() == nullptr || image.isEmpty() ||
        RASTUpdateSurface(bitmap(), changed, int(std::size(changed)), &count) != RAST_OK)
    {
        repaintWhole();
        return;
    }
    const QSize shown = shownSize();
    const double sx = double(shown.width()) / image.width();
    const double sy = double(shown.height()) / image.height();
    const QPointF scroll = scrollPosition();
    QRegion region;
    for (int i = 0; i < count; ++i)
    {
        const RECT& r = changed[i];
        // A stretched picture takes each pixel from its neighbours too: a margin covers them.
        region += QRectF(QPointF(r.left * sx, r.top * sy) - scroll,
                         QPointF(r.right * sx, r.bottom * sy) - scroll)
                      .toAlignedRect()
                      .adjusted(-2, -2, 2, 2) &
                  viewport()->rect();
    }
    if (!region.isEmpty())
        viewport()->update(region);
}

void CImageView::repaintWhole()
{
    viewport()->update();
}

void CImageView::touch()
{
    document_.setModified(true);
    document_.notifyFiguresChanged();
}

bool CImageView::selectAt(int x, int y)
{
    return document_.selectAt(QPoint(x, y));
}

void CImageView::focusView()
{
    setFocus();
}

void CImageView::postCommand(int commandId)
{
    QMetaObject::invokeMethod(
        this, [this, commandId] { Q_EMIT commandPosted(commandId); }, Qt::QueuedConnection);
}

namespace {

// Window pixel `shownPixel` of an axis shown `shown` wide shows image pixel
// floor(shownPixel * image / shown): the rule of the stretched copy that paints it.
int imageOf(int64_t shownPixel, int64_t image, int64_t shown)
{
    if (image <= 0 || shown <= 0 || image == shown)
        return int(shownPixel);
    return int(std::clamp<int64_t>(shownPixel * image / shown, INT32_MIN, INT32_MAX));
}

// The first window pixel that shows image pixel `pixel`.
int shownOf(int64_t pixel, int64_t image, int64_t shown)
{
    if (image <= 0 || shown <= 0 || image == shown)
        return int(pixel);
    const int64_t scaled = pixel * shown;
    const int64_t first = scaled >= 0 ? (scaled + image - 1) / image : -((-scaled) / image);
    return int(std::clamp<int64_t>(first, INT32_MIN, INT32_MAX));
}

// One side of the image at a factor: at least a pixel, and short of what int coordinates of
// a scrolled window could reach.
int scaledSide(int side, double factor)
{
    if (side <= 0)
        return 0;
    const double scaled = std::round(double(side) * factor);
    return int(std::clamp(scaled, 1.0, double(INT32_MAX / 4)));
}

} // namespace

QSize CImageView::shownSize() const
{
    const QSize image = document_.imageSize();
    return QSize(scaledSide(image.width(), zoom_), scaledSide(image.height(), zoom_));
}

QPoint CImageView::toImage(QPoint client) const
{
    const QPoint shownPoint =
        QPoint(std::max(0, client.x()), std::max(0, client.y())) + scrollPosition();
    const QSize image = document_.imageSize();
    const QSize shown = shownSize();
    return QPoint(imageOf(shownPoint.x(), image.width(), shown.width()),
                  imageOf(shownPoint.y(), image.height(), shown.height()));
}

QPoint CImageView::toClient(QPoint imagePoint) const
{
    const QSize image = document_.imageSize();
    const QSize shown = shownSize();
    return QPoint(shownOf(imagePoint.x(), image.width(), shown.width()),
                  shownOf(imagePoint.y(), image.height(), shown.height())) -
           scrollPosition();
}

void CImageView::setZoom(double factor, QPoint anchor)
{
    factor = ZoomLadder::bounded(factor);
    const QSize image = document_.imageSize();
    const QSize before = shownSize();
    // The middle of the window pixel under the anchor, in image pixels, not rounded: the
    // same point goes back under the anchor at the new factor.
    const QPointF middle = QPointF(anchor) + QPointF(0.5, 0.5);
    const QPointF picture =
        before.isEmpty()
            ? QPointF()
            : QPointF((middle.x() + scrollPosition().x()) * image.width() / before.width(),
                      (middle.y() + scrollPosition().y()) * image.height() / before.height());
    zoom_ = factor;
    updateScrollRange();
    const QSize after = shownSize();
    if (!image.isEmpty())
    {
        horizontalScrollBar()->setValue(
            int(std::lround(std::clamp(picture.x() * after.width() / image.width() - middle.x(),
                                       -1.0, double(INT32_MAX / 2)))));
        verticalScrollBar()->setValue(
            int(std::lround(std::clamp(picture.y() * after.height() / image.height() - middle.y(),
                                       -1.0, double(INT32_MAX / 2)))));
    }
    repaintWhole();
    Q_EMIT zoomChanged(zoom_);
}

QPoint CImageView::zoomAnchor() const
{
    const QPoint pointer = viewport()->mapFromGlobal(QCursor::pos());
    if (viewport()->underMouse() && viewport()->rect().contains(pointer))
        return pointer;
    return viewport()->rect().center();
}

void CImageView::zoomIn()
{
    setZoom(ZoomLadder::stepIn(zoom_), zoomAnchor());
}

void CImageView::zoomOut()
{
    setZoom(ZoomLadder::stepOut(zoom_), zoomAnchor());
}

void CImageView::zoomToActualSize()
{
    setZoom(1.0, zoomAnchor());
}

void CImageView::zoomToFit()
{
    const QSize image = document_.imageSize();
    if (image.isEmpty())
        return;
    // The room with no scroll bars: a picture that fits needs none.
    const QSize room = maximumViewportSize();
    if (room.isEmpty())
        return;
    double factor =
        std::min(double(room.width()) / image.width(), double(room.height()) / image.height());
    // Rounding of the shown size must not bring a scroll bar back.
    while (factor > ZoomLadder::kMinimum && (scaledSide(image.width(), factor) > room.width() ||
                                             scaledSide(image.height(), factor) > room.height()))
        factor = std::nextafter(factor, 0.0) * (1 - 1e-9);
    setZoom(factor, QPoint(0, 0));
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

void CImageView::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier))
    {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    event->accept();
    // Fine-grained wheels and touch pads send parts of a notch; a step is a whole one.
    wheelDelta_ += event->angleDelta().y();
    const QPoint anchor = event->position().toPoint();
    while (wheelDelta_ >= QWheelEvent::DefaultDeltasPerStep)
    {
        wheelDelta_ -= QWheelEvent::DefaultDeltasPerStep;
        setZoom(ZoomLadder::stepIn(zoom_), anchor);
    }
    while (wheelDelta_ <= -QWheelEvent::DefaultDeltasPerStep)
    {
        wheelDelta_ += QWheelEvent::DefaultDeltasPerStep;
        setZoom(ZoomLadder::stepOut(zoom_), anchor);
    }
}

void CImageView::magnify(const POINT& p)
{
    if (host_ == nullptr)
        return;
    if (kwz::Window* window = host_->magnifierWindow())
        RASTShowRegion(bitmap(), kwz::toHwnd(window), p.x, p.y,
                       host_->measureSettings().settings().zoomRate);
}

bool CImageView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == textInput_ && event->type() == QEvent::KeyPress)
    {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)
        {
            keyPressEvent(static_cast<QKeyEvent*>(event));
            return true;
        }
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void CImageView::keyPressEvent(QKeyEvent* event)
{
    if (bitmap() == nullptr || !isPlainKey(*event))
    {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const int key = event->key();
    if (tool_->key(key))
    {
        // Key by key a figure moves in one step.
        const bool arrow =
            key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
        recordIfSettled(arrow);
        repaintView();
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void CImageView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (!tool_->holdsKeyboard())
        setFocus(Qt::MouseFocusReason);
    if (bitmap() == nullptr)
        return;
    leftDown_ = true;
    tool_->pressAt(imagePoint(toImage(event->position().toPoint())));
    // Text input keeps the keyboard while a text is built.
    if (tool_->holdsKeyboard())
        textInput_->setFocus();
    repaintView();
}

void CImageView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        leftDown_ = false;
    if (bitmap() == nullptr)
        return;
    tool_->release(event->button(), imagePoint(toImage(event->position().toPoint())));
    recordIfSettled();
    if (event->button() == Qt::RightButton)
        repaintView();
}

void CImageView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && bitmap() != nullptr)
        tool_->doubleClick(imagePoint(toImage(event->position().toPoint())));
}

void CImageView::mouseMoveEvent(QMouseEvent* event)
{
    if (bitmap() == nullptr)
        return;
    const uint32_t now = kwz::tickCount();
    // Wrapping difference: right across the wrap of the 32-bit tick.
    if (movedYet_ && now - lastMoveTime_ < kMoveInterval)
        return;
    movedYet_ = true;
    lastMoveTime_ = now;
    const POINT p = imagePoint(toImage(event->position().toPoint()));
    magnify(p);
    tool_->move(p, leftDown_);
    if (!leftDown_ && host_ != nullptr)
        host_->setPaneText(2, QString::asprintf("  X: %d   Y: %d   ", p.x, p.y));
    repaintView();
}

// Image views paint on the interface thread, one at a time: they share the buffers that the
// visible part is converted in, so an open window costs no third copy of its picture.
QImage& CImageView::sharedScratch()
{
    static QImage scratch;
    return scratch;
}

QImage& CImageView::sharedDevicePicture()
{
    static QImage picture;
    return picture;
}

void CImageView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QSize image = document_.imageSize();
    const QSize shown = shownSize();
    const QPoint scroll = scrollPosition();
    const QRect damage = event->rect().intersected(viewport()->rect());
    // Only the part of the window beside the image is cleared; the image covers the rest.
    QRegion outside(damage);
    outside -= QRect(-scroll, shown);
    for (const QRect& r : outside)
        painter.fillRect(r, palette().color(QPalette::Base));
    if (bitmap() == nullptr || image.isEmpty())
        return;
    drawPicture(painter, damage);
    painter.translate(-scroll.x(), -scroll.y());
    if (shown != image)
        painter.scale(double(shown.width()) / image.width(),
                      double(shown.height()) / image.height());
    tool_->paint(painter);
    releaseIfBehind();
}

void CImageView::releaseIfBehind()
{
    // Ten open pictures would otherwise hold ten working pictures besides their pixels. A
    // window behind is painted seldom (shown again, or the pointer passes over it), and a
    // whole draw costs a few milliseconds.
    const auto* frame = qobject_cast<const QMdiSubWindow*>(parentWidget());
    if (frame == nullptr || frame->mdiArea() == nullptr ||
        frame->mdiArea()->currentSubWindow() == frame)
        return;
    if (MeasuredBitmap* picture = document_.bitmap())
        picture->releaseWorkingPicture();
}

void CImageView::drawPicture(QPainter& painter, const QRect& damage)
{
    const QSize image = document_.imageSize();
    const QSize shown = shownSize();
    const QPoint scroll = scrollPosition();
    const QRect target = damage.intersected(QRect(-scroll, shown));
    if (target.isEmpty())
        return;
    const double ratio = viewport()->devicePixelRatioF();
    if (ratio == 1.0)
    {
        painter.save();
        // The copy converts what the clip lets through, nothing else.
        painter.setClipRect(target);
        painter.translate(-scroll.x(), -scroll.y());
        {
            QPainterContext context(painter, &sharedScratch());
            if (shown == image)
                RASTDraw(bitmap(), kwz::toHdc(&context), scroll.x() + target.x(),
                         scroll.y() + target.y(), target.width(), target.height());
            else
                RASTShow(bitmap(), kwz::toHdc(&context),
                         SHOWRECT{0, 0, shown.width(), shown.height()},
                         SHOWRECT{0, 0, image.width(), image.height()});
        }
        painter.restore();
        return;
    }
    // In device pixels, so the picture is as sharp as the screen allows and the copy onto
    // the window scales nothing.
    const QRect device =
        QRectF(QPointF(target.topLeft()) * ratio, QSizeF(target.size()) * ratio).toAlignedRect();
    QImage& devicePicture = sharedDevicePicture();
    if (devicePicture.width() < device.width() || devicePicture.height() < device.height())
        devicePicture =
            QImage(std::max(device.width(), devicePicture.width()),
                   std::max(device.height(), devicePicture.height()), QImage::Format_RGB32);
    if (devicePicture.isNull())
        return;
    devicePicture.setDevicePixelRatio(1.0);
    {
        QPainter onDevice(&devicePicture);
        onDevice.setClipRect(QRect(QPoint(0, 0), device.size()));
        onDevice.translate(-std::lround(scroll.x() * ratio) - device.x(),
                           -std::lround(scroll.y() * ratio) - device.y());
        QPainterContext context(onDevice, &sharedScratch());
        RASTShow(
            bitmap(), kwz::toHdc(&context),
            SHOWRECT{0, 0, scaledSide(shown.width(), ratio), scaledSide(shown.height(), ratio)},
            SHOWRECT{0, 0, image.width(), image.height()});
    }
    devicePicture.setDevicePixelRatio(ratio);
    painter.drawImage(QRectF(QPointF(device.topLeft()) / ratio, QSizeF(device.size()) / ratio),
                      devicePicture, QRectF(QPointF(0, 0), QSizeF(device.size())));
}

void CImageView::updateScrollRange()
{
    const QSize image = shownSize();
    const QSize client = viewport()->size();
    clientSize_ = client;
    // A picture that fits once the scroll bars are gone needs none: without this, bars shown
    // while the window was smaller would keep themselves by the room they take.
    QSize whole = client;
    if (horizontalScrollBar()->isVisible())
        whole.rheight() += horizontalScrollBar()->height();
    if (verticalScrollBar()->isVisible())
        whole.rwidth() += verticalScrollBar()->width();
    const bool fits = image.width() <= whole.width() && image.height() <= whole.height();
    horizontalScrollBar()->setRange(0, fits ? 0 : std::max(0, image.width() - client.width()));
    verticalScrollBar()->setRange(0, fits ? 0 : std::max(0, image.height() - client.height()));
    horizontalScrollBar()->setPageStep(std::max(1, client.width()));
    verticalScrollBar()->setPageStep(std::max(1, client.height()));
    horizontalScrollBar()->setSingleStep(std::max(1, client.width() / 10));
    verticalScrollBar()->setSingleStep(std::max(1, client.height() / 10));
}

void CImageView::onDocumentUpdated()
{
    if (bitmap() != nullptr)
        RASTHideRuler(bitmap(), document_.hideRuler());
    updateScrollRange();
    repaintWhole();
}

void CImageView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void CImageView::showEvent(QShowEvent* event)
{
    QAbstractScrollArea::showEvent(event);
    updateScrollRange();
}

void CImageView::scrollContentsBy(int, int)
{
    // Always repainted whole: the figures' labels do not scroll with the pixels.
    repaintWhole();
}

void CImageView::print()
{
    PrintJob job(document_, host_ != nullptr ? host_->languageIndex() : kLanguageEnglish);
    if (!job.ready())
        return;
    QPrinter local(QPrinter::HighResolution);
    QPrinter& printer = host_ != nullptr && host_->printer() != nullptr ? *host_->printer() : local;
    job.orientPage(printer);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    job.print(printer);
}

void CImageView::printPreview()
{
    PrintJob job(document_, host_ != nullptr ? host_->languageIndex() : kLanguageEnglish);
    if (!job.ready())
        return;
    QPrinter local(QPrinter::HighResolution);
    QPrinter& printer = host_ != nullptr && host_->printer() != nullptr ? *host_->printer() : local;
    job.orientPage(printer);
    QPrintPreviewDialog dialog(&printer, this);
    // The dialog's own size shows the page as a stamp.
    if (const QScreen* screen = this->screen())
        dialog.resize(printPreviewSize(screen->availableGeometry().size()));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [&job](QPrinter* target) { job.print(*target); });
    dialog.exec();
}

void CImageView::printSetup()
{
    if (host_ == nullptr || host_->printer() == nullptr)
        return;
    QPageSetupDialog dialog(host_->printer(), this);
    dialog.exec();
}

QSize CImageView::sizeHint() const
{
    return pictureSizeHint(*this, shownSize());
}
