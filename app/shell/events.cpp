#include "app/shell/events.h"

namespace {

// Each type is registered at its first use, from whichever thread that is.
QEvent::Type registered(int hint = -1)
{
    return static_cast<QEvent::Type>(QEvent::registerEventType(hint));
}

} // namespace

namespace events {

QEvent::Type connectDevice()
{
    // The connect request's number of old (user messages start at 1024, this one is 600 on),
    // so a sender that knows only the number still reaches it.
    static const QEvent::Type type = registered(kConnectDeviceNumber);
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
