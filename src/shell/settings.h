// Moving the window's options between the settings store and its controls.
#pragma once

#include "form/main_form.h"

namespace arkstash::shell {

void ReadSettings(form::MainForm& frm);
void WriteSettings(form::MainForm& frm);

}  // namespace arkstash::shell
