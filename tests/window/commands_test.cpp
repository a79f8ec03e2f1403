#include <gmock/gmock.h>

#include "window_test_support.h"

using namespace arkstash;
using ::testing::ElementsAre;
using window::Tab;

namespace {

class CommandsTest : public test::WindowTest {
  protected:
    std::vector<std::string> opened;  // "code NAME" / "designer NAME"
    void SetUp() override {
        vbe.hooks.codeShown = [this](ide::MemoryComponent& c) {
            opened.push_back("code " + c.data().Name);
        };
        vbe.hooks.designerActivated = [this](ide::MemoryComponent& c) {
            opened.push_back("designer " + c.data().Name);
        };
    }
    void select(const std::string& ending) {
        for (std::size_t i = 0; i < window.fileList.size(); ++i)
            if (window.fileList.row(i).path.ends_with(ending)) window.fileList.rowClicked(i);
    }
};

TEST_F(CommandsTest, EachToolReachesItsAction) {
    addProject("Sales");
    open();
    int abouts = 0, closes = 0;
    window.showAbout = [&] { ++abouts; };
    window.closed = [&] { ++closes; };
    for (const char* id : {"ID_Help", "ID_Support", "ID_Web", "ID_AboutArkstash", "ID_File",
                           "ID_MainHelp", "id_help", "ID_Exit"})
        window.runCommand(id);
    EXPECT_THAT(fixture.shell.requests,
                ElementsAre("help Introduction.html", "help Technical support.html",
                            std::string("url ") + window::kWebAddress));
    EXPECT_EQ(abouts, 1);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(window.projectNameLabel.caption(), "");  // the close sequence ran
}

TEST_F(CommandsTest, ViewCodeOpensEveryComponentOfThatFileAndOnlyAnExactMatch) {
    auto& a = addProject("A");
    auto& b = addProject("B");
    std::string shared = a.component(2).data().FileName;
    b.addComponent({"modShared", ide::vbext_ct_StdModule, shared});
    a.addComponent({"modCase", ide::vbext_ct_StdModule, dir.write("A/MODMAIN.BAS.txt", "x")});
    open();
    select("A/modMain.bas");
    window.runCommand("ID_ViewCode");
    window.runCommand("ID_ViewObject");
    EXPECT_THAT(opened, ElementsAre("code modMain", "code modShared", "designer modMain",
                                    "designer modShared"));
    // A row whose path differs from the component's only in letter case opens nothing.
    opened.clear();
    window.fileList.row(window.fileList.size() - 1).path = shared.substr(0, shared.size() - 3) + "BAS";
    window.fileList.rowClicked(window.fileList.size() - 1);
    window.runCommand("ID_ViewCode");
    EXPECT_TRUE(opened.empty());
}

TEST_F(CommandsTest, FilePropertiesFollowTheSelectedTab) {
    addProject("Sales");
    open();
    select("modMain.bas");
    window.runCommand("ID_Fileproperties");
    EXPECT_THAT(fixture.shell.requests, ElementsAre("properties " + (dir / "Sales/modMain.bas")));
    for (Tab tab : {Tab::Properties, Tab::Memo, Tab::Info}) {
        fixture.dialogs.shown.clear();
        window.tabs.select(tab);
        window.runCommand("ID_Fileproperties");
        EXPECT_THAT(fixture.dialogs.texts(), ElementsAre("Error reading file properties"));
    }
    fixture.shell.propertiesShown = false;  // a file the shell cannot read
    fixture.dialogs.shown.clear();
    window.tabs.select(Tab::Files);
    window.runCommand("ID_Fileproperties");
    EXPECT_THAT(fixture.dialogs.texts(), ElementsAre("Error reading file properties"));
}

TEST_F(CommandsTest, TheViewButtonOpensTheArchiveInTheChosenFolder) {
    addProject("Sales");
    open();
    window.backupFolder.setText(dir / "out");
    window.viewArchiveButton.click();
    EXPECT_THAT(fixture.shell.requests, ElementsAre("open " + (dir / "out/Sales.zip")));
}

}  // namespace
