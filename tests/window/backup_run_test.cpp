#include <gmock/gmock.h>

#include <filesystem>

#include "platform/archive/archive_test_support.h"
#include "window_test_support.h"

using namespace arkstash;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using window::Tab;

namespace {

class BackupRunTest : public test::WindowTest {
  protected:
    std::string archive;
    void SetUp() override {
        addProject("Sales");
        open();
        archive = dir / "Sales/Sales.zip";
    }
    std::vector<std::string> entryNames() {
        std::vector<std::string> names;
        for (const auto& entry : test::readArchive(archive)) names.push_back(entry.name);
        return names;
    }
};

TEST_F(BackupRunTest, TheTickedRowsGoIntoAVerifiedArchiveAndTheWindowComesBack) {
    window.fileList.checkChanged(1, false);  // the form's binary
    bool statusShownDuringRun = false;
    fixture.events.hook = [&] {
        statusShownDuringRun = window.tabs.current() == Tab::Status &&
                               window.tabs.page(Tab::Status).visible &&
                               !window.tabs.page(Tab::Files).enabled;
    };
    window.runCommand("ID_Backup");
    EXPECT_TRUE(statusShownDuringRun);
    EXPECT_THAT(entryNames(), ElementsAre("Sales.vbp", "frmMain.frm", "modMain.bas"));
    EXPECT_THAT(fixture.dialogs.texts(), ElementsAre("Project backup completed"));
    EXPECT_EQ(window.statusLine.caption(), "Backup completed");
    EXPECT_TRUE(window.viewArchiveButton.visible);
    EXPECT_EQ(window.tabs.current(), Tab::Files);
    EXPECT_FALSE(window.tabs.page(Tab::Status).visible);
    EXPECT_TRUE(window.tabs.page(Tab::Memo).enabled);
    EXPECT_EQ(window.fileProgress.Value(), 100);
    EXPECT_EQ(window.overallProgress.Value(), 100);
}

TEST_F(BackupRunTest, TheTargetIsCheckedBeforeAnythingIsWritten) {
    struct Case {
        std::string folder, name;
        const char* message;
    } cases[] = {
        {"", "Sales.zip", "Select a backup directory"},
        {dir / "Sales", "", "Select a ZIPfile"},
        {dir / "Sales", "a:b.zip", "Characters \\/:*?\"<>| are not allowed in filename"},
    };
    for (const auto& c : cases) {
        fixture.dialogs.shown.clear();
        window.backupFolder.setText(c.folder);
        window.archiveName.setText(c.name);
        window.ZipFiles();
        EXPECT_THAT(fixture.dialogs.texts(), ElementsAre(c.message));
    }
    EXPECT_EQ(window.tabs.current(), Tab::Properties);  // where the name can be mended
    EXPECT_TRUE(window.archiveName.hasFocus);
    EXPECT_FALSE(std::filesystem::exists(archive));
}

TEST_F(BackupRunTest, AnExistingArchiveIsOnlyReplacedAfterYes) {
    dir.write("Sales/Sales.zip", "previous");
    window.runCommand("ID_Backup");  // the scripted answer is No
    EXPECT_EQ(fixture.dialogs.shown.at(0).text, "Backup file exists, overwrite?");
    EXPECT_TRUE(fixture.dialogs.shown.at(0).noIsDefault);
    EXPECT_EQ(dir.read("Sales/Sales.zip"), "previous");
    EXPECT_TRUE(window.tabs.page(Tab::Files).enabled);

    fixture.dialogs.answers = {ui::Answer::Yes};
    window.runCommand("ID_Backup");
    EXPECT_EQ(entryNames().size(), 4u);
}

TEST_F(BackupRunTest, APasswordOptionWithoutAPasswordWritesAPlainArchive) {
    window.usePassword.click();
    EXPECT_TRUE(window.passwordBox.enabled);
    window.runCommand("ID_Backup");
    for (const auto& entry : test::readArchive(archive))
        EXPECT_EQ(entry.encryption, 0) << entry.name;
    // The password is never stored, whatever is saved on the way out.
    window.passwordBox.setText("s3cret");
    window.runCommand("ID_Backup");
    window.close();
    std::size_t values = 0;
    for (const auto& [path, key] : fixture.registry.keys(registry::Root::CurrentUser))
        for (const auto& [folded, value] : key.values) {
            ++values;
            EXPECT_THAT(value.second.data, ::testing::Not(HasSubstr("s3cret"))) << value.first;
        }
    EXPECT_GT(values, 0u);
}

TEST_F(BackupRunTest, ABackupAskedForDuringARunIsIgnoredAndClosingCancelsIt) {
    // The window closes while it turns to the Status tab (a view repaints then), or while the
    // engine writes (the bars let events in).
    for (bool whileWriting : {false, true}) {
        dir.write("Sales/Sales.zip", "previous");
        fixture.dialogs.shown.clear();
        fixture.dialogs.answers = {ui::Answer::Yes};
        bool closed = false;
        auto closeOnce = [&] {
            if (!window.backupRunning() || closed) return;
            closed = true;
            window.runCommand("ID_Backup");  // a second click while the run goes on
            window.close();
        };
        window.viewChanged = whileWriting ? std::function<void()>() : closeOnce;
        fixture.events.hook = whileWriting ? std::function<void()>(closeOnce) : nullptr;
        window.runCommand("ID_Backup");
        EXPECT_TRUE(closed);
        // A second run would have asked about the existing archive again; the closed window
        // tells nothing of the cancelled run.
        EXPECT_THAT(fixture.dialogs.texts(), ElementsAre("Backup file exists, overwrite?"));
        EXPECT_EQ(dir.read("Sales/Sales.zip"), "previous") << whileWriting;
        // Nothing of the cancelled run stays behind.
        EXPECT_THAT(test::folderNames(dir / "Sales"),
                    ::testing::Not(Contains(::testing::EndsWith(".tmp"))));
        EXPECT_FALSE(window.backupRunning());
        open();  // the add-in opens the window again
    }
}

}  // namespace
