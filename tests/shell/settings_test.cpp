#include "shell/settings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ide/memory_ide.h"
#include "platform/registry/hive_registry.h"
#include "platform/registry/memory_registry.h"
#include "platform/registry/reg_helpers.h"
#include "support/temp_dir.h"

using namespace arkstash;
using registry::kSettingsKey;
using registry::Root;
using registry::Value;

namespace {

class SettingsTest : public ::testing::Test {
  protected:
    test::TempDir tmp;
    os::PosixFileSystem fs;
    os::FixedClock clock{os::DateTime{.year = 2026, .month = 12, .day = 5}};
    registry::MemoryRegistry reg;
    ui::ScriptedDialogs dialogs;
    ui::HeadlessEventLoop loop;
    form::Platform platform{fs, clock, reg, dialogs, loop};
    form::MainForm frm{platform};
    ide::MemoryVBE vbe;

    // A project whose file lies in `folder` under the temporary folder (not made on disk).
    ide::MemoryProject& project(const std::string& name, const std::string& folder) {
        return vbe.addProject({.Name = name, .FileName = tmp / (folder + "/" + name + ".vbp")});
    }
    std::string stored(const std::string& name) {
        return registry::RegRead(reg, Root::CurrentUser, kSettingsKey, name, "<none>");
    }
    void store(const std::string& name, const Value& v) {
        auto h = reg.createKey(Root::CurrentUser, kSettingsKey);
        reg.setValue(h, name, v);
        reg.closeKey(h);
    }
    std::size_t storedCount() {
        auto& keys = reg.keys(Root::CurrentUser);
        auto it = keys.find("software\\arkstash");
        return it == keys.end() ? 0 : it->second.values.size();
    }
};

}  // namespace

TEST_F(SettingsTest, AnEmptyRegistryGivesTheDefaultsAndTheProjectsOwnFolder) {
    auto& p = project("Sales", "Sales");
    frm.VBInstance = &vbe;
    frm.chkRefresh.setValue(0);
    frm.chkDateComp.setValue(1);
    frm.cmbCompLevel.setText("Low");
    frm.chkAddComponents.setValue(0);
    frm.ListView2.Enabled = false;
    frm.framRef.Enabled = false;

    shell::ReadSettings(frm);

    EXPECT_EQ(frm.chkRefresh.Value(), 1);
    EXPECT_EQ(frm.chkDateComp.Value(), 0);
    EXPECT_EQ(frm.cmbCompLevel.Text(), "Normal");
    EXPECT_EQ(frm.chkAddComponents.Value(), 1);
    EXPECT_TRUE(frm.ListView2.Enabled);
    EXPECT_TRUE(frm.framRef.Enabled);
    EXPECT_EQ(frm.txtBackupDir.Text(), tmp / "Sales/");
    EXPECT_TRUE(std::filesystem::is_directory(tmp / "Sales")) << "the missing folder is made";
    EXPECT_EQ(frm.settingsProjectPath, p.FileName());
    EXPECT_EQ(storedCount(), 0u) << "reading stores nothing";
}

TEST_F(SettingsTest, StoredValuesReachTheControls) {
    project("Sales", "Sales");
    frm.VBInstance = &vbe;
    store("AutoRefresh", Value::dword(0));
    store("AddDate", Value::dword(1));
    store("CompFactor", Value::text("Maximum"));
    store("AddRef", Value::dword(0));
    store(tmp / "Sales/Sales.vbp", Value::text(tmp / "Backups/"));
    int dateClicks = 0;
    frm.chkDateComp.Click = [&] { ++dateClicks; };

    shell::ReadSettings(frm);

    EXPECT_EQ(frm.chkRefresh.Value(), 0);
    EXPECT_EQ(frm.chkDateComp.Value(), 1);
    EXPECT_EQ(dateClicks, 1) << "a changed date option rebuilds the archive name";
    EXPECT_EQ(frm.cmbCompLevel.Text(), "Maximum");
    EXPECT_EQ(frm.chkAddComponents.Value(), 0);
    EXPECT_FALSE(frm.ListView2.Enabled);
    EXPECT_FALSE(frm.framRef.Enabled);
    EXPECT_EQ(frm.txtBackupDir.Text(), tmp / "Backups/");
    EXPECT_TRUE(std::filesystem::is_directory(tmp / "Backups"));
}

TEST_F(SettingsTest, AnyAddRefOtherThanOneLeavesComponentsOut) {
    store("AddRef", Value::dword(2));
    shell::ReadSettings(frm);
    EXPECT_EQ(frm.chkAddComponents.Value(), 0);
    EXPECT_FALSE(frm.ListView2.Enabled);
}

TEST_F(SettingsTest, ValuesThatAreNotUsableLeaveTheirControlAlone) {
    store("AutoRefresh", Value::text("abc"));
    store("AddDate", Value::dword(5));  // not a check box value
    store("AddRef", Value::text(""));
    frm.chkRefresh.setValue(0);
    frm.chkDateComp.setValue(2);
    frm.chkAddComponents.setValue(0);
    frm.ListView2.Enabled = false;
    shell::ReadSettings(frm);
    EXPECT_EQ(frm.chkRefresh.Value(), 0);
    EXPECT_EQ(frm.chkDateComp.Value(), 2);
    EXPECT_EQ(frm.chkAddComponents.Value(), 0);
    EXPECT_FALSE(frm.ListView2.Enabled);
    EXPECT_EQ(frm.cmbCompLevel.Text(), "Normal") << "the other steps still run";
}

TEST_F(SettingsTest, ANeverSavedProjectUsesTheUnnamedValueAndDerivesNoFolder) {
    vbe.addProject({.Name = "Project1", .FileName = ""});
    frm.VBInstance = &vbe;
    shell::ReadSettings(frm);
    EXPECT_EQ(frm.txtBackupDir.Text(), "");
    EXPECT_TRUE(frm.settingsProjectRead);

    store("", Value::text(tmp / "Shared/"));
    shell::ReadSettings(frm);
    EXPECT_EQ(frm.txtBackupDir.Text(), tmp / "Shared/");

    frm.txtBackupDir.setText(tmp / "Other/");
    shell::WriteSettings(frm);
    EXPECT_EQ(stored(""), tmp / "Other/");
}

TEST_F(SettingsTest, WithoutTheEnvironmentTheFolderIsNeitherReadNorStored) {
    project("Sales", "Sales");
    store(tmp / "Sales/Sales.vbp", Value::text("stored"));
    frm.txtBackupDir.setText(tmp / "shown");
    shell::ReadSettings(frm);
    EXPECT_EQ(frm.txtBackupDir.Text(), tmp / "shown");
    EXPECT_FALSE(frm.settingsProjectRead);
    EXPECT_EQ(frm.cmbCompLevel.Text(), "Normal");

    shell::WriteSettings(frm);
    EXPECT_EQ(stored(tmp / "Sales/Sales.vbp"), "stored");
    EXPECT_EQ(stored("AutoRefresh"), "001");
    EXPECT_EQ(storedCount(), 5u);  // the four options and the one folder stored before
}

TEST_F(SettingsTest, WriteSettingsStoresEveryOptionAsItsKind) {
    project("Sales", "Sales");
    frm.VBInstance = &vbe;
    shell::ReadSettings(frm);
    frm.chkRefresh.setValue(0);
    frm.chkDateComp.setValue(1);
    frm.cmbCompLevel.setText("Low");
    frm.chkAddComponents.setValue(0);
    frm.txtBackupDir.setText(tmp / "Chosen/");

    shell::WriteSettings(frm);

    auto& values = reg.keys(Root::CurrentUser).at("software\\arkstash").values;
    EXPECT_EQ(values.at("autorefresh").second, Value::dword(0));
    EXPECT_EQ(values.at("adddate").second, Value::dword(1));
    EXPECT_EQ(values.at("compfactor").second, Value::text("Low"));
    EXPECT_EQ(values.at("addref").second, Value::dword(0));
    EXPECT_EQ(values.at(registry::foldCase(tmp / "Sales/Sales.vbp")).second,
              Value::text(tmp / "Chosen/"));
    EXPECT_EQ(values.at(registry::foldCase(tmp / "Sales/Sales.vbp")).first,
              tmp / "Sales/Sales.vbp");
    EXPECT_EQ(storedCount(), 5u);
}

TEST_F(SettingsTest, ReadingAgainDropsOptionsChangedSinceTheLastWrite) {
    shell::ReadSettings(frm);
    frm.chkRefresh.setValue(0);
    shell::ReadSettings(frm);
    EXPECT_EQ(frm.chkRefresh.Value(), 1);
}

TEST_F(SettingsTest, OnlyTheLastLevelOfAFolderIsMadeAndFailureIsSilent) {
    project("Sales", "Sales");
    frm.VBInstance = &vbe;
    store(tmp / "Sales/Sales.vbp", Value::text(tmp / "deep/er/Backups"));
    EXPECT_NO_THROW(shell::ReadSettings(frm));
    EXPECT_EQ(frm.txtBackupDir.Text(), tmp / "deep/er/Backups");
    EXPECT_FALSE(std::filesystem::exists(tmp / "deep"));

    store(tmp / "Sales/Sales.vbp", Value::text(tmp / "Backups"));
    shell::ReadSettings(frm);
    EXPECT_TRUE(std::filesystem::is_directory(tmp / "Backups"));
}

TEST_F(SettingsTest, EachProjectKeepsItsOwnFolderAcrossASwitch) {
    auto& a = project("Alpha", "A");
    auto& b = project("Beta", "B");
    std::filesystem::create_directories(tmp / "A");
    std::filesystem::create_directories(tmp / "B");
    store(a.FileName(), Value::text(tmp / "backA/"));
    frm.VBInstance = &vbe;
    vbe.setActive(&a);
    shell::ReadSettings(frm);
    ASSERT_EQ(frm.txtBackupDir.Text(), tmp / "backA/");
    frm.txtBackupDir.setText(tmp / "pickedForA/");  // chosen, not stored yet

    // The environment now has Beta active, and the scan stores the settings.
    vbe.setActive(&b);
    shell::WriteSettings(frm);
    EXPECT_EQ(frm.txtBackupDir.Text(), tmp / "B/");
    EXPECT_EQ(stored(b.FileName()), tmp / "B/") << "Alpha's folder must not land under Beta";
    EXPECT_EQ(stored(a.FileName()), tmp / "pickedForA/") << "Alpha keeps the folder it showed";

    frm.txtBackupDir.setText(tmp / "pickedForB/");
    vbe.setActive(&a);
    shell::WriteSettings(frm);
    EXPECT_EQ(frm.txtBackupDir.Text(), tmp / "pickedForA/");
    EXPECT_EQ(stored(a.FileName()), tmp / "pickedForA/");
    EXPECT_EQ(stored(b.FileName()), tmp / "pickedForB/");
    EXPECT_EQ(frm.settingsProjectPath, a.FileName());
}

TEST_F(SettingsTest, TheFirstScanWithTheEnvironmentStoresTheProjectsOwnFolder) {
    auto& p = project("Sales", "Sales");
    shell::ReadSettings(frm);  // the window loads before it has the environment
    EXPECT_EQ(frm.txtBackupDir.Text(), "");
    frm.VBInstance = &vbe;
    shell::WriteSettings(frm);
    EXPECT_EQ(stored(p.FileName()), tmp / "Sales/") << "not the empty folder shown before";
    EXPECT_EQ(frm.txtBackupDir.Text(), tmp / "Sales/");
}

TEST_F(SettingsTest, FollowingTheProjectChecksTheArchiveOnlyOnAChange) {
    auto& a = project("Alpha", "A");
    auto& b = project("Beta", "B");
    int checks = 0;
    frm.routines.CheckDir = [&] { ++checks; };
    EXPECT_FALSE(shell::SettingsFollowProject(frm)) << "no environment yet";
    frm.VBInstance = &vbe;
    vbe.setActive(&a);
    EXPECT_TRUE(shell::SettingsFollowProject(frm));
    EXPECT_EQ(checks, 1);
    EXPECT_FALSE(shell::SettingsFollowProject(frm));
    EXPECT_EQ(checks, 1);
    vbe.setActive(&b);
    EXPECT_TRUE(shell::SettingsFollowProject(frm));
    EXPECT_EQ(checks, 2);
    EXPECT_EQ(frm.txtBackupDir.Text(), tmp / "B/");
    // A path that cannot be read changes nothing.
    b.fail("FileName");
    EXPECT_FALSE(shell::SettingsFollowProject(frm));
    shell::WriteSettings(frm);
    EXPECT_EQ(frm.settingsProjectPath, b.data().FileName);
}

TEST_F(SettingsTest, SettingsSurviveInTheHiveBetweenRuns) {
    registry::HiveRegistry hive(tmp / "home");
    form::Platform onDisk{fs, clock, hive, dialogs, loop};
    {
        form::MainForm first(onDisk);
        first.VBInstance = &vbe;
        project("Sales", "Sales");
        shell::ReadSettings(first);
        first.cmbCompLevel.setText("Maximum");
        first.chkRefresh.setValue(0);
        shell::WriteSettings(first);
    }
    registry::HiveRegistry again(tmp / "home");
    form::Platform later{fs, clock, again, dialogs, loop};
    form::MainForm second(later);
    second.VBInstance = &vbe;
    shell::ReadSettings(second);
    EXPECT_EQ(second.cmbCompLevel.Text(), "Maximum");
    EXPECT_EQ(second.chkRefresh.Value(), 0);
    EXPECT_EQ(second.txtBackupDir.Text(), tmp / "Sales/");
}

TEST(LoaderOptions, ComeFromTheirOwnKeyWithDefaults) {
    registry::MemoryRegistry reg;
    ide::LoaderOptions none = shell::LoaderOptionsFromSettings(reg);
    EXPECT_EQ(none.codePage, "1252");
    EXPECT_TRUE(none.driveMappings.empty());
    EXPECT_EQ(none.classes, nullptr);

    auto h = reg.createKey(Root::CurrentUser, shell::kLoaderKey);
    reg.setValue(h, "CodePage", Value::text("936"));
    reg.setValue(h, "Drive C", Value::text("/home/me/.wine/drive_c"));
    reg.setValue(h, "drive d", Value::text("/mnt/data"));  // names are case-blind
    reg.setValue(h, "Drive E", Value::text(""));           // no folder: not mapped
    reg.setValue(h, "Drive 1", Value::text("/nowhere"));   // not a drive letter
    reg.closeKey(h);
    ide::LoaderOptions o = shell::LoaderOptionsFromSettings(reg);
    EXPECT_EQ(o.codePage, "936");
    EXPECT_EQ(o.driveMappings,
              (std::map<char, std::string>{{'C', "/home/me/.wine/drive_c"}, {'D', "/mnt/data"}}));

    // A code page stored as a number works as well.
    h = reg.createKey(Root::CurrentUser, shell::kLoaderKey);
    reg.setValue(h, "CodePage", Value::dword(65001));
    reg.closeKey(h);
    EXPECT_EQ(shell::LoaderOptionsFromSettings(reg).codePage, "65001");
    // The window's own settings key is not the loader's.
    registry::RegWrite(reg, Root::CurrentUser, kSettingsKey, "CodePage", registry::REG_SZ,
                       std::string("1251"));
    EXPECT_EQ(shell::LoaderOptionsFromSettings(reg).codePage, "65001");
}
