// The folder an archive is written into: a lock that keeps two runs off the same archive, the
// temporary file the archive is written to beside it, the removal of temporaries left by runs
// that died, and the rename that puts the finished archive in place.
//
// Names in the folder are short and fixed in length whatever the archive's name, so any name the
// file system takes for an archive also leaves room for ours: ".arkstash-KEY.lock" and
// ".arkstash-KEY-RANDOM.tmp", where KEY is a hash of the archive's file name.
#pragma once

#include <optional>
#include <string>

#include "platform/archive/source_files.h"

namespace arkstash::archive {

// The hash of an archive's file name that names its lock and temporaries (16 hex digits).
std::string targetKey(const std::string& target);

// The lock on one archive name, held for a whole run. Its file is removed on release.
class TargetLock {
  public:
    enum class Status { Held, Busy, Failed };
    // Takes the lock on `target`. Busy: another live run holds it. Failed: `detail` names the
    // folder and the system's reason (no such folder, not a folder, no permission...).
    static std::optional<TargetLock> acquire(const std::string& target, Status& status,
                                             std::string& detail);
    TargetLock(TargetLock&&) noexcept = default;
    TargetLock& operator=(TargetLock&&) = delete;
    ~TargetLock();

  private:
    TargetLock(std::string path, UniqueFd fd) : path_(std::move(path)), fd_(std::move(fd)) {}
    std::string path_;
    UniqueFd fd_;
};

// A new file beside the target, locked while this process holds it open, removed when it goes
// out of scope unless it was put in place.
class TemporaryArchive {
  public:
    // Creates it. Failure: nullopt, and `detail` names the folder and the system's reason.
    static std::optional<TemporaryArchive> create(const std::string& target, std::string& detail);
    TemporaryArchive(TemporaryArchive&&) noexcept;
    TemporaryArchive& operator=(TemporaryArchive&&) = delete;
    ~TemporaryArchive();

    const std::string& path() const { return path_; }
    int fd() const { return fd_.get(); }
    // The file now has another name (it was put in place); it is no longer removed.
    void placed() { path_.clear(); }

  private:
    TemporaryArchive(std::string path, UniqueFd fd) : path_(std::move(path)), fd_(std::move(fd)) {}
    std::string path_;
    UniqueFd fd_;
};

// Removes the temporaries of `target` that no live process holds. Call with the target's lock
// held. Answers how many were removed.
int removeStaleTemporaries(const std::string& target);

enum class Placement { Placed, Taken, Failed };

// Renames `from` to `to` unless something exists at `to` (then Taken, and `from` stays).
// Failed: `error` is the errno. Uses renameat2's RENAME_NOREPLACE where the file system has it,
// else linkWithoutReplacing.
Placement renameWithoutReplacing(const std::string& from, const std::string& to, int& error);
// The same through link() and unlink(), for file systems without RENAME_NOREPLACE; where the
// file system has no hard links either, a rename after a check under our lock.
Placement linkWithoutReplacing(const std::string& from, const std::string& to, int& error);

// The folder part of a path, "." for a bare name.
std::string folderOf(const std::string& path);

}  // namespace arkstash::archive
