#include "backup/side_file.h"

#include <gtest/gtest.h>
#include <grp.h>
#include <sys/stat.h>

#include "support/unprivileged.h"
#include "support/temp_dir.h"

using namespace arkstash;
using backup::SideFile;

TEST(SideFile, ReadsMemoAndFileEntriesAsTheWriterAndOlderFilesLeftThem) {
    struct Case {
        const char* text;
        const char* memo;
        std::vector<std::string> files;
    } cases[] = {
        {"[Memo]\r\nRelease 2\r\n[End Memo]\r\n[File]D:\\Docs\\notes.txt\r\n[File]D:\\a.bmp\r\n",
         "Release 2", {"D:\\Docs\\notes.txt", "D:\\a.bmp"}},
        // Lines inside the memo are never file entries; the memo ends at its marker.
        {"[Memo]\r\nsee [File] below\r\n[End Memo]\r\n[End Memo]\r\n", "see [File] below", {}},
        // Outside it, "[File]" anywhere names the path from the seventh character on.
        {"x[File]D:\\a.txt\r\n", "", {"]D:\\a.txt"}},
        // No end marker: the memo runs to the end of the file; LF and CR end lines too.
        {"[Memo]\nfirst\rsecond", "first\r\nsecond", {}},
        // A memo that ended with a line break keeps it.
        {"[Memo]\r\nstamp\r\n\r\n[End Memo]\r\n", "stamp\r\n", {}},
        {"", "", {}},
    };
    for (const auto& c : cases) {
        SideFile content = backup::parseSideFile(c.text);
        EXPECT_EQ(content.memo, c.memo) << c.text;
        EXPECT_EQ(content.files, c.files) << c.text;
    }
}

TEST(SideFile, WritesWhatItReadsBackAndNothingForNothing) {
    EXPECT_EQ(backup::formatSideFile({}), "");
    SideFile content{"Release 2\r\n", {"D:\\a.txt", "D:\\a.txt"}};
    EXPECT_EQ(backup::formatSideFile(content),
              "[Memo]\r\nRelease 2\r\n\r\n[End Memo]\r\n[File]D:\\a.txt\r\n[File]D:\\a.txt\r\n");
    SideFile back = backup::parseSideFile(backup::formatSideFile(content));
    EXPECT_EQ(back.memo, content.memo);
    EXPECT_EQ(back.files, content.files);
}

TEST(SideFile, TextIsWindows1252WhenItFitsAndUtf8OtherwiseAndReadsBackEitherWay) {
    test::TempDir dir;
    os::PosixFileSystem fs;
    backup::writeSideFile(fs, dir / "a.aks", {"Café", {}});
    EXPECT_EQ(dir.read("a.aks"), "[Memo]\r\nCaf\xE9\r\n[End Memo]\r\n");
    backup::writeSideFile(fs, dir / "b.aks", {"東京", {}});
    EXPECT_EQ(dir.read("b.aks"), "[Memo]\r\n東京\r\n[End Memo]\r\n");
    EXPECT_EQ(backup::readSideFile(fs, dir / "a.aks")->memo, "Café");
    EXPECT_EQ(backup::readSideFile(fs, dir / "b.aks")->memo, "東京");
    EXPECT_FALSE(backup::readSideFile(fs, dir / "missing.aks"));
}

TEST(SideFile, AFailedWriteLeavesThePreviousFileWhole) {
    test::TempDir dir;
    os::PosixFileSystem fs;
    std::string path = dir.write("locked/P.aks", "[Memo]\r\nkeep me\r\n[End Memo]\r\n");
    ::chmod(dir.str().c_str(), 0755);
    ::chmod((dir / "locked").c_str(), 0555);
    auto outcome = test::runUnprivileged([&]() -> std::string {
        try {
            backup::writeSideFile(fs, path, {"lost", {}});
            return "written";
        } catch (const std::exception&) {
            return "refused";
        }
    });
    ASSERT_TRUE(outcome) << "could not give up root";
    EXPECT_EQ(*outcome, "refused");
    EXPECT_EQ(dir.read("locked/P.aks"), "[Memo]\r\nkeep me\r\n[End Memo]\r\n");
}

TEST(SideFile, LivesBesideTheProjectFileUnderTheProjectsName) {
    EXPECT_EQ(backup::sideFilePath("D:\\Work\\Sales\\Sales.vbp", "SalesApp"),
              "D:\\Work\\Sales\\SalesApp.aks");
    EXPECT_FALSE(backup::sideFilePath("", "Project1"));            // never saved
    EXPECT_FALSE(backup::sideFilePath("/w/P.vbp", ""));
    EXPECT_FALSE(backup::sideFilePath("/w/P.vbp", "..\\..\\etc"));  // would leave the folder
}

TEST(SideFile, TheDateStampNamesTheWeekdayOfTheDate) {
    EXPECT_EQ(backup::memoDateStamp(2026, 12, 5, 7, 9, 56), "[Saturday, Dec 5 2026 - 07:09:56]\r\n");
    EXPECT_EQ(backup::memoDateStamp(2024, 2, 29, 23, 0, 0), "[Thursday, Feb 29 2024 - 23:00:00]\r\n");
    EXPECT_FALSE(backup::memoDateStamp(2026, 13, 1, 0, 0, 0));
}
