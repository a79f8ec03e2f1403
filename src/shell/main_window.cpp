#include "shell/main_window.h"

#include "backup/backup_target.h"
#include "backup/references.h"
#include "backup/side_file.h"
#include "backup/zip_files.h"
#include "platform/error.h"
#include "projectview/file_list.h"
#include "projectview/project_info.h"
#include "shell/settings.h"

namespace arkstash::shell {

MainWindow::MainWindow(form::Platform& platform) : frm(platform) {
    wireRoutines();
    wireEvents();
}

void MainWindow::wireRoutines() {
    form::Routines& r = frm.routines;
    r.FillTree = [this] { projectview::FillTree(frm, events_); };
    r.CheckZipDir = [this] { backup::CheckZipDir(frm); };
    r.CheckDir = [this] { backup::CheckDir(frm); };
    r.ProjectInfo = [this] { projectview::ProjectInfo(frm); };
    r.ReadSettings = [this] { ReadSettings(frm); };
    r.WriteSettings = [this] { WriteSettings(frm); };
    r.LoadReferences = [this] { backup::LoadReferences(frm); };
    r.ReadAKS = [this](const std::string& path) { backup::ReadAKS(frm, path); };
    r.WriteAKS = [this](const std::string& path) { backup::WriteAKS(frm, path); };
    r.SaveMemo = [this](const std::string& path) { backup::SaveMemo(frm, path); };
    r.ZipFiles = [this] { backup::ZipFiles(frm); };
}

void MainWindow::wireEvents() {
    frm.lblProjectName.Change = [this] { projectview::lblProjectName_Change(frm); };
    frm.chkAddComponents.Click = [this] { backup::chkAddComponents_Click(frm); };
    frm.chkDateComp.Click = [this] { backup::CheckZipDir(frm); };
    frm.chkPassword.Click = [this] { backup::chkPassword_Click(frm); };
    frm.cmbCompLevel.Click = [this] { backup::cmbCompLevel_Click(frm); };
    frm.txtZipFile.KeyPress = [this](int& key) { backup::txtZipFile_KeyPress(frm, key); };
    // The memo is saved with each keystroke's effect, so it listens after the key went in.
    frm.txtMemo.KeyTyped = [this](int key) { backup::txtMemo_KeyPress(frm, key); };
    frm.cmdAddDate.Click = [this] { backup::cmdAddDate_Click(frm); };
}

void MainWindow::Load() {
    attempt([&] {
        frm.SSActiveToolBars1.tool("ID_Addfiles").picture = form::images::kAddFile;
        frm.SSActiveToolBars1.tool("ID_Remove").picture = form::images::kRemoveFile;
    });
    backup::FillCompressionList(frm);
    ReadSettings(frm);
}

void MainWindow::setEnvironment(ide::VBE* vbe) {
    frm.VBInstance = vbe;
    if (vbe) ReadSettings(frm);
}

void MainWindow::Backup() {
    if (backup::BackupRunning(frm)) return;
    ReadSettings(frm);
    backup::ZipFiles(frm);
}

}  // namespace arkstash::shell
