#include <new>
#include <stdexcept>

#include <gtest/gtest.h>

#include "platform/c_boundary.h"

TEST(GuardedCall, PassesTheResultAndTurnsWhatIsThrownIntoItsCodes)
{
    const kwz::FailureCodes codes{2, 31};
    EXPECT_EQ(kwz::guardedCall(codes, [] { return 25; }), 25);
    EXPECT_EQ(kwz::guardedCall(codes, []() -> int { throw std::bad_alloc(); }), 2);
    EXPECT_EQ(kwz::guardedCall(codes, []() -> int { throw std::bad_array_new_length(); }), 2);
    EXPECT_EQ(kwz::guardedCall(codes, []() -> int { throw std::runtime_error("x"); }), 31);
    EXPECT_EQ(kwz::guardedCall(codes, []() -> int { throw 7; }), 31);
}
