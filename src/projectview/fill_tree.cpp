#include "projectview/fill_tree.h"

namespace arkstash::projectview {

void FillTree(form::MainForm&, EventHolder*) {}

}  // namespace arkstash::projectview
