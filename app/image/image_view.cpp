#include "app/image/image_view.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>

#include "app/controls/picture_size_hint.h"
#include "app/controls/plain_key.h"
#include "app/image/image_doc.h"
#include "app/image/image_print.h"
#include "app/image/image_services.h"
#include "app/image/measure_settings.h"
#include "app/image/measured_bitmap.h"
#include "app/image/qpainter_context.h"
#include "app/image/tools/make_tool.h"
#include "app/shell/command_ids.h"
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

QPoint CImageView::toImage(QPoint client) const
{
    return QPoint(std::max(0, client.x()), std::max(0, client.y())) + scrollPosition();
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

void CImageView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const QSize image = document_.imageSize();
    const QPoint scroll = scrollPosition();
    // Only the part of the window beside the image is cleared; the image covers the rest.
    QRegion outside(viewport()->rect());
    outside -= QRect(-scroll.x(), -scroll.y(), image.width(), image.height());
    for (const QRect& r : outside)
        painter.fillRect(r, palette().color(QPalette::Base));
    if (bitmap() == nullptr || image.isEmpty())
        return;
    painter.translate(-scroll.x(), -scroll.y());
    {
        QPainterContext context(painter, &scratch_);
        RASTDraw(bitmap(), kwz::toHdc(&context), scroll.x(), scroll.y(), clientSize_.width(),
                 clientSize_.height());
    }
    tool_->paint(painter);
}

void CImageView::updateScrollRange()
{
    const QSize image = document_.imageSize();
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
    repaintView();
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
    repaintView();
}

void CImageView::print()
{
    PrintJob job(document_);
    if (!job.ready())
        return;
    QPrinter local(QPrinter::HighResolution);
    QPrinter& printer = host_ != nullptr && host_->printer() != nullptr ? *host_->printer() : local;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    job.print(printer);
}

void CImageView::printPreview()
{
    PrintJob job(document_);
    if (!job.ready())
        return;
    QPrinter local(QPrinter::HighResolution);
    QPrinter& printer = host_ != nullptr && host_->printer() != nullptr ? *host_->printer() : local;
    QPrintPreviewDialog dialog(&printer, this);
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
    return pictureSizeHint(*this, document_.imageSize());
}
