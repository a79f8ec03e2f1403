#include "platform/ide/path_resolver.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

using namespace arkstash;
using namespace arkstash::ide;
using arkstash::test::TempDir;

namespace {

struct Resolver {
    TempDir dir;
    os::PosixFileSystem fs;
    std::map<char, std::string> drives;
    ResolvedPath operator()(std::string_view written, const std::string& codePage = "1252") {
        PathResolver r(fs, drives, codePage);
        return r.resolveFile(dir / "proj", written);
    }
};

}  // namespace

TEST(PathResolver, BackslashedRelativePathsResolveAgainstTheBase) {
    Resolver r;
    std::string file = r.dir.write("proj/Forms/frmMain.frm", "x");
    ResolvedPath p = r("Forms\\frmMain.frm");
    EXPECT_TRUE(p.found);
    EXPECT_EQ(p.path, file);
    EXPECT_EQ(r(".\\Forms\\\\frmMain.frm").path, file);
}

TEST(PathResolver, SpellingThatDiffersInCaseFindsTheFileOnDisk) {
    Resolver r;
    std::string file = r.dir.write("proj/Forms/frmMain.frm", "x");
    ResolvedPath p = r("FORMS\\FRMMAIN.FRM");
    EXPECT_TRUE(p.found);
    EXPECT_EQ(p.path, file);  // spelled as on disk, not as written
    // Accented capitals of the Windows code pages fold too.
    std::string accented = r.dir.write("proj/R\xC3\xA9sum\xC3\xA9.bas", "x");
    EXPECT_EQ(r("R\xC3\x89SUM\xC3\x89.BAS").path, accented);
}

TEST(PathResolver, ParentFoldersWorkAndStopAtTheRoot) {
    Resolver r;
    std::string shared = r.dir.write("Shared/modLog.bas", "x");
    EXPECT_EQ(r("..\\shared\\MODLOG.bas").path, shared);
    EXPECT_TRUE(r("..\\Shared\\..\\Shared\\modLog.bas").found);
    std::string up;
    for (int i = 0; i < 40; ++i) up += "..\\";
    EXPECT_FALSE(r(up + "no-such-file-here.bas").found);
    EXPECT_EQ(r(up + "no-such-file-here.bas").path, "/no-such-file-here.bas");
}

TEST(PathResolver, MissingFilesKeepTheirWrittenRestUnderTheBase) {
    Resolver r;
    ResolvedPath p = r("Forms\\Gone.frm");
    EXPECT_FALSE(p.found);
    EXPECT_EQ(p.path, r.dir / "proj" + "/Forms/Gone.frm");
    EXPECT_FALSE(r("").found);
    EXPECT_EQ(r("").path, "");
}

TEST(PathResolver, FoldersAndWildcardsNeverNameAFile) {
    Resolver r;
    r.dir.write("proj/Forms/frmMain.frm", "x");
    EXPECT_FALSE(r("Forms").found);
    EXPECT_FALSE(r("forms").found);
    EXPECT_FALSE(r("Forms\\*.frm").found);
    EXPECT_FALSE(r("Forms\\frmMai?.frm").found);
}

TEST(PathResolver, DrivesStayAsWrittenUnlessMapped) {
    Resolver r;
    ResolvedPath unmapped = r("C:\\Windows\\System32\\stdole2.tlb");
    EXPECT_FALSE(unmapped.found);
    EXPECT_EQ(unmapped.path, "C:\\Windows\\System32\\stdole2.tlb");
    std::string tlb = r.dir.write("drive_c/windows/system32/STDOLE2.TLB", "x");
    r.drives['C'] = r.dir / "drive_c";
    ResolvedPath mapped = r("c:\\Windows\\System32\\stdole2.tlb");
    EXPECT_TRUE(mapped.found);
    EXPECT_EQ(mapped.path, tlb);
    // Another drive is still unmapped.
    EXPECT_EQ(r("D:\\x.tlb").path, "D:\\x.tlb");
    // Shares and paths from the root of an unknown drive name no folder of this machine.
    EXPECT_EQ(r("\\\\server\\share\\x.bas").path, "\\\\server\\share\\x.bas");
    EXPECT_FALSE(r("\\Projects\\x.bas").found);
}

TEST(PathResolver, NamesOnDiskInTheProjectsCodePageMatchTheDecodedName) {
    Resolver r;
    // "窗体1.frm" as code page 936 wrote it on Windows, copied here without converting.
    std::string onDisk = r.dir.write(
        "proj/\xB4\xB0\xCC\xE5"
        "1.frm",
        "x");
    ResolvedPath p =
        r("\xE7\xAA\x97\xE4\xBD\x93"
          "1.frm",
          "936");
    EXPECT_TRUE(p.found);
    EXPECT_EQ(p.path, onDisk);
    // Under the wrong code page the same bytes mean something else and match nothing.
    EXPECT_FALSE(r("\xE7\xAA\x97\xE4\xBD\x93"
                   "1.frm",
                   "1252")
                     .found);
}
