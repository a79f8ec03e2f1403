// The per-project side file (.aks): the memo and the files added by hand.
#pragma once

#include <string>

#include "form/main_form.h"

namespace arkstash::backup {

// The side file of the project shown: its folder, the name in lblProject, ".aks".
std::string SideFilePath(form::MainForm& frm);
void ReadAKS(form::MainForm& frm, const std::string& filename);
void WriteAKS(form::MainForm& frm, const std::string& filename);
void AddFile(form::MainForm& frm);
std::string fncGetFileNametoOpen(form::MainForm& frm, const std::string& strDialogTitle = {},
                                 const std::string& strFilter = {},
                                 const std::string& strDefaultExtention = {});
void txtMemo_KeyPress(form::MainForm& frm, int& keyAscii);
void cmdAddDate_Click(form::MainForm& frm);
// The side-file half of the Remove command: drops the selected user-added row and rewrites.
void RemoveUserFile(form::MainForm& frm);

}  // namespace arkstash::backup
