#include "app/live/live_panes.h"

#include "app/live/live_session.h"
#include "app/shell/gbk_text.h"
#include "app/shell/language.h"
#include "app/shell/status_panes.h"
#include "platform/trace.h"

LivePanes::LivePanes(LiveSession& session, StatusPanes& panes, const LanguageSession& languages,
                     QObject* parent)
    : QObject(parent), panes_(panes), languages_(languages)
{
    connect(&session, &LiveSession::frameRateMeasured, this, &LivePanes::showFrameRate);
    connect(&session, &LiveSession::recordingTimeChanged, this, &LivePanes::showRecordingTime);
}

void LivePanes::showFrameRate(double framesPerSecond)
{
    panes_.setPaneText(
        kPaneFrameRate,
        QString::asprintf(builtInText(languages_.index(), " FPS: %2.2f Frames/Seconds",
                                      " 帧率:  %2.2f  帧/秒", " FPS: %2.2f Frames/Seconds"),
                          framesPerSecond));
}

void LivePanes::showRecordingTime(int seconds)
{
    if (seconds < 0)
        return;
    // Only Simplified Chinese has its own words for it; the others show the English.
    const char* format = builtInText(languages_.index(), "Recording: %d:%d:%d\n",
                                     "正在录像: %d:%d:%d\n", "Recording: %d:%d:%d\n");
    const QString text = QString::asprintf(format, seconds / 3600, seconds / 60 % 60, seconds % 60);
    panes_.setPaneColours(kPaneRecording, kPaneHighlight, RGB(0, 0, 0));
    panes_.setPaneText(kPaneRecording, text);
    kwz::trace(toGbk(text));
}
