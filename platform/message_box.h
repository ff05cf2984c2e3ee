#pragma once
// Message boxes go to a handler the program installs (Qt message boxes). Without one the
// caption and text go to stderr and the default button is the answer.

#include "kwztypes.h"

namespace kwz {

// Button sets, icons and default buttons, with the Win32 values.
enum : unsigned
{
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON1 = 0x000,
    MB_DEFBUTTON2 = 0x100,
    MB_DEFBUTTON3 = 0x200,
};

// Answers, with the Win32 values.
enum : int
{
    IDOK = 1,
    IDCANCEL = 2,
    IDYES = 6,
    IDNO = 7,
};

// Texts are narrow GBK. Returns the button chosen.
using MessageBoxHandler = int (*)(void* context, HWND owner, const char* text, const char* caption,
                                  unsigned type);

int messageBox(HWND owner, const char* text, const char* caption, unsigned type);
// The answer the box gives when nobody clicks: its default button.
int defaultAnswer(unsigned type);
// Null restores the stderr handler.
void setMessageBoxHandler(MessageBoxHandler handler, void* context);

} // namespace kwz
