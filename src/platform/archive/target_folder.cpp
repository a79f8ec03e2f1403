#include "platform/archive/target_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

namespace arkstash::archive {

namespace {

constexpr const char* kPrefix = ".arkstash-";

std::string hex16(std::uint64_t v) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v));
    return text;
}

std::string inFolder(const std::string& target, const std::string& name) {
    std::string folder = folderOf(target);
    return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string because(const std::string& folder, int err) {
    return folder + ": " + std::strerror(err);
}

}  // namespace

std::string folderOf(const std::string& path) {
    std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

std::string targetKey(const std::string& target) {
    // FNV-1a: the same in every process, so a later run finds an earlier one's files.
    std::uint64_t h = 14695981039346656037ULL;
    for (unsigned char c : std::filesystem::path(target).filename().string()) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    return hex16(h);
}

std::optional<TargetLock> TargetLock::acquire(const std::string& target, Status& status,
                                              std::string& detail) {
    const std::string path = inFolder(target, kPrefix + targetKey(target) + ".lock");
    // A run that releases the lock removes its file; a file opened just before that is a lock
    // on nothing, so the lock is taken again on the file now under the name.
    for (int attempt = 0; attempt < 16; ++attempt) {
        UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666));
        if (!fd && errno == EACCES) fd = UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (!fd) {
            status = Status::Failed;
            detail = because(folderOf(target), errno);
            return std::nullopt;
        }
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
            int err = errno;
            status = err == EWOULDBLOCK ? Status::Busy : Status::Failed;
            detail = err == EWOULDBLOCK ? target : because(folderOf(target), err);
            return std::nullopt;
        }
        struct stat held, named;
        if (::fstat(fd.get(), &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            status = Status::Held;
            return TargetLock(path, std::move(fd));
        }
    }
    status = Status::Busy;
    detail = target;
    return std::nullopt;
}

TargetLock::~TargetLock() {
    // Removed while still held, so no other run can be holding a lock on this very file.
    if (fd_) ::unlink(path_.c_str());
}

std::optional<TemporaryArchive> TemporaryArchive::create(const std::string& target,
                                                         std::string& detail) {
    const std::string stem = kPrefix + targetKey(target) + "-";
    std::random_device rd;
    std::mt19937_64 gen((static_cast<std::uint64_t>(rd()) << 32) ^ rd() ^
                        static_cast<std::uint64_t>(::getpid()));
    // Only a name that is taken is tried again; any other failure is the folder's and final.
    for (int attempt = 0; attempt < 64; ++attempt) {
        std::string path = inFolder(target, stem + hex16(gen()) + ".tmp");
        UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666));
        if (!fd) {
            if (errno == EEXIST) continue;
            detail = because(folderOf(target), errno);
            return std::nullopt;
        }
        // The lock tells a later run that this file is in use; without it the file would look
        // stale to that run.
        ::flock(fd.get(), LOCK_EX | LOCK_NB);
        return TemporaryArchive(std::move(path), std::move(fd));
    }
    detail = folderOf(target) + ": no free name for a temporary file";
    return std::nullopt;
}

TemporaryArchive::TemporaryArchive(TemporaryArchive&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::move(other.fd_)) {
    other.path_.clear();
}

TemporaryArchive::~TemporaryArchive() {
    if (!path_.empty()) ::unlink(path_.c_str());
}

int removeStaleTemporaries(const std::string& target) {
    const std::string folder = folderOf(target);
    const std::string stem = kPrefix + targetKey(target) + "-";
    DIR* d = ::opendir(folder.c_str());
    if (!d) return 0;
    int removed = 0;
    while (const dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name.size() <= stem.size() + 4 || name.compare(0, stem.size(), stem) != 0 ||
            name.compare(name.size() - 4, 4, ".tmp") != 0)
            continue;
        UniqueFd fd(
            ::openat(::dirfd(d), name.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
        struct stat st;
        if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        // A live run holds its temporary locked from the moment it exists.
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) continue;
        if (::unlinkat(::dirfd(d), name.c_str(), 0) == 0) ++removed;
    }
    ::closedir(d);
    return removed;
}

Placement linkWithoutReplacing(const std::string& from, const std::string& to, int& error) {
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return Placement::Placed;
    }
    error = errno;
    if (error == EEXIST) return Placement::Taken;
    if (error != EPERM && error != EOPNOTSUPP && error != EMLINK) return Placement::Failed;
    // No hard links here (FAT, some network shares): check, then rename. Our lock keeps other
    // runs of ours out of the gap; only another program could slip in.
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0) return Placement::Taken;
    if (::rename(from.c_str(), to.c_str()) == 0) return Placement::Placed;
    error = errno;
    return Placement::Failed;
}

Placement renameWithoutReplacing(const std::string& from, const std::string& to, int& error) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return Placement::Placed;
    error = errno;
    if (error == EEXIST) return Placement::Taken;
    if (error == EINVAL || error == ENOSYS || error == EOPNOTSUPP)
        return linkWithoutReplacing(from, to, error);
    return Placement::Failed;
}

}  // namespace arkstash::archive
