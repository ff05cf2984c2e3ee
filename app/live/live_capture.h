#pragma once
// Capture and recording in the live window: single captures into files, timed capture, a
// capture for measuring, and recording. The live frame owns one and hands it these commands
// and its one-second tick; a frame captured for measuring is handed on by a signal, to
// whoever opens image windows.
//
// Timed capture hands each tick over to the interface thread: the ticker's thread only posts
// an event, and the capture, the stored settings and the bars are touched on the interface
// thread alone, so nothing needs a lock. Stopping joins the ticker's thread (a tick never
// waits for the interface thread, so this cannot deadlock) and ticks already posted are
// dropped by their run number.
//
// A recording goes on through freezing and size switches (the camera scales the frames to the
// size it began with), so one file holds the whole take. Closing the live window or quitting
// finishes it, so no recording is ever left open.

#include <QObject>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "app/live/live_recorder.h"
#include "app/live/periodic_ticker.h"
#include "app/live/still_capture.h"
#include "app/shell/command_target.h"
#include "zcapapi.h"

class CameraSession;
class LiveSession;
struct LiveServices;

// Room for the largest picture in 24-bit rows.
inline constexpr size_t kMeasureBufferBytes = 2048 * 1536 * 3;

class LiveCapture : public QObject
{
    Q_OBJECT
  public:
    LiveCapture(LiveSession& live, LiveServices& services, CameraSession& camera);
    // Stops timed capture and finishes a recording still running, without the panes or bars,
    // which may be gone by then.
    ~LiveCapture() override;

    bool onCommand(int id);
    bool updateCommand(int id, CommandState& state) const;
    // The live frame's one-second tick: the recording time.
    void onTimer();
    // The live frame closes: timed capture stops, a running recording is finished and the
    // buffer for measuring goes.
    void onClose();
    // The overlay or the live scale changed: a recording that carries the overlay follows.
    void overlayChanged() { recorder_.refreshOverlay(); }

    void onCapture();
    void onTimerCapture();
    void onCaptureMeasure();
    void onRecord();

    bool timedCaptureOn() const { return timedOn_; }
    // Ticks of the current or last timed run, and the files they wrote.
    int captureCount() const { return count_; }
    int capturesSaved() const { return saved_; }
    bool recording() const { return recording_; }
    bool hasMeasureBuffer() const { return measureBuffer_ != nullptr; }
    StillCapture& still() { return still_; }
    int recordingSeconds() const { return seconds_; }

    // Where the timed-capture ticks come from; tests drive them themselves.
    void setTickerFactory(TickerFactory factory) { makeTicker_ = std::move(factory); }

  Q_SIGNALS:
    // The check marks of the capture commands changed.
    void stateChanged();
    // A frame to measure (24-bit rows, bottom row first), valid during the call; `opened` is
    // set by whoever opened an image window on it.
    void measureFrameTaken(const BYTE* bgr, int width, int height, bool* opened);
    // A command of the live window wanted, as the size bar would send it.
    void commandWanted(int id);
    // The panes of live work, the recording pane among them, are to be shown again.
    void livePanesWanted();

  protected:
    bool event(QEvent* event) override;

  private:
    void onTick();
    void stopTimedCapture();
    void showTimedProgress();
    QString text(const char* english, const char* simplified, const char* traditional) const;
    void setRecording(bool on);

    LiveSession& live_;
    LiveServices& services_;
    CameraSession& camera_;
    StillCapture still_;
    LiveRecorder recorder_;
    std::unique_ptr<BYTE[]> measureBuffer_;
    TickerFactory makeTicker_;
    std::unique_ptr<PeriodicTicker> ticker_;
    bool timedOn_ = false;
    int count_ = 0;
    int saved_ = 0;
    uint32_t run_ = 0;                     // the timed run that posted ticks belong to
    std::atomic<bool> tickPending_{false}; // a posted tick not yet taken: no second one
    bool recording_ = false;
    int seconds_ = 0;
    ZCAPHANDLE recordDevice_ = 0; // the camera that records while recording_
    bool endingRecording_ = false;
};
