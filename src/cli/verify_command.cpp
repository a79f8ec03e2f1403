#include <CLI/CLI.hpp>

#include <ostream>

#include "cli/cli.h"

namespace arkstash::cli {

Command addVerifyCommand(CLI::App& app, Io& io) {
    auto* sub = app.add_subcommand("verify", "verify (not built yet)");
    return {sub, [&io] {
                io.err << "arkstash: verify is not built yet\n";
                return kExitUsage;
            }};
}

}  // namespace arkstash::cli
