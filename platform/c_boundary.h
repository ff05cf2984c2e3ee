#pragma once
// The one way exported C functions catch failures: nothing thrown inside a library may reach
// a C caller, so every export runs its body through guardedCall.

#include <new>

namespace kwz {

// The result codes an export gives for failures it did not expect: memory that ran out, and
// anything else thrown.
struct FailureCodes
{
    int noMemory;
    int other;
};

template <typename Body> int guardedCall(FailureCodes codes, Body&& body) noexcept
{
    try
    {
        return body();
    }
    catch (const std::bad_alloc&)
    {
        return codes.noMemory;
    }
    catch (...)
    {
        return codes.other;
    }
}

} // namespace kwz
