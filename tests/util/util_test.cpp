#include <gtest/gtest.h>

#include "projectview/file_row.h"
#include "util/calendar.h"
#include "util/paths.h"
#include "util/strings.h"

using namespace arkstash;

TEST(Paths, PiecesOfPathsWithEitherSeparator) {
    struct Case {
        const char* path;
        const char* title;
        const char* dir;
        bool hasSeparator;
    } cases[] = {
        {"D:\\Work\\Sales.vbp", "Sales.vbp", "D:\\Work\\", true},
        {"/home/me/Sales.vbp", "Sales.vbp", "/home/me/", true},
        {"D:\\Work\\", "", "D:\\Work\\", true},
        {"Sales.vbp", "", "", false},
        {"", "", "", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(util::FileTitle(c.path), c.title) << c.path;
        EXPECT_EQ(util::DirOf(c.path), c.dir) << c.path;
        EXPECT_EQ(util::LastPathPart(c.path).has_value(), c.hasSeparator) << c.path;
    }
    EXPECT_EQ(util::JoinPath("D:\\Backup", "A.zip"), "D:\\Backup\\A.zip");
    EXPECT_EQ(util::JoinPath("D:\\", "A.zip"), "D:\\A.zip");
    EXPECT_EQ(util::JoinPath("/srv/backup", "A.zip"), "/srv/backup/A.zip");
}

TEST(Strings, CharactersNotBytesAreCutAndLinesEndThreeWays) {
    EXPECT_EQ(util::withoutLastCharacters("Grüße.frm", 4), "Grüße");
    EXPECT_EQ(util::withoutLastCharacters("Größe", 2), "Grö");
    EXPECT_FALSE(util::withoutLastCharacters("a.b", 4));
    auto lines = util::splitLines("a\r\nb\rc\nd\r\n");
    EXPECT_EQ(lines, (std::vector<std::string_view>{"a", "b", "c", "d"}));
    EXPECT_EQ(util::untilNul(std::string("ab\0cd", 5)), "ab");
}

TEST(Calendar, FileTimesAreTakenAsUtcWithoutLocalConversion) {
    // 2026-12-31 23:59:59 UTC, and the leap day of 2024 at noon.
    const std::uint64_t newYearsEve = 134432351990000000ULL;
    EXPECT_EQ(projectview::FormatFileDate(newYearsEve), "31 Dec 2026");
    EXPECT_EQ(util::iso8601(newYearsEve), "2026-12-31T23:59:59+00:00");
    EXPECT_EQ(util::iso8601(133536816000000000ULL), "2024-02-29T12:00:00+00:00");
    EXPECT_EQ(projectview::FormatFileDate(0), "01 Jan 1601");
    EXPECT_EQ(projectview::FormatFileDate(0x8000000000000000ULL), "");
}

TEST(Formats, SizesGroupByThreesAndZeroShowsNothing) {
    EXPECT_EQ(projectview::FormatFileSize(0), "");
    EXPECT_EQ(projectview::FormatFileSize(999), "999");
    EXPECT_EQ(projectview::FormatFileSize(1234567), "1,234,567");
    EXPECT_EQ(projectview::FormatFileSize(5368709120ULL), "5,368,709,120");
}
