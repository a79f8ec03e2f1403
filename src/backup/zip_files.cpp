#include "backup/zip_files.h"

#include "form/helpers.h"
#include "platform/error.h"

namespace arkstash::backup {

const char* const kForbiddenCharactersMessage =
    "Characters \\/:*?"
    "\""
    "<>| are not allowed in filename";

namespace {

constexpr const char* kForbiddenCharacters = "\\/:*?\"<>|";

// The window as it is outside a run: tabs 1 to 4 usable, "Files" in front, Status hidden.
void giveWindowBack(form::MainForm& frm) {
    for (int t = form::tabs::kFiles; t <= form::tabs::kMemo; ++t)
        attempt([&] { frm.SSActiveTabs1.tab(t).enabled = true; });
    attempt([&] { frm.SSActiveTabs1.select(form::tabs::kFiles); });
    attempt([&] { frm.SSActiveTabs1.tab(form::tabs::kStatus).visible = false; });
    frm.backupRunning = false;
}

// Each redraw of a progress bar lets the window's pending messages run once. A bar that has the
// window's loop does that itself; for one that has none (no view attached) the run does it, so
// a headless window sees the same points of re-entry.
void letMessagesRun(form::MainForm& frm, const controls::vbwProgressBar& bar) {
    if (!bar.eventLoop()) attempt([&] { frm.platform.loop.DoEvents(); });
}

// The engine's observer as the window follows it.
class WindowObserver : public archive::ArchiveObserver {
  public:
    explicit WindowObserver(form::MainForm& frm) : frm_(frm) {}
    void preparing(const std::string& path) override { ZipEngine_ZipPreprocessingFile(frm_, path); }
    void fileProgress(const std::string& path, int percent) override {
        ZipEngine_FileStatus(frm_, path, static_cast<std::int16_t>(percent));
    }
    void overallProgress(int percent) override {
        ZipEngine_GlobalStatus(frm_, static_cast<std::int16_t>(percent));
    }
    void problem(const archive::FileProblem& problem) override { ZipEngine_Warning(frm_, problem); }

  private:
    form::MainForm& frm_;
};

}  // namespace

int CompressionLevelOf(const std::string& text) {
    if (text == "No Compression") return 0;
    if (text == "Low") return 1;
    if (text == "Normal") return 6;
    if (text == "Maximum") return 9;
    return -1;
}

bool BackupRunning(const form::MainForm& frm) {
    return frm.backupRunning;
}

void ZipFiles(form::MainForm& frm) {
    if (frm.backupRunning) return;
    archive::ArchiveEngine* engine = frm.platform.engine;
    if (!engine) return;
    auto& dialogs = frm.platform.dialogs;

    archive::ArchiveRequest request;
    attempt([&] { frm.cmdAddDate.Visible = false; });
    for (const auto& row : frm.ListView1.items)
        if (row.checked) request.files.push_back(row.text);
    if (frm.chkAddComponents.Value() == 1)
        for (const auto& row : frm.ListView2.items)
            if (row.checked) request.files.push_back(row.cell(2));
    int level = CompressionLevelOf(frm.cmbCompLevel.Text());
    if (level >= 0) request.level = level;

    const std::string dir = frm.txtBackupDir.Text();
    const std::string name = frm.txtZipFile.Text();
    if (dir.empty()) {
        attempt([&] { dialogs.MsgBox("Select a backup directory", ui::vbExclamation); });
        return;
    }
    if (name.empty()) {
        attempt([&] { dialogs.MsgBox("Select a ZIPfile", ui::vbExclamation); });
        return;
    }
    if (name.find_first_of(kForbiddenCharacters) != std::string::npos) {
        attempt([&] { dialogs.MsgBox(kForbiddenCharactersMessage); });
        attempt([&] { frm.SSActiveTabs1.select(form::tabs::kProperties); });
        frm.txtZipFile.SetFocus();
        return;
    }

    request.target = form::JoinPath(dir, name);
    bool withPassword = frm.chkPassword.Value() == 1 && !frm.txtPassword.Text().empty();
    if (withPassword) request.password = frm.txtPassword.Text();

    // The engine replaces an existing archive only once the new one has passed its check, so
    // "Yes" no longer deletes anything here: a failed run keeps the old archive.
    if (form::FileExists(frm.platform.fs, request.target) == "True") {
        int answer = ui::vbNo;  // a question that cannot be asked is not a Yes
        attempt([&] {
            answer =
                dialogs.MsgBox("Backup file exists, overwrite?",
                               ui::vbYesNo | ui::vbQuestion | ui::vbDefaultButton2, "Project file");
        });
        if (answer != ui::vbYes) return;
        request.replaceExisting = true;
    }

    frm.backupRunning = true;
    for (int t = form::tabs::kFiles; t <= form::tabs::kMemo; ++t)
        attempt([&] { frm.SSActiveTabs1.tab(t).enabled = false; });
    attempt([&] { frm.SSActiveTabs1.tab(form::tabs::kStatus).visible = true; });
    attempt([&] { frm.SSActiveTabs1.select(form::tabs::kStatus); });

    WindowObserver observer(frm);
    try {
        ZipEngine_ProcessCompleted(frm, engine->write(request, observer));
    } catch (const std::exception& e) {
        // An engine that fails outside its completion event would otherwise leave the window
        // locked on the Status tab with no word of what happened.
        if (frm.backupRunning) {
            attempt([&] { dialogs.MsgBox(e.what()); });
            giveWindowBack(frm);
        }
    }
    if (frm.backupRunning) giveWindowBack(frm);
}

void ZipEngine_ZipPreprocessingFile(form::MainForm& frm, const std::string& fileName) {
    attempt([&] { frm.lblStatus.setCaption("Pre-processing: " + fileName); });
}

void ZipEngine_FileStatus(form::MainForm& frm, const std::string& fileName,
                          std::int16_t filePercent) {
    attempt([&] { frm.lblStatus.setCaption("Adding: " + fileName); });
    attempt([&] { frm.vbwProgressBar1.setValue(filePercent); });
    letMessagesRun(frm, frm.vbwProgressBar1);
}

void ZipEngine_GlobalStatus(form::MainForm& frm, std::int16_t globalPercent) {
    attempt([&] { frm.vbwProgressBar2.setValue(globalPercent); });
    letMessagesRun(frm, frm.vbwProgressBar2);
}

void ZipEngine_Warning(form::MainForm& frm, const archive::FileProblem& problem) {
    attempt([&] { frm.platform.dialogs.MsgBox("Warning: " + archive::describe(problem)); });
}

void ZipEngine_ProcessCompleted(form::MainForm& frm, const archive::ArchiveResult& result) {
    if (result.outcome != archive::Outcome::Complete) {
        attempt([&] {
            std::string text = archive::describe(result.outcome);
            if (!result.detail.empty()) text += ": " + result.detail;
            frm.platform.dialogs.MsgBox(text);
        });
    } else {
        attempt([&] { frm.lblStatus.setCaption("Backup completed"); });
        attempt([&] { form::MainForm::run(frm.routines.CheckDir); });
        attempt([&] { frm.platform.dialogs.MsgBox("Project backup completed"); });
    }
    giveWindowBack(frm);
}

}  // namespace arkstash::backup
