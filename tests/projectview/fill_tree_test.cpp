#include "projectview/fill_tree.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>

#include "form/helpers.h"
#include "platform/error.h"
#include "projectview/file_list.h"
#include "scan_fixture.h"

using namespace arkstash;
using namespace arkstash::ide;
using arkstash::projectview::FillTree;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class FillTreeTest : public test::ScanFixture {
  protected:
    // A saved group: "Sales" (standard executable, start-up project) and "Tools" (ActiveX
    // control), each file on disk.
    MemoryProject* sales = nullptr;
    MemoryProject* tools = nullptr;

    void makeGroup() {
        vbe.setGroupFileName(file("Sales.vbg", "VBGROUP 5.0\r\n"));
        sales = &vbe.addProject({.Name = "Sales",
                                 .FileName = file("Sales.vbp", "Type=Exe\r\n"),
                                 .Type = vbext_pt_StandardExe,
                                 .Saved = false});
        sales->addComponent({.Name = "frmMain",
                             .Type = vbext_ct_VBForm,
                             .FileName = file("frmMain.frm", "VERSION 5.00\r\n"),
                             .CountOfLines = 120});
        file("frmMain.frx", std::string(1500, 'b'));
        sales->addComponent({.Name = "modMain",
                             .Type = vbext_ct_StdModule,
                             .FileName = file("modMain.bas", "Attribute VB_Name\r\n"),
                             .IsDirty = true,
                             .CountOfLines = 7});
        tools = &vbe.addProject({.Name = "Tools",
                                 .FileName = file("ctl/Tools.vbp", "Type=Control\r\n"),
                                 .Type = vbext_pt_ActiveXControl,
                                 .Saved = true});
        tools->addComponent({.Name = "ucGrid",
                             .Type = vbext_ct_UserControl,
                             .FileName = file("ctl/ucGrid.ctl", "VERSION 5.00\r\n"),
                             .CountOfLines = 0});
        file("ctl/ucGrid.ctx", std::string(1234567, 'c'));
        tools->addComponent({.Name = "Tools",
                             .Type = vbext_ct_ResFile,
                             .FileName = file("ctl/Tools.RES", "res"),
                             .HasCodeModule = false});
    }
};

TEST_F(FillTreeTest, GroupRowsComeInScanOrderWithTheirCells) {
    makeGroup();
    FillTree(frm);
    // Group first; then per project its file, then per component the binary before the source.
    EXPECT_THAT(
        rowLines(),
        ElementsAre(
            "Sales.vbg|---|Visual Basic Group|13|" +
                form::FormatFileDate(fs.findFirst(dir / "Sales.vbg", true)->creationTime) +
                "|---|19",
            ::testing::StartsWith("Sales.vbp|---|Visual Basic Project|10|"),
            ::testing::MatchesRegex("frmMain.frx\\|---\\|Form Binary\\|1,500\\|"
                                    ".*\\| --- \\|12"),
            ::testing::MatchesRegex("frmMain.frm\\| 120\\|Form\\|14\\|.*\\|True\\|5"),
            ::testing::MatchesRegex("modMain.bas\\| 7\\|Module\\|19\\|.*\\|False\\|1"),
            ::testing::StartsWith("ctl/Tools.vbp|---|Visual Basic Project|"),
            ::testing::MatchesRegex("ctl/ucGrid.ctx\\|---\\|User Control Binary\\|1,234,567\\|.*"),
            ::testing::MatchesRegex("ctl/ucGrid.ctl\\| 0\\|User control\\|.*\\|8"),
            ::testing::MatchesRegex("ctl/Tools.RES\\|---\\|Resource file\\|3\\|.*\\|True\\|4")));
    for (const auto& r : frm.ListView1.items) {
        EXPECT_TRUE(r.checked) << r.text;
        ASSERT_TRUE(r.foreColor) << r.text;
        EXPECT_EQ(*r.foreColor, ui::kBlack) << r.text;
        EXPECT_FALSE(r.bold) << r.text;
    }
}

TEST_F(FillTreeTest, TreeHasOneNodePerProjectAndAFolderPerKind) {
    makeGroup();
    vbe.setStartProject(tools);
    FillTree(frm);
    EXPECT_THAT(
        treeLines(),
        ElementsAre("Sales (Sales.vbp) [Sales] 12 expanded",
                    "  Forms [SalesForms] 16",  //
                    "    frmMain (frmMain.frm) [] 5", "  Modules [SalesModules] 16",
                    "    modMain (modMain.bas) [] 1", "Tools (Tools.vbp) [Tools] 15 bold",
                    "  User Controls [ToolsUser Controls] 16", "    ucGrid (ucGrid.ctl) [] 8",
                    "  Related Documents [ToolsRelated Documents] 16",
                    "    Tools (Tools.RES) [] 4"));
    EXPECT_EQ(frm.tvMain.nodes[1].selectedImage, form::images::kFolderSelected);
    EXPECT_EQ(frm.ScannedProjectName, "Sales");
    EXPECT_EQ(frm.imgProject.image, 12);
}

// Every project shows its own type picture and its own Saved state, not the active one's.
TEST_F(FillTreeTest, EachProjectShowsItsOwnPictureAndSavedState) {
    makeGroup();
    FillTree(frm);
    const ui::ListItem* salesRow = row(dir / "Sales.vbp");
    const ui::ListItem* toolsRow = row(dir / "ctl/Tools.vbp");
    ASSERT_TRUE(salesRow && toolsRow);
    EXPECT_EQ(salesRow->cell(5), "False");
    EXPECT_EQ(salesRow->smallIcon, 12);
    EXPECT_EQ(toolsRow->cell(5), "True");
    EXPECT_EQ(toolsRow->smallIcon, 15);
    EXPECT_EQ(row(dir / "ctl/ucGrid.ctx")->smallIcon, 15);  // a companion follows its project
    EXPECT_EQ(frm.tvMain.nodes[frm.tvMain.find("Tools").value()].image, 15);

    // With the other project active, the picture box follows it; the rows stay their own.
    vbe.setActive(tools);
    FillTree(frm);
    EXPECT_EQ(frm.imgProject.image, 15);
    EXPECT_EQ(row(dir / "Sales.vbp")->smallIcon, 12);
    EXPECT_EQ(row(dir / "Sales.vbp")->cell(5), "False");
    EXPECT_EQ(frm.ScannedProjectName, "Tools");
}

TEST_F(FillTreeTest, ProjectWhoseTypeCannotBeReadShowsTheActiveProjectsPicture) {
    makeGroup();
    tools->fail("Type");
    FillTree(frm);
    EXPECT_EQ(frm.tvMain.nodes[frm.tvMain.find("Tools").value()].image, 12);
    EXPECT_EQ(row(dir / "ctl/Tools.vbp")->smallIcon, 12);
}

TEST_F(FillTreeTest, CompanionRowsOnlyForBinariesOnDisk) {
    auto& p = vbe.addProject({.Name = "P", .FileName = file("P.vbp")});
    // Form without its binary: the form's row, no companion.
    p.addComponent({.Name = "frmA", .Type = vbext_ct_VBForm, .FileName = file("frmA.frm")});
    // Path of fewer than four characters: no companion path at all (and no crash).
    p.addComponent({.Name = "frmB", .Type = vbext_ct_VBForm, .FileName = "a.f"});
    // Property page, user document, designer with their binaries.
    p.addComponent({.Name = "pp", .Type = vbext_ct_PropPage, .FileName = file("pp.pag")});
    file("pp.pgx");
    p.addComponent({.Name = "ud", .Type = vbext_ct_DocObject, .FileName = file("ud.dob")});
    file("ud.dox");
    p.addComponent({.Name = "dr", .Type = vbext_ct_ActiveXDesigner, .FileName = file("dr.dsr")});
    file("dr.dsx");
    file("dr.dca");
    // A designer with only one of its two binaries.
    p.addComponent({.Name = "dr2", .Type = vbext_ct_ActiveXDesigner, .FileName = file("dr2.dsr")});
    file("dr2.dca");
    // A user document without its binary.
    p.addComponent({.Name = "ud2", .Type = vbext_ct_DocObject, .FileName = file("ud2.dob")});
    // An MDI form and a class keep no binary even when a like-named file lies there.
    p.addComponent({.Name = "mdi", .Type = vbext_ct_VBMDIForm, .FileName = file("mdi.frm")});
    file("mdi.frx");
    p.addComponent({.Name = "cls", .Type = vbext_ct_ClassModule, .FileName = file("cls.cls")});
    file("cls.ctx");
    FillTree(frm);
    std::vector<std::string> got;
    for (const auto& line : rowLines())
        got.push_back(line.substr(0, line.find('|', line.find('|') + 1)));
    EXPECT_THAT(got,
                ElementsAre("P.vbp|---", "frmA.frm| 0", "pp.pgx|---", "pp.pag| 0", "ud.dox|---",
                            "ud.dob| 0", "dr.dsx|---", "dr.dca|---", "dr.dsr| 0", "dr2.dca|---",
                            "dr2.dsr| 0", "ud2.dob| 0", "mdi.frm| 0", "cls.cls| 0"));
    EXPECT_EQ(row(dir / "pp.pgx")->cell(2), "Property Page Binary");
    EXPECT_EQ(row(dir / "ud.dox")->cell(2), "User Document Binary");
    EXPECT_EQ(row(dir / "dr.dsx")->cell(2), "Designer Binary");
    EXPECT_EQ(row(dir / "dr.dca")->cell(5), " --- ");
    EXPECT_EQ(row(dir / "dr.dca")->smallIcon, 12);
    // The never-saved form still has its node.
    bool found = false;
    for (const auto& n : frm.tvMain.nodes) found |= n.text == "frmB ()";
    EXPECT_TRUE(found);
}

TEST_F(FillTreeTest, CompanionPathKeepsAMultiByteNameWhole) {
    auto& p = vbe.addProject({.Name = "P", .FileName = file("P.vbp")});
    // A name ending in non-ASCII letters: four characters, more than four bytes.
    p.addComponent({.Name = "f", .Type = vbext_ct_VBForm, .FileName = file("Grüße.äöü")});
    file("Grüße.frx");
    FillTree(frm);
    EXPECT_TRUE(row(dir / "Grüße.frx")) << ::testing::PrintToString(rowTexts());
}

TEST_F(FillTreeTest, ZeroByteFileHasAnEmptySizeCell) {
    auto& p = vbe.addProject({.Name = "P", .FileName = file("P.vbp")});
    p.addComponent({.Name = "m", .Type = vbext_ct_StdModule, .FileName = file("m.bas", "")});
    FillTree(frm);
    ASSERT_TRUE(row(dir / "m.bas"));
    EXPECT_EQ(row(dir / "m.bas")->cell(3), "");
    EXPECT_EQ(row(dir / "P.vbp")->cell(3), "1");
}

TEST_F(FillTreeTest, DateIsTheCreationDateNotTheLastWrite) {
    auto& p = vbe.addProject({.Name = "P", .FileName = file("P.vbp")});
    (void)p;
    // Last written long ago; created now.
    struct timespec times[2] = {{946684800, 0}, {946684800, 0}};  // 1 Jan 2000
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "P.vbp").c_str(), times, 0), 0);
    struct statx sx {};
    ASSERT_EQ(::statx(AT_FDCWD, (dir / "P.vbp").c_str(), 0, STATX_BTIME, &sx), 0);
    if (!(sx.stx_mask & STATX_BTIME)) GTEST_SKIP() << "no birth time on this file system";
    std::time_t born = static_cast<std::time_t>(sx.stx_btime.tv_sec);
    std::tm utc{};
    ::gmtime_r(&born, &utc);
    char expected[32];
    std::strftime(expected, sizeof expected, "%d %b %Y", &utc);
    FillTree(frm);
    ASSERT_TRUE(row(dir / "P.vbp"));
    EXPECT_EQ(row(dir / "P.vbp")->cell(4), expected);
    EXPECT_NE(row(dir / "P.vbp")->cell(4), "01 Jan 2000");
}

// Passes every call on to the real file system but reports one creation time for all files.
class PinnedCreationTime : public os::FileSystem {
  public:
    PinnedCreationTime(os::FileSystem& real, os::FileTime t) : real_(real), t_(t) {}
    std::optional<os::FileInfo> findFirst(const std::string& path, bool allowHidden) override {
        auto info = real_.findFirst(path, allowHidden);
        if (info) info->creationTime = t_;
        return info;
    }
    bool folderExists(const std::string& p) override { return real_.folderExists(p); }
    void createFolder(const std::string& p) override { real_.createFolder(p); }
    std::string readFile(const std::string& p, std::uint64_t l) override {
        return real_.readFile(p, l);
    }
    void replaceFile(const std::string& p, std::string_view c) override { real_.replaceFile(p, c); }
    void removeFile(const std::string& p) override { real_.removeFile(p); }
    void renameFile(const std::string& a, const std::string& b) override { real_.renameFile(a, b); }
    std::vector<std::string> listFolder(const std::string& p) override {
        return real_.listFolder(p);
    }

  private:
    os::FileSystem& real_;
    os::FileTime t_;
};

TEST_F(FillTreeTest, DateIsTakenInUtcWhateverTheLocalZone) {
    // 31 Dec 2026 23:30 UTC is already 1 Jan 2027 at UTC+14.
    PinnedCreationTime pinned(fs, os::kUnixEpochAsFileTime + 1798759800ULL * 10000000ULL);
    form::Platform p2{pinned, clock, registry, dialogs, loop};
    form::MainForm frm2(p2);
    frm2.VBInstance = &vbe;
    vbe.addProject({.Name = "P", .FileName = file("P.vbp")});
    const char* oldTz = std::getenv("TZ");
    std::string saved = oldTz ? oldTz : "";
    ::setenv("TZ", "Pacific/Kiritimati", 1);
    ::tzset();
    FillTree(frm2);
    if (oldTz)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
    ASSERT_EQ(frm2.ListView1.items.size(), 1u);
    EXPECT_EQ(frm2.ListView1.items[0].cell(4), "31 Dec 2026");
}

TEST_F(FillTreeTest, FormsAndRelatedDocumentsShareOneFolderEach) {
    auto& p = vbe.addProject({.Name = "P", .FileName = file("P.vbp")});
    p.addComponent({.Name = "a", .Type = vbext_ct_MSForm, .FileName = file("a.frm")});
    p.addComponent(
        {.Name = "r", .Type = vbext_ct_ResFile, .FileName = file("r.res"), .HasCodeModule = false});
    p.addComponent({.Name = "b", .Type = vbext_ct_VBForm, .FileName = file("b.frm")});
    p.addComponent({.Name = "d",
                    .Type = vbext_ct_RelatedDocument,
                    .FileName = file("d.txt"),
                    .HasCodeModule = false});
    p.addComponent({.Name = "c", .Type = vbext_ct_VBMDIForm, .FileName = file("c.frm")});
    FillTree(frm);
    EXPECT_THAT(
        treeLines(),
        ElementsAre("P (P.vbp) [P] 12 bold expanded", "  Forms [PForms] 16", "    a (a.frm) [] 3",
                    "  Related Documents [PRelated Documents] 16", "    r (r.res) [] 4",
                    "    b (b.frm) [] 5", "    d (d.txt) [] 10", "    c (c.frm) [] 6"));
    // Tree order is insertion order; check the parents rather than the indentation.
    const auto& n = frm.tvMain.nodes;
    EXPECT_EQ(n[5].parent, std::optional<std::size_t>(1));  // b in Forms
    EXPECT_EQ(n[6].parent, std::optional<std::size_t>(3));  // d in Related Documents
    EXPECT_EQ(n[7].parent, std::optional<std::size_t>(1));  // c in Forms
    EXPECT_EQ(row(dir / "d.txt")->cell(1), "---");
    EXPECT_EQ(row(dir / "d.txt")->cell(2), "Related document");
    EXPECT_EQ(row(dir / "c.frm")->cell(2), "MDI Form");
    EXPECT_EQ(row(dir / "a.frm")->cell(2), "Form");
}

TEST_F(FillTreeTest, SecondProjectOfTheSameNameFillsTheFirstsFolders) {
    auto& a = vbe.addProject({.Name = "Same", .FileName = file("a/Same.vbp")});
    a.addComponent({.Name = "m1", .Type = vbext_ct_StdModule, .FileName = file("a/m1.bas")});
    auto& b = vbe.addProject({.Name = "Same", .FileName = file("b/Same.vbp")});
    b.addComponent({.Name = "m2", .Type = vbext_ct_StdModule, .FileName = file("b/m2.bas")});
    b.addComponent({.Name = "c2", .Type = vbext_ct_ClassModule, .FileName = file("b/c2.cls")});
    vbe.setStartProject(&b);
    FillTree(frm);
    EXPECT_THAT(treeLines(),
                ElementsAre("Same (Same.vbp) [Same] 12 bold expanded", "  Modules [SameModules] 16",
                            "    m1 (m1.bas) [] 1", "    m2 (m2.bas) [] 1",
                            "  Class Modules [SameClass Modules] 16", "    c2 (c2.cls) [] 2"));
    // Both projects' files are still listed.
    EXPECT_EQ(frm.ListView1.items.size(), 5u);
}

TEST_F(FillTreeTest, UnknownKindsGetNoNodeRowOrFolder) {
    auto& p = vbe.addProject({.Name = "P", .FileName = file("P.vbp")});
    for (int t : {0, 12, -1, 100})
        p.addComponent({.Name = "x" + std::to_string(t),
                        .Type = t,
                        .FileName = file("x" + std::to_string(t) + ".bas")});
    p.addComponent({.Name = "m", .Type = vbext_ct_StdModule, .FileName = file("m.bas")});
    FillTree(frm);
    EXPECT_THAT(treeLines(), ElementsAre("P (P.vbp) [P] 12 bold expanded",
                                         "  Modules [PModules] 16", "    m (m.bas) [] 1"));
    EXPECT_EQ(rowTexts(), (std::vector<std::string>{dir / "P.vbp", dir / "m.bas"}));
}

TEST_F(FillTreeTest, PathsAreCutAtTheFirstNul) {
    vbe.setGroupFileName(file("G.vbg") + std::string("\0junk", 5));
    auto& p = vbe.addProject({.Name = "P", .FileName = file("P.vbp") + std::string("\0", 1)});
    p.addComponent(
        {.Name = "m", .Type = vbext_ct_VBForm, .FileName = file("m.frm") + std::string("\0zz", 3)});
    file("m.frx");
    FillTree(frm);
    EXPECT_EQ(rowTexts(), (std::vector<std::string>{dir / "G.vbg", dir / "P.vbp", dir / "m.frx",
                                                    dir / "m.frm"}));
}

TEST_F(FillTreeTest, HiddenAndMissingFilesGetNoRowButKeepTheirNodes) {
    auto& p = vbe.addProject({.Name = "P", .FileName = file("P.vbp")});
    p.addComponent({.Name = "h", .Type = vbext_ct_StdModule, .FileName = file(".h.bas")});
    p.addComponent({.Name = "g", .Type = vbext_ct_StdModule, .FileName = dir / "gone.bas"});
    vbe.setGroupFileName(dir / "missing.vbg");
    FillTree(frm);
    EXPECT_EQ(rowTexts(), (std::vector<std::string>{dir / "P.vbp"}));
    EXPECT_EQ(frm.tvMain.nodes.size(), 4u);
}

TEST_F(FillTreeTest, NothingSavedShowsTheMessageRowAndDisablesTheRest) {
    auto& p = vbe.addProject({.Name = "Project1"});
    p.addComponent({.Name = "Form1", .Type = vbext_ct_VBForm});
    frm.txtZipFile.setText("old.zip");
    frm.SSActiveTabs1.select(form::tabs::kMemo);
    FillTree(frm);
    EXPECT_THAT(treeLines(), ElementsAre("Project1 () [Project1] 12 bold expanded",
                                         "  Forms [Project1Forms] 16", "    Form1 () [] 5"));
    ASSERT_EQ(frm.ListView1.items.size(), 1u);
    const ui::ListItem& msg = frm.ListView1.items[0];
    EXPECT_EQ(msg.text, "No saved files found in project");
    EXPECT_TRUE(msg.bold);
    EXPECT_FALSE(msg.checked);  // nothing to back up
    ASSERT_EQ(frm.ListView1.columns.size(), 1u);
    EXPECT_EQ(frm.ListView1.columns[0].text, "    File");
    EXPECT_EQ(frm.ListView1.columns[0].width, frm.ListView1.Width);  // stretched to the list
    EXPECT_FALSE(frm.ListView1.FullRowSelect);
    EXPECT_EQ(frm.txtZipFile.Text(), "");
    for (int t : {form::tabs::kInfo, form::tabs::kProperties, form::tabs::kMemo})
        EXPECT_FALSE(frm.SSActiveTabs1.tab(t).enabled) << t;
    EXPECT_TRUE(frm.SSActiveTabs1.tab(form::tabs::kFiles).enabled);
    EXPECT_EQ(frm.SSActiveTabs1.selectedIndex, form::tabs::kFiles);
    for (const char* id :
         {"ID_ViewCode", "ID_ViewObject", "ID_Backup", "ID_Addfiles", "ID_Fileproperties"})
        EXPECT_FALSE(toolOn(id)) << id;
    EXPECT_TRUE(toolOn("ID_Refresh"));
    EXPECT_THAT(calls, ElementsAre("CheckZipDir", "LoadReferences"));
    EXPECT_EQ(frm.ListView1.refreshes, 1);

    // Saving the project and scanning again brings the six columns and the tools back.
    p.data().FileName = file("Project1.vbp");
    p.component(1).data().FileName = file("Form1.frm");
    calls.clear();
    FillTree(frm);
    ASSERT_EQ(frm.ListView1.columns.size(), 6u);
    const char* texts[] = {"    File", "Lines", "Type", "Size", "Date", "Saved"};
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(frm.ListView1.columns[i].text, texts[i]);
    EXPECT_EQ(frm.ListView1.columns[1].alignment, ui::Alignment::Right);
    EXPECT_EQ(frm.ListView1.columns[3].alignment, ui::Alignment::Right);
    EXPECT_EQ(frm.ListView1.columns[2].alignment, ui::Alignment::Left);
    // Not fitted to the contents: Lines and Saved keep their widths.
    EXPECT_EQ(frm.ListView1.columns[1].width, 800);
    EXPECT_EQ(frm.ListView1.columns[5].width, 700);
    EXPECT_TRUE(frm.ListView1.FullRowSelect);
    EXPECT_EQ(frm.ListView1.items.size(), 2u);
    for (int t : {form::tabs::kInfo, form::tabs::kProperties, form::tabs::kMemo})
        EXPECT_TRUE(frm.SSActiveTabs1.tab(t).enabled) << t;
    for (const char* id :
         {"ID_ViewCode", "ID_ViewObject", "ID_Backup", "ID_Addfiles", "ID_Fileproperties"})
        EXPECT_TRUE(toolOn(id)) << id;
    EXPECT_THAT(calls,
                ElementsAre("CheckZipDir", "ProjectInfo", "WriteSettings", "LoadReferences"));
}

TEST_F(FillTreeTest, RoutinesRunInOrderAroundTheDrawingHold) {
    makeGroup();
    std::vector<std::string> seen;
    loop.onDoEvents = [&] {
        // Both lists are already empty and drawing is not yet held.
        seen.push_back("DoEvents items=" +
                       std::to_string(frm.ListView1.items.size() + frm.ListView2.items.size()) +
                       " held=" + std::to_string(frm.ListView1.redrawHeld));
    };
    frm.ListView1.addItem("stale", 0);
    frm.ListView2.addItem("stale", 0);
    auto note = [&](const char* name) {
        return [&, name] {
            seen.push_back(
                std::string(name) + " rows=" + std::to_string(frm.ListView1.items.size()) +
                " held=" + std::to_string(frm.ListView1.redrawHeld) +
                " busy=" + (frm.MousePointer.current == ui::MousePointer::Hourglass ? "1" : "0") +
                " info=" + (frm.SSActiveTabs1.tab(2).enabled ? "1" : "0"));
        };
    };
    frm.SSActiveTabs1.tab(2).enabled = false;
    frm.routines.CheckZipDir = note("CheckZipDir");
    frm.routines.ProjectInfo = note("ProjectInfo");
    frm.routines.WriteSettings = note("WriteSettings");
    frm.routines.LoadReferences = note("LoadReferences");
    FillTree(frm);
    EXPECT_THAT(seen, ElementsAre("DoEvents items=0 held=0",  //
                                  "CheckZipDir rows=9 held=1 busy=1 info=0",
                                  "ProjectInfo rows=9 held=1 busy=1 info=1",
                                  "WriteSettings rows=9 held=1 busy=1 info=1",
                                  "LoadReferences rows=9 held=0 busy=1 info=1"));
    EXPECT_EQ(loop.runs, 1);
    EXPECT_EQ(frm.ListView1.redrawHeld, 0);
    EXPECT_EQ(frm.MousePointer.busyShown, 1);
    EXPECT_EQ(frm.MousePointer.current, ui::MousePointer::Default);
}

TEST_F(FillTreeTest, ReferencesListIsEmptiedAndSizedAfterLoadReferences) {
    makeGroup();
    frm.ListView2.addColumn("Name", 10);
    frm.ListView2.addColumn("Version", 10);
    frm.ListView2.addColumn("Type", 10);
    frm.ListView2.addColumn("Location", 10);
    frm.ListView2.addItem("stale", 0);
    frm.routines.LoadReferences = [&] {
        auto& it = frm.ListView2.addItem("Microsoft Scripting Runtime", 18);
        it.setCell(2, "Reference");
        it.setCell(3, "C:\\Windows\\system32\\scrrun.dll");
    };
    FillTree(frm);
    ASSERT_EQ(frm.ListView2.items.size(), 1u);
    EXPECT_GT(frm.ListView2.columns[0].width, 10);
    EXPECT_EQ(frm.ListView2.columns[1].width, 10);  // the second column keeps its width
    EXPECT_GT(frm.ListView2.columns[2].width, 10);
    EXPECT_GT(frm.ListView2.columns[3].width, 10);
}

class Subscriber : public projectview::EventHolder {
  public:
    std::vector<std::string> projects;
    bool throws = false;
    void subscribe(VBE&, VBProject& active) override {
        projects.push_back(active.Name());
        if (throws) throw PlatformError("cannot subscribe");
    }
};

TEST_F(FillTreeTest, EventSourcesFollowTheActiveProject) {
    makeGroup();
    Subscriber events;
    FillTree(frm, &events);
    vbe.setActive(tools);
    FillTree(frm, &events);
    EXPECT_THAT(events.projects, ElementsAre("Sales", "Tools"));
    // A holder that fails does not stop the scan.
    events.throws = true;
    FillTree(frm, &events);
    EXPECT_EQ(frm.ListView1.items.size(), 9u);
}

TEST_F(FillTreeTest, ViewToolsFollowTheRowSelectedAtTheEnd) {
    makeGroup();
    auto selectRow = [&](const std::string& path) {
        frm.routines.LoadReferences = [&, path] {
            for (std::size_t i = 0; i < frm.ListView1.items.size(); ++i)
                if (frm.ListView1.items[i].text == path) frm.ListView1.selected = i;
        };
    };
    selectRow(dir / "modMain.bas");
    FillTree(frm);
    EXPECT_TRUE(toolOn("ID_ViewCode"));
    EXPECT_FALSE(toolOn("ID_ViewObject"));

    selectRow(dir / "Sales.vbp");
    FillTree(frm);
    EXPECT_FALSE(toolOn("ID_ViewCode"));
    EXPECT_FALSE(toolOn("ID_ViewObject"));

    // The end of a scan does not count ".ctx" as binary: the tools stay as the scan set them.
    selectRow(dir / "ctl/ucGrid.ctx");
    FillTree(frm);
    EXPECT_TRUE(toolOn("ID_ViewCode"));
    EXPECT_TRUE(toolOn("ID_ViewObject"));
}

TEST_F(FillTreeTest, RescanResetsTheSortKeyButKeepsOrderAndSorting) {
    makeGroup();
    FillTree(frm);
    projectview::ListView1_ColumnClick(frm, 3);  // Type, descending
    ASSERT_EQ(frm.ListView1.SortKey, 2);
    FillTree(frm);
    EXPECT_EQ(frm.ListView1.SortKey, 0);
    EXPECT_TRUE(frm.ListView1.Sorted);
    EXPECT_EQ(frm.ListView1.sortOrder, ui::SortOrder::Descending);
    std::vector<std::string> texts = rowTexts();
    EXPECT_TRUE(std::is_sorted(texts.rbegin(), texts.rend()));
    EXPECT_EQ(texts.size(), 9u);
}

// ---- failing members: each drops exactly its own action ----

struct Snapshot {
    std::vector<std::string> rows;
    std::vector<std::string> tree;
};

class FailingMemberTest : public FillTreeTest {
  protected:
    Snapshot healthy;
    void SetUp() override {
        makeGroup();
        FillTree(frm);
        healthy = {rowLines(), treeLines()};
    }
    static std::vector<std::string> without(std::vector<std::string> v,
                                            const std::vector<std::string>& gone) {
        for (const auto& g : gone) {
            auto it = std::find_if(v.begin(), v.end(),
                                   [&](const std::string& s) { return s.rfind(g, 0) == 0; });
            EXPECT_NE(it, v.end()) << g;
            if (it != v.end()) v.erase(it);
        }
        return v;
    }
};

TEST_F(FailingMemberTest, LineCountDropsTheRowButNotTheNode) {
    sales->component(1).code().fail("CountOfLines");
    FillTree(frm);
    EXPECT_EQ(rowLines(), without(healthy.rows, {"frmMain.frm|"}));
    EXPECT_EQ(treeLines(), healthy.tree);
}

TEST_F(FailingMemberTest, DirtyFlagDropsTheRowButNotTheNode) {
    sales->component(2).fail("IsDirty");
    FillTree(frm);
    EXPECT_EQ(rowLines(), without(healthy.rows, {"modMain.bas|"}));
    EXPECT_EQ(treeLines(), healthy.tree);
}

TEST_F(FailingMemberTest, ComponentNameDropsTheNodeButNotTheRows) {
    sales->component(1).fail("Name");
    FillTree(frm);
    EXPECT_EQ(rowLines(), healthy.rows);
    EXPECT_EQ(treeLines(), without(healthy.tree, {"    frmMain (frmMain.frm)"}));
}

TEST_F(FailingMemberTest, FileNamesDropsCompanionNodeAndRowButTheFolderStays) {
    sales->component(1).fail("FileNames");
    FillTree(frm);
    EXPECT_EQ(rowLines(), without(healthy.rows, {"frmMain.frx|", "frmMain.frm|"}));
    EXPECT_EQ(treeLines(), without(healthy.tree, {"    frmMain (frmMain.frm)"}));
}

TEST_F(FailingMemberTest, ComponentTypeSkipsTheComponent) {
    tools->component(2).fail("Type");
    FillTree(frm);
    EXPECT_EQ(rowLines(), without(healthy.rows, {"ctl/Tools.RES|"}));
    EXPECT_EQ(treeLines(), without(healthy.tree, {"  Related Documents", "    Tools (Tools.RES)"}));
}

TEST_F(FailingMemberTest, ProjectSavedDropsOnlyTheProjectRow) {
    tools->fail("Saved");
    FillTree(frm);
    EXPECT_EQ(rowLines(), without(healthy.rows, {"ctl/Tools.vbp|"}));
    EXPECT_EQ(treeLines(), healthy.tree);
}

TEST_F(FailingMemberTest, GroupFileNameDropsOnlyTheGroupRow) {
    vbe.projects().fail("FileName");
    FillTree(frm);
    EXPECT_EQ(rowLines(), without(healthy.rows, {"Sales.vbg|"}));
    EXPECT_EQ(treeLines(), healthy.tree);
}

TEST_F(FailingMemberTest, StartProjectDropsOnlyTheBoldMark) {
    vbe.projects().fail("StartProject");
    FillTree(frm);
    EXPECT_EQ(rowLines(), healthy.rows);
    std::vector<std::string> tree = healthy.tree;
    tree[0] = "Sales (Sales.vbp) [Sales] 12 expanded";
    EXPECT_EQ(treeLines(), tree);
    EXPECT_EQ(healthy.tree[0], "Sales (Sales.vbp) [Sales] 12 bold expanded");
}

TEST_F(FailingMemberTest, ProjectNameDropsItsNodeAndComponentNodesButNotItsRows) {
    tools->fail("Name");
    FillTree(frm);
    EXPECT_EQ(rowLines(),
              without(healthy.rows, {"ctl/ucGrid.ctx|", "ctl/ucGrid.ctl|", "ctl/Tools.RES|"}));
    EXPECT_EQ(treeLines(),
              std::vector<std::string>(healthy.tree.begin(), healthy.tree.begin() + 5));
}

TEST_F(FailingMemberTest, ActiveProjectFailingKeepsTheListAndTheLastName) {
    frm.ScannedProjectName = "Before";
    frm.imgProject.image = 3;
    Subscriber events;
    vbe.fail("ActiveVBProject");
    FillTree(frm, &events);
    EXPECT_EQ(frm.ScannedProjectName, "Before");
    EXPECT_EQ(frm.imgProject.image, 3);
    EXPECT_THAT(events.projects, IsEmpty());
    EXPECT_EQ(rowLines(), healthy.rows);
    std::vector<std::string> tree = healthy.tree;
    tree[0] = "Sales (Sales.vbp) [Sales] 12 expanded";  // the start-up test goes through it
    EXPECT_EQ(treeLines(), tree);
}

TEST_F(FailingMemberTest, NoEnvironmentAtAllGivesTheEmptyState) {
    frm.VBInstance = nullptr;
    FillTree(frm);
    ASSERT_EQ(frm.ListView1.items.size(), 1u);
    EXPECT_EQ(frm.ListView1.items[0].text, "No saved files found in project");
    EXPECT_TRUE(frm.tvMain.nodes.empty());
    EXPECT_EQ(frm.MousePointer.current, ui::MousePointer::Default);
}

TEST_F(FailingMemberTest, FailingRoutinesDoNotStopTheScan) {
    frm.routines.CheckZipDir = [] { throw PlatformError("no folder"); };
    frm.routines.ProjectInfo = [] { throw PlatformError("no info"); };
    bool loaded = false;
    frm.routines.LoadReferences = [&] { loaded = true; };
    FillTree(frm);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(rowLines(), healthy.rows);
    EXPECT_EQ(frm.ListView1.redrawHeld, 0);
    EXPECT_EQ(frm.MousePointer.current, ui::MousePointer::Default);
}

}  // namespace
