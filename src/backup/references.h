// The references and components list, and the look-up of a control's file from its ".oca".
#pragma once

#include <string>

#include "form/main_form.h"

namespace arkstash::backup {

void LoadReferences(form::MainForm& frm);
void chkAddComponents_Click(form::MainForm& frm);
void ListView2_MouseUp(form::MainForm& frm, int button);

}  // namespace arkstash::backup
