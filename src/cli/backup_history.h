// The backup command's history options: --if-changed writes nothing when the files are those of
// the project's newest complete archive; --keep N removes the oldest dated archives beyond N
// after a complete run.
#pragma once

#include <optional>
#include <string>

#include "backup/backup_plan.h"
#include "cli/cli.h"

namespace arkstash::cli {

struct HistoryOptions {
    bool ifChanged = false;
    std::optional<int> keep;
};

void addHistoryOptions(CLI::App& app, HistoryOptions& options);

// With --if-changed: true when every file the plan would write is in the newest complete archive
// of the project (named for `projectFile`) in the plan's folder, with the same size and CRC, and
// nothing else is; then it has said "unchanged, no archive written". A file that cannot be read,
// an archive that cannot be, or a password given to one and not the other counts as a change.
bool unchangedSinceNewest(const archive::ArchiveEngine& engine, const backup::BackupPlan& plan,
                          const std::string& projectFile, const HistoryOptions& options, Io& io);

// With --keep N, after a complete run that wrote `written`: removes the project's complete dated
// archives beyond the newest N from the plan's folder and names each on stdout.
void keepNewest(const backup::BackupPlan& plan, const std::string& projectFile,
                const std::string& written, const HistoryOptions& options, Io& io);

}  // namespace arkstash::cli
