// The desktop start: the environment host with the projects named on the command line, the
// add-in connected as its add-in manager says, and — when projects were named — its button
// pressed once, so the user lands in Arkstash's window with the projects scanned. With
// --screenshot, the host and that window are drawn into a PNG file instead.
#pragma once

#include "cli/cli.h"

namespace arkstash::gui {

// Runs the host until it is closed and answers the exit status. `programName` is argv[0].
int runDesktop(const cli::DesktopStart& start, cli::Io& io, const char* programName);

}  // namespace arkstash::gui
