// The example group shipped in examples/ loads completely: every kind, every file found.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

#include "platform/ide/loader.h"
#include "platform/os/file_system.h"

using namespace arkstash;
using namespace arkstash::ide;

namespace {

const std::string kExample = std::string(ARKSTASH_SOURCE_DIR) + "/examples/StockControl";

class ExampleGroup : public ::testing::Test {
  protected:
    void SetUp() override { report = loader.load(vbe, {kExample + "/StockControl.vbg"}); }

    MemoryComponent& named(MemoryProject& p, const std::string& name) {
        for (std::size_t i = 1; i <= p.components().size(); ++i)
            if (p.component(static_cast<long>(i)).data().Name == name)
                return p.component(static_cast<long>(i));
        throw std::runtime_error("no component " + name);
    }

    os::PosixFileSystem fs;
    ProjectLoader loader{fs, {}};
    MemoryVBE vbe;
    LoadReport report;
};

}  // namespace

TEST_F(ExampleGroup, LoadsBothProjectsWithoutIssues) {
    for (const auto& i : report.issues) ADD_FAILURE() << i.file << ": " << i.message;
    ASSERT_EQ(vbe.VBProjects().Count(), 2);
    EXPECT_EQ(vbe.VBProjects().FileName(), kExample + "/StockControl.vbg");
    VBProject& exe = vbe.ActiveVBProject();
    EXPECT_EQ(exe.Name(), "StockControl");
    EXPECT_EQ(exe.Type(), vbext_pt_StandardExe);
    EXPECT_EQ(exe.BuildFileName(), "StockControl.exe");
    EXPECT_FALSE(exe.Description().empty());
    EXPECT_EQ(&vbe.VBProjects().StartProject(), &exe);
    VBProject& grid = vbe.VBProjects().Item(2);
    EXPECT_EQ(grid.Name(), "StockGrid");
    EXPECT_EQ(grid.Type(), vbext_pt_ActiveXControl);
    EXPECT_EQ(grid.FileName(), kExample + "/StockGrid/StockGrid.vbp");
}

TEST_F(ExampleGroup, HoldsEveryKindWithItsFilesAndCompanions) {
    std::set<int> kinds;
    for (std::size_t p = 1; p <= 2; ++p) {
        MemoryProject& project = vbe.project(static_cast<long>(p));
        for (std::size_t i = 1; i <= project.components().size(); ++i) {
            ComponentData& c = project.component(static_cast<long>(i)).data();
            SCOPED_TRACE(c.Name);
            kinds.insert(c.Type);
            EXPECT_TRUE(fs.findFirst(c.FileName, true).has_value());
            std::string stem = c.FileName.substr(0, c.FileName.size() - 4);
            if (c.Type == vbext_ct_VBForm) EXPECT_TRUE(fs.findFirst(stem + ".frx", true));
            if (c.Type == vbext_ct_UserControl) EXPECT_TRUE(fs.findFirst(stem + ".ctx", true));
        }
    }
    EXPECT_EQ(kinds, (std::set<int>{1, 2, 4, 5, 6, 7, 8, 9, 10, 11}));
}

TEST_F(ExampleGroup, CaseThatDiffersFromTheDiskIsResolved) {
    // The project file says "frmstock.frm"; the file is frmStock.frm.
    MemoryComponent& form = named(vbe.project(1), "frmStock");
    EXPECT_EQ(form.data().FileName, kExample + "/frmStock.frm");
    EXPECT_EQ(named(vbe.project(1), "frmMDI").data().Type, vbext_ct_VBMDIForm);
    // Eleven lines of code; the member attribute inside the property is not one of them.
    EXPECT_EQ(named(vbe.project(1), "CStockItem").data().CountOfLines, 11);
}

TEST_F(ExampleGroup, ReferencesResolveOnlyWhereTheFileIsHere) {
    MemoryProject& exe = vbe.project(1);
    ASSERT_EQ(exe.references().size(), 4u);
    EXPECT_EQ(exe.References().Item(1).Description(), "OLE Automation");
    EXPECT_TRUE(exe.References().Item(1).IsBroken());
    EXPECT_EQ(exe.References().Item(2).Description(),
              "Visual Basic runtime objects and procedures");
    EXPECT_TRUE(exe.References().Item(2).IsBroken());
    Reference& types = exe.References().Item(3);
    EXPECT_FALSE(types.IsBroken());
    EXPECT_EQ(types.FullPath(), kExample + "/Lib/StockTypes.tlb");
    Reference& comctl = exe.References().Item(4);
    EXPECT_TRUE(comctl.IsBroken());
    EXPECT_EQ(comctl.Guid(), "{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}");
    EXPECT_EQ(comctl.Description(), "MSCOMCTL.OCX");
}
