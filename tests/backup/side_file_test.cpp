#include "backup/side_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include "form/file_rows.h"
#include "form/helpers.h"
#include "platform/ide/memory_ide.h"
#include "platform/os/clock.h"
#include "platform/registry/memory_registry.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/runtime.h"
#include "support/headless_window.h"
#include "support/temp_dir.h"

using namespace arkstash;

namespace {

// A window showing the project "SalesApp" whose file is <dir>/Sales.vbp, with the side-file
// routines wired the way the shell wires them.
struct Window : test::HeadlessWindow {
    explicit Window(const test::TempDir& dir) {
        project = &vbe.addProject({.Name = "SalesApp", .FileName = dir / "Sales.vbp"});
        dir.write("Sales.vbp", "Type=Exe\r\n");
        frm.VBInstance = &vbe;
        frm.lblProject.setCaption("SalesApp");
        frm.routines.ReadAKS = [this](const std::string& p) { backup::ReadAKS(frm, p); };
        frm.routines.WriteAKS = [this](const std::string& p) { backup::WriteAKS(frm, p); };
        frm.routines.SaveMemo = [this](const std::string& p) { backup::SaveMemo(frm, p); };
    }

    ide::MemoryVBE vbe;
    ide::MemoryProject* project = nullptr;

    std::vector<std::string> rowTexts() const {
        std::vector<std::string> out;
        for (const auto& r : frm.ListView1.items) out.push_back(r.text);
        return out;
    }
    void scannedRow(const std::string& path) {
        ASSERT_TRUE(
            form::AddFileRow(frm, path, " 10", "Module", "1", "01 Jan 2026", "True", 1, "Black"));
    }
    void userRow(const std::string& path) {
        ASSERT_TRUE(form::AddFileRow(frm, path, "---", "User added", "1", "01 Jan 2026", "---", 22,
                                     "Green"));
    }
};

std::string sideFile(const test::TempDir& dir) {
    return dir / "SalesApp.aks";
}

std::vector<std::string> folderEntries(const test::TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

// ---- where the side file lives ----

TEST(SideFilePath, IsTheProjectFolderThenTheShownNameThenAks) {
    test::TempDir dir;
    Window w(dir);
    // The name comes from lblProject, not from the project file's name.
    EXPECT_EQ(backup::SideFilePath(w.frm), dir / "SalesApp.aks");
    w.project->data().FileName = "D:\\Work\\Sales\\Sales.vbp";
    EXPECT_EQ(backup::SideFilePath(w.frm), "D:\\Work\\Sales\\SalesApp.aks");
}

TEST(SideFilePath, IsEmptyWhenItCannotBeFormed) {
    test::TempDir dir;
    Window w(dir);
    w.project->data().FileName = "";  // never saved
    EXPECT_EQ(backup::SideFilePath(w.frm), "");
    w.project->data().FileName = dir / "Sales.vbp";
    w.frm.lblProject.setCaption("");
    EXPECT_EQ(backup::SideFilePath(w.frm), "");
    // A name that would climb out of the project's folder is refused.
    w.frm.lblProject.setCaption("../../elsewhere");
    EXPECT_EQ(backup::SideFilePath(w.frm), "");
    w.frm.lblProject.setCaption("a\\b");
    EXPECT_EQ(backup::SideFilePath(w.frm), "");
    w.frm.lblProject.setCaption("SalesApp");
    w.project->fail("FileName");
    EXPECT_EQ(backup::SideFilePath(w.frm), "");
    w.project->heal("FileName");
    w.frm.VBInstance = nullptr;
    EXPECT_EQ(backup::SideFilePath(w.frm), "");
}

TEST(SideFilePath, TheShownSideFileIsTheOneTheMemoBelongsTo) {
    test::TempDir dir;
    Window w(dir);
    EXPECT_EQ(backup::ShownSideFile(w.frm), sideFile(dir));  // nothing shown yet
    w.frm.memoSideFile = dir / "Other.aks";
    EXPECT_EQ(backup::ShownSideFile(w.frm), dir / "Other.aks");
}

// ---- writing ----

TEST(WriteAKS, WritesTheMemoBlockThenOneFileLinePerUserRowWithCrLf) {
    test::TempDir dir;
    std::string notes = dir.write("docs/notes.txt", "n"), logo = dir.write("art/logo.bmp", "l");
    std::string module = dir.write("Module1.bas", "m");
    Window w(dir);
    w.userRow(notes);
    w.scannedRow(module);  // scanned rows are not the side file's business
    w.userRow(logo);
    w.frm.txtMemo.setText("Release 2");
    backup::WriteAKS(w.frm, sideFile(dir));
    EXPECT_EQ(dir.read("SalesApp.aks"),
              "[Memo]\r\nRelease 2\r\n[End Memo]\r\n[File]" + notes + "\r\n[File]" + logo + "\r\n");
}

TEST(WriteAKS, AnEmptyMemoWithNoUserFilesLeavesAZeroByteFile) {
    test::TempDir dir;
    Window w(dir);
    dir.write("SalesApp.aks", "[Memo]\r\nold\r\n[End Memo]\r\n");
    backup::WriteAKS(w.frm, sideFile(dir));
    ASSERT_TRUE(dir.exists("SalesApp.aks"));
    EXPECT_EQ(std::filesystem::file_size(sideFile(dir)), 0u);
}

TEST(WriteAKS, NoMemoBlockWhenTheMemoIsEmpty) {
    test::TempDir dir;
    std::string notes = dir.write("notes.txt", "n");
    Window w(dir);
    w.userRow(notes);
    backup::WriteAKS(w.frm, sideFile(dir));
    EXPECT_EQ(dir.read("SalesApp.aks"), "[File]" + notes + "\r\n");
}

TEST(WriteAKS, AFailedWriteLeavesThePreviousFileWholeAndNoTemporaryFile) {
    test::TempDir dir;
    Window w(dir);
    const std::string before = "[Memo]\r\nkeep me\r\n[End Memo]\r\n";
    dir.write("SalesApp.aks", before);
    w.frm.txtMemo.setText(std::string(4096, 'x'));
    auto entriesBefore = folderEntries(dir);

    // The file system refuses to grow any file past 100 bytes: the write fails half-way, as on
    // a full disk.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    backup::WriteAKS(w.frm, sideFile(dir));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(dir.read("SalesApp.aks"), before);
    EXPECT_EQ(folderEntries(dir), entriesBefore);
}

TEST(WriteAKS, AGoneFolderIsNoCrashAndCreatesNothing) {
    test::TempDir dir;
    Window w(dir);
    w.frm.txtMemo.setText("memo");
    std::string gone = dir / "gone/SalesApp.aks";
    backup::WriteAKS(w.frm, gone);
    EXPECT_FALSE(dir.exists("gone"));
    backup::WriteAKS(w.frm, "");  // no side file known: nothing to write
    EXPECT_EQ(folderEntries(dir), (std::vector<std::string>{"Sales.vbp"}));
}

TEST(WriteAKS, AReadOnlyFolderKeepsThePreviousFile) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the super-user";
    test::TempDir dir;
    Window w(dir);
    dir.write("SalesApp.aks", "[File]x\r\n");
    ASSERT_EQ(chmod(dir.str().c_str(), 0555), 0);
    w.frm.txtMemo.setText("memo");
    backup::WriteAKS(w.frm, sideFile(dir));
    chmod(dir.str().c_str(), 0755);
    EXPECT_EQ(dir.read("SalesApp.aks"), "[File]x\r\n");
}

TEST(WriteAKS, WritesWindows1252WhenEveryCharacterFitsElseUtf8) {
    test::TempDir dir;
    Window w(dir);
    w.frm.txtMemo.setText("caf\xC3\xA9 \xE2\x82\xAC");  // "café €", both in Windows-1252
    backup::WriteAKS(w.frm, sideFile(dir));
    EXPECT_EQ(dir.read("SalesApp.aks"), "[Memo]\r\ncaf\xE9 \x80\r\n[End Memo]\r\n");

    w.frm.txtMemo.setText("caf\xC3\xA9 \xE4\xB8\xAD");  // "café 中": the CJK character does not
    backup::WriteAKS(w.frm, sideFile(dir));
    EXPECT_EQ(dir.read("SalesApp.aks"), "[Memo]\r\ncaf\xC3\xA9 \xE4\xB8\xAD\r\n[End Memo]\r\n");

    // Either way every character comes back.
    w.frm.txtMemo.setText("");
    backup::ReadAKS(w.frm, sideFile(dir));
    EXPECT_EQ(w.frm.txtMemo.Text(), "caf\xC3\xA9 \xE4\xB8\xAD");
}

// ---- reading ----

TEST(ReadAKS, AZeroLengthFileGivesNoMemoAndNoRows) {
    test::TempDir dir;
    Window w(dir);
    dir.write("SalesApp.aks", "");
    backup::ReadAKS(w.frm, sideFile(dir));
    EXPECT_EQ(w.frm.txtMemo.Text(), "");
    EXPECT_TRUE(w.frm.ListView1.items.empty());
}

TEST(ReadAKS, MemosReadBackExactlyAsWritten) {
    test::TempDir dir;
    Window w(dir);
    for (std::string memo : {"one line", "two\r\nlines", "ends with a break\r\n", "[Stamp]\r\n\r\n",
                             "\r\n", "  spaced  \r\n\r\nand a gap"}) {
        w.frm.txtMemo.setText(memo);
        backup::WriteAKS(w.frm, sideFile(dir));
        w.frm.txtMemo.setText("");
        backup::ReadAKS(w.frm, sideFile(dir));
        EXPECT_EQ(w.frm.txtMemo.Text(), memo);
    }
}

TEST(ReadAKS, AddsUserRowsWithTheirSizeAndDateAndFitsTheColumns) {
    test::TempDir dir;
    std::string big = dir.write("big.dat", std::string(1234, 'b'));
    Window w(dir);
    w.frm.ListView1.addColumn("    File", 100);
    w.frm.ListView1.addColumn("Lines", 800);
    w.frm.ListView1.addColumn("Type", 100);
    dir.write("SalesApp.aks", "[File]" + big + "\r\n");
    backup::ReadAKS(w.frm, sideFile(dir));
    ASSERT_EQ(w.frm.ListView1.items.size(), 1u);
    const auto& row = w.frm.ListView1.items[0];
    auto info = w.fs.findFirst(big, false);
    ASSERT_TRUE(info);
    EXPECT_EQ(row.text, big);
    EXPECT_EQ(row.subItems,
              (std::vector<std::string>{"---", "User added", "1,234",
                                        form::FormatFileDate(info->creationTime), "---"}));
    EXPECT_EQ(row.smallIcon, 22);
    EXPECT_TRUE(row.checked);
    EXPECT_EQ(row.foreColor, std::optional<ui::Colour>(0xFF0000));
    EXPECT_GT(w.frm.ListView1.columns[0].width, 100);  // fitted to the path
    EXPECT_GT(w.frm.ListView1.columns[2].width, 100);  // fitted to "User added"
}

TEST(ReadAKS, AnEndMarkerInsideTheMemoEndsItThereAndTheRestIsOrdinaryLines) {
    test::TempDir dir;
    std::string notes = dir.write("notes.txt", "n");
    Window w(dir);
    w.frm.txtMemo.setText("before\r\n[End Memo]\r\nafter\r\n[File]" + notes);
    backup::WriteAKS(w.frm, sideFile(dir));
    w.frm.txtMemo.setText("");
    backup::ReadAKS(w.frm, sideFile(dir));
    EXPECT_EQ(w.frm.txtMemo.Text(), "before");
    // The memo line after the marker now counts as a file entry.
    EXPECT_EQ(w.rowTexts(), (std::vector<std::string>{notes}));
}

TEST(ReadAKS, AFileTagInsideTheMemoStaysMemoText) {
    test::TempDir dir;
    std::string notes = dir.write("notes.txt", "n");
    Window w(dir);
    std::string memo = "see\r\n[File]" + notes + "\r\nx[File]" + notes;
    w.frm.txtMemo.setText(memo);
    backup::WriteAKS(w.frm, sideFile(dir));
    w.frm.txtMemo.setText("");
    backup::ReadAKS(w.frm, sideFile(dir));
    EXPECT_EQ(w.frm.txtMemo.Text(), memo);
    EXPECT_TRUE(w.frm.ListView1.items.empty());
}

TEST(ReadAKS, ATagAnywhereInALineTakesThePathFromTheSeventhCharacter) {
    test::TempDir dir;
    Window w(dir);
    dir.write("]name.txt", "odd");
    dir.write("name.txt", "plain");
    dir.write("SalesApp.aks", "x[File]name.txt\r\n");
    // The entry is a relative path here, so look it up from inside the folder.
    auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    backup::ReadAKS(w.frm, sideFile(dir));
    std::filesystem::current_path(cwd);
    EXPECT_EQ(w.rowTexts(), (std::vector<std::string>{"]name.txt"}));
    // A rewrite starts the line with the tag.
    backup::WriteAKS(w.frm, sideFile(dir));
    EXPECT_EQ(dir.read("SalesApp.aks"), "[File]]name.txt\r\n");
}

TEST(ReadAKS, DuplicatesGiveTwoRowsAndTwoLines) {
    test::TempDir dir;
    std::string notes = dir.write("notes.txt", "n");
    Window w(dir);
    const std::string content = "[File]" + notes + "\r\n[File]" + notes + "\r\n";
    dir.write("SalesApp.aks", content);
    backup::ReadAKS(w.frm, sideFile(dir));
    EXPECT_EQ(w.rowTexts(), (std::vector<std::string>{notes, notes}));
    backup::WriteAKS(w.frm, sideFile(dir));
    EXPECT_EQ(dir.read("SalesApp.aks"), content);
}

TEST(ReadAKS, EntriesForFilesThatNoLongerExistGiveNoRowAndTheNextRewriteDropsThem) {
    test::TempDir dir;
    std::string kept = dir.write("kept.txt", "k");
    std::string hidden = dir.write(".hidden", "h");
    Window w(dir);
    dir.write("SalesApp.aks", "[File]" + (dir / "gone.txt") + "\r\n[File]" + kept + "\r\n[File]" +
                                  hidden + "\r\n[File]\r\n[File]" + (dir / "") + "\r\n");
    backup::ReadAKS(w.frm, sideFile(dir));
    EXPECT_EQ(w.rowTexts(), (std::vector<std::string>{kept}));
    backup::WriteAKS(w.frm, sideFile(dir));
    EXPECT_EQ(dir.read("SalesApp.aks"), "[File]" + kept + "\r\n");
}

TEST(ReadAKS, AMemoWithoutEndMarkerRunsToTheEndOfTheFile) {
    test::TempDir dir;
    std::string notes = dir.write("notes.txt", "n");
    Window w(dir);
    dir.write("SalesApp.aks", "[Memo]\r\nfirst\r\n[File]" + notes + "\r\nlast\r\n");
    backup::ReadAKS(w.frm, sideFile(dir));
    EXPECT_EQ(w.frm.txtMemo.Text(), "first\r\n[File]" + notes + "\r\nlast");
    EXPECT_TRUE(w.frm.ListView1.items.empty());
}

TEST(ReadAKS, AppendsToWhatTheMemoBoxHoldsAndJoinsSeveralBlocks) {
    test::TempDir dir;
    Window w(dir);
    dir.write("SalesApp.aks",
              "[Memo]\r\na\r\n[End Memo]\r\n[Memo]\r\n[End Memo]\r\n[Memo]\r\nb\r\n"
              "[End Memo]\r\n");
    w.frm.txtMemo.setText("x");
    backup::ReadAKS(w.frm, sideFile(dir));
    // An empty block adds nothing and takes nothing away.
    EXPECT_EQ(w.frm.txtMemo.Text(), "xab");
}

TEST(ReadAKS, CrOnlyAndLfOnlyLineEndsReadLikeCrLf) {
    test::TempDir dir;
    std::string notes = dir.write("notes.txt", "n");
    Window w(dir);
    for (std::string eol : {"\r", "\n"}) {
        w.frm.ListView1.clearItems();
        w.frm.txtMemo.setText("");
        dir.write("SalesApp.aks", "[Memo]" + eol + "one" + eol + "two" + eol + "[End Memo]" + eol +
                                      "[File]" + notes);
        backup::ReadAKS(w.frm, sideFile(dir));
        EXPECT_EQ(w.frm.txtMemo.Text(), "one\r\ntwo");
        EXPECT_EQ(w.rowTexts(), (std::vector<std::string>{notes}));
    }
}

TEST(ReadAKS, Windows1252AndUtf8FilesBothRead) {
    test::TempDir dir;
    Window w(dir);
    dir.write("SalesApp.aks", "[Memo]\r\nna\xEFve \x80 5\r\n[End Memo]\r\n");
    backup::ReadAKS(w.frm, sideFile(dir));
    EXPECT_EQ(w.frm.txtMemo.Text(), "na\xC3\xAFve \xE2\x82\xAC 5");
    w.frm.txtMemo.setText("");
    dir.write("SalesApp.aks", "[Memo]\r\nna\xC3\xAFve\r\n[End Memo]\r\n");
    backup::ReadAKS(w.frm, sideFile(dir));
    EXPECT_EQ(w.frm.txtMemo.Text(), "na\xC3\xAFve");
}

TEST(ReadAKS, ABinaryFileLoadsOnlyItsSoundEntries) {
    test::TempDir dir;
    std::string notes = dir.write("notes.txt", "n");
    Window w(dir);
    std::string junk;
    for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 131 + 7) & 0xFF);
    std::string content = junk + "\n[File]" + std::string("\0\xFF\xFE", 3) + "\n[File]" + notes +
                          "\n" + junk + "[File]" + std::string(5000, 'z') + "\n" + junk;
    dir.write("SalesApp.aks", content);
    backup::ReadAKS(w.frm, sideFile(dir));
    EXPECT_EQ(w.rowTexts(), (std::vector<std::string>{notes}));
}

TEST(ReadAKS, AFileOverTheLimitIsNotReadAndNotTouched) {
    test::TempDir dir;
    std::string notes = dir.write("notes.txt", "n");
    Window w(dir);
    // 100 MB that starts like a sound side file; sparse, so the test writes next to nothing.
    std::string head = "[Memo]\r\nbig\r\n[End Memo]\r\n[File]" + notes + "\r\n";
    dir.write("SalesApp.aks", head);
    std::filesystem::resize_file(sideFile(dir), 100u * 1000u * 1000u);
    backup::ReadAKS(w.frm, sideFile(dir));
    EXPECT_EQ(w.frm.txtMemo.Text(), "");
    EXPECT_TRUE(w.frm.ListView1.items.empty());
    EXPECT_EQ(std::filesystem::file_size(sideFile(dir)), 100u * 1000u * 1000u);
}

TEST(ReadAKS, AFileOfExactlyTheLimitIsRead) {
    test::TempDir dir;
    Window w(dir);
    std::string head = "[Memo]\r\nfits\r\n[End Memo]\r\n";
    dir.write("SalesApp.aks", head + std::string(backup::kSideFileReadLimit - head.size(), ' '));
    backup::ReadAKS(w.frm, sideFile(dir));
    EXPECT_EQ(w.frm.txtMemo.Text(), "fits");

    w.frm.txtMemo.setText("");
    std::filesystem::resize_file(sideFile(dir), backup::kSideFileReadLimit + 1);
    backup::ReadAKS(w.frm, sideFile(dir));
    EXPECT_EQ(w.frm.txtMemo.Text(), "");
}

TEST(ReadAKS, AMissingFileOrAFolderIsNoCrash) {
    test::TempDir dir;
    Window w(dir);
    backup::ReadAKS(w.frm, dir / "none.aks");
    std::filesystem::create_directory(dir / "SalesApp.aks");
    backup::ReadAKS(w.frm, sideFile(dir));
    backup::ReadAKS(w.frm, "");
    EXPECT_EQ(w.frm.txtMemo.Text(), "");
    EXPECT_TRUE(w.frm.ListView1.items.empty());
}

// ---- saving the memo of a project whose rows are gone ----

TEST(SaveMemo, ReplacesTheMemoAndKeepsTheFilesTheSideFileLists) {
    test::TempDir dir;
    std::string notes = dir.write("notes.txt", "n");
    Window w(dir);
    // Entries are kept as they stand, even one whose file is gone: this is a memo save.
    dir.write("SalesApp.aks", "[Memo]\r\nold\r\n[End Memo]\r\n[File]" + notes + "\r\n[File]" +
                                  (dir / "gone.txt") + "\r\n");
    w.scannedRow(dir / "Sales.vbp");  // the next project's rows: not this file's business
    w.frm.txtMemo.setText("new");
    backup::SaveMemo(w.frm, sideFile(dir));
    EXPECT_EQ(dir.read("SalesApp.aks"), "[Memo]\r\nnew\r\n[End Memo]\r\n[File]" + notes +
                                            "\r\n[File]" + (dir / "gone.txt") + "\r\n");
    w.frm.txtMemo.setText("");
    backup::SaveMemo(w.frm, sideFile(dir));
    EXPECT_EQ(dir.read("SalesApp.aks"),
              "[File]" + notes + "\r\n[File]" + (dir / "gone.txt") + "\r\n");
}

TEST(SaveMemo, WithoutASideFileWritesTheMemoAlone) {
    test::TempDir dir;
    Window w(dir);
    w.frm.txtMemo.setText("first words");
    backup::SaveMemo(w.frm, sideFile(dir));
    EXPECT_EQ(dir.read("SalesApp.aks"), "[Memo]\r\nfirst words\r\n[End Memo]\r\n");
    backup::SaveMemo(w.frm, "");
    EXPECT_EQ(folderEntries(dir), (std::vector<std::string>{"Sales.vbp", "SalesApp.aks"}));
}

// ---- adding and removing files ----

TEST(AddFile, AsksWithTheTitleFilterAndExtensionThenAddsTheRowAndRewrites) {
    test::TempDir dir;
    std::string chosen = dir.write("docs/readme.txt", std::string(2048, 'r'));
    Window w(dir);
    w.frm.txtMemo.setText("memo");
    w.dialogs.nextFiles.push_back(chosen);
    backup::AddFile(w.frm);
    ASSERT_EQ(w.dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(w.dialogs.fileRequests[0].title, "Add file to project");
    EXPECT_EQ(w.dialogs.fileRequests[0].filter, "All Files|*.*");
    EXPECT_EQ(w.dialogs.fileRequests[0].defaultExtension, "*.*");
    ASSERT_EQ(w.frm.ListView1.items.size(), 1u);
    const auto& row = w.frm.ListView1.items[0];
    EXPECT_EQ(row.text, chosen);
    EXPECT_EQ(row.cell(1), "---");
    EXPECT_EQ(row.cell(2), "User added");
    EXPECT_EQ(row.cell(3), "2,048");
    EXPECT_EQ(row.cell(5), "---");
    EXPECT_EQ(row.smallIcon, 22);
    EXPECT_EQ(row.foreColor, std::optional<ui::Colour>(0xFF0000));
    EXPECT_EQ(dir.read("SalesApp.aks"), "[Memo]\r\nmemo\r\n[End Memo]\r\n[File]" + chosen + "\r\n");
}

TEST(AddFile, TheSameFileTwiceGivesTwoRowsAndTwoLines) {
    test::TempDir dir;
    std::string chosen = dir.write("a.txt", "a");
    Window w(dir);
    w.dialogs.nextFiles = {chosen, chosen};
    backup::AddFile(w.frm);
    backup::AddFile(w.frm);
    EXPECT_EQ(w.rowTexts(), (std::vector<std::string>{chosen, chosen}));
    EXPECT_EQ(dir.read("SalesApp.aks"), "[File]" + chosen + "\r\n[File]" + chosen + "\r\n");
}

TEST(AddFile, AHiddenFileGivesNoRowButTheSideFileIsRewrittenUnchanged) {
    test::TempDir dir;
    std::string hidden = dir.write(".hidden.txt", "h");
    std::string kept = dir.write("kept.txt", "k");
    Window w(dir);
    // Without a side file, the rewrite shows as the empty file it leaves.
    w.dialogs.nextFiles.push_back(hidden);
    backup::AddFile(w.frm);
    EXPECT_TRUE(w.frm.ListView1.items.empty());
    ASSERT_TRUE(dir.exists("SalesApp.aks"));
    EXPECT_EQ(dir.read("SalesApp.aks"), "");

    w.userRow(kept);
    w.frm.txtMemo.setText("m");
    backup::WriteAKS(w.frm, sideFile(dir));
    const std::string before = dir.read("SalesApp.aks");
    w.dialogs.nextFiles.push_back(hidden);
    backup::AddFile(w.frm);
    EXPECT_EQ(w.rowTexts(), (std::vector<std::string>{kept}));
    EXPECT_EQ(dir.read("SalesApp.aks"), before);
}

TEST(AddFile, ACancelledDialogOrAMissingFileChangesNothing) {
    test::TempDir dir;
    Window w(dir);
    backup::AddFile(w.frm);  // cancelled
    w.dialogs.nextFiles.push_back(dir / "missing.txt");
    backup::AddFile(w.frm);
    EXPECT_EQ(w.dialogs.fileRequests.size(), 2u);
    EXPECT_TRUE(w.frm.ListView1.items.empty());
    EXPECT_FALSE(dir.exists("SalesApp.aks"));
}

TEST(AddFile, TheDialogAnswerIsCutAtANul) {
    test::TempDir dir;
    std::string chosen = dir.write("a.txt", "a");
    Window w(dir);
    w.dialogs.nextFiles.push_back(chosen + std::string("\0junk", 5));
    EXPECT_EQ(backup::fncGetFileNametoOpen(w.frm, "t", "All Files|*.*", "*.*"), chosen);
    EXPECT_EQ(backup::fncGetFileNametoOpen(w.frm), "");  // cancelled
}

TEST(RemoveUserFile, RemovingTheLastUserFileLeavesTheMemoBlockOnly) {
    test::TempDir dir;
    std::string a = dir.write("a.txt", "a"), b = dir.write("b.txt", "b");
    Window w(dir);
    w.userRow(a);
    w.userRow(b);
    w.frm.txtMemo.setText("memo");
    w.frm.ListView1.selected = 0;
    backup::RemoveUserFile(w.frm);
    EXPECT_EQ(w.rowTexts(), (std::vector<std::string>{b}));
    EXPECT_EQ(dir.read("SalesApp.aks"), "[Memo]\r\nmemo\r\n[End Memo]\r\n[File]" + b + "\r\n");
    w.frm.ListView1.selected = 0;
    backup::RemoveUserFile(w.frm);
    EXPECT_TRUE(w.frm.ListView1.items.empty());
    EXPECT_EQ(dir.read("SalesApp.aks"), "[Memo]\r\nmemo\r\n[End Memo]\r\n");
}

TEST(RemoveUserFile, WithAnEmptyMemoTheLastRemovalLeavesAnEmptyFile) {
    test::TempDir dir;
    std::string a = dir.write("a.txt", "a");
    Window w(dir);
    w.userRow(a);
    w.frm.ListView1.selected = 0;
    backup::RemoveUserFile(w.frm);
    ASSERT_TRUE(dir.exists("SalesApp.aks"));
    EXPECT_EQ(dir.read("SalesApp.aks"), "");
}

TEST(RemoveUserFile, AScannedRowOrNoSelectionIsLeftAloneWhateverTheToolSays) {
    test::TempDir dir;
    std::string module = dir.write("Module1.bas", "m"), a = dir.write("a.txt", "a");
    Window w(dir);
    w.scannedRow(module);
    w.userRow(a);
    w.frm.SSActiveToolBars1.setEnabled("ID_Remove", true);  // stale from an earlier click
    w.frm.ListView1.selected = 0;
    backup::RemoveUserFile(w.frm);
    w.frm.ListView1.selected.reset();
    backup::RemoveUserFile(w.frm);
    w.frm.ListView1.selected = 7;  // beyond the rows
    backup::RemoveUserFile(w.frm);
    EXPECT_EQ(w.rowTexts(), (std::vector<std::string>{module, a}));
    EXPECT_FALSE(dir.exists("SalesApp.aks"));
}

// ---- memo editing ----

TEST(MemoKeyPress, EachCharacterKeyRewritesWithTheKeystrokeIncluded) {
    test::TempDir dir;
    std::string a = dir.write("a.txt", "a");
    Window w(dir);
    w.userRow(a);
    // The view changes the text first, then reports the key.
    w.frm.txtMemo.setText("H");
    int key = 'H';
    backup::txtMemo_KeyPress(w.frm, key);
    EXPECT_EQ(dir.read("SalesApp.aks"), "[Memo]\r\nH\r\n[End Memo]\r\n[File]" + a + "\r\n");
    w.frm.txtMemo.setText("H\r\n");
    key = 13;
    backup::txtMemo_KeyPress(w.frm, key);
    EXPECT_EQ(dir.read("SalesApp.aks"), "[Memo]\r\nH\r\n\r\n[End Memo]\r\n[File]" + a + "\r\n");
    w.frm.txtMemo.setText("");
    key = 8;
    backup::txtMemo_KeyPress(w.frm, key);
    EXPECT_EQ(dir.read("SalesApp.aks"), "[File]" + a + "\r\n");
}

TEST(MemoKeyPress, ASwallowedKeyWritesNothing) {
    test::TempDir dir;
    Window w(dir);
    w.frm.txtMemo.setText("x");
    int key = 0;
    backup::txtMemo_KeyPress(w.frm, key);
    EXPECT_FALSE(dir.exists("SalesApp.aks"));
}

TEST(MemoKeyPress, WritesToTheShownProjectEvenAfterTheActiveProjectMovedOn) {
    test::TempDir dir;
    Window w(dir);
    w.frm.memoSideFile = sideFile(dir);
    // Another project became active in the environment; no scan has run since.
    auto& other = w.vbe.addProject({.Name = "Other", .FileName = dir / "other/Other.vbp"});
    std::filesystem::create_directory(dir / "other");
    w.vbe.setActive(&other);
    w.frm.txtMemo.setText("mine");
    int key = 'e';
    backup::txtMemo_KeyPress(w.frm, key);
    EXPECT_EQ(dir.read("SalesApp.aks"), "[Memo]\r\nmine\r\n[End Memo]\r\n");
    EXPECT_FALSE(dir.exists("other/SalesApp.aks"));
}

TEST(AddDate, AppendsTheStampWithEnglishNamesAnd24HourTimeWithoutRewriting) {
    test::TempDir dir;
    Window w(dir);
    // The clock's own weekday is wrong on purpose: the stamp follows the date.
    w.clock.time = {
        .year = 2026, .month = 12, .day = 5, .hour = 7, .minute = 9, .second = 56, .weekday = 1};
    w.frm.txtMemo.setText("Release 2\r\n");
    backup::cmdAddDate_Click(w.frm);
    EXPECT_EQ(w.frm.txtMemo.Text(), "Release 2\r\n[Saturday, Dec 5 2026 - 07:09:56]\r\n");
    w.clock.time = {.year = 2027, .month = 1, .day = 31, .hour = 23, .minute = 0, .second = 5};
    backup::cmdAddDate_Click(w.frm);
    EXPECT_EQ(w.frm.txtMemo.Text(),
              "Release 2\r\n[Saturday, Dec 5 2026 - 07:09:56]\r\n"
              "[Sunday, Jan 31 2027 - 23:00:05]\r\n");
    EXPECT_FALSE(dir.exists("SalesApp.aks"));
    // Saved by the next rewrite, line break and all.
    int key = ' ';
    backup::txtMemo_KeyPress(w.frm, key);
    w.frm.txtMemo.setText("");
    backup::ReadAKS(w.frm, sideFile(dir));
    EXPECT_EQ(w.frm.txtMemo.Text(),
              "Release 2\r\n[Saturday, Dec 5 2026 - 07:09:56]\r\n"
              "[Sunday, Jan 31 2027 - 23:00:05]\r\n");
}

TEST(AddDate, AnImpossibleClockReadingAddsNothing) {
    test::TempDir dir;
    Window w(dir);
    w.clock.time = {.year = 2026, .month = 13, .day = 1};
    w.frm.txtMemo.setText("m");
    backup::cmdAddDate_Click(w.frm);
    EXPECT_EQ(w.frm.txtMemo.Text(), "m");
}
