#include "platform/ide/path_resolver.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/ide/companions.h"
#include "support/unprivileged.h"
#include "support/temp_dir.h"

using namespace arkstash;
using namespace arkstash::ide;
using arkstash::test::TempDir;

namespace {

// The real file system, counting the folders it is asked to list.
class CountingFs : public os::PosixFileSystem {
  public:
    std::vector<std::string> listFolder(const std::string& path) override {
        ++listed[path];
        return PosixFileSystem::listFolder(path);
    }
    std::map<std::string, int> listed;
};

struct Resolver {
    TempDir dir;
    CountingFs fs;
    std::map<char, std::string> drives;
    ResolvedPath operator()(std::string_view written, const std::string& codePage = "1252") {
        PathResolver r(fs, drives, codePage);
        return r.resolveFile(dir / "proj", written);
    }
};

}  // namespace

TEST(PathResolver, WrittenPathsFindTheFileSpelledAsOnDisk) {
    Resolver r;
    std::string form = r.dir.write("proj/Forms/frmMain.frm", "12345");
    std::string accented = r.dir.write("proj/R\xC3\xA9sum\xC3\xA9.bas", "x");
    std::string shared = r.dir.write("Shared/modLog.bas", "x");
    const std::pair<const char*, std::string> cases[] = {
        {"Forms\\frmMain.frm", form},
        {".\\Forms\\\\frmMain.frm", form},
        {"FORMS\\FRMMAIN.FRM", form},
        {"R\xC3\x89SUM\xC3\x89.BAS", accented},  // accented capitals of the code pages fold too
        {"..\\shared\\MODLOG.bas", shared},
        {"..\\Shared\\..\\Shared\\modLog.bas", shared},
    };
    for (const auto& [written, want] : cases) {
        ResolvedPath p = r(written);
        EXPECT_TRUE(p.found) << written;
        EXPECT_EQ(p.path, want) << written;
    }
    EXPECT_EQ(r("forms\\frmmain.frm").size, 5u);
}

TEST(PathResolver, MissingFilesKeepTheirWrittenRestUnderTheBase) {
    Resolver r;
    r.dir.write("proj/Forms/frmMain.frm", "x");
    std::string up;
    for (int i = 0; i < 40; ++i) up += "..\\";
    const std::pair<std::string, std::string> cases[] = {
        {"Forms\\Gone.frm", r.dir / "proj/Forms/Gone.frm"},
        {"", ""},
        {up + "no-such-file-here.bas", "/no-such-file-here.bas"},
        // Folders and wildcards never name a file.
        {"Forms", r.dir / "proj/Forms"},
        {"forms", r.dir / "proj/forms"},
        {"Forms\\*.frm", r.dir / "proj/Forms/*.frm"},
        {"Forms\\frmMai?.frm", r.dir / "proj/Forms/frmMai?.frm"},
    };
    for (const auto& [written, want] : cases) {
        ResolvedPath p = r(written);
        EXPECT_FALSE(p.found) << written;
        EXPECT_EQ(p.path, want) << written;
    }
}

TEST(PathResolver, DrivesStayAsWrittenUnlessMapped) {
    Resolver r;
    std::string tlb = r.dir.write("drive_c/windows/system32/STDOLE2.TLB", "x");
    EXPECT_FALSE(r("C:\\Windows\\System32\\stdole2.tlb").found);
    r.drives['C'] = r.dir / "drive_c";
    ResolvedPath mapped = r("c:\\Windows\\System32\\stdole2.tlb");
    EXPECT_TRUE(mapped.found);
    EXPECT_EQ(mapped.path, tlb);
    // Another drive, a share and the root of an unknown drive name no folder of this machine.
    for (const char* written : {"D:\\x.tlb", "\\\\server\\share\\x.bas", "\\Projects\\x.bas"}) {
        EXPECT_FALSE(r(written).found);
        EXPECT_EQ(r(written).path, written);
    }
}

TEST(PathResolver, NamesKeptOnDiskAsCodePageBytesMatchTheDecodedName) {
    Resolver r;
    // "窗体1.frm" as code page 936 wrote it, and "表.bas" in Shift-JIS, whose second byte is a
    // backslash: copied here without converting the names.
    std::string gbk = r.dir.write(
        "proj/\xB4\xB0\xCC\xE5"
        "1.frm",
        "x");
    std::string sjis = r.dir.write("proj/\x95\x5C.bas", "x");
    EXPECT_EQ(r("\xE7\xAA\x97\xE4\xBD\x93"
                "1.frm",
                "936")
                  .path,
              gbk);
    EXPECT_EQ(r("\xE7\xAA\x97\xE4\xBD\x93"
                "1.FRM",
                "936")
                  .path,
              gbk);  // found by listing
    EXPECT_EQ(r("\xE8\xA1\xA8.bas", "932").path, sjis);
    // Under the wrong code page the same bytes mean something else and match nothing.
    EXPECT_FALSE(r("\xE7\xAA\x97\xE4\xBD\x93"
                   "1.frm",
                   "1252")
                     .found);
}

TEST(PathResolver, EachFolderIsListedOnceWhateverTheNamesLookedUpInIt) {
    Resolver r;
    PathResolver resolver(r.fs, r.drives);
    for (int i = 0; i < 20; ++i) r.dir.write("proj/Mod" + std::to_string(i) + ".bas", "x");
    for (int i = 0; i < 20; ++i)
        for (const char* cp : {"1252", "936"})
            EXPECT_TRUE(
                resolver.resolveFile(r.dir / "proj", "MOD" + std::to_string(i) + ".BAS", cp).found);
    EXPECT_EQ(r.fs.listed, (std::map<std::string, int>{{r.dir / "proj", 1}}));
}

TEST(PathResolver, WhatCannotBeLookedInSaysWhy) {
    Resolver r;
    r.dir.write("proj/Forms/inside.txt", "x");
    std::string fifo = r.dir / "proj/pipe.bas";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_NE(r("Forms").failure.find("folder"), std::string::npos);
    EXPECT_NE(r("pipe.bas").failure.find("not a regular file"), std::string::npos);
    EXPECT_EQ(r("gone.bas").failure, "");

    r.dir.write("proj/Locked/a.bas", "x");
    std::filesystem::permissions(
        r.dir.path(), std::filesystem::perms::owner_all | std::filesystem::perms::others_exec);
    std::filesystem::permissions(
        r.dir / "proj", std::filesystem::perms::owner_all | std::filesystem::perms::others_exec);
    std::filesystem::permissions(r.dir / "proj/Locked", std::filesystem::perms::owner_all);
    auto failure = test::runUnprivileged([&] { return r("Locked\\a.bas").failure; });
    ASSERT_TRUE(failure.has_value());
    EXPECT_NE(failure->find("Permission denied"), std::string::npos) << *failure;
}

TEST(Companions, FoundBesideTheirComponentInWhateverCase) {
    TempDir dir;
    os::PosixFileSystem fs;
    struct Case {
        const char* component;
        const char* extension;
        const char* onDisk;  // null: none, or more than one, is there
    };
    const Case cases[] = {
        {"CODIGO/FrmStats.frm", ".frx", "CODIGO/frmStats.frx"},
        {"dropstack.ctl", ".ctx", "DropStack.ctx"},
        {"WebClass.Dsr", ".dsx", "WebClass.Dsx"},
        {"Connect.Dsr", ".dca", "Connect.DCA"},
        {"frmExact.frm", ".frx", "frmExact.frx"},
        {"Mdi/frmShell.frm", ".frx", nullptr},
        {"Twice/frmTwice.frm", ".frx", nullptr},
    };
    for (const Case& c : cases)
        if (c.onDisk) dir.write(c.onDisk, "bin");
    dir.write("Mdi/frmShell.frx/inside", "a folder is no companion");
    dir.write("Twice/FRMTWICE.FRX", "1");
    dir.write("Twice/frmtwice.frx", "2");
    CompanionFinder finder(fs);
    for (const Case& c : cases) {
        auto found = finder.find(dir / c.component, c.extension);
        EXPECT_EQ(found, c.onDisk ? std::optional(dir / c.onDisk) : std::nullopt) << c.component;
        EXPECT_EQ(findCompanion(fs, dir / c.component, c.extension), found) << c.component;
    }
}
