#include "backup/backup_plan.h"

#include "util/strings.h"

namespace arkstash::backup {

std::vector<std::string> filesToBackUp(const std::vector<projectview::FileRow>& rows,
                                       const std::vector<ReferenceRow>& references,
                                       bool includeReferences) {
    std::vector<std::string> files;
    for (const auto& row : rows)
        if (row.checked) files.push_back(row.path);
    if (includeReferences)
        for (const auto& reference : references)
            if (reference.checked) files.push_back(cellText(reference, kReferenceFileColumn));
    return files;
}

std::string incompleteArchivePath(const std::string& archivePath) {
    std::string stem = util::endsWith(util::toLowerAscii(archivePath), ".zip")
                           ? archivePath.substr(0, archivePath.size() - 4)
                           : archivePath;
    return stem + ".incomplete.zip";
}

archive::ArchiveRequest archiveRequest(const BackupPlan& plan, bool replaceExisting,
                                       unsigned jobs) {
    archive::ArchiveRequest request;
    request.files = plan.files;
    request.target = plan.archivePath;
    request.incompleteTarget = incompleteArchivePath(plan.archivePath);
    request.level = plan.level;
    request.password = plan.password.value_or(std::string());
    request.replaceExisting = replaceExisting;
    request.jobs = jobs;
    request.nameCodePage = plan.nameCodePage;
    return request;
}

std::string describeResult(const archive::ArchiveResult& result) {
    std::string text = archive::describe(result.outcome);
    if (!result.detail.empty()) text += ": " + result.detail;
    if (result.outcome == archive::Outcome::Incomplete) {
        text += "\n\nThe archive was written to " + result.writtenTo +
                "; the last complete backup, if any, is kept as it was.";
        for (const auto& problem : result.problems) text += "\n" + archive::describe(problem);
    }
    return text;
}

}  // namespace arkstash::backup
