// Moving the window's options between the settings store and its controls.
//
// The backup folder is kept per project, under a value named by the project file's path. The
// window remembers which project the folder it shows was read for, so a folder is only ever
// stored under the path of the project it belongs to: when the active project has changed
// since, the shown folder is first stored for the project it was read for, and the new
// project's own folder (its stored one, else its project folder) is read in its place before
// anything is stored for it.
#include "platform/error.h"
#include "util/paths.h"
#include "window/main_window.h"

namespace arkstash::window {

void MainWindow::ReadSettings() {
    if (auto on = settings_.autoRefresh()) autoRefreshOption.setChecked(*on);
    if (auto on = settings_.addDate(); on && *on != addDateOption.isChecked()) {
        addDateOption.setChecked(*on);
        // The name follows the option however it changed.
        CheckZipDir();
    }
    compressionList.setText(settings_.compression());
    if (auto projectFile = activeProjectFile()) readBackupFolder(*projectFile);
    if (auto on = settings_.includeReferences()) {
        includeReferences.setChecked(*on);
        referenceList.enabled = *on;
        referencesFrame.enabled = *on;
    }
    readAutomaticOptions();
    notifyView();
}

void MainWindow::readBackupFolder(const std::string& projectFile) {
    std::string folder = settings_.backupFolder(projectFile);
    // No folder stored: the project's own. A project never saved has neither; a backup then
    // asks for one.
    if (folder.empty()) folder = util::DirOf(projectFile);
    backupFolder.setText(folder);
    settingsProject_ = projectFile;
    // Only the last level is made; a missing parent makes it fail, and the backup says so.
    if (!folder.empty())
        attempt([&] {
            if (!services_.files.folderExists(folder)) services_.files.createFolder(folder);
        });
}

void MainWindow::WriteSettings() {
    settings_.storeAutoRefresh(autoRefreshOption.isChecked());
    settings_.storeAddDate(addDateOption.isChecked());
    settings_.storeCompression(compressionList.text());
    settingsFollowProject();
    // Stored only when the folder shown is the active project's own.
    if (auto projectFile = activeProjectFile(); projectFile && settingsProject_ == projectFile)
        settings_.storeBackupFolder(*projectFile, backupFolder.text());
    settings_.storeIncludeReferences(includeReferences.isChecked());
}

bool MainWindow::settingsFollowProject() {
    auto projectFile = activeProjectFile();
    if (!projectFile || settingsProject_ == projectFile) return false;
    // The folder shown belongs to the project it was read for; it goes back under that name.
    if (settingsProject_) settings_.storeBackupFolder(*settingsProject_, backupFolder.text());
    readBackupFolder(*projectFile);
    CheckDir();
    return true;
}

}  // namespace arkstash::window
