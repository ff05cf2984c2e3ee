#pragma once
// The message boxes of the libraries and of the program, shown as Qt message boxes. Scripted
// runs (KWZ_NONINTERACTIVE=1, or no QApplication) get the caption and text on stderr and the
// default answer, so they never wait for a click.

#include <functional>

class QWidget;

// `owner` gives the window the boxes belong to at the time one is shown (may give null).
void installMessageBoxes(std::function<QWidget*()> owner);
void removeMessageBoxes();
