#include "app/live/video_view.h"

#include <QFocusEvent>
#include <QFont>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QRegion>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "app/controls/picture_size_hint.h"
#include "app/controls/plain_key.h"
#include "app/image/qpainter_context.h"
#include "app/live/camera_session.h"
#include "app/live/live_services.h"
#include "app/live/live_session.h"
#include "app/live/video_doc.h"
#include "app/shell/settings.h"
#include "bitmap/scale_bar.h"
#include "support/values/figure_table.h"

namespace {

// The picture's corner in the client area: centred where it fits, else at the scroll
// position's negative.
int pictureOrigin(int picture, int client, int scrolled)
{
    return picture < client ? client / 2 - picture / 2 : -scrolled;
}

// The largest rectangle of the picture's proportions that the client area holds, centred.
QRect fittedRect(int w, int h, QSize client)
{
    if (w <= 0 || h <= 0)
        return QRect(QPoint(0, 0), client);
    const int64_t cw = client.width();
    const int64_t ch = client.height();
    int64_t fw = cw;
    int64_t fh = ch;
    if (cw * h > ch * w)
        fw = ch * w / h;
    else
        fh = cw * h / w;
    return QRect(int((cw - fw) / 2), int((ch - fh) / 2), int(fw), int(fh));
}

// Rows h/2 to h/2 + 2 of the bottom-up picture and columns w/2 to w/2 + 2, scaled onto where
// the picture is shown.
void drawCrossHair(QPainter& painter, QRect shown, int w, int h)
{
    if (w < 3 || h < 3 || shown.isEmpty())
        return;
    const double sx = double(shown.width()) / w;
    const double sy = double(shown.height()) / h;
    auto span = [](double from, double length) {
        const int a = int(std::floor(from));
        return std::pair<int, int>{a, std::max(1, int(std::floor(from + length)) - a)};
    };
    const auto [rowY, rowH] = span(shown.y() + (h - 1 - (h / 2 + 2)) * sy, 3 * sy);
    const auto [colX, colW] = span(shown.x() + (w / 2) * sx, 3 * sx);
    const QColor red(255, 0, 0);
    painter.fillRect(QRect(shown.x(), rowY, shown.width(), rowH), red);
    painter.fillRect(QRect(colX, shown.y(), colW, shown.height()), red);
}

} // namespace

CVideoView::CVideoView(CVideoDoc* document, QWidget* parent)
    : QAbstractScrollArea(parent), document_(document),
      surface_(std::make_unique<LiveSurface>(this))
{
    // The view paints every pixel itself; nothing needs erasing first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    viewport()->setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    if (document_ != nullptr)
        connect(document_, &CVideoDoc::updateRequested, this, &CVideoView::onUpdate);
}

CVideoView::~CVideoView() = default;

void CVideoView::setSession(LiveSession* live, CameraSession* camera, const LiveServices* services)
{
    services_ = services;
    if (live_ != nullptr)
        disconnect(live_, nullptr, this, nullptr);
    live_ = live;
    camera_ = camera;
    if (live_ == nullptr)
        return;
    // The cross-hair is drawn over what is shown, so only the screen changes with it.
    connect(live_, &LiveSession::crossHairChanged, this, [this] { viewport()->update(); });
}

void CVideoView::onInitialUpdate()
{
    setScrollSize(document_ ? QSize(document_->pictureWidth(), document_->pictureHeight())
                            : QSize(100, 100));
}

void CVideoView::onUpdate()
{
    if (live_ == nullptr || camera_ == nullptr || document_ == nullptr || camera_->device() == 0 ||
        placing_)
        return;
    placing_ = true;
    QRect rect;
    if (live_->fit())
    {
        setScrollSize(QSize(0, 0));
        // Proportions kept: round particles stay round; the rest stays black.
        rect =
            fittedRect(document_->pictureWidth(), document_->pictureHeight(), viewport()->size());
    }
    else
    {
        const int w = document_->pictureWidth();
        const int h = document_->pictureHeight();
        setScrollSize(QSize(w, h));
        const int x = pictureOrigin(w, viewport()->width(), horizontalScrollBar()->value());
        const int y = pictureOrigin(h, viewport()->height(), verticalScrollBar()->value());
        rect = QRect(x, y, w, h);
        pictureRect_ = rect;
    }
    placement_ = rect;
    Q_EMIT placed(rect.size());
    const ZCAPVIEWWIN where{rect.x(), rect.y(), rect.width(), rect.height()};
    ZcapSetViewWin(camera_->device(), &where);
    viewport()->update();
    placing_ = false;
}

void CVideoView::setScrollSize(QSize size)
{
    scrollSize_ = size;
    updateScrollBars();
}

void CVideoView::updateScrollBars()
{
    const QSize client = viewport()->size();
    horizontalScrollBar()->setPageStep(client.width());
    verticalScrollBar()->setPageStep(client.height());
    horizontalScrollBar()->setSingleStep(qMax(1, client.width() / 10));
    verticalScrollBar()->setSingleStep(qMax(1, client.height() / 10));
    horizontalScrollBar()->setRange(0, qMax(0, scrollSize_.width() - client.width()));
    verticalScrollBar()->setRange(0, qMax(0, scrollSize_.height() - client.height()));
}

bool CVideoView::event(QEvent* event)
{
    if (event->type() == LiveSurface::frameReadyEvent())
    {
        surface_->acknowledge();
        const QRect visible = placement_ & viewport()->rect();
        if (!visible.isEmpty())
            viewport()->update(visible);
        return true;
    }
    return QAbstractScrollArea::event(event);
}

void CVideoView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QRect client = viewport()->rect();
    const int w = document_ ? document_->pictureWidth() : 0;
    const int h = document_ ? document_->pictureHeight() : 0;
    const int x = pictureOrigin(w, client.width(), 0);
    const int y = pictureOrigin(h, client.height(), 0);

    // What covers part of the client area: the freeze picture or the newest live frame.
    QRect covered;
    const QImage* picture = nullptr;
    QRect source;
    if (live_ != nullptr && live_->frozen() && !live_->frozenPicture().isNull())
    {
        picture = &live_->frozenPicture();
        covered = live_->fit() ? fittedRect(w, h, client.size()) : QRect(x, y, w, h);
        source = picture->rect();
    }
    else if (live_ != nullptr && live_->started())
    {
        // A new frame only when all of the picture is repainted, so that no part of the
        // screen keeps an older frame beside it.
        const QRect visible = placement_ & client;
        if (QRegion(visible).subtracted(event->region()).isEmpty())
            surface_->takeFrame();
        if (surface_->hasFrame() && surface_->front().size() == client.size())
        {
            picture = &surface_->front();
            covered = visible & event->rect();
            source = covered;
        }
    }
    if (picture == nullptr)
        covered = QRect();

    for (const QRect& r : QRegion(event->rect()).subtracted(covered))
        painter.fillRect(r, Qt::black);
    if (client.width() >= w && client.height() >= h)
    {
        painter.setPen(QPen(QColor(255, 0, 0), 0));
        const QPolygon outline({QPoint(x - 1, y - 1), QPoint(x + w + 1, y - 1),
                                QPoint(x + w + 1, y + h + 1), QPoint(x - 1, y + h + 1)});
        painter.drawPolygon(outline);
    }
    if (picture != nullptr && !covered.isEmpty())
        painter.drawImage(covered, *picture, source);
    if (picture != nullptr && live_->crossHair())
    {
        const bool still = picture == &live_->frozenPicture();
        painter.setClipRegion(event->region());
        drawCrossHair(painter, still ? covered : placement_, w, h);
    }
    if (picture != nullptr && services_ != nullptr)
    {
        const OverlaySettings& overlay = services_->settings.overlay;
        if (LiveOverlay::shows(overlay) && w > 0 && h > 0)
        {
            const bool still = picture == &live_->frozenPicture();
            const QRect shown = still ? covered : placement_;
            painter.save();
            painter.setClipRegion(event->region());
            // In picture pixels, scaled onto where the picture is: the marks sit on the same
            // pixels as in a capture that carries them.
            painter.translate(shown.topLeft());
            painter.scale(double(shown.width()) / w, double(shown.height()) / h);
            QPainterContext dc(painter);
            overlay_.draw(dc, w, h, overlay, liveScale(*services_));
            painter.restore();
        }
        if (!line_.isNull() && w > 0 && h > 0)
        {
            const bool still = picture == &live_->frozenPicture();
            const QRect shown = still ? covered : placement_;
            painter.save();
            painter.setClipRegion(event->region());
            painter.translate(shown.topLeft());
            painter.scale(double(shown.width()) / w, double(shown.height()) / h);
            QPainterContext dc(painter);
            drawMeasuredLine(dc, w, h);
            painter.restore();
        }
    }
    if (!notice_.isEmpty())
    {
        painter.setClipping(false);
        QFont font = painter.font();
        font.setPointSizeF(font.pointSizeF() * 1.4);
        painter.setFont(font);
        const QRect text = painter.fontMetrics()
                               .boundingRect(client, Qt::AlignCenter, notice_)
                               .adjusted(-16, -10, 16, 10);
        painter.fillRect(text, QColor(0, 0, 0, 200));
        painter.setPen(QColor(255, 210, 80));
        painter.drawText(text, Qt::AlignCenter, notice_);
    }
    if (shownHook_ && picture == &surface_->front() && !covered.isEmpty())
        shownHook_(surface_->frontFrame());
}

void CVideoView::setNotice(const QString& text)
{
    if (text == notice_)
        return;
    notice_ = text;
    viewport()->update();
}

void CVideoView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    surface_->resize(viewport()->size());
    updateScrollBars();
    onUpdate();
}

void CVideoView::scrollContentsBy(int, int)
{
    // The picture follows the scroll position.
    onUpdate();
}

void CVideoView::keyPressEvent(QKeyEvent* event)
{
    // The exposure steps are no commands; the command letters arrive as their actions' keys.
    if (isPlainKey(*event))
    {
        switch (event->key())
        {
        case Qt::Key_I:
        case Qt::Key_Minus:
            Q_EMIT exposureStepRequested(-1);
            break;
        case Qt::Key_U:
        case Qt::Key_Plus:
        case Qt::Key_Equal: // the plus key without shift
            Q_EMIT exposureStepRequested(1);
            break;
        default:
            break;
        }
    }
    QAbstractScrollArea::keyPressEvent(event);
}

std::optional<QPoint> CVideoView::picturePixel(QPoint at, QRect shown, QSize picture)
{
    if (!shown.contains(at) || picture.isEmpty())
        return std::nullopt;
    const int64_t dx = at.x() - shown.x();
    const int64_t dy = at.y() - shown.y();
    return QPoint(int(dx * picture.width() / shown.width()),
                  int(dy * picture.height() / shown.height()));
}

void CVideoView::mouseMoveEvent(QMouseEvent* event)
{
    if (document_ != nullptr)
    {
        // Picture pixels, as the image windows count them, whatever the placement or fit.
        const QSize picture(document_->pictureWidth(), document_->pictureHeight());
        const std::optional<QPoint> p =
            picturePixel(event->position().toPoint(), placement_, picture);
        Q_EMIT pointerMoved(p.value_or(QPoint()), p.has_value());
        if (drawingLine_)
        {
            line_.setP2(toPicture(event->position().toPoint()));
            viewport()->update();
        }
    }
    QAbstractScrollArea::mouseMoveEvent(event);
}

QRect CVideoView::shownRect() const
{
    if (live_ != nullptr && live_->frozen() && document_ != nullptr)
    {
        const int w = document_->pictureWidth();
        const int h = document_->pictureHeight();
        const QSize client = viewport()->size();
        return live_->fit() ? fittedRect(w, h, client)
                            : QRect(pictureOrigin(w, client.width(), 0),
                                    pictureOrigin(h, client.height(), 0), w, h);
    }
    return placement_;
}

QPoint CVideoView::toPicture(QPoint p) const
{
    const QRect shown = shownRect();
    const int w = document_ ? document_->pictureWidth() : 0;
    const int h = document_ ? document_->pictureHeight() : 0;
    if (shown.isEmpty() || w <= 0 || h <= 0)
        return {};
    const int x = int(std::floor((p.x() - shown.x()) * double(w) / shown.width()));
    const int y = int(std::floor((p.y() - shown.y()) * double(h) / shown.height()));
    return QPoint(std::clamp(x, 0, w - 1), std::clamp(y, 0, h - 1));
}

QString CVideoView::measuredLength() const
{
    if (line_.isNull() || services_ == nullptr)
        return {};
    const LiveScale scale = liveScale(*services_);
    const double perUnit = kwz::output::micronsPerUnit(scale.unit);
    if (!(scale.micronsPerPixel > 0) || perUnit == 0)
        return {};
    const double pixels = std::hypot(double(line_.dx()), double(line_.dy()));
    const int precision = std::clamp(services_->settings.precision, 0, 9);
    return QStringLiteral("%1 %2")
        .arg(pixels * scale.micronsPerPixel / perUnit, 0, 'f', precision)
        .arg(QString::fromStdString(kwz::values::unitName(scale.unit)));
}

void CVideoView::drawMeasuredLine(kwz::DrawContext& dc, int width, int height)
{
    const COLORREF colour = services_->settings.overlay.colour & 0x00FFFFFFu;
    const int saved = dc.saveDC();
    dc.selectPen(kwz::Pen{kwz::kPenSolid, std::max(1, std::min(width, height) / 400), colour});
    dc.moveTo(line_.x1(), line_.y1());
    dc.lineTo(line_.x2(), line_.y2());
    const QString label = measuredLength();
    if (!label.isEmpty())
    {
        dc.setBkMode(kwz::kBackgroundTransparent);
        dc.setTextColor(colour);
        const std::u16string text = label.toStdU16String();
        const QPoint at = line_.center() + QPoint(6, 6);
        dc.selectFont(nullptr);
        dc.textOutW(std::min(at.x(), width - 1), std::min(at.y(), height - 1), text);
    }
    dc.restoreDC(saved);
}

void CVideoView::mousePressEvent(QMouseEvent* event)
{
    if (services_ != nullptr && event->button() == Qt::LeftButton)
    {
        const QPoint p = toPicture(event->position().toPoint());
        line_ = QLine(p, p);
        drawingLine_ = true;
        viewport()->update();
    }
    else if (event->button() == Qt::RightButton && !line_.isNull())
    {
        line_ = QLine();
        viewport()->update();
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void CVideoView::mouseReleaseEvent(QMouseEvent* event)
{
    if (drawingLine_ && event->button() == Qt::LeftButton)
    {
        drawingLine_ = false;
        line_.setP2(toPicture(event->position().toPoint()));
        // A click without a drag leaves no line.
        if (line_.p1() == line_.p2())
            line_ = QLine();
        viewport()->update();
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void CVideoView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    // A closing menu hands the focus back; that is no new focus on the live window.
    if (event->reason() != Qt::PopupFocusReason)
        Q_EMIT focusGained();
}

QSize CVideoView::sizeHint() const
{
    return pictureSizeHint(*this, scrollSize_);
}
