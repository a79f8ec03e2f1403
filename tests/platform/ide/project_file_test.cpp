#include "platform/ide/project_file.h"

#include <gtest/gtest.h>

#include "platform/ide/ide.h"

using namespace arkstash::ide;

namespace {

bool hasNoteOnLine(const std::vector<ParseNote>& notes, std::size_t line, const std::string& text) {
    for (const auto& n : notes)
        if (n.line == line && n.message.find(text) != std::string::npos) return true;
    return false;
}

}  // namespace

TEST(ProjectFile, ReadsTheProjectSettingsAndStripsQuotes) {
    ProjectFile pf = parseProjectFile(
        "Type=OleDll\r\n"
        "Name=\"Billing\"\r\n"
        "Description=\"Invoices = money\"\r\n"
        "ExeName32=\"Billing.dll\"\r\n");
    EXPECT_EQ(pf.type, vbext_pt_ActiveXDll);
    EXPECT_EQ(pf.name, "Billing");
    EXPECT_EQ(pf.description, "Invoices = money");
    EXPECT_EQ(pf.exeName32, "Billing.dll");
    EXPECT_EQ(pf.settings, 4u);
    EXPECT_TRUE(pf.notes.empty());
}

TEST(ProjectFile, ProjectTypesMapToTheirNumbers) {
    EXPECT_EQ(parseProjectFile("Type=Exe").type, vbext_pt_StandardExe);
    EXPECT_EQ(parseProjectFile("Type=OleExe").type, vbext_pt_ActiveXExe);
    EXPECT_EQ(parseProjectFile("Type=OleDll").type, vbext_pt_ActiveXDll);
    EXPECT_EQ(parseProjectFile("Type=Control").type, vbext_pt_ActiveXControl);
    ProjectFile odd = parseProjectFile("Type=Addin\r\n");
    EXPECT_FALSE(odd.type.has_value());
    EXPECT_TRUE(hasNoteOnLine(odd.notes, 1, "unknown project type"));
}

TEST(ProjectFile, ComponentLinesGiveKindNameAndPathAsWritten) {
    ProjectFile pf = parseProjectFile(
        "Module=modMain; ..\\Shared\\modMain.bas\r\n"
        "Class=COrder; Classes\\COrder.cls\r\n"
        "Form=frmMain.frm\r\n"
        "PropertyPage=ppgColours.pag\r\n"
        "UserControl=ctlDial.ctl\r\n"
        "UserDocument=docHome.dob\r\n"
        "Designer=deMain.dsr\r\n"
        "ResFile32=\"Billing.res\"\r\n"
        "RelatedDoc=..\\Docs\\Notes.txt\r\n"
        "Module=modLoose.bas\r\n");
    ASSERT_EQ(pf.components.size(), 10u);
    const int kinds[] = {vbext_ct_StdModule,       vbext_ct_ClassModule, vbext_ct_VBForm,
                         vbext_ct_PropPage,        vbext_ct_UserControl, vbext_ct_DocObject,
                         vbext_ct_ActiveXDesigner, vbext_ct_ResFile,     vbext_ct_RelatedDocument,
                         vbext_ct_StdModule};
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(pf.components[i].kind, kinds[i]) << i;
        EXPECT_EQ(pf.components[i].line, i + 1);
    }
    EXPECT_EQ(pf.components[0].name, "modMain");
    EXPECT_EQ(pf.components[0].path, "..\\Shared\\modMain.bas");
    EXPECT_EQ(pf.components[1].name, "COrder");
    EXPECT_EQ(pf.components[2].name, "");
    EXPECT_EQ(pf.components[7].path, "Billing.res");
    // A module line without "name;" names only its file.
    EXPECT_EQ(pf.components[9].name, "");
    EXPECT_EQ(pf.components[9].path, "modLoose.bas");
}

TEST(ProjectFile, ReferencesCarryHexadecimalVersionsPathAndDescription) {
    ProjectFile pf = parseProjectFile(
        "Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#..\\stdole2.tlb#OLE "
        "Automation\r\n"
        "Reference=*\\G{420B2830-E718-11CF-893D-00A0C9054228}#1.a#409#C:\\Lib#1\\scrrun.dll#"
        "Scripting "
        "Runtime\r\n"
        "Object={831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.1#0; MSCOMCTL.OCX\r\n"
        "Reference=*\\AShared\\Tools.vbp\r\n"
        "Object=*\\AGrid\\Grid.vbp\r\n");
    ASSERT_EQ(pf.references.size(), 5u);
    const auto& ole = pf.references[0];
    EXPECT_FALSE(ole.control);
    EXPECT_EQ(ole.guid, "{00020430-0000-0000-C000-000000000046}");
    EXPECT_EQ(ole.major, 2);
    EXPECT_EQ(ole.minor, 0);
    EXPECT_EQ(ole.path, "..\\stdole2.tlb");
    EXPECT_EQ(ole.description, "OLE Automation");
    const auto& scripting = pf.references[1];
    EXPECT_EQ(scripting.major, 1);
    EXPECT_EQ(scripting.minor, 10);
    EXPECT_EQ(scripting.lcid, "409");
    EXPECT_EQ(scripting.path, "C:\\Lib#1\\scrrun.dll");  // "#" inside the path survives
    EXPECT_EQ(scripting.description, "Scripting Runtime");
    const auto& control = pf.references[2];
    EXPECT_TRUE(control.control);
    EXPECT_EQ(control.minor, 1);
    EXPECT_EQ(control.path, "MSCOMCTL.OCX");
    EXPECT_EQ(control.description, "");
    EXPECT_TRUE(pf.references[3].project);
    EXPECT_EQ(pf.references[3].path, "Shared\\Tools.vbp");
    EXPECT_TRUE(pf.references[4].project);
    EXPECT_TRUE(pf.references[4].control);
    EXPECT_TRUE(pf.notes.empty());
}

TEST(ProjectFile, DamagedLinesAreNotedAndKeptWherePossible) {
    ProjectFile pf = parseProjectFile(
        "Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.\r\n"  // cut in its version
        "Reference=something else\r\n"
        "Object={BAD}#z.0#0; X.OCX\r\n"
        "Module=\r\n"
        "Name=\"First\"\r\n"
        "Name=\"Second\"\r\n"
        "Description=\"cut off");
    ASSERT_EQ(pf.references.size(), 2u);
    EXPECT_TRUE(hasNoteOnLine(pf.notes, 1, "hexadecimal"));
    EXPECT_TRUE(hasNoteOnLine(pf.notes, 2, "no known form"));
    EXPECT_TRUE(hasNoteOnLine(pf.notes, 3, "not a braced GUID"));
    EXPECT_TRUE(hasNoteOnLine(pf.notes, 3, "hexadecimal"));
    EXPECT_EQ(pf.references[1].path, "X.OCX");
    EXPECT_TRUE(hasNoteOnLine(pf.notes, 4, "names no file"));
    EXPECT_TRUE(pf.components.empty());
    EXPECT_EQ(pf.name, "First");
    EXPECT_TRUE(hasNoteOnLine(pf.notes, 6, "second Name="));
    EXPECT_EQ(pf.description, "cut off");
}

TEST(ProjectFile, SectionsOfAddInsEndTheProjectSettings) {
    ProjectFile pf = parseProjectFile(
        "Type=Exe\r\nForm=frmMain.frm\r\n\r\n[MS Transaction Server]\r\nAutoRefresh=1\r\n"
        "Form=NotOurs.frm\r\nName=\"NotOurs\"\r\n");
    EXPECT_EQ(pf.components.size(), 1u);
    EXPECT_FALSE(pf.name.has_value());
}

TEST(ProjectFile, TextWithoutProjectSettingsIsRecognisedAsSuch) {
    EXPECT_EQ(parseProjectFile("").settings, 0u);
    EXPECT_EQ(parseProjectFile("hello world\r\nfoo=bar\r\n").settings, 0u);
    EXPECT_EQ(parseProjectFile("VBGROUP 5.0\r\nProject=A.vbp\r\n").settings, 0u);
    EXPECT_GT(parseProjectFile("Startup=\"Sub Main\"\r\n").settings, 0u);
}

TEST(ProjectFile, HexVersionsRefuseWhatIsNotTwoHexNumbers) {
    EXPECT_EQ(parseHexVersion("ffffffff.0"), std::make_pair(0xffffffffL, 0L));
    EXPECT_EQ(parseHexVersion("A.1F"), std::make_pair(10L, 31L));
    EXPECT_FALSE(parseHexVersion("123456789.0"));  // would not fit the file's 32 bits
    EXPECT_FALSE(parseHexVersion("2"));
    EXPECT_FALSE(parseHexVersion("2."));
    EXPECT_FALSE(parseHexVersion(".1"));
    EXPECT_FALSE(parseHexVersion("g.0"));
    EXPECT_FALSE(parseHexVersion("-1.0"));
}

TEST(GroupFile, ListsProjectsInFileOrderWithTheStartupOne) {
    GroupFile g = parseGroupFile(
        "VBGROUP 5.0\r\nProject=Tools\\Tools.vbp\r\nStartupProject=Main.vbp\r\n"
        "Project=Grid\\Grid.vbp\r\nStartupProject=Other.vbp\r\n");
    EXPECT_TRUE(g.header);
    EXPECT_EQ(g.version, "5.0");
    ASSERT_EQ(g.projects.size(), 4u);
    EXPECT_EQ(g.projects[0].path, "Tools\\Tools.vbp");
    EXPECT_FALSE(g.projects[0].startup);
    EXPECT_TRUE(g.projects[1].startup);
    EXPECT_EQ(g.projects[1].path, "Main.vbp");
    // Only the first start-up line counts; the second project is still a member.
    EXPECT_FALSE(g.projects[3].startup);
    EXPECT_TRUE(hasNoteOnLine(g.notes, 5, "second StartupProject"));
}

TEST(GroupFile, HeaderIsRecognisedOnlyOnTheFirstLine) {
    EXPECT_TRUE(looksLikeGroup("\r\n  VBGROUP 5.0\r\n"));
    EXPECT_FALSE(looksLikeGroup("Type=Exe\r\nVBGROUP 5.0\r\n"));
    EXPECT_FALSE(looksLikeGroup(""));
    GroupFile g = parseGroupFile("Project=A.vbp\nProject=\n");
    EXPECT_FALSE(g.header);
    EXPECT_EQ(g.projects.size(), 1u);
    EXPECT_TRUE(hasNoteOnLine(g.notes, 2, "names no file"));
}
