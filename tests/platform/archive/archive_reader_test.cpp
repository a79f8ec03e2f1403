#include "platform/archive/archive_reader.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/archive/archive_test_support.h"
#include "platform/error.h"
#include "support/temp_dir.h"

namespace arkstash::archive {
namespace {

TEST(ArchiveReader, ChecksumIsZipsCrc32) {
    EXPECT_EQ(Crc32(0, "123456789"), 0xCBF43926u);
    EXPECT_EQ(Crc32(Crc32(0, "1234"), "56789"), 0xCBF43926u);
}

TEST(ArchiveReader, StopsJustPastTheSizeTheDirectoryClaims) {
    test::TempDir dir;
    ASSERT_EQ(
        test::writeArchive({dir.write("p/zeros.bin", std::string(300000, '\0'))}, dir / "A.zip")
            .outcome,
        Outcome::Complete);
    // 300000 is 0x000493E0: the local header and the directory both claim ten bytes instead.
    std::string bytes = dir.read("A.zip");
    const std::string claimed("\xE0\x93\x04\x00", 4);
    for (auto at = bytes.find(claimed); at != std::string::npos; at = bytes.find(claimed, at))
        bytes.replace(at, 4, std::string("\x0a\x00\x00\x00", 4));
    std::ofstream(dir / "A.zip", std::ios::binary | std::ios::trunc) << bytes;

    ArchiveReader reader(dir / "A.zip");
    ASSERT_EQ(reader.entries().at(0).size, 10u);
    std::size_t handed = 0;
    EXPECT_THROW(
        reader.read(reader.entries()[0], [&](std::string_view piece) { handed += piece.size(); }),
        PlatformError);
    EXPECT_LE(handed, 11u);
}

}  // namespace
}  // namespace arkstash::archive
