// The shared library exports exactly the engine's C functions, unmangled, and nothing else.

#include <cstdio>
#include <set>
#include <string>

#include <gtest/gtest.h>

TEST(GaugitExports, ExactlyTheCFunctions)
{
    const std::string command =
        std::string("nm -D --defined-only ") + GAUGIT_LIBRARY + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        GTEST_SKIP() << "nm is not available";
    std::set<std::string> found;
    char line[512];
    while (std::fgets(line, sizeof line, pipe))
    {
        char type = 0;
        char name[400] = {};
        if (std::sscanf(line, "%*s %c %399s", &type, name) == 2)
            found.insert(name);
    }
    if (pclose(pipe) != 0 && found.empty())
        GTEST_SKIP() << "nm failed";
    const std::set<std::string> expected = {"GaugitInitial",
                                            "GaugitUnInitialize",
                                            "GtSetMeasureLanguage",
                                            "GtSetMeasureUnit",
                                            "GtGetMeasureUnit",
                                            "GtSetAngleUnit",
                                            "GtGetAngleUnit",
                                            "GtSetPrecision",
                                            "GtGetPrecision",
                                            "GtHideDescriptor",
                                            "GtSetRuler",
                                            "GtGetRuler",
                                            "GtSetRulerUnitAndLength",
                                            "GtGetRulerUnitAndLength",
                                            "GtSetTxtFont",
                                            "GtGetTxtFont",
                                            "GtSetDescFont",
                                            "GtGetDescFont",
                                            "GtGetBoundingRect",
                                            "GtDraw",
                                            "GtMoveGraphic",
                                            "GtIsHitGraphic",
                                            "GtIsPassGraphic",
                                            "GtClearHitGraphic",
                                            "GtClearAllGraphic",
                                            "GaugitRead",
                                            "GaugitWrite",
                                            "GaugitSetPen",
                                            "GaugitGetPen",
                                            "GaugitSetRulerPen",
                                            "GaugitGetRulerPen",
                                            "GtHideRuler",
                                            "GtStartGraphic",
                                            "GtAddPointToGraphic",
                                            "GtAddStringToGraphic",
                                            "GtChangePointToGraphic",
                                            "GtFinishGraphic",
                                            "GaugitSetLineMark",
                                            "GaugitSetRectMark",
                                            "GaugitSetCircleMark",
                                            "GaugitSetEllipseMark",
                                            "GaugitSetAngleMark",
                                            "GaugitSetPolyLineMark"};
    EXPECT_EQ(expected.size(), 43u);
    EXPECT_EQ(found, expected);
}
