// `arkstash verify ARCHIVE`: reads every entry back, checks its checksum (and, with a password,
// its authentication code) and says what is wrong.
#include <CLI/CLI.hpp>

#include <memory>
#include <ostream>

#include "cli/cli.h"
#include "cli/console_output.h"
#include "cli/password_input.h"
#include "platform/archive/archive_check.h"

namespace arkstash::cli {

namespace {

struct VerifyOptions {
    std::string archive;
    PasswordOptions password;
};

int runVerify(const VerifyOptions& o, Io& io) {
    std::string error;
    auto password = obtainPassword(o.password, io, false, error);
    if (!password) {
        io.err << "arkstash: " << error << "\n";
        return kExitUsage;
    }

    ConsoleProgress progress(io.err, io.errIsTerminal);
    auto check = [&](const std::string& pw) {
        return archive::CheckArchive(
            o.archive, pw, [&](int p) { progress.checking(static_cast<std::int16_t>(p)); });
    };
    archive::ArchiveCheck result = check(*password);
    progress.clear();

    bool encrypted = false;
    for (const auto& e : result.entries) encrypted = encrypted || e.encrypted;
    // Encrypted entries and no password named: at a terminal, ask for it as --ask-password does.
    if (encrypted && password->empty() && !o.password.given() && io.inIsTerminal) {
        auto typed = promptPassword(io, "Password: ");
        if (typed && !typed->empty()) {
            password = *typed;
            result = check(*password);
            progress.clear();
        }
    }

    std::uint64_t bytes = 0;
    for (const auto& e : result.entries) bytes += e.size;
    auto problems = result.problems();
    if (problems.empty()) {
        io.out << o.archive << ": OK, " << result.entries.size()
               << (result.entries.size() == 1 ? " entry, " : " entries, ") << bytes
               << " bytes checked" << (encrypted ? " (AES-encrypted)" : "") << "\n";
        return kExitOk;
    }
    for (const auto& p : problems) io.out << o.archive << ": " << p << "\n";
    std::size_t bad = 0;
    for (const auto& e : result.entries) bad += e.problem.empty() ? 0 : 1;
    if (result.openProblem.empty())
        io.err << "arkstash: " << bad << " of " << result.entries.size()
               << " entries cannot be restored\n";
    else
        io.err << "arkstash: the archive cannot be read\n";
    if (encrypted && password->empty())
        io.err << "arkstash: the archive is encrypted; give its password with --password-file, "
                  "--password-env or --ask-password\n";
    return kExitNoArchive;
}

}  // namespace

Command addVerifyCommand(CLI::App& app, Io& io) {
    auto options = std::make_shared<VerifyOptions>();
    auto* sub = app.add_subcommand(
        "verify", "Read every entry of an archive back and check it against its checksum");
    sub->add_option("ARCHIVE", options->archive, "the ZIP archive to check")->required();
    addPasswordOptions(*sub, options->password);
    sub->footer(
        "Exit status: 0 every entry reads back whole; 1 the archive or an entry is damaged, "
        "cannot be read, or needs a password that was not given; 2 bad usage.");
    return {sub, [options, &io] { return runVerify(*options, io); }};
}

}  // namespace arkstash::cli
