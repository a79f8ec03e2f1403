#include "cli/project_session.h"

#include "backup/side_file.h"
#include "cli/text_out.h"
#include "platform/error.h"
#include "projectview/project_info.h"
#include "util/paths.h"
#include "window/settings_store.h"

namespace arkstash::cli {

ProjectSession::ProjectSession(os::FileSystem& fs, registry::Registry& settings,
                               ide::LoaderOptions options)
    : fs_(fs), settings_(settings), loader_(fs, std::move(options)) {}

ide::LoadReport ProjectSession::load(const std::vector<std::string>& paths) {
    report_ = loader_.load(environment_, paths);
    return report_;
}

Listing ProjectSession::list(const backup::TypeLibraryFailure& typeLibraryFailure) {
    Listing listing;
    listing.load = report_;
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
    listing.rows = std::move(listing.scan.rows);
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

void printLoadReport(const ide::LoadReport& report, Io& io, bool backingUp) {
    for (const auto& issue : report.issues) {
        const char* what = !backingUp && issue.kind == ide::IssueKind::MissingBinary ? "note"
                                                                                     : "warning";
        io.err << "arkstash: " << what << ": " << TerminalSafe(issue.file) << ": "
               << TerminalSafe(issue.message) << '\n';
    }
    // Text that is valid UTF-8 is read as such whatever is configured; only a guessed Windows
    // code page is worth a word.
    for (const auto& encoding : report.encodings)
        if (encoding.detected && encoding.codePage != "UTF-8")
            io.err << "arkstash: note: " << TerminalSafe(encoding.file) << ": read as code page "
                   << encoding.codePage << '\n';
}

std::vector<std::string> filesLeftOut(const Listing& listing) {
    std::vector<std::string> files;
    for (const auto& problem : listing.scan.problems) files.push_back(problem.path);
    for (const auto& issue : listing.load.issues)
        if (ide::leavesFileOut(issue.kind)) files.push_back(issue.file);
    return files;
}

}  // namespace arkstash::cli
