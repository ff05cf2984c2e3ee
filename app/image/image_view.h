#pragma once
// The view of an image document: the image at the view's zoom, scrolled when larger than the
// window. Presses, movements and keys go, in image pixels, to the current measuring tool; the
// view itself only maps points, thins out movements and feeds the magnifier and the status bar.

#include <QAbstractScrollArea>
#include <QImage>
#include <cstdint>
#include <memory>

#include "app/image/tools/measure_tool.h"
#include "app/image/tools/tool_context.h"
#include "kwztypes.h"

class CImageDoc;
class ImageServices;
class QLineEdit;
class QPrinter;

class CImageView : public QAbstractScrollArea, private ToolContext
{
    Q_OBJECT
  public:
    // In a window behind the current one of its workspace, frees the working picture; the
    // next paint draws it afresh.
    void releaseIfBehind();
    // After a change of zoom, scrolling or picture: every visible pixel is shown anew.
    void repaintWhole();
    // Pointer movements handed on at most once per this many milliseconds.
    static constexpr uint32_t kMoveInterval = 50;

    CImageView(CImageDoc& document, ImageServices* host, QWidget* parent = nullptr);
    ~CImageView() override;

    CImageDoc& document() const { return document_; }
    const MeasureTool& tool() const { return *tool_; }
    // The tool of a tool number (0 select, 1 ruler, 2 to 11 the graphic kind). The tool it
    // replaces drops its half-built figure first.
    void setTool(int tool);
    QLineEdit* textInput() override { return textInput_; }
    QPoint scrollPosition() const;
    // Client point to image pixels. A point left of or above the window (a drag beyond it)
    // counts from the window's edge.
    QPoint toImage(QPoint client) const;
    // The client point of an image point's top left corner.
    QPoint toClient(QPoint image) const;

    // The factor of image pixels to window pixels (1/16 to 32).
    double zoom() const { return zoom_; }
    // The image at this zoom in window pixels.
    QSize shownSize() const;
    // A new factor, bounded to the ladder, with the image point under `anchor` (a client
    // point) kept under it.
    void setZoom(double factor, QPoint anchor);
    // Around the pointer when it is over the picture, else around the window's middle.
    void zoomIn();
    void zoomOut();
    void zoomToActualSize();
    // The largest factor that shows the whole image without scroll bars.
    void zoomToFit();

    // The platform's print command: the print dialog, then the page.
    void print();
    void printPreview();
    // Paper and orientation of the printer that every image prints on.
    void printSetup();

    // Ends what the tool half built, keeping what is whole, and makes the change an undo
    // step: before undo and redo, and when another tool takes over.
    void settle();

    // Scroll range to the image, after the ruler flag went to the engine; then a repaint.
    void onDocumentUpdated();

  Q_SIGNALS:
    // A command for the frame (posted: it arrives after the current event).
    void commandPosted(int commandId);
    void zoomChanged(double factor);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    QSize sizeHint() const override;
    void showEvent(QShowEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // ToolContext.
    void* bitmap() const override;
    void touch() override;
    bool selectAt(int x, int y) override;
    void postCommand(int commandId) override;
    void repaintView() override;
    void focusView() override;

    static POINT imagePoint(QPoint p) { return POINT{p.x(), p.y()}; }
    static QImage& sharedScratch();
    // On screens with more than one device pixel per window pixel the picture is converted
    // at device resolution here, then copied one to one.
    static QImage& sharedDevicePicture();
    void magnify(const POINT& p);
    void updateScrollRange();
    void updateCursor();
    QPoint zoomAnchor() const;
    // Draws the picture with its figures into the painter, translated to the scroll position;
    // only the part inside `damage` (client pixels) is converted.
    void drawPicture(QPainter& painter, const QRect& damage);
    // A completed change becomes an undo step; nothing while the tool is mid-way.
    void recordIfSettled(bool mergeable = false);

    CImageDoc& document_;
    ImageServices* host_;
    std::unique_ptr<MeasureTool> tool_;
    QSize clientSize_;
    uint32_t lastMoveTime_ = 0;
    bool movedYet_ = false;
    bool leftDown_ = false;
    QLineEdit* textInput_;
    double zoom_ = 1.0;
    // Eighths of a degree of a Ctrl+wheel turn short of a whole notch.
    int wheelDelta_ = 0;
};
