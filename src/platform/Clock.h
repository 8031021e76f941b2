#pragma once
// Local time as the unit's clock wants it; injectable so tests need no real clock.
#include <functional>

struct LocalTime {
    int year = 2000;     // e.g. 2010
    int month = 1;       // 1 to 12
    int day = 1;         // 1 to 31
    int weekday = 1;     // 1 = Sunday to 7 = Saturday
    int hour = 0;
    int minute = 0;
    int second = 0;
};

using ClockSource = std::function<LocalTime()>;

LocalTime SystemLocalTime();
