#include "backup/zip_files.h"

namespace arkstash::backup {

void ZipFiles(form::MainForm&) {}
bool BackupRunning(const form::MainForm& frm) {
    return frm.backupRunning;
}

}  // namespace arkstash::backup
