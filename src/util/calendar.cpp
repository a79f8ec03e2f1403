#include "util/calendar.h"

#include <cstdio>

namespace arkstash::util {

std::optional<CivilTime> civilTimeOf(std::uint64_t fileTime) {
    constexpr std::uint64_t kMaxFileTime = 0x7FFFFFFFFFFFFFFFULL;
    constexpr std::uint64_t kTicksPerDay = 864000000000ULL;
    if (fileTime > kMaxFileTime) return std::nullopt;
    auto days = static_cast<std::int64_t>(fileTime / kTicksPerDay);
    auto secondOfDay = static_cast<int>((fileTime % kTicksPerDay) / 10000000ULL);
    // Count from 0000-03-01 of the proleptic Gregorian calendar (1601-01-01 is its day 584694),
    // so that leap days fall at the end of each counted year.
    std::int64_t z = days + 584694;
    std::int64_t era = z / 146097;
    std::int64_t dayOfEra = z - era * 146097;
    std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    CivilTime t;
    t.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    t.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    t.year = static_cast<int>(yearOfEra + era * 400 + (t.month <= 2 ? 1 : 0));
    t.hour = secondOfDay / 3600;
    t.minute = secondOfDay / 60 % 60;
    t.second = secondOfDay % 60;
    return t;
}

std::string iso8601(std::uint64_t fileTime) {
    auto t = civilTimeOf(fileTime);
    if (!t) return {};
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d+00:00", t->year, t->month,
                  t->day, t->hour, t->minute, t->second);
    return buf;
}

}  // namespace arkstash::util
