#pragma once
// A measuring tool of the image view: the view hands it every press, movement, release and
// key in image pixels and keeps nothing of it. What is under construction lives in the engine;
// a tool asks it instead of counting points.

#include <memory>

#include <QtCore/qnamespace.h>

#include "gaugit.h"
#include "kwztypes.h"

class QPainter;
class ToolContext;

class MeasureTool
{
  public:
    // The tool numbers the frame chooses by: select, ruler, then the graphic kinds.
    static constexpr int kSelect = 0;
    static constexpr int kRuler = 1;

    MeasureTool(ToolContext& context, int id) : context_(context), id_(id) {}
    virtual ~MeasureTool() = default;
    MeasureTool(const MeasureTool&) = delete;
    MeasureTool& operator=(const MeasureTool&) = delete;

    int id() const { return id_; }
    POINT lastPress() const { return lastPress_; }
    virtual Qt::CursorShape cursor() const { return Qt::ArrowCursor; }
    // While true the keyboard belongs to the text input, not to the view.
    virtual bool holdsKeyboard() const { return false; }
    // Nothing half built and no text being typed: a change is complete.
    bool settled() const { return !holdsKeyboard() && construction() == GT_NULL; }

    // A left press; remembers its point for every tool.
    void pressAt(POINT p)
    {
        lastPress_ = p;
        press(p);
    }
    // A movement passed on by the view's throttle, with or without the left button down.
    virtual void move(POINT p, bool leftDown);
    virtual void release(Qt::MouseButton button, POINT p);
    // The second press of a double click places nothing.
    virtual void doubleClick(POINT) {}
    // Escape, Return and the arrows; true when the key was the tool's.
    virtual bool key(int key);
    // Drawn over the picture and its figures, in image pixels.
    virtual void paint(QPainter&) {}
    // Drops what is half built, keeping what is whole; before another tool takes over.
    virtual void cancel() {}

  protected:
    virtual void press(POINT) {}
    virtual void drag(POINT) {}
    virtual void hover(POINT) {}
    // The figure the engine is building, GT_NULL when none, and its points placed.
    GRAPHICTYPE construction(int* points = nullptr) const;
    ToolContext& context() const { return context_; }
    void* bitmap() const;

  private:
    ToolContext& context_;
    int id_;
    POINT lastPress_{0, 0};
};
