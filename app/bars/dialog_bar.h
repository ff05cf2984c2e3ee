#pragma once
// A dialog bar: a strip of controls in the band container at the top of the main frame.
// Controls are found by their identifiers; captioned controls name the language key that
// gives their text.

#include <QFrame>
#include <map>
#include <string>
#include <vector>

class LanguageTexts;
class QBoxLayout;
class QGroupBox;

class DialogBar : public QFrame
{
  public:
    DialogBar(int resourceId, QWidget* parent = nullptr);

    int resourceId() const { return resourceId_; }
    // The control with that identifier, or null.
    QWidget* control(int id) const;
    template <class T> T* control(int id) const { return dynamic_cast<T*>(control(id)); }
    std::vector<int> controlIds() const;

    // Registers a control under its identifier and returns it.
    template <class T> T* add(int id, T* widget)
    {
        registerControl(id, widget);
        return widget;
    }
    // Gives a control (label, group box, button) the text of a language key.
    void bindText(QWidget* widget, const char* section, const char* key);
    void applyTexts(const LanguageTexts& texts);
    // The widget showing a key's text, for tests and for the owner.
    QWidget* textOf(const char* section, const char* key) const;

    QGroupBox* group(const char* section, const char* key);
    QBoxLayout* row() const { return row_; }

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
