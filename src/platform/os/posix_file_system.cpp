#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>

#include "platform/error.h"
#include "platform/os/file_system.h"

namespace arkstash::os {

namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path, int err) {
    throw PlatformError(what + " '" + path + "': " + std::strerror(err));
}

FileTime toFileTime(const struct statx_timestamp& t) {
    auto secs = static_cast<std::int64_t>(t.tv_sec);
    return kUnixEpochAsFileTime + static_cast<FileTime>(secs) * 10000000ULL + t.tv_nsec / 100;
}

bool hasWildcard(const std::string& s) {
    return s.find_first_of("*?") != std::string::npos;
}

// Splits at the last separator; both kinds of slash count.
std::pair<std::string, std::string> splitLast(const std::string& path) {
    auto pos = path.find_last_of("/\\");
    if (pos == std::string::npos) return {".", path};
    return {pos == 0 ? "/" : path.substr(0, pos), path.substr(pos + 1)};
}

// Nothing there: a missing entry, or a part of the path that is missing or no folder.
bool isAbsent(int err) {
    return err == ENOENT || err == ENOTDIR;
}

// What a file that is not regular is, for messages.
std::string kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

std::optional<FileInfo> statFile(const std::string& path) {
    struct statx sx {};
    if (statx(AT_FDCWD, path.c_str(), AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | STATX_BTIME,
              &sx) != 0) {
        if (isAbsent(errno)) return std::nullopt;
        fail("Cannot look up", path, errno);
    }
    if (!S_ISREG(sx.stx_mode)) return std::nullopt;  // folders, pipes and devices never match
    FileInfo info;
    info.path = path;
    info.size = sx.stx_size;
    info.readOnly = access(path.c_str(), W_OK) != 0;
    info.lastWriteTime = toFileTime(sx.stx_mtime);
    info.creationTime = (sx.stx_mask & STATX_BTIME) ? toFileTime(sx.stx_btime) : info.lastWriteTime;
    return info;
}

void syncFolderOf(const std::string& path) {
    auto dir = splitLast(path).first;
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

std::optional<FileInfo> PosixFileSystem::findFirst(const std::string& path, bool allowHidden) {
    if (path.empty()) return std::nullopt;
    if (path.find('\0') != std::string::npos) throw PlatformError("Invalid path");
    auto [dir, pattern] = splitLast(path);
    // Wildcards stand only in the last part; anywhere else the path is invalid, whether or not
    // the last part holds any.
    if (hasWildcard(dir)) throw PlatformError("Invalid path '" + path + "'");
    if (!hasWildcard(pattern)) return statFile(path);
    DIR* d = ::opendir(dir.c_str());
    if (!d) {
        if (isAbsent(errno)) return std::nullopt;
        fail("Cannot list", dir, errno);
    }
    std::vector<std::string> names;
    while (dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if (n == "." || n == "..") continue;
        if (::fnmatch(pattern.c_str(), n.c_str(), FNM_NOESCAPE) == 0) names.push_back(n);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    for (const auto& n : names) {
        std::string full = (dir == "/" ? std::string() : dir) + "/" + n;
        if (auto info = statFile(full)) return info;
    }
    return std::nullopt;
}

EntryStatus PosixFileSystem::statusOf(const std::string& path) {
    if (path.empty()) return {};
    if (path.find('\0') != std::string::npos) throw PlatformError("Invalid path");
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (isAbsent(errno)) return {};
        fail("Cannot look up", path, errno);
    }
    if (S_ISREG(st.st_mode)) return {EntryType::File, static_cast<std::uint64_t>(st.st_size)};
    return {S_ISDIR(st.st_mode) ? EntryType::Folder : EntryType::Other, 0};
}

bool PosixFileSystem::folderExists(const std::string& path) {
    if (path.empty()) return false;
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void PosixFileSystem::createFolder(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && (p.back() == '/' || p.back() == '\\')) p.pop_back();
    if (p.empty()) throw PlatformError("Invalid path");
    if (::mkdir(p.c_str(), 0777) != 0) fail("Cannot create folder", path, errno);
}

std::string PosixFileSystem::readFile(const std::string& path, std::uint64_t limit) {
    // Not blocking: opening a named pipe for reading would otherwise wait for a writer for
    // ever. Regular files ignore the flag; whatever else opened is refused on the descriptor,
    // so nothing swapped in between a look-up and the read slips through.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) fail("Cannot open", path, errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        int err = errno;
        ::close(fd);
        fail("Cannot read", path, err);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        throw PlatformError("Cannot read '" + path + "': it is " + kindOf(st.st_mode) +
                            ", not a regular file");
    }
    if (static_cast<std::uint64_t>(st.st_size) > limit) {
        ::close(fd);
        throw PlatformError("File too large: '" + path + "'");
    }
    std::string out;
    out.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            fail("Cannot read", path, err);
        }
        if (n == 0) break;
        out.append(buf, static_cast<std::size_t>(n));
        if (out.size() > limit) {
            ::close(fd);
            throw PlatformError("File too large: '" + path + "'");
        }
    }
    ::close(fd);
    return out;
}

void PosixFileSystem::replaceFile(const std::string& path, std::string_view content) {
    std::random_device rd;
    std::string tmp;
    int fd = -1;
    // A name another writer took in the meantime is no reason to fail: draw another.
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        tmp = path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(rd() % 1000000);
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) fail("Cannot write", path, errno);
    auto cleanup = [&](int err) {
        ::close(fd);
        ::unlink(tmp.c_str());
        fail("Cannot write", path, err);
    };
    const char* p = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            cleanup(errno);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) cleanup(errno);
    // Keep the permissions of the file being replaced.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        fail("Cannot write", path, err);
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        fail("Cannot replace", path, err);
    }
    syncFolderOf(path);
}

void PosixFileSystem::removeFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0) fail("Cannot delete", path, errno);
}

void PosixFileSystem::renameFile(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) fail("Cannot rename", from, errno);
    syncFolderOf(to);
}

std::vector<std::string> PosixFileSystem::listFolder(const std::string& path) {
    DIR* d = ::opendir(path.c_str());
    if (!d) fail("Cannot list", path, errno);
    std::vector<std::string> names;
    while (dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if (n != "." && n != "..") names.push_back(std::move(n));
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace arkstash::os
