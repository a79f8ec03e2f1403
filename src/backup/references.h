// The references and components list, and the look-up of a control's file from its ".oca".
#pragma once

#include <string>

#include "form/main_form.h"

namespace arkstash::backup {

// Rebuilds ListView2: one row per distinct library the open projects refer to, with the file
// that holds it. Files that exist (and ".oca" files resolved to their control) are ticked.
void LoadReferences(form::MainForm& frm);
// The option's click: enables the frame and the list with it and stores it as "AddRef" at once.
void chkAddComponents_Click(form::MainForm& frm);
// A released mouse button over ListView2 (1 left, 2 right): the right one opens its pop-up menu.
void ListView2_MouseUp(form::MainForm& frm, int button);

}  // namespace arkstash::backup
