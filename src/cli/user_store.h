// The user's own settings and type-library registrations, shared with the desktop app, and
// the loader's options that follow from them (code page, drive mappings, registrations).
#pragma once

#include <memory>
#include <string>

#include "cli/cli.h"
#include "platform/ide/loader.h"
#include "platform/os/file_system.h"
#include "platform/registry/registry.h"

namespace arkstash::cli {

struct UserStore {
    os::PosixFileSystem files;
    std::unique_ptr<registry::Registry> registry;
    ide::LoaderOptions loaderOptions;  // registrations included
};

// Opens the user's hives (see registry::hiveFolder). When no folder can be found (no HOME),
// says so on stderr once and falls back to a store in memory, so the command still runs.
UserStore openUserStore(Io& io);

// --code-page N: the code page tried first for project and group files that are not UTF-8, for
// this run (the stored "CodePage" otherwise).
void addCodePageOption(CLI::App& app, std::string& codePage);
// Puts a --code-page given into the loader's options; false, after saying why, for a code page
// this program does not know.
bool applyCodePage(const std::string& codePage, ide::LoaderOptions& options, Io& io);

}  // namespace arkstash::cli
