// A file past the 4 GiB limit of the original ZIP format: it needs ZIP64 records, and the engine
// must stream it rather than hold it in memory.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "platform/archive/archive_check.h"
#include "platform/archive/archive_test_support.h"
#include "platform/archive/libzip_engine.h"
#include "support/temp_dir.h"

namespace arkstash::archive {
namespace {

// Kilobytes of a /proc/self/status field.
long statusKb(const std::string& field) {
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
    return -1;
}

TEST(LargeFileTest, AFileOverFourGibibytesIsStreamedIntoAZip64Archive) {
    test::TempDir dir;
    const std::uint64_t size = (4ULL << 30) + 12345;
    std::string big = dir / "p/Huge.res";
    std::filesystem::create_directories(dir / "p");
    {
        std::ofstream f(big, std::ios::binary);
        f << "head";
    }
    // Sparse: the disk holds almost nothing, yet every byte is read through the engine.
    ASSERT_EQ(::truncate(big.c_str(), static_cast<off_t>(size)), 0);
    {
        std::fstream f(big, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(size - 4));
        f << "tail";
    }
    std::string small = dir.write("p/Small.bas", "Attribute VB_Name = \"Small\"\r\n");

    LibzipEngine engine;
    std::string archive = dir / "out/Big.zip";
    std::filesystem::create_directories(dir / "out");
    test::RecordingObserver log;

    long rssBefore = statusKb("VmRSS");
    // Deflate turns the zeros into a few megabytes, so the test does not write gigabytes.
    ArchiveResult result =
        engine.write({.files = {big, small}, .target = archive, .level = 1}, log);
    long peak = statusKb("VmHWM");
    ASSERT_EQ(result.outcome, Outcome::Complete);
    EXPECT_EQ(result.bytes, size + 29);
    EXPECT_EQ(log.starting("file " + big + " ").size(), 101u);
    // Memory must not follow the file's size or the threads: the pieces in flight are bounded.
    EXPECT_LT(peak - rssBefore, 100 * 1024) << "peak " << peak << " kB, before " << rssBefore;

    int err = 0;
    zip_t* za = zip_open(archive.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &err);
    ASSERT_NE(za, nullptr);
    zip_stat_t st;
    ASSERT_EQ(zip_stat_index(za, 0, 0, &st), 0);
    EXPECT_STREQ(st.name, "Huge.res");
    EXPECT_EQ(st.size, size);
    zip_stat_index(za, 1, 0, &st);
    EXPECT_STREQ(st.name, "Small.bas");
    zip_discard(za);
    // The engine read every entry back, so the CRC over all 4 GiB (the tail included) held.

    // A ZIP64 end-of-central-directory record is present.
    std::ifstream raw(archive, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(raw)), {});
    EXPECT_NE(bytes.find(std::string("PK\x06\x06", 4)), std::string::npos);
}

TEST(LargeFileTest, ManyFilesDoNotAddUpInMemory) {
    test::TempDir dir;
    // Together far more than the pieces allowed in flight; each alone read whole.
    const std::string content = test::randomBytes(3 << 20, 8);
    std::vector<std::string> files;
    for (int i = 0; i < 48; ++i)
        files.push_back(dir.write("p/F" + std::to_string(i) + ".frx", content));
    std::filesystem::create_directories(dir / "out");
    LibzipEngine engine;
    ArchiveObserver quiet;
    long rssBefore = statusKb("VmRSS");
    ArchiveResult result = engine.write(
        {.files = files, .target = dir / "out/Many.zip", .level = 0, .jobs = 4}, quiet);
    long peak = statusKb("VmHWM");
    ASSERT_EQ(result.outcome, Outcome::Complete);
    EXPECT_LT(peak - rssBefore, 100 * 1024) << "peak " << peak << " kB, before " << rssBefore;
}

}  // namespace
}  // namespace arkstash::archive
