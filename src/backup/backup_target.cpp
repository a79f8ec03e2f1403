#include "backup/backup_target.h"

namespace arkstash::backup {

void CheckZipDir(form::MainForm&) {}
void CheckDir(form::MainForm&) {}
void FillCompressionList(form::MainForm&) {}
void cmbCompLevel_Click(form::MainForm&) {}
void chkPassword_Click(form::MainForm&) {}
void txtZipFile_KeyPress(form::MainForm&, int&) {}

}  // namespace arkstash::backup
