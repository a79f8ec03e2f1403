#include "platform/registry/hive_registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "platform/error.h"
#include "platform/os/file_system.h"
#include "platform/registry/memory_registry.h"
#include "platform/registry/reg_file.h"

namespace arkstash::registry {

namespace {

// No settings hive comes near this; a file that does is not one of ours.
constexpr std::size_t kMaxHiveBytes = 64u << 20;

// What identifies one version of a file: rewriting it (always by rename) changes the inode.
struct FileStamp {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    long long mtimeNs = 0;
    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const struct stat& st) {
    return {true, st.st_dev, st.st_ino, st.st_size,
            static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
}

FileStamp stampOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return stampOf(st);
}

enum class ReadState { Missing, Unreadable, TooLarge, Read };

// Reads the whole file, and the stamp of exactly the version read; `why` says what kept it
// from being read.
ReadState readWhole(const std::string& path, std::string& bytes, FileStamp& stamp,
                    std::string& why) {
    // A hive replaced by a named pipe must not hang every start: open without blocking and
    // take only a regular file.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        int err = errno;
        stamp = stampOf(path);
        why = std::strerror(err);
        return err == ENOENT || err == ENOTDIR ? ReadState::Missing : ReadState::Unreadable;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        why = S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a regular file";
        ::close(fd);
        stamp = stampOf(path);
        return ReadState::Unreadable;
    }
    stamp = stampOf(st);
    if (static_cast<std::size_t>(st.st_size) > kMaxHiveBytes) {
        ::close(fd);
        return ReadState::TooLarge;
    }
    bytes.clear();
    char buf[65536];
    while (true) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            why = std::strerror(errno);
            ::close(fd);
            return ReadState::Unreadable;
        }
        if (n == 0) break;
        bytes.append(buf, static_cast<std::size_t>(n));
        if (bytes.size() > kMaxHiveBytes) {
            ::close(fd);
            return ReadState::TooLarge;
        }
    }
    ::close(fd);
    return ReadState::Read;
}

// An exclusive lock held on a lock file for the lifetime of the object. The lock file stays in
// place: removing it would let a waiting process lock a file nobody else can see any more.
class FileLock {
  public:
    explicit FileLock(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0)
            throw PlatformError("Cannot open the lock file '" + path +
                                "': " + std::strerror(errno));
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd_);
            throw PlatformError("Cannot lock '" + path + "': " + std::strerror(err));
        }
    }
    ~FileLock() {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

  private:
    int fd_ = -1;
};

// "user.reg.damaged-20261205-070956", with a counter when that name is taken.
std::string asideName(const std::string& file) {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&t, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    std::string base = file + ".damaged-" + stamp;
    std::string name = base;
    for (int n = 2; ::access(name.c_str(), F_OK) == 0; ++n) name = base + "-" + std::to_string(n);
    return name;
}

std::string fullPath(Root root, const std::string& subKey) {
    std::string rest = normalizeKeyPath(subKey);
    return rest.empty() ? std::string(rootName(root)) : std::string(rootName(root)) + "\\" + rest;
}

}  // namespace

struct HiveRegistry::Hive {
    HiveRegistry* owner = nullptr;
    std::string file;
    bool readOnly = false;
    bool loaded = false;
    FileStamp stamp;
    HiveKeys disk;     // the file as last read or written
    HiveKeys pending;  // keys created and values set here since the last flush
    os::PosixFileSystem fs;

    std::string lockFile() const { return file + ".lock"; }

    void warn(Trouble trouble, const std::string& message) {
        owner->warnOnce(file, trouble, message);
    }

    void warnUnreadable(const std::string& why) {
        warn(Trouble::Unreadable, "The settings file '" + file + "' cannot be read (" + why +
                                      "); the settings in it are not used" +
                                      (readOnly ? "." : " and it is not written over."));
    }

    // Brings `disk` up to the file when it changed since it was last read.
    void refresh() {
        if (loaded && stampOf(file) == stamp) return;
        load();
    }

    void load() {
        loaded = true;
        std::string bytes, why;
        ReadState state = readWhole(file, bytes, stamp, why);
        if (state == ReadState::Unreadable) warnUnreadable(why);
        if (state != ReadState::Read && state != ReadState::TooLarge) {
            disk.clear();  // missing or unreadable: no values
            return;
        }
        RegParseResult parsed;
        if (state == ReadState::Read) parsed = parseRegFile(bytes);
        if (parsed.ok) {
            disk = std::move(parsed.keys);
            return;
        }
        disk.clear();
        if (readOnly) {
            warn(Trouble::Damaged, "The file '" + file + "' is damaged (" + damage(parsed) +
                                       "); the registrations in it are not used.");
            return;
        }
        // Set aside under the lock, after a second look: another process may have just put a
        // good file in place, and that one must not be moved.
        try {
            FileLock lock(lockFile());
            readUnderLock();
        } catch (const std::exception& e) {
            warn(Trouble::Damaged, e.what());
        }
    }

    static std::string damage(const RegParseResult& parsed) {
        return parsed.error.empty() ? "larger than any settings file" : parsed.error;
    }

    // Reads the file while holding the lock; a damaged file is renamed aside. Throws when a
    // damaged file cannot be moved, so that it is never overwritten.
    void readUnderLock() {
        std::string bytes, why;
        ReadState state = readWhole(file, bytes, stamp, why);
        disk.clear();
        if (state == ReadState::Missing) return;
        if (state == ReadState::Unreadable) {
            warnUnreadable(why);
            throw PlatformError("Cannot read the settings file '" + file + "': " + why);
        }
        RegParseResult parsed;
        if (state == ReadState::Read) {
            parsed = parseRegFile(bytes);
            if (parsed.ok) {
                disk = std::move(parsed.keys);
                return;
            }
        }
        std::string aside = asideName(file);
        if (::rename(file.c_str(), aside.c_str()) != 0)
            throw PlatformError("The settings file '" + file + "' is damaged (" + damage(parsed) +
                                ") and cannot be set aside: " + std::strerror(errno));
        stamp = {};
        warn(Trouble::Damaged, "The settings file '" + file + "' was damaged (" + damage(parsed) +
                                   "); it was set aside as '" + aside +
                                   "' and settings start afresh.");
    }

    void flush() {
        if (pending.empty()) return;
        try {
            write();
        } catch (const std::exception& e) {
            warn(Trouble::NotSaved, std::string("Settings cannot be saved: ") + e.what());
            throw;
        }
    }

    void write() {
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ec);
        if (ec) throw PlatformError("Cannot create the settings folder: " + ec.message());
        FileLock lock(lockFile());
        readUnderLock();
        HiveKeys merged = disk;
        for (const auto& [folded, key] : pending) {
            HiveKey& target = ensureKey(merged, key.path);
            for (const auto& [name, nv] : key.values) {
                auto it = target.values.find(name);
                if (it == target.values.end())
                    target.values.emplace(name, nv);
                else
                    it->second.value = nv.value;
            }
        }
        fs.replaceFile(file, encodeRegFile(merged));
        disk = std::move(merged);
        pending.clear();
        stamp = stampOf(file);
        loaded = true;
    }

    bool hasKey(const std::string& folded) const {
        return disk.count(folded) != 0 || pending.count(folded) != 0;
    }
};

HiveRegistry::HiveRegistry(std::string folder) : folder_(std::move(folder)) {
    auto make = [&](const char* name, bool readOnly) {
        auto h = std::make_unique<Hive>();
        h->owner = this;
        h->file = (std::filesystem::path(folder_) / name).string();
        h->readOnly = readOnly;
        return h;
    };
    hives_[Root::CurrentUser] = make("user.reg", false);
    hives_[Root::ClassesRoot] = make("classes.reg", true);
}

HiveRegistry::~HiveRegistry() = default;

void HiveRegistry::warnOnce(const std::string& file, Trouble trouble, const std::string& message) {
    if (!warn_ || !warned_.emplace(file, trouble).second) return;
    try {
        warn_(message);
    } catch (const std::exception&) {
        // A warning that cannot be shown must not turn into the caller's failure.
    }
}

std::string HiveRegistry::hiveFile(Root root) const {
    auto it = hives_.find(root);
    return it == hives_.end() ? std::string() : it->second->file;
}

HiveRegistry::Hive* HiveRegistry::hiveFor(Root root) {
    auto it = hives_.find(root);
    return it == hives_.end() ? nullptr : it->second.get();
}

HiveRegistry::Handle& HiveRegistry::handle(KeyHandle h) {
    auto it = handles_.find(h);
    if (it == handles_.end()) throw PlatformError("Invalid registry key handle");
    return it->second;
}

std::optional<KeyHandle> HiveRegistry::openKey(Root root, const std::string& subKey,
                                               Access access) {
    Hive* hive = hiveFor(root);
    if (!hive || (access == Access::Full && hive->readOnly)) return std::nullopt;
    hive->refresh();
    std::string path = fullPath(root, subKey);
    if (path != rootName(root) && !hive->hasKey(foldCase(path))) return std::nullopt;
    KeyHandle h = next_++;
    handles_[h] = Handle{root, path, access};
    return h;
}

KeyHandle HiveRegistry::createKey(Root root, const std::string& subKey) {
    Hive* hive = hiveFor(root);
    if (!hive || hive->readOnly) throw PlatformError("Access is denied");
    hive->refresh();
    std::string path = fullPath(root, subKey);
    if (!hive->hasKey(foldCase(path))) ensureKey(hive->pending, path);
    KeyHandle h = next_++;
    handles_[h] = Handle{root, path, Access::Full};
    return h;
}

std::optional<Value> HiveRegistry::queryValue(KeyHandle key, const std::string& name) {
    Handle& h = handle(key);
    Hive* hive = hiveFor(h.root);
    std::string folded = foldCase(h.path);
    std::string valueName = foldCase(name);
    for (const HiveKeys* layer : {&hive->pending, &hive->disk}) {
        auto k = layer->find(folded);
        if (k == layer->end()) continue;
        auto v = k->second.values.find(valueName);
        if (v != k->second.values.end()) return v->second.value;
    }
    return std::nullopt;
}

void HiveRegistry::setValue(KeyHandle key, const std::string& name, const Value& value) {
    Handle& h = handle(key);
    Hive* hive = hiveFor(h.root);
    if (h.access != Access::Full || hive->readOnly) throw PlatformError("Access is denied");
    if (name.find('\0') != std::string::npos) throw PlatformError("Invalid value name");
    HiveKey& k = ensureKey(hive->pending, h.path);
    std::string folded = foldCase(name);
    auto it = k.values.find(folded);
    if (it == k.values.end())
        k.values.emplace(folded, NamedValue{name, value});
    else
        it->second.value = value;
}

void HiveRegistry::flushKey(KeyHandle key) {
    Handle& h = handle(key);
    Hive* hive = hiveFor(h.root);
    if (hive->readOnly) return;
    hive->flush();
}

void HiveRegistry::closeKey(KeyHandle key) {
    handles_.erase(key);
}

std::string hiveFolder(const EnvironmentLookup& getenv) {
    auto var = [&](const char* name) -> std::string {
        if (!getenv) return {};
        return getenv(name).value_or(std::string());
    };
    auto join = [](std::string dir, const char* name) {
        if (!dir.empty() && dir.back() != '/') dir += '/';
        return dir + name;
    };
    if (std::string home = var("ARKSTASH_HOME"); !home.empty()) return home;
    // A relative XDG_CONFIG_HOME is invalid and is to be ignored.
    if (std::string xdg = var("XDG_CONFIG_HOME"); !xdg.empty() && xdg.front() == '/')
        return join(xdg, "arkstash");
    if (std::string home = var("HOME"); !home.empty())
        return join(join(home, ".config"), "arkstash");
    throw PlatformError("No folder for the settings: neither ARKSTASH_HOME nor HOME is set");
}

std::unique_ptr<HiveRegistry> openUserRegistry(const EnvironmentLookup& getenv) {
    return std::make_unique<HiveRegistry>(hiveFolder(getenv));
}

}  // namespace arkstash::registry
