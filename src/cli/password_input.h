// Where a command gets an archive password from. Never from its own command line, where other
// users of the machine could read it: from a file, from an environment variable, or typed at
// a terminal prompt that does not echo.
#pragma once

#include <optional>
#include <string>

#include "cli/cli.h"

namespace arkstash::cli {

struct PasswordOptions {
    std::string file;  // --password-file
    std::string env;   // --password-env
    bool ask = false;  // --ask-password
    bool given() const { return !file.empty() || !env.empty() || ask; }
};

// Adds --password-file, --password-env and --ask-password (at most one of them) to a command.
void addPasswordOptions(CLI::App& app, PasswordOptions& options);

// The password the options name; "" when none was asked for. `confirm` asks twice at a prompt
// (a mistyped password would make a new archive unreadable). Answers nullopt with `error` set
// when the password cannot be had: a missing or empty file or variable, a prompt without a
// terminal, two different answers.
std::optional<std::string> obtainPassword(const PasswordOptions& options, Io& io, bool confirm,
                                          std::string& error);

// Reads one line at a prompt on stderr without echoing it when stdin is a terminal.
std::optional<std::string> promptPassword(Io& io, const std::string& prompt);

}  // namespace arkstash::cli
