// The figure and the descriptor lines of each graphic class.

#include <algorithm>

#include "engine/angle_graphic.h"
#include "engine/circle_graphic.h"
#include "engine/ellipse_graphic.h"
#include "engine/graphic_draw.h"
#include "engine/line_graphic.h"
#include "engine/polygon_graphic.h"
#include "engine/rect_graphic.h"
#include "engine/ruler_graphic.h"
#include "engine/text_graphic.h"
#include "platform/draw/font.h"

namespace gaugit {

namespace {

constexpr Word kStartPoint{"起点", "StartPoint"};
constexpr Word kEndPoint{"终点", "EndPoint"};
constexpr Word kLength{"长度", "Length"};
constexpr Word kPerimeter{"周长", "Perimeter"};
constexpr Word kArea{"面积", "Area"};
constexpr Word kCentre{"圆心", "CentrePoint"};

bool showsHandles(int state)
{
    return state == kStateHovered || state == kStateSelected;
}
bool marked(uint32_t mark, int bit)
{
    return (mark >> bit) & 1u;
}

DescriptorLines linesAt(kwz::DrawContext& dc, const Graphic& graphic, int x, int y)
{
    int lineHeight = graphic.label() ? graphic.label()->metrics().height : 0;
    return DescriptorLines(dc, x, y, lineHeight, graphic.precision(), &graphic.descriptorCache());
}

} // namespace

void LineGraphic::draw(kwz::DrawContext& dc, int state)
{
    {
        FigurePen pen(dc, penFor(*this, state));
        drawSegment(dc, start_, end_);
        if (showsHandles(state))
        {
            drawHandle(dc, start_);
            drawHandle(dc, end_);
        }
    }
    drawLabel(dc, *this, state);
}

void LineGraphic::drawDescriptor(kwz::DrawContext& dc, int x, int y) const
{
    DescriptorLines lines = linesAt(dc, *this, x, y);
    if (marked(mark_, 0))
        lines.name({"直线", "Line"}, listNumber_);
    if (marked(mark_, 1))
        lines.point(kStartPoint, startUnits_, false);
    if (marked(mark_, 2))
        lines.point(kEndPoint, endUnits_, false);
    if (marked(mark_, 3))
        lines.value(kLength, length_, measureUnit_);
}

void RulerGraphic::drawDescriptor(kwz::DrawContext& dc, int x, int y) const
{
    DescriptorLines lines = linesAt(dc, *this, x, y);
    lines.word({"标尺", "Ruler"});
    lines.wordAndText({"标定单位", "RulerUnit"}, unitText(rulerUnit_));
    lines.value(kLength, rulerLength_, rulerUnit_);
}

void RectGraphic::draw(kwz::DrawContext& dc, int state)
{
    {
        FigurePen pen(dc, penFor(*this, state));
        dc.rectangle(first_.x, first_.y, second_.x, second_.y);
        if (showsHandles(state))
        {
            drawHandle(dc, first_);
            drawHandle(dc, second_);
        }
    }
    drawLabel(dc, *this, state);
}

void RectGraphic::drawDescriptor(kwz::DrawContext& dc, int x, int y) const
{
    DescriptorLines lines = linesAt(dc, *this, x, y);
    if (marked(mark_, 0))
        lines.name({"矩形", "Rectangle"}, listNumber_);
    if (marked(mark_, 1))
        lines.point(kStartPoint, firstUnits_, true);
    if (marked(mark_, 2))
        lines.point(kEndPoint, secondUnits_, true);
    if (marked(mark_, 3))
        lines.value({"宽", "Width"}, width_, measureUnit_);
    if (marked(mark_, 4))
        lines.value({"高", "Height"}, height_, measureUnit_);
    if (marked(mark_, 5))
        lines.value(kPerimeter, perimeter_, measureUnit_);
    if (marked(mark_, 6))
        lines.area(kArea, area_, measureUnit_);
}

void CircleGraphic::draw(kwz::DrawContext& dc, int state)
{
    {
        FigurePen pen(dc, penFor(*this, state));
        if (showsHandles(state))
        {
            drawSegment(dc, points_[0], points_[1]);
            if (variant_ == kTypeCircleThreePoints && pointCount_ >= 2)
                drawSegment(dc, points_[1], points_[2]);
            int handles = variant_ == kTypeCircleThreePoints ? 3 : 2;
            for (int i = 0; i < handles; ++i)
                drawHandle(dc, points_[i]);
            drawHandle(dc, centre_);
        }
        dc.ellipse(bounds_.left, bounds_.top, bounds_.right, bounds_.bottom);
    }
    drawLabel(dc, *this, state);
}

void CircleGraphic::drawDescriptor(kwz::DrawContext& dc, int x, int y) const
{
    DescriptorLines lines = linesAt(dc, *this, x, y);
    if (marked(mark_, 0))
        lines.name({"圆", "Circle"}, listNumber_);
    if (marked(mark_, 1))
        lines.point(kCentre, centreUnits_, true);
    if (marked(mark_, 2))
        lines.value({"半径", "Radius"}, radius_, measureUnit_);
    if (marked(mark_, 3))
        lines.value(kPerimeter, perimeter_, measureUnit_);
    if (marked(mark_, 4))
        lines.area(kArea, area_, measureUnit_);
}

void EllipseGraphic::draw(kwz::DrawContext& dc, int state)
{
    {
        FigurePen pen(dc, penFor(*this, state));
        if (showsHandles(state))
        {
            drawHandle(dc, points_[0]);
            drawHandle(dc, points_[1]);
            kwz::Pen box{kwz::kPenDashDotDot, 1, selectedColor_};
            kwz::Pen figure = dc.selectPen(box);
            dc.rectangle(bounds_.left, bounds_.top, bounds_.right, bounds_.bottom);
            dc.selectPen(figure);
        }
        dc.ellipse(bounds_.left, bounds_.top, bounds_.right, bounds_.bottom);
    }
    drawLabel(dc, *this, state);
}

void EllipseGraphic::drawDescriptor(kwz::DrawContext& dc, int x, int y) const
{
    DescriptorLines lines = linesAt(dc, *this, x, y);
    if (marked(mark_, 0))
        lines.name({"椭圆", "Ellipse"}, listNumber_);
    if (marked(mark_, 1))
        lines.point({"中心", "CentrePoint"}, centreUnits_, true);
    if (marked(mark_, 2))
        lines.value({"长半轴", "LongRadius"}, horizontal_, measureUnit_);
    if (marked(mark_, 3))
        lines.value({"短半轴", "ShortRadius"}, vertical_, measureUnit_);
    if (marked(mark_, 4))
        lines.value(kPerimeter, perimeter_, measureUnit_);
    if (marked(mark_, 5))
        lines.area(kArea, area_, measureUnit_);
}

void AngleGraphic::draw(kwz::DrawContext& dc, int state)
{
    {
        FigurePen pen(dc, penFor(*this, state));
        if (pointCount_ <= 1)
            drawSegment(dc, points_[0], points_[1]);
        else
            dc.polyline(points_, 3);
        if (showsHandles(state))
        {
            for (const POINT& p : points_)
                drawHandle(dc, p);
        }
    }
    drawLabel(dc, *this, state);
}

void AngleGraphic::drawDescriptor(kwz::DrawContext& dc, int x, int y) const
{
    DescriptorLines lines = linesAt(dc, *this, x, y);
    if (marked(mark_, 0))
        lines.name({"角", "Angle"}, listNumber_);
    if (marked(mark_, 1))
        lines.angle({"角度", "Angle"}, angle_, angleUnit_);
}

void PolygonGraphic::draw(kwz::DrawContext& dc, int state)
{
    int placed = std::clamp(pointCount_, 0, kMaxPolygonVertices);
    {
        FigurePen pen(dc, penFor(*this, state));
        if (placed <= 1)
            drawSegment(dc, vertices_[0], vertices_[1]);
        else
            dc.polygon(vertices_, activeVertexCount());
        if (showsHandles(state))
        {
            for (int i = 0; i < placed; ++i)
                drawHandle(dc, vertices_[i]);
        }
    }
    // A polygon of one vertex is still a rubber band: no label yet.
    if (placed > 1)
        drawLabel(dc, *this, state);
}

void PolygonGraphic::drawDescriptor(kwz::DrawContext& dc, int x, int y) const
{
    DescriptorLines lines = linesAt(dc, *this, x, y);
    if (marked(mark_, 0))
        lines.name({"多边形", "Polygon"}, listNumber_);
    if (marked(mark_, 1))
        lines.count({"边数", "LineNum"}, pointCount_);
    if (marked(mark_, 2))
        lines.value(kPerimeter, perimeter_, measureUnit_);
    if (marked(mark_, 3))
        lines.area(kArea, area_, measureUnit_);
}

void TextGraphic::draw(kwz::DrawContext& dc, int state)
{
    if (!hasFont_ || !font_)
        return;
    dc.saveDC();
    dc.setBkMode(kwz::kBackgroundTransparent);
    dc.selectFont(font_.get());
    dc.setTextColor(state == kStateSelected  ? textSelected_
                    : state == kStateHovered ? textHovered_
                                             : textNormal_);
    if (!finished_)
    {
        // The frame shows where the text being typed goes.
        dc.selectPen(kwz::Pen{kwz::kPenDashDotDot, 1, textNormal_});
        dc.selectHollowBrush();
        SIZE extent = dc.textExtent(text_);
        long long right = position_.x;
        long long bottom = position_.y;
        if (text_[0] != '\0')
        {
            right += extent.cx;
            bottom += extent.cy;
        }
        else
        {
            const FontMetrics m = metrics();
            right += m.aveCharWidth;
            bottom += static_cast<long long>(m.height) + extent.cy;
        }
        dc.rectangle(position_.x, position_.y,
                     static_cast<int>(std::min<long long>(right, INT32_MAX)),
                     static_cast<int>(std::min<long long>(bottom, INT32_MAX)));
    }
    dc.textOut(position_.x, position_.y, text_);
    dc.restoreDC(-1);
}

} // namespace gaugit
