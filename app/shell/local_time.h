#pragma once
// The wall clock of capture and recording names: local time to the millisecond. Windows take
// it through a LocalClock so that tests can give them a time of their own.

#include <functional>
#include <string>

struct LocalTime
{
    int year = 0;
    int month = 0; // 1 to 12
    int day = 0;   // of the month
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

using LocalClock = std::function<LocalTime()>;

// The local time now.
LocalTime currentLocalTime();

// "%d-%d-%d %d-%d-%d-%d" of year to millisecond, without leading zeros: the stamp of a capture.
std::string captureStamp(const LocalTime& t);
// "%d-%d-%d %d-%d-%d" of year to second: the stamp of a recording.
std::string recordStamp(const LocalTime& t);

// `stem` + `extension` when no such file exists; otherwise the first free one of
// `stem` + "_1" + `extension`, "_2" ..., so a second file of the same stamp never replaces
// the first.
std::string unusedFileName(const std::string& stem, const std::string& extension);
