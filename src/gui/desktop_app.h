// The desktop start: the window opened on the projects named on the command line and scanned,
// as the environment's add-in opens it; or, for --screenshot, drawn once after the scan into a
// PNG file.
#pragma once

#include "cli/cli.h"

namespace arkstash::gui {

// Runs the window until it is closed and answers the exit status. `programName` is argv[0].
int runDesktop(const cli::DesktopStart& start, cli::Io& io, const char* programName);

}  // namespace arkstash::gui
