#include "cli/backup_history.h"

#include <CLI/CLI.hpp>

#include <ostream>

#include "backup/change_check.h"
#include "backup/history.h"
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
    const std::string folder = util::DirOf(plan.archivePath);
    std::optional<backup::ProjectArchive> newest;
    attempt([&] {
        newest = backup::newestComplete(
            backup::projectArchives(files, folder, backup::archiveStem(projectFile)));
    });
    if (!newest) return false;
    archive::ArchivePlan planned = engine.plan(backup::archiveRequest(plan, false));
    if (!planned.problems.empty()) return false;

    bool unchanged = false;
    attempt([&] {
        archive::ArchiveReader archive(newest->path, plan.password.value_or(""));
        if (archive.anyEncrypted() != plan.password.has_value()) return;
        // Under another password the files are the same but the archive is not what was asked
        // for: one entry read with this run's password tells.
        for (const auto& e : archive.entries())
            if (e.encrypted) {
                archive.read(e, [](std::string_view) {});
                break;
            }
        unchanged = backup::compareWithArchive(archive, planned.entries, files, false).empty();
    });
    if (unchanged) {
        io.out << "unchanged, no archive written\n";
        io.err << "arkstash: the files are those of " << TerminalSafe(newest->path) << "\n";
    }
    return unchanged;
}

void keepNewest(const backup::BackupPlan& plan, const std::string& projectFile,
                const std::string& written, const HistoryOptions& options, Io& io) {
    if (!options.keep) return;
    os::PosixFileSystem files;
    const std::string folder = util::DirOf(plan.archivePath);
    std::vector<backup::ProjectArchive> beyond;
    if (!attempt([&] {
            beyond = backup::archivesBeyond(
                backup::projectArchives(files, folder, backup::archiveStem(projectFile)),
                static_cast<std::size_t>(*options.keep), written);
        }))
        io.err << "arkstash: cannot list " << TerminalSafe(folder) << "; no archive removed\n";
    for (const auto& old : beyond) {
        if (attempt([&] { files.removeFile(old.path); }))
            io.out << "Removed " << TerminalSafe(old.path) << " (keeping the newest "
                   << *options.keep << ")\n";
        else
            io.err << "arkstash: cannot remove " << TerminalSafe(old.path) << "\n";
    }
}

}  // namespace arkstash::cli
