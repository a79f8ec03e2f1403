#include <gmock/gmock.h>

#include <filesystem>

#include "platform/archive/archive_reader.h"
#include "window_test_support.h"

using namespace arkstash;
using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using window::MainWindow;
using window::Tab;
using Outcome = MainWindow::AutomaticOutcome;
using Trigger = MainWindow::AutomaticTrigger;

namespace {

class AutomaticBackupTest : public test::WindowTest {
  protected:
    void SetUp() override {
        addProject("Sales");
        open();
    }
    // The archives in the project's folder, by name.
    std::vector<std::string> archives() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir / "Sales"))
            if (entry.path().extension() == ".zip") names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    void secondsLater(int seconds) {
        os::DateTime& t = fixture.clock.time;
        t.second += seconds;
        t.minute += t.second / 60;
        t.second %= 60;
    }
    std::vector<std::string> notifications() {
        std::vector<std::string> out;
        for (const auto& request : fixture.shell.requests)
            if (request.rfind("notify ", 0) == 0) out.push_back(request);
        return out;
    }
};

TEST_F(AutomaticBackupTest, ABurstOfSavesMakesOneDatedArchiveWithoutAQuestionOrATabChange) {
    window.backUpAfterSaving.click();
    window.tabs.select(Tab::Memo);
    for (int i = 0; i < 3; ++i) window.fileWritten(dir / "Sales/modMain.bas");
    // Each write starts the quiet time again: one timer is left waiting.
    EXPECT_THAT(fixture.events.liveDelays(), ElementsAre(MainWindow::kSaveQuietTime));
    EXPECT_EQ(fixture.events.elapse(MainWindow::kSaveQuietTime), 1);
    EXPECT_THAT(archives(), ElementsAre("Sales_12-05-2026_070956.zip"));
    EXPECT_THAT(fixture.dialogs.shown, IsEmpty());
    EXPECT_EQ(window.tabs.current(), Tab::Memo);
    EXPECT_FALSE(window.tabs.page(Tab::Status).visible);
    EXPECT_THAT(notifications(), IsEmpty());
    EXPECT_EQ(window.statusBarText, "");
    EXPECT_FALSE(window.backupRunning());
}

TEST_F(AutomaticBackupTest, ARunWritesOnlyWhenTheFilesChangedSinceTheNewestArchive) {
    EXPECT_EQ(window.AutomaticBackup(Trigger::Interval), Outcome::Written);
    secondsLater(60);
    EXPECT_EQ(window.AutomaticBackup(Trigger::Interval), Outcome::Unchanged);
    dir.write("Sales/modMain.bas", "module, edited");
    EXPECT_EQ(window.AutomaticBackup(Trigger::Interval), Outcome::Written);
    EXPECT_THAT(archives(),
                ElementsAre("Sales_12-05-2026_070956.zip", "Sales_12-05-2026_071056.zip"));
}

TEST_F(AutomaticBackupTest, WithoutTheOptionASaveStartsNothing) {
    window.fileWritten(dir / "Sales/modMain.bas");
    EXPECT_THAT(fixture.events.liveDelays(), IsEmpty());
}

TEST_F(AutomaticBackupTest, KeepTheLastRemovesOnlyOlderDatedArchivesOfThisProject) {
    dir.write("Sales/Sales.zip", "undated");
    dir.write("Sales/Sales2_12-01-2026_080000.zip", "another project's");
    window.keepDated.click();
    window.keepCount.setText("2");
    window.keepCount.picked();
    for (int run = 0; run < 3; ++run) {
        dir.write("Sales/modMain.bas", "module " + std::to_string(run));
        secondsLater(1);
        ASSERT_EQ(window.AutomaticBackup(Trigger::Interval), Outcome::Written);
    }
    EXPECT_THAT(archives(),
                ElementsAre("Sales.zip", "Sales2_12-01-2026_080000.zip",
                            "Sales_12-05-2026_070958.zip", "Sales_12-05-2026_070959.zip"));
    // An incomplete run removes nothing.
    std::filesystem::remove(dir / "Sales/modMain.bas");
    secondsLater(1);
    EXPECT_EQ(window.AutomaticBackup(Trigger::Interval), Outcome::Incomplete);
    EXPECT_EQ(archives().size(), 5u);
}

TEST_F(AutomaticBackupTest, OnlyAFailureOrAnIncompleteRunIsReported) {
    std::filesystem::remove(dir / "Sales/modMain.bas");
    EXPECT_EQ(window.AutomaticBackup(Trigger::AfterSaving), Outcome::Incomplete);
    EXPECT_THAT(window.statusBarText, HasSubstr("Automatic backup: "));
    EXPECT_THAT(window.statusBarText, HasSubstr("modMain.bas"));
    ASSERT_EQ(notifications().size(), 1u);

    window.backupFolder.setText(dir / "missing/folder");
    EXPECT_EQ(window.AutomaticBackup(Trigger::AfterSaving), Outcome::Failed);
    EXPECT_EQ(notifications().size(), 2u);
    EXPECT_THAT(fixture.dialogs.shown, IsEmpty());

    // The next complete run clears the report.
    dir.write("Sales/modMain.bas", "module");
    window.backupFolder.setText(dir / "Sales");
    EXPECT_EQ(window.AutomaticBackup(Trigger::AfterSaving), Outcome::Written);
    EXPECT_EQ(window.statusBarText, "");
}

TEST_F(AutomaticBackupTest, ThePasswordTypedForTheSessionApplies) {
    window.usePassword.click();
    window.passwordBox.setText("s3cret");
    ASSERT_EQ(window.AutomaticBackup(Trigger::Interval), Outcome::Written);
    archive::ArchiveReader reader(dir / ("Sales/" + archives().at(0)), "s3cret");
    EXPECT_TRUE(reader.anyEncrypted());
    EXPECT_EQ(stored("txtPassword"), "(none)");
}

TEST_F(AutomaticBackupTest, ClosingBacksUpWhenAskedOrWhenASaveIsStillWaiting) {
    struct Case {
        bool onClosing, afterSaving, saved;
        std::size_t archives;
    } cases[] = {
        {false, false, false, 0},
        {true, false, false, 1},
        {false, true, true, 1},  // the save's backup was still waiting for the quiet time
        {false, true, false, 0},
    };
    for (const Case& c : cases) {
        for (const auto& name : archives()) std::filesystem::remove(dir / ("Sales/" + name));
        open();
        if (window.backUpOnClosing.isChecked() != c.onClosing) window.backUpOnClosing.click();
        if (window.backUpAfterSaving.isChecked() != c.afterSaving) window.backUpAfterSaving.click();
        if (c.saved) window.fileWritten(dir / "Sales/modMain.bas");
        window.close();
        EXPECT_EQ(archives().size(), c.archives) << c.onClosing << c.afterSaving << c.saved;
        EXPECT_THAT(fixture.events.liveDelays(), IsEmpty());
    }
}

TEST_F(AutomaticBackupTest, TheOptionsAreStoredAndTheClockFollowsThem) {
    window.backUpEvery.click();
    EXPECT_THAT(fixture.events.liveDelays(), ElementsAre(10min));
    window.backUpMinutes.pick(3);  // 30
    EXPECT_THAT(fixture.events.liveDelays(), ElementsAre(30min));
    EXPECT_EQ(std::stoi(stored("AutoBackupEvery")), 1);
    EXPECT_EQ(std::stoi(stored("AutoBackupMinutes")), 30);
    // A stored count nobody offers still counts; one that is no count falls back.
    registry::RegWrite(fixture.registry, registry::Root::CurrentUser, registry::kSettingsKey,
                       "KeepCount", registry::REG_SZ, std::string("7"));
    registry::RegWrite(fixture.registry, registry::Root::CurrentUser, registry::kSettingsKey,
                       "AutoBackupMinutes", registry::REG_SZ, std::string("-4"));
    window.ReadSettings();
    EXPECT_EQ(window.keepCount.text(), "7");
    EXPECT_EQ(window.backUpMinutes.text(), "10");
    EXPECT_THAT(fixture.events.liveDelays(), ElementsAre(10min));
    EXPECT_EQ(fixture.events.elapse(10min), 1);
    EXPECT_THAT(archives(), ElementsAre("Sales_12-05-2026_070956.zip"));
    window.backUpEvery.click();
    EXPECT_THAT(fixture.events.liveDelays(), IsEmpty());
}

}  // namespace
