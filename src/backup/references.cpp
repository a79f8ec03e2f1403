#include "backup/references.h"

namespace arkstash::backup {

void LoadReferences(form::MainForm&) {}
void chkAddComponents_Click(form::MainForm&) {}
void ListView2_MouseUp(form::MainForm&, int) {}

}  // namespace arkstash::backup
