#include "cli/project_session.h"

#include "backup/side_file.h"
#include "platform/error.h"
#include "projectview/project_info.h"
#include "util/paths.h"
#include "window/settings_store.h"

namespace arkstash::cli {

ProjectSession::ProjectSession(os::FileSystem& fs, registry::Registry& settings,
                               ide::LoaderOptions options)
    : fs_(fs), settings_(settings), loader_(fs, std::move(options)) {}

ide::LoadReport ProjectSession::load(const std::vector<std::string>& paths) {
    return loader_.load(environment_, paths);
}

Listing ProjectSession::list(const backup::TypeLibraryFailure& typeLibraryFailure) {
    Listing listing;
    window::SettingsStore store(settings_);
    ShownOptions& options = listing.options;
    // A value stored as something else than a number leaves its box unticked, as in the window.
    options.autoRefresh = store.autoRefresh().value_or(false);
    options.addDate = store.addDate().value_or(false);
    options.compression = store.compression();
    options.includeReferences = store.includeReferences().value_or(false);

    projectview::ProjectInformation info = projectview::readProjectInformation(environment_);
    listing.projectFile = info.projectFile;
    if (info.projectFile) {
        options.backupFolder = store.backupFolder(*info.projectFile);
        if (options.backupFolder.empty()) options.backupFolder = util::DirOf(*info.projectFile);
        // The window makes the folder's last level when it shows it; so does the command line.
        if (!options.backupFolder.empty())
            attempt([&] {
                if (!fs_.folderExists(options.backupFolder)) fs_.createFolder(options.backupFolder);
            });
    }

    listing.scan = projectview::scanProjects(environment_, fs_);
    listing.rows = listing.scan.rows;
    if (!listing.rows.empty()) {
        if (info.name && info.projectFile)
            if (auto path = backup::sideFilePath(*info.projectFile, *info.name))
                if (auto side = backup::readSideFile(fs_, *path))
                    for (auto& file : side->files)
                        if (auto row = projectview::makeFileRow(fs_, projectview::userAddedRow(file))) {
                            row->outside = projectview::isOutsideFolders(
                                row->path, listing.scan.projectFolders);
                            listing.rows.push_back(std::move(*row));
                        }
        store.storeAutoRefresh(options.autoRefresh);
        store.storeAddDate(options.addDate);
        store.storeCompression(options.compression);
        if (info.projectFile) store.storeBackupFolder(*info.projectFile, options.backupFolder);
        store.storeIncludeReferences(options.includeReferences);
    }
    listing.references =
        backup::LoadReferences(environment_, fs_, settings_, typeLibraryFailure);
    return listing;
}

}  // namespace arkstash::cli
