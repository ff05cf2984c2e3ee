#pragma once
// The child frame of an image document: it receives the tool and image commands, passes the
// chosen tool down to its view, and asks to save before it closes.

#include <QMdiSubWindow>

#include "app/shell/command_target.h"

class CImageDoc;
class CImageView;
class ImageServices;

class CImageFrame : public QMdiSubWindow, public CommandTarget
{
    Q_OBJECT
  public:
    // The frame's tool after a delete, until the select command that follows it.
    static constexpr int kToolDeleted = 12;

    explicit CImageFrame(CImageDoc& document, ImageServices* services = nullptr,
                         QWidget* parent = nullptr);

    CImageView* view() const { return view_; }
    CImageDoc& document() const { return document_; }
    int tool() const { return tool_; }

    // Handles a command of the image window; false for a command it does not know, which
    // the main frame or the application then handles.
    bool onCommand(int commandId) override;
    // The enabled and checked state of a command's menu item and button; false for a
    // command it does not know.
    bool updateCommand(int commandId, CommandState& state) override;
    // Runs the command after the current event, here or, when unknown here, at the host.
    void postCommand(int commandId);
    // The tool a command chooses, or -1.
    static int toolOfCommand(int commandId);

    // Asks about unsaved changes ahead of a close; once it agreed, the close asks no more.
    bool agreeToClose();
    // The close did not happen after all: the next one asks again.
    void withdrawClose() { closeAgreed_ = false; }
    // The program ends: the next close asks nothing.
    void agreeWithoutAsking() { closeAgreed_ = true; }

    // The main status bar as image work shows it; run when the frame becomes active.
    void applyImageStatusBar();
    // The image's size and the view's zoom in pane 1.
    void showSizePane();
    // Large enough for the whole image, as far as the client area allows.
    void fitToImage();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    // Asks where and whether with the figures, then writes a calibrated TIFF file.
    void exportTiff();
    void dispatchCommand(int commandId);
    void chooseTool(int commandId, int tool);

    CImageDoc& document_;
    ImageServices* host_;
    CImageView* view_;
    int tool_ = 0;
    bool closeAgreed_ = false;
    // Whether the frame took the image's size yet; later the user's size stays.
    bool fitted_ = false;
};
