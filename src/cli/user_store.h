// The user's own settings and type-library registrations, shared with the desktop app, and the
// session options that follow from them (code page, drive mappings, registrations).
#pragma once

#include <memory>

#include "cli/cli.h"
#include "cli/session.h"
#include "platform/registry/registry.h"

namespace arkstash::cli {

struct UserStore {
    std::unique_ptr<registry::Registry> registry;
    SessionOptions options;  // settings, loader options and registrations filled in
};

// Opens the user's hives (see registry::hiveFolder). When no folder can be found (no HOME),
// says so on stderr once and falls back to a store in memory, so the command still runs.
UserStore openUserStore(Io& io);

}  // namespace arkstash::cli
