#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/cli.h"

namespace arkstash::cli {

int run(const std::vector<std::string>& args, Io& io) {
    CLI::App app{"Arkstash backs up Visual Basic 6 projects into ZIP archives.", "arkstash"};
    app.set_version_flag("--version", std::string("arkstash ") + ARKSTASH_VERSION);
    app.require_subcommand(1);
    app.footer(
        "Exit status: 0 every file written and verified; 1 no archive written (a previous one is "
        "kept);\n"
        "2 bad usage or a project that cannot be loaded; 3 archive written but files were "
        "skipped.");

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
    return kExitUsage;
}

}  // namespace arkstash::cli
