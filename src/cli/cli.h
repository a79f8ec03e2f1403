// The command line: `arkstash list|backup|verify ...`. Each command is a small object whose
// streams the caller hands in, so tests capture what a user would see.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace arkstash::cli {

// Exit statuses of the command line.
enum ExitStatus : int {
    kExitOk = 0,
    kExitNoArchive = 1,     // nothing was written; a previous archive is kept
    kExitUsage = 2,         // bad usage, or input that cannot be loaded
    kExitFilesSkipped = 3,  // the archive was written, but some files were not in it
};

struct Io {
    std::ostream& out;
    std::ostream& err;
    std::istream& in;
    bool errIsTerminal = false;
    bool inIsTerminal = false;
    // Environment look-up (tests replace it).
    std::function<std::optional<std::string>(const std::string&)> getenv;
};

// Opening the desktop window on projects named without a command. The window lives in the Qt
// part of the program, which hands its launcher in from main(); a build without it has none.
struct DesktopStart {
    std::vector<std::string> projects;
    std::optional<std::string> screenshot;  // render the scanned window into this PNG and exit
    bool display = false;                   // a screen to show the window on is known
};
using DesktopLauncher = std::function<int(const DesktopStart& start, Io& io)>;

// Runs the command line and answers the exit status.
int run(const std::vector<std::string>& args, Io& io, const DesktopLauncher& desktop = {});

// Each command adds its sub-command to the app; the returned function runs it after parsing.
using CommandRunner = std::function<int()>;
struct Command {
    CLI::App* app = nullptr;
    CommandRunner run;
};
Command addListCommand(CLI::App& app, Io& io);
Command addBackupCommand(CLI::App& app, Io& io);
Command addVerifyCommand(CLI::App& app, Io& io);
// Kept history: what a project's archives are, putting one back, what changed since one.
Command addHistoryCommand(CLI::App& app, Io& io);
Command addRestoreCommand(CLI::App& app, Io& io);
Command addDiffCommand(CLI::App& app, Io& io);

}  // namespace arkstash::cli
