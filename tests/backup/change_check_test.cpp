#include "backup/change_check.h"

#include <gtest/gtest.h>

namespace arkstash::backup {
namespace {

TEST(ChangedLines, CountsWhatAnEditAddsAndRemoves) {
    std::string many, lastHalf = "x\n";
    for (int i = 0; i < 9000; ++i) {
        many += "line " + std::to_string(i) + "\n";
        if (i >= 4500) lastHalf += "line " + std::to_string(i) + "\n";
    }
    struct Case {
        const char* what;
        std::string before, after;
        std::size_t added, removed;
    };
    const Case cases[] = {
        {"same", "a\r\nb\r\n", "a\r\nb\r\n", 0, 0},
        {"one edited", "a\r\nb\r\nc\r\n", "a\r\nB\r\nc\r\n", 1, 1},
        {"inserted and deleted", "a\nb\nc\nd\n", "x\na\nc\nd\ny\nz\n", 3, 1},
        {"moved", "a\nb\nc\n", "c\na\nb\n", 1, 1},
        {"line ends only", "a\r\nb\r\n", "a\nb\n", 0, 0},
        {"from nothing", "", "a\nb\n", 2, 0},
        // Past the exact search's reach: lines present on one side only.
        {"rewritten", many, lastHalf, 1, 4500},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto lines = countChangedLines(c.before, c.after);
        ASSERT_TRUE(lines);
        EXPECT_EQ(lines->added, c.added);
        EXPECT_EQ(lines->removed, c.removed);
    }
    EXPECT_FALSE(countChangedLines("text", std::string("bin\0ary", 7)));
}

}  // namespace
}  // namespace arkstash::backup
