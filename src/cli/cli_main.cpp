#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/cli.h"

namespace arkstash::cli {

namespace {

bool hasDisplay(Io& io) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (auto value = io.getenv(name); value && !value->empty()) return true;
    return false;
}

int openDesktop(const DesktopStart& start, Io& io, const DesktopLauncher& desktop) {
    if (!desktop) {
        io.err << "arkstash: this build has no window; 'arkstash list' and 'arkstash backup' "
                  "work without one.\n";
        return kExitUsage;
    }
    // A screenshot renders offscreen when there is no display; the window needs one.
    if (!start.screenshot && !start.display) {
        io.err << "arkstash: no display to open the window on; 'arkstash list' and 'arkstash "
                  "backup' work without one.\n";
        return kExitUsage;
    }
    return desktop(start, io);
}

}  // namespace

int run(const std::vector<std::string>& args, Io& io, const DesktopLauncher& desktop) {
    CLI::App app{
        "Arkstash backs up Visual Basic 6 projects into ZIP archives.\n\n"
        "  arkstash [PROJECT.vbp | GROUP.vbg ...]\n"
        "      starts the environment host with the projects named, connects the Arkstash\n"
        "      add-in and opens its window on them, scanned (needs a display)\n"
        "  arkstash COMMAND ...\n"
        "      lists, backs up, verifies or restores without a window (see the commands below)",
        "arkstash"};
    app.set_version_flag("--version", std::string("arkstash ") + ARKSTASH_VERSION);
    app.require_subcommand(0, 1);
    app.footer(
        "Exit status: 0 every file written and verified; 1 no archive written (a previous one is "
        "kept);\n"
        "2 bad usage or a project that cannot be loaded; 3 archive written but files were "
        "skipped.");

    DesktopStart start;
    std::string screenshot;
    app.add_option("projects", start.projects,
                   "PROJECT.vbp or GROUP.vbg files to open in the environment host");
    app.add_option("--screenshot", screenshot,
                   "Draw the host with Arkstash's window over it, after the scan, into a PNG file "
                   "and exit")
        ->type_name("FILE.png");

    std::vector<Command> commands = {addListCommand(app, io), addBackupCommand(app, io),
                                     addVerifyCommand(app, io)};
    for (auto* add : {addHistoryCommand, addRestoreCommand, addDiffCommand})
        commands.push_back(add(app, io));

    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        io.out << app.help();
        return kExitOk;
    } catch (const CLI::CallForAllHelp&) {
        io.out << app.help("", CLI::AppFormatMode::All);
        return kExitOk;
    } catch (const CLI::CallForVersion&) {
        io.out << "arkstash " << ARKSTASH_VERSION << "\n";
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        io.err << "arkstash: " << e.what() << "\n";
        // A file whose name starts with "-" reads as an option; "--" ends the options.
        for (const auto& arg : args)
            if (arg.size() > 4 && arg[0] == '-' && arg[1] != '-' &&
                (arg.ends_with(".vbp") || arg.ends_with(".vbg") || arg.ends_with(".zip")))
                io.err << "arkstash: to name the file " << arg << ", put -- before it: "
                       << "arkstash COMMAND [OPTIONS] -- " << arg << "\n";
        io.err << "Run 'arkstash --help' for usage.\n";
        return kExitUsage;
    }
    for (auto& c : commands)
        if (c.app && c.app->parsed() && c.run) return c.run();
    if (!screenshot.empty()) start.screenshot = screenshot;
    start.display = hasDisplay(io);
    return openDesktop(start, io, desktop);
}

}  // namespace arkstash::cli
