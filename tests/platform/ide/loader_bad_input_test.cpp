#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "platform/error.h"
#include "platform/ide/loader.h"
#include "platform/ide/loader_text.h"
#include "platform/ide/loader_support.h"
#include "support/unprivileged.h"

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

// One line per issue: its kind, the file's name and the message.
std::string summary(const LoadReport& report) {
    std::string out;
    for (const LoadIssue& i : report.issues)
        out += std::to_string(static_cast<int>(i.kind)) + "|" + std::string(lastPart(i.file)) +
               "|" + i.message + "\n";
    return out;
}

const std::string kLongLine(100 * 1024 * 1024, 'x');

}  // namespace

TEST_F(BadInput, NamedFileMissingAFolderOrAPipe) {
    dir.write("Folder.vbp/inside.txt", "x");
    ASSERT_EQ(::mkfifo((dir / "Pipe.vbp").c_str(), 0644), 0);  // must not hang the load
    const std::pair<std::string, const char*> cases[] = {
        {dir / "Nowhere.vbp", "does not exist"},
        {dir / "Folder.vbp", "is a folder"},
        {dir / "Pipe.vbp", "not a regular file"},
    };
    for (const auto& [path, reason] : cases) {
        std::string error = errorLoading(path);
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    }
    EXPECT_FALSE(errorLoading(std::vector<std::string>{}).empty());
    EXPECT_EQ(vbe.projects().size(), 0u);
}

TEST_F(BadInput, NamedFilesThatCannotBeReadSayTheSystemsReason) {
    namespace fs = std::filesystem;
    std::string vbg = write("Suite.vbg", "VBGROUP 5.0\nProject=App.vbp\nProject=Locked.vbp\n");
    write("App.vbp",
          "Type=Exe\nName=\"App\"\nModule=modA; A.bas\nModule=modB; Shut\\B.bas\n"
          "Module=modP; Pipe.bas\nForm=Forms\nModule=modG; Gone.bas\n");
    write("Locked.vbp", "Type=Exe\nName=\"Locked\"\n");
    write("A.bas", "Attribute VB_Name = \"modA\"\nDim x\n");
    write("Shut/B.bas", "Attribute VB_Name = \"modB\"\n");
    write("Forms/inside.txt", "x");
    ASSERT_EQ(::mkfifo((dir / "Pipe.bas").c_str(), 0644), 0);
    fs::permissions(dir.path(),
                    fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(dir / "A.bas", fs::perms::owner_read);
    fs::permissions(dir / "Locked.vbp", fs::perms::owner_read);
    fs::permissions(dir / "Shut", fs::perms::owner_all | fs::perms::others_read);
    auto seen = test::runUnprivileged([&] {
        LoadReport report = load(vbg);
        MemoryComponent& a = vbe.project(1).component(1);
        // A file that is there stays listed for backup, with no lines counted.
        if (!a.data().HasCodeModule || a.data().CountOfLines != 0) return std::string("dropped");
        return summary(report);
    });
    ASSERT_TRUE(seen.has_value());
    const char* denied = "Permission denied";
    const std::tuple<IssueKind, const char*, const char*> expected[] = {
        {IssueKind::UnreadableFile, "A.bas", denied},
        {IssueKind::UnreadableFile, "B.bas", denied},
        {IssueKind::UnreadableFile, "Pipe.bas", "not a regular file"},
        {IssueKind::UnreadableFile, "Forms", "is a folder"},
        {IssueKind::MissingFile, "Gone.bas", "not found"},
        {IssueKind::UnreadableFile, "Locked.vbp", denied},
    };
    for (const auto& [kind, file, reason] : expected) {
        std::string head = std::to_string(static_cast<int>(kind)) + "|" + file + "|";
        auto at = seen->find(head);
        ASSERT_NE(at, std::string::npos) << head << " in\n" << *seen;
        std::string line = seen->substr(at, seen->find('\n', at) - at);
        EXPECT_NE(line.find(reason), std::string::npos) << line;
    }
    EXPECT_EQ(std::count(seen->begin(), seen->end(), '\n'), std::size(expected)) << *seen;
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
    EXPECT_TRUE(c.data().HasCodeModule);  // listed and backed up; its lines are not counted
    EXPECT_EQ(c.data().CountOfLines, 0);
    ASSERT_EQ(report.issues.size(), 1u);
    EXPECT_EQ(report.issues[0].kind, IssueKind::NotCounted);
    EXPECT_NE(report.issues[0].message.find("64 MiB"), std::string::npos);
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
