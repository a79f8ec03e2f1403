#include "cli/session.h"

#include <gtest/gtest.h>

#include "platform/registry/memory_registry.h"
#include "shell/main_window.h"
#include "support/temp_dir.h"

using namespace arkstash;

TEST(Session, OpensTheWindowOnTheLoadedProjectsWithTheServicesGiven) {
    test::TempDir dir;
    std::string vbp = dir.write("A/A.vbp", "Type=OleDll\r\nModule=m; m.bas\r\nName=\"Alpha\"\r\n");
    dir.write("A/m.bas", "Attribute VB_Name = \"m\"\r\nSub X()\r\nEnd Sub\r\n");
    registry::MemoryRegistry settings;
    ui::ScriptedDialogs dialogs;
    cli::Session session({.settings = &settings, .dialogs = &dialogs});
    EXPECT_EQ(&session.platform().registry, &settings);
    EXPECT_EQ(&session.platform().dialogs, &dialogs);
    EXPECT_EQ(session.scriptedDialogs(), nullptr);

    auto report = session.load({vbp});
    EXPECT_TRUE(report.issues.empty());
    EXPECT_EQ(session.form().VBInstance, nullptr);  // not before the window opens
    session.open();
    form::MainForm& frm = session.form();
    EXPECT_EQ(frm.VBInstance, &session.environment());
    EXPECT_EQ(frm.ScannedProjectName, "Alpha");
    EXPECT_EQ(frm.imgProject.image, 14);  // ActiveX library
    ASSERT_EQ(frm.ListView1.items.size(), 2u);
    EXPECT_EQ(session.loop().runs, 1);

    // A file added on disk shows after a reload and a rescan.
    dir.write("A/A.vbp", "Type=OleDll\r\nModule=m; m.bas\r\nClass=c; c.cls\r\nName=\"Alpha\"\r\n");
    dir.write("A/c.cls", "VERSION 1.0 CLASS\r\nAttribute VB_Name = \"c\"\r\n");
    session.reload();
    session.rescan();
    EXPECT_EQ(frm.ListView1.items.size(), 3u);
    EXPECT_EQ(session.loop().runs, 2);
}

TEST(Session, ALoadThatFailsLeavesAnEmptyWindow) {
    test::TempDir dir;
    cli::Session session;
    EXPECT_THROW(session.load({dir / "none.vbp"}), ide::LoadError);
    ASSERT_NE(session.scriptedDialogs(), nullptr);
    session.open();
    ASSERT_EQ(session.form().ListView1.items.size(), 1u);
    EXPECT_EQ(session.form().ListView1.items[0].text, "No saved files found in project");
    EXPECT_TRUE(session.scriptedDialogs()->messages.empty());
}
