#include <gtest/gtest.h>

#include "platform/ide/memory_ide.h"
#include "projectview/file_list.h"
#include "projectview/scan.h"
#include "support/failing_environment.h"
#include "support/temp_dir.h"

using namespace arkstash;
using projectview::FileKind;

namespace {

// Two saved projects of a group with components of several kinds, their files on disk.
class ScanTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    os::PosixFileSystem fs;
    ide::MemoryVBE vbe;
    ide::MemoryProject* sales = nullptr;
    ide::MemoryProject* grid = nullptr;

    std::string file(const std::string& rel, const std::string& content = "x") {
        return dir.write(rel, content);
    }

    void SetUp() override {
        vbe.setGroupFileName(file("All.vbg"));
        sales = &vbe.addProject({"Sales", file("Sales.vbp"), "", "", ide::vbext_pt_StandardExe,
                                 false});
        grid = &vbe.addProject({"Grid", file("Grid/Grid.vbp"), "", "", ide::vbext_pt_ActiveXControl,
                                true});
        vbe.setStartProject(grid);
        file("frmMain.frx");
        sales->addComponent({"frmMain", ide::vbext_ct_VBForm, file("frmMain.frm"), true, true, 12});
        sales->addComponent({"modMain", ide::vbext_ct_StdModule, file("modMain.bas"), false, true, 3});
        sales->addComponent({"frmMDI", ide::vbext_ct_VBMDIForm, file("frmMDI.frm")});
        sales->addComponent({"Notes", ide::vbext_ct_RelatedDocument, file("Notes.txt", ""), false,
                             false});
        grid->addComponent({"ctlGrid", ide::vbext_ct_UserControl, file("Grid/ctlGrid.ctl")});
    }

    std::vector<std::string> rowSummary(const projectview::ProjectScan& scan) {
        std::vector<std::string> out;
        for (const auto& row : scan.rows) {
            std::string line = row.path.substr(dir.str().size() + 1);
            for (std::size_t c = 1; c < projectview::kFileColumnCount; ++c)
                if (c != projectview::kDateColumn) line += "|" + projectview::cellText(row, c);
            out.push_back(line);
        }
        return out;
    }

    std::vector<std::string> treeSummary(const projectview::ProjectTree& tree) {
        std::vector<std::string> out;
        for (const auto& node : tree.nodes())
            out.push_back((node.parent ? std::to_string(*node.parent) + ">" : "") + node.caption +
                          "#" + std::to_string(node.image) + (node.bold ? " bold" : "") +
                          (node.expanded ? " open" : ""));
        return out;
    }
};

TEST_F(ScanTest, RowsComeInScanOrderWithEachProjectsOwnPictureAndSavedState) {
    auto scan = projectview::scanProjects(vbe, fs);
    EXPECT_EQ(rowSummary(scan), (std::vector<std::string>{
                                    "All.vbg|---|Visual Basic Group|1|---",
                                    "Sales.vbp|---|Visual Basic Project|1|False",
                                    "frmMain.frx|---|Form Binary|1| --- ",
                                    "frmMain.frm| 12|Form|1|False",
                                    "modMain.bas| 3|Module|1|True",
                                    "frmMDI.frm| 0|MDI Form|1|True",
                                    "Notes.txt|---|Related document||True",
                                    "Grid/Grid.vbp|---|Visual Basic Project|1|True",
                                    "Grid/ctlGrid.ctl| 0|User control|1|True",
                                }));
    EXPECT_EQ(scan.rows[1].image, projectview::images::kProjectBase + 0);
    EXPECT_EQ(scan.rows[7].image, projectview::images::kProjectBase + 3);
    EXPECT_EQ(scan.rows[2].project, "Sales");
    EXPECT_EQ(scan.activeProjectName, "Sales");
    EXPECT_TRUE(scan.problems.empty());
}

TEST_F(ScanTest, TreeHasOneFolderPerKindAndMarksTheStartUpProject) {
    auto scan = projectview::scanProjects(vbe, fs);
    EXPECT_EQ(treeSummary(scan.tree), (std::vector<std::string>{
                                          "Sales (Sales.vbp)#12 open",
                                          "0>Forms#16",
                                          "1>frmMain (frmMain.frm)#5",
                                          "0>Modules#16",
                                          "3>modMain (modMain.bas)#1",
                                          "1>frmMDI (frmMDI.frm)#6",
                                          "0>Related Documents#16",
                                          "6>Notes (Notes.txt)#10",
                                          "Grid (Grid.vbp)#15 bold",
                                          "8>User Controls#16",
                                          "9>ctlGrid (ctlGrid.ctl)#8",
                                      }));
}

TEST_F(ScanTest, FilesThatAreNotThereGetNoRowButTheirNamedOnesAreProblems) {
    auto& unsaved = vbe.addProject({"Project1", "", "", "", 0, true});
    unsaved.addComponent({"Form1", ide::vbext_ct_VBForm, ""});
    unsaved.addComponent({"modGone", ide::vbext_ct_StdModule, dir / "gone.bas"});
    unsaved.addComponent({"x", ide::vbext_ct_VBForm, "a.b"});  // too short for a companion path
    unsaved.addComponent({"Odd", 42, file("odd.bas")});
    auto scan = projectview::scanProjects(vbe, fs);
    EXPECT_EQ(scan.rows.size(), 9u);
    auto tree = treeSummary(scan.tree);
    EXPECT_EQ(tree[11], "Project1 ()#12");
    EXPECT_EQ(tree.size(), 17u);  // root, Forms, Form1, x, Modules, modGone; nothing for kind 42
    ASSERT_EQ(scan.problems.size(), 2u);
    EXPECT_EQ(scan.problems[0].path, dir / "gone.bas");
    EXPECT_EQ(scan.problems[0].reason, "not found");
    EXPECT_EQ(scan.problems[1].path, "a.b");
}

TEST_F(ScanTest, ASecondProjectOfTheSameNameFillsTheFirstOnesFolders) {
    auto& twin = vbe.addProject({"Sales", file("Twin/Sales.vbp"), "", "", 0, true});
    twin.addComponent({"clsTwin", ide::vbext_ct_ClassModule, file("Twin/clsTwin.cls")});
    twin.addComponent({"modTwin", ide::vbext_ct_StdModule, file("Twin/modTwin.bas")});
    auto tree = treeSummary(projectview::scanProjects(vbe, fs).tree);
    EXPECT_EQ(tree.size(), 14u);
    EXPECT_EQ(tree[11], "0>Class Modules#16");
    EXPECT_EQ(tree[12], "11>clsTwin (clsTwin.cls)#2");
    EXPECT_EQ(tree[13], "3>modTwin (modTwin.bas)#1");
}

// A member of the environment that fails drops only what depends on it.
TEST_F(ScanTest, AFailingMemberDropsOnlyWhatDependsOnIt) {
    struct Case {
        const char* member;
        std::size_t rows;
        std::size_t nodes;
        const char* modMainLines;  // the module's Lines cell; "" when it has no row
    } cases[] = {
        {"CodeModule.CountOfLines", 9, 11, "---"},  // still listed, not counted
        {"Component.IsDirty", 9, 11, " 3"},
        {"Component.FileNames", 3, 6, ""},       // nodes stay, no rows, no companions
        {"Component.Type", 3, 2, ""},
        {"Project.Name", 3, 0, ""},              // no node: its components cannot be placed
        {"Projects.Item", 1, 0, ""},
        {"Projects.FileName", 8, 11, " 3"},
    };
    for (const auto& c : cases) {
        test::FailingEnvironment failing(vbe);
        failing.fail(c.member);
        auto scan = projectview::scanProjects(failing, fs);
        EXPECT_EQ(scan.rows.size(), c.rows) << c.member;
        EXPECT_EQ(scan.tree.nodes().size(), c.nodes) << c.member;
        std::string lines;
        for (const auto& row : scan.rows)
            if (row.path.ends_with("modMain.bas")) lines = projectview::cellText(row, 1);
        EXPECT_EQ(lines, c.modMainLines) << c.member;
    }
}

TEST(FileRows, OneRuleForEveryRow) {
    test::TempDir dir;
    os::PosixFileSystem fs;
    dir.write("real.txt", "abc");
    std::filesystem::create_directory(dir.path() / "folder");
    struct Case {
        std::string path;
        bool made;
    } cases[] = {
        {dir / "real.txt", true}, {"", false}, {dir / "folder", false},
        {dir / "missing.txt", false}, {dir / "*.txt", false}, {dir / "rea?.txt", false},
    };
    for (const auto& c : cases) {
        auto row = projectview::makeFileRow(fs, projectview::userAddedRow(c.path));
        EXPECT_EQ(row.has_value(), c.made) << c.path;
        if (row) {
            EXPECT_EQ(row->size, 3u);
            EXPECT_EQ(projectview::cellText(*row, projectview::kTypeColumn), "User added");
            EXPECT_EQ(projectview::textColour(*row), projectview::kUserAddedColour);
        }
    }
}

TEST(FileList, ColumnClicksFlipTheOrderAndAddedRowsTakeTheirPlace) {
    projectview::FileList list;
    auto row = [](std::string path, std::string type) {
        projectview::FileRow r;
        r.path = std::move(path);
        r.typeText = std::move(type);
        return r;
    };
    list.addAll({row("b", "Form"), row("a", "Module"), row("c", "Class"), row("d", "Form")});
    auto order = [&] {
        std::string s;
        for (const auto& r : list.rows()) s += r.path;
        return s;
    };
    EXPECT_EQ(order(), "bacd");  // unsorted until a click
    list.selected = 0;           // "b"
    list.sortByColumn(projectview::kTypeColumn);
    EXPECT_EQ(order(), "abdc");  // descending first; equal types keep their order
    EXPECT_EQ(list.row(*list.selected).path, "b");
    list.sortByColumn(projectview::kTypeColumn);
    EXPECT_EQ(order(), "cbda");
    list.add(row("e", "Form"));
    EXPECT_EQ(order(), "cbdea");  // after the rows that sort with it
    list.sortByColumn(projectview::kFileColumn);
    EXPECT_EQ(order(), "edcba");  // a new column flips the order too
}

}  // namespace

namespace {

TEST(ScanCompanions, BinariesAreFoundInAnyLetterCaseAndMdiFormsHaveThemToo) {
    test::TempDir dir;
    os::PosixFileSystem fs;
    ide::MemoryVBE vbe;
    auto& p = vbe.addProject({"P", dir.write("P.vbp", "x"), "", "", 0, true});
    p.addComponent({"FrmStats", ide::vbext_ct_VBForm, dir.write("FrmStats.frm", "x")});
    dir.write("frmStats.frx", "x");
    p.addComponent({"mdiMain", ide::vbext_ct_VBMDIForm, dir.write("mdiMain.frm", "x")});
    dir.write("mdiMain.frx", "x");
    p.addComponent({"mdiPlain", ide::vbext_ct_VBMDIForm, dir.write("mdiPlain.frm", "x")});
    auto scan = projectview::scanProjects(vbe, fs);
    std::vector<std::string> rows;
    for (const auto& row : scan.rows) rows.push_back(row.path.substr(dir.str().size() + 1) + "|" + row.typeText);
    EXPECT_EQ(rows, (std::vector<std::string>{"P.vbp|Visual Basic Project", "frmStats.frx|Form Binary",
                                              "FrmStats.frm|Form", "mdiMain.frx|Form Binary",
                                              "mdiMain.frm|MDI Form", "mdiPlain.frm|MDI Form"}));
}

}  // namespace
