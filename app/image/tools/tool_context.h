#pragma once
// What a measuring tool may use of the view it works in. Every call a tool makes on the
// picture goes through bitmap(), so the picture's type changes in one place.

class QLineEdit;

class ToolContext
{
  public:
    virtual ~ToolContext() = default;

    // The picture with its engine instance; null while the document has none.
    virtual void* bitmap() const = 0;
    // The document has changed and is saved with its figures.
    virtual void touch() = 0;
    // Selects the figure under an image point through the document, which announces it;
    // false when there is none.
    virtual bool selectAt(int x, int y) = 0;
    // Posted: the command reaches the frame after the current event.
    virtual void postCommand(int commandId) = 0;
    virtual void repaintView() = 0;
    // The unseen edit that a text is typed into, and the view taking the keyboard back.
    virtual QLineEdit* textInput() = 0;
    virtual void focusView() = 0;
};
