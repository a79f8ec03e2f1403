// `arkstash verify ARCHIVE`: reads every entry back, checks its checksum (and, with a password,
// its authentication code), says how each entry is encrypted, and what is wrong.
#include <CLI/CLI.hpp>

#include <map>
#include <memory>
#include <ostream>
#include <thread>

#include "cli/cli.h"
#include "cli/console_output.h"
#include "cli/password_input.h"
#include "cli/text_out.h"
#include "platform/archive/archive_check.h"

namespace arkstash::cli {

namespace {

struct VerifyOptions {
    std::string archive;
    PasswordOptions password;
};

// How the entries are encrypted, for the closing line: " (AES-256 encrypted)", or for an
// archive that mixes, " (encryption: 2 AES-256, 1 none)". Empty when none is.
std::string encryptionSummary(const std::vector<archive::EntryCheck>& entries) {
    std::vector<std::pair<std::string, std::size_t>> counts;
    for (const auto& e : entries) {
        std::string name = archive::encryptionName(e.encryption);
        auto it = std::find_if(counts.begin(), counts.end(),
                               [&](const auto& c) { return c.first == name; });
        if (it == counts.end())
            counts.emplace_back(name, 1);
        else
            ++it->second;
    }
    if (counts.empty() || (counts.size() == 1 && counts[0].first == "none")) return {};
    if (counts.size() == 1) return " (" + counts[0].first + " encrypted)";
    std::string text = " (encryption:";
    for (std::size_t i = 0; i < counts.size(); ++i)
        text += (i ? ", " : " ") + std::to_string(counts[i].second) + " " + counts[i].first;
    return text + ")";
}

std::string entries(std::size_t n) {
    return std::to_string(n) + (n == 1 ? " entry" : " entries");
}

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
            o.archive, pw, [&](int p) { progress.checking(static_cast<std::int16_t>(p)); }, {},
            std::max(1u, std::thread::hardware_concurrency()));
    };
    archive::ArchiveCheck result = check(*password);
    progress.clear();

    bool encrypted = false;
    for (const auto& e : result.entries) encrypted = encrypted || e.encryption != 0;
    // Encrypted entries and no password named: at a terminal, ask for it as --ask-password does.
    if (encrypted && password->empty() && !o.password.given() && io.inIsTerminal) {
        auto typed = promptPassword(io, "Password: ");
        if (typed && !typed->empty()) {
            password = *typed;
            result = check(*password);
            progress.clear();
        }
    }

    const std::string shown = TerminalSafe(o.archive);
    std::uint64_t bytes = 0;
    std::size_t damaged = 0, unchecked = 0, plain = 0, weak = 0;
    for (auto& e : result.entries) {
        bytes += e.size;
        if (archive::encryptionName(e.encryption) == "ZipCrypto") ++weak;
        if (!e.problem.empty()) {
            ++(e.unsupported ? unchecked : damaged);
        } else if (!password->empty() && e.encryption == 0) {
            // Someone may have added it to an archive that should be encrypted throughout.
            e.problem = "not encrypted, though the archive should be (a password was given)";
            ++plain;
        }
    }
    for (const auto& p : result.problems()) io.out << shown << ": " << TerminalSafe(p) << "\n";
    if (weak > 0)
        io.err << "arkstash: warning: " << entries(weak) << (weak == 1 ? " uses" : " use")
               << " traditional ZipCrypto encryption, which is weak\n";
    if (result.ok()) {
        io.out << shown << ": OK, " << entries(result.entries.size()) << ", " << bytes
               << " bytes checked" << encryptionSummary(result.entries) << "\n";
        return kExitOk;
    }
    const std::string of = " of " + std::to_string(result.entries.size());
    if (!result.openProblem.empty()) io.err << "arkstash: the archive cannot be read\n";
    if (damaged > 0) io.err << "arkstash: " << damaged << of << " entries cannot be restored\n";
    if (unchecked > 0)
        io.err << "arkstash: " << unchecked << of
               << " entries use a method this program cannot check\n";
    if (plain > 0)
        io.err << "arkstash: " << plain << of
               << " entries are not encrypted, though a password was given\n";
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
        "Says how each entry is encrypted (AES-256; ZipCrypto, which is weak; none). With a "
        "password, an entry that is not encrypted is named as a problem.\n"
        "Exit status: 0 every entry reads back whole; 1 the archive or an entry is damaged, "
        "cannot be read or checked, is not encrypted though a password was given, or needs a "
        "password that was not given; 2 bad usage.");
    return {sub, [options, &io] { return runVerify(*options, io); }};
}

}  // namespace arkstash::cli
