#pragma once
// The live frame: the child window round the live view. It keeps the preview state in its live
// session, starts and stops the camera's picture, and takes the live-video commands. The main
// frame routes commands here with onCommand and asks for their check marks with updateCommand;
// it hears of focus, activation and closing by the signals and shows the bars for them.

#include <QEvent>
#include <QImage>
#include <QMdiSubWindow>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/live/camera_session.h"
#include "app/live/live_capture.h"
#include "app/live/live_panes.h"
#include "app/live/live_services.h"
#include "app/live/live_session.h"
#include "app/shell/command_target.h"

class CVideoDoc;
class CVideoView;
class StatusPanes;

class CVideoFrame : public QMdiSubWindow, public CommandTarget
{
    Q_OBJECT
  public:
    CVideoFrame(CVideoDoc& document, LiveServices& services, CameraSession& session,
                QWidget* parent = nullptr);
    // Stops the camera painting into the view and removes the frame routine.
    ~CVideoFrame() override;

    CVideoDoc& document() const { return document_; }
    CVideoView* view() const { return view_; }
    CameraSession& session() const { return session_; }
    LiveSession& liveSession() { return live_; }
    const LiveSession& liveSession() const { return live_; }
    LiveServices& services() const { return services_; }
    StatusPanes& panes() const { return services_.panes; }
    bool cameraGone() const { return cameraGone_; }

    // The picture size of a size index (0 to 4); false for any other index.
    static bool pictureSize(int index, int& width, int& height);
    // The size index of a size-bar button, -1 for other identifiers.
    static int sizeIndexOfButton(int controlId);

    void SetPictureSize(int index);
    void StartPreview();
    void StopPreview();
    void SwitchPictureSize(int index);

    // A command of the menus, tool bars, size bar or keys; false when the live frame has no
    // handler for it.
    bool onCommand(int id) override;
    // Enabled and checked state of a command; false when the live frame has no say in it.
    bool updateCommand(int id, CommandState& state) override;
    // Queues a command to this frame, as a menu choice would arrive.
    void postCommand(int id);
    static QEvent::Type commandEvent();

    // The frame or its view got the focus: bars and status panes of live work.
    void onSetFocus();
    // The frame became the active child window.
    void onActivate();
    // The one-second tick: the recording time, then the frame rate in pane 3.
    void onTimer();
    // Exposure keys: one step down (-1) or up (1).
    void changeExposure(int step);

    bool crossHair() const { return live_.crossHair(); }
    bool frozen() const { return live_.frozen(); }
    bool started() const { return live_.started(); }
    bool fit() const { return live_.fit(); }
    int pictureWidth() const { return static_cast<int>(pictureSize_.load() >> 32); }
    int pictureHeight() const { return static_cast<int>(pictureSize_.load() & 0xFFFFFFFFu); }
    int timerId() const { return timerId_; }
    const std::vector<BYTE>& freezeBuffer() const { return freezeBuffer_; }
    // The frozen picture as the screen shows it; null while nothing is frozen.
    const QImage& freezeImage() const { return live_.frozenPicture(); }
    bool hasMeasureBuffer() const { return capture_->hasMeasureBuffer(); }
    // Capture, timed capture, capture for measuring and recording.
    LiveCapture& capture() const { return *capture_; }

    // "width:%d height:%d" in the language of the moment.
    QString sizeText(int width, int height) const;

  Q_SIGNALS:
    // A command or the preview changed what the check marks show.
    void stateChanged();
    // The live window got the focus: image bars away, the bars of live work by their flags.
    void focused();
    // The live window became the active child: the side bars of live work by their flags.
    void activated();
    // The live window closes: the bars of live work and the status bar go.
    void closing();

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

  private:
    void onFillWindow();
    void onFreeze();
    void onCrossLine();
    void onOverlayCommand(int id);
    void stopOneSecondTimer();

    CVideoDoc& document_;
    LiveServices& services_;
    CameraSession& session_;
    LiveSession live_;
    LivePanes livePanes_;
    CVideoView* view_ = nullptr;

    std::vector<BYTE> freezeBuffer_;
    ZCAPHANDLE viewDevice_ = 0; // the camera that paints into the view while started
    // Width in the high half, height in the low half, so that any thread reads both at once.
    std::atomic<uint64_t> pictureSize_;
    std::unique_ptr<LiveCapture> capture_;
    int timerId_ = 0;
    // The camera stopped delivering (unplugged); asked for again every second until it is back.
    bool cameraGone_ = false;
};
