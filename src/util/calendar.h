// Calendar dates and times of file times (100-nanosecond intervals since 1 January 1601, UTC).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace arkstash::util {

struct CivilTime {
    int year = 1601;
    int month = 1;  // 1-12
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The UTC calendar time of a file time; none beyond what Windows converts (year 30827).
std::optional<CivilTime> civilTimeOf(std::uint64_t fileTime);
// "2026-12-06T13:01:26+00:00"; empty when the time is out of range.
std::string iso8601(std::uint64_t fileTime);

}  // namespace arkstash::util
