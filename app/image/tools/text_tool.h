#pragma once
// Texts: a press places one and binds the unseen text input to it, so that what is typed
// shows at once; Return, a second press, the right button or Escape closes it.

#include <QMetaObject>

#include "app/image/tools/measure_tool.h"

class QString;

class TextTool final : public MeasureTool
{
  public:
    explicit TextTool(ToolContext& context) : MeasureTool(context, GT_TEXT) {}
    ~TextTool() override;
    Qt::CursorShape cursor() const override { return Qt::CrossCursor; }
    bool holdsKeyboard() const override { return bound(); }
    bool key(int key) override;
    void cancel() override;
    bool bound() const { return static_cast<bool>(binding_); }

  protected:
    void press(POINT p) override;

  private:
    void bind();
    void unbind();
    void finish();
    void onTextEdited(const QString& text);

    QMetaObject::Connection binding_;
};
