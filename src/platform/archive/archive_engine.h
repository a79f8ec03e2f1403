// The archive engine: writes one ZIP archive from a list of files and proves it readable before
// it takes the place of an older one. The backup run of the window and the command line both
// drive it through this interface; tests replace it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace arkstash::archive {

// What to write.
struct ArchiveRequest {
    // Full paths in the order their entries go into the archive. A file listed twice goes in
    // once; a relative path names no file of a project and is reported as not found.
    std::vector<std::string> files;
    // Full path of the archive to write.
    std::string target;
    // Where an archive that lacks some listed files is put instead of `target`, so that the
    // last complete archive at `target` is never replaced by an incomplete one. A complete run
    // removes an incomplete archive left there by an earlier run. Empty: `target`.
    std::string incompleteTarget;
    // 0 stores the files; 1 to 9 deflate them, 9 the smallest.
    int level = 6;
    // Empty: no encryption. Otherwise every entry is encrypted with AES-256.
    std::string password;
    // The user agreed to replace an archive at `target`. Without that, an archive that appears
    // at `target` while the run works is never replaced (see ArchiveObserver::replaceTakenTarget).
    bool replaceExisting = false;
    // Compression threads; 0 is one per core. The archive is the same whatever the number.
    unsigned jobs = 0;
    // The Windows code page of file names that are not UTF-8 on disk (see EntryName).
    std::string nameCodePage = "1252";
};

// Why a listed file is not in the archive.
enum class FileProblemKind {
    NotFound,          // nothing at that path (or not a full path)
    CannotRead,        // there, but it cannot be opened or read (the reason says why)
    NotAFile,          // a folder, a FIFO, a device: only regular files are read
    DuplicateEntry,    // another file already has its entry name
    ChangedWhileRead,  // its size or time moved while it was read, twice
};

struct FileProblem {
    std::string path;
    FileProblemKind kind = FileProblemKind::NotFound;
    std::string reason;  // the system's words ("Permission denied"), or what else is known
};

enum class Outcome {
    Complete,       // every listed file was written and the archive verified at `target`
    Incomplete,     // written and verified at `incompleteTarget`; `problems` lists what is missing
    NothingToDo,    // no file was listed, or none could be read; nothing written
    NoArchiveName,  // `target` is empty
    CannotCreate,   // the archive could not be written; `detail` names the folder and the reason
    VerifyFailed,   // reading the new archive back found an error; nothing replaced
    CannotReplace,  // the verified archive could not be put in place; nothing replaced
    TargetTaken,    // an archive appeared at `target` during the run and was kept; nothing written
    TargetBusy,     // another run is writing the same archive right now; nothing written
    Unsupported,    // a password was given and this build cannot write AES-256
    Cancelled,      // cancel() was called; nothing replaced, no temporary file left
};

struct ArchiveResult {
    Outcome outcome = Outcome::NothingToDo;
    // More about a failure: the folder or file concerned and the system's reason.
    std::string detail;
    // Listed files that are not in the archive, in list order.
    std::vector<FileProblem> problems;
    std::string writtenTo;    // the archive written; empty when none was
    std::size_t entries = 0;  // entries written
    std::uint64_t bytes = 0;  // their uncompressed size
};

// One file as a run would write it.
struct PlannedEntry {
    std::string path;
    std::string entryName;  // relative to the deepest folder holding every file, "/" between parts
    std::uint64_t size = 0;
    std::time_t modified = 0;
};

struct ArchivePlan {
    std::string folder;  // the deepest folder holding every planned file, ending with "/"
    std::vector<PlannedEntry> entries;
    std::vector<FileProblem> problems;
    std::uint64_t totalBytes = 0;
};

// What a run reports while it works. Every call comes on the thread that called write(), in
// order; percentages are whole numbers from 0 to 100 that never go down, reported at most once
// per percent.
class ArchiveObserver {
  public:
    virtual ~ArchiveObserver() = default;
    // A listed file is looked at, before anything is written.
    virtual void preparing(const std::string& path) {}
    // Share of the file being written.
    virtual void fileProgress(const std::string& path, int percent) {}
    // Share of all listed bytes written.
    virtual void overallProgress(int percent) {}
    // Share of the written archive read back and checked.
    virtual void checking(int percent) {}
    // A listed file will not be in the archive.
    virtual void problem(const FileProblem& problem) {}
    // The verified archive is ready, the user had not agreed to replace anything, and an archive
    // now exists at `target`: true replaces it, false keeps it (outcome TargetTaken).
    virtual bool replaceTakenTarget(const std::string& target) { return false; }
};

class ArchiveEngine {
  public:
    virtual ~ArchiveEngine() = default;
    // Writes the archive beside the target, reads every entry back (CRC and, with a password,
    // the AES authentication) and only then puts it in place. Never throws; whatever goes wrong
    // is the result's outcome and detail. A failed or cancelled run leaves any previous archive
    // as it was and no temporary file behind.
    virtual ArchiveResult write(const ArchiveRequest& request, ArchiveObserver& observer) = 0;
    // What write() would put into the archive, without writing anything.
    virtual ArchivePlan plan(const ArchiveRequest& request) const = 0;
    // Asks a run in progress to stop; safe to call from a signal handler or another thread.
    virtual void cancel() noexcept = 0;
};

// The engine's own words for an outcome, and for a file problem ("File not found: PATH").
std::string describe(Outcome outcome);
std::string describe(const FileProblem& problem);

}  // namespace arkstash::archive
