#pragma once
// What the live view needs of the live frame round it: the camera, the preview state it
// draws, the status panes, and the commands its keys and focus start. The live frame
// implements it; the view is built before it is handed one.

#include <QImage>
#include <QString>

class CameraSession;
class LiveHost;

class LiveViewFrame
{
  public:
    virtual CameraSession& session() const = 0;
    // The main window's panes and texts.
    virtual LiveHost& host() const = 0;

    virtual int fit() const = 0;
    virtual int frozen() const = 0;
    virtual int started() const = 0;
    virtual int crossHair() const = 0;
    // The frozen picture as the screen shows it; null while nothing is frozen.
    virtual const QImage& freezeImage() const = 0;
    // The picture-size pane's text for a size, in the language of the moment.
    virtual QString sizeText(int width, int height) const = 0;

    // Queues a command to the frame, as a menu choice would arrive.
    virtual void postCommand(int id) = 0;
    // One exposure step down (-1) or up (1).
    virtual void changeExposure(int step) = 0;
    // The view got the focus: bars and panes of live work.
    virtual void OnSetFocus() = 0;

  protected:
    ~LiveViewFrame() = default;
};
