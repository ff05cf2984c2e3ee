#pragma once
// The 32 x 32 pictures of the tool-bar buttons, drawn rather than loaded, in a normal and a
// hot (pointer over) form.

#include <QIcon>
#include <QPixmap>

QPixmap toolPicture(int commandId, bool hot);
QIcon toolIcon(int commandId);
