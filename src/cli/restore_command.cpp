// `arkstash restore ARCHIVE DIR`: puts an archive's files into a folder, after the archive has
// been read back whole and every entry has been found safe to write there.
#include <CLI/CLI.hpp>

#include <memory>
#include <ostream>

#include "cli/archive_commands.h"
#include "cli/cli.h"
#include "cli/console_output.h"
#include "cli/text_out.h"
#include "platform/archive/archive_check.h"
#include "platform/archive/archive_reader.h"
#include "platform/error.h"

namespace arkstash::cli {

namespace {

struct RestoreOptions {
    std::string archive;
    std::string dir;
    bool overwrite = false;
    bool dryRun = false;
    PasswordOptions password;
};

std::string target(const archive::RestorePlan& plan, const archive::RestoreStep& step) {
    return TerminalSafe(plan.folder + "/" + step.entry->name);
}

void describeStep(const archive::RestorePlan& plan, const archive::RestoreStep& step, bool done,
                  std::ostream& out) {
    using archive::RestoreAction;
    switch (step.action) {
        case RestoreAction::Write:
            out << (done ? "wrote     " : "would write    ") << target(plan, step) << "\n";
            break;
        case RestoreAction::Replace:
            out << (done ? "replaced  " : "would replace  ") << target(plan, step)
                << " (the present file " << (done ? "is" : "would be") << " kept as "
                << TerminalSafe(step.keptAs) << ")\n";
            break;
        case RestoreAction::Same:  // nothing to write; counted at the end
            break;
        case RestoreAction::Folder:
            out << (done ? "folder    " : "folder         ") << target(plan, step) << "\n";
            break;
    }
}

int runRestore(const RestoreOptions& o, Io& io) {
    std::string error;
    bool encrypted = false;
    attempt([&] { encrypted = archive::ArchiveReader(o.archive).anyEncrypted(); });
    auto password = archivePassword(o.password, encrypted, io, error);
    if (!password) {
        io.err << "arkstash: " << error << "\n";
        return kExitUsage;
    }

    // The whole archive reads back before anything is planned, let alone written.
    ConsoleProgress progress(io.err, io.errIsTerminal);
    auto check = archive::CheckArchive(
        o.archive, *password, [&](int p) { progress.checking(static_cast<std::int16_t>(p)); });
    progress.clear();
    if (!check.ok()) {
        // A few lines tell what is wrong; a wrong password would otherwise fill the screen.
        auto problems = check.problems();
        for (std::size_t i = 0; i < problems.size() && i < 5; ++i)
            io.err << "arkstash: " << TerminalSafe(o.archive) << ": " << TerminalSafe(problems[i])
                   << "\n";
        if (problems.size() > 5)
            io.err << "arkstash: and " << problems.size() - 5 << " more entries\n";
        if (encrypted && password->empty())
            io.err << "arkstash: the archive is encrypted; give its password with "
                      "--password-file, --password-env or --ask-password\n";
        io.err << "arkstash: nothing was restored\n";
        return kExitNoArchive;
    }
    std::optional<archive::ArchiveReader> reader;
    archive::RestorePlan plan;
    try {
        reader.emplace(o.archive, *password);
        std::string dir = o.dir;
        while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
        plan = archive::PlanRestore(*reader, dir, o.overwrite);
    } catch (const std::exception& e) {
        plan.refusals.push_back(e.what());
    }
    if (!plan.refusals.empty()) {
        for (const auto& r : plan.refusals)
            io.err << "arkstash: refused: " << TerminalSafe(r) << "\n";
        io.err << "arkstash: nothing was restored\n";
        return kExitNoArchive;
    }
    if (o.dryRun) {
        for (const auto& step : plan.steps) describeStep(plan, step, false, io.out);
        std::size_t same = 0;
        for (const auto& step : plan.steps) same += step.action == archive::RestoreAction::Same;
        io.out << "Would write " << plan.bytesToWrite << " bytes into " << TerminalSafe(plan.folder)
               << "; " << same << " files there already hold the archive's bytes\n";
        return kExitOk;
    }

    std::size_t written = 0, replaced = 0, same = 0;
    try {
        archive::Restore(*reader, plan, [&](const archive::RestoreStep& step) {
            describeStep(plan, step, true, io.out);
            written += step.action == archive::RestoreAction::Write ? 1 : 0;
            replaced += step.action == archive::RestoreAction::Replace ? 1 : 0;
            same += step.action == archive::RestoreAction::Same ? 1 : 0;
        });
    } catch (const std::exception& e) {
        io.err << "arkstash: " << TerminalSafe(e.what()) << "\n"
               << "arkstash: the restore stopped; the files named above were written\n";
        return kExitNoArchive;
    }
    io.out << "Restored into " << TerminalSafe(plan.folder) << ": " << written << " written, "
           << replaced << " replaced, " << same << " already the same\n";
    return kExitOk;
}

}  // namespace

Command addRestoreCommand(CLI::App& app, Io& io) {
    auto o = std::make_shared<RestoreOptions>();
    auto* sub = app.add_subcommand(
        "restore", "Put an archive's files into a folder, after checking every entry");
    sub->add_option("ARCHIVE", o->archive, "the ZIP archive to restore")->required();
    sub->add_option("DIR", o->dir, "the folder to restore into (made when missing)")->required();
    sub->add_flag("--overwrite", o->overwrite,
                  "replace files that differ, keeping each as NAME.orig first");
    sub->add_flag("--dry-run", o->dryRun, "print what would be written, and write nothing");
    addPasswordOptions(*sub, o->password);
    sub->footer(
        "Every entry is read back and checked before anything is written. Entries whose names "
        "leave DIR, links and devices are refused, nothing is written through a link inside DIR, "
        "and a file already there is replaced only with --overwrite (and kept as NAME.orig).\n"
        "Exit status: 0 restored (or, with --dry-run, it would be); 1 the archive is damaged, "
        "needs a password that was not given, or an entry was refused or could not be written; "
        "2 bad usage.");
    return {sub, [o, &io] { return guarded(io, [&] { return runRestore(*o, io); }); }};
}

}  // namespace arkstash::cli
