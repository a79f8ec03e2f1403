#include "shell/main_window.h"

#include <gtest/gtest.h>

#include "platform/registry/memory_registry.h"

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
