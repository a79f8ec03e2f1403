// What a run asks of the project's earlier archives in its backup folder: whether anything
// changed since the newest complete one, and, once it has written its own, which dated ones go.
// The command line's --if-changed and --keep and the window's automatic backups share these.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "backup/backup_plan.h"
#include "backup/history.h"
#include "platform/archive/archive_engine.h"
#include "platform/os/file_system.h"

namespace arkstash::backup {

// The newest complete archive of the project (named for `projectFile`) in the plan's folder,
// when it holds exactly the files the plan would write, with the same sizes and CRCs, under the
// plan's password. None when there is no such archive, and when a file or the archive cannot be
// read or a password is given to one and not the other: nothing then shows the files are the
// same.
std::optional<ProjectArchive> unchangedSince(const archive::ArchiveEngine& engine,
                                             os::FileSystem& files, const BackupPlan& plan,
                                             const std::string& projectFile);

struct ArchiveRemoval {
    std::string path;
    bool removed = false;  // false: it could not be removed and is still there
};

// After a complete run that wrote `written` into `folder`: removes the project's complete dated
// archives beyond the newest `keep` (see archivesBeyond). Throws PlatformError when the folder
// cannot be listed; then nothing is removed.
std::vector<ArchiveRemoval> removeArchivesBeyond(os::FileSystem& files, const std::string& folder,
                                                 const std::string& projectFile, std::size_t keep,
                                                 const std::string& written);

}  // namespace arkstash::backup
