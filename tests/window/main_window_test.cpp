#include <gmock/gmock.h>

#include "window_test_support.h"

using namespace arkstash;
using ::testing::ElementsAre;
using window::Tab;

namespace {

class MainWindowTest : public test::WindowTest {};

TEST_F(MainWindowTest, AnEmptyStoreGivesTheDefaultsAndTheProjectsOwnFolder) {
    addProject("Sales");
    open();
    EXPECT_TRUE(window.autoRefreshOption.isChecked());
    EXPECT_FALSE(window.addDateOption.isChecked());
    EXPECT_EQ(window.compressionList.text(), "Normal");
    EXPECT_TRUE(window.includeReferences.isChecked());
    EXPECT_EQ(window.backupFolder.text(), dir / "Sales/");
    EXPECT_EQ(window.archiveName.text(), "Sales.zip");
    // The scan that found files stored them, the folder under the project's path.
    EXPECT_EQ(stored("CompFactor"), "Normal");
    EXPECT_EQ(stored(dir / "Sales/Sales.vbp"), dir / "Sales/");
}

TEST_F(MainWindowTest, AScanThatFindsFilesEnablesTheTabsAndShowsTheProject) {
    addProject("Sales");
    open();
    EXPECT_THAT(rowPaths(), ElementsAre("Sales/Sales.vbp", "Sales/frmMain.frx",
                                        "Sales/frmMain.frm", "Sales/modMain.bas"));
    EXPECT_EQ(window.fileList.columns.size(), 6u);
    EXPECT_TRUE(window.tabs.page(Tab::Properties).enabled);
    EXPECT_TRUE(window.tools.isEnabled("ID_Backup"));
    EXPECT_EQ(window.projectLabel.caption(), "Sales");
    EXPECT_EQ(window.projectNameLabel.caption(), "Sales");
    EXPECT_EQ(window.descriptionLabel.caption(), "---");
    EXPECT_EQ(window.buildNameLabel.caption(), "---");
    EXPECT_EQ(window.projectPicture.image, 12);
    EXPECT_EQ(window.ScannedProjectName, "Sales");
    EXPECT_FALSE(window.busy);
}

TEST_F(MainWindowTest, NothingSavedShowsTheMessageRowUntilAProjectWithFilesComes) {
    vbe.addProject({"Project1", "", "", "", 0, true});
    open();
    EXPECT_EQ(window.fileList.message, "No saved files found in project");
    ASSERT_EQ(window.fileList.columns.size(), 1u);
    EXPECT_EQ(window.archiveName.text(), "");
    EXPECT_FALSE(window.tabs.page(Tab::Info).enabled);
    EXPECT_EQ(window.tabs.current(), Tab::Files);
    EXPECT_FALSE(window.tools.isEnabled("ID_Backup"));
    // A right-click on the message row still opens the pop-up menu.
    std::vector<std::string> popUps;
    window.tools.popUpRequested = [&](const std::string& id) { popUps.push_back(id); };
    window.fileList.mouseReleased(window::MouseButton::Right);
    EXPECT_THAT(popUps, ElementsAre("ID_ListView1"));

    vbe.setActive(&addProject("Sales"));
    window.FillTree();
    EXPECT_FALSE(window.fileList.message);
    EXPECT_EQ(window.fileList.columns.size(), 6u);
    EXPECT_TRUE(window.tabs.page(Tab::Info).enabled);
}

TEST_F(MainWindowTest, ARowClickSetsTheFileToolsByExtensionAndColour) {
    auto& sales = addProject("Sales");
    sales.addComponent({"frmUpper", ide::vbext_ct_VBForm, dir.write("Sales/UPPER.FRM", "x")});
    dir.write("Sales/Sales.aks", "[File]" + dir.write("notes.txt", "n") + "\r\n");
    open();
    struct Case {
        const char* ending;
        bool viewCode, viewObject, remove;
    } cases[] = {
        {"frmMain.frm", true, true, false},    {"modMain.bas", true, false, false},
        {"frmMain.frx", false, false, false},  {"Sales.vbp", false, false, false},
        {"notes.txt", false, false, true},     // a user-added row, whatever its extension
    };
    for (const auto& c : cases) {
        for (std::size_t i = 0; i < window.fileList.size(); ++i)
            if (window.fileList.row(i).path.ends_with(c.ending)) window.fileList.rowClicked(i);
        EXPECT_EQ(window.tools.isEnabled("ID_ViewCode"), c.viewCode) << c.ending;
        EXPECT_EQ(window.tools.isEnabled("ID_ViewObject"), c.viewObject) << c.ending;
        EXPECT_EQ(window.tools.isEnabled("ID_Remove"), c.remove) << c.ending;
        EXPECT_TRUE(window.tools.isEnabled("ID_Fileproperties"));
    }
    // An upper-case extension matches nothing and leaves the view tools as they were.
    for (std::size_t i = 0; i < window.fileList.size(); ++i)
        if (window.fileList.row(i).path.ends_with("UPPER.FRM")) window.fileList.rowClicked(i);
    EXPECT_FALSE(window.tools.isEnabled("ID_ViewCode"));
}

TEST_F(MainWindowTest, EachProjectKeepsItsOwnMemoAndBackupFolder) {
    auto& a = addProject("A");
    auto& b = addProject("B");
    dir.write("B/B.aks", "[Memo]\r\nmemo of B\r\n[End Memo]\r\n");
    open();
    window.memoBox.setText("memo of A");
    window.memoBox.type(' ');  // each keystroke saves the memo
    window.backupFolder.setText(dir / "backups-of-A");
    window.WriteSettings();

    vbe.setActive(&b);
    window.FillTree();
    EXPECT_EQ(dir.read("A/A.aks"), "[Memo]\r\nmemo of A \r\n[End Memo]\r\n");
    EXPECT_EQ(dir.read("B/B.aks"), "[Memo]\r\nmemo of B\r\n[End Memo]\r\n");
    EXPECT_EQ(window.memoBox.text(), "memo of B");
    EXPECT_EQ(window.backupFolder.text(), dir / "B/");
    EXPECT_EQ(stored(dir / "A/A.vbp"), dir / "backups-of-A");

    vbe.setActive(&a);
    window.ReadSettings();
    EXPECT_EQ(window.backupFolder.text(), dir / "backups-of-A");
}

TEST_F(MainWindowTest, ARescanAskedForDuringAScanRunsOnceAfterIt) {
    addProject("Sales");
    open();
    int scansStarted = 0, nested = 0;
    bool inside = false;
    fixture.events.hook = [&] {
        ++scansStarted;
        if (inside) ++nested;
        if (scansStarted == 1) {
            inside = true;
            window.FillTree();  // an environment event arriving while the scan lets events run
            window.FillTree();
            inside = false;
        }
    };
    window.FillTree();
    EXPECT_EQ(scansStarted, 2);
    EXPECT_EQ(nested, 0);
}

TEST_F(MainWindowTest, TabsSetTheHeaderAndPropertiesReadsTheStoreAgain) {
    addProject("Sales");
    open();
    struct Case {
        Tab tab;
        const char* header;
        bool addDate;
    } cases[] = {{Tab::Memo, "Arkstash: Project memo", true},
                 {Tab::Info, "Arkstash: Project info", false},
                 {Tab::Properties, "Arkstash: Project properties", false},
                 {Tab::Files, "Arkstash: Files to add", false}};
    for (const auto& c : cases) {
        window.tabs.select(c.tab);
        EXPECT_EQ(window.headerText.caption(), c.header);
        EXPECT_EQ(window.addDateButton.visible, c.addDate);
    }
    window.autoRefreshOption.click();
    window.tabs.select(Tab::Properties);
    EXPECT_TRUE(window.autoRefreshOption.isChecked());
}

TEST_F(MainWindowTest, ShrinkingKeepsTheLastValidWidths) {
    window.tabPanel.width = 5000;
    window.ResizeIt();
    EXPECT_EQ(window.backupFolder.width, 3000);
    window.tabPanel.width = 1500;
    window.ResizeIt();
    EXPECT_EQ(window.backupFolder.width, 3000);  // 1500 - 2000 is no width
    EXPECT_EQ(window.fileList.width, 1260);
}

TEST_F(MainWindowTest, ClosingSavesSideFileAndSettingsOnlyWithAProjectShown) {
    window.Load();
    window.close();
    EXPECT_EQ(stored("CompFactor"), "(none)");

    addProject("Sales");
    open();
    window.memoBox.setText("note");
    window.close();
    EXPECT_EQ(dir.read("Sales/Sales.aks"), "[Memo]\r\nnote\r\n[End Memo]\r\n");
    EXPECT_EQ(window.projectNameLabel.caption(), "");
    EXPECT_EQ(window.memoBox.text(), "");
}

TEST_F(MainWindowTest, FilesAddedByHandAreKeptInTheSideFile) {
    addProject("Sales");
    open();
    std::string a = dir.write("a.txt", "a"), b = dir.write("b.txt", "b");
    fixture.dialogs.files.push_back({a, b, dir / "missing.txt"});
    window.runCommand("ID_Addfiles");
    EXPECT_EQ(dir.read("Sales/Sales.aks"), "[File]" + a + "\r\n[File]" + b + "\r\n");
    EXPECT_EQ(window.fileList.size(), 6u);

    fixture.dialogs.files.push_back({});  // cancelled
    window.runCommand("ID_Addfiles");
    EXPECT_EQ(window.fileList.size(), 6u);

    window.memoBox.setText("memo");
    for (int left = 2; left > 0; --left) {
        window.fileList.rowClicked(window.fileList.size() - 1);
        window.runCommand("ID_Remove");
    }
    EXPECT_EQ(dir.read("Sales/Sales.aks"), "[Memo]\r\nmemo\r\n[End Memo]\r\n");
    // Remove takes only user-added rows, whatever the tool's state says.
    window.fileList.rowClicked(0);
    window.runCommand("ID_Remove");
    EXPECT_EQ(window.fileList.size(), 4u);
}

}  // namespace
