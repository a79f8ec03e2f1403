#include "projectview/project_info.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "backup/side_file.h"
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

// A window wired the way the shell wires it, with a small stand-in for the scan: it replaces the
// list's rows by the active project's file row, notes the scanned name and shows the project.
struct Window : test::HeadlessWindow {
    Window() {
        clock.time =
            os::DateTime{.year = 2026, .month = 12, .day = 5, .hour = 7, .minute = 9, .second = 56};
        frm.VBInstance = &vbe;
        frm.lblProjectName.Change = [this] { projectview::lblProjectName_Change(frm); };
        frm.routines.ProjectInfo = [this] { projectview::ProjectInfo(frm); };
        frm.routines.FillTree = [this] { scan(); };
        frm.routines.ReadAKS = [this](const std::string& p) { backup::ReadAKS(frm, p); };
        frm.routines.WriteAKS = [this](const std::string& p) { backup::WriteAKS(frm, p); };
        frm.routines.SaveMemo = [this](const std::string& p) { backup::SaveMemo(frm, p); };
    }

    ide::MemoryVBE vbe;
    int scans = 0;

    ide::MemoryProject& project(const test::TempDir& dir, const std::string& folder,
                                const std::string& name) {
        std::string file = dir.write(folder + "/" + name + ".vbp", "Type=Exe\r\n");
        return vbe.addProject({.Name = name, .FileName = file});
    }
    void scan() {
        ++scans;
        frm.ListView1.clearItems();
        ide::VBProject& p = vbe.ActiveVBProject();
        frm.ScannedProjectName = p.Name();
        form::AddFileRow(frm, p.FileName(), "---", "Visual Basic Project", "10", "01 Jan 2026",
                         "True", 12, "Black");
        projectview::ProjectInfo(frm);
    }
    // A scan that finds no saved file: the message row only, no project information.
    void emptyScan() {
        ++scans;
        frm.ListView1.clearItems();
        frm.ScannedProjectName = vbe.ActiveVBProject().Name();
        frm.ListView1.addItem("No saved files found in project", 0);
    }
    void type(const std::string& text) {
        frm.txtMemo.setText(frm.txtMemo.Text() + text);
        int key = text.empty() ? 0 : static_cast<unsigned char>(text.back());
        backup::txtMemo_KeyPress(frm, key);
    }
    std::vector<std::string> userRows() const {
        std::vector<std::string> out;
        for (const auto& r : frm.ListView1.items)
            if (form::IsUserAddedRow(r)) out.push_back(r.text);
        return out;
    }
};

}  // namespace

TEST(ProjectInfo, FillsTheFieldsAndLeavesThePictureAlone) {
    test::TempDir dir;
    Window w;
    auto& p = w.project(dir, "sales", "SalesApp");
    p.data().Description = "Order entry";
    p.data().BuildFileName = "C:\\bin\\Sales.exe";
    w.frm.imgProject.image = 14;
    w.scan();
    EXPECT_EQ(w.frm.lblProject.Caption(), "SalesApp");
    EXPECT_EQ(w.frm.lblProjectName.Caption(), "SalesApp");
    EXPECT_EQ(w.frm.lblDesc.Caption(), "Order entry");
    EXPECT_EQ(w.frm.lblBuildName.Caption(), "C:\\bin\\Sales.exe");
    EXPECT_EQ(w.frm.imgProject.image, 14);
    EXPECT_EQ(w.frm.memoSideFile, dir / "sales/SalesApp.aks");
    EXPECT_EQ(w.scans, 1);  // the label now equals the scanned name: no second scan
}

TEST(ProjectInfo, AnEmptyDescriptionAndBuildNameShowDashes) {
    test::TempDir dir;
    Window w;
    w.project(dir, "p", "Bare");
    w.frm.lblDesc.setCaption("from before");
    w.frm.lblBuildName.setCaption("from before");
    w.scan();
    EXPECT_EQ(w.frm.lblDesc.Caption(), "---");
    EXPECT_EQ(w.frm.lblBuildName.Caption(), "---");
}

TEST(ProjectInfo, AMissingSideFileShowsAnEmptyMemoAndWritesNothing) {
    test::TempDir dir;
    Window w;
    w.project(dir, "p", "Bare");
    w.frm.txtMemo.setText("left over, belonging to no side file");
    w.scan();
    EXPECT_EQ(w.frm.txtMemo.Text(), "");
    EXPECT_TRUE(w.userRows().empty());
    EXPECT_FALSE(dir.exists("p/Bare.aks"));
}

TEST(ProjectInfo, LoadsTheMemoAndUserFilesOfTheSideFile) {
    test::TempDir dir;
    std::string notes = dir.write("docs/notes.txt", "n");
    Window w;
    w.project(dir, "p", "Sales");
    dir.write("p/Sales.aks", "[Memo]\r\nRelease 2\r\n[End Memo]\r\n[File]" + notes + "\r\n");
    w.scan();
    EXPECT_EQ(w.frm.txtMemo.Text(), "Release 2");
    EXPECT_EQ(w.userRows(), (std::vector<std::string>{notes}));
}

TEST(ProjectInfo, AFailingReadLeavesItsFieldAsItWas) {
    test::TempDir dir;
    Window w;
    auto& p = w.project(dir, "p", "Sales");
    p.data().Description = "new";
    p.data().BuildFileName = "new.exe";
    w.frm.lblDesc.setCaption("old");
    w.frm.lblBuildName.setCaption("old.exe");
    p.fail("Description");
    p.fail("BuildFileName");
    w.scan();
    EXPECT_EQ(w.frm.lblDesc.Caption(), "old");
    EXPECT_EQ(w.frm.lblBuildName.Caption(), "old.exe");
    EXPECT_EQ(w.frm.lblProject.Caption(), "Sales");
}

TEST(ProjectInfo, WithoutTheProjectsNameNoSideFileIsRead) {
    test::TempDir dir;
    Window w;
    w.project(dir, "p", "A");
    w.scan();
    // A second project in the same folder whose name cannot be read: lblProject still says
    // "A", so a side file formed now would be A's.
    auto& b = w.project(dir, "p", "B");
    dir.write("p/A.aks", "[Memo]\r\nA's memo\r\n[End Memo]\r\n");
    w.vbe.setActive(&b);
    b.fail("Name");
    projectview::ProjectInfo(w.frm);
    EXPECT_EQ(w.frm.lblProject.Caption(), "A");
    EXPECT_EQ(w.frm.txtMemo.Text(), "");
    EXPECT_EQ(w.frm.memoSideFile, "");
}

TEST(ProjectNameChange, AnEmptyMemoWritesNothingAndAMatchingNameStartsNoScan) {
    test::TempDir dir;
    Window w;
    w.project(dir, "p", "Sales");
    w.scan();
    w.frm.ScannedProjectName = "";
    w.frm.lblProjectName.setCaption("");  // the window closing
    EXPECT_EQ(w.scans, 1);
    EXPECT_FALSE(dir.exists("p/Sales.aks"));
}

TEST(ProjectNameChange, ANameOtherThanTheScannedOneStartsOneScan) {
    test::TempDir dir;
    Window w;
    w.project(dir, "p", "Sales");
    w.frm.ScannedProjectName = "Sales";
    w.frm.lblProjectName.setCaption("Other");
    EXPECT_EQ(w.scans, 1);
    EXPECT_EQ(w.frm.lblProjectName.Caption(), "Sales");
}

TEST(ProjectNameChange, ClosingSavesTheMemoToItsOwnFileWithItsFilesAndEmptiesIt) {
    test::TempDir dir;
    std::string notes = dir.write("notes.txt", "n");
    Window w;
    w.project(dir, "p", "Sales");
    dir.write("p/Sales.aks", "[File]" + notes + "\r\n");
    w.scan();
    backup::cmdAddDate_Click(w.frm);  // not saved by itself
    w.frm.ScannedProjectName = "";
    w.frm.lblProjectName.setCaption("");
    EXPECT_EQ(w.frm.txtMemo.Text(), "");
    EXPECT_EQ(w.scans, 1);
    EXPECT_EQ(
        dir.read("p/Sales.aks"),
        "[Memo]\r\n[Saturday, Dec 5 2026 - 07:09:56]\r\n\r\n[End Memo]\r\n[File]" + notes + "\r\n");
}

// The memo and the user-added files of each project stay with that project when the shown
// project changes back and forth, whether the projects share a folder or not.
TEST(ProjectSwitch, EachSideFileKeepsItsOwnMemoAndFilesBothWays) {
    for (bool sameFolder : {false, true}) {
        SCOPED_TRACE(sameFolder ? "one folder" : "two folders");
        test::TempDir dir;
        std::string aFile = dir.write("a.txt", "a"), bFile = dir.write("b.txt", "b");
        Window w;
        auto& a = w.project(dir, "a", "Alpha");
        auto& b = w.project(dir, sameFolder ? "a" : "b", "Beta");
        std::string aSide = form::DirOf(a.data().FileName) + "Alpha.aks";
        std::string bSide = form::DirOf(b.data().FileName) + "Beta.aks";
        std::ofstream(bSide, std::ios::binary)
            << "[Memo]\r\nBeta notes\r\n[End Memo]\r\n[File]" + bFile + "\r\n";

        w.vbe.setActive(&a);
        w.scan();
        EXPECT_EQ(w.frm.txtMemo.Text(), "");
        w.dialogs.nextFiles.push_back(aFile);
        backup::AddFile(w.frm);
        w.type("Alpha notes");
        backup::cmdAddDate_Click(w.frm);  // still unsaved when the project changes

        w.vbe.setActive(&b);
        w.scan();
        EXPECT_EQ(w.frm.txtMemo.Text(), "Beta notes");
        EXPECT_EQ(w.userRows(), (std::vector<std::string>{bFile}));
        const std::string alphaSaved =
            "[Memo]\r\nAlpha notes[Saturday, Dec 5 2026 - 07:09:56]\r\n"
            "\r\n[End Memo]\r\n[File]" +
            aFile + "\r\n";
        std::ifstream in(aSide, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), alphaSaved);
        w.type(" more");

        w.vbe.setActive(&a);
        w.scan();
        EXPECT_EQ(w.frm.txtMemo.Text(), "Alpha notes[Saturday, Dec 5 2026 - 07:09:56]\r\n");
        EXPECT_EQ(w.userRows(), (std::vector<std::string>{aFile}));
        std::ifstream inB(bSide, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(inB), {}),
                  "[Memo]\r\nBeta notes more\r\n[End Memo]\r\n[File]" + bFile + "\r\n");
        EXPECT_EQ(w.scans, 3);
    }
}

TEST(ProjectSwitch, AnEmptyStateScanBetweenKeepsTheMemoAndFilesOfTheProjectLeft) {
    test::TempDir dir;
    std::string aFile = dir.write("a.txt", "a");
    Window w;
    auto& a = w.project(dir, "a", "Alpha");
    auto& empty = w.vbe.addProject({.Name = "Unsaved"});
    auto& c = w.project(dir, "c", "Gamma");
    dir.write("a/Alpha.aks", "[Memo]\r\nkept\r\n[End Memo]\r\n[File]" + aFile + "\r\n");
    w.vbe.setActive(&a);
    w.scan();
    backup::cmdAddDate_Click(w.frm);
    w.vbe.setActive(&empty);
    w.emptyScan();
    w.vbe.setActive(&c);
    w.scan();
    EXPECT_EQ(dir.read("a/Alpha.aks"),
              "[Memo]\r\nkept[Saturday, Dec 5 2026 - 07:09:56]\r\n\r\n[End Memo]\r\n[File]" +
                  aFile + "\r\n");
    EXPECT_EQ(w.frm.txtMemo.Text(), "");
    EXPECT_FALSE(dir.exists("c/Alpha.aks"));
    EXPECT_FALSE(dir.exists("c/Gamma.aks"));
}

TEST(ProjectRescan, AnUnsavedDateStampSurvivesARescanOfTheSameProject) {
    test::TempDir dir;
    std::string aFile = dir.write("a.txt", "a");
    Window w;
    w.project(dir, "a", "Alpha");
    dir.write("a/Alpha.aks", "[Memo]\r\nnotes\r\n[End Memo]\r\n[File]" + aFile + "\r\n");
    w.scan();
    backup::cmdAddDate_Click(w.frm);
    w.scan();  // a component added in the environment, say
    EXPECT_EQ(w.frm.txtMemo.Text(), "notes[Saturday, Dec 5 2026 - 07:09:56]\r\n");
    EXPECT_EQ(w.userRows(), (std::vector<std::string>{aFile}));
}
