#include "form/helpers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/error.h"
#include "platform/ui/basic_controls.h"
#include "support/temp_dir.h"

using namespace arkstash;
using namespace arkstash::form;

TEST(PathHelpers, FileTitleTakesTheTextAfterTheLastSeparator) {
    EXPECT_EQ(FileTitle("D:\\Work\\Sales\\Sales.vbp"), "Sales.vbp");
    EXPECT_EQ(FileTitle("/home/u/Sales/frmMain.frm"), "frmMain.frm");
    EXPECT_EQ(FileTitle("D:\\Work\\Sales\\"), "");  // a folder path
    EXPECT_EQ(FileTitle("Sales.vbp"), "");          // a bare name
    EXPECT_EQ(FileTitle(""), "");
    EXPECT_EQ(FileTitle("C:\\mixed/dir\\file.bas"), "file.bas");
}

TEST(PathHelpers, LastPathPartRefusesAPathWithoutSeparator) {
    EXPECT_EQ(LastPathPart("c:\\project1.zip"), "project1.zip");
    EXPECT_EQ(LastPathPart("/w/Sales_12-05-2026_070956.zip"), "Sales_12-05-2026_070956.zip");
    EXPECT_THROW(LastPathPart("project1.zip"), PlatformError);
}

TEST(PathHelpers, DirOfKeepsTheClosingSeparator) {
    EXPECT_EQ(DirOf("D:\\Work\\Sales\\Sales.vbp"), "D:\\Work\\Sales\\");
    EXPECT_EQ(DirOf("/w/Sales.vbp"), "/w/");
    EXPECT_EQ(DirOf(""), "");
    EXPECT_EQ(DirOf("Sales.vbp"), "");
}

TEST(PathHelpers, JoinAddsTheFoldersOwnSeparatorOnlyWhenMissing) {
    EXPECT_EQ(JoinPath("D:\\Backup", "A.zip"), "D:\\Backup\\A.zip");
    EXPECT_EQ(JoinPath("D:\\", "A.zip"), "D:\\A.zip");
    EXPECT_EQ(JoinPath("/srv/backup", "A.zip"), "/srv/backup/A.zip");
    EXPECT_EQ(JoinPath("/srv/backup/", "A.zip"), "/srv/backup/A.zip");
}

TEST(PathHelpers, NulTrimCutsAtTheFirstNul) {
    EXPECT_EQ(NulTrim(std::string("abc\0def", 7)), "abc");
    EXPECT_EQ(NulTrim("abc"), "abc");
    EXPECT_EQ(NulTrim(std::string("\0x", 2)), "");
}

TEST(RowFormats, FileSizeGroupsByThreesAndShowsNothingForZero) {
    EXPECT_EQ(FormatFileSize(0), "");
    EXPECT_EQ(FormatFileSize(7), "7");
    EXPECT_EQ(FormatFileSize(999), "999");
    EXPECT_EQ(FormatFileSize(1000), "1,000");
    EXPECT_EQ(FormatFileSize(1234567), "1,234,567");            // seven digits, two separators
    EXPECT_EQ(FormatFileSize(3221225472ULL), "3,221,225,472");  // 3 GiB: past 32 bits, all digits
}

TEST(RowFormats, FileDateIsTheUtcCalendarDate) {
    auto at = [](long long unixSeconds) {
        return os::kUnixEpochAsFileTime + static_cast<os::FileTime>(unixSeconds) * 10000000ULL;
    };
    EXPECT_EQ(FormatFileDate(at(0)), "01 Jan 1970");
    // 2026-12-31 23:30:00 UTC stays the 31st whatever the local zone says.
    EXPECT_EQ(FormatFileDate(at(1798759800)), "31 Dec 2026");
    EXPECT_EQ(FormatFileDate(at(951782400)), "29 Feb 2000");  // leap day of a century leap year
    EXPECT_EQ(FormatFileDate(0), "01 Jan 1601");
    EXPECT_EQ(FormatFileDate(0xFFFFFFFFFFFFFFFFULL), "");  // out of range
}

TEST(FileExistsHelper, CountsHiddenFilesButNeverFolders) {
    test::TempDir dir;
    os::PosixFileSystem fs;
    dir.write("plain.txt", "x");
    dir.write(".hidden", "x");
    std::filesystem::create_directory(dir / "folder");
    EXPECT_EQ(FileExists(fs, dir / "plain.txt"), "True");
    EXPECT_EQ(FileExists(fs, dir / ".hidden"), "True");
    EXPECT_EQ(FileExists(fs, dir / "folder"), "False");
    EXPECT_EQ(FileExists(fs, dir / "missing.txt"), "False");
    EXPECT_EQ(FileExists(fs, dir / "pl*.t?t"), "True");     // wildcards match any fitting file
    EXPECT_EQ(FileExists(fs, std::string(5000, 'a')), "");  // the look-up itself fails
}

TEST(ColumnHelpers, AutoSizeTouchesOnlyTheNamedListsColumns) {
    ui::ListView list("ListView1");
    for (const char* c : {"    File", "Lines", "Type", "Size", "Date", "Saved"})
        list.addColumn(c, 10);
    auto& row = list.addItem("/a/very/long/path/to/some/file/name.frm", 5);
    for (const char* c : {" 120", "Form", "1,024", "05 Dec 2026", "True"})
        row.subItems.push_back(c);
    AutoSizeColumns(list);
    EXPECT_GT(list.columns[0].width, 10);
    EXPECT_EQ(list.columns[1].width, 10);  // "Lines" is never touched
    EXPECT_GT(list.columns[2].width, 10);
    EXPECT_EQ(list.columns[5].width, 10);

    ui::ListView other("ListView3");
    other.addColumn("A", 10);
    other.addItem("long long long text", 0);
    AutoSizeColumns(other);
    EXPECT_EQ(other.columns[0].width, 10);
}

TEST(ColumnHelpers, FitLastColumnFillsTheRemainingWidth) {
    ui::ListView list("ListView1");
    list.Width = 8000;
    list.addColumn("    File", 3000);
    list.addColumn("Saved", 700);
    FitLastColumn(list);
    EXPECT_EQ(list.columns[1].width, 5000);
    ui::ListView empty("ListView1");
    EXPECT_NO_THROW(FitLastColumn(empty));
}

TEST(TextBoxTyping, KeyPressSeesTheKeyFirstAndKeyTypedTheResult) {
    ui::TextBox box;
    box.MultiLine = true;
    std::string seenBefore, seenAfter;
    box.KeyPress = [&](int& k) {
        seenBefore = box.Text();
        if (k == '*') k = 0;  // swallowed
    };
    box.KeyTyped = [&](int) { seenAfter = box.Text(); };
    box.typeKey('a');
    EXPECT_EQ(seenBefore, "");
    EXPECT_EQ(seenAfter, "a");
    seenAfter.clear();
    EXPECT_EQ(box.typeKey('*'), 0);
    EXPECT_EQ(box.Text(), "a");
    EXPECT_EQ(seenAfter, "");  // a swallowed key raises nothing after
    box.typeKey(13);
    EXPECT_EQ(box.Text(), "a\r\n");
    box.typeKey(8);  // Backspace takes the whole line break
    EXPECT_EQ(box.Text(), "a");
}
