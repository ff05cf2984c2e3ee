#pragma once
// The size a picture view asks for when the client area arranges its windows (cascade): the
// picture one to one, as far as three quarters of the client area allow, so that cascaded
// windows stay large enough to work in instead of shrinking to a scroll area's default.

#include <QAbstractScrollArea>
#include <QMdiArea>
#include <QSize>
#include <algorithm>

inline QSize pictureSizeHint(const QAbstractScrollArea& view, QSize picture)
{
    const int frame = 2 * view.frameWidth();
    QSize wanted(std::max(picture.width(), 160) + frame, std::max(picture.height(), 120) + frame);
    for (const QWidget* w = view.parentWidget(); w != nullptr; w = w->parentWidget())
    {
        if (const auto* area = qobject_cast<const QMdiArea*>(w))
        {
            const QSize room = area->viewport()->size() * 3 / 4;
            if (room.isValid() && !room.isEmpty())
                wanted = wanted.boundedTo(room);
            break;
        }
    }
    return wanted;
}
