#include "app/shell/local_time.h"

#include <QDateTime>
#include <cstdio>

#include <sys/stat.h>

namespace {

bool exists(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

} // namespace

LocalTime currentLocalTime()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();
    return {date.year(),   date.month(),  date.day(), time.hour(),
            time.minute(), time.second(), time.msec()};
}

std::string captureStamp(const LocalTime& t)
{
    char text[96];
    std::snprintf(text, sizeof text, "%d-%d-%d %d-%d-%d-%d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.millisecond);
    return text;
}

std::string recordStamp(const LocalTime& t)
{
    char text[80];
    std::snprintf(text, sizeof text, "%d-%d-%d %d-%d-%d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

std::string unusedFileName(const std::string& stem, const std::string& extension)
{
    std::string name = stem + extension;
    for (int n = 1; exists(name); ++n)
        name = stem + "_" + std::to_string(n) + extension;
    return name;
}
