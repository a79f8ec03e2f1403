// What history, restore and diff share: loading the project they are about, and the password of
// an archive they read.
#pragma once

#include <optional>
#include <string>

#include "cli/cli.h"
#include "cli/password_input.h"
#include "cli/project_session.h"

namespace arkstash::cli {

// Loads a project or group into the session, its warnings on stderr. False, having said why,
// when it cannot be loaded.
bool loadProject(ProjectSession& session, const std::string& path, Io& io);

// The password to read an archive with: the one the options name; or, when they name none, the
// archive has encrypted entries and stdin is a terminal, one typed at a prompt (as verify asks).
// None, with `error` set, when a named password cannot be had.
std::optional<std::string> archivePassword(const PasswordOptions& options, bool encrypted, Io& io,
                                           std::string& error);

// Runs a command's body so that nothing unexpected escapes it: such an error is one line on
// stderr and exit status 2.
int guarded(Io& io, const std::function<int()>& body);

}  // namespace arkstash::cli
