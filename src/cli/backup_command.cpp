#include <CLI/CLI.hpp>

#include <ostream>

#include "cli/cli.h"

namespace arkstash::cli {

Command addBackupCommand(CLI::App& app, Io& io) {
    auto* sub = app.add_subcommand("backup", "backup (not built yet)");
    return {sub, [&io] {
                io.err << "arkstash: backup is not built yet\n";
                return kExitUsage;
            }};
}

}  // namespace arkstash::cli
