// Exports that call the platform hooks from inside a shared library.
#include "kwztypes.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/trace.h"

KWZ_API int kwzProbeMessageBox(const char* text)
{
    return kwz::messageBox(nullptr, text, "probe", kwz::MB_YESNO | kwz::MB_DEFBUTTON2);
}

KWZ_API void kwzProbeTrace(const char* text)
{
    kwz::trace(text);
}

KWZ_API uint32_t kwzProbeTick()
{
    return kwz::tickCount();
}
