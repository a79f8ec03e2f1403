#include "backup/side_file.h"

namespace arkstash::backup {

std::string SideFilePath(form::MainForm&) {
    return {};
}
void ReadAKS(form::MainForm&, const std::string&) {}
void WriteAKS(form::MainForm&, const std::string&) {}
void AddFile(form::MainForm&) {}
std::string fncGetFileNametoOpen(form::MainForm&, const std::string&, const std::string&,
                                 const std::string&) {
    return {};
}
void txtMemo_KeyPress(form::MainForm&, int&) {}
void cmdAddDate_Click(form::MainForm&) {}
void RemoveUserFile(form::MainForm&) {}

}  // namespace arkstash::backup
