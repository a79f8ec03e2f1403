// Where and how a backup is written: archive name, View button, compression list, password.
#pragma once

#include "form/main_form.h"

namespace arkstash::backup {

void CheckZipDir(form::MainForm& frm);
void CheckDir(form::MainForm& frm);
// Fills the compression list (at load) and shows the stored level.
void FillCompressionList(form::MainForm& frm);
void cmbCompLevel_Click(form::MainForm& frm);
void chkPassword_Click(form::MainForm& frm);
void txtZipFile_KeyPress(form::MainForm& frm, int& keyAscii);

}  // namespace arkstash::backup
