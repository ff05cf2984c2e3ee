#pragma once
// The program's own event types, registered with Qt once so that none collides with another.
// Work off the interface thread (camera frames, white balance, timed capture) reaches widgets
// only by posting one of these to them with QCoreApplication::postEvent; the receiver handles
// it in event() on the interface thread.

#include <QEvent>
#include <cstdint>

namespace events {

// Asks the main frame to connect, as the Device menu's Connect does; when no live window can be
// opened nothing more happens. Its number is kConnectDeviceNumber unless something in the
// process took that number first.
inline constexpr int kConnectDeviceNumber = 1624;
QEvent::Type connectDevice();
// Asks the main frame to refresh the checked and enabled states of every command.
QEvent::Type commandStates();
// The camera delivered a frame.
QEvent::Type cameraFrame();
// Automatic white balance finished: a ValueEvent with the gains and half the exposure packed
// as the camera library reports them.
QEvent::Type whiteBalanceDone();
// A tick of timed capture.
QEvent::Type timedCapture();

} // namespace events

// An event that carries one 32-bit value.
class ValueEvent : public QEvent
{
  public:
    ValueEvent(Type type, uint32_t value) : QEvent(type), value_(value) {}
    uint32_t value() const { return value_; }

  private:
    uint32_t value_;
};
