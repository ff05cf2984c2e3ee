#include "app/image/tools/text_tool.h"

#include <QLineEdit>

#include "app/image/tools/tool_context.h"
#include "app/shell/gbk_text.h"
#include "rast.h"

TextTool::~TextTool()
{
    QObject::disconnect(binding_);
}

void TextTool::press(POINT p)
{
    if (bound())
    {
        finish();
    }
    else
    {
        RASTStartGraphic(bitmap(), p, GT_TEXT);
        bind();
    }
    context().touch();
}

bool TextTool::key(int key)
{
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && bound())
    {
        finish();
        return true;
    }
    return MeasureTool::key(key);
}

void TextTool::cancel()
{
    // A text typed so far is kept; an empty one goes.
    if (bound())
        finish();
}

void TextTool::finish()
{
    RASTFinishGraphic(bitmap());
    unbind();
    context().repaintView();
}

void TextTool::bind()
{
    QLineEdit* input = context().textInput();
    // Emptied before binding: clearing must not reach the new text.
    input->clear();
    QObject::disconnect(binding_);
    binding_ = QObject::connect(input, &QLineEdit::textChanged,
                                [this](const QString& text) { onTextEdited(text); });
    input->setFocus();
}

void TextTool::unbind()
{
    QObject::disconnect(binding_);
    binding_ = {};
    if (context().textInput()->hasFocus())
        context().focusView();
}

void TextTool::onTextEdited(const QString& text)
{
    if (bitmap() == nullptr)
        return;
    RASTAddStringToGraphic(bitmap(), toGbk(text).c_str());
    context().touch();
    context().repaintView();
}
