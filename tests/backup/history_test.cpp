#include "backup/history.h"

#include <gtest/gtest.h>

namespace arkstash::backup {
namespace {

TEST(ArchiveNames, OnlyThisProjectsOwnNamesAreItsArchives) {
    struct Case {
        const char* file;
        bool ours, dated, incomplete;
    };
    const Case cases[] = {
        {"Sales.zip", true, false, false},
        {"Sales_01-02-2026_101010.zip", true, true, false},
        {"Sales.incomplete.zip", true, false, true},
        {"Sales_01-02-2026_101010.incomplete.zip", true, true, true},
        {"Sales2_01-02-2026_101010.zip", false},
        {"Sales_Old.zip", false},
        {"Sales_13-02-2026_101010.zip", false},  // no thirteenth month
        {"Sales_01-02-2026_101060.zip", false},
        {"Sales_01-02-2026_1010100.zip", false},
        {"sales.zip", false},
        {"Sales.zip.tmp", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        auto name = parseArchiveName("Sales", c.file);
        ASSERT_EQ(name.has_value(), c.ours);
        if (!name) continue;
        EXPECT_EQ(name->dated, c.dated);
        EXPECT_EQ(name->incomplete, c.incomplete);
    }
    EXPECT_EQ(parseArchiveName("Sales", "Sales_01-02-2026_101010.zip")->date.hour, 10);
    EXPECT_EQ(archiveStem("/p/Sales.vbp"), "Sales");
}

TEST(ArchiveNames, TheArchiveJustWrittenIsKeptWhateverItsDate) {
    auto dated = [](const std::string& path, int year) {
        return ProjectArchive{path, path, {true, false, {year}}, {year}, 0};
    };
    // Sorted newest first, as projectArchives gives them; a clock set wrong dated this run 2001.
    std::vector<ProjectArchive> all = {dated("c", 2003), dated("b", 2002), dated("a", 2001)};
    auto beyond = archivesBeyond(all, 1, "a");
    ASSERT_EQ(beyond.size(), 2u);
    EXPECT_EQ(beyond[0].path, "c");
    EXPECT_EQ(beyond[1].path, "b");
    EXPECT_TRUE(archivesBeyond(all, 3, "a").empty());
}

}  // namespace
}  // namespace arkstash::backup
