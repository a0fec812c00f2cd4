#include "records/RecordKey.h"

#include <cstdio>

namespace ambrin {

std::string recordKeyFor(const SystemTime& time) {
    char key[64];
    std::snprintf(key, sizeof key, "%d%02d%02d%02d%02d%02d", time.year, time.month, time.day,
                  time.hour, time.minute, time.second);
    return key;
}

std::string currentRecordKey() {
    return recordKeyFor(localTime());
}

std::string recordKeyAt(std::time_t time) {
    std::tm tm{};
    ::localtime_r(&time, &tm);
    SystemTime fields;
    fields.year = tm.tm_year + 1900;
    fields.month = tm.tm_mon + 1;
    fields.day = tm.tm_mday;
    fields.hour = tm.tm_hour;
    fields.minute = tm.tm_min;
    fields.second = tm.tm_sec > 59 ? 59 : tm.tm_sec;
    return recordKeyFor(fields);
}

std::optional<std::time_t> timeOfRecordKey(const std::string& key) {
    std::tm tm{};
    int consumed = 0;
    if (key.size() != 14 ||
        std::sscanf(key.c_str(), "%4d%2d%2d%2d%2d%2d%n", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                    &tm.tm_hour, &tm.tm_min, &tm.tm_sec, &consumed) != 6 ||
        consumed != 14) {
        return std::nullopt;
    }
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    tm.tm_isdst = -1;  // the key is local time; let the library decide about summer time
    const std::time_t time = std::mktime(&tm);
    if (time == static_cast<std::time_t>(-1)) {
        return std::nullopt;
    }
    return time;
}

}  // namespace ambrin
