#pragma once
// A dialog bar: a strip of controls in the band container at the top of the main frame. Each
// bar is a class of its own that owns its controls; every control also keeps its identifier
// (property "controlId", object name "control<id>"), and captioned controls name the language
// key that gives their text.

#include <QFrame>
#include <QStringList>
#include <map>
#include <string>
#include <vector>

class LanguageTexts;
class QBoxLayout;
class QComboBox;
class QGroupBox;
class QLabel;

class DialogBar : public QFrame
{
    Q_OBJECT
  public:
    explicit DialogBar(int resourceId, QWidget* parent = nullptr);

    int resourceId() const { return resourceId_; }
    // The control with that identifier, or null.
    QWidget* control(int id) const;
    template <class T> T* control(int id) const { return dynamic_cast<T*>(control(id)); }
    std::vector<int> controlIds() const;

    // Gives every captioned control the text of its key.
    void applyTexts(const LanguageTexts& texts);
    // The widget showing a key's text, for tests and for the owner.
    QWidget* textOf(const char* section, const char* key) const;

  protected:
    // Registers a control under its identifier and returns it.
    template <class T> T* add(int id, T* widget)
    {
        registerControl(id, widget);
        return widget;
    }
    // The same, for a control that shows a key's text.
    template <class T> T* add(int id, T* widget, const char* section, const char* key)
    {
        bindText(widget, section, key);
        return add(id, widget);
    }
    // Gives a control (label, group box, button) the text of a language key.
    void bindText(QWidget* widget, const char* section, const char* key);
    QLabel* label(QWidget* parent, const char* section, const char* key);
    // A titled group added to the bar's row.
    QGroupBox* group(const char* section, const char* key);
    QBoxLayout* row() const { return row_; }
    // Fills a list without reporting it as the user's choice; an index out of range selects
    // nothing.
    static void setItems(QComboBox* combo, const QStringList& items, int selected);

  private:
    void registerControl(int id, QWidget* widget);

    struct Binding
    {
        QWidget* widget;
        std::string section;
        std::string key;
    };
    int resourceId_;
    QBoxLayout* row_;
    std::map<int, QWidget*> controls_;
    std::vector<Binding> bindings_;
};
