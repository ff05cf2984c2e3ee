#pragma once
// The state of one live window, without widgets: whether the picture runs, is frozen, fills
// the window or shows the cross-hair, its size, the measured frame rate and the recording.
// The live window changes it; the view, the bars and the status panes observe it.

#include <QImage>
#include <QObject>
#include <QSize>
#include <utility>

class LiveSession : public QObject
{
    Q_OBJECT
  public:
    explicit LiveSession(QObject* parent = nullptr);

    bool started() const { return started_; }
    bool frozen() const { return frozen_; }
    bool fit() const { return fit_; }
    bool crossHair() const { return crossHair_; }
    // The frozen picture as the screen shows it; null while nothing is frozen.
    const QImage& frozenPicture() const { return frozenPicture_; }
    QSize pictureSize() const { return pictureSize_; }
    // The size bar's button for the picture size; -1 until a size is chosen.
    int sizeIndex() const { return sizeIndex_; }
    double frameRate() const { return frameRate_; }
    bool recording() const { return recording_; }
    // Seconds of the recording shown so far; -1 before its first second.
    int recordingSeconds() const { return recordingSeconds_; }

    // Each setter announces a value that differs from the one held, and nothing else.
    void setStarted(bool started);
    void setFrozen(bool frozen);
    // Set before setFrozen(true) so that observers of the change find the picture there.
    void setFrozenPicture(QImage picture) { frozenPicture_ = std::move(picture); }
    void setFit(bool fit);
    void setCrossHair(bool crossHair);
    void setPicture(int sizeIndex, QSize size);
    // A measurement is announced even when it repeats the last one: the pane it goes to is
    // shared with the window's name and must get the rate back.
    void setFrameRate(double framesPerSecond);
    // Starting or ending a recording clears its elapsed time.
    void setRecording(bool recording);
    void setRecordingSeconds(int seconds);

  Q_SIGNALS:
    void startedChanged(bool started);
    void frozenChanged(bool frozen);
    void fitChanged(bool fit);
    void crossHairChanged(bool crossHair);
    void pictureSizeChanged(QSize size);
    void sizeIndexChanged(int index);
    void frameRateMeasured(double framesPerSecond);
    void recordingChanged(bool recording);
    void recordingTimeChanged(int seconds);

  private:
    bool started_ = false;
    bool frozen_ = false;
    bool fit_ = false;
    bool crossHair_ = false;
    QImage frozenPicture_;
    QSize pictureSize_;
    int sizeIndex_ = -1;
    double frameRate_ = 0;
    bool recording_ = false;
    int recordingSeconds_ = -1;
};
