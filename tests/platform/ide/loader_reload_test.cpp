#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ide/loader.h"
#include "platform/ide/loader_support.h"

using namespace arkstash;
using namespace arkstash::ide;
using arkstash::test::loadErrorOf;

namespace {

// A group of two projects on disk, loaded, with every event of the environment recorded.
class Reload : public test::LoaderTest {
  protected:
    void SetUp() override {
        group = write("Suite.vbg", "VBGROUP 5.0\nStartupProject=Main.vbp\nProject=Tools.vbp\n");
        writeMain("Module=modA; A.bas\nForm=frmB.frm\n");
        write("Tools.vbp", "Type=OleDll\nName=\"Tools\"\n");
        write("A.bas", "Attribute VB_Name = \"modA\"\nDim a\n");
        write("frmB.frm", "VERSION 5.00\nBegin VB.Form frmB \nEnd\nAttribute VB_Name = \"frmB\"\n");
        write("C.cls", "Attribute VB_Name = \"CThing\"\nPublic Id As Long\n");
        load(group);
        listen(vbe.project(1));
        projectAdded = vbe.events().projectsEvents()->ItemAdded.connect(
            [this](VBProject& p) { log.push_back("project added " + p.Name()); });
        projectRemoved = vbe.events().projectsEvents()->ItemRemoved.connect(
            [this](VBProject& p) { log.push_back("project removed " + p.Name()); });
    }

    void writeMain(const std::string& components) {
        write("Main.vbp", "Type=Exe\n" + components + "Name=\"Main\"\n");
    }

    void listen(MemoryProject& p) {
        auto comps = vbe.events().componentsEvents(p);
        connections.push_back(comps->ItemAdded.connect(
            [this](VBComponent& c) { log.push_back("component added " + c.Name()); }));
        connections.push_back(comps->ItemRemoved.connect(
            [this](VBComponent& c) { log.push_back("component removed " + c.Name()); }));
        fileRemoved.push_back(vbe.events().fileEvents(p)->AfterRemoveFile.connect(
            [this](VBProject& project, int type, const std::string& file) {
                log.push_back("file removed " + project.Name() + " " + std::to_string(type) + " " +
                              file);
            }));
    }

    std::string group;
    std::vector<std::string> log;
    std::vector<Signal<VBComponent&>::Connection> connections;
    std::vector<Signal<VBProject&, int, const std::string&>::Connection> fileRemoved;
    Signal<VBProject&>::Connection projectAdded, projectRemoved;
};

}  // namespace

TEST_F(Reload, NothingChangedRaisesNothing) {
    MemoryComponent* a = &vbe.project(1).component(1);
    LoadReport report = loader->reload(vbe);
    EXPECT_TRUE(report.issues.empty());
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(&vbe.project(1).component(1), a);  // the same objects stay
    EXPECT_EQ(vbe.projects().size(), 2u);
}

TEST_F(Reload, AddedComponentRaisesItsEvent) {
    writeMain("Module=modA; A.bas\nForm=frmB.frm\nClass=CThing; C.cls\n");
    loader->reload(vbe);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "component added CThing");
    MemoryProject& p = vbe.project(1);
    ASSERT_EQ(p.components().size(), 3u);
    EXPECT_EQ(p.component(3).data().Type, vbext_ct_ClassModule);
    EXPECT_EQ(p.component(3).data().CountOfLines, 1);
}

TEST_F(Reload, RemovedComponentRaisesRemovalAndFileRemoved) {
    writeMain("Form=frmB.frm\n");
    loader->reload(vbe);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "component removed modA");
    EXPECT_EQ(log[1], "file removed Main 1 " + dir / "A.bas");
    ASSERT_EQ(vbe.project(1).components().size(), 1u);
    EXPECT_EQ(vbe.project(1).component(1).data().Name, "frmB");
}

TEST_F(Reload, FormRemovedAndModuleAddedInOneReload) {
    writeMain("Module=modA; A.bas\nClass=CThing; C.cls\n");
    loader->reload(vbe);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], "component removed frmB");
    EXPECT_EQ(log[1], "file removed Main 0 " + dir / "frmB.frm");
    EXPECT_EQ(log[2], "component added CThing");
}

TEST_F(Reload, ChangedFilesUpdateInPlaceWithoutEvents) {
    MemoryComponent* a = &vbe.project(1).component(1);
    MemoryComponent* b = &vbe.project(1).component(2);
    write("A.bas", "Attribute VB_Name = \"modRenamed\"\nDim a\nDim b\nDim c\n");
    write("frmB.frm", "VERSION 5.00\nBegin VB.MDIForm frmB \nEnd\nAttribute VB_Name = \"frmB\"\n");
    write("Main.vbp",
          "Type=OleExe\nModule=modA; A.bas\nForm=frmB.frm\nName=\"Main2\"\n"
          "Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#stdole2.tlb#OLE "
          "Automation\n");
    loader->reload(vbe);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(&vbe.project(1).component(1), a);
    EXPECT_EQ(a->data().Name, "modRenamed");
    EXPECT_EQ(a->data().CountOfLines, 3);
    EXPECT_EQ(b->data().Type, vbext_ct_VBMDIForm);
    EXPECT_EQ(vbe.project(1).data().Name, "Main2");
    EXPECT_EQ(vbe.project(1).data().Type, vbext_pt_ActiveXExe);
    EXPECT_EQ(vbe.project(1).references().size(), 1u);
    write("Main.vbp", "Type=Exe\nModule=modA; A.bas\nForm=frmB.frm\nName=\"Main\"\n");
    loader->reload(vbe);
    EXPECT_EQ(vbe.project(1).references().size(), 0u);
}

TEST_F(Reload, FileThatAppearsGainsItsCodeModule) {
    writeMain("Module=modA; A.bas\nForm=frmB.frm\nModule=modLate; Late.bas\n");
    LoadReport report = loader->reload(vbe);
    EXPECT_EQ(report.issues.size(), 1u);
    MemoryComponent& late = vbe.project(1).component(3);
    EXPECT_FALSE(late.data().HasCodeModule);
    write("Late.bas", "Attribute VB_Name = \"modLate\"\nDim x\n");
    log.clear();
    report = loader->reload(vbe);
    EXPECT_TRUE(report.issues.empty());
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(late.data().HasCodeModule);
    EXPECT_EQ(late.data().CountOfLines, 1);
}

TEST_F(Reload, ProjectsAddedToAndRemovedFromTheGroup) {
    write("Extra.vbp", "Type=Control\nName=\"Extra\"\n");
    write("Suite.vbg",
          "VBGROUP 5.0\nStartupProject=Main.vbp\nProject=Tools.vbp\nProject=Extra.vbp\n");
    loader->reload(vbe);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "project added Extra");
    EXPECT_EQ(vbe.VBProjects().Count(), 3);
    EXPECT_EQ(vbe.ActiveVBProject().Name(), "Main");

    log.clear();
    write("Suite.vbg", "VBGROUP 5.0\nStartupProject=Extra.vbp\nProject=Main.vbp\n");
    loader->reload(vbe);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "project removed Tools");
    EXPECT_EQ(vbe.VBProjects().StartProject().Name(), "Extra");
    EXPECT_EQ(vbe.ActiveVBProject().Name(), "Main");  // the project worked on stays active
}

TEST_F(Reload, ActiveProjectRemovedGivesWayToTheStartupProject) {
    write("Extra.vbp", "Type=Control\nName=\"Extra\"\n");
    write("Suite.vbg", "VBGROUP 5.0\nProject=Tools.vbp\nStartupProject=Extra.vbp\n");
    loader->reload(vbe);
    ASSERT_EQ(vbe.VBProjects().Count(), 2);
    EXPECT_EQ(vbe.VBProjects().Item(1).Name(), "Tools");
    EXPECT_EQ(vbe.ActiveVBProject().Name(), "Extra");
    EXPECT_EQ(vbe.VBProjects().StartProject().Name(), "Extra");
    EXPECT_EQ(log, (std::vector<std::string>{"project removed Main", "project added Extra"}));
}

TEST_F(Reload, HeldEventsArriveOnceTheModelIsWhole) {
    write("Extra.vbp", "Type=Exe\nModule=modA; A.bas\nName=\"Extra\"\n");
    write("Suite.vbg", "VBGROUP 5.0\nStartupProject=Main.vbp\nProject=Extra.vbp\n");
    std::vector<std::string> seen;  // what a handler finds when each event arrives
    auto added = vbe.events().projectsEvents()->ItemAdded.connect([&](VBProject& p) {
        seen.push_back(p.Name() + " " + std::to_string(p.VBComponents().Count()) + " of " +
                       std::to_string(vbe.VBProjects().Count()));
    });
    vbe.holdEvents();
    loader->reload(vbe);
    EXPECT_TRUE(log.empty());
    vbe.releaseEvents();
    EXPECT_EQ(seen, std::vector<std::string>{"Extra 1 of 2"});
    EXPECT_EQ(log, (std::vector<std::string>{"project removed Tools", "project added Extra"}));
}

TEST_F(Reload, FileThatCannotBeLoadedLeavesEverythingAsItWas) {
    std::filesystem::remove(dir / "Suite.vbg");
    std::string error = loadErrorOf([&] { loader->reload(vbe); });
    EXPECT_NE(error.find("does not exist"), std::string::npos);
    EXPECT_EQ(vbe.projects().size(), 2u);
    EXPECT_EQ(vbe.project(1).components().size(), 2u);
    EXPECT_TRUE(log.empty());
}

TEST_F(Reload, BeforeAnyLoadDoesNothing) {
    MemoryVBE empty;
    ProjectLoader fresh(posix, {});
    EXPECT_TRUE(fresh.reload(empty).issues.empty());
    EXPECT_EQ(empty.projects().size(), 0u);
    EXPECT_TRUE(log.empty());
}
