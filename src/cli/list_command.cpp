#include <CLI/CLI.hpp>

#include <ostream>

#include "cli/cli.h"

namespace arkstash::cli {

Command addListCommand(CLI::App& app, Io& io) {
    auto* sub = app.add_subcommand("list", "list (not built yet)");
    return {sub, [&io] {
                io.err << "arkstash: list is not built yet\n";
                return kExitUsage;
            }};
}

}  // namespace arkstash::cli
