#include "app/controls/font_combo.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinterInfo>
#include <QStyledItemDelegate>

namespace {

// Printer mark and outline-font mark, drawn rather than shipped as a bitmap.
QPixmap makePictures()
{
    QPixmap pixmap(30, 12);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    // Picture 0: a small printer.
    p.setPen(QColor(64, 64, 64));
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(4, 1, 6, 4);
    p.setBrush(QColor(128, 128, 128));
    p.drawRect(1, 4, 12, 5);
    p.fillRect(4, 9, 7, 2, QColor(255, 255, 255));
    p.fillRect(10, 6, 2, 1, QColor(0, 160, 0));
    // Picture 1: two overlapping letters T, the usual outline-font mark.
    p.setPen(QPen(QColor(0, 0, 128), 2));
    p.drawLine(16, 2, 23, 2);
    p.drawLine(19, 2, 19, 10);
    p.setPen(QPen(QColor(128, 128, 128), 2));
    p.drawLine(21, 4, 28, 4);
    p.drawLine(24, 4, 24, 11);
    return pixmap;
}

class FontDelegate : public QStyledItemDelegate
{
  public:
    explicit FontDelegate(CFontCombo* combo) : QStyledItemDelegate(combo), combo_(combo) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        combo_->drawEntry(*painter, option.rect, index.row(),
                          option.state & QStyle::State_Selected);
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return QSize(180, 20);
    }

  private:
    CFontCombo* combo_;
};

} // namespace

CFontCombo::CFontCombo(QWidget* parent) : QComboBox(parent), pictures_(makePictures())
{
    setItemDelegate(new FontDelegate(this));
    setMinimumWidth(160);
    fill();
}

int CFontCombo::fontType(int index) const
{
    return itemData(index).toInt();
}

int CFontCombo::pictureFor(int fontType)
{
    if (fontType & kScalableFont)
        return 1;
    if (fontType & kDeviceFont)
        return 0;
    return -1;
}

QPixmap CFontCombo::picture(int which) const
{
    return pictures_.copy(which * 15, 0, 15, 12);
}

void CFontCombo::fill()
{
    const QStringList families = QFontDatabase::families(QFontDatabase::Latin);
    for (const QString& family : families)
    {
        const bool outline = QFontDatabase::isSmoothlyScalable(family);
        if (!outline && !QFontDatabase::isScalable(family))
            continue; // raster faces do not scale with the text size
        addItem(family, outline ? kScalableFont : 0);
    }
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull())
        return;
    QFile description("/etc/cups/ppd/" + printer.printerName() + ".ppd");
    if (!description.open(QIODevice::ReadOnly))
        return;
    for (const QString& face : printerFontsFromDescription(description.read(4 << 20)))
    {
        if (findText(face, Qt::MatchFixedString) < 0)
            addItem(face, kDeviceFont);
    }
}

QStringList CFontCombo::printerFontsFromDescription(const QByteArray& description)
{
    QStringList faces;
    for (const QByteArray& rawLine : description.split('\n'))
    {
        const QByteArray line = rawLine.trimmed();
        if (!line.startsWith("*Font "))
            continue;
        const int colon = line.indexOf(':');
        const QByteArray name = line.mid(6, colon < 0 ? -1 : colon - 6).trimmed();
        if (name.isEmpty() || name.size() > 63)
            continue;
        const QString face = QString::fromLatin1(name).replace('-', ' ');
        if (!faces.contains(face))
            faces.append(face);
    }
    return faces;
}

void CFontCombo::drawEntry(QPainter& painter, const QRect& rect, int index, bool selected) const
{
    if (index < 0)
        return;
    painter.save();
    painter.fillRect(rect, palette().color(selected ? QPalette::Highlight : QPalette::Base));
    painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
    QRect r = rect;
    const int which = pictureFor(fontType(index));
    if (which >= 0)
        painter.drawPixmap(r.left(), r.top() + 2, picture(which));
    r.setLeft(r.left() + 15);
    QFont face(itemText(index));
    face.setPixelSize(kFaceHeight);
    face.setWeight(QFont::Normal);
    face.setStyleStrategy(QFont::PreferAntialias);
    painter.setFont(face);
    const int height = QFontMetrics(face).height();
    painter.drawText(
        QRect(r.left() + 5, r.top() + (r.height() - height) / 2, r.width() - 5, height),
        Qt::AlignLeft | Qt::AlignVCenter, itemText(index));
    painter.restore();
}
