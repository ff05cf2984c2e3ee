#pragma once
// The status panes that follow a live session: the frame rate and the elapsed recording time,
// in the language of the moment.

#include <QObject>

class LanguageSession;
class LiveSession;
class StatusPanes;

class LivePanes : public QObject
{
    Q_OBJECT
  public:
    LivePanes(LiveSession& session, StatusPanes& panes, const LanguageSession& languages,
              QObject* parent = nullptr);

  private:
    void showFrameRate(double framesPerSecond);
    void showRecordingTime(int seconds);

    StatusPanes& panes_;
    const LanguageSession& languages_;
};
