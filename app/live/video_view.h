#pragma once
// The live view: the client area of the live frame. The camera paints the picture into its
// surface from the capture thread; the view puts the newest painted frame on the screen,
// fills the rest black with a red frame round the picture, and shows the freeze picture.

#include <QAbstractScrollArea>
#include <QLine>
#include <QRect>
#include <QString>
#include <memory>

#include "app/live/live_overlay.h"
#include "app/live/live_surface.h"
#include "kwztypes.h"

class CVideoDoc;
class CVideoFrame;

class CVideoView : public QAbstractScrollArea
{
    Q_OBJECT
  public:
    explicit CVideoView(CVideoDoc* document, QWidget* parent = nullptr);
    ~CVideoView() override;

    CVideoDoc* document() const { return document_; }
    // The frame whose state the view shows and whose commands its keys start; set by the frame.
    void setFrame(CVideoFrame* frame);
    // A line or two shown over the picture (the camera went away); empty hides it.
    void setNotice(const QString& text);
    const QString& notice() const { return notice_; }
    CVideoFrame* frame() const { return frame_; }

    // The window handed to the camera.
    HWND window() { return kwz::toHwnd(surface_.get()); }
    LiveSurface& surface() { return *surface_; }

    // First update: the scroll size becomes the document's picture size.
    void onInitialUpdate();
    // Placement of the picture; run on every update of the document's views.
    void onUpdate();

    // The picture's rectangle in view coordinates, from the last placement without fit.
    QRect pictureRect() const { return pictureRect_; }
    // Where the camera paints: the picture rectangle, or the whole client area with fit.
    QRect placement() const { return placement_; }
    QSize scrollSize() const { return scrollSize_; }

    // The line the user drew on the live picture, in picture pixels, and its label ("" while
    // there is none or the picture has no scale). A drag with the left button draws it, the
    // right button takes it away.
    QLine measuredLine() const { return line_; }
    QString measuredLength() const;

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    QSize sizeHint() const override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

  private:
    void setScrollSize(QSize size);
    // Where the picture is on the screen now, and a view point in picture pixels.
    QRect shownRect() const;
    QPoint toPicture(QPoint viewPoint) const;
    void drawMeasuredLine(kwz::DrawContext& dc, int width, int height);
    void updateScrollBars();

    CVideoDoc* document_;
    CVideoFrame* frame_ = nullptr;
    std::unique_ptr<LiveSurface> surface_;
    QSize scrollSize_;
    QRect pictureRect_;
    QRect placement_;
    QString notice_;
    bool placing_ = false;
    LiveOverlay overlay_;
    QLine line_;
    bool drawingLine_ = false;
};
