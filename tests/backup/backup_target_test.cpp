#include "backup/backup_target.h"

#include <gtest/gtest.h>

#include "platform/ide/memory_ide.h"
#include "platform/registry/memory_registry.h"
#include "platform/registry/reg_helpers.h"
#include "support/headless_window.h"
#include "support/temp_dir.h"

using namespace arkstash;
using registry::Root;

namespace {

const char* const kForbiddenMessage = "Characters \\/:*?\"<>| are not allowed in filename";

class BackupTargetTest : public ::testing::Test, protected test::HeadlessWindow {
  protected:
    BackupTargetTest() {
        clock.time =
            os::DateTime{.year = 2026, .month = 12, .day = 5, .hour = 7, .minute = 9, .second = 56};
    }
    test::TempDir tmp;
    ide::MemoryVBE vbe;

    void withProject(const std::string& fileName) {
        vbe.addProject({.Name = "Sales", .FileName = fileName});
        frm.VBInstance = &vbe;
    }
};

}  // namespace

TEST_F(BackupTargetTest, ArchiveIsNamedAfterTheProjectWithOrWithoutTheMoment) {
    withProject("D:\\Work\\Sales\\Sales.vbp");
    frm.txtZipFile.setText("typed by the user.zip");
    backup::CheckZipDir(frm);
    EXPECT_EQ(frm.txtZipFile.Text(), "Sales.zip");

    frm.chkDateComp.setValue(1);
    backup::CheckZipDir(frm);
    EXPECT_EQ(frm.txtZipFile.Text(), "Sales_12-05-2026_070956.zip");

    // Each derivation takes the time of its own moment.
    clock.time = os::DateTime{.year = 2027, .month = 1, .day = 31, .hour = 23, .minute = 5};
    backup::CheckZipDir(frm);
    EXPECT_EQ(frm.txtZipFile.Text(), "Sales_01-31-2027_230500.zip");
}

TEST_F(BackupTargetTest, PathsOfThisMachineAndAnyLetterWork) {
    withProject(tmp / "Ünïcödé Sales/Verkäufe.vbp");
    backup::CheckZipDir(frm);
    EXPECT_EQ(frm.txtZipFile.Text(), "Verkäufe.zip");
}

TEST_F(BackupTargetTest, ANeverSavedProjectGivesProject1) {
    backup::CheckZipDir(frm);  // no environment yet
    EXPECT_EQ(frm.txtZipFile.Text(), "project1.zip");
    withProject("");
    frm.chkDateComp.setValue(1);
    backup::CheckZipDir(frm);
    EXPECT_EQ(frm.txtZipFile.Text(), "project1_12-05-2026_070956.zip");
}

TEST_F(BackupTargetTest, NamesThatCannotBeCutOrSplitFallBackStepByStep) {
    // Shorter than its extension: nothing is cut.
    withProject("/a");
    backup::CheckZipDir(frm);
    EXPECT_EQ(frm.txtZipFile.Text(), "a.zip");
    // No folder part at all: the field keeps what it had.
    vbe.project(1).data().FileName = "Sales.vbp";
    backup::CheckZipDir(frm);
    EXPECT_EQ(frm.txtZipFile.Text(), "a.zip");
    // A project whose path cannot be read counts as never saved.
    vbe.project(1).fail("FileName");
    backup::CheckZipDir(frm);
    EXPECT_EQ(frm.txtZipFile.Text(), "project1.zip");
}

TEST_F(BackupTargetTest, ViewButtonShowsBesideAnExistingArchive) {
    withProject(tmp / "Sales/Sales.vbp");
    frm.SSActiveTabPanel2.Width = 7005;
    frm.txtZipFile.Left = 1800;
    frm.txtBackupDir.setText(tmp / "Backups");  // no separator at the end
    backup::CheckZipDir(frm);
    EXPECT_FALSE(frm.cmdView.Visible);
    EXPECT_EQ(frm.txtZipFile.Width, 5005);

    tmp.write("Backups/Sales.zip", "PK");
    backup::CheckDir(frm);
    EXPECT_TRUE(frm.cmdView.Visible);
    EXPECT_EQ(frm.txtZipFile.Width, 3955);
    EXPECT_EQ(frm.cmdView.Left, 1800 + 3955 + 170);

    // Another folder hides it again at the next check.
    frm.txtBackupDir.setText(tmp / "Elsewhere/");
    EXPECT_TRUE(frm.cmdView.Visible);
    backup::CheckDir(frm);
    EXPECT_FALSE(frm.cmdView.Visible);
    EXPECT_EQ(frm.txtZipFile.Width, 5005);
}

TEST_F(BackupTargetTest, AFolderNamedLikeTheArchiveIsNoArchive) {
    withProject(tmp / "Sales/Sales.vbp");
    std::filesystem::create_directories(tmp / "Backups/Sales.zip");
    frm.txtBackupDir.setText(tmp / "Backups/");
    backup::CheckZipDir(frm);
    EXPECT_FALSE(frm.cmdView.Visible);
}

TEST_F(BackupTargetTest, CompressionListShowsTheStoredLevel) {
    backup::FillCompressionList(frm);
    ASSERT_EQ(frm.cmbCompLevel.items.size(), 4u);
    const std::pair<const char*, long> expected[] = {
        {"No Compression", 0}, {"Low", 1}, {"Normal", 6}, {"Maximum", 9}};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(frm.cmbCompLevel.items[i].text, expected[i].first);
        EXPECT_EQ(frm.cmbCompLevel.items[i].itemData, expected[i].second);
    }
    EXPECT_EQ(frm.cmbCompLevel.Text(), "Normal");
    EXPECT_EQ(frm.cmbCompLevel.ListIndex(), 2);

    registry::RegWrite(reg, Root::CurrentUser, registry::kSettingsKey, "CompFactor",
                       registry::REG_SZ, std::string("Maximum"));
    backup::FillCompressionList(frm);
    EXPECT_EQ(frm.cmbCompLevel.items.size(), 4u) << "filled once, however often";
    EXPECT_EQ(frm.cmbCompLevel.Text(), "Maximum");
    EXPECT_EQ(frm.cmbCompLevel.ListIndex(), 3);
}

TEST_F(BackupTargetTest, PickingALevelStoresItAtOnce) {
    backup::FillCompressionList(frm);
    int flushes = reg.flushes;
    frm.cmbCompLevel.setListIndex(3);
    backup::cmbCompLevel_Click(frm);
    EXPECT_EQ(registry::RegRead(reg, Root::CurrentUser, registry::kSettingsKey, "CompFactor", ""),
              "Maximum");
    EXPECT_EQ(reg.flushes, flushes + 1);
    EXPECT_EQ(reg.openHandles(), 0u);
}

TEST_F(BackupTargetTest, PasswordControlsFollowTheOption) {
    frm.txtPassword.setText("s3cret");
    frm.chkPassword.setValue(1);
    backup::chkPassword_Click(frm);
    EXPECT_TRUE(frm.lblPass.Enabled);
    EXPECT_TRUE(frm.txtPassword.Enabled);
    EXPECT_TRUE(frm.lblPasswordExplanation.Enabled);
    for (int off : {0, 2}) {  // unticked and greyed both count as off
        frm.chkPassword.setValue(off);
        backup::chkPassword_Click(frm);
        EXPECT_FALSE(frm.lblPass.Enabled);
        EXPECT_FALSE(frm.txtPassword.Enabled);
        EXPECT_FALSE(frm.lblPasswordExplanation.Enabled);
    }
    frm.chkPassword.setValue(1);
    backup::chkPassword_Click(frm);
    EXPECT_EQ(frm.txtPassword.Text(), "s3cret") << "the typed password survives";
}

TEST_F(BackupTargetTest, ForbiddenCharactersWarnButStillGoIn) {
    for (char c : std::string("\\/:*?\"<>|")) {
        dialogs.messages.clear();
        int key = static_cast<unsigned char>(c);
        backup::txtZipFile_KeyPress(frm, key);
        EXPECT_EQ(key, static_cast<unsigned char>(c)) << c;
        ASSERT_EQ(dialogs.messages.size(), 1u) << c;
        EXPECT_EQ(dialogs.messages[0].prompt, kForbiddenMessage);
        EXPECT_EQ(dialogs.messages[0].style, ui::vbOKOnly);
        EXPECT_EQ(dialogs.messages[0].title, "");
    }
    dialogs.messages.clear();
    for (int key : std::initializer_list<int>{'.', 'a', ' ', '_', '-', 8, 0xE9}) {
        int k = key;
        backup::txtZipFile_KeyPress(frm, k);
        EXPECT_EQ(k, key);
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(BackupTargetTest, ATypedForbiddenCharacterStaysInTheName) {
    frm.txtZipFile.KeyPress = [this](int& key) { backup::txtZipFile_KeyPress(frm, key); };
    frm.txtZipFile.setText("Sales");
    EXPECT_EQ(frm.txtZipFile.typeKey('*'), '*');
    EXPECT_EQ(frm.txtZipFile.typeKey('.'), '.');
    EXPECT_EQ(frm.txtZipFile.Text(), "Sales*.");
    EXPECT_EQ(dialogs.messages.size(), 1u);
}
