// The C boundary: null handles, result codes and the exports' plumbing into the engine.

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gaugit.h"
#include "platform/testing/fake_clock.h"

namespace {

class Instance
{
  public:
    Instance() { EXPECT_EQ(GaugitInitial(&h), GAUGIT_OK); }
    ~Instance() { GaugitUnInitialize(&h); }
    HGAUGIT h = nullptr;
};

} // namespace

TEST(GaugitAbi, NullHandleGivesOneFromEveryExport)
{
    POINT p{0, 0};
    RECT r{0, 0, 0, 0};
    int i = 0;
    short s = 0;
    float f = 0;
    COLORREF c = 0;
    ZQUNIT u = ZQ_UM;
    ZQANGLEUNIT a = ZQ_DEGREE;
    char face[64] = {};
    uint32_t mark = 0;
    const std::vector<std::function<int()>> calls = {
        [&] { return GtSetMeasureLanguage(nullptr, ZQ_ENGLISH); },
        [&] { return GtSetMeasureUnit(nullptr, ZQ_MM); },
        [&] { return GtGetMeasureUnit(nullptr, &u); },
        [&] { return GtSetAngleUnit(nullptr, ZQ_RADIAN); },
        [&] { return GtGetAngleUnit(nullptr, &a); },
        [&] { return GtSetPrecision(nullptr, 3); },
        [&] { return GtGetPrecision(nullptr, &s); },
        [&] { return GtHideDescriptor(nullptr, 1); },
        [&] { return GtSetRuler(nullptr, p, p, ZQ_MM, 1.0f); },
        [&] { return GtGetRuler(nullptr, &p, &p, &u, &f); },
        [&] { return GtSetRulerUnitAndLength(nullptr, ZQ_MM, 1.0f); },
        [&] { return GtGetRulerUnitAndLength(nullptr, &u, &f); },
        [&] { return GtHideRuler(nullptr, 1); },
        [&] { return GtSetTxtFont(nullptr, "x", 1, 1, 2, 3); },
        [&] { return GtGetTxtFont(nullptr, face, &i, &c, &c, &c); },
        [&] { return GtSetDescFont(nullptr, "x", 1); },
        [&] { return GtGetDescFont(nullptr, face, &i); },
        [&] { return GaugitSetPen(nullptr, 0, 1, 1, 2, 3); },
        [&] { return GaugitGetPen(nullptr, &i, &i, &c, &c, &c); },
        [&] { return GaugitSetRulerPen(nullptr, 0, 1, 1, 2, 3); },
        [&] { return GaugitGetRulerPen(nullptr, &i, &i, &c, &c, &c); },
        [&] { return GtGetBoundingRect(nullptr, &r); },
        [&] { return GtMoveGraphic(nullptr, 1, 1); },
        [&] { return GtIsHitGraphic(nullptr, 1, 1); },
        [&] { return GtIsPassGraphic(nullptr, 1, 1); },
        [&] { return GtClearHitGraphic(nullptr); },
        [&] { return GtClearAllGraphic(nullptr); },
        [&] { return GtStartGraphic(nullptr, p, GT_LINE); },
        [&] { return GtAddPointToGraphic(nullptr, p); },
        [&] { return GtAddStringToGraphic(nullptr, "x"); },
        [&] { return GtChangePointToGraphic(nullptr, p); },
        [&] { return GtFinishGraphic(nullptr); },
        [&] { return GtGetConstruction(nullptr, nullptr, &i); },
        [&] { return GaugitSetLineMark(nullptr, &mark); },
        [&] { return GaugitSetRectMark(nullptr, &mark); },
        [&] { return GaugitSetCircleMark(nullptr, &mark); },
        [&] { return GaugitSetEllipseMark(nullptr, &mark); },
        [&] { return GaugitSetAngleMark(nullptr, &mark); },
        [&] { return GaugitSetPolyLineMark(nullptr, &mark); },
    };
    for (std::size_t k = 0; k < calls.size(); ++k)
        EXPECT_EQ(calls[k](), GAUGIT_NULL_HANDLE) << "call " << k;
    // Nothing was written through the output pointers.
    EXPECT_EQ(i, 0);
    EXPECT_EQ(f, 0.0f);
    EXPECT_EQ(face[0], '\0');

    HGAUGIT none = nullptr;
    EXPECT_EQ(GaugitUnInitialize(&none), GAUGIT_NULL_HANDLE);
    EXPECT_EQ(GaugitUnInitialize(nullptr), GAUGIT_NULL_HANDLE);
    EXPECT_EQ(GaugitInitial(nullptr), GAUGIT_FAILED);
}

TEST(GaugitAbi, InitialAndUnInitializeClearTheHandle)
{
    HGAUGIT h = nullptr;
    ASSERT_EQ(GaugitInitial(&h), GAUGIT_OK);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GaugitUnInitialize(&h), GAUGIT_OK);
    EXPECT_EQ(h, nullptr);
}

TEST(GaugitAbi, DefaultsOfANewInstance)
{
    Instance e;
    int style = -1, width = -1, height = -1;
    COLORREF normal = 0, hovered = 0, selected = 0;
    ASSERT_EQ(GaugitGetPen(e.h, &style, &width, &normal, &hovered, &selected), GAUGIT_OK);
    EXPECT_EQ(style, 0);
    EXPECT_EQ(width, 1);
    EXPECT_EQ(normal, 0xFF0000u);
    EXPECT_EQ(selected, 0x0000FFu);
    EXPECT_EQ(hovered, 0x00FF00u);
    char face[64];
    ASSERT_EQ(GtGetTxtFont(e.h, face, &height, &normal, &hovered, &selected), GAUGIT_OK);
    EXPECT_STREQ(face, "Times New Roman");
    EXPECT_EQ(height, 14);
    ASSERT_EQ(GtGetDescFont(e.h, face, &height), GAUGIT_OK);
    EXPECT_STREQ(face, "Times New Roman");
    ZQUNIT unit = ZQ_INCH;
    ZQANGLEUNIT angle = ZQ_RADIAN;
    GtGetMeasureUnit(e.h, &unit);
    GtGetAngleUnit(e.h, &angle);
    EXPECT_EQ(unit, ZQ_UM);
    EXPECT_EQ(angle, ZQ_DEGREE);
}

TEST(GaugitAbi, WithoutARulerTheRulerBoundCallsDoNothing)
{
    Instance e;
    const POINT p{5, 5};
    EXPECT_EQ(GtStartGraphic(e.h, p, GT_LINE), GAUGIT_NO_RULER);
    uint32_t mark = 1;
    EXPECT_EQ(GaugitSetLineMark(e.h, &mark), GAUGIT_FAILED);
    EXPECT_EQ(GaugitSetPolyLineMark(e.h, &mark), GAUGIT_FAILED);
    EXPECT_EQ(GaugitSetRulerPen(e.h, 0, 1, 1, 2, 3), GAUGIT_FAILED);
    int width = -7;
    EXPECT_EQ(GaugitGetRulerPen(e.h, nullptr, &width, nullptr, nullptr, nullptr), GAUGIT_FAILED);
    EXPECT_EQ(width, -7);
    EXPECT_EQ(GtSetPrecision(e.h, 5), GAUGIT_OK);
    short precision = -1;
    EXPECT_EQ(GtGetPrecision(e.h, &precision), GAUGIT_OK);
    EXPECT_EQ(precision, -1);
    POINT a{-1, -1};
    float length = -1;
    EXPECT_EQ(GtGetRuler(e.h, &a, &a, nullptr, &length), GAUGIT_OK);
    EXPECT_EQ(a.x, -1);
    EXPECT_EQ(length, -1.0f);
    EXPECT_EQ(GtIsHitGraphic(e.h, 5, 5), GAUGIT_FAILED);

    EXPECT_EQ(GtSetRuler(e.h, POINT{0, 0}, POINT{100, 0}, ZQ_MM, 1.0f), GAUGIT_OK);
    EXPECT_EQ(GtSetPrecision(e.h, 4), GAUGIT_OK);
    EXPECT_EQ(GtGetPrecision(e.h, &precision), GAUGIT_OK);
    EXPECT_EQ(precision, 4);
    EXPECT_EQ(GaugitSetLineMark(e.h, &mark), GAUGIT_OK);
    EXPECT_EQ(GaugitSetLineMark(e.h, nullptr), GAUGIT_FAILED);
    EXPECT_EQ(GaugitSetRulerPen(e.h, 2, 3, 4, 5, 6), GAUGIT_OK);
    COLORREF hovered = 0;
    EXPECT_EQ(GaugitGetRulerPen(e.h, nullptr, &width, nullptr, &hovered, nullptr), GAUGIT_OK);
    EXPECT_EQ(width, 3);
    EXPECT_EQ(hovered, 5u);
    EXPECT_EQ(GtStartGraphic(e.h, p, GT_LINE), GAUGIT_OK);
}

TEST(GaugitAbi, RulerRoundTripsAndGetsItsUnitAndLength)
{
    Instance e;
    GtSetRuler(e.h, POINT{3, 4}, POINT{103, 4}, ZQ_CM, 2.5f);
    POINT a{}, b{};
    ZQUNIT unit = ZQ_UM;
    float length = 0;
    GtGetRuler(e.h, &a, &b, &unit, &length);
    EXPECT_EQ(a.x, 3);
    EXPECT_EQ(b.x, 103);
    EXPECT_EQ(unit, ZQ_CM);
    EXPECT_EQ(length, 2.5f);
    GtSetRulerUnitAndLength(e.h, ZQ_INCH, 1.0f);
    GtGetRulerUnitAndLength(e.h, &unit, &length);
    EXPECT_EQ(unit, ZQ_INCH);
    EXPECT_EQ(length, 1.0f);
}

TEST(GaugitAbi, ConstructionHitAndDeleteThroughTheExports)
{
    kwz::FakeClock clock(5000);
    Instance e;
    GtSetRuler(e.h, POINT{0, 500}, POINT{100, 500}, ZQ_MM, 10.0f);
    ASSERT_EQ(GtStartGraphic(e.h, POINT{100, 100}, GT_LINE), GAUGIT_OK);
    clock.advance(20);
    GtChangePointToGraphic(e.h, POINT{150, 100}); // too soon: dropped
    clock.advance(20);
    GtChangePointToGraphic(e.h, POINT{200, 100});
    GtAddPointToGraphic(e.h, POINT{200, 100});
    EXPECT_EQ(GtAddStringToGraphic(e.h, "no"), GAUGIT_FAILED);
    GtFinishGraphic(e.h);
    EXPECT_EQ(GtIsHitGraphic(e.h, 150, 100), GAUGIT_OK);
    RECT r{};
    GtGetBoundingRect(e.h, &r);
    EXPECT_LE(r.left, 90);
    EXPECT_GE(r.right, 210);
    GtMoveGraphic(e.h, 0, 50);
    EXPECT_EQ(GtIsHitGraphic(e.h, 150, 100), GAUGIT_FAILED);
    EXPECT_EQ(GtIsHitGraphic(e.h, 150, 150), GAUGIT_OK);
    clock.advance(40);
    EXPECT_EQ(GtIsPassGraphic(e.h, 150, 150), GAUGIT_OK);
    clock.advance(40);
    GtHideRuler(e.h, 1);
    EXPECT_EQ(GtIsPassGraphic(e.h, 50, 500), GAUGIT_FAILED);
    EXPECT_EQ(GtClearHitGraphic(e.h), GAUGIT_OK);
    EXPECT_EQ(GtIsHitGraphic(e.h, 150, 150), GAUGIT_FAILED);
    EXPECT_EQ(GtClearAllGraphic(e.h), GAUGIT_OK);
}

namespace {

struct Construction
{
    GRAPHICTYPE type;
    int points;
    bool operator==(const Construction&) const = default;
};

Construction construction(HGAUGIT h)
{
    Construction c{GT_RULER, -1};
    EXPECT_EQ(GtGetConstruction(h, &c.type, &c.points), GAUGIT_OK);
    return c;
}

} // namespace

TEST(GaugitAbi, ConstructionEndsWithTheLastPointOfEachKind)
{
    Instance e;
    GtSetRuler(e.h, POINT{0, 500}, POINT{100, 500}, ZQ_MM, 10.0f);
    EXPECT_EQ(construction(e.h), (Construction{GT_NULL, 0}));
    struct Case
    {
        GRAPHICTYPE type;
        int points;
    };
    for (const Case& k : {Case{GT_LINE, 2}, Case{GT_RECT, 2}, Case{GT_CIRCLE_DIAMETER, 2},
                          Case{GT_CIRCLE_CENTRE, 2}, Case{GT_CIRCLE_3POINTS, 3},
                          Case{GT_ELLIPSE_BOX, 2}, Case{GT_ELLIPSE_CENTRE, 2}, Case{GT_ANGLE, 3}})
    {
        GtStartGraphic(e.h, POINT{10, 10}, k.type);
        for (int placed = 1; placed < k.points; ++placed)
        {
            EXPECT_EQ(construction(e.h), (Construction{k.type, placed})) << k.type;
            GtAddPointToGraphic(e.h, POINT{10 + 40 * placed, 10 + 30 * (placed % 2)});
        }
        EXPECT_EQ(construction(e.h), (Construction{GT_NULL, 0})) << k.type;
    }
    // A polygon stays open until it is finished, or full at 31 vertices.
    GtStartGraphic(e.h, POINT{10, 10}, GT_POLYGON);
    GtAddPointToGraphic(e.h, POINT{50, 10});
    GtAddPointToGraphic(e.h, POINT{50, 50});
    EXPECT_EQ(construction(e.h), (Construction{GT_POLYGON, 3}));
    GtFinishGraphic(e.h);
    EXPECT_EQ(construction(e.h), (Construction{GT_NULL, 0}));
    GtStartGraphic(e.h, POINT{0, 0}, GT_POLYGON);
    for (int v = 1; v < 31; ++v)
        GtAddPointToGraphic(e.h, POINT{v * 5, (v % 2) * 20});
    EXPECT_EQ(construction(e.h), (Construction{GT_NULL, 0}));
    // A text, typed or not, until it is finished.
    GtStartGraphic(e.h, POINT{10, 10}, GT_TEXT);
    GtAddStringToGraphic(e.h, "abc");
    EXPECT_EQ(construction(e.h), (Construction{GT_TEXT, 1}));
    GtFinishGraphic(e.h);
    EXPECT_EQ(construction(e.h), (Construction{GT_NULL, 0}));
    // Selecting a finished polygon opens nothing.
    GtStartGraphic(e.h, POINT{100, 100}, GT_POLYGON);
    GtAddPointToGraphic(e.h, POINT{200, 100});
    GtAddPointToGraphic(e.h, POINT{150, 200});
    GtFinishGraphic(e.h);
    EXPECT_EQ(GtIsHitGraphic(e.h, 150, 100), GAUGIT_OK);
    EXPECT_EQ(construction(e.h), (Construction{GT_NULL, 0}));
}

TEST(GaugitAbi, NothingIsBuiltWithoutARuler)
{
    Instance e;
    EXPECT_EQ(GtStartGraphic(e.h, POINT{10, 10}, GT_LINE), GAUGIT_NO_RULER);
    EXPECT_EQ(construction(e.h), (Construction{GT_NULL, 0}));
    EXPECT_EQ(GtGetConstruction(e.h, nullptr, nullptr), GAUGIT_OK);
}

TEST(GaugitAbi, LongFaceNamesAreCut)
{
    Instance e;
    const std::string longFace(100, 'f');
    GtSetDescFont(e.h, longFace.c_str(), 9);
    char face[64];
    int height = 0;
    GtGetDescFont(e.h, face, &height);
    EXPECT_EQ(std::strlen(face), 63u);
    EXPECT_EQ(height, 9);
    GtSetTxtFont(e.h, nullptr, 10, 1, 2, 3);
    COLORREF normal = 0, hovered = 0, selected = 0;
    GtGetTxtFont(e.h, face, &height, &normal, &hovered, &selected);
    EXPECT_STREQ(face, "");
    EXPECT_EQ(hovered, 2u);
    EXPECT_EQ(selected, 3u);
}
