#include "platform/archive/archive_engine.h"

namespace arkstash::archive {

std::string describe(Outcome outcome) {
    switch (outcome) {
        case Outcome::Complete:
            return "The archive was written and verified";
        case Outcome::Incomplete:
            return "The archive was written and verified, but some files are not in it";
        case Outcome::NothingToDo:
            return "There is nothing to back up";
        case Outcome::NoArchiveName:
            return "No archive file name was given";
        case Outcome::CannotCreate:
            return "The archive could not be written";
        case Outcome::VerifyFailed:
            return "The new archive failed its check";
        case Outcome::CannotReplace:
            return "The new archive could not be put in place";
        case Outcome::TargetTaken:
            return "An archive appeared under the same name during the backup and was kept";
        case Outcome::TargetBusy:
            return "Another backup is writing the same archive right now";
        case Outcome::Unsupported:
            return "This build cannot encrypt archives with AES-256";
        case Outcome::Cancelled:
            return "The backup was cancelled";
    }
    return "Unknown outcome";
}

std::string describe(const FileProblem& problem) {
    auto because = [&](const char* fallback) {
        return problem.reason.empty() ? std::string(fallback) : problem.reason;
    };
    switch (problem.kind) {
        case FileProblemKind::NotFound:
            return "File not found: " + problem.path;
        case FileProblemKind::CannotRead:
            return "Cannot read " + problem.path + ": " + because("read error");
        case FileProblemKind::NotAFile:
            return "Not a regular file, not read: " + problem.path + " (" +
                   because("not a regular file") + ")";
        case FileProblemKind::DuplicateEntry:
            return "Another file already has the name " + because("of this file") +
                   " in the archive: " + problem.path;
        case FileProblemKind::ChangedWhileRead:
            return problem.path + " changed while being read and is not in the archive";
    }
    return "Unknown problem: " + problem.path;
}

}  // namespace arkstash::archive
