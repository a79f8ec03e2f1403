#include "platform/archive/source_files.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace arkstash::archive {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.release();
    }
    return *this;
}

UniqueFd::~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
}

namespace {

FileFacts factsOf(const struct stat& st) {
    return {.size = static_cast<std::uint64_t>(st.st_size),
            .modifiedNs =
                static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            .mode = static_cast<std::uint32_t>(st.st_mode & 07777)};
}

const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

// File systems whose "files" are made by the kernel as they are read: their sizes say nothing
// and their content (a process's environment, say) is no project's.
bool isKernelFileSystem(long type) {
    switch (type) {
        case PROC_SUPER_MAGIC:
        case SYSFS_MAGIC:
        case DEBUGFS_MAGIC:
        case SECURITYFS_MAGIC:
        case CGROUP_SUPER_MAGIC:
        case CGROUP2_SUPER_MAGIC:
        case TRACEFS_MAGIC:
        case BPF_FS_MAGIC:
        case EFIVARFS_MAGIC:
            return true;
        default:
            return false;
    }
}

}  // namespace

OpenedFile SourceFiles::open(const std::string& path) const {
    OpenedFile f;
    auto fail = [&](FileProblemKind kind, std::string reason) {
        f.fd = UniqueFd();
        f.problem = FileProblem{path, kind, std::move(reason)};
        return std::move(f);
    };
    // O_NONBLOCK: opening a FIFO must not wait for a writer, nor reading it for data.
    f.fd = UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!f.fd) {
        int err = errno;
        return fail(err == ENOENT || err == ENOTDIR ? FileProblemKind::NotFound
                                                    : FileProblemKind::CannotRead,
                    std::strerror(err));
    }
    struct stat st;
    if (::fstat(f.fd.get(), &st) != 0)
        return fail(FileProblemKind::CannotRead, std::strerror(errno));
    if (!S_ISREG(st.st_mode)) return fail(FileProblemKind::NotAFile, kindOf(st.st_mode));
    struct statfs fs;
    if (::fstatfs(f.fd.get(), &fs) == 0 && isKernelFileSystem(static_cast<long>(fs.f_type)))
        return fail(FileProblemKind::NotAFile, "a file the kernel makes, not one of a project");
    f.facts = factsOf(st);
    return f;
}

std::int64_t SourceFiles::read(int fd, std::uint64_t offset, char* into, std::size_t size) const {
    for (;;) {
        ssize_t n = ::pread(fd, into, size, static_cast<off_t>(offset));
        if (n >= 0) return n;
        if (errno != EINTR) return -errno;
    }
}

std::optional<FileFacts> SourceFiles::facts(int fd) const {
    struct stat st;
    if (::fstat(fd, &st) != 0) return std::nullopt;
    return factsOf(st);
}

std::int64_t readFully(const SourceFiles& files, int fd, std::uint64_t offset, char* into,
                       std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        std::int64_t n = files.read(fd, offset + done, into + done, size - done);
        if (n < 0) return n;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

}  // namespace arkstash::archive
