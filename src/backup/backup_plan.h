// One backup as a plan: which files go into which archive, how, and under what password. The
// window and the command line both make one from the same rows and options, and hand it to the
// archive engine.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "backup/references.h"
#include "platform/archive/archive_engine.h"
#include "projectview/file_row.h"

namespace arkstash::backup {

struct BackupPlan {
    std::vector<std::string> files;  // in the order the archive takes them
    std::string archivePath;
    int level = 6;
    std::optional<std::string> password;  // AES-256 when given
    bool references = true;               // the references' files are among `files`
    // The Windows code page of file names that are not UTF-8 on disk: the projects' own.
    std::string nameCodePage = "1252";
};

// The ticked file rows in list order, then, with `includeReferences`, the "File" of every
// ticked reference row (its text, "Unknown" included: the engine reports what it cannot find).
std::vector<std::string> filesToBackUp(const std::vector<projectview::FileRow>& rows,
                                       const std::vector<ReferenceRow>& references,
                                       bool includeReferences);

// Where a run that could not take every file puts its archive, so the last complete one is
// kept: "Name.zip" becomes "Name.incomplete.zip".
std::string incompleteArchivePath(const std::string& archivePath);

// The engine's request for a plan.
archive::ArchiveRequest archiveRequest(const BackupPlan& plan, bool replaceExisting,
                                       unsigned jobs = 0);

// What a finished run tells the user: the engine's words for the outcome, what it knows more,
// and for an incomplete run where its archive went and which files it lacks.
std::string describeResult(const archive::ArchiveResult& result);

}  // namespace arkstash::backup
