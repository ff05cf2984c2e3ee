#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/message_box.h"
#include "platform/testing/fake_clock.h"
#include "platform/trace.h"

extern "C" int kwzProbeMessageBox(const char* text);
extern "C" void kwzProbeTrace(const char* text);
extern "C" uint32_t kwzProbeTick();

namespace {

struct Recorder
{
    std::vector<std::string> texts;
    std::vector<unsigned> types;
};

int recordBox(void* context, HWND, const char* text, const char* caption, unsigned type)
{
    auto* recorder = static_cast<Recorder*>(context);
    recorder->texts.push_back(std::string(caption) + "|" + text);
    recorder->types.push_back(type);
    return kwz::IDYES;
}

void recordTrace(void* context, std::string_view text)
{
    static_cast<Recorder*>(context)->texts.emplace_back(text);
}

} // namespace

TEST(PlatformHooks, HandlerInstalledByTheProgramIsCalledInsideASharedLibrary)
{
    Recorder recorder;
    kwz::setMessageBoxHandler(&recordBox, &recorder);
    EXPECT_EQ(kwzProbeMessageBox("from the library"), kwz::IDYES);
    kwz::setMessageBoxHandler(nullptr, nullptr);
    ASSERT_EQ(recorder.texts.size(), 1u);
    EXPECT_EQ(recorder.texts[0], "probe|from the library");
    EXPECT_EQ(recorder.types[0], unsigned(kwz::MB_YESNO | kwz::MB_DEFBUTTON2));
}

TEST(PlatformHooks, WithoutHandlerTheDefaultButtonAnswers)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(kwzProbeMessageBox("nobody clicks"), kwz::IDNO);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("probe: nobody clicks"),
              std::string::npos);
}

TEST(PlatformHooks, TraceSinkAndFakeClockReachTheLibrary)
{
    Recorder recorder;
    kwz::setTraceSink(&recordTrace, &recorder);
    kwzProbeTrace("traced");
    kwz::traceFormat("%s %d", "value", 42);
    kwz::setTraceSink(nullptr, nullptr);
    kwzProbeTrace("not recorded");
    EXPECT_EQ(recorder.texts, (std::vector<std::string>{"traced", "value 42"}));

    kwz::FakeClock clock(1234);
    EXPECT_EQ(kwzProbeTick(), 1234u);
    clock.advance(40);
    EXPECT_EQ(kwzProbeTick(), 1274u);
}

TEST(PlatformHooks, TraceGoesToStderrAsUtf8OnlyWhenAskedFor)
{
    // KWZ_TRACE counts as it was when the process first traced.
    ASSERT_EQ(std::getenv("KWZ_TRACE"), nullptr);
    kwzProbeTrace("first");
    setenv("KWZ_TRACE", "1", 1);
    testing::internal::CaptureStderr();
    kwzProbeTrace("silent");
    EXPECT_FALSE(kwz::tracing());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    unsetenv("KWZ_TRACE");

    kwz::setStderrTrace(true);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(kwz::tracing());
    kwzProbeTrace("\xCF\xFB\xBA\xC4:5"); // 消耗:5 in GBK
    kwz::traceFormat("line %d\n", 2);
    kwz::setStderrTrace(false);
    kwzProbeTrace("silent again");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "消耗:5\nline 2\n");
}

struct DefaultAnswerCase
{
    unsigned type;
    int answer;
};

class DefaultAnswer : public testing::TestWithParam<DefaultAnswerCase>
{
};

TEST_P(DefaultAnswer, IsTheDefaultButtonOfTheSet)
{
    EXPECT_EQ(kwz::defaultAnswer(GetParam().type), GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(
    ButtonSets, DefaultAnswer,
    testing::Values(DefaultAnswerCase{kwz::MB_OK | kwz::MB_ICONERROR, kwz::IDOK},
                    DefaultAnswerCase{kwz::MB_OKCANCEL | kwz::MB_DEFBUTTON2, kwz::IDCANCEL},
                    DefaultAnswerCase{kwz::MB_YESNO, kwz::IDYES},
                    DefaultAnswerCase{kwz::MB_YESNO | kwz::MB_DEFBUTTON2, kwz::IDNO},
                    DefaultAnswerCase{kwz::MB_YESNOCANCEL | kwz::MB_DEFBUTTON3, kwz::IDCANCEL},
                    // A default button beyond the set falls back to the first.
                    DefaultAnswerCase{kwz::MB_OK | kwz::MB_DEFBUTTON3, kwz::IDOK}),
    [](const testing::TestParamInfo<DefaultAnswerCase>& info) {
        return "Type" + std::to_string(info.param.type);
    });
