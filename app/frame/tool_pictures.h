#pragma once
// The 32 x 32 pictures of the tool-bar buttons, drawn rather than loaded, in a normal and a
// hot (pointer over) form, at any density of screen pixels.

#include <QIcon>
#include <QPixmap>

QPixmap toolPicture(int commandId, bool hot, qreal devicePixelRatio = 1.0);
QIcon toolIcon(int commandId);
