#pragma once
// The bars of live work as the live window sees them: which are shown, for the check marks
// of their commands, and the wish to show or hide one. The main frame shows and hides the
// bars on that wish and keeps the shown flags as they are on the screen.

#include <QObject>
#include <array>

enum class LiveBar
{
    Color,
    Capture,
    Size,
    VideoTool,
    VideoStatus,
    VideoSetting,
};
inline constexpr int kLiveBarCount = 6;

class LiveBars : public QObject
{
    Q_OBJECT
  public:
    explicit LiveBars(QObject* parent = nullptr);

    bool shown(LiveBar bar) const { return shown_[static_cast<int>(bar)]; }
    void setShown(LiveBar bar, bool shown);
    // Asks for the bar to be shown when hidden and hidden otherwise.
    void toggle(LiveBar bar) { Q_EMIT toggleRequested(bar); }

  Q_SIGNALS:
    void toggleRequested(LiveBar bar);
    void shownChanged(LiveBar bar, bool shown);

  private:
    std::array<bool, kLiveBarCount> shown_{};
};
