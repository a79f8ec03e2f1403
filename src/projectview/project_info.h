// The "Info" tab: the active project's name, description, build name; the memo's hand-over
// when the shown project changes.
#pragma once

#include "form/main_form.h"

namespace arkstash::projectview {

void ProjectInfo(form::MainForm& frm);
void lblProjectName_Change(form::MainForm& frm);

}  // namespace arkstash::projectview
