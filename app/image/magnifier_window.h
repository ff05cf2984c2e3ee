#pragma once
// The magnifier bar's window: a widget that the bitmap library draws a magnified square
// into. Drawing may come from any thread; it lands in a picture that the widget shows at its
// next repaint.

#include <QImage>
#include <QWidget>
#include <atomic>
#include <memory>
#include <mutex>

#include "platform/draw/window.h"

class QPainter;
class QPainterContext;

class MagnifierWindow : public QWidget, public kwz::Window
{
    Q_OBJECT
  public:
    explicit MagnifierWindow(QWidget* parent = nullptr);
    ~MagnifierWindow() override;

    RECT clientRect() const override;
    kwz::DrawContext* getDC() override;
    void releaseDC(kwz::DrawContext* context) override;
    void invalidate(const RECT* area) override;

    // What the window shows, in screen pixels, for tests.
    QImage picture() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // The widget's size in screen pixels.
    QSize deviceSize() const;

    // Guards the picture and the drawing in progress: held from getDC to releaseDC.
    mutable std::mutex mutex_;
    QImage picture_;
    // The picture's size, readable while a drawing holds the lock.
    std::atomic<int> width_{0};
    std::atomic<int> height_{0};
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<QPainterContext> context_;
};
