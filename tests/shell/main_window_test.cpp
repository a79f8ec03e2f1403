#include "shell/main_window.h"

#include <gtest/gtest.h>

#include "platform/ide/memory_ide.h"
#include "platform/registry/memory_registry.h"
#include "platform/registry/reg_helpers.h"

using namespace arkstash;

namespace {
struct Fixture {
    os::PosixFileSystem fs;
    os::FixedClock clock{os::DateTime{2026, 12, 5, 7, 9, 56, 6}};
    registry::MemoryRegistry reg;
    ui::ScriptedDialogs dialogs;
    ui::HeadlessEventLoop loop;
    form::Platform platform{fs, clock, reg, dialogs, loop};
    shell::MainWindow window{platform};
};
}  // namespace

TEST(MainWindowControls, ProgressBarsLetTheMessageLoopRunAfterEachRedraw) {
    Fixture f;
    int before = f.loop.runs;
    f.window.frm.vbwProgressBar1.setValue(40);
    f.window.frm.vbwProgressBar2.setValue(10);
    EXPECT_EQ(f.loop.runs, before + 2);
}

TEST(MainWindowControls, TheFolderPickerOpensTheWindowsFolderChooser) {
    Fixture f;
    int changes = 0;
    f.window.frm.txtBackupDir.Change = [&] { ++changes; };
    f.dialogs.nextFolders.push_back("/srv/backups");
    f.window.frm.txtBackupDir.cmdBrowse.click();
    EXPECT_EQ(f.window.frm.txtBackupDir.Text(), "/srv/backups");
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(f.dialogs.folderRequests.size(), 1u);
    EXPECT_EQ(f.dialogs.folderRequests[0], "Select a folder");
}

TEST(MainWindowSettings, HandingOverTheEnvironmentShowsTheProjectsStoredFolder) {
    Fixture f;
    ide::MemoryVBE vbe;
    vbe.addProject({.Name = "Sales", .FileName = "/nowhere/Sales/Sales.vbp"});
    registry::RegWrite(f.reg, registry::Root::CurrentUser, registry::kSettingsKey,
                       "/nowhere/Sales/Sales.vbp", registry::REG_SZ,
                       std::string("/srv/backups/sales"));
    f.window.Load();  // loaded before it knows the environment: no project folder yet
    EXPECT_EQ(f.window.frm.txtBackupDir.Text(), "");
    f.window.setEnvironment(&vbe);
    EXPECT_EQ(f.window.frm.txtBackupDir.Text(), "/srv/backups/sales");
}
