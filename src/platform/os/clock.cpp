#include "platform/os/clock.h"

#include <ctime>

namespace arkstash::os {

DateTime SystemClock::now() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return DateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                    tm.tm_min,         tm.tm_sec,     tm.tm_wday};
}

int weekdayOf(int year, int month, int day) {
    // Sakamoto's method.
    static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3) year -= 1;
    return (year + year / 4 - year / 100 + year / 400 + offsets[month - 1] + day) % 7;
}

}  // namespace arkstash::os
