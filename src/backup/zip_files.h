// The backup run: hands the ticked rows to the archive engine and follows its events.
#pragma once

#include "form/main_form.h"

namespace arkstash::backup {

void ZipFiles(form::MainForm& frm);
bool BackupRunning(const form::MainForm& frm);

}  // namespace arkstash::backup
