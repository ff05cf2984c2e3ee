#include "app/controls/pen_style_combo.h"

#include <QPainter>
#include <QStylePainter>
#include <QStyledItemDelegate>

namespace {

constexpr COLORREF kColours[CPenStyleCombo::kColourCount] = {
    RGB(0, 0, 0),       RGB(255, 255, 255), RGB(128, 0, 0),   RGB(0, 128, 0),
    RGB(128, 128, 0),   RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128),
    RGB(192, 192, 192), RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),
    RGB(255, 255, 0),   RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255),
};

QColor toQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

class PenStyleDelegate : public QStyledItemDelegate
{
  public:
    explicit PenStyleDelegate(CPenStyleCombo* combo) : QStyledItemDelegate(combo), combo_(combo) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const bool focus = option.state & (QStyle::State_Selected | QStyle::State_HasFocus);
        combo_->drawEntry(*painter, option.rect, index.row(), focus);
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return QSize(60, 18);
    }

  private:
    CPenStyleCombo* combo_;
};

} // namespace

CPenStyleCombo::CPenStyleCombo(int mode, QWidget* parent) : QComboBox(parent), mode_(mode)
{
    setItemDelegate(new PenStyleDelegate(this));
    setMinimumWidth(60);
    const int count = mode_ == ColourMode ? kColourCount : kWidthCount;
    for (int i = 0; i < count; ++i)
        addItem(QString());
    filled_ = true;
    // A fresh list selects nothing until the owner chooses.
    setCurrentIndex(-1);
}

COLORREF CPenStyleCombo::colourAt(int index)
{
    return index >= 0 && index < kColourCount ? kColours[index] : RGB(0, 0, 0);
}

int CPenStyleCombo::widthAt(int index)
{
    return index >= 0 && index < kWidthCount ? index + 1 : 2;
}

COLORREF CPenStyleCombo::GetSelectedColour() const
{
    return colourAt(currentIndex());
}

int CPenStyleCombo::GetSelectedWidth() const
{
    return widthAt(currentIndex());
}

void CPenStyleCombo::SelectColour(COLORREF colour)
{
    int index = 0;
    for (int i = 0; i < kColourCount; ++i)
    {
        if (kColours[i] == colour)
        {
            index = i;
            break;
        }
    }
    setCurrentIndex(index);
}

int CPenStyleCombo::SelectWidth(int width)
{
    for (int i = 0; i < count(); ++i)
    {
        if (widthAt(i) == width)
        {
            setCurrentIndex(i);
            return i;
        }
    }
    return -1;
}

void CPenStyleCombo::drawEntry(QPainter& painter, const QRect& rect, int index, bool focus) const
{
    painter.save();
    if (focus)
        painter.fillRect(rect, palette().color(QPalette::Highlight));
    else
        painter.fillRect(rect, palette().color(QPalette::Base));
    if (index >= 0)
    {
        if (mode_ == ColourMode)
        {
            const QRect box = rect.adjusted(2, 2, -2, -2);
            painter.fillRect(box, toQColor(colourAt(index)));
            painter.setPen(QPen(Qt::black, 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(box.adjusted(0, 0, -1, -1));
        }
        else
        {
            const int y = rect.top() + rect.height() / 2;
            painter.setPen(QPen(Qt::black, widthAt(index), Qt::SolidLine, Qt::FlatCap));
            painter.drawLine(rect.left(), y, rect.right(), y);
        }
    }
    painter.restore();
}

void CPenStyleCombo::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    drawEntry(painter, field, currentIndex(), false);
}
