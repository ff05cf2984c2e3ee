#include "app/live/live_bars.h"

LiveBars::LiveBars(QObject* parent) : QObject(parent) {}

void LiveBars::setShown(LiveBar bar, bool shown)
{
    bool& held = shown_[static_cast<int>(bar)];
    if (held == shown)
        return;
    held = shown;
    Q_EMIT shownChanged(bar, shown);
}
