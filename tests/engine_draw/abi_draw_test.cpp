#include <gtest/gtest.h>

#include "gaugit.h"
#include "platform/testing/recording_context.h"

namespace {

TEST(GtDraw, NullHandleAndNullContext)
{
    kwz::RecordingContext dc;
    EXPECT_EQ(GtDraw(nullptr, kwz::toHdc(&dc)), GAUGIT_NULL_HANDLE);
    HGAUGIT handle = nullptr;
    ASSERT_EQ(GaugitInitial(&handle), GAUGIT_OK);
    EXPECT_EQ(GtDraw(handle, nullptr), GAUGIT_OK);
    EXPECT_EQ(GtDraw(handle, kwz::toHdc(&dc)), GAUGIT_OK);
    EXPECT_TRUE(dc.calls.empty()); // no ruler yet
    GaugitUnInitialize(&handle);
}

TEST(GtDraw, DrawsThroughTheLibraryOntoTheCallersContext)
{
    HGAUGIT handle = nullptr;
    ASSERT_EQ(GaugitInitial(&handle), GAUGIT_OK);
    GtSetMeasureLanguage(handle, ZQ_ENGLISH);
    GtSetMeasureUnit(handle, ZQ_MM);
    GtSetRuler(handle, POINT{0, 0}, POINT{100, 0}, ZQ_MM, 10.0f);
    kwz::RecordingContext dc;
    EXPECT_EQ(GtDraw(handle, kwz::toHdc(&dc)), GAUGIT_OK);
    EXPECT_EQ(dc.texts(), (std::vector<std::string>{"Ruler", "RulerUnit: MM", "Length: 10.00MM"}));
    EXPECT_EQ(dc.openSaves(), 0);
    GtSetMeasureLanguage(handle, ZQ_CHINESE);
    GaugitUnInitialize(&handle);
}

} // namespace
