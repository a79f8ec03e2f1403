#include "platform/archive/libzip_engine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <set>

#include "platform/archive/archive_check.h"
#include "platform/archive/entry_names.h"

namespace arkstash::archive {

namespace {

// Observers belong to the window or the command line; one that fails must not stop the archive
// half-written, nor let an exception cross libzip's C frames.
template <typename F>
void tell(F&& call) noexcept {
    try {
        call();
    } catch (...) {
    }
}

int wholePercent(std::uint64_t done, std::uint64_t total) {
    if (total == 0 || done >= total) return 100;
    return static_cast<int>(done * 100 / total);
}

std::string temporaryPathFor(const std::string& target) {
    namespace fs = std::filesystem;
    fs::path t(target);
    std::random_device rd;
    std::mt19937_64 gen((static_cast<std::uint64_t>(rd()) << 32) ^ rd() ^ ::getpid());
    for (;;) {
        char suffix[17];
        std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(gen()));
        fs::path candidate =
            t.parent_path() / ("." + t.filename().string() + "." + suffix + ".tmp");
        struct stat st;
        if (::lstat(candidate.c_str(), &st) != 0 && errno == ENOENT) return candidate.string();
    }
}

void removeQuietly(const std::string& path) {
    ::unlink(path.c_str());
}

std::string syncFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    int rc = ::fsync(fd);
    int err = errno;
    ::close(fd);
    return rc == 0 ? std::string() : std::strerror(err);
}

void syncFolderOf(const std::string& path) {
    std::string dir = std::filesystem::path(path).parent_path().string();
    if (dir.empty()) dir = ".";
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

struct PlannedFile {
    PlannedEntry entry;
    std::uint32_t mode = 0;  // permission bits, kept in the entry's attributes
};

struct FullPlan {
    ArchivePlan plan;
    std::vector<std::uint32_t> modes;  // per entry
};

FullPlan planFiles(const std::vector<std::string>& files, ArchiveObserver* observer) {
    FullPlan full;
    ArchivePlan& p = full.plan;
    std::set<std::string> seen;
    auto skip = [&](const std::string& path, FileProblemKind kind, std::string reason) {
        p.problems.push_back({path, kind, std::move(reason)});
        if (observer) tell([&] { observer->problem(p.problems.back()); });
    };
    std::vector<std::string> normal;
    for (const std::string& listed : files) {
        std::string key = NormalPath(listed);
        // The same file listed twice goes into the archive once.
        if (!seen.insert(key).second) continue;
        if (observer) tell([&] { observer->preparing(listed); });
        // A relative path would depend on wherever the program happens to run; such an entry
        // (a reference whose file is "Unknown", say) names no file of the project.
        if (!std::filesystem::path(listed).is_absolute()) {
            skip(listed, FileProblemKind::NotFound, "not a full path");
            continue;
        }
        struct stat st;
        if (::stat(listed.c_str(), &st) != 0) {
            int err = errno;
            skip(listed,
                 err == ENOENT || err == ENOTDIR ? FileProblemKind::NotFound
                                                 : FileProblemKind::CannotRead,
                 std::strerror(err));
            continue;
        }
        if (!S_ISREG(st.st_mode)) {
            skip(listed, FileProblemKind::NotAFile,
                 S_ISDIR(st.st_mode) ? "a folder" : "not a regular file");
            continue;
        }
        int fd = ::open(listed.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            skip(listed, FileProblemKind::CannotRead, std::strerror(errno));
            continue;
        }
        ::close(fd);
        p.entries.push_back({.path = listed,
                             .size = static_cast<std::uint64_t>(st.st_size),
                             .modified = st.st_mtime});
        full.modes.push_back(static_cast<std::uint32_t>(st.st_mode & 07777));
        normal.push_back(key);
    }

    p.folder = CommonFolder(normal);
    std::set<std::string> names;
    std::vector<PlannedEntry> kept;
    std::vector<std::uint32_t> keptModes;
    for (std::size_t i = 0; i < p.entries.size(); ++i) {
        PlannedEntry& f = p.entries[i];
        f.entryName = EntryName(p.folder, normal[i]);
        if (!names.insert(f.entryName).second) {
            skip(f.path, FileProblemKind::DuplicateEntry, f.entryName);
            continue;
        }
        p.totalBytes += f.size;
        kept.push_back(std::move(f));
        keptModes.push_back(full.modes[i]);
    }
    p.entries = std::move(kept);
    full.modes = std::move(keptModes);
    return full;
}

ArchiveResult failure(Outcome outcome, std::string detail) {
    ArchiveResult r;
    r.outcome = outcome;
    r.detail = std::move(detail);
    return r;
}

}  // namespace

// The state of one run that libzip's read callbacks reach.
struct LibzipEngine::Run {
    struct Reader {
        Run* run = nullptr;
        std::size_t index = 0;
        int fd = -1;
        std::uint64_t done = 0;
        int lastPercent = -1;
        zip_error_t error;
    };

    LibzipEngine* engine = nullptr;
    ArchiveObserver* observer = nullptr;
    FullPlan full;
    std::vector<Reader> readers;
    std::uint64_t finishedBytes = 0;
    int lastOverall = -1;
    // The file whose read failed while libzip was writing, and why.
    std::ptrdiff_t failed = -1;
    std::string failedReason;

    void overall(std::uint64_t current) {
        int percent = wholePercent(finishedBytes + current, full.plan.totalBytes);
        if (percent > lastOverall) {
            lastOverall = percent;
            tell([&] { observer->overallProgress(percent); });
        }
    }

    void file(Reader& r) {
        const PlannedEntry& f = full.plan.entries[r.index];
        int percent = wholePercent(r.done, f.size);
        if (percent > r.lastPercent) {
            r.lastPercent = percent;
            tell([&] { observer->fileProgress(f.path, percent); });
        }
        overall(r.done);
    }

    static zip_int64_t callback(void* state, void* data, zip_uint64_t len, zip_source_cmd_t cmd);
    ArchiveResult write(const ArchiveRequest& request, const std::string& temporary);
};

zip_int64_t LibzipEngine::Run::callback(void* state, void* data, zip_uint64_t len,
                                        zip_source_cmd_t cmd) {
    auto& r = *static_cast<Reader*>(state);
    Run& run = *r.run;
    const PlannedEntry& f = run.full.plan.entries[r.index];
    auto fail = [&](int zipError, int sysError) -> zip_int64_t {
        zip_error_set(&r.error, zipError, sysError);
        if (zipError != ZIP_ER_CANCELLED && run.failed < 0) {
            run.failed = static_cast<std::ptrdiff_t>(r.index);
            run.failedReason = std::strerror(sysError);
        }
        return -1;
    };
    switch (cmd) {
        case ZIP_SOURCE_OPEN:
            r.fd = ::open(f.path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
            if (r.fd < 0) return fail(ZIP_ER_OPEN, errno);
            r.done = 0;
            r.lastPercent = -1;
            if (f.size > 0) ::posix_fadvise(r.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
            run.file(r);
            return 0;
        case ZIP_SOURCE_READ: {
            if (run.engine->cancelled_.load()) return fail(ZIP_ER_CANCELLED, 0);
            for (;;) {
                ssize_t n = ::read(r.fd, data, len);
                if (n < 0 && errno == EINTR) continue;
                if (n < 0) return fail(ZIP_ER_READ, errno);
                r.done += static_cast<std::uint64_t>(n);
                if (n > 0) run.file(r);
                return n;
            }
        }
        case ZIP_SOURCE_CLOSE:
            if (r.fd >= 0) ::close(r.fd);
            r.fd = -1;
            // A file that ends up shorter than it was listed still completes its own share.
            if (r.lastPercent < 100) {
                r.lastPercent = 100;
                tell([&] { run.observer->fileProgress(f.path, 100); });
            }
            run.finishedBytes += std::max(r.done, f.size);
            run.overall(0);
            return 0;
        case ZIP_SOURCE_STAT: {
            auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, len, &r.error);
            if (!st) return -1;
            zip_stat_init(st);
            st->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME;
            st->size = f.size;
            st->mtime = f.modified;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&r.error, data, len);
        case ZIP_SOURCE_FREE:
            if (r.fd >= 0) ::close(r.fd);
            r.fd = -1;
            return 0;
        case ZIP_SOURCE_SUPPORTS:
            return ZIP_SOURCE_SUPPORTS_READABLE;
        default:
            zip_error_set(&r.error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
    }
}

bool LibzipEngine::aesSupported() {
    return zip_encryption_method_supported(ZIP_EM_AES_256, 1) != 0;
}

ArchivePlan LibzipEngine::plan(const ArchiveRequest& request) const {
    return planFiles(request.files, nullptr).plan;
}

ArchiveResult LibzipEngine::write(const ArchiveRequest& request, ArchiveObserver& observer) {
    if (running_.exchange(true))
        return failure(Outcome::TargetBusy, "this engine is already writing an archive");
    cancelled_.store(false);
    ArchiveResult result;
    try {
        result = run(request, observer);
    } catch (const std::exception& e) {
        result = failure(Outcome::CannotCreate, e.what());
    }
    running_.store(false);
    return result;
}

ArchiveResult LibzipEngine::run(const ArchiveRequest& request, ArchiveObserver& observer) {
    if (request.target.empty()) return failure(Outcome::NoArchiveName, {});
    // Like the files, the archive is named by a full path; a relative one would land wherever
    // the program happens to run.
    if (!std::filesystem::path(request.target).is_absolute())
        return failure(Outcome::CannotCreate, "not a full path: " + request.target);
    if (request.files.empty()) return failure(Outcome::NothingToDo, "no files were listed");
    if (request.level < 0 || request.level > 9)
        return failure(Outcome::CannotCreate,
                       "compression level " + std::to_string(request.level) + " is out of range");
    if (!request.password.empty() && !aesSupported()) return failure(Outcome::Unsupported, {});

    Run r;
    r.engine = this;
    r.observer = &observer;
    r.full = planFiles(request.files, &observer);
    std::vector<FileProblem> problems = r.full.plan.problems;
    auto nothingLeft = [&] {
        ArchiveResult res = failure(Outcome::NothingToDo, "none of the listed files could be read");
        res.problems = problems;
        return res;
    };
    if (r.full.plan.entries.empty()) return nothingLeft();

    const std::string temporary = temporaryPathFor(request.target);

    // A file that fails while libzip reads it spoils that attempt as a whole; it is left out
    // and the archive is written again from the rest.
    for (;;) {
        ArchiveResult written = r.write(request, temporary);
        if (written.outcome == Outcome::Complete) break;
        removeQuietly(temporary);
        if (written.outcome != Outcome::CannotCreate || r.failed < 0) return written;
        PlannedEntry bad = r.full.plan.entries[static_cast<std::size_t>(r.failed)];
        problems.push_back({bad.path, FileProblemKind::CannotRead, r.failedReason});
        tell([&] { observer.problem(problems.back()); });
        std::vector<std::string> rest;
        for (const auto& f : r.full.plan.entries)
            if (f.path != bad.path) rest.push_back(f.path);
        if (rest.empty()) return nothingLeft();
        // Names are worked out again: without that file the common folder may lie deeper.
        r.full = planFiles(rest, nullptr);
        for (const auto& p : r.full.plan.problems) {
            problems.push_back(p);
            tell([&] { observer.problem(p); });
        }
        if (r.full.plan.entries.empty()) return nothingLeft();
    }

    std::string syncProblem = syncFile(temporary);
    if (!syncProblem.empty()) {
        removeQuietly(temporary);
        return failure(Outcome::CannotCreate, temporary + ": " + syncProblem);
    }

    tell([&] { observer.checking(0); });
    int lastChecked = 0;
    ArchiveCheck check = CheckArchive(
        temporary, request.password,
        [&](int percent) {
            if (percent > lastChecked) {
                lastChecked = percent;
                tell([&] { observer.checking(percent); });
            }
        },
        [&] { return cancelled_.load(); });
    std::vector<std::string> damaged = check.problems();
    const auto& planned = r.full.plan.entries;
    if (damaged.empty()) {
        // The archive must hold exactly what was written, in order, and under the password.
        if (check.entries.size() != planned.size()) {
            damaged.push_back("holds " + std::to_string(check.entries.size()) +
                              " entries instead of " + std::to_string(planned.size()));
        } else {
            for (std::size_t i = 0; i < check.entries.size(); ++i) {
                const EntryCheck& e = check.entries[i];
                if (e.name != planned[i].entryName)
                    damaged.push_back("entry " + std::to_string(i + 1) + " is named " + e.name +
                                      " instead of " + planned[i].entryName);
                else if (!request.password.empty() && !e.encrypted)
                    damaged.push_back(e.name + ": not encrypted");
            }
        }
    }
    if (cancelled_.load()) {
        removeQuietly(temporary);
        return failure(Outcome::Cancelled, {});
    }
    if (!damaged.empty()) {
        removeQuietly(temporary);
        std::string detail = damaged.front();
        if (damaged.size() > 1) detail += " (and " + std::to_string(damaged.size() - 1) + " more)";
        return failure(Outcome::VerifyFailed, detail);
    }

    const bool incomplete = !problems.empty();
    const std::string target =
        incomplete && !request.incompleteTarget.empty() ? request.incompleteTarget : request.target;
    // The new archive takes the place of the old one with the old one's permissions.
    struct stat old;
    bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && S_ISREG(old.st_mode)) ::chmod(temporary.c_str(), old.st_mode & 07777);
    if (exists && target == request.target && !request.replaceExisting &&
        !observer.replaceTakenTarget(target)) {
        removeQuietly(temporary);
        return failure(Outcome::TargetTaken, target);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        int err = errno;
        removeQuietly(temporary);
        return failure(Outcome::CannotReplace, target + ": " + std::strerror(err));
    }
    syncFolderOf(target);
    if (!incomplete && !request.incompleteTarget.empty() &&
        request.incompleteTarget != request.target)
        removeQuietly(request.incompleteTarget);

    ArchiveResult done;
    done.outcome = problems.empty() ? Outcome::Complete : Outcome::Incomplete;
    done.problems = std::move(problems);
    done.writtenTo = target;
    done.entries = planned.size();
    done.bytes = r.full.plan.totalBytes;
    return done;
}

ArchiveResult LibzipEngine::Run::write(const ArchiveRequest& request,
                                       const std::string& temporary) {
    const auto& entries = full.plan.entries;
    readers = std::vector<Reader>(entries.size());
    for (std::size_t i = 0; i < readers.size(); ++i) {
        readers[i].run = this;
        readers[i].index = i;
        zip_error_init(&readers[i].error);
    }
    finishedBytes = 0;
    failed = -1;
    failedReason.clear();

    int err = 0;
    zip_t* za = zip_open(temporary.c_str(), ZIP_CREATE | ZIP_EXCL, &err);
    if (!za) {
        zip_error_t e;
        zip_error_init_with_code(&e, err);
        ArchiveResult res = failure(Outcome::CannotCreate, zip_error_strerror(&e));
        zip_error_fini(&e);
        return res;
    }
    auto finish = [&](Outcome outcome, const std::string& what) {
        ArchiveResult res = failure(outcome, what + zip_strerror(za));
        zip_discard(za);
        for (auto& reader : readers) zip_error_fini(&reader.error);
        return res;
    };
    const int level = request.level;
    const zip_int32_t method = level == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const PlannedEntry& f = entries[i];
        zip_error_t e;
        zip_error_init(&e);
        zip_source_t* src = zip_source_function_create(&Run::callback, &readers[i], &e);
        zip_error_fini(&e);
        if (!src) return finish(Outcome::CannotCreate, "");
        zip_int64_t idx = zip_file_add(za, f.entryName.c_str(), src, ZIP_FL_ENC_UTF_8);
        if (idx < 0) {
            zip_source_free(src);
            return finish(Outcome::CannotCreate, f.entryName + ": ");
        }
        auto index = static_cast<zip_uint64_t>(idx);
        if (zip_set_file_compression(za, index, method, static_cast<zip_uint32_t>(level)) != 0 ||
            (!request.password.empty() &&
             zip_file_set_encryption(za, index, ZIP_EM_AES_256, request.password.c_str()) != 0) ||
            zip_file_set_mtime(za, index, f.modified, 0) != 0 ||
            zip_file_set_external_attributes(za, index, 0, ZIP_OPSYS_UNIX,
                                             (full.modes[i] | S_IFREG) << 16) != 0)
            return finish(Outcome::CannotCreate, f.entryName + ": ");
    }

    overall(0);
    if (zip_close(za) != 0)
        return finish(engine->cancelled_.load() ? Outcome::Cancelled : Outcome::CannotCreate, "");
    for (auto& reader : readers) zip_error_fini(&reader.error);
    return {.outcome = Outcome::Complete};
}

}  // namespace arkstash::archive
