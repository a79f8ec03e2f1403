#include "platform/archive/archive_check.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "platform/archive/archive_test_support.h"
#include "platform/archive/libzip_engine.h"
#include "support/temp_dir.h"

namespace arkstash::archive {
namespace {

class ArchiveCheckTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    std::string archive;

    void SetUp() override {
        archive = dir / "A.zip";
        test::writeArchive({dir.write("p/A.frm", test::sourceText(500)),
                            dir.write("p/B.frx", test::randomBytes(40000, 1))},
                           archive);
        ASSERT_TRUE(dir.exists("A.zip"));
    }
    std::string bytes() { return dir.read("A.zip"); }
    void rewrite(const std::string& content) {
        std::ofstream f(archive, std::ios::binary | std::ios::trunc);
        f << content;
    }
};

TEST_F(ArchiveCheckTest, AGoodArchiveHasNoProblemsAndReportsProgressToTheEnd) {
    std::vector<int> percents;
    auto check = CheckArchive(archive, "", [&](int p) { percents.push_back(p); });
    EXPECT_TRUE(check.ok());
    ASSERT_EQ(check.entries.size(), 2u);
    EXPECT_EQ(check.entries[1].name, "B.frx");
    EXPECT_EQ(check.entries[1].size, 40000u);
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.front(), 0);
    EXPECT_EQ(percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
}

TEST_F(ArchiveCheckTest, DamagedCompressedDataIsFoundInItsEntryOnAnyNumberOfThreads) {
    std::string b = bytes();
    // The second entry's data begins after its local header; damage it well inside.
    auto second = b.find(std::string("PK\x03\x04", 4), 4);
    ASSERT_NE(second, std::string::npos);
    b[second + 30 + 5 + 20000] ^= 0x11;
    rewrite(b);
    for (unsigned threads : {1u, 4u}) {
        auto check = CheckArchive(archive, "", {}, {}, threads);
        EXPECT_FALSE(check.ok());
        ASSERT_EQ(check.problems().size(), 1u);
        EXPECT_EQ(check.problems()[0].rfind("B.frx: ", 0), 0u) << check.problems()[0];
        EXPECT_TRUE(check.entries[0].problem.empty());
    }
}

TEST_F(ArchiveCheckTest, WhatIsNoArchiveCannotBeOpened) {
    const std::string whole = bytes();
    std::string fifo = dir / "pipe.zip";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::pair<std::string, std::string> cases[] = {
        {whole.substr(0, whole.size() / 2), ""},  // truncated
        {"this is not a zip archive at all, just some text", ""},
        {"", dir / "none.zip"},
        {"", dir.str()},  // a folder
        {"", fifo},       // and nothing waits for a writer
    };
    for (const auto& [content, path] : cases) {
        SCOPED_TRACE(path);
        if (path.empty()) rewrite(content);
        auto check = CheckArchive(path.empty() ? archive : path, "");
        EXPECT_FALSE(check.ok());
        ASSERT_EQ(check.problems().size(), 1u);
        EXPECT_EQ(check.problems()[0].rfind("archive: ", 0), 0u);
    }
}

TEST_F(ArchiveCheckTest, ACancelledCheckIsNotAPass) {
    auto check = CheckArchive(archive, "", {}, [] { return true; });
    EXPECT_FALSE(check.ok());
    EXPECT_EQ(check.openProblem, "the check was cancelled");
}

}  // namespace
}  // namespace arkstash::archive
