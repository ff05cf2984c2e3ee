#pragma once
// HWND points to a Window: a client area that can be drawn on from any thread. The program
// implements it on Qt widgets; tests use windows in memory.

#include "kwztypes.h"

namespace kwz {

class DrawContext;

class Window
{
  public:
    virtual ~Window() = default;

    // Client area in window pixels, left and top 0.
    virtual RECT clientRect() const = 0;
    // A context on the client area, valid until releaseDC; may be called from any thread.
    virtual DrawContext* getDC() = 0;
    virtual void releaseDC(DrawContext* context) = 0;
    // Asks for a repaint of a part of the client area (null: all of it).
    virtual void invalidate(const RECT* area) = 0;
};

inline Window* fromHwnd(HWND window)
{
    return reinterpret_cast<Window*>(window);
}
inline HWND toHwnd(Window* window)
{
    return reinterpret_cast<HWND>(window);
}

} // namespace kwz
