#include "app/controls/sp_status_bar.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>

namespace {

QColor toQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

constexpr PaneStyle kInitialStyle{kPaneInactiveBackground, kPaneInactiveText, {0, 0}, 1};

} // namespace

CSPStatusBar::CSPStatusBar(QWidget* parent) : QStatusBar(parent)
{
    setSizeGripEnabled(false);
    // Menu prompts and tool-tip texts land in the first pane.
    connect(this, &QStatusBar::messageChanged, this, [this] { update(); });
}

bool CSPStatusBar::SetPanes(const unsigned* ids, int count)
{
    if (ids == nullptr || count <= 0)
        return false;
    panes_.assign(static_cast<size_t>(count), Pane{});
    for (int i = 0; i < count; ++i)
        panes_[i].id = ids[i];
    styles_.assign(static_cast<size_t>(count), kInitialStyle);
    setMinimumHeight(20);
    update();
    return true;
}

void CSPStatusBar::SetPaneColours(int pane, COLORREF background, COLORREF text)
{
    if (!validPane(pane))
        return;
    styles_[pane].background = background;
    styles_[pane].text = text;
    if (parentWidget() != nullptr)
        parentWidget()->update();
    update();
}

void CSPStatusBar::ShowPaneText(int pane, int shown)
{
    if (!validPane(pane))
        return;
    styles_[pane] = kInitialStyle;
    styles_[pane].textShown = shown;
}

void CSPStatusBar::SetPaneText(int pane, const QString& text)
{
    if (!validPane(pane))
        return;
    panes_[pane].text = text;
    update();
}

void CSPStatusBar::SetPaneInfo(int pane, int width, bool stretch)
{
    if (!validPane(pane))
        return;
    panes_[pane].width = std::max(0, width);
    panes_[pane].stretch = stretch;
    update();
}

QString CSPStatusBar::paneText(int pane) const
{
    if (!validPane(pane))
        return {};
    if (pane == 0 && !currentMessage().isEmpty())
        return currentMessage();
    return panes_[pane].text;
}

PaneStyle CSPStatusBar::paneStyle(int pane) const
{
    return validPane(pane) ? styles_[pane] : kInitialStyle;
}

unsigned CSPStatusBar::paneId(int pane) const
{
    return validPane(pane) ? panes_[pane].id : 0;
}

QRect CSPStatusBar::paneRect(int pane) const
{
    if (!validPane(pane))
        return {};
    const QRect client = rect();
    int fixed = 0;
    int stretching = 0;
    for (const Pane& p : panes_)
    {
        if (p.stretch)
            ++stretching;
        else
            fixed += p.width;
    }
    const int spare = std::max(0, client.width() - fixed);
    int x = client.left();
    for (int i = 0; i < paneCount(); ++i)
    {
        int width = panes_[i].stretch ? spare / std::max(1, stretching) : panes_[i].width;
        if (i == paneCount() - 1)
            width = std::max(width, client.right() + 1 - x);
        if (i == pane)
            return QRect(x, client.top(), width, client.height());
        x += width;
    }
    return {};
}

// The pane widths are fixed in pixels and some texts (the English frame rate, a saved file's
// path) are wider than their pane in the desktop's font: such a text is narrowed to fit, down
// to 60 % of its width, and only what is still too wide is cut with an ellipsis.
void CSPStatusBar::drawFitted(QPainter& painter, const QRect& r, const QString& text)
{
    constexpr int kMargin = 2;
    constexpr qreal kNarrowest = 0.6;
    const QFontMetricsF metrics(painter.font());
    const qreal room = std::max(1, r.width() - 2 * kMargin);
    const qreal wide = metrics.horizontalAdvance(text);
    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine;
    if (wide <= room)
    {
        painter.drawText(r, flags, text);
        return;
    }
    const qreal factor = std::max(kNarrowest, room / wide);
    const qreal width = factor > kNarrowest ? wide + 1 : room / factor;
    const QString shown = metrics.elidedText(text, Qt::ElideRight, width);
    painter.save();
    painter.translate(r.left() + kMargin, r.top());
    painter.scale(factor, 1.0);
    painter.drawText(QRectF(0, 0, width, r.height()), flags, shown);
    painter.restore();
}

void CSPStatusBar::paintEvent(QPaintEvent* event)
{
    if (!customPaint_ || panes_.empty())
    {
        QStatusBar::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    font.setWeight(QFont::Normal);
    painter.setFont(font);
    const int charHeight = QFontMetrics(font).height();
    const QColor shadow = palette().color(QPalette::Dark);
    for (int i = 0; i < paneCount(); ++i)
    {
        QRect r = paneRect(i);
        if (r.width() <= 0)
            continue;
        painter.setPen(shadow);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
        painter.fillRect(r, toQColor(styles_[i].background));
        if (styles_[i].textShown)
        {
            r.setTop(r.top() + (r.height() - charHeight) / 2);
            painter.setPen(toQColor(styles_[i].text));
            drawFitted(painter, r, paneText(i));
        }
    }
}
