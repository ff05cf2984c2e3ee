#pragma once
// The view of an image document: the image one to one, scrolled when larger than the window,
// and the mouse and keyboard turned into measuring. It keeps the tool and the points placed
// for the graphic under construction and hands every press and move, in image pixels, to the
// document's bitmap object.

#include <QAbstractScrollArea>
#include <QImage>
#include <cstdint>

#include "kwztypes.h"

class CImageDoc;
class ImageWorkspace;
class QLineEdit;
class QPrinter;

class CImageView : public QAbstractScrollArea
{
    Q_OBJECT
  public:
    // Tools: 0 select and move, 1 ruler (no mouse action), 2 to 11 the graphic kind drawn.
    static constexpr int kToolSelect = 0;
    static constexpr int kToolRuler = 1;
    static constexpr int kToolText = 11;
    // Pointer movements handed on at most once per this many milliseconds.
    static constexpr uint32_t kMoveInterval = 50;
    // The mouse messages, by their place after the platform's user-message base.
    enum MouseMessage
    {
        LeftDown = 300,
        LeftUp = 301,
        Drag = 302,
        Hover = 303,
        DoubleClick = 304,
    };

    CImageView(CImageDoc& document, ImageWorkspace* host, QWidget* parent = nullptr);

    CImageDoc& document() const { return document_; }
    int tool() const { return tool_; }
    // Starts over with no points placed.
    void setTool(int tool);
    int pointCount() const { return pointCount_; }
    POINT lastDownPoint() const { return lastDown_; }
    QLineEdit* textInput() const { return textInput_; }
    bool textInputBound() const { return textBound_; }
    QPoint scrollPosition() const;

    // One mouse message with its client point, as the pipeline hands it on. Movements are
    // thinned out here.
    void handleMouseMessage(int message, int clientX, int clientY);
    // Client point to image pixels; `dragRule` is the rule of drag messages.
    QPoint toImage(int clientX, int clientY, bool dragRule) const;

    // The platform's print command: the print dialog, then the page.
    void print();
    void printPreview();
    // Paper and orientation of the printer that every image prints on.
    void printSetup();

    // Scroll range to the image, after the ruler flag went to the engine; then a repaint.
    void onDocumentUpdated();

  Q_SIGNALS:
    // A command for the frame (posted: it arrives after the current event).
    void commandPosted(int commandId);

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
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void press(const POINT& p);
    void drag(const POINT& p);
    void hover(const POINT& p);
    void rightButtonUp();
    void escape();
    void finishText();
    void magnify(const POINT& p);
    void bindTextInput();
    void unbindTextInput();
    void onTextEdited(const QString& text);
    void postCommand(int commandId);
    void updateScrollRange();
    void updateCursor();
    void repaintView();
    void touch();
    void* bitmap() const;

    CImageDoc& document_;
    ImageWorkspace* host_;
    POINT lastDown_{0, 0};
    POINT anchor_{0, 0};
    int pointCount_ = 0;
    int tool_ = kToolSelect;
    QSize clientSize_;
    uint32_t lastMoveTime_ = 0;
    bool movedYet_ = false;
    int leftDown_ = 0;
    // Whether the last press with the select tool picked something to move.
    bool picked_ = false;
    QLineEdit* textInput_;
    bool textBound_ = false;
    QImage scratch_;
};
