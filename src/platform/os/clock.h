// The current local date and time.
#pragma once

#include <functional>

namespace arkstash::os {

struct DateTime {
    int year = 1970;
    int month = 1;  // 1-12
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 4;  // 0 Sunday .. 6 Saturday
};

class Clock {
  public:
    virtual ~Clock() = default;
    virtual DateTime now() = 0;
};

class SystemClock : public Clock {
  public:
    DateTime now() override;
};

class FixedClock : public Clock {
  public:
    explicit FixedClock(DateTime t) : time(t) {}
    DateTime time;
    DateTime now() override { return time; }
};

// Weekday of a calendar date (0 Sunday .. 6 Saturday).
int weekdayOf(int year, int month, int day);

}  // namespace arkstash::os
