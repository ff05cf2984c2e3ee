#pragma once
// Capture and recording in the live window: single captures into files, timed capture, a
// capture into an image window for measuring, and recording. The live frame owns one and
// hands it these commands and its one-second tick.
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
#include <cstdint>
#include <memory>

#include "app/live/periodic_ticker.h"
#include "app/shell/command_target.h"
#include "zcapapi.h"

class CaptureHost;
class LiveCaptureFrame;

class LiveCapture : public QObject
{
    Q_OBJECT
  public:
    // Without a host the live window takes none of these commands.
    LiveCapture(LiveCaptureFrame& frame, CaptureHost* host);
    // Stops timed capture and finishes a recording still running, without the host, which
    // may be gone by then.
    ~LiveCapture() override;

    bool onCommand(int id);
    bool updateCommand(int id, CommandState& state) const;
    // The live frame's one-second tick: the recording time.
    void OnTimer();
    // The live frame closes: timed capture stops and a running recording is finished.
    void OnClose();

    void OnCapture();
    void OnTimerCapture();
    void OnCaptureMeasure();
    void OnRecord();

    int timedCaptureOn() const { return timedOn_; }
    // Ticks of the current or last timed run, and the files they wrote.
    int captureCount() const { return count_; }
    int capturesSaved() const { return saved_; }
    int recording() const { return recording_; }
    int recordingSeconds() const { return seconds_; }

    // Where the timed-capture ticks come from; tests drive them themselves.
    void setTickerFactory(TickerFactory factory) { makeTicker_ = std::move(factory); }

  protected:
    bool event(QEvent* event) override;

  private:
    void OnTick();
    void stopTimedCapture();
    void showTimedProgress();
    QString text(const char* english, const char* chinese) const;

    LiveCaptureFrame& frame_;
    CaptureHost* host_;
    TickerFactory makeTicker_;
    std::unique_ptr<PeriodicTicker> ticker_;
    int timedOn_ = 0;
    int count_ = 0;
    int saved_ = 0;
    uint32_t run_ = 0;                     // the timed run that posted ticks belong to
    std::atomic<bool> tickPending_{false}; // a posted tick not yet taken: no second one
    int recording_ = 0;
    int seconds_ = 0;
    ZCAPHANDLE recordDevice_ = 0; // the camera that records while recording_
};
