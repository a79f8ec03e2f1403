#include "window/main_window.h"

#include "backup/backup_target.h"
#include "platform/error.h"
#include "projectview/file_row.h"

namespace arkstash::window {

namespace {

template <typename Control>
void named(Control& control, const char* name) {
    control.name = name;
}

void captioned(controls::Label& label, const char* name, const char* caption) {
    label.name = name;
    label.setCaption(caption);
}

// Sets a width when the layout gives a valid one; a control keeps its last valid size.
void setWidth(controls::ControlState& control, long width) {
    if (width >= 0) control.width = width;
}

void setHeight(controls::ControlState& control, long height) {
    if (height >= 0) control.height = height;
}

}  // namespace

MainWindow::MainWindow(Services& services) : services_(services), settings_(services.registry) {
    defineControls();
    defineTools();
    wireControls();
}

void MainWindow::defineControls() {
    frame.name = "frmMain";
    frame.width = 9600;
    frame.height = 7200;

    tabs.name = "SSActiveTabs1";
    for (const char* page : {"Files", "Info", "Properties", "Memo", "Status"})
        tabs.pages.push_back({page, true, true});
    tabs.page(Tab::Status).visible = false;
    // Until a scan finds files there is no project to show or to back up.
    for (Tab tab : {Tab::Info, Tab::Properties, Tab::Memo}) tabs.page(tab).enabled = false;
    tabPanel.name = "SSActiveTabPanel2";
    tabPanel.width = 7005;
    tabPanel.height = 5400;

    named(headerFrame, "Light3D1");
    headerFrame.left = 2490;
    headerFrame.width = 7005;
    headerFrame.height = 360;
    named(projectNameFrame, "Light3D2");
    projectNameFrame.width = 2400;
    projectNameFrame.height = 360;
    // Both header frames are raised; the page header stands on grey.
    headerFrame.setStyle(false);
    projectNameFrame.setStyle(false);
    headerFrame.setBackColor(0x808080);
    captioned(headerText, "lblHeaderInfo", "Arkstash: Files to add");
    named(projectNameLabel, "lblProjectName");
    named(addDateButton, "cmdAddDate");
    addDateButton.caption = "Add Date";
    addDateButton.visible = false;
    addDateButton.width = 975;

    captioned(projectCaption, "Label2", "Project:");
    captioned(descriptionCaption, "Label3", "Description:");
    captioned(buildNameCaption, "Label8", "BuildName:");
    named(projectLabel, "lblProject");
    named(descriptionLabel, "lblDesc");
    named(buildNameLabel, "lblBuildName");
    named(projectPicture, "imgProject");
    named(includeReferences, "chkAddComponents");
    includeReferences.caption = "Add Components and References to backup";
    named(referencesFrame, "framRef");
    referencesFrame.caption = "Components and References";

    captioned(backupFolderCaption, "Label7", "Backup directory:");
    captioned(archiveNameCaption, "Label1", "Compressed filename:");
    captioned(compressionCaption, "lblCompLevel", "Compression factor:");
    named(backupFolder, "txtBackupDir");
    // The folder is chosen with the picker's button, not typed.
    backupFolder.txtFolder.locked = true;
    backupFolder.left = 1800;
    backupFolder.width = 4935;
    backupFolder.height = 285;
    backupFolder.setDialogs(&services_.dialogs);
    named(archiveName, "txtZipFile");
    archiveName.left = 1800;
    archiveName.width = tabPanel.width - 2000;
    named(viewArchiveButton, "cmdView");
    viewArchiveButton.caption = "&View";
    viewArchiveButton.visible = false;
    viewArchiveButton.width = 800;
    named(compressionList, "cmbCompLevel");
    named(optionsFrame, "frmOptions");
    optionsFrame.caption = "Options";
    named(passwordFrame, "frmPassWord");
    passwordFrame.caption = "Backup password";
    named(addDateOption, "chkDateComp");
    addDateOption.caption = "Add date/time to compressed filename";
    named(autoRefreshOption, "chkRefresh");
    autoRefreshOption.caption = "Automatically refresh project";
    named(usePassword, "chkPassword");
    usePassword.caption = "Use backup password";
    captioned(passwordCaption, "lblPass", "Password:");
    passwordCaption.enabled = false;
    captioned(passwordExplanation, "lblPasswordExplanation",
              "Enter a password above to protect files from being unzipped without first "
              "entering this same password.");
    passwordExplanation.enabled = false;
    named(passwordBox, "txtPassword");
    passwordBox.enabled = false;
    passwordBox.concealed = true;

    named(memoBox, "txtMemo");
    memoBox.multiLine = true;

    captioned(statusCaption, "Label4", "Status:");
    captioned(fileProgressCaption, "Label5", "File progress:");
    captioned(projectProgressCaption, "Label6", "Project progress:");
    captioned(statusLine, "lblStatus", "Collecting data...");
    named(fileProgress, "vbwProgressBar1");
    named(overallProgress, "vbwProgressBar2");
    for (controls::vbwProgressBar* bar : {&fileProgress, &overallProgress}) {
        bar->width = 6495;
        bar->height = 255;
    }
    // Each redraw of a bar lets the window's waiting events run, so it stays alive in a run.
    fileProgress.setEventLoop(&services_.events);
    overallProgress.setEventLoop(&services_.events);

    fileList.width = tabPanel.width - 240;
    referenceList.width = tabPanel.width - 480;
    defineAutomaticControls();
}

void MainWindow::Load() {
    if (Tool* add = tools.find("ID_Addfiles")) add->picture = projectview::images::kAddFile;
    if (Tool* remove = tools.find("ID_Remove")) remove->picture = projectview::images::kRemoveFile;
    compressionList.clear();
    for (const auto& choice : backup::compressionChoices())
        compressionList.addChoice(choice.text, choice.level);
    compressionList.setText(settings_.compression());
    ReadSettings();
    loaded_ = true;
    armIntervalTimer();
    notifyView();
}

void MainWindow::setEnvironment(ide::VBE* environment) {
    environment_ = environment;
    if (environment_) ReadSettings();
}

void MainWindow::close() {
    if (tabs.page(Tab::Info).enabled) closeAutomaticBackups();
    afterSaveTimer_.reset();
    intervalTimer_.reset();
    // A run in progress stops; the engine keeps the previous archive and removes its own file.
    if (backupRunning_) {
        services_.engine.cancel();
        closedDuringRun_ = true;
    }
    if (tabs.page(Tab::Info).enabled) {
        if (auto sideFile = shownSideFile()) WriteAKS(*sideFile);
        WriteSettings();
    }
    ScannedProjectName.clear();
    setProjectName("");
    loaded_ = false;
    notifyView();
}

void MainWindow::ResizeIt() {
    const long panelWidth = tabPanel.width, panelHeight = tabPanel.height;
    setWidth(fileList, panelWidth - 240);
    setHeight(fileList, panelHeight - 240);
    setWidth(memoBox, panelWidth - 240);
    setHeight(memoBox, panelHeight - 240);
    for (controls::Label* label : {&projectLabel, &descriptionLabel, &buildNameLabel})
        setWidth(*label, panelWidth - 1000);
    setWidth(referencesFrame, panelWidth - 240);
    setWidth(referenceList, referencesFrame.width - 240);
    setHeight(referencesFrame, panelHeight - 1100);
    setHeight(referenceList, referencesFrame.height - 400);
    setWidth(passwordFrame, panelWidth - 240);
    setWidth(passwordBox, passwordFrame.width - 1320);
    setWidth(passwordExplanation, passwordBox.width);
    setWidth(optionsFrame, panelWidth - 240);
    setWidth(automaticFrame, panelWidth - 240);
    setWidth(backupFolder, panelWidth - 2000);
    if (headerFrame.width - 1075 >= 0) addDateButton.left = headerFrame.width - 1075;
    CheckDir();
    fileList.touch();
    referenceList.touch();
    notifyView();
}

void MainWindow::tabSelected(Tab tab) {
    addDateButton.visible = false;
    switch (tab) {
        case Tab::Files:
            headerText.setCaption("Arkstash: Files to add");
            break;
        case Tab::Info:
            headerText.setCaption("Arkstash: Project info");
            break;
        case Tab::Properties:
            headerText.setCaption("Arkstash: Project properties");
            // Unsaved option changes give way to the stored values.
            ReadSettings();
            break;
        case Tab::Memo:
            headerText.setCaption("Arkstash: Project memo");
            addDateButton.visible = true;
            break;
        case Tab::Status:
            break;
    }
    notifyView();
}

void MainWindow::treeNodeCollapsed(std::size_t node) {
    if (node >= projectTree.nodes().size()) return;
    projectTree.node(node).expanded = false;
    if (projectTree.selected == node) projectTree.selected.reset();
    projectTree.touch();
    notifyView();
}

void MainWindow::treeNodeExpanded(std::size_t node) {
    if (node >= projectTree.nodes().size()) return;
    projectTree.node(node).expanded = true;
    projectTree.selected = node;
    projectTree.touch();
    notifyView();
}

std::optional<std::string> MainWindow::activeProjectFile() const {
    if (!environment_) return std::nullopt;
    std::optional<std::string> path;
    // No project open: there is no active project, hence no file.
    attempt([&] { path = environment_->ActiveVBProject().VBComponents().Parent().FileName(); });
    return path;
}

void MainWindow::notifyView() {
    if (viewChanged) viewChanged();
}

}  // namespace arkstash::window
