#include <gtest/gtest.h>

#include <set>

#include "platform/error.h"
#include "platform/ide/loader.h"
#include "platform/loader_support.h"

using namespace arkstash;
using namespace arkstash::ide;
using arkstash::test::loadErrorOf;
using arkstash::test::mentions;

namespace {

class BadInput : public test::LoaderTest {
  protected:
    std::string errorLoading(const std::vector<std::string>& paths) {
        return loadErrorOf([&] { load(paths); });
    }
    std::string errorLoading(const std::string& path) {
        return errorLoading(std::vector<std::string>{path});
    }
};

// The real file system, refusing to read the files named: how an unreadable file looks to the
// loader (tests run as root here, to whom permissions refuse nothing).
class RefusingReads : public os::PosixFileSystem {
  public:
    std::string readFile(const std::string& path, std::uint64_t limit) override {
        if (refused.count(path))
            throw PlatformError("Cannot open '" + path + "': Permission denied");
        return PosixFileSystem::readFile(path, limit);
    }
    std::set<std::string> refused;
};

const std::string kLongLine(100 * 1024 * 1024, 'x');

}  // namespace

TEST_F(BadInput, NamedFileMissingOrAFolder) {
    std::string missing = errorLoading(dir / "Nowhere.vbp");
    EXPECT_NE(missing.find("does not exist"), std::string::npos) << missing;
    dir.write("Folder.vbp/inside.txt", "x");
    std::string folder = errorLoading(dir / "Folder.vbp");
    EXPECT_NE(folder.find("is a folder"), std::string::npos) << folder;
    EXPECT_FALSE(errorLoading(std::vector<std::string>{}).empty());
    EXPECT_EQ(vbe.projects().size(), 0u);
}

TEST_F(BadInput, UnreadableProjectAndComponentFiles) {
    RefusingReads refusing;
    fs = &refusing;
    std::string vbp = write("App.vbp", "Type=Exe\nName=\"App\"\nModule=modA; A.bas\n");
    std::string bas = write("A.bas", "Attribute VB_Name = \"modA\"\nDim x\n");
    refusing.refused = {vbp};
    std::string error = errorLoading(vbp);
    EXPECT_NE(error.find("cannot be read"), std::string::npos) << error;
    EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;

    refusing.refused = {bas};
    LoadReport report = load(vbp);
    MemoryComponent& c = vbe.project(1).component(1);
    EXPECT_EQ(c.data().Name, "modA");  // from the project file
    EXPECT_EQ(c.data().FileName, bas);
    EXPECT_THROW(c.CodeModule(), PlatformError);
    ASSERT_EQ(report.issues.size(), 1u);
    EXPECT_EQ(report.issues[0].file, bas);
    EXPECT_NE(report.issues[0].message.find("Permission denied"), std::string::npos);
}

TEST_F(BadInput, BinaryFilesAreNoProjects) {
    std::string withNul =
        dir.write("Picture.vbp", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    std::string error = errorLoading(withNul);
    EXPECT_NE(error.find("binary"), std::string::npos) << error;
    std::string noNul = dir.write("Noise.vbp", "\xff\xfe\xfd=\x80\x81\x82\r\n\x90\x91");
    error = errorLoading(noNul);
    EXPECT_NE(error.find("no project settings"), std::string::npos) << error;
    std::string empty = dir.write("Empty.vbp", "");
    EXPECT_FALSE(errorLoading(empty).empty());
}

TEST_F(BadInput, TruncatedProjectKeepsWhatItHolds) {
    write("modMain.bas", "Attribute VB_Name = \"modMain\"\n");
    std::string vbp = write("Cut.vbp", "Type=Exe\nModule=modMain; modMain.bas\nClass=CStock; CSt");
    LoadReport report = load(vbp);
    MemoryProject& p = vbe.project(1);
    EXPECT_EQ(p.data().Name, "Cut");  // Name= comes late in a project file and was lost
    EXPECT_TRUE(mentions(report, "no Name="));
    ASSERT_EQ(p.components().size(), 2u);
    EXPECT_TRUE(p.component(1).data().HasCodeModule);
    EXPECT_EQ(p.component(2).data().Name, "CStock");
    EXPECT_EQ(p.component(2).data().FileName, dir / "CSt");
    EXPECT_TRUE(mentions(report, dir / "CSt"));
}

TEST_F(BadInput, ZerosAfterACrashAreReportedAndTheTextBeforeThemKept) {
    std::string vbp =
        dir.write("Crash.vbp", test::crlf("Type=Exe\nName=\"Crash\"\n") + std::string(4096, '\0'));
    LoadReport report = load(vbp);
    EXPECT_EQ(vbe.project(1).data().Name, "Crash");
    EXPECT_TRUE(mentions(report, "binary data from byte 24"));
}

TEST_F(BadInput, ComponentFileMissingOrAFolder) {
    std::string vbp = write("App.vbp", "Type=Exe\nForm=frmGone.frm\nForm=Forms\nName=\"App\"\n");
    dir.write("Forms/x.txt", "x");
    LoadReport report = load(vbp);
    MemoryProject& p = vbe.project(1);
    ASSERT_EQ(p.components().size(), 2u);
    EXPECT_FALSE(p.component(1).data().HasCodeModule);
    EXPECT_FALSE(p.component(2).data().HasCodeModule);
    ASSERT_EQ(report.issues.size(), 2u);
    EXPECT_NE(report.issues[0].message.find("not found"), std::string::npos);
    EXPECT_NE(report.issues[1].message.find("is a folder"), std::string::npos);
}

TEST_F(BadInput, HundredMegabyteLineInAProjectFileIsRefusedWithItsSize) {
    std::string vbp = dir.write("Huge.vbp", "Type=Exe\r\nDescription=\"" + kLongLine + "\"\r\n");
    std::string error = errorLoading(vbp);
    EXPECT_NE(error.find("64 MiB"), std::string::npos) << error;
    EXPECT_NE(error.find(std::to_string(kLongLine.size() + 26)), std::string::npos) << error;
    EXPECT_EQ(vbe.projects().size(), 0u);
}

TEST_F(BadInput, HundredMegabyteLineInASourceFileKeepsTheComponent) {
    std::string vbp = write("App.vbp", "Type=Exe\nModule=modBig; Big.bas\nName=\"App\"\n");
    std::string bas = dir.write("Big.bas", "Attribute VB_Name = \"modBig\"\r\n" + kLongLine);
    LoadReport report = load(vbp);
    MemoryComponent& c = vbe.project(1).component(1);
    EXPECT_EQ(c.data().Name, "modBig");
    EXPECT_EQ(c.data().FileName, bas);
    EXPECT_FALSE(c.data().HasCodeModule);
    EXPECT_TRUE(mentions(report, "64 MiB"));
}

TEST_F(BadInput, LongLinesWithinTheLimitLoseNothing) {
    std::string description(5 * 1024 * 1024, 'd');
    std::string path(5 * 1024 * 1024, 'p');
    std::string vbp = write("App.vbp", "Type=Exe\nDescription=\"" + description +
                                           "\"\nModule=modLong; " + path + ".bas\nName=\"App\"\n");
    LoadReport report = load(vbp);
    MemoryProject& p = vbe.project(1);
    EXPECT_EQ(p.data().Description, description);
    ASSERT_EQ(p.components().size(), 1u);
    EXPECT_EQ(p.component(1).data().Name, "modLong");
    EXPECT_EQ(p.component(1).data().FileName, dir / path + ".bas");
    EXPECT_EQ(report.issues.size(), 1u);
}

TEST_F(BadInput, GroupsThatNameNothingUsable) {
    std::string empty = write("Empty.vbg", "VBGROUP 5.0\n");
    std::string error = errorLoading(empty);
    EXPECT_NE(error.find("names no projects"), std::string::npos) << error;
    EXPECT_NE(errorLoading(dir.write("Zero.vbg", "")).find("names no projects"), std::string::npos);

    std::string allGone = write("Gone.vbg", "VBGROUP 5.0\nStartupProject=A.vbp\nProject=B.vbp\n");
    error = errorLoading(allGone);
    EXPECT_NE(error.find("None of the projects"), std::string::npos) << error;
    EXPECT_NE(error.find("A.vbp"), std::string::npos) << error;
    EXPECT_EQ(vbe.projects().size(), 0u);
}

TEST_F(BadInput, GroupKeepsTheProjectsThatLoad) {
    std::string vbg = write("Suite.vbg",
                            "VBGROUP 5.0\nStartupProject=Broken.vbp\nProject=Fine.vbp\n"
                            "Project=Missing.vbp\n");
    dir.write("Broken.vbp", std::string("\0\1\2\3", 4));
    write("Fine.vbp", "Type=Exe\nName=\"Fine\"\n");
    LoadReport report = load(vbg);
    ASSERT_EQ(vbe.VBProjects().Count(), 1);
    EXPECT_EQ(vbe.ActiveVBProject().Name(), "Fine");
    EXPECT_EQ(vbe.VBProjects().StartProject().Name(), "Fine");
    EXPECT_TRUE(mentions(report, dir / "Broken.vbp"));
    EXPECT_TRUE(mentions(report, dir / "Missing.vbp"));
    EXPECT_TRUE(mentions(report, "start-up project could not be loaded"));
}

TEST_F(BadInput, GroupWithoutHeaderIsReadForItsProjects) {
    std::string vbg = write("Old.vbg", "Project=A.vbp\n");
    write("A.vbp", "Type=Exe\nName=\"A\"\n");
    LoadReport report = load(vbg);
    EXPECT_EQ(vbe.VBProjects().Count(), 1);
    EXPECT_TRUE(mentions(report, "VBGROUP"));
}

TEST_F(BadInput, AFailingFileLeavesTheEnvironmentUntouched) {
    std::string good = write("Good.vbp", "Type=Exe\nName=\"Good\"\n");
    EXPECT_FALSE(errorLoading({good, dir / "Bad.vbp"}).empty());
    EXPECT_EQ(vbe.projects().size(), 0u);
    EXPECT_EQ(vbe.active(), nullptr);
}

TEST_F(BadInput, UnknownCodePageAndAnOccupiedEnvironment) {
    std::string good = write("Good.vbp", "Type=Exe\nName=\"Good\"\n");
    options.codePage = "no-such-page";
    std::string error = errorLoading(good);
    EXPECT_NE(error.find("no-such-page"), std::string::npos) << error;
    options.codePage = "1252";
    load(good);
    error = errorLoading(good);
    EXPECT_NE(error.find("holds projects already"), std::string::npos) << error;
    EXPECT_EQ(vbe.projects().size(), 1u);
}

TEST_F(BadInput, DuplicateComponentLinesLoadOnce) {
    std::string vbp = write("App.vbp", "Type=Exe\nModule=modA; A.bas\nModule=modA; a.BAS\n");
    write("A.bas", "Attribute VB_Name = \"modA\"\n");
    LoadReport report = load(vbp);
    EXPECT_EQ(vbe.project(1).components().size(), 1u);
    EXPECT_TRUE(mentions(report, "second time"));
}
