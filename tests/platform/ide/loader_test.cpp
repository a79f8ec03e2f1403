#include "platform/ide/loader.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/ide/loader_support.h"

using namespace arkstash;
using namespace arkstash::ide;
using arkstash::test::crlf;
using arkstash::test::mentions;

namespace {

class Loader : public test::LoaderTest {};

// One file of every kind the loader knows, each with a known number of code lines.
class LoaderKinds : public test::LoaderTest {
  protected:
    void SetUp() override {
        write("Shop/Shop.vbp",
              "Type=OleExe\n"
              "Form=frmMain.frm\n"
              "Form=frmShell.frm\n"
              "Module=modMain; modMain.bas\n"
              "Class=CItem; CItem.cls\n"
              "PropertyPage=ppgOptions.pag\n"
              "UserControl=ctlDial.ctl\n"
              "UserDocument=docHome.dob\n"
              "Designer=deData.dsr\n"
              "ResFile32=\"Shop.res\"\n"
              "RelatedDoc=Notes.txt\n"
              "ExeName32=\"Shop.exe\"\n"
              "Name=\"Shop\"\n"
              "Description=\"Till and stock\"\n");
        write("Shop/frmMain.frm",
              "VERSION 5.00\nBegin VB.Form frmMain \n   Caption = \"Main\"\nEnd\n"
              "Attribute VB_Name = \"frmMain\"\nOption Explicit\n\nPrivate Sub Form_Load()\n"
              "End Sub\n");
        write("Shop/frmShell.frm",
              "VERSION 5.00\nBegin VB.MDIForm frmShell \n   Caption = \"Shop\"\nEnd\n"
              "Attribute VB_Name = \"frmShell\"\nOption Explicit\n");
        write("Shop/modMain.bas", "Attribute VB_Name = \"modMain\"\nSub Main()\nEnd Sub\n");
        write("Shop/CItem.cls",
              "VERSION 1.0 CLASS\nBEGIN\n  MultiUse = -1  'True\nEND\n"
              "Attribute VB_Name = \"CItem\"\nPublic Price As Currency\n");
        write("Shop/ppgOptions.pag",
              "VERSION 5.00\nBegin VB.PropertyPage ppgOptions \nEnd\n"
              "Attribute VB_Name = \"ppgOptions\"\nOption Explicit\n");
        write("Shop/ctlDial.ctl",
              "VERSION 5.00\nBegin VB.UserControl ctlDial \nEnd\n"
              "Attribute VB_Name = \"ctlDial\"\nOption Explicit\nDim mValue As Long\n");
        write("Shop/docHome.dob",
              "VERSION 5.00\nBegin VB.UserDocument docHome \nEnd\n"
              "Attribute VB_Name = \"docHome\"\n");
        write("Shop/deData.dsr",
              "VERSION 5.00\nBegin {C0E45035-5775-11D0-B388-00A0C9055D8E} deData \n"
              "   BeginProperty Connection1 \n   EndProperty\nEnd\n"
              "Attribute VB_Name = \"deData\"\nOption Explicit\n");
        dir.write("Shop/Shop.res", std::string("\0\0\0\0 \0\0\0", 8));
        write("Shop/Notes.txt", "Some notes.\n");
    }
};

}  // namespace

TEST_F(LoaderKinds, EveryKindWithItsNameLinesAndCodeModule) {
    LoadReport report = load(dir / "Shop/Shop.vbp");
    EXPECT_TRUE(report.issues.empty()) << report.issues.front().message;
    ASSERT_EQ(vbe.projects().size(), 1u);
    MemoryProject& p = vbe.project(1);
    struct Want {
        const char* name;
        int type;
        long lines;
        bool code;
    };
    const Want want[] = {
        {"frmMain", vbext_ct_VBForm, 4, true},      {"frmShell", vbext_ct_VBMDIForm, 1, true},
        {"modMain", vbext_ct_StdModule, 2, true},   {"CItem", vbext_ct_ClassModule, 1, true},
        {"ppgOptions", vbext_ct_PropPage, 1, true}, {"ctlDial", vbext_ct_UserControl, 2, true},
        {"docHome", vbext_ct_DocObject, 0, true},   {"deData", vbext_ct_ActiveXDesigner, 1, true},
        {"Shop", vbext_ct_ResFile, 0, false},       {"Notes", vbext_ct_RelatedDocument, 0, false},
    };
    ASSERT_EQ(p.components().size(), std::size(want));
    for (std::size_t i = 0; i < std::size(want); ++i) {
        VBComponent& c = p.VBComponents().Item(static_cast<long>(i + 1));
        SCOPED_TRACE(want[i].name);
        EXPECT_EQ(c.Name(), want[i].name);
        EXPECT_EQ(c.Type(), want[i].type);
        EXPECT_FALSE(c.IsDirty());
        EXPECT_EQ(c.FileNames(1).rfind(dir / "Shop/", 0), 0u);
        if (want[i].code)
            EXPECT_EQ(c.CodeModule().CountOfLines(), want[i].lines);
        else
            EXPECT_THROW(c.CodeModule(), PlatformError);
    }
    EXPECT_EQ(p.VBComponents().Item(9).FileNames(1), dir / "Shop/Shop.res");
}

TEST_F(LoaderKinds, ProjectSettingsComeFromTheProjectFile) {
    load(dir / "Shop/Shop.vbp");
    VBProject& p = vbe.ActiveVBProject();
    EXPECT_EQ(p.Name(), "Shop");
    EXPECT_EQ(p.FileName(), dir / "Shop/Shop.vbp");
    EXPECT_EQ(p.Description(), "Till and stock");
    EXPECT_EQ(p.BuildFileName(), "Shop.exe");
    EXPECT_EQ(p.Type(), vbext_pt_ActiveXExe);
    EXPECT_TRUE(p.Saved());
    EXPECT_EQ(&p.Collection().StartProject(), &p);
    EXPECT_EQ(vbe.VBProjects().FileName(), "");  // no group was loaded
    EXPECT_EQ(&p.VBComponents().Parent(), &p);
}

TEST_F(LoaderKinds, RelativeNamedPathsBecomeAbsolute) {
    std::string cwd = std::filesystem::current_path().string();
    std::filesystem::current_path(dir.path());
    LoadReport report;
    EXPECT_NO_THROW(report = load("./Shop/../Shop/Shop.vbp"));
    std::filesystem::current_path(cwd);
    EXPECT_EQ(vbe.project(1).data().FileName, dir / "Shop/Shop.vbp");
}

TEST_F(Loader, AProjectWithoutItsTypeIsAStandardExecutable) {
    LoadReport report = load(write("NoType.vbp", "Name=\"NoType\"\n"));
    EXPECT_EQ(vbe.project(1).Type(), vbext_pt_StandardExe);
    ASSERT_EQ(report.issues.size(), 1u);
    EXPECT_NE(report.issues[0].message.find("no valid Type="), std::string::npos);
}

TEST_F(Loader, NamesFallBackToTheVbpLineOrTheFileTitle) {
    std::string vbp = write("App/App.vbp",
                            "Type=Exe\n"
                            "Module=modKept; NoAttribute.bas\n"
                            "Module=modGone; Gone.bas\n"
                            "Form=Forms\\frmGone.frm\n"
                            "Name=\"App\"\n");
    write("App/NoAttribute.bas", "Option Explicit\nPublic X As Long\n");
    LoadReport report = load(vbp);
    MemoryProject& p = vbe.project(1);
    ASSERT_EQ(p.components().size(), 3u);
    // A file without its own name attribute is named after its title.
    EXPECT_EQ(p.component(1).data().Name, "NoAttribute");
    EXPECT_EQ(p.component(1).CodeModule().CountOfLines(), 2);
    // Missing files keep their place, with the name the project file gives or their title.
    EXPECT_EQ(p.component(2).data().Name, "modGone");
    EXPECT_EQ(p.component(2).data().FileName, dir / "App/Gone.bas");
    EXPECT_THROW(p.component(2).CodeModule(), PlatformError);
    EXPECT_EQ(p.component(3).data().Name, "frmGone");
    EXPECT_EQ(p.component(3).data().Type, vbext_ct_VBForm);
    EXPECT_EQ(p.component(3).data().FileName, dir / "App/Forms/frmGone.frm");
    ASSERT_EQ(report.issues.size(), 2u);
    EXPECT_EQ(report.issues[0].file, dir / "App/Gone.bas");
    EXPECT_NE(report.issues[0].message.find("not found"), std::string::npos);
    EXPECT_NE(report.issues[0].message.find("line 3 of"), std::string::npos);
}

TEST_F(Loader, ReferencesAndControlsResolveOrAreBroken) {
    std::string vbp = write(
        "Main/Main.vbp",
        "Type=Exe\n"
        "Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#..\\..\\WINDOWS\\system32\\"
        "stdole2.tlb#OLE Automation\n"
        "Reference=*\\G{EA544A21-C82D-11D1-A3E4-00A0C90AEA82}#6.0#0#C:\\WINDOWS\\system32\\"
        "msvbvm60.dll\\3#Visual Basic runtime objects and procedures\n"
        "Reference=*\\G{11111111-2222-3333-4444-555555555555}#1.1f#0#LIB\\shop.TLB#Shop Types\n"
        "Object={831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.a#0; MSCOMCTL.OCX\n"
        "Object={22222222-2222-3333-4444-555555555555}#1.0#0; Dial.ocx\n"
        "Reference=*\\ATools\\Tools.vbp\n"
        "Name=\"Main\"\n");
    std::string tlb = dir.write("Main/Lib/Shop.tlb", "MSFT");
    std::string ocx = dir.write("Main/dial.OCX", "MZ");
    std::string tools = write("Main/Tools/Tools.vbp", "Type=OleDll\nName=\"Tools\"\n");
    LoadReport report = load(vbp);
    EXPECT_TRUE(report.issues.empty());
    MemoryProject& p = vbe.project(1);
    ASSERT_EQ(p.References().Count(), 6);

    Reference& ole = p.References().Item(1);
    EXPECT_EQ(ole.Guid(), "{00020430-0000-0000-C000-000000000046}");
    EXPECT_EQ(ole.Description(), "OLE Automation");
    EXPECT_TRUE(ole.IsBroken());
    Reference& runtime = p.References().Item(2);
    EXPECT_EQ(runtime.FullPath(), "C:\\WINDOWS\\system32\\msvbvm60.dll\\3");
    EXPECT_EQ(runtime.Major(), 6);
    EXPECT_TRUE(runtime.IsBroken());
    Reference& shop = p.References().Item(3);
    EXPECT_FALSE(shop.IsBroken());
    EXPECT_EQ(shop.FullPath(), tlb);
    EXPECT_EQ(shop.Major(), 1);
    EXPECT_EQ(shop.Minor(), 31);
    Reference& comctl = p.References().Item(4);
    EXPECT_TRUE(comctl.IsBroken());
    EXPECT_EQ(comctl.FullPath(), "MSCOMCTL.OCX");
    EXPECT_EQ(comctl.Description(), "MSCOMCTL.OCX");
    EXPECT_EQ(comctl.Major(), 2);
    EXPECT_EQ(comctl.Minor(), 10);
    Reference& dial = p.References().Item(5);
    EXPECT_FALSE(dial.IsBroken());  // shipped beside the project
    EXPECT_EQ(dial.FullPath(), ocx);
    Reference& project = p.References().Item(6);
    EXPECT_FALSE(project.IsBroken());
    EXPECT_EQ(project.FullPath(), tools);
    EXPECT_EQ(project.Guid(), "");
    EXPECT_EQ(project.Description(), "Tools");
}

TEST_F(Loader, MappedDrivesResolveWithoutRegardToCase) {
    std::string vbp =
        write("Work/App.vbp",
              "Type=Exe\n"
              "Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#C:\\WINDOWS\\"
              "system32\\stdole2.tlb#OLE Automation\n"
              "Module=modLog; c:\\Shared\\modLog.bas\n"
              "Module=modNet; D:\\Shared\\modNet.bas\n");
    std::string tlb = dir.write("wine/drive_c/windows/System32/stdole2.tlb", "MSFT");
    std::string bas = write("wine/drive_c/shared/MODLOG.BAS", "Attribute VB_Name = \"modLog\"\n");
    options.driveMappings['C'] = dir / "wine/drive_c";
    LoadReport report = load(vbp);
    MemoryProject& p = vbe.project(1);
    EXPECT_EQ(p.references().Item(1).FullPath(), tlb);
    EXPECT_FALSE(p.references().Item(1).IsBroken());
    EXPECT_EQ(p.component(1).data().FileName, bas);
    EXPECT_TRUE(p.component(1).data().HasCodeModule);
    // Drive D: is not mapped: its path stays as written and the file is reported missing.
    EXPECT_EQ(p.component(2).data().FileName, "D:\\Shared\\modNet.bas");
    EXPECT_TRUE(mentions(report, "D:\\Shared\\modNet.bas"));
}

TEST_F(Loader, GroupGivesOrderStartupActiveAndItsFileName) {
    std::string vbg = write("Suite.vbg",
                            "VBGROUP 5.0\n"
                            "Project=Tools\\Tools.vbp\n"
                            "StartupProject=Main.vbp\n"
                            "Project=grid\\GRID.vbp\n");
    write("Tools/Tools.vbp", "Type=OleDll\nName=\"Tools\"\n");
    write("Main.vbp", "Type=Exe\nName=\"Main\"\n");
    write("Grid/Grid.vbp", "Type=Control\nName=\"Grid\"\n");
    LoadReport report = load(vbg);
    EXPECT_TRUE(report.issues.empty());
    ASSERT_EQ(vbe.VBProjects().Count(), 3);
    EXPECT_EQ(vbe.VBProjects().Item(1).Name(), "Tools");
    EXPECT_EQ(vbe.VBProjects().Item(2).Name(), "Main");
    EXPECT_EQ(vbe.VBProjects().Item(3).Name(), "Grid");
    EXPECT_EQ(vbe.VBProjects().Item(3).FileName(), dir / "Grid/Grid.vbp");
    EXPECT_EQ(vbe.VBProjects().StartProject().Name(), "Main");
    EXPECT_EQ(vbe.ActiveVBProject().Name(), "Main");
    EXPECT_EQ(vbe.VBProjects().FileName(), vbg);
}

TEST_F(Loader, GroupWithoutStartupLineStartsWithItsFirstProject) {
    std::string vbg = write("Suite.vbg", "VBGROUP 5.0\nProject=B.vbp\nProject=A.vbp\n");
    write("A.vbp", "Type=Exe\nName=\"A\"\n");
    write("B.vbp", "Type=Exe\nName=\"B\"\n");
    load(vbg);
    EXPECT_EQ(vbe.ActiveVBProject().Name(), "B");
    EXPECT_EQ(vbe.VBProjects().StartProject().Name(), "B");
}

TEST_F(Loader, FirstNamedFileGivesTheActiveProject) {
    std::string vbg = write("Suite.vbg", "VBGROUP 5.0\nStartupProject=A.vbp\nProject=B.vbp\n");
    write("A.vbp", "Type=Exe\nName=\"A\"\n");
    write("B.vbp", "Type=Exe\nName=\"B\"\n");
    std::string c = write("C/C.vbp", "Type=Exe\nName=\"C\"\n");
    LoadReport report = load({c, vbg, dir / "B.vbp"});
    ASSERT_EQ(vbe.VBProjects().Count(), 3);  // B is named twice and loaded once
    EXPECT_TRUE(mentions(report, "named more than once"));
    EXPECT_EQ(vbe.ActiveVBProject().Name(), "C");
    EXPECT_EQ(vbe.VBProjects().StartProject().Name(), "A");
    EXPECT_EQ(vbe.VBProjects().FileName(), vbg);
}

TEST_F(Loader, Windows1252ProjectsDecodeToUtf8) {
    // "Café" in code page 1252, inside the files and as the name the project file gives.
    std::string vbp = dir.write("Caf\xC3\xA9/Caf\xC3\xA9.vbp",
                                crlf("Type=Exe\nName=\"Caf\xE9\"\nDescription=\"Men\xFA del d\xED"
                                     "a\"\n"
                                     "Module=modCaf\xE9; Caf\xE9.bas\n"));
    dir.write("Caf\xC3\xA9/Caf\xC3\xA9.bas", crlf("Attribute VB_Name = \"modCaf\xE9\"\n"));
    LoadReport report = load(vbp);
    EXPECT_TRUE(report.issues.empty());
    MemoryProject& p = vbe.project(1);
    EXPECT_EQ(p.data().Name, "Caf\xC3\xA9");
    EXPECT_EQ(p.data().Description,
              "Men\xC3\xBA del d\xC3\xAD"
              "a");
    ASSERT_EQ(p.components().size(), 1u);
    EXPECT_EQ(p.component(1).data().Name, "modCaf\xC3\xA9");
    EXPECT_TRUE(p.component(1).data().HasCodeModule);
}

TEST_F(Loader, Utf8FilesStayUtf8UnderAnyCodePage) {
    std::string vbp = dir.write("App.vbp", "Type=Exe\nName=\"\xE4\xB8\xAD\xE6\x96\x87\"\n");
    options.codePage = "936";
    load(vbp);
    EXPECT_EQ(vbe.project(1).data().Name, "\xE4\xB8\xAD\xE6\x96\x87");
}

TEST_F(Loader, BinariesTheDesignRefersToAreCheckedOnlyForDesignedKinds) {
    std::string vbp = write("App.vbp",
                            "Type=Exe\nForm=frmA.frm\nForm=frmB.frm\nUserControl=ctlC.ctl\n"
                            "Module=modD; modD.bas\nForm=frmE.frm\nPropertyPage=pgP.pag\n"
                            "UserDocument=docQ.dob\nName=\"App\"\n");
    auto designed = [&](const std::string& file, const std::string& kind,
                        const std::string& properties, const std::string& code = "") {
        write(file, "VERSION 5.00\nBegin " + kind + " X\n" + properties +
                        "End\nAttribute VB_Name = \"X\"\n" + code);
    };
    designed("frmA.frm", "VB.Form",
             "   Icon = \"frmA.frx\":0000\n   Picture = \"frmA.frx\":0442\n");
    designed("frmB.frm", "VB.MDIForm", "   Picture = \"frmB.frx\":0098\n");
    dir.write("FRMB.FRX", "bin");  // another letter case counts as there
    designed("ctlC.ctl", "VB.UserControl",
             "   Begin VB.Image i\n  Picture = \"ctlC.ctx\":0\n  End\n");
    designed("pgP.pag", "VB.PropertyPage", "   Palette = \"pgP.pgx\":0000\n");
    designed("docQ.dob", "VB.UserDocument", "   Picture = \"docQ.dox\":0000\n");
    designed("frmE.frm", "VB.Form", "", "s = \"other.frx\":0\n");  // in code, not the design
    write("modD.bas", "Attribute VB_Name = \"modD\"\nx = \"modD.frx\":1\n");
    LoadReport report = load(vbp);
    std::vector<std::string> missing;
    for (const LoadIssue& i : report.issues) {
        EXPECT_EQ(i.kind, IssueKind::MissingBinary) << i.message;
        missing.push_back(i.file);
    }
    EXPECT_EQ(missing, (std::vector<std::string>{dir / "frmA.frx", dir / "ctlC.ctx",
                                                 dir / "pgP.pgx", dir / "docQ.dox"}));
    EXPECT_EQ(vbe.project(1).components().size(), 7u);
}
