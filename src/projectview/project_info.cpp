#include "projectview/project_info.h"

namespace arkstash::projectview {

void ProjectInfo(form::MainForm&) {}
void lblProjectName_Change(form::MainForm&) {}

}  // namespace arkstash::projectview
