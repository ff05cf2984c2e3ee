#pragma once
// The live view: the client area of the live frame. The camera paints the picture into its
// surface from the capture thread; the view puts the newest painted frame on the screen,
// fills the rest black with a red frame round the picture, and shows the freeze picture.

#include <QAbstractScrollArea>
#include <QLine>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "app/live/live_overlay.h"
#include "app/live/live_surface.h"
#include "kwztypes.h"

class CVideoDoc;
class CameraSession;
class LiveSession;
struct LiveServices;

class CVideoView : public QAbstractScrollArea
{
    Q_OBJECT
  public:
    explicit CVideoView(CVideoDoc* document, QWidget* parent = nullptr);
    ~CVideoView() override;

    CVideoDoc* document() const { return document_; }
    // The preview state the view shows and the camera that paints into it; set by the frame.
    // With services the view also draws the calibrated overlay and lets the user draw a line
    // that shows its length.
    void setSession(LiveSession* live, CameraSession* camera,
                    const LiveServices* services = nullptr);
    // A line or two shown over the picture (the camera went away); empty hides it.
    void setNotice(const QString& text);
    const QString& notice() const { return notice_; }

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
    // The picture pixel (from the top left) under a view point, when the picture of that size
    // is shown in `shown`, stretched or not; none outside it.
    static std::optional<QPoint> picturePixel(QPoint at, QRect shown, QSize picture);
    // Called at the end of each paint that put a live frame on the widget, with the frame's
    // number (LiveSurface::frontFrame); for measurements.
    void setShownHook(std::function<void(uint64_t frame)> hook) { shownHook_ = std::move(hook); }

    // The line the user drew on the live picture, in picture pixels, and its label ("" while
    // there is none or the picture has no scale). A drag with the left button draws it, the
    // right button takes it away.
    QLine measuredLine() const { return line_; }
    QString measuredLength() const;

  Q_SIGNALS:
    // The picture was placed anew; shown is its size on the screen.
    void placed(QSize shown);
    // An exposure key: one step down (-1) or up (1).
    void exposureStepRequested(int step);
    // The pointer moved over the view: the picture pixel under it (from the top left), or
    // onPicture false where no picture is.
    void pointerMoved(QPoint pixel, bool onPicture);
    // The view got the focus from anything but a closing menu.
    void focusGained();

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
    LiveSession* live_ = nullptr;
    CameraSession* camera_ = nullptr;
    const LiveServices* services_ = nullptr;
    std::unique_ptr<LiveSurface> surface_;
    QSize scrollSize_;
    QRect pictureRect_;
    QRect placement_;
    QString notice_;
    bool placing_ = false;
    std::function<void(uint64_t)> shownHook_;
    LiveOverlay overlay_;
    QLine line_;
    bool drawingLine_ = false;
};
