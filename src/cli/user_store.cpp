#include "cli/user_store.h"

#include <ostream>

#include "cli/text_out.h"
#include "platform/registry/hive_registry.h"
#include "platform/registry/memory_registry.h"
#include "window/settings_store.h"

namespace arkstash::cli {

UserStore openUserStore(Io& io) {
    UserStore store;
    try {
        store.registry = registry::openUserRegistry(io.getenv);
    } catch (const std::exception& e) {
        io.err << "arkstash: warning: settings are not kept: " << TerminalSafe(e.what()) << '\n';
        store.registry = std::make_unique<registry::MemoryRegistry>();
    }
    store.loaderOptions = window::SettingsStore(*store.registry).loaderOptions();
    return store;
}

}  // namespace arkstash::cli
