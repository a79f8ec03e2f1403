#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "cli/cli.h"
#ifdef ARKSTASH_DESKTOP
#include "gui/desktop_app.h"
#endif

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    arkstash::cli::Io io{std::cout,
                         std::cerr,
                         std::cin,
                         ::isatty(2) != 0,
                         ::isatty(0) != 0,
                         [](const std::string& name) -> std::optional<std::string> {
                             const char* v = std::getenv(name.c_str());
                             if (!v) return std::nullopt;
                             return std::string(v);
                         }};
    // Whatever goes wrong that nothing below foresaw is one line and a usage status, never an
    // abort with a core dump and a half-written terminal line.
    try {
#ifdef ARKSTASH_DESKTOP
        return arkstash::cli::run(
            args, io, [argv](const arkstash::cli::DesktopStart& start, arkstash::cli::Io& startIo) {
                return arkstash::gui::runDesktop(start, startIo, argv[0]);
            });
#else
        return arkstash::cli::run(args, io);
#endif
    } catch (const std::exception& e) {
        std::cerr << "arkstash: unexpected error: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "arkstash: unexpected error\n";
    }
    return arkstash::cli::kExitUsage;
}
