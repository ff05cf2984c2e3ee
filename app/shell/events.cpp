#include "app/shell/events.h"

namespace {

// Each type is registered at its first use, from whichever thread that is.
QEvent::Type registered()
{
    return static_cast<QEvent::Type>(QEvent::registerEventType());
}

} // namespace

namespace events {

QEvent::Type connectDevice()
{
    static const QEvent::Type type = registered();
    return type;
}

QEvent::Type commandStates()
{
    static const QEvent::Type type = registered();
    return type;
}

QEvent::Type cameraFrame()
{
    static const QEvent::Type type = registered();
    return type;
}

QEvent::Type whiteBalanceDone()
{
    static const QEvent::Type type = registered();
    return type;
}

QEvent::Type timedCapture()
{
    static const QEvent::Type type = registered();
    return type;
}

} // namespace events
