#include "cli/archive_commands.h"

#include <ostream>

#include "cli/text_out.h"

namespace arkstash::cli {

bool loadProject(ProjectSession& session, const std::string& path, Io& io) {
    try {
        for (const auto& issue : session.load({path}).issues)
            io.err << "arkstash: warning: " << TerminalSafe(issue.file) << ": "
                   << TerminalSafe(issue.message) << "\n";
        return true;
    } catch (const std::exception& e) {
        io.err << "arkstash: cannot load " << TerminalSafe(path) << ": " << TerminalSafe(e.what())
               << "\n";
        return false;
    }
}

std::optional<std::string> archivePassword(const PasswordOptions& options, bool encrypted, Io& io,
                                           std::string& error) {
    auto password = obtainPassword(options, io, false, error);
    if (password && password->empty() && encrypted && !options.given() && io.inIsTerminal)
        if (auto typed = promptPassword(io, "Password: ")) return typed;
    return password;
}

int guarded(Io& io, const std::function<int()>& body) {
    try {
        return body();
    } catch (const std::exception& e) {
        io.err << "arkstash: " << TerminalSafe(e.what()) << "\n";
        return kExitUsage;
    }
}

}  // namespace arkstash::cli
