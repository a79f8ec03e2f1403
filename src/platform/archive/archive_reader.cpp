#include "platform/archive/archive_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <zip.h>
#include "platform/archive/zip_errors.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <set>
#include <utility>

#include "platform/error.h"

namespace arkstash::archive {

namespace {

// A project's backup holds sources, their binaries and a few libraries; an archive that claims
// far more than this is not one of ours, and restoring it would only fill the disk.
constexpr std::size_t kMostEntries = 100000;
constexpr std::uint64_t kLargestRestore = std::uint64_t{64} << 30;

[[noreturn]] void fail(const std::string& what, int err) {
    throw PlatformError(what + ": " + std::strerror(err));
}

// A descriptor closed when it goes out of scope.
class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

  private:
    int fd_;
};

void writeAll(int fd, std::string_view bytes, const std::string& what) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail(what, errno);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

// The modification time an extended-timestamp field (Info-ZIP's "UT") records to the second,
// where one is present; the DOS time of the header otherwise.
std::time_t modificationTime(zip_t* za, zip_uint64_t index, const zip_stat_t& st) {
    zip_uint16_t length = 0;
    const zip_uint8_t* field = zip_file_extra_field_get_by_id(za, index, 0x5455, 0, &length,
                                                              ZIP_FL_CENTRAL | ZIP_FL_LOCAL);
    if (field && length >= 5 && (field[0] & 1)) {
        std::uint32_t t = field[1] | field[2] << 8 | field[3] << 16 | std::uint32_t{field[4]} << 24;
        return static_cast<std::time_t>(static_cast<std::int32_t>(t));
    }
    return (st.valid & ZIP_STAT_MTIME) ? st.mtime : 0;
}

std::vector<std::string> partsOf(std::string_view name) {
    std::vector<std::string> parts;
    while (!name.empty()) {
        auto slash = name.find('/');
        parts.emplace_back(name.substr(0, slash));
        if (slash == std::string_view::npos) break;
        name.remove_prefix(slash + 1);
    }
    return parts;
}

bool lstatOf(const std::string& path, struct stat& st, int& err) {
    if (::lstat(path.c_str(), &st) == 0) return true;
    err = errno;
    return false;
}

}  // namespace

std::uint32_t Crc32(std::uint32_t crc, std::string_view bytes) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (unsigned char b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

FileDigest DigestFile(const std::string& path) {
    // Not blocking: a pipe put where a file was must not hang the comparison.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd) fail(path, errno);
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) fail(path, errno);
    if (!S_ISREG(st.st_mode)) throw PlatformError(path + ": not a regular file");
    FileDigest digest;
    std::vector<char> buffer(256 * 1024);
    for (;;) {
        ssize_t n = ::read(fd.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail(path, errno);
        if (n == 0) return digest;
        digest.size += static_cast<std::uint64_t>(n);
        digest.crc = Crc32(digest.crc, {buffer.data(), static_cast<std::size_t>(n)});
    }
}

std::optional<std::string> UnsafeEntryName(std::string_view name) {
    if (name.empty()) return "has no name";
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F) return "the name holds a control character";
        if (c == '\\') return "the name holds a backslash";
        if (c == ':') return "the name holds a colon (a drive letter or a stream name)";
    }
    if (name.front() == '/') return "the name is an absolute path";
    if (name.back() == '/') name.remove_suffix(1);
    for (const auto& part : partsOf(name)) {
        if (part == "..") return "the name climbs out of the folder (\"..\")";
        if (part.empty() || part == ".") return "the name has an empty or \".\" part";
    }
    return std::nullopt;
}

void ArchiveReader::Closer::operator()(::zip* za) const {
    zip_discard(za);
}

ArchiveReader::ArchiveReader(const std::string& path, const std::string& password) : path_(path) {
    int err = 0;
    zip_.reset(zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &err));
    if (!zip_) {
        zip_error_t e;
        zip_error_init_with_code(&e, err);
        std::string why = zip_error_strerror(&e);
        zip_error_fini(&e);
        throw PlatformError(path + ": " + why);
    }
    if (!password.empty()) zip_set_default_password(zip_.get(), password.c_str());
    zip_int64_t count = zip_get_num_entries(zip_.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        auto index = static_cast<zip_uint64_t>(i);
        zip_stat_t st;
        if (zip_stat_index(zip_.get(), index, 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME))
            throw PlatformError(path + ": entry " + std::to_string(i + 1) + " cannot be read");
        ArchiveEntry e;
        e.index = index;
        e.name = st.name;
        e.size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
        e.encrypted =
            (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;
        e.crc = (st.valid & ZIP_STAT_CRC) ? st.crc : 0;
        // AE-2 encryption leaves the CRC out (as zero); only the data can tell it then.
        e.crcKnown = (st.valid & ZIP_STAT_CRC) && !(e.encrypted && e.crc == 0 && e.size > 0);
        e.modified = modificationTime(zip_.get(), index, st);
        if (!e.name.empty() && e.name.back() == '/') e.type = EntryType::Folder;
        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        if (zip_file_get_external_attributes(zip_.get(), index, 0, &system, &attributes) == 0) {
            if (system == ZIP_OPSYS_UNIX) {
                std::uint32_t mode = attributes >> 16;
                switch (mode & S_IFMT) {
                    case 0:
                    case S_IFREG:
                        break;
                    case S_IFDIR:
                        e.type = EntryType::Folder;
                        break;
                    case S_IFLNK:
                        e.type = EntryType::Link;
                        break;
                    default:
                        e.type = EntryType::Special;
                }
                if (mode & 07777) e.permissions = mode & 07777;
            } else if (attributes & 0x10) {  // the DOS directory attribute
                e.type = EntryType::Folder;
            }
        }
        entries_.push_back(std::move(e));
    }
}

bool ArchiveReader::anyEncrypted() const {
    for (const auto& e : entries_)
        if (e.encrypted) return true;
    return false;
}

void ArchiveReader::read(const ArchiveEntry& entry,
                         const std::function<void(std::string_view)>& sink) const {
    struct FileCloser {
        void operator()(zip_file_t* f) const { zip_fclose(f); }
    };
    std::unique_ptr<zip_file_t, FileCloser> f(zip_fopen_index(zip_.get(), entry.index, 0));
    if (!f) {
        std::string why = describeZipError(zip_get_error(zip_.get()));
        zip_error_clear(zip_.get());
        throw PlatformError(entry.name + ": " + why);
    }
    std::vector<char> buffer(256 * 1024);
    std::uint64_t total = 0;
    std::uint32_t crc = 0;
    for (;;) {
        // Never more than one byte past the claimed size: enough to know the claim is false.
        std::uint64_t want = std::min<std::uint64_t>(buffer.size(), entry.size - total + 1);
        zip_int64_t n = zip_fread(f.get(), buffer.data(), want);
        if (n < 0)
            throw PlatformError(entry.name + ": " + describeZipError(zip_file_get_error(f.get())));
        if (n == 0) break;
        total += static_cast<std::uint64_t>(n);
        if (total > entry.size)
            throw PlatformError(entry.name + ": holds more bytes than the directory says (" +
                                std::to_string(entry.size) + ")");
        std::string_view piece(buffer.data(), static_cast<std::size_t>(n));
        crc = Crc32(crc, piece);
        sink(piece);
    }
    if (total != entry.size)
        throw PlatformError(entry.name + ": holds " + std::to_string(total) +
                            " bytes, the directory says " + std::to_string(entry.size));
    if (entry.crcKnown && crc != entry.crc)
        throw PlatformError(entry.name + ": checksum mismatch: the data is damaged");
}

std::string ArchiveReader::readAll(const ArchiveEntry& entry, std::uint64_t limit) const {
    if (entry.size > limit)
        throw PlatformError(entry.name + ": larger than " + std::to_string(limit) + " bytes");
    std::string data;
    data.reserve(static_cast<std::size_t>(entry.size));
    read(entry, [&](std::string_view piece) { data.append(piece); });
    return data;
}

std::uint32_t ArchiveReader::contentCrc(const ArchiveEntry& entry) const {
    if (entry.crcKnown) return entry.crc;
    std::uint32_t crc = 0;
    read(entry, [&](std::string_view piece) { crc = Crc32(crc, piece); });
    return crc;
}

namespace {

// The entry's path below the restore folder, without a folder entry's closing "/".
std::string_view pathOf(const ArchiveEntry& e) {
    std::string_view name = e.name;
    if (!name.empty() && name.back() == '/') name.remove_suffix(1);
    return name;
}

// The archive on its own: every name must be plain and name one thing, and the whole must be
// of a size a project's backup can have.
void checkNames(const std::vector<ArchiveEntry>& entries, RestorePlan& plan,
                std::set<std::string>& names) {
    auto refuse = [&](const std::string& name, const std::string& why) {
        plan.refusals.push_back(name + ": " + why);
    };
    if (entries.size() > kMostEntries) {
        refuse("archive", "holds " + std::to_string(entries.size()) +
                              " entries, more than a project's backup can have");
        return;
    }
    std::set<std::string> files, folders;
    std::uint64_t claimed = 0;
    for (const auto& e : entries) {
        if (auto why = UnsafeEntryName(e.name)) {
            refuse(e.name, *why);
            continue;
        }
        if (e.type == EntryType::Link) refuse(e.name, "a symbolic link; links are not restored");
        if (e.type == EntryType::Special) refuse(e.name, "not a regular file");
        std::string key(pathOf(e));
        if (!names.insert(key).second) refuse(e.name, "appears twice in the archive");
        (e.type == EntryType::Folder ? folders : files).insert(key);
        for (auto slash = key.find('/'); slash != std::string::npos;
             slash = key.find('/', slash + 1))
            folders.insert(key.substr(0, slash));
        if (e.type == EntryType::File) claimed += e.size;
    }
    for (const auto& f : files)
        if (folders.count(f)) refuse(f, "is both a file and a folder in the archive");
    if (claimed > kLargestRestore)
        refuse("archive", "claims " + std::to_string(claimed) +
                              " bytes, more than a project's backup can hold");
}

std::uint64_t freeBytesFor(const std::string& folder) {
    // The folder may not exist yet: the nearest one above it that does tells.
    std::filesystem::path probe = std::filesystem::absolute(folder);
    struct statvfs vfs {};
    while (::statvfs(probe.c_str(), &vfs) != 0) {
        if (!probe.has_parent_path() || probe == probe.parent_path()) return UINT64_MAX;
        probe = probe.parent_path();
    }
    return std::uint64_t{vfs.f_bavail} * vfs.f_frsize;
}

}  // namespace

RestorePlan PlanRestore(const ArchiveReader& archive, const std::string& folder, bool overwrite) {
    RestorePlan plan;
    plan.folder = folder;
    std::set<std::string> names;
    checkNames(archive.entries(), plan, names);
    if (!plan.refusals.empty()) return plan;

    // Then the folder as it is now: nothing may be written through a link, nor over a file
    // without leave.
    auto refuse = [&](const std::string& name, const std::string& why) {
        plan.refusals.push_back(name + ": " + why);
    };
    struct stat st;
    int err = 0;
    if (lstatOf(folder, st, err) && !std::filesystem::is_directory(folder)) {
        refuse(folder, "is not a folder");
        return plan;
    }
    std::set<std::string> keptNames;
    for (const auto& e : archive.entries()) {
        const bool isFolder = e.type == EntryType::Folder;
        RestoreStep step{&e, isFolder ? RestoreAction::Folder : RestoreAction::Write};
        auto parts = partsOf(pathOf(e));
        std::string path = folder;
        bool there = true;
        std::string why;
        for (std::size_t i = 0; i < parts.size() && there && why.empty(); ++i) {
            path += "/" + parts[i];
            if (!lstatOf(path, st, err)) {
                if (err == ENOENT)
                    there = false;
                else
                    why = path + ": " + std::strerror(err);
            } else if (S_ISLNK(st.st_mode))
                why = path + " is a symbolic link; nothing is written through one";
            else if ((i + 1 < parts.size() || isFolder) && !S_ISDIR(st.st_mode))
                why = path + " is a file, not a folder";
            else if (i + 1 == parts.size() && !isFolder && !S_ISREG(st.st_mode))
                why = path + (S_ISDIR(st.st_mode) ? " is a folder" : " is not a regular file");
        }
        if (!why.empty()) {
            refuse(e.name, why);
            continue;
        }
        if (there && !isFolder) {
            bool same = false;
            attempt([&] {
                same = static_cast<std::uint64_t>(st.st_size) == e.size &&
                       DigestFile(path).crc == archive.contentCrc(e);
            });
            if (same) {
                step.action = RestoreAction::Same;
            } else if (!overwrite) {
                refuse(e.name, path + " exists (give --overwrite to replace it; it is kept as " +
                                   parts.back() + ".orig)");
                continue;
            } else {
                step.action = RestoreAction::Replace;
                // A name for the present file that nothing else has or will have.
                for (int n = 1; n < 1000 && step.keptAs.empty(); ++n) {
                    std::string suffix = ".orig" + (n > 1 ? "." + std::to_string(n) : "");
                    std::string kept = e.name + suffix;
                    if (!names.count(kept) && !keptNames.count(kept) &&
                        !lstatOf(folder + "/" + kept, st, err) && err == ENOENT) {
                        keptNames.insert(kept);
                        step.keptAs = parts.back() + suffix;
                    }
                }
                if (step.keptAs.empty()) {
                    refuse(e.name, "no free name to keep the present file under");
                    continue;
                }
            }
        }
        if (step.action == RestoreAction::Write || step.action == RestoreAction::Replace)
            plan.bytesToWrite += e.size;
        plan.steps.push_back(step);
    }

    std::uint64_t free = freeBytesFor(folder);
    if (plan.refusals.empty() && plan.bytesToWrite > free)
        refuse(folder, "needs " + std::to_string(plan.bytesToWrite) + " bytes, and only " +
                           std::to_string(free) + " are free");
    return plan;
}

namespace {

// Opens (making it when missing) each folder of `parts` below `root`, never through a link.
Fd openFolders(int root, const std::vector<std::string>& parts, std::size_t count,
               const std::string& entry) {
    Fd dir(::dup(root));
    if (!dir) fail(entry, errno);
    for (std::size_t i = 0; i < count; ++i) {
        const char* part = parts[i].c_str();
        int fd = ::openat(dir.get(), part, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0 && errno == ENOENT) {
            if (::mkdirat(dir.get(), part, 0777) != 0 && errno != EEXIST)
                fail(entry + ": cannot make the folder " + parts[i], errno);
            fd = ::openat(dir.get(), part, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        }
        if (fd < 0)
            fail(entry + ": cannot open the folder " + parts[i] + " (a link or a file?)", errno);
        dir = Fd(fd);
    }
    return dir;
}

// Moves `from` to `to` in the same folder unless something is at `to` already.
bool renameNoReplace(int dir, const std::string& from, const std::string& to) {
    if (::renameat2(dir, from.c_str(), dir, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the flag: look first; the gap is as small as it gets.
    struct stat st;
    if (::fstatat(dir, to.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::renameat(dir, from.c_str(), dir, to.c_str()) == 0;
}

void restoreFile(const ArchiveReader& archive, int dir, const RestoreStep& step,
                 const std::string& name, std::mt19937_64& random) {
    const ArchiveEntry& e = *step.entry;
    std::string temporary;
    Fd fd;
    for (int tries = 0; !fd; ++tries) {
        char suffix[17];
        std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(random()));
        temporary = "." + name + "." + suffix + ".tmp";
        fd = Fd(::openat(dir, temporary.c_str(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (!fd && (errno != EEXIST || tries > 100)) fail(e.name + ": cannot create a file", errno);
    }
    struct Remover {
        int dir;
        const std::string& name;
        bool armed = true;
        ~Remover() {
            if (armed) ::unlinkat(dir, name.c_str(), 0);
        }
    } remover{dir, temporary};

    archive.read(e, [&](std::string_view piece) { writeAll(fd.get(), piece, e.name); });
    if (e.permissions && ::fchmod(fd.get(), (*e.permissions & 0777) | 0600) != 0)
        fail(e.name, errno);
    const timespec times[2] = {{0, UTIME_NOW}, {e.modified, 0}};
    if (::futimens(fd.get(), times) != 0) fail(e.name, errno);
    if (::fsync(fd.get()) != 0) fail(e.name, errno);
    fd = Fd();

    if (step.action == RestoreAction::Replace && !renameNoReplace(dir, name, step.keptAs))
        fail(e.name + ": cannot keep the present file as " + step.keptAs, errno);
    if (!renameNoReplace(dir, temporary, name)) {
        int err = errno;
        if (step.action == RestoreAction::Replace)
            ::renameat(dir, step.keptAs.c_str(), dir, name.c_str());
        fail(e.name + ": cannot put the file in place", err);
    }
    remover.armed = false;
}

}  // namespace

void Restore(const ArchiveReader& archive, const RestorePlan& plan,
             const std::function<void(const RestoreStep&)>& wrote) {
    if (!plan.refusals.empty()) throw PlatformError(plan.refusals.front());
    std::error_code ec;
    std::filesystem::create_directories(plan.folder, ec);
    // The folder itself is the user's to name, link or not; below it nothing follows a link.
    Fd root(::open(plan.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!root) fail(plan.folder, errno);
    std::random_device seed;
    std::mt19937_64 random((std::uint64_t{seed()} << 32) ^ seed());
    for (const auto& step : plan.steps) {
        const ArchiveEntry& e = *step.entry;
        auto parts = partsOf(pathOf(e));
        if (step.action == RestoreAction::Folder) {
            openFolders(root.get(), parts, parts.size(), e.name);
        } else if (step.action != RestoreAction::Same) {
            Fd dir = openFolders(root.get(), parts, parts.size() - 1, e.name);
            restoreFile(archive, dir.get(), step, parts.back(), random);
            ::fsync(dir.get());
        }
        if (wrote) wrote(step);
    }
}

}  // namespace arkstash::archive
