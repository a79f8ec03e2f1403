// The backup run: hands the ticked rows to the archive engine and follows its events.
#pragma once

#include <cstdint>
#include <string>

#include "form/main_form.h"

namespace arkstash::backup {

// Text of a forbidden character in an archive name, as the name field and the run show it.
extern const char* const kForbiddenCharactersMessage;

// Fills the engine from the window, checks the target, asks before an existing archive is
// replaced, shows the Status tab and runs the engine. Does nothing while a run is in progress
// (a Backup command can arrive through the message loop during one), and nothing at all when
// the window has no engine: then no run can start, and checks or questions would only promise
// one.
void ZipFiles(form::MainForm& frm);
bool BackupRunning(const form::MainForm& frm);

// The engine's events as the window handles them.
void ZipEngine_ZipPreprocessingFile(form::MainForm& frm, const std::string& fileName);
void ZipEngine_FileStatus(form::MainForm& frm, const std::string& fileName,
                          std::int16_t filePercent);
void ZipEngine_GlobalStatus(form::MainForm& frm, std::int16_t globalPercent);
void ZipEngine_Warning(form::MainForm& frm, const archive::FileProblem& problem);
void ZipEngine_ProcessCompleted(form::MainForm& frm, const archive::ArchiveResult& result);

// The engine level for a compression text of the list; -1 when the text is none of them.
int CompressionLevelOf(const std::string& text);

}  // namespace arkstash::backup
