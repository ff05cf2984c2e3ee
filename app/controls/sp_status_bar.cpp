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
    setModel(&ownModel_);
}

void CSPStatusBar::setModel(StatusPanes* model)
{
    if (model == nullptr)
        model = &ownModel_;
    disconnect(model_, nullptr, this, nullptr);
    model_ = model;
    connect(model_, &StatusPanes::paneChanged, this, [this](int pane) {
        // A colour change repaints the frame round the bar as well; a width moves the others.
        const StatusPanes::Pane& p = model_->pane(pane);
        const auto colours = std::make_pair(p.background, p.textColour);
        if (pane < static_cast<int>(colours_.size()) && colours_[pane] != colours)
        {
            colours_[pane] = colours;
            if (parentWidget() != nullptr)
                parentWidget()->update();
        }
        update();
    });
    connect(model_, &StatusPanes::panesReset, this, [this] { modelReset(); });
    modelReset();
}

void CSPStatusBar::modelReset()
{
    colours_.clear();
    for (int i = 0; i < paneCount(); ++i)
        colours_.emplace_back(model_->pane(i).background, model_->pane(i).textColour);
    update();
}

bool CSPStatusBar::SetPanes(const unsigned* ids, int count)
{
    if (ids == nullptr || count <= 0)
        return false;
    ids_.assign(ids, ids + count);
    model_->setCount(count);
    setMinimumHeight(20);
    return true;
}

void CSPStatusBar::SetPaneColours(int pane, COLORREF background, COLORREF text)
{
    model_->setPaneColours(pane, background, text);
}

void CSPStatusBar::ShowPaneText(int pane, int shown)
{
    model_->setTextShown(pane, shown != 0);
}

void CSPStatusBar::SetPaneText(int pane, const QString& text)
{
    model_->setPaneText(pane, text);
}

void CSPStatusBar::setPaneInfo(int pane, int width, bool stretch)
{
    model_->setPaneWidth(pane, width, stretch);
}

QString CSPStatusBar::paneText(int pane) const
{
    if (!validPane(pane))
        return {};
    if (pane == 0 && !currentMessage().isEmpty())
        return currentMessage();
    return model_->text(pane);
}

PaneStyle CSPStatusBar::paneStyle(int pane) const
{
    if (!validPane(pane))
        return kInitialStyle;
    const StatusPanes::Pane& p = model_->pane(pane);
    return PaneStyle{p.background, p.textColour, {0, 0}, p.textShown ? 1 : 0};
}

unsigned CSPStatusBar::paneId(int pane) const
{
    return validPane(pane) && pane < static_cast<int>(ids_.size()) ? ids_[pane] : 0;
}

QRect CSPStatusBar::paneRect(int pane) const
{
    if (!validPane(pane))
        return {};
    const QRect client = rect();
    int fixed = 0;
    int stretching = 0;
    for (int i = 0; i < paneCount(); ++i)
    {
        const StatusPanes::Pane& p = model_->pane(i);
        if (p.stretch)
            ++stretching;
        else
            fixed += p.width;
    }
    const int spare = std::max(0, client.width() - fixed);
    int x = client.left();
    for (int i = 0; i < paneCount(); ++i)
    {
        const StatusPanes::Pane& p = model_->pane(i);
        int width = p.stretch ? spare / std::max(1, stretching) : p.width;
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
    if (!customPaint_ || paneCount() == 0)
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
        const StatusPanes::Pane& pane = model_->pane(i);
        painter.fillRect(r, toQColor(pane.background));
        if (pane.textShown)
        {
            r.setTop(r.top() + (r.height() - charHeight) / 2);
            painter.setPen(toQColor(pane.textColour));
            drawFitted(painter, r, paneText(i));
        }
    }
}
