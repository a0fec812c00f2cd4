#include "platform/Clock.h"

#include <ctime>

namespace ambrin {

namespace {

SystemTime fromTm(const std::tm& tm, long nanoseconds) {
    SystemTime out;
    out.year = tm.tm_year + 1900;
    out.month = tm.tm_mon + 1;
    out.dayOfWeek = tm.tm_wday;
    out.day = tm.tm_mday;
    out.hour = tm.tm_hour;
    out.minute = tm.tm_min;
    out.second = tm.tm_sec > 59 ? 59 : tm.tm_sec;  // a leap second reads as :59
    out.milliseconds = static_cast<int>(nanoseconds / 1000000);
    return out;
}

}  // namespace

SystemTime localTime() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::tm tm{};
    ::localtime_r(&now.tv_sec, &tm);
    return fromTm(tm, now.tv_nsec);
}

SystemTime utcTime() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::tm tm{};
    ::gmtime_r(&now.tv_sec, &tm);
    return fromTm(tm, now.tv_nsec);
}

}  // namespace ambrin
