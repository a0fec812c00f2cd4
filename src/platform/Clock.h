#pragma once

namespace ambrin {

// Calendar time broken into fields, as the record keys and file names use it.
struct SystemTime {
    int year = 0;
    int month = 0;      // 1..12
    int dayOfWeek = 0;  // 0 Sunday .. 6 Saturday
    int day = 0;        // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milliseconds = 0;
};

SystemTime localTime();
SystemTime utcTime();

}  // namespace ambrin
