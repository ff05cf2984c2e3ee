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
#include "app/image/image_workspace.h"
#include "app/image/measure_settings.h"
#include "app/image/measured_bitmap.h"
#include "app/image/qpainter_context.h"
#include "app/shell/command_ids.h"
#include "app/shell/gbk_text.h"
#include "platform/clock.h"
#include "platform/draw/window.h"
#include "rast.h"

using namespace cmd;

namespace {

bool drawsFigures(int tool)
{
    return tool >= GT_LINE && tool <= GT_TEXT;
}

} // namespace

CImageView::CImageView(CImageDoc& document, ImageWorkspace* host, QWidget* parent)
    : QAbstractScrollArea(parent), document_(document), host_(host), textInput_(new QLineEdit(this))
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    // The text of a text graphic is typed here; the engine draws it, so the edit is never
    // seen.
    textInput_->setGeometry(0, 0, 0, 0);
    textInput_->setFrame(false);
    textInput_->installEventFilter(this);
    connect(textInput_, &QLineEdit::textChanged, this, &CImageView::onTextEdited);
    connect(&document_, &CImageDoc::loaded, this, &CImageView::onDocumentUpdated);
    // Figures change at every drag step: a repaint, no new scroll range.
    connect(&document_, &CImageDoc::figuresChanged, this, &CImageView::repaintView);
    connect(&document_, &CImageDoc::selectionChanged, this, &CImageView::repaintView);
    updateCursor();
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
    if (pointCount_ != 0 && bitmap() != nullptr)
    {
        if (tool_ == GT_POLYGON && pointCount_ < 3)
            RASTClearHitGraphic(bitmap());
        else
            RASTFinishGraphic(bitmap()); // drops what lacks points, keeps a typed text
        repaintView();
    }
    if (textBound_)
        unbindTextInput();
    tool_ = tool;
    pointCount_ = 0;
    updateCursor();
}

void CImageView::updateCursor()
{
    viewport()->setCursor(drawsFigures(tool_) ? Qt::CrossCursor : Qt::ArrowCursor);
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

void CImageView::postCommand(int commandId)
{
    QMetaObject::invokeMethod(
        this, [this, commandId] { Q_EMIT commandPosted(commandId); }, Qt::QueuedConnection);
}

QPoint CImageView::toImage(int clientX, int clientY, bool dragRule) const
{
    // The platform hands the position over as two 16-bit halves.
    auto coordinate = [dragRule](int value) {
        const int half = value & 0xFFFF;
        if (dragRule)
            return (half & 0x8000) != 0 ? 0 : half;
        return half == 0xFFFF ? 0 : half;
    };
    return QPoint(coordinate(clientX), coordinate(clientY)) + scrollPosition();
}

void CImageView::handleMouseMessage(int message, int clientX, int clientY)
{
    if (bitmap() == nullptr)
        return;
    switch (message)
    {
    case LeftDown: {
        leftDown_ = 1;
        const QPoint p = toImage(clientX, clientY, false);
        press(POINT{p.x(), p.y()});
        break;
    }
    case LeftUp:
        leftDown_ = 0;
        break;
    case Drag:
    case Hover: {
        const uint32_t now = kwz::tickCount();
        if (movedYet_ && now - lastMoveTime_ < kMoveInterval)
            return;
        movedYet_ = true;
        lastMoveTime_ = now;
        const QPoint p = toImage(clientX, clientY, message == Drag);
        if (message == Drag)
            drag(POINT{p.x(), p.y()});
        else
            hover(POINT{p.x(), p.y()});
        break;
    }
    default:
        break;
    }
}

void CImageView::press(const POINT& p)
{
    lastDown_ = p;
    anchor_ = p;
    void* object = bitmap();
    switch (tool_)
    {
    case kToolSelect:
        picked_ = RASTIsHitGraphic(object, p.x, p.y) == RAST_OK;
        break;
    case GT_LINE:
    case GT_RECT:
    case GT_CIRCLE_DIAMETER:
    case GT_CIRCLE_CENTRE:
    case GT_ELLIPSE_BOX:
    case GT_ELLIPSE_CENTRE:
        if (pointCount_ == 0)
        {
            RASTStartGraphic(object, p, static_cast<GRAPHICTYPE>(tool_));
            pointCount_ = 1;
        }
        else
        {
            RASTAddPointToGraphic(object, p);
            pointCount_ = 0;
        }
        touch();
        break;
    case GT_CIRCLE_3POINTS:
    case GT_ANGLE:
        if (pointCount_ == 0)
        {
            RASTStartGraphic(object, p, static_cast<GRAPHICTYPE>(tool_));
            pointCount_ = 1;
        }
        else
        {
            RASTAddPointToGraphic(object, p);
            pointCount_ = pointCount_ == 1 ? 2 : 0;
        }
        touch();
        break;
    case GT_POLYGON:
        if (pointCount_ == 0)
            RASTStartGraphic(object, p, GT_POLYGON);
        else
            RASTAddPointToGraphic(object, p);
        ++pointCount_;
        touch();
        break;
    case kToolText:
        if (pointCount_ == 0)
        {
            RASTStartGraphic(object, p, GT_TEXT);
            bindTextInput();
            pointCount_ = 1;
        }
        else
        {
            finishText();
        }
        touch();
        break;
    default:
        break;
    }
    repaintView();
}

void CImageView::drag(const POINT& p)
{
    magnify(p);
    if (tool_ != kToolSelect)
        return;
    RASTMoveGraphic(bitmap(), p.x - anchor_.x, p.y - anchor_.y);
    anchor_ = p;
    if (picked_)
        touch();
    repaintView();
}

void CImageView::hover(const POINT& p)
{
    magnify(p);
    if (tool_ == kToolSelect)
        RASTIsPassGraphic(bitmap(), p.x, p.y);
    else if (tool_ >= GT_LINE && tool_ <= GT_POLYGON)
        RASTChangePointToGraphic(bitmap(), p);
    if (host_ != nullptr)
        host_->setPaneText(2, QString::asprintf("  X: %d   Y: %d   ", p.x, p.y));
    repaintView();
}

void CImageView::magnify(const POINT& p)
{
    if (host_ == nullptr)
        return;
    if (kwz::Window* window = host_->magnifierWindow())
        RASTShowRegion(bitmap(), kwz::toHwnd(window), p.x, p.y,
                       host_->measureSettings().settings().zoomRate);
}

void CImageView::rightButtonUp()
{
    if (bitmap() == nullptr)
        return;
    if (tool_ >= GT_LINE && tool_ <= GT_ANGLE)
    {
        // Finishing drops a graphic that lacks points, and only that one: a figure lying
        // under the last press stays.
        if (pointCount_ != 0)
            RASTFinishGraphic(bitmap());
        pointCount_ = 0;
    }
    else if (tool_ == GT_POLYGON)
    {
        // With nothing under construction there is nothing to drop.
        if (pointCount_ >= 3)
            RASTFinishGraphic(bitmap());
        else if (pointCount_ != 0)
            RASTClearHitGraphic(bitmap());
        pointCount_ = 0;
    }
    else if (tool_ == kToolText)
    {
        RASTFinishGraphic(bitmap());
        pointCount_ = 0;
        unbindTextInput();
    }
    postCommand(ID_IMAGE_NORMAL);
    repaintView();
}

void CImageView::escape()
{
    if (bitmap() == nullptr)
        return;
    if (pointCount_ != 0)
    {
        RASTFinishGraphic(bitmap());
        if (textBound_)
            unbindTextInput();
    }
    pointCount_ = 0;
    postCommand(ID_IMAGE_NORMAL);
    repaintView();
}

void CImageView::finishText()
{
    RASTFinishGraphic(bitmap());
    pointCount_ = 0;
    unbindTextInput();
    repaintView();
}

void CImageView::bindTextInput()
{
    textBound_ = false;
    textInput_->clear();
    textBound_ = true;
    textInput_->setFocus();
}

void CImageView::unbindTextInput()
{
    const bool hadFocus = textInput_->hasFocus();
    textBound_ = false;
    if (hadFocus)
        setFocus();
}

void CImageView::onTextEdited(const QString& text)
{
    if (!textBound_ || bitmap() == nullptr)
        return;
    RASTAddStringToGraphic(bitmap(), toGbk(text).c_str());
    touch();
    repaintView();
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
    struct Move
    {
        int key, dx, dy;
    };
    static constexpr Move kMoves[] = {
        {Qt::Key_Left, -1, 0}, {Qt::Key_Up, 0, -1}, {Qt::Key_Right, 1, 0}, {Qt::Key_Down, 0, 1}};
    struct Letter
    {
        int key, command;
    };
    static constexpr Letter kLetters[] = {{Qt::Key_Delete, ID_IMAGE_MEASURE_DELETE},
                                          {Qt::Key_A, ID_IMAGE_MEASURE_ANGLE},
                                          {Qt::Key_C, ID_IMAGE_MEASURE_CIRCLE1},
                                          {Qt::Key_E, ID_IMAGE_MEASURE_ELLIPSE0},
                                          {Qt::Key_L, ID_IMAGE_MESURE_LINE},
                                          {Qt::Key_O, ID_FILE_OPEN},
                                          {Qt::Key_P, ID_IMAGE_MEASURE_POLYLINE},
                                          {Qt::Key_R, ID_IMAGE_MEASURE_RECT},
                                          {Qt::Key_S, ID_FILE_SAVE},
                                          {Qt::Key_T, ID_IMAGE_MEASURE_TEXT},
                                          {Qt::Key_V, ID_RETURN_VIDEO},
                                          {Qt::Key_Z, ID_IMAGE_ZOOM}};

    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
    {
        if (tool_ == kToolText && pointCount_ > 0)
            finishText();
        event->accept();
        return;
    }
    if (key == Qt::Key_Escape)
    {
        escape();
        event->accept();
        return;
    }
    for (const Move& m : kMoves)
    {
        if (m.key != key)
            continue;
        // Arrows move the selection; they do not scroll.
        if (tool_ == kToolSelect)
        {
            RASTMoveGraphic(bitmap(), m.dx, m.dy);
            if (picked_)
                touch();
            repaintView();
        }
        event->accept();
        return;
    }
    for (const Letter& l : kLetters)
    {
        if (l.key == key)
        {
            postCommand(l.command);
            event->accept();
            return;
        }
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void CImageView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (!textBound_)
        setFocus(Qt::MouseFocusReason);
    const QPoint p = event->position().toPoint();
    handleMouseMessage(LeftDown, p.x(), p.y());
    // Text input keeps the keyboard while a text is built.
    if (textBound_)
        textInput_->setFocus();
}

void CImageView::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton)
        handleMouseMessage(LeftUp, p.x(), p.y());
    else if (event->button() == Qt::RightButton)
        rightButtonUp();
}

void CImageView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is no press.
    if (event->button() == Qt::LeftButton)
    {
        const QPoint p = event->position().toPoint();
        handleMouseMessage(DoubleClick, p.x(), p.y());
    }
}

void CImageView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    handleMouseMessage(leftDown_ ? Drag : Hover, p.x(), p.y());
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
    QPainterContext context(painter, &scratch_);
    RASTDraw(bitmap(), kwz::toHdc(&context), scroll.x(), scroll.y(), clientSize_.width(),
             clientSize_.height());
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
