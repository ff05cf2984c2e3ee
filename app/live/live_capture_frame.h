#pragma once
// What capture and recording need of the live frame that owns them: the camera, the picture
// it shows and the buffer a capture for measuring is taken into, and the state it reports.
// The live frame implements it.

#include "kwztypes.h"

class CameraSession;
class LiveHost;

class LiveCaptureFrame
{
  public:
    virtual CameraSession& session() const = 0;
    // Settings, texts and panes of the main window.
    virtual LiveHost& host() const = 0;

    virtual int frozen() const = 0;
    virtual int pictureWidth() const = 0;
    virtual int pictureHeight() const = 0;
    // Room for the largest picture in 24-bit rows; null once the frame has closed.
    virtual BYTE* measureBuffer() const = 0;
    // A captured image window opens maximised when the live window is.
    virtual bool shownMaximised() const = 0;

    // The check marks of the capture commands changed.
    virtual void notifyStateChanged() = 0;
    // Bars and panes of live work, the recording pane among them, shown again.
    virtual void OnSetFocus() = 0;

  protected:
    ~LiveCaptureFrame() = default;
};
