#include "shell/settings.h"

namespace arkstash::shell {

void ReadSettings(form::MainForm&) {}
void WriteSettings(form::MainForm&) {}

}  // namespace arkstash::shell
