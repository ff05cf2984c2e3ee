#include "app/shell/message_boxes.h"

#include <QApplication>
#include <QMessageBox>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/shell/gbk_text.h"
#include "platform/message_box.h"

namespace {

std::function<QWidget*()> boxOwner;

bool nonInteractive()
{
    return qEnvironmentVariable("KWZ_NONINTERACTIVE") == "1";
}

int showMessageBox(void*, HWND, const char* text, const char* caption, unsigned type)
{
    const QString body = fromGbk(text ? text : "");
    const QString title = fromGbk(caption ? caption : "");
    if (nonInteractive() || qApp == nullptr)
    {
        // Scripted runs must not wait for a click: say it and take the default answer.
        std::fprintf(stderr, "%s: %s\n", title.toUtf8().constData(), body.toUtf8().constData());
        return kwz::defaultAnswer(type);
    }
    QMessageBox box(boxOwner ? boxOwner() : nullptr);
    box.setWindowTitle(title);
    box.setText(body);
    switch (type & 0xF0)
    {
    case kwz::MB_ICONERROR:
        box.setIcon(QMessageBox::Critical);
        break;
    case kwz::MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case kwz::MB_ICONWARNING:
        box.setIcon(QMessageBox::Warning);
        break;
    case kwz::MB_ICONINFORMATION:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    struct Choice
    {
        QMessageBox::StandardButton button;
        int answer;
    };
    std::vector<Choice> choices;
    switch (type & 0xF)
    {
    case kwz::MB_OKCANCEL:
        choices = {{QMessageBox::Ok, kwz::IDOK}, {QMessageBox::Cancel, kwz::IDCANCEL}};
        break;
    case kwz::MB_YESNOCANCEL:
        choices = {{QMessageBox::Yes, kwz::IDYES},
                   {QMessageBox::No, kwz::IDNO},
                   {QMessageBox::Cancel, kwz::IDCANCEL}};
        break;
    case kwz::MB_YESNO:
        choices = {{QMessageBox::Yes, kwz::IDYES}, {QMessageBox::No, kwz::IDNO}};
        break;
    default:
        choices = {{QMessageBox::Ok, kwz::IDOK}};
        break;
    }
    for (const Choice& c : choices)
        box.addButton(c.button);
    const size_t defaultIndex = std::min<size_t>((type >> 8) & 0xF, choices.size() - 1);
    box.setDefaultButton(choices[defaultIndex].button);
    const auto clicked = box.exec();
    for (const Choice& c : choices)
        if (c.button == clicked)
            return c.answer;
    // Closed without a button: the box's cancel, or its default when it has none.
    return (type & 0xF) == kwz::MB_OK || (type & 0xF) == kwz::MB_YESNO
               ? choices[defaultIndex].answer
               : kwz::IDCANCEL;
}

} // namespace

void installMessageBoxes(std::function<QWidget*()> owner)
{
    boxOwner = std::move(owner);
    kwz::setMessageBoxHandler(&showMessageBox, nullptr);
}

void removeMessageBoxes()
{
    kwz::setMessageBoxHandler(nullptr, nullptr);
    boxOwner = nullptr;
}
