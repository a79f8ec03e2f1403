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

void wireEvents(form::MainForm& frm, archive::ZipEngine& engine) {
    form::MainForm* f = &frm;
    engine.events.ZipPreprocessingFile = [f](std::string& name) {
        ZipEngine_ZipPreprocessingFile(*f, name);
    };
    engine.events.FileStatus = [f](const std::string& name, std::int16_t percent) {
        ZipEngine_FileStatus(*f, name, percent);
    };
    engine.events.GlobalStatus = [f](std::int16_t percent) { ZipEngine_GlobalStatus(*f, percent); };
    engine.events.Warning = [f](const std::string& name, std::int32_t code) {
        ZipEngine_Warning(*f, name, code);
    };
    engine.events.ProcessCompleted = [f](std::int32_t code) {
        ZipEngine_ProcessCompleted(*f, code);
    };
}

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
    archive::ZipEngine* engine = frm.platform.engine;
    if (!engine) return;
    auto& dialogs = frm.platform.dialogs;

    attempt([&] { engine->setFilesToProcess(""); });
    attempt([&] { frm.cmdAddDate.Visible = false; });
    for (const auto& row : frm.ListView1.items)
        if (row.checked) attempt([&] { engine->AddFilesToProcess(row.text); });
    if (frm.chkAddComponents.Value() == 1)
        for (const auto& row : frm.ListView2.items)
            if (row.checked) attempt([&] { engine->AddFilesToProcess(row.cell(2)); });
    attempt([&] {
        int level = CompressionLevelOf(frm.cmbCompLevel.Text());
        if (level >= 0) engine->setCompressionLevel(level);
    });

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

    attempt([&] { engine->setZipFilename(form::JoinPath(dir, name)); });
    attempt([&] {
        bool withPassword = frm.chkPassword.Value() == 1 && !frm.txtPassword.Text().empty();
        engine->setEncryptionPassword(withPassword ? frm.txtPassword.Text() : std::string());
    });

    // The engine replaces an existing archive only once the new one has passed its check, so
    // "Yes" no longer deletes anything here: a failed run keeps the old archive.
    if (form::FileExists(frm.platform.fs, engine->ZipFilename()) == "True") {
        int answer = ui::vbNo;  // a question that cannot be asked is not a Yes
        attempt([&] {
            answer =
                dialogs.MsgBox("Backup file exists, overwrite?",
                               ui::vbYesNo | ui::vbQuestion | ui::vbDefaultButton2, "Project file");
        });
        if (answer != ui::vbYes) return;
    }

    frm.backupRunning = true;
    for (int t = form::tabs::kFiles; t <= form::tabs::kMemo; ++t)
        attempt([&] { frm.SSActiveTabs1.tab(t).enabled = false; });
    attempt([&] { frm.SSActiveTabs1.tab(form::tabs::kStatus).visible = true; });
    attempt([&] { frm.SSActiveTabs1.select(form::tabs::kStatus); });

    wireEvents(frm, *engine);
    try {
        engine->Zip();
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

void ZipEngine_ZipPreprocessingFile(form::MainForm& frm, std::string& fileName) {
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

void ZipEngine_Warning(form::MainForm& frm, const std::string&, std::int32_t warningCode) {
    attempt([&] {
        std::string text =
            frm.platform.engine->GetErrorDescription(archive::kWarningCode, warningCode);
        frm.platform.dialogs.MsgBox("Warning: " + text);
    });
}

void ZipEngine_ProcessCompleted(form::MainForm& frm, std::int32_t resultCode) {
    if (resultCode != 0) {
        attempt([&] {
            std::string text =
                frm.platform.engine->GetErrorDescription(archive::kResultCode, resultCode);
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
