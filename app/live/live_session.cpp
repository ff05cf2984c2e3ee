#include "app/live/live_session.h"

LiveSession::LiveSession(QObject* parent) : QObject(parent) {}

void LiveSession::setStarted(bool started)
{
    if (started_ == started)
        return;
    started_ = started;
    Q_EMIT startedChanged(started);
}

void LiveSession::setFrozen(bool frozen)
{
    if (frozen_ == frozen)
        return;
    frozen_ = frozen;
    Q_EMIT frozenChanged(frozen);
}

void LiveSession::setFit(bool fit)
{
    if (fit_ == fit)
        return;
    fit_ = fit;
    Q_EMIT fitChanged(fit);
}

void LiveSession::setCrossHair(bool crossHair)
{
    if (crossHair_ == crossHair)
        return;
    crossHair_ = crossHair;
    Q_EMIT crossHairChanged(crossHair);
}

void LiveSession::setPicture(int sizeIndex, QSize size)
{
    // Both are stored before either is announced, so an observer of one reads both anew.
    const bool indexChanged = sizeIndex_ != sizeIndex;
    const bool sizeChanged = pictureSize_ != size;
    sizeIndex_ = sizeIndex;
    pictureSize_ = size;
    if (sizeChanged)
        Q_EMIT pictureSizeChanged(size);
    if (indexChanged)
        Q_EMIT sizeIndexChanged(sizeIndex);
}

void LiveSession::setFrameRate(double framesPerSecond)
{
    frameRate_ = framesPerSecond;
    Q_EMIT frameRateMeasured(framesPerSecond);
}

void LiveSession::setRecording(bool recording)
{
    if (recording_ == recording)
        return;
    recording_ = recording;
    recordingSeconds_ = -1;
    Q_EMIT recordingChanged(recording);
}

void LiveSession::setRecordingSeconds(int seconds)
{
    if (recordingSeconds_ == seconds)
        return;
    recordingSeconds_ = seconds;
    Q_EMIT recordingTimeChanged(seconds);
}
