#pragma once
// The live frame: the child window round the live view. It owns the preview state (started,
// frozen, fit, cross-hair, picture size), starts and stops the camera's picture, and takes
// the live-video commands. The main frame routes commands here with onCommand and asks for
// their check marks with updateCommand.

#include <QEvent>
#include <QImage>
#include <QMdiSubWindow>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/live/camera_session.h"
#include "app/live/live_capture.h"
#include "app/live/live_capture_frame.h"
#include "app/live/live_host.h"
#include "app/live/live_view_frame.h"
#include "app/shell/command_target.h"

class CVideoDoc;
class CVideoView;

inline constexpr size_t kMeasureBufferBytes = 2048 * 1536 * 3;

class CVideoFrame : public QMdiSubWindow,
                    public CommandTarget,
                    public LiveViewFrame,
                    public LiveCaptureFrame
{
    Q_OBJECT
  public:
    CVideoFrame(CVideoDoc& document, LiveHost& host, CameraSession& session,
                QWidget* parent = nullptr);
    // Stops the camera painting into the view and removes the frame routine.
    ~CVideoFrame() override;

    CVideoDoc& document() const { return document_; }
    CVideoView* view() const { return view_; }
    LiveHost& host() const override { return host_; }
    CameraSession& session() const override { return session_; }

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
    void postCommand(int id) override;
    static QEvent::Type commandEvent();

    // The frame or its view got the focus: bars and status panes of live work.
    void OnSetFocus() override;
    // The frame became the active child window.
    void OnActivate();
    // The one-second tick: the recording time, then the frame rate in pane 3.
    void OnTimer();
    // Exposure keys: one step down (-1) or up (1).
    void changeExposure(int step) override;

    int crossHair() const override { return crossHair_; }
    int frozen() const override { return frozen_; }
    int started() const override { return started_; }
    int fit() const override { return fit_; }
    int pictureWidth() const override { return static_cast<int>(pictureSize_.load() >> 32); }
    int pictureHeight() const override
    {
        return static_cast<int>(pictureSize_.load() & 0xFFFFFFFFu);
    }
    int timerId() const { return timerId_; }
    const std::vector<BYTE>& freezeBuffer() const { return freezeBuffer_; }
    const QImage& freezeImage() const override { return freezeImage_; }
    bool hasMeasureBuffer() const { return measureBuffer_ != nullptr; }
    BYTE* measureBuffer() const override { return measureBuffer_.get(); }
    bool shownMaximised() const override { return isMaximized(); }
    void notifyStateChanged() override { Q_EMIT stateChanged(); }
    // Capture, timed capture, capture for measuring and recording.
    LiveCapture& capture() const { return *capture_; }

    // "width:%d height:%d" in the language of the moment.
    QString sizeText(int width, int height) const override;

  Q_SIGNALS:
    // A command or the preview changed what the check marks show.
    void stateChanged();

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

  private:
    void OnFillWindow();
    void OnFreeze();
    void OnCrossLine();
    void setPicture(int width, int height);
    void stopOneSecondTimer();

    CVideoDoc& document_;
    LiveHost& host_;
    CameraSession& session_;
    CVideoView* view_ = nullptr;

    int crossHair_ = 0;
    int frozen_ = 0;
    std::vector<BYTE> freezeBuffer_;
    QImage freezeImage_; // the freeze buffer as the screen shows it
    int started_ = 0;
    ZCAPHANDLE viewDevice_ = 0; // the camera that paints into the view while started
    // Width in the high half, height in the low half, so that any thread reads both at once.
    std::atomic<uint64_t> pictureSize_;
    int fit_ = 0;
    std::unique_ptr<BYTE[]> measureBuffer_;
    std::unique_ptr<LiveCapture> capture_;
    int timerId_ = 0;
};
