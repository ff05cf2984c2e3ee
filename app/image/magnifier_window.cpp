#include "app/image/magnifier_window.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "app/image/qpainter_context.h"

MagnifierWindow::MagnifierWindow(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(120, 120);
    picture_ = QImage(deviceSize(), QImage::Format_RGB32);
    picture_.fill(Qt::white);
    width_ = picture_.width();
    height_ = picture_.height();
}

MagnifierWindow::~MagnifierWindow() = default;

RECT MagnifierWindow::clientRect() const
{
    return RECT{0, 0, width_.load(), height_.load()};
}

kwz::DrawContext* MagnifierWindow::getDC()
{
    mutex_.lock();
    if (picture_.isNull())
    {
        mutex_.unlock();
        return nullptr;
    }
    painter_ = std::make_unique<QPainter>(&picture_);
    context_ = std::make_unique<QPainterContext>(*painter_);
    return context_.get();
}

void MagnifierWindow::releaseDC(kwz::DrawContext* context)
{
    if (context == nullptr || context != context_.get())
        return;
    context_.reset();
    painter_.reset();
    mutex_.unlock();
    invalidate(nullptr);
}

void MagnifierWindow::invalidate(const RECT*)
{
    QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
}

QImage MagnifierWindow::picture() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return picture_.copy();
}

QSize MagnifierWindow::deviceSize() const
{
    // The library draws in screen pixels, so a dense screen gets a sharp picture.
    const qreal ratio = devicePixelRatioF();
    return QSize(std::max(1, int(std::lround(width() * ratio))),
                 std::max(1, int(std::lround(height() * ratio))));
}

void MagnifierWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    std::lock_guard<std::mutex> lock(mutex_);
    painter.drawImage(QRectF(QPointF(0, 0), QSizeF(picture_.size()) / devicePixelRatioF()),
                      picture_);
}

void MagnifierWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    std::lock_guard<std::mutex> lock(mutex_);
    QImage resized(deviceSize(), QImage::Format_RGB32);
    resized.fill(Qt::white);
    picture_ = resized;
    width_ = picture_.width();
    height_ = picture_.height();
}
