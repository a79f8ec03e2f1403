// The project view of the window: the scan into the tree and the file list, the project
// information, the references list, and how the lists and the tree react to the user.
#include "backup/references.h"
#include "backup/side_file.h"
#include "platform/error.h"
#include "projectview/project_info.h"
#include "util/paths.h"
#include "util/strings.h"
#include "window/main_window.h"

namespace arkstash::window {

namespace {
constexpr const char* kNoFiles = "No saved files found in project";
}  // namespace

void MainWindow::FillTree() {
    if (scanning_) {
        rescanPending_ = true;
        return;
    }
    scanning_ = true;
    do {
        rescanPending_ = false;
        scanOnce();
    } while (rescanPending_);
    scanning_ = false;
    notifyView();
}

void MainWindow::scanOnce() {
    busy = true;
    if (environment_ && subscriber_)
        // No project open: there is nothing to follow until one is.
        attempt([&] { subscriber_->subscribe(*environment_, environment_->ActiveVBProject()); });

    fileList.clear();
    referenceList.rows.clear();
    referenceList.selected.reset();
    fileList.touch();
    referenceList.touch();
    services_.events.processPendingEvents();

    projectview::ProjectScan scan;
    if (environment_) scan = projectview::scanProjects(*environment_, services_.files);
    if (scan.activeProjectImage) projectPicture.image = scan.activeProjectImage;

    fileList.setFileColumns();
    fileList.message.reset();
    fileList.setSortColumn(projectview::kFileColumn);
    fileList.fullRowSelect = true;
    projectTree = std::move(scan.tree);
    if (scan.activeProjectName) ScannedProjectName = *scan.activeProjectName;
    scanProblems = std::move(scan.problems);
    projectFolders = std::move(scan.projectFolders);
    fileList.addAll(std::move(scan.rows));

    CheckZipDir();
    if (fileList.empty())
        showEmptyState();
    else
        showFilesFound();

    LoadReferences();
    referenceList.fitColumnsToContents();
    if (const projectview::FileRow* row = fileList.selectedRow())
        setViewToolsFromPath(row->path, false);
    fileList.touch();
    busy = false;
}

void MainWindow::showEmptyState() {
    tools.setEnabled("ID_ViewCode", false);
    tools.setEnabled("ID_ViewObject", false);
    fileList.columns = {{"    File", 8000, controls::Alignment::Left}};
    fileList.fullRowSelect = false;
    fileList.message = kNoFiles;
    archiveName.setText("");
    for (Tab tab : {Tab::Info, Tab::Properties, Tab::Memo}) tabs.page(tab).enabled = false;
    tabs.select(Tab::Files);
    for (const char* id : {"ID_Backup", "ID_Addfiles", "ID_Fileproperties"})
        tools.setEnabled(id, false);
    fileList.fitLastColumn();
}

void MainWindow::showFilesFound() {
    for (const char* id : {"ID_ViewCode", "ID_ViewObject", "ID_Backup", "ID_Addfiles",
                           "ID_Fileproperties"})
        tools.setEnabled(id, true);
    for (Tab tab : {Tab::Info, Tab::Properties, Tab::Memo}) tabs.page(tab).enabled = true;
    ProjectInfo();
    fileList.fitColumnsToContents();
    WriteSettings();
}

void MainWindow::ProjectInfo() {
    if (!environment_) return;
    // The scan has replaced the list's rows already, so a memo still in the box (a date stamp
    // not yet saved, say) goes to its own side file now, with that file's entries kept.
    if (!memoBox.text().empty() && memoSideFile_) {
        saveMemo(*memoSideFile_);
        memoBox.setText("");
    }
    projectview::ProjectInformation info = projectview::readProjectInformation(*environment_);
    if (info.name) {
        projectLabel.setCaption(*info.name);
        setProjectName(*info.name);
    }
    if (info.description) descriptionLabel.setCaption(*info.description);
    if (info.buildFileName) buildNameLabel.setCaption(*info.buildFileName);
    memoBox.setText("");

    // From here on the memo and the user-added rows belong to this project's side file, even
    // if the environment's active project moves on before the next scan.
    memoSideFile_.reset();
    if (info.name && info.projectFile)
        memoSideFile_ = backup::sideFilePath(*info.projectFile, projectLabel.caption());
    if (memoSideFile_) ReadAKS(*memoSideFile_);
}

void MainWindow::setProjectName(const std::string& name) {
    if (name == projectNameLabel.caption()) return;
    projectNameLabel.setCaption(name);
    projectNameChanged();
}

void MainWindow::projectNameChanged() {
    if (!memoBox.text().empty()) {
        // The memo goes to the side file it was read from, never to one formed now: by the time
        // the name changes, the environment's active project is the next one.
        if (memoSideFile_) saveMemo(*memoSideFile_);
        memoBox.setText("");
    }
    if (projectNameLabel.caption() != ScannedProjectName) FillTree();
}

void MainWindow::LoadReferences() {
    referenceList.setReferenceColumns();
    referenceList.rows.clear();
    referenceList.selected.reset();
    if (environment_) {
        referenceList.rows = backup::LoadReferences(
            *environment_, services_.files, services_.registry, [this](long errorNumber) {
                services_.dialogs.show({std::to_string(errorNumber), ui::Buttons::Ok,
                                        ui::Icon::Stop, false, "Could Not Load Type Library"});
            });
    }
    referenceList.fitColumnsToContents();
}

void MainWindow::includeReferencesClicked() {
    bool on = includeReferences.isChecked();
    referencesFrame.enabled = on;
    referenceList.enabled = on;
    referenceList.touch();
    settings_.storeIncludeReferences(on);
    notifyView();
}

void MainWindow::setViewToolsFromPath(const std::string& path, bool binaryUserControl) {
    // Extensions are compared exactly: an upper-case "FRM" matches nothing and changes nothing.
    std::string_view ending = util::lastBytes(path, 3);
    if (ending == "dob" || ending == "frm" || ending == "dsr" || ending == "ctl") {
        tools.setEnabled("ID_ViewCode", true);
        tools.setEnabled("ID_ViewObject", true);
    } else if (ending == "cls" || ending == "bas") {
        tools.setEnabled("ID_ViewCode", true);
        tools.setEnabled("ID_ViewObject", false);
    } else if (ending == "res" || ending == "vbp" || ending == "frx" ||
               (binaryUserControl && ending == "ctx")) {
        tools.setEnabled("ID_ViewCode", false);
        tools.setEnabled("ID_ViewObject", false);
    }
}

void MainWindow::sortFileList(std::size_t column) {
    fileList.sortByColumn(column);
    fileList.touch();
    notifyView();
}

void MainWindow::fileRowClicked(std::size_t row) {
    if (fileList.shownRowCount() == 0) {
        for (const char* id : {"ID_ViewCode", "ID_ViewObject", "ID_Fileproperties"})
            tools.setEnabled(id, false);
        notifyView();
        return;
    }
    // The message row of the empty state, or a row a rescan took away meanwhile: no file.
    if (row >= fileList.size()) return;
    fileList.selected = row;
    const projectview::FileRow& clicked = fileList.row(row);
    setViewToolsFromPath(clicked.path, true);
    tools.setEnabled("ID_Fileproperties", true);
    tools.setEnabled("ID_Remove", clicked.userAdded());
    if (clicked.userAdded()) {
        tools.setEnabled("ID_ViewCode", false);
        tools.setEnabled("ID_ViewObject", false);
    }
    notifyView();
}

void MainWindow::fileRowChecked(std::size_t row, bool checked) {
    if (row >= fileList.size()) return;
    fileList.row(row).checked = checked;
    fileList.touch();
}

void MainWindow::fileListReleased(MouseButton button) {
    if (fileList.shownRowCount() > 0 && button == MouseButton::Right) tools.popUp("ID_ListView1");
}

void MainWindow::referenceRowChecked(std::size_t row, bool checked) {
    if (row >= referenceList.rows.size()) return;
    referenceList.rows[row].checked = checked;
    referenceList.touch();
}

void MainWindow::referenceListReleased(MouseButton button) {
    if (!referenceList.rows.empty() && button == MouseButton::Right) tools.popUp("ID_ListView2");
}

}  // namespace arkstash::window
