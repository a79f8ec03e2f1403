#include "cli/user_store.h"

#include <ostream>

#include "cli/text_out.h"
#include "platform/registry/hive_registry.h"
#include "platform/registry/memory_registry.h"
#include "shell/settings.h"

namespace arkstash::cli {

UserStore openUserStore(Io& io) {
    UserStore store;
    try {
        store.registry = registry::openUserRegistry(io.getenv);
    } catch (const std::exception& e) {
        io.err << "arkstash: warning: settings are not kept: " << TerminalSafe(e.what()) << '\n';
        store.registry = std::make_unique<registry::MemoryRegistry>();
    }
    store.options.settings = store.registry.get();
    store.options.loader = shell::LoaderOptionsFromSettings(*store.registry);
    store.options.loader.classes = store.registry.get();
    return store;
}

}  // namespace arkstash::cli
