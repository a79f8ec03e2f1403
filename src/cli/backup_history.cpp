#include "cli/backup_history.h"

#include <CLI/CLI.hpp>

#include <ostream>

#include "backup/run_history.h"
#include "cli/text_out.h"
#include "platform/error.h"
#include "platform/os/file_system.h"
#include "util/paths.h"

namespace arkstash::cli {

void addHistoryOptions(CLI::App& app, HistoryOptions& options) {
    app.add_flag("--if-changed", options.ifChanged,
                 "write nothing when the files are those of the newest complete archive");
    app.add_option("--keep", options.keep,
                   "after a complete run, remove the oldest dated archives of the project beyond "
                   "the newest N")
        ->check(CLI::PositiveNumber)
        ->type_name("N");
}

bool unchangedSinceNewest(const archive::ArchiveEngine& engine, const backup::BackupPlan& plan,
                          const std::string& projectFile, const HistoryOptions& options, Io& io) {
    if (!options.ifChanged) return false;
    os::PosixFileSystem files;
    auto newest = backup::unchangedSince(engine, files, plan, projectFile);
    if (!newest) return false;
    io.out << "unchanged, no archive written\n";
    io.err << "arkstash: the files are those of " << TerminalSafe(newest->path) << "\n";
    return true;
}

void keepNewest(const backup::BackupPlan& plan, const std::string& projectFile,
                const std::string& written, const HistoryOptions& options, Io& io) {
    if (!options.keep) return;
    os::PosixFileSystem files;
    const std::string folder = util::DirOf(plan.archivePath);
    std::vector<backup::ArchiveRemoval> removals;
    if (!attempt([&] {
            removals = backup::removeArchivesBeyond(
                files, folder, projectFile, static_cast<std::size_t>(*options.keep), written);
        }))
        io.err << "arkstash: cannot list " << TerminalSafe(folder) << "; no archive removed\n";
    for (const auto& old : removals) {
        if (old.removed)
            io.out << "Removed " << TerminalSafe(old.path) << " (keeping the newest "
                   << *options.keep << ")\n";
        else
            io.err << "arkstash: cannot remove " << TerminalSafe(old.path) << "\n";
    }
}

}  // namespace arkstash::cli
