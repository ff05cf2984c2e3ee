#include "app/shell/status_panes.h"

#include <algorithm>

#include "app/shell/ui_text.h"

namespace {

bool samePane(const StatusPanes::Pane& a, const StatusPanes::Pane& b)
{
    return a.text == b.text && a.background == b.background && a.textColour == b.textColour &&
           a.textShown == b.textShown && a.width == b.width && a.stretch == b.stretch;
}

} // namespace

StatusPanes::StatusPanes(QObject* parent) : QObject(parent) {}

void StatusPanes::setCount(int count)
{
    panes_.assign(static_cast<size_t>(std::max(0, count)), Pane{});
    Q_EMIT panesReset();
}

const StatusPanes::Pane& StatusPanes::pane(int index) const
{
    static const Pane kNone;
    return valid(index) ? panes_[index] : kNone;
}

void StatusPanes::replace(int index, const Pane& pane)
{
    if (!valid(index) || samePane(panes_[index], pane))
        return;
    panes_[index] = pane;
    Q_EMIT paneChanged(index);
}

void StatusPanes::setPaneText(int index, const QString& text)
{
    Pane changed = pane(index);
    changed.text = text;
    replace(index, changed);
}

void StatusPanes::setPaneColours(int index, COLORREF background, COLORREF text)
{
    Pane changed = pane(index);
    changed.background = background;
    changed.textColour = text;
    replace(index, changed);
}

void StatusPanes::setPaneWidth(int index, int width, bool stretch)
{
    Pane changed = pane(index);
    changed.width = std::max(0, width);
    changed.stretch = stretch;
    replace(index, changed);
}

void StatusPanes::setTextShown(int index, bool shown)
{
    Pane changed = pane(index);
    changed.background = kPaneInactiveBackground;
    changed.textColour = kPaneInactiveText;
    changed.textShown = shown;
    replace(index, changed);
}

QString modePaneText(int languageIndex, int pane)
{
    switch (pane)
    {
    case kPaneAoi:
        return QStringLiteral(" AOI ");
    case kPaneHighQuality:
        return uiText(languageIndex, " High Quality ", " 高质量 ", " High Quality ");
    case kPaneRecording:
        return uiText(languageIndex, " Video Record ", " 视频录影 ", " Video Record ");
    case kPaneReplay:
        return uiText(languageIndex, "Replaying", "景深回放", "Replaying");
    default:
        return QString();
    }
}
