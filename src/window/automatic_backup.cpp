// Backups the window makes on its own: a few seconds after a save, every few minutes, and when it
// closes, each only when the files changed since the project's newest complete archive. They are
// dated, so they never ask to replace anything; they leave the tab the user looks at alone; and
// they speak up only when something went wrong, since nobody asked for them at that moment.
#include <charconv>

#include "backup/backup_plan.h"
#include "backup/backup_target.h"
#include "backup/run_history.h"
#include "platform/error.h"
#include "util/paths.h"
#include "window/main_window.h"

namespace arkstash::window {

namespace {

constexpr const char* kNotificationTitle = "Arkstash: automatic backup";

// Lets the window's events run while the engine works; nothing of the run is shown.
class QuietRun final : public archive::ArchiveObserver {
  public:
    explicit QuietRun(ui::EventLoop& events) : events_(events) {}
    void fileProgress(const std::string&, int) override { events_.processPendingEvents(); }
    void checking(int) override { events_.processPendingEvents(); }
    // Dated names: a name taken is an archive of this very second, which is kept.
    bool replaceTakenTarget(const std::string&) override { return false; }

  private:
    ui::EventLoop& events_;
};

std::optional<int> numberIn(const controls::ComboBox& box, int highest) {
    if (auto index = box.selectedIndex()) return static_cast<int>(box.choices[*index].data);
    int value = 0;
    const std::string& text = box.text();
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > highest)
        return std::nullopt;
    return value;
}

}  // namespace

void MainWindow::defineAutomaticControls() {
    automaticFrame.name = "frmAutomatic";
    automaticFrame.caption = "Automatic backups";
    backUpAfterSaving.name = "chkAutoAfterSave";
    backUpAfterSaving.caption = "Back up after saving";
    backUpEvery.name = "chkAutoEvery";
    backUpEvery.caption = "Back up every";
    backUpMinutes.name = "cmbAutoMinutes";
    for (int minutes : {5, 10, 15, 30, 60})
        backUpMinutes.addChoice(std::to_string(minutes), minutes);
    backUpMinutesCaption.name = "lblAutoMinutes";
    backUpMinutesCaption.setCaption("minutes while the project is open");
    backUpOnClosing.name = "chkAutoOnClose";
    backUpOnClosing.caption = "Back up when the window or host closes";
    keepDated.name = "chkKeepDated";
    keepDated.caption = "Keep the last";
    keepCount.name = "cmbKeepCount";
    for (int count : {3, 5, 10, 20, 50, 100}) keepCount.addChoice(std::to_string(count), count);
    keepCountCaption.name = "lblKeepCount";
    keepCountCaption.setCaption("dated archives");
    showAutomaticOptions(automatic_);

    for (controls::CheckBox* box : {&backUpAfterSaving, &backUpEvery, &backUpOnClosing, &keepDated})
        box->clicked = [this] { automaticOptionChanged(); };
    for (controls::ComboBox* box : {&backUpMinutes, &keepCount})
        box->picked = [this] { automaticOptionChanged(); };
}

void MainWindow::showAutomaticOptions(const AutomaticBackupOptions& options) {
    backUpAfterSaving.setChecked(options.afterSaving);
    backUpEvery.setChecked(options.everyFewMinutes);
    backUpMinutes.setText(std::to_string(options.minutes));
    backUpOnClosing.setChecked(options.onClosing);
    keepDated.setChecked(options.keepDated);
    keepCount.setText(std::to_string(options.keepCount));
    backUpMinutes.enabled = backUpMinutesCaption.enabled = options.everyFewMinutes;
    keepCount.enabled = keepCountCaption.enabled = options.keepDated;
}

AutomaticBackupOptions MainWindow::automaticOptionsShown() const {
    AutomaticBackupOptions options;
    options.afterSaving = backUpAfterSaving.isChecked();
    options.everyFewMinutes = backUpEvery.isChecked();
    options.minutes = numberIn(backUpMinutes, options.kMaxMinutes).value_or(automatic_.minutes);
    options.onClosing = backUpOnClosing.isChecked();
    options.keepDated = keepDated.isChecked();
    options.keepCount = numberIn(keepCount, options.kMaxKept).value_or(automatic_.keepCount);
    return options;
}

void MainWindow::automaticOptionChanged() {
    AutomaticBackupOptions options = automaticOptionsShown();
    settings_.storeAutomaticBackups(options);
    const bool intervalChanged = options.everyFewMinutes != automatic_.everyFewMinutes ||
                                 options.minutes != automatic_.minutes;
    automatic_ = options;
    showAutomaticOptions(automatic_);
    if (!automatic_.afterSaving) {
        afterSaveTimer_.reset();
        saveBackupDue_ = false;
    }
    if (intervalChanged) armIntervalTimer();
    notifyView();
}

void MainWindow::readAutomaticOptions() {
    AutomaticBackupOptions stored = settings_.automaticBackups();
    const bool intervalChanged = stored.everyFewMinutes != automatic_.everyFewMinutes ||
                                 stored.minutes != automatic_.minutes || !intervalTimer_;
    automatic_ = stored;
    showAutomaticOptions(automatic_);
    if (intervalChanged) armIntervalTimer();
}

void MainWindow::closeAutomaticBackups() {
    // A save whose backup was still waiting gets it now, as does a close that asks for one.
    if (loaded_ && !backupRunning_ && (automatic_.onClosing || saveBackupDue_))
        AutomaticBackup(AutomaticTrigger::Closing);
    saveBackupDue_ = false;
    afterSaveTimer_.reset();
    intervalTimer_.reset();
}

void MainWindow::armIntervalTimer() {
    intervalTimer_.reset();
    if (!automatic_.everyFewMinutes || !loaded_) return;
    intervalTimer_ =
        services_.events.startTimer(std::chrono::minutes(automatic_.minutes), true,
                                    [this] { AutomaticBackup(AutomaticTrigger::Interval); });
}

void MainWindow::fileWritten(const std::string& /*path*/) {
    if (!loaded_ || !automatic_.afterSaving) return;
    // Each write starts the quiet time again: one backup for the whole save.
    saveBackupDue_ = true;
    afterSaveTimer_ = services_.events.startTimer(kSaveQuietTime, false, [this] {
        if (scanning_ || backupRunning_) {
            fileWritten({});  // at work now: again once the quiet time has passed once more
            return;
        }
        saveBackupDue_ = false;
        AutomaticBackup(AutomaticTrigger::AfterSaving);
    });
}

MainWindow::AutomaticOutcome MainWindow::AutomaticBackup(AutomaticTrigger trigger) {
    if (backupRunning_ || scanning_ || !loaded_) return AutomaticOutcome::NotRun;
    // Named for the project whose backup folder the window shows, so name and folder agree.
    const std::optional<std::string> projectFile =
        settingsProject_ ? settingsProject_ : activeProjectFile();
    backup::BackupPlan plan;
    plan.references = includeReferences.isChecked();
    plan.files = backup::filesToBackUp(fileList.rows(), referenceList.rows, plan.references);
    // Nothing scanned, nothing to compare with: the window has not been shown on a project.
    if (!projectFile || projectFile->empty() || plan.files.empty()) return AutomaticOutcome::NotRun;
    for (const auto& problem : scanProblems) plan.files.push_back(problem.path);
    for (const auto& file : filesLeftOutByLoad) plan.files.push_back(file);
    if (auto level = backup::compressionLevelOf(compressionList.text())) engineLevel_ = *level;
    plan.level = engineLevel_;
    plan.nameCodePage = nameCodePage;
    if (usePassword.isChecked() && !passwordBox.text().empty()) plan.password = passwordBox.text();

    const std::string folder = backupFolder.text();
    const std::string name = backup::archiveNameFor(*projectFile, services_.clock.now());
    if (folder.empty() || name.empty() || backup::hasForbiddenCharacter(name)) {
        reportAutomatic(folder.empty() ? "no backup directory is set"
                                       : "the project's name cannot name an archive: " + name);
        return AutomaticOutcome::Failed;
    }
    plan.archivePath = util::JoinPath(folder, name);
    if (backup::unchangedSince(services_.engine, services_.files, plan, *projectFile))
        return AutomaticOutcome::Unchanged;

    backupRunning_ = true;
    closedDuringRun_ = false;
    QuietRun run(services_.events);
    archive::ArchiveResult result =
        services_.engine.write(backup::archiveRequest(plan, false), run);
    backupRunning_ = false;

    switch (result.outcome) {
        case archive::Outcome::Complete:
            keepNewestDated(result.writtenTo);
            // A report of an earlier failure is over.
            statusBarText.clear();
            CheckDir();
            return AutomaticOutcome::Written;
        case archive::Outcome::Incomplete:
            reportAutomatic(backup::describeResult(result));
            return AutomaticOutcome::Incomplete;
        default:
            // Stopped by the close sequence on its way: that is no failure to report, except
            // for the run the close sequence itself asked for.
            if (!closedDuringRun_ || trigger == AutomaticTrigger::Closing)
                reportAutomatic(backup::describeResult(result));
            return AutomaticOutcome::Failed;
    }
}

void MainWindow::keepNewestDated(const std::string& written) {
    if (!automatic_.keepDated) return;
    const auto projectFile = activeProjectFile();
    if (!projectFile) return;
    const std::string folder = util::DirOf(written);
    std::vector<backup::ArchiveRemoval> removals;
    if (!attempt([&] {
            removals = backup::removeArchivesBeyond(services_.files, folder, *projectFile,
                                                    static_cast<std::size_t>(automatic_.keepCount),
                                                    written);
        }))
        return;  // a folder that cannot be listed now is tidied after the next run
    for (const auto& removal : removals)
        if (!removal.removed) reportAutomatic("could not remove the old archive " + removal.path);
}

void MainWindow::reportAutomatic(const std::string& text) {
    statusBarText = "Automatic backup: " + text;
    services_.shell.notify(kNotificationTitle, text);
    notifyView();
}

}  // namespace arkstash::window
