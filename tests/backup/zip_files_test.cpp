#include "backup/zip_files.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <fstream>

#include "platform/archive/archive_test_support.h"
#include "platform/archive/libzip_engine.h"
#include "platform/error.h"
#include "platform/registry/memory_registry.h"
#include "support/temp_dir.h"

namespace arkstash::backup {
namespace {

using archive::LibzipEngine;

class ZipFilesTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    os::PosixFileSystem fs;
    os::FixedClock clock{{2026, 12, 5, 7, 9, 56}};
    registry::MemoryRegistry reg;
    ui::ScriptedDialogs dialogs;
    ui::HeadlessEventLoop loop;
    LibzipEngine engine;
    form::Platform platform{fs, clock, reg, dialogs, loop, &engine};
    form::MainForm frm{platform};
    int checkDirCalls = 0;

    void SetUp() override {
        frm.routines.CheckDir = [this] { ++checkDirCalls; };
        frm.cmdAddDate.Visible = true;
        frm.cmbCompLevel.setText("Normal");
        std::filesystem::create_directories(dir / "backup");
        frm.txtBackupDir.setText(dir / "backup");
        frm.txtZipFile.setText("Sales.zip");
    }

    std::string file(const std::string& rel, const std::string& content = "x") {
        return dir.write("Sales/" + rel, content);
    }
    void row(const std::string& path, bool checked = true) {
        frm.ListView1.addItem(path, 1).checked = checked;
    }
    // A references row: name, version, file, as the references list shows them.
    void reference(const std::string& path, bool checked = true) {
        auto& item = frm.ListView2.addItem("Grid Control", 18);
        item.setCell(1, "1.0");
        item.setCell(2, path);
        item.checked = checked;
    }
    std::string archivePath() const { return dir / "backup/Sales.zip"; }
    std::vector<std::string> entryNames() {
        std::vector<std::string> names;
        for (const auto& e : test::readArchive(archivePath())) names.push_back(e.name);
        return names;
    }
    std::vector<std::string> prompts() const {
        std::vector<std::string> out;
        for (const auto& m : dialogs.messages) out.push_back(m.prompt);
        return out;
    }
    void expectWindowGivenBack() {
        for (int t = form::tabs::kFiles; t <= form::tabs::kMemo; ++t)
            EXPECT_TRUE(frm.SSActiveTabs1.tab(t).enabled) << "tab " << t;
        EXPECT_FALSE(frm.SSActiveTabs1.tab(form::tabs::kStatus).visible);
        EXPECT_EQ(frm.SSActiveTabs1.selectedIndex, form::tabs::kFiles);
        EXPECT_FALSE(BackupRunning(frm));
    }
};

TEST_F(ZipFilesTest, ASuccessfulRunWritesTheTickedFilesAndSaysSo) {
    row(file("Sales.vbp", "Type=Exe"));
    row(file("Forms/Main.frm", "VERSION 5.00"));
    ZipFiles(frm);
    EXPECT_EQ(entryNames(), (std::vector<std::string>{"Sales.vbp", "Forms/Main.frm"}));
    EXPECT_EQ(prompts(), std::vector<std::string>{"Project backup completed"});
    EXPECT_EQ(dialogs.messages[0].style, ui::vbOKOnly);
    EXPECT_EQ(dialogs.messages[0].title, "");
    EXPECT_EQ(frm.lblStatus.Caption(), "Backup completed");
    EXPECT_EQ(checkDirCalls, 1);
    EXPECT_FALSE(frm.cmdAddDate.Visible);
    expectWindowGivenBack();
}

TEST_F(ZipFilesTest, TheStatusTabIsShownAndTheOtherTabsLockedWhileTheEngineRuns) {
    row(file("Sales.vbp"));
    std::vector<std::string> seen;
    loop.onDoEvents = [&] {
        auto& tabs = frm.SSActiveTabs1;
        seen.push_back(std::to_string(tabs.selectedIndex) + (tabs.tab(1).enabled ? "e" : "d") +
                       (tabs.tab(4).enabled ? "e" : "d") + (tabs.tab(5).visible ? "v" : "h") +
                       (BackupRunning(frm) ? "r" : "i"));
    };
    ZipFiles(frm);
    ASSERT_FALSE(seen.empty());
    for (const auto& s : seen) EXPECT_EQ(s, "5ddvr");
    expectWindowGivenBack();
}

TEST_F(ZipFilesTest, AnEmptyBackupDirectoryStopsWithItsMessageAfterTheListIsFilled) {
    auto a = file("A.bas");
    row(a);
    frm.cmbCompLevel.setText("Maximum");
    frm.txtBackupDir.setText("");
    ZipFiles(frm);
    ASSERT_EQ(prompts(), std::vector<std::string>{"Select a backup directory"});
    EXPECT_EQ(dialogs.messages[0].style, ui::vbExclamation);
    // The list and the level were set before the check.
    EXPECT_EQ(engine.filesToProcess(), std::vector<std::string>{a});
    EXPECT_EQ(engine.CompressionLevel(), 9);
    EXPECT_FALSE(frm.cmdAddDate.Visible);
    EXPECT_EQ(engine.ZipFilename(), "");
    EXPECT_FALSE(BackupRunning(frm));
    EXPECT_EQ(frm.lblStatus.Caption(), "Collecting data...");
}

TEST_F(ZipFilesTest, AnEmptyArchiveNameStopsWithItsMessage) {
    row(file("A.bas"));
    frm.txtZipFile.setText("");
    ZipFiles(frm);
    ASSERT_EQ(prompts(), std::vector<std::string>{"Select a ZIPfile"});
    EXPECT_EQ(dialogs.messages[0].style, ui::vbExclamation);
    EXPECT_EQ(test::folderNames(dir / "backup"), std::vector<std::string>{});
}

TEST_F(ZipFilesTest, EachForbiddenCharacterStopsTheRunOnThePropertiesTab) {
    row(file("A.bas"));
    const std::string expected =
        std::string("Characters \\/:*?") + '"' + "<>| are not allowed in filename";
    for (char c : std::string("\\/:*?\"<>|")) {
        SCOPED_TRACE(std::string(1, c));
        dialogs.messages.clear();
        frm.SSActiveTabs1.select(form::tabs::kFiles);
        frm.txtZipFile.hasFocus = false;
        frm.txtZipFile.setText(std::string("Sa") + c + "les.zip");
        ZipFiles(frm);
        ASSERT_EQ(prompts(), std::vector<std::string>{expected});
        EXPECT_EQ(dialogs.messages[0].style, ui::vbOKOnly);
        EXPECT_EQ(frm.SSActiveTabs1.selectedIndex, form::tabs::kProperties);
        EXPECT_TRUE(frm.txtZipFile.hasFocus);
        EXPECT_EQ(engine.ZipFilename(), "");
    }
    EXPECT_EQ(test::folderNames(dir / "backup"), std::vector<std::string>{});
}

TEST_F(ZipFilesTest, AColonIsRefusedAndAFullStopAccepted) {
    row(file("A.bas"));
    frm.txtZipFile.setText("C:Sales.zip");
    ZipFiles(frm);
    EXPECT_EQ(frm.SSActiveTabs1.selectedIndex, form::tabs::kProperties);
    EXPECT_EQ(test::folderNames(dir / "backup"), std::vector<std::string>{});

    dialogs.messages.clear();
    frm.txtZipFile.setText("Sales.v2.zip");
    ZipFiles(frm);
    EXPECT_EQ(prompts(), std::vector<std::string>{"Project backup completed"});
    EXPECT_EQ(test::folderNames(dir / "backup"), std::vector<std::string>{"Sales.v2.zip"});
}

TEST_F(ZipFilesTest, TheArchivePathJoinsFolderAndNameWithOneBackslash) {
    row(file("A.bas"));
    frm.txtBackupDir.setText("D:\\Backup");
    frm.txtZipFile.setText("A.zip");
    ZipFiles(frm);
    EXPECT_EQ(engine.ZipFilename(), "D:\\Backup\\A.zip");
    frm.txtBackupDir.setText("D:\\");
    ZipFiles(frm);
    EXPECT_EQ(engine.ZipFilename(), "D:\\A.zip");
    // Such a folder does not exist here: each run ends with the engine's own error.
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_NE(dialogs.messages[0].prompt.find("could not be written"), std::string::npos);
    expectWindowGivenBack();

    // A folder that already ends with its separator gets no second one.
    frm.txtBackupDir.setText(dir / "backup/");
    ZipFiles(frm);
    EXPECT_EQ(engine.ZipFilename(), dir / "backup/A.zip");
}

TEST_F(ZipFilesTest, PasswordOnlyWhenTheOptionIsTickedAndThePasswordNotEmpty) {
    if (!LibzipEngine::aesSupported()) GTEST_SKIP() << "libzip without AES";
    row(file("A.bas", "secret code"));

    frm.chkPassword.setValue(1);
    frm.txtPassword.setText("");
    ZipFiles(frm);
    EXPECT_FALSE(engine.hasEncryptionPassword());
    EXPECT_EQ(test::readArchive(archivePath())[0].encryption, ZIP_EM_NONE);

    frm.txtPassword.setText("Tr0ub4dor");
    dialogs.nextAnswers = {ui::vbYes};
    ZipFiles(frm);
    auto entries = test::readArchive(archivePath(), "Tr0ub4dor");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].encryption, ZIP_EM_AES_256);
    EXPECT_EQ(entries[0].data, "secret code");

    // The next run with the option off writes an open archive, though the text is still there.
    frm.chkPassword.setValue(0);
    dialogs.nextAnswers = {ui::vbYes};
    ZipFiles(frm);
    EXPECT_FALSE(engine.hasEncryptionPassword());
    EXPECT_EQ(test::readArchive(archivePath())[0].encryption, ZIP_EM_NONE);
}

TEST_F(ZipFilesTest, AnsweringNoKeepsTheOldArchiveAndTheWindow) {
    row(file("A.bas"));
    dir.write("backup/Sales.zip", "previous");
    ZipFiles(frm);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].prompt, "Backup file exists, overwrite?");
    EXPECT_EQ(dialogs.messages[0].title, "Project file");
    EXPECT_EQ(dialogs.messages[0].style, ui::vbYesNo | ui::vbQuestion | ui::vbDefaultButton2);
    EXPECT_EQ(dir.read("backup/Sales.zip"), "previous");
    EXPECT_EQ(frm.lblStatus.Caption(), "Collecting data...");
    expectWindowGivenBack();
}

TEST_F(ZipFilesTest, AnsweringYesReplacesTheArchiveOnlyAfterItsCheck) {
    row(file("A.bas"));
    dir.write("backup/Sales.zip", "previous");
    dialogs.nextAnswers = {ui::vbYes};
    bool oldArchiveThereDuringRun = false;
    engine.afterWrite = [&](const std::string&) {
        oldArchiveThereDuringRun = dir.read("backup/Sales.zip") == "previous";
    };
    ZipFiles(frm);
    EXPECT_TRUE(oldArchiveThereDuringRun);
    EXPECT_EQ(entryNames(), std::vector<std::string>{"A.bas"});
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Backup file exists, overwrite?",
                                                   "Project backup completed"}));
}

TEST_F(ZipFilesTest, AFailedRunAfterYesKeepsTheOldArchiveAndLeavesNoTemporaryFile) {
    auto a = file("A.frx", test::randomBytes(50000, 4));
    row(a);
    dir.write("backup/Sales.zip", "previous");
    dialogs.nextAnswers = {ui::vbYes};
    // The written archive is damaged before its check, as a failing disk would do.
    engine.afterWrite = [](const std::string& tmp) {
        std::fstream f(tmp, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(20000);
        f.put('\x5A');
        f.put('\xA5');
    };
    ZipFiles(frm);
    EXPECT_EQ(dir.read("backup/Sales.zip"), "previous");
    EXPECT_EQ(test::folderNames(dir / "backup"), std::vector<std::string>{"Sales.zip"});
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].prompt,
              engine.GetErrorDescription(archive::kResultCode, archive::xerVerifyFailed));
    EXPECT_EQ(dialogs.messages[1].style, ui::vbOKOnly);
    // The status line stays at the last file reported, and the View button is not refreshed.
    EXPECT_EQ(frm.lblStatus.Caption(), "Adding: " + a);
    EXPECT_EQ(checkDirCalls, 0);
    expectWindowGivenBack();
}

TEST_F(ZipFilesTest, UntickedRowsStayOut) {
    row(file("A.bas"));
    row(file("B.bas"), false);
    row(file("C.bas"));
    ZipFiles(frm);
    EXPECT_EQ(entryNames(), (std::vector<std::string>{"A.bas", "C.bas"}));
}

TEST_F(ZipFilesTest, ReferencesGoInOnlyWithTheOption) {
    auto a = file("A.bas");
    auto grid = dir.write("System/Grid.ocx", "MZ");
    auto other = dir.write("System/Other.dll", "MZ");
    row(a);
    reference(grid);
    reference(other, false);

    ZipFiles(frm);
    EXPECT_EQ(engine.filesToProcess(), std::vector<std::string>{a});

    frm.chkAddComponents.setValue(1);
    dialogs.nextAnswers = {ui::vbYes};
    ZipFiles(frm);
    EXPECT_EQ(engine.filesToProcess(), (std::vector<std::string>{a, grid}));
    EXPECT_EQ(entryNames(), (std::vector<std::string>{"Sales/A.bas", "System/Grid.ocx"}));

    // Ticked but the list is empty: only the files.
    frm.ListView2.clearItems();
    dialogs.nextAnswers = {ui::vbYes};
    ZipFiles(frm);
    EXPECT_EQ(engine.filesToProcess(), std::vector<std::string>{a});
}

TEST_F(ZipFilesTest, AnUnknownReferenceFileIsWarnedAndSkipped) {
    row(file("A.bas"));
    reference("Unknown");
    frm.chkAddComponents.setValue(1);
    ZipFiles(frm);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].prompt, "Warning: File not found: Unknown");
    EXPECT_EQ(dialogs.messages[0].style, ui::vbOKOnly);
    EXPECT_EQ(dialogs.messages[1].prompt,
              engine.GetErrorDescription(archive::kResultCode, archive::xerFilesSkipped));
    EXPECT_EQ(entryNames(), std::vector<std::string>{"A.bas"});
    // Files were left out: not a completed backup.
    EXPECT_EQ(checkDirCalls, 0);
    EXPECT_NE(frm.lblStatus.Caption(), "Backup completed");
    expectWindowGivenBack();
}

TEST_F(ZipFilesTest, CompressionTextsMapToLevelsAndAnythingElseLeavesTheLevel) {
    frm.txtBackupDir.setText("");  // stop after the level is set
    const std::pair<const char*, int> table[] = {
        {"No Compression", 0}, {"Low", 1}, {"Normal", 6}, {"Maximum", 9}};
    for (auto [text, level] : table) {
        frm.cmbCompLevel.setText(text);
        ZipFiles(frm);
        EXPECT_EQ(engine.CompressionLevel(), level) << text;
    }
    for (const char* other : {"maximum", "Ultra", ""}) {
        frm.cmbCompLevel.setText(other);
        ZipFiles(frm);
        EXPECT_EQ(engine.CompressionLevel(), 9) << other;
    }

    // The level reaches the archive.
    frm.txtBackupDir.setText(dir / "backup");
    frm.cmbCompLevel.setText("No Compression");
    row(file("A.bas", test::sourceText(100)));
    ZipFiles(frm);
    EXPECT_EQ(test::readArchive(archivePath())[0].method, ZIP_CM_STORE);
}

TEST_F(ZipFilesTest, StatusTextsAndProgressValuesFollowTheEngineInOrder) {
    auto a = file("A.bas", "tiny");
    auto b = file("B.frx", test::randomBytes(2 * 1024 * 1024, 8));
    row(a);
    row(b);
    std::vector<std::string> captions;
    frm.lblStatus.Change = [&] { captions.push_back(frm.lblStatus.Caption()); };
    std::vector<std::pair<float, float>> bars;
    loop.onDoEvents = [&] {
        bars.emplace_back(frm.vbwProgressBar1.Value(), frm.vbwProgressBar2.Value());
    };
    ZipFiles(frm);
    EXPECT_EQ(captions,
              (std::vector<std::string>{"Pre-processing: " + a, "Pre-processing: " + b,
                                        "Adding: " + a, "Adding: " + b, "Backup completed"}));
    ASSERT_GT(bars.size(), 100u);
    // The overall bar never goes back and ends full; the file bar ends full.
    for (std::size_t i = 1; i < bars.size(); ++i) EXPECT_GE(bars[i].second, bars[i - 1].second);
    EXPECT_EQ(bars.back().first, 100);
    EXPECT_EQ(bars.back().second, 100);
    EXPECT_EQ(frm.vbwProgressBar1.Value(), 100);
    EXPECT_EQ(frm.vbwProgressBar2.Value(), 100);
}

TEST_F(ZipFilesTest, ABarWithTheWindowsLoopRunsItOncePerRedrawAndTheRunAddsNone) {
    row(file("A.bas", test::sourceText(500)));
    ui::HeadlessEventLoop barLoop;
    frm.vbwProgressBar1.setEventLoop(&barLoop);
    frm.vbwProgressBar2.setEventLoop(&barLoop);
    ZipFiles(frm);
    EXPECT_GT(barLoop.runs, 2);
    EXPECT_EQ(loop.runs, 0);
}

TEST_F(ZipFilesTest, ABackupCommandDuringARunIsIgnored) {
    auto a = file("A.bas", test::sourceText(2000));
    row(a);
    int nested = 0;
    loop.onDoEvents = [&] {
        ++nested;
        frm.ListView1.items[0].checked = false;  // would change the list if it ran again
        ZipFiles(frm);
        form::MainForm::run(frm.routines.ZipFiles);
    };
    frm.routines.ZipFiles = [this] { ZipFiles(frm); };
    ZipFiles(frm);
    EXPECT_GT(nested, 0);
    EXPECT_EQ(prompts(), std::vector<std::string>{"Project backup completed"});
    EXPECT_EQ(engine.filesToProcess(), std::vector<std::string>{a});
    EXPECT_EQ(entryNames(), std::vector<std::string>{"A.bas"});
    expectWindowGivenBack();

    // Once the run is over a command works again.
    loop.onDoEvents = nullptr;
    frm.ListView1.items[0].checked = true;
    row(file("B.bas"));
    dialogs.nextAnswers = {ui::vbYes};
    ZipFiles(frm);
    EXPECT_EQ(entryNames(), (std::vector<std::string>{"A.bas", "B.bas"}));
}

TEST_F(ZipFilesTest, ACommandArrivingThroughAWarningIsIgnoredToo) {
    row(file("A.bas"));
    row(dir / "Sales/Missing.frm");
    int nestedCalls = 0;
    // The warning's message box is where the nested command arrives.
    struct NestingDialogs : ui::ScriptedDialogs {
        std::function<void()> during;
        int MsgBox(const ui::MessageBoxRequest& r) override {
            if (during && r.prompt.rfind("Warning: ", 0) == 0) during();
            return ScriptedDialogs::MsgBox(r);
        }
        using ScriptedDialogs::MsgBox;
    } nesting;
    form::Platform p{fs, clock, reg, nesting, loop, &engine};
    form::MainForm other{p};
    other.txtBackupDir.setText(dir / "backup");
    other.txtZipFile.setText("Sales.zip");
    other.ListView1.items = frm.ListView1.items;
    nesting.during = [&] {
        ++nestedCalls;
        ZipFiles(other);
    };
    ZipFiles(other);
    EXPECT_EQ(nestedCalls, 1);
    ASSERT_EQ(nesting.messages.size(), 2u);
    EXPECT_EQ(nesting.messages[0].prompt.rfind("Warning: File not found: ", 0), 0u);
    EXPECT_FALSE(BackupRunning(other));
}

TEST_F(ZipFilesTest, AnEngineThatThrowsStillGivesTheWindowBack) {
    struct ThrowingEngine : LibzipEngine {
        void Zip() override { throw PlatformError("engine crashed"); }
    } thrower;
    platform.engine = &thrower;
    row(file("A.bas"));
    ZipFiles(frm);
    EXPECT_EQ(prompts(), std::vector<std::string>{"engine crashed"});
    expectWindowGivenBack();

    struct SilentEngine : LibzipEngine {
        void Zip() override {}  // never raises its completion
    } silent;
    platform.engine = &silent;
    dialogs.messages.clear();
    ZipFiles(frm);
    EXPECT_TRUE(dialogs.messages.empty());
    expectWindowGivenBack();
}

TEST_F(ZipFilesTest, WithoutAnEngineNothingHappens) {
    platform.engine = nullptr;
    row(file("A.bas"));
    frm.txtBackupDir.setText("");
    ZipFiles(frm);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(frm.cmdAddDate.Visible);
    EXPECT_FALSE(BackupRunning(frm));
}

TEST_F(ZipFilesTest, EveryRunStartsFromAnEmptyList) {
    auto a = file("A.bas");
    auto b = file("B.bas");
    row(a);
    row(b);
    frm.txtZipFile.setText("");
    ZipFiles(frm);
    EXPECT_EQ(engine.filesToProcess().size(), 2u);
    frm.ListView1.items[1].checked = false;
    ZipFiles(frm);
    EXPECT_EQ(engine.filesToProcess(), std::vector<std::string>{a});
}

}  // namespace
}  // namespace arkstash::backup
