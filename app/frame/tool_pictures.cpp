#include "app/frame/tool_pictures.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "app/shell/command_ids.h"

using namespace cmd;

namespace {

const QColor kInk(40, 40, 48);
const QColor kBlue(30, 90, 200);
const QColor kRed(210, 30, 30);
const QColor kGreen(20, 150, 60);

void camera(QPainter& p)
{
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(QColor(90, 90, 100));
    p.drawRoundedRect(QRectF(4, 10, 22, 15), 2, 2);
    p.drawRect(QRectF(9, 7, 7, 3));
    p.setBrush(QColor(150, 200, 255));
    p.drawEllipse(QPointF(15, 17.5), 5, 5);
}

void ruler(QPainter& p, QRectF r)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(250, 220, 90));
    p.drawRect(r);
    for (int i = 1; i < 8; ++i)
    {
        const qreal x = r.left() + i * r.width() / 8;
        p.drawLine(QPointF(x, r.top()), QPointF(x, r.top() + (i % 2 ? 3 : 5)));
    }
}

void label(QPainter& p, const QString& text, QRectF r, QColor colour, int size, bool bold = true)
{
    QFont f("DejaVu Sans");
    f.setPixelSize(size);
    f.setBold(bold);
    p.setFont(f);
    p.setPen(colour);
    p.drawText(r, Qt::AlignCenter, text);
}

void handles(QPainter& p, std::initializer_list<QPointF> points)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    for (const QPointF& pt : points)
        p.drawRect(QRectF(pt.x() - 2, pt.y() - 2, 4, 4));
}

void draw(QPainter& p, int id)
{
    const QPen outline(kBlue, 2.2);
    switch (id)
    {
    case ID_CAPTURE_MEASURE:
        camera(p);
        ruler(p, QRectF(8, 25, 22, 5));
        break;
    case ID_VIDEO_CAPTURE:
        camera(p);
        p.setPen(QPen(QColor(255, 200, 0), 2));
        p.drawLine(26, 3, 29, 8);
        p.drawLine(22, 2, 22, 7);
        break;
    case ID_VIDEO_TIMERCAPTURE:
        p.setPen(QPen(kInk, 2));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(16, 16), 12, 12);
        p.drawLine(16, 16, 16, 8);
        p.drawLine(16, 16, 22, 19);
        break;
    case ID_CAPTURE_SETTING:
        camera(p);
        p.setPen(QPen(kInk, 1.5));
        p.drawLine(20, 27, 30, 27);
        p.drawLine(20, 30, 30, 30);
        p.setBrush(kBlue);
        p.drawRect(QRectF(22, 25.5, 3, 3));
        p.drawRect(QRectF(26, 28.5, 3, 3));
        break;
    case ID_VIDEO_RECORD:
        p.setPen(QPen(QColor(120, 0, 0), 1.5));
        p.setBrush(kRed);
        p.drawEllipse(QPointF(16, 16), 10, 10);
        break;
    case ID_BUTTON_RecordSetting:
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(QColor(60, 60, 60));
        p.drawRect(QRectF(6, 4, 20, 24));
        p.setBrush(Qt::white);
        for (int y = 6; y < 27; y += 5)
        {
            p.drawRect(QRectF(7.5, y, 2.5, 3));
            p.drawRect(QRectF(22, y, 2.5, 3));
        }
        p.setBrush(QColor(150, 200, 255));
        p.drawRect(QRectF(12, 8, 8, 16));
        break;
    case ID_VIDEO_MANUALWB:
        p.setPen(QPen(kInk, 1));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(3, 6, 26, 20), 4, 4);
        label(p, "WB", QRectF(3, 6, 26, 20), kInk, 13);
        break;
    case ID_VIDEO_SHOWCOLORBAR:
        p.setPen(Qt::NoPen);
        p.setBrush(kRed);
        p.drawRect(QRectF(5, 12, 6, 16));
        p.setBrush(kGreen);
        p.drawRect(QRectF(13, 6, 6, 22));
        p.setBrush(kBlue);
        p.drawRect(QRectF(21, 16, 6, 12));
        break;
    case ID_VIDEO_SHOWSIZEBAR:
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(3, 5, 26, 22));
        p.drawRect(QRectF(3, 13, 14, 14));
        p.drawRect(QRectF(3, 20, 7, 7));
        break;
    case ID_VIDEO_FILLWINDOW:
        p.setPen(QPen(kInk, 2));
        p.drawRect(QRectF(4, 4, 24, 24));
        p.setPen(QPen(kBlue, 2));
        p.drawLine(10, 10, 22, 22);
        p.drawLine(22, 10, 10, 22);
        p.drawLine(8, 8, 13, 8);
        p.drawLine(8, 8, 8, 13);
        p.drawLine(24, 24, 19, 24);
        p.drawLine(24, 24, 24, 19);
        break;
    case ID_BUTTON_ALLBTN:
    case ID_BUTTON_IMAGEALL:
        p.setPen(QPen(kInk, 1));
        p.setBrush(id == ID_BUTTON_ALLBTN ? QColor(120, 170, 240) : QColor(250, 200, 90));
        p.drawRect(QRectF(4, 4, 11, 11));
        p.drawRect(QRectF(17, 4, 11, 11));
        p.drawRect(QRectF(4, 17, 11, 11));
        p.drawRect(QRectF(17, 17, 11, 11));
        break;
    case ID_BUTTON_FREEZE:
        p.setPen(QPen(QColor(0, 140, 220), 2));
        for (int a = 0; a < 3; ++a)
        {
            p.save();
            p.translate(16, 16);
            p.rotate(a * 60);
            p.drawLine(0, -12, 0, 12);
            p.drawLine(-3, -9, 0, -6);
            p.drawLine(3, -9, 0, -6);
            p.drawLine(-3, 9, 0, 6);
            p.drawLine(3, 9, 0, 6);
            p.restore();
        }
        break;
    case ID_FILE_OPEN:
        p.setPen(QPen(QColor(150, 110, 20), 1.5));
        p.setBrush(QColor(250, 210, 100));
        p.drawRect(QRectF(3, 9, 22, 17));
        p.drawRect(QRectF(3, 6, 9, 3));
        p.setBrush(QColor(255, 230, 150));
        p.drawPolygon(
            QPolygonF({QPointF(7, 14), QPointF(30, 14), QPointF(25, 26), QPointF(3, 26)}));
        break;
    case ID_FILE_SAVE:
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(kBlue);
        p.drawRect(QRectF(4, 4, 24, 24));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 4, 14, 9));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(8, 18, 16, 10));
        break;
    case ID_RETURN_VIDEO:
        p.setPen(QPen(kGreen, 3));
        p.drawLine(8, 16, 26, 16);
        p.drawLine(8, 16, 15, 9);
        p.drawLine(8, 16, 15, 23);
        break;
    case ID_IMAGE_NORMAL: {
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(Qt::white);
        QPolygonF arrow({QPointF(9, 4), QPointF(9, 26), QPointF(14, 21), QPointF(18, 29),
                         QPointF(21, 28), QPointF(17, 20), QPointF(24, 20)});
        p.drawPolygon(arrow);
        break;
    }
    case ID_IMAGE_MEASURE_DELETE:
        p.setPen(QPen(kRed, 3.5));
        p.drawLine(8, 8, 24, 24);
        p.drawLine(24, 8, 8, 24);
        break;
    case ID_IMAGE_MEASURE_DELETEALL:
        p.setPen(QPen(kRed, 2.5));
        p.drawLine(3, 6, 15, 18);
        p.drawLine(15, 6, 3, 18);
        p.drawLine(15, 14, 27, 26);
        p.drawLine(27, 14, 15, 26);
        break;
    case ID_EDIT_UNDO_STEP:
    case ID_EDIT_REDO_STEP: {
        // A curved arrow turning back (undo) or forward (redo).
        if (id == ID_EDIT_REDO_STEP)
        {
            p.translate(32, 0);
            p.scale(-1, 1);
        }
        p.setPen(QPen(kBlue, 3, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        QPainterPath curve;
        curve.moveTo(9, 12);
        curve.cubicTo(QPointF(20, 4), QPointF(30, 12), QPointF(26, 20));
        curve.cubicTo(QPointF(24, 25), QPointF(18, 27), QPointF(12, 26));
        p.drawPath(curve);
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawPolygon(QPolygonF({QPointF(3, 12), QPointF(12, 4), QPointF(13, 18)}));
        break;
    }
    case ID_IMAGE_ZOOM:
        p.setPen(QPen(kInk, 2));
        p.setBrush(QColor(200, 230, 255));
        p.drawEllipse(QPointF(13, 13), 8, 8);
        p.setPen(QPen(kInk, 4));
        p.drawLine(19, 19, 27, 27);
        break;
    case ID_IMAGE_MESURE_LINE:
        p.setPen(outline);
        p.drawLine(5, 26, 27, 6);
        handles(p, {QPointF(5, 26), QPointF(27, 6)});
        break;
    case ID_IMAGE_MEASURE_CIRCLE1:
        p.setPen(outline);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(16, 16), 11, 11);
        p.setPen(QPen(kInk, 1));
        p.drawLine(16, 16, 27, 16);
        handles(p, {QPointF(16, 16), QPointF(27, 16)});
        break;
    case ID_IMAGE_MEASURE_CIRCLE0:
        p.setPen(outline);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(16, 16), 11, 11);
        p.setPen(QPen(kInk, 1));
        p.drawLine(5, 16, 27, 16);
        handles(p, {QPointF(5, 16), QPointF(27, 16)});
        break;
    case ID_IMAGE_MEASURE_CIRCLE2:
        p.setPen(outline);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(16, 16), 11, 11);
        handles(p, {QPointF(16, 5), QPointF(6.5, 21.5), QPointF(25.5, 21.5)});
        break;
    case ID_IMAGE_MEASURE_ELLIPSE1:
        p.setPen(outline);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(16, 16), 13, 8);
        handles(p, {QPointF(16, 16), QPointF(29, 24)});
        break;
    case ID_IMAGE_MEASURE_ELLIPSE0:
        p.setPen(QPen(kInk, 1, Qt::DotLine));
        p.drawRect(QRectF(3, 8, 26, 16));
        p.setPen(outline);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(3, 8, 26, 16));
        handles(p, {QPointF(3, 8), QPointF(29, 24)});
        break;
    case ID_IMAGE_MEASURE_RECT:
        p.setPen(outline);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(5, 8, 22, 16));
        handles(p, {QPointF(5, 8), QPointF(27, 24)});
        break;
    case ID_IMAGE_MEASURE_ANGLE:
        p.setPen(outline);
        p.drawLine(5, 26, 28, 26);
        p.drawLine(5, 26, 22, 6);
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(-5, 16, 20, 20), 0, 50 * 16);
        break;
    case ID_IMAGE_MEASURE_POLYLINE:
        p.setPen(outline);
        p.setBrush(Qt::NoBrush);
        p.drawPolygon(QPolygonF({QPointF(5, 22), QPointF(12, 5), QPointF(27, 9), QPointF(23, 27)}));
        handles(p, {QPointF(5, 22), QPointF(12, 5), QPointF(27, 9), QPointF(23, 27)});
        break;
    case ID_IMAGE_MEASURE_TEXT:
        label(p, "A", QRectF(0, 0, 32, 32), kBlue, 24);
        break;
    case ID_IMAGE_SETTINGS_TEXT:
        label(p, "Aa", QRectF(0, 0, 32, 26), kInk, 16, false);
        p.setPen(QPen(kRed, 2));
        p.drawLine(6, 27, 26, 27);
        break;
    case ID_IMAGE_SETTINGS_RULER:
        ruler(p, QRectF(2, 11, 28, 10));
        break;
    case ID_IMAGE_SETTINGS_PEN:
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(230, 150, 40));
        p.drawPolygon(
            QPolygonF({QPointF(22, 3), QPointF(29, 10), QPointF(12, 27), QPointF(5, 20)}));
        p.setBrush(kInk);
        p.drawPolygon(QPolygonF({QPointF(5, 20), QPointF(12, 27), QPointF(3, 29)}));
        break;
    default:
        label(p, "?", QRectF(0, 0, 32, 32), kInk, 20);
        break;
    }
}

} // namespace

QPixmap toolPicture(int commandId, bool hot, qreal ratio)
{
    // Drawn at the screen's density: on a dense screen an enlarged 32 x 32 picture blurs.
    const int side = std::max(32, int(std::ceil(32 * ratio)));
    QPixmap pixmap(side, side);
    pixmap.setDevicePixelRatio(double(side) / 32);
    pixmap.fill(hot ? QColor(255, 244, 204) : Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p, commandId);
    if (hot)
    {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QColor(230, 160, 40));
        p.setBrush(Qt::NoBrush);
        p.drawRect(0, 0, 31, 31);
    }
    return pixmap;
}

QIcon toolIcon(int commandId)
{
    QIcon icon;
    QList<qreal> ratios{1.0, 2.0};
    const qreal screen = qApp != nullptr ? qApp->devicePixelRatio() : 1.0;
    if (!ratios.contains(screen))
        ratios.append(screen);
    for (qreal ratio : ratios)
    {
        icon.addPixmap(toolPicture(commandId, false, ratio), QIcon::Normal);
        icon.addPixmap(toolPicture(commandId, true, ratio), QIcon::Active);
    }
    return icon;
}
