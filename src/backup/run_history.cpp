#include "backup/run_history.h"

#include "backup/change_check.h"
#include "platform/archive/archive_reader.h"
#include "platform/error.h"
#include "util/paths.h"

namespace arkstash::backup {

std::optional<ProjectArchive> unchangedSince(const archive::ArchiveEngine& engine,
                                             os::FileSystem& files, const BackupPlan& plan,
                                             const std::string& projectFile) {
    std::optional<ProjectArchive> newest;
    attempt([&] {
        newest = newestComplete(
            projectArchives(files, util::DirOf(plan.archivePath), archiveStem(projectFile)));
    });
    if (!newest) return std::nullopt;
    archive::ArchivePlan planned = engine.plan(archiveRequest(plan, false));
    if (!planned.problems.empty()) return std::nullopt;

    bool unchanged = false;
    attempt([&] {
        archive::ArchiveReader archive(newest->path, plan.password.value_or(""));
        if (archive.anyEncrypted() != plan.password.has_value()) return;
        // Under another password the files are the same but the archive is not what was asked
        // for: one entry read with this run's password tells.
        for (const auto& entry : archive.entries())
            if (entry.encrypted) {
                archive.read(entry, [](std::string_view) {});
                break;
            }
        unchanged = compareWithArchive(archive, planned.entries, files, false).empty();
    });
    if (!unchanged) return std::nullopt;
    return newest;
}

std::vector<ArchiveRemoval> removeArchivesBeyond(os::FileSystem& files, const std::string& folder,
                                                 const std::string& projectFile, std::size_t keep,
                                                 const std::string& written) {
    std::vector<ArchiveRemoval> removals;
    for (const ProjectArchive& old :
         archivesBeyond(projectArchives(files, folder, archiveStem(projectFile)), keep, written))
        removals.push_back({old.path, attempt([&] { files.removeFile(old.path); })});
    return removals;
}

}  // namespace arkstash::backup
