// Where a project's side file lives. Both the project information (which reads it) and the
// side-file commands (which rewrite it) need the rule, so it sits below both.
#pragma once

#include <string>

#include "form/main_form.h"

namespace arkstash::form {

// The folder of the active project's file, the name shown in lblProject, ".aks". Empty when it
// cannot be formed: no environment, a project never saved, an empty name, or a name holding a
// separator (it would put the file outside the project's folder).
std::string SideFilePath(MainForm& frm);

}  // namespace arkstash::form
