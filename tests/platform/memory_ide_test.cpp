#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/ide/memory_ide.h"

using namespace arkstash;
using namespace arkstash::ide;

TEST(MemoryIde, CollectionsAreOneBasedAndRefuseOutOfRange) {
    MemoryVBE vbe;
    auto& p = vbe.addProject({.Name = "Sales", .FileName = "/w/Sales.vbp"});
    p.addComponent({.Name = "Module1", .Type = vbext_ct_StdModule, .FileName = "/w/Module1.bas"});
    EXPECT_EQ(vbe.VBProjects().Count(), 1);
    EXPECT_EQ(vbe.VBProjects().Item(1).Name(), "Sales");
    EXPECT_THROW(vbe.VBProjects().Item(0), PlatformError);
    EXPECT_THROW(vbe.VBProjects().Item(2), PlatformError);
    EXPECT_EQ(p.VBComponents().Item(1).FileNames(1), "/w/Module1.bas");
    EXPECT_THROW(p.VBComponents().Item(1).FileNames(2), PlatformError);
    EXPECT_EQ(&p.VBComponents().Parent(), &p);
    EXPECT_EQ(&vbe.ActiveVBProject().Collection().StartProject(), &p);
}

TEST(MemoryIde, MembersFailOneByOne) {
    MemoryVBE vbe;
    auto& p = vbe.addProject({.Name = "Sales"});
    auto& c = p.addComponent({.Name = "Res", .Type = vbext_ct_ResFile, .HasCodeModule = false});
    EXPECT_THROW(c.CodeModule(), PlatformError);  // no code module at all
    c.data().HasCodeModule = true;
    c.code().fail("CountOfLines");
    EXPECT_THROW(c.CodeModule().CountOfLines(), PlatformError);
    EXPECT_EQ(c.Name(), "Res");
    p.fail("Name");
    EXPECT_THROW(p.Name(), PlatformError);
    EXPECT_NO_THROW(p.FileName());
    p.heal("Name");
    EXPECT_EQ(p.Name(), "Sales");
}

TEST(MemoryIde, EventsReachHoldersOfTheSameSource) {
    MemoryVBE vbe;
    auto& p = vbe.addProject({.Name = "A"});
    auto src = vbe.Events().VBComponentsEvents(p);
    int added = 0;
    auto conn = src->ItemAdded.connect([&](VBComponent& c) { added += c.Name() == "Form1"; });
    p.addComponent({.Name = "Form1", .Type = vbext_ct_VBForm});
    EXPECT_EQ(added, 1);
    conn.reset();
    p.addComponent({.Name = "Form1", .Type = vbext_ct_VBForm});
    EXPECT_EQ(added, 1);  // a dropped connection hears nothing
}
