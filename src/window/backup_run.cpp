// The backup run from the window, and the options on the Properties tab that decide it: the
// archive's name and folder, the compression and the password.
#include "backup/backup_plan.h"
#include "backup/backup_target.h"
#include "platform/error.h"
#include "util/paths.h"
#include "window/main_window.h"

namespace arkstash::window {

namespace {
constexpr const char* kReplaceQuestion = "Backup file exists, overwrite?";

bool fileExists(os::FileSystem& files, const std::string& path) {
    try {
        return files.findFirst(path, true).has_value();
    } catch (const std::exception&) {
        return false;  // a path the look-up refuses names no archive
    }
}

bool askToReplace(ui::Dialogs& dialogs) {
    return dialogs.show({kReplaceQuestion, ui::Buttons::YesNo, ui::Icon::Question, true,
                         "Project file"}) == ui::Answer::Yes;
}
}  // namespace

// Follows the engine's progress into the Status tab; its warnings become message boxes.
class BackupRun final : public archive::ArchiveObserver {
  public:
    explicit BackupRun(MainWindow& window) : window_(window) {}

    void preparing(const std::string& path) override {
        window_.statusLine.setCaption("Pre-processing: " + path);
        window_.notifyView();
    }
    void fileProgress(const std::string& path, int percent) override {
        window_.statusLine.setCaption("Adding: " + path);
        window_.notifyView();
        // A bar passes on what goes wrong while it draws; the run goes on without the picture.
        attempt([&] { window_.fileProgress.setValue(static_cast<float>(percent)); });
    }
    void overallProgress(int percent) override {
        attempt([&] { window_.overallProgress.setValue(static_cast<float>(percent)); });
    }
    void checking(int) override {
        // Reading a large archive back takes a while too; the window stays alive meanwhile.
        window_.services_.events.processPendingEvents();
    }
    void problem(const archive::FileProblem& problem) override {
        window_.services_.dialogs.inform("Warning: " + archive::describe(problem));
    }
    bool replaceTakenTarget(const std::string&) override {
        return askToReplace(window_.services_.dialogs);
    }

  private:
    MainWindow& window_;
};

void MainWindow::ZipFiles() {
    if (backupRunning_) return;
    addDateButton.visible = false;

    backup::BackupPlan plan;
    plan.references = includeReferences.isChecked();
    plan.files = backup::filesToBackUp(fileList.rows(), referenceList.rows, plan.references);
    // Files the projects name that the scan could not list still belong in the archive: the
    // engine says why each is missing, and the run does not count as complete.
    for (const auto& problem : scanProblems) plan.files.push_back(problem.path);
    for (const auto& file : filesLeftOutByLoad) plan.files.push_back(file);
    if (auto level = backup::compressionLevelOf(compressionList.text())) engineLevel_ = *level;
    plan.level = engineLevel_;
    plan.nameCodePage = nameCodePage;

    const std::string folder = backupFolder.text();
    const std::string name = archiveName.text();
    ui::Dialogs& dialogs = services_.dialogs;
    if (folder.empty()) {
        dialogs.inform("Select a backup directory", ui::Icon::Exclamation);
        return;
    }
    if (name.empty()) {
        dialogs.inform("Select a ZIPfile", ui::Icon::Exclamation);
        return;
    }
    if (backup::hasForbiddenCharacter(name)) {
        dialogs.inform(backup::kForbiddenCharactersMessage);
        tabs.select(Tab::Properties);
        archiveName.focus();
        notifyView();
        return;
    }
    plan.archivePath = util::JoinPath(folder, name);
    if (usePassword.isChecked() && !passwordBox.text().empty()) plan.password = passwordBox.text();

    // The engine replaces an existing archive only once the new one has passed its check, so
    // "Yes" deletes nothing here: a failed run keeps the old archive.
    bool replace = false;
    if (fileExists(services_.files, plan.archivePath)) {
        if (!askToReplace(dialogs)) return;
        replace = true;
    }

    backupRunning_ = true;
    closedDuringRun_ = false;
    for (Tab tab : {Tab::Files, Tab::Info, Tab::Properties, Tab::Memo})
        tabs.page(tab).enabled = false;
    tabs.page(Tab::Status).visible = true;
    tabs.select(Tab::Status);
    notifyView();
    // Showing the Status tab lets waiting events run; one of them may have closed the window.
    if (closedDuringRun_) {
        giveWindowBack();
        return;
    }

    BackupRun run(*this);
    archive::ArchiveResult result =
        services_.engine.write(backup::archiveRequest(plan, replace), run);

    if (result.outcome == archive::Outcome::Complete) {
        statusLine.setCaption("Backup completed");
        keepNewestDated(result.writtenTo);
        CheckDir();
    }
    // A run the user stopped by closing the window has nobody left to tell.
    if (!closedDuringRun_)
        dialogs.inform(result.outcome == archive::Outcome::Complete
                           ? std::string("Project backup completed")
                           : backup::describeResult(result));
    giveWindowBack();
}

void MainWindow::giveWindowBack() {
    for (Tab tab : {Tab::Files, Tab::Info, Tab::Properties, Tab::Memo})
        tabs.page(tab).enabled = true;
    tabs.select(Tab::Files);
    tabs.page(Tab::Status).visible = false;
    backupRunning_ = false;
    notifyView();
}

void MainWindow::CheckZipDir() {
    std::optional<os::DateTime> dated;
    if (addDateOption.isChecked()) dated = services_.clock.now();
    archiveName.setText(backup::archiveNameFor(activeProjectFile().value_or(""), dated));
    CheckDir();
}

void MainWindow::CheckDir() {
    std::string archive = util::JoinPath(backupFolder.text(), archiveName.text());
    if (fileExists(services_.files, archive)) {
        archiveName.width = tabPanel.width - 3050;
        viewArchiveButton.left = archiveName.left + archiveName.width + 170;
        viewArchiveButton.visible = true;
    } else {
        viewArchiveButton.visible = false;
        archiveName.width = tabPanel.width - 2000;
    }
    notifyView();
}

void MainWindow::viewArchive() {
    services_.shell.openPath(util::JoinPath(backupFolder.text(), archiveName.text()));
}

void MainWindow::compressionPicked() {
    settings_.storeCompression(compressionList.text());
}

void MainWindow::passwordOptionClicked() {
    bool on = usePassword.isChecked();
    passwordCaption.enabled = on;
    passwordBox.enabled = on;
    passwordExplanation.enabled = on;
    notifyView();
}

int MainWindow::archiveNameKeyPressed(int key) {
    // The character still goes in: the backup refuses the name when it runs.
    if (key > 0 && key < 128 && backup::isForbiddenInName(static_cast<char>(key)))
        services_.dialogs.inform(backup::kForbiddenCharactersMessage);
    return key;
}

}  // namespace arkstash::window
