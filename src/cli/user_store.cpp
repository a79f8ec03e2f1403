#include "cli/user_store.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "cli/text_out.h"
#include "platform/registry/hive_registry.h"
#include "platform/os/text_codec.h"
#include "platform/registry/memory_registry.h"
#include "window/settings_store.h"

namespace arkstash::cli {

UserStore openUserStore(Io& io) {
    UserStore store;
    try {
        auto hive = registry::openUserRegistry(io.getenv);
        // A damaged hive set aside, or settings that cannot be saved, are said once.
        hive->setWarningHandler([&err = io.err](const std::string& warning) {
            err << "arkstash: warning: " << TerminalSafe(warning) << '\n';
        });
        store.registry = std::move(hive);
    } catch (const std::exception& e) {
        io.err << "arkstash: warning: settings are not kept: " << TerminalSafe(e.what()) << '\n';
        store.registry = std::make_unique<registry::MemoryRegistry>();
    }
    store.loaderOptions = window::SettingsStore(*store.registry).loaderOptions();
    return store;
}

void addCodePageOption(CLI::App& app, std::string& codePage) {
    app.add_option("--code-page", codePage,
                   "Windows code page tried first for project and group files that are not UTF-8 "
                   "(936, 1251, ...); others are tried when names do not resolve")
        ->type_name("N");
}

bool applyCodePage(const std::string& codePage, ide::LoaderOptions& options, Io& io) {
    if (codePage.empty()) return true;
    if (!os::isKnownCodePage(codePage)) {
        io.err << "arkstash: unknown code page " << TerminalSafe(codePage)
               << " (give a Windows code page number such as 1252, 936 or 1251)\n";
        return false;
    }
    options.codePage = codePage;
    return true;
}

}  // namespace arkstash::cli
