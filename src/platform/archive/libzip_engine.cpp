#include "platform/archive/libzip_engine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <set>

#include "platform/archive/archive_check.h"
#include "platform/archive/entry_names.h"
#include "platform/error.h"

namespace arkstash::archive {

namespace {

// Handlers belong to the window or the command line; one that fails must not stop the archive
// half-written, nor let an exception cross libzip's C frames.
template <typename F, typename... A>
void raise(const F& handler, A&&... args) noexcept {
    if (!handler) return;
    try {
        handler(std::forward<A>(args)...);
    } catch (...) {
    }
}

std::int16_t wholePercent(std::uint64_t done, std::uint64_t total) {
    if (total == 0 || done >= total) return 100;
    return static_cast<std::int16_t>(done * 100 / total);
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

void syncFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw PlatformError(std::strerror(errno));
    int rc = ::fsync(fd);
    int err = errno;
    ::close(fd);
    if (rc != 0) throw PlatformError(std::strerror(err));
}

void syncFolderOf(const std::string& path) {
    std::string dir = std::filesystem::path(path).parent_path().string();
    if (dir.empty()) dir = ".";
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

struct Text {
    const char* head;
    const char* tail;
};

Text resultText(std::int32_t code) {
    switch (code) {
        case xerSuccess:
            return {"The archive was written and verified", ""};
        case xerNothingToDo:
            return {"There is nothing to back up", ""};
        case xerFilesSkipped:
            return {"The archive was written and verified, but files were left out",
                    " (see the warnings)"};
        case xerCannotCreateArchive:
            return {"The archive could not be written", ". Any previous archive is unchanged."};
        case xerVerifyFailed:
            return {"The new archive failed its check", ". Any previous archive is unchanged."};
        case xerCannotReplace:
            return {"The new archive could not replace the previous one",
                    ". The previous archive is unchanged."};
        case xerNoArchiveName:
            return {"No archive file name was given", ""};
        case xerUnsupported:
            return {"This build cannot encrypt archives with AES-256", ". Nothing was written."};
        case xerUserAbort:
            return {"The backup was cancelled", ". Any previous archive is unchanged."};
        default:
            return {nullptr, nullptr};
    }
}

Text warningText(std::int32_t code) {
    switch (code) {
        case xwrFileNotFound:
            return {"File not found", ""};
        case xwrCannotReadFile:
            return {"The file cannot be read", ""};
        case xwrDuplicateEntry:
            return {"Another file already has this name in the archive", ""};
        case xwrNotAFile:
            return {"Not a file", ""};
        default:
            return {nullptr, nullptr};
    }
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
    ZipPlan plan;
    std::vector<Reader> readers;
    std::uint64_t finishedBytes = 0;
    int lastGlobal = -1;
    // The file whose read failed while libzip was writing, and why.
    std::ptrdiff_t failed = -1;
    std::string failedReason;

    void global(std::uint64_t current) {
        int percent = wholePercent(finishedBytes + current, plan.totalBytes);
        if (percent > lastGlobal) {
            lastGlobal = percent;
            raise(engine->events.GlobalStatus, static_cast<std::int16_t>(percent));
        }
    }

    void file(Reader& r) {
        const PlannedFile& f = plan.files[r.index];
        int percent = wholePercent(r.done, f.size);
        if (percent > r.lastPercent) {
            r.lastPercent = percent;
            raise(engine->events.FileStatus, f.path, static_cast<std::int16_t>(percent));
        }
        global(r.done);
    }

    static zip_int64_t callback(void* state, void* data, zip_uint64_t len, zip_source_cmd_t cmd);
};

zip_int64_t LibzipEngine::Run::callback(void* state, void* data, zip_uint64_t len,
                                        zip_source_cmd_t cmd) {
    auto& r = *static_cast<Reader*>(state);
    Run& run = *r.run;
    const PlannedFile& f = run.plan.files[r.index];
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
            r.fd = ::open(f.path.c_str(), O_RDONLY | O_CLOEXEC);
            if (r.fd < 0) return fail(ZIP_ER_OPEN, errno);
            r.done = 0;
            r.lastPercent = -1;
            if (f.size > 0) {
                // Sequential reads of a whole file: let the kernel read ahead generously.
                ::posix_fadvise(r.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
            }
            run.file(r);
            return 0;
        case ZIP_SOURCE_READ: {
            if (run.engine->abortRequested_.load()) return fail(ZIP_ER_CANCELLED, 0);
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
                raise(run.engine->events.FileStatus, f.path, std::int16_t{100});
            }
            run.finishedBytes += std::max(r.done, f.size);
            run.global(0);
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

void LibzipEngine::setFilesToProcess(const std::string& value) {
    files_.clear();
    // A list given as text holds one path per line.
    std::size_t start = 0;
    while (start < value.size()) {
        std::size_t end = value.find_first_of("\r\n", start);
        if (end == std::string::npos) end = value.size();
        if (end > start) files_.push_back(value.substr(start, end - start));
        start = end + 1;
    }
}

void LibzipEngine::AddFilesToProcess(const std::string& path) {
    files_.push_back(path);
}

void LibzipEngine::setCompressionLevel(std::int32_t level) {
    if (level < 0 || level > 9)
        throw PlatformError("Compression level " + std::to_string(level) + " is out of range");
    level_ = level;
}

ZipPlan LibzipEngine::plan() const {
    return planFiles({}, {});
}

ZipPlan LibzipEngine::planFiles(const std::function<void(std::string&)>& preprocess,
                                const std::function<void(const SkippedFile&)>& skipped) const {
    ZipPlan p;
    std::set<std::string> seen;
    auto skip = [&](const std::string& path, std::int32_t code, std::string reason) {
        p.skipped.push_back({path, code, std::move(reason)});
        if (skipped) skipped(p.skipped.back());
    };
    std::vector<std::string> normal;
    for (const std::string& listed : files_) {
        std::string key = NormalPath(listed);
        // The same file listed twice goes into the archive once.
        if (!seen.insert(key).second) continue;
        if (preprocess) {
            std::string name = listed;
            preprocess(name);
        }
        // A relative path would depend on wherever the program happens to run; such an entry
        // (a reference whose file is "Unknown", say) names no file of the project.
        if (!std::filesystem::path(listed).is_absolute()) {
            skip(listed, xwrFileNotFound, "not a full path");
            continue;
        }
        struct stat st;
        if (::stat(listed.c_str(), &st) != 0) {
            int err = errno;
            if (err == ENOENT || err == ENOTDIR)
                skip(listed, xwrFileNotFound, std::strerror(err));
            else
                skip(listed, xwrCannotReadFile, std::strerror(err));
            continue;
        }
        if (!S_ISREG(st.st_mode)) {
            skip(listed, xwrNotAFile, S_ISDIR(st.st_mode) ? "a folder" : "not a regular file");
            continue;
        }
        int fd = ::open(listed.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            skip(listed, xwrCannotReadFile, std::strerror(errno));
            continue;
        }
        ::close(fd);
        p.files.push_back({.path = listed,
                           .size = static_cast<std::uint64_t>(st.st_size),
                           .modified = st.st_mtime,
                           .mode = static_cast<std::uint32_t>(st.st_mode & 07777)});
        normal.push_back(key);
    }

    p.folder = CommonFolder(normal);
    std::set<std::string> names;
    std::vector<PlannedFile> kept;
    for (std::size_t i = 0; i < p.files.size(); ++i) {
        PlannedFile& f = p.files[i];
        f.entryName = EntryName(p.folder, normal[i]);
        if (!names.insert(f.entryName).second) {
            skip(f.path, xwrDuplicateEntry, f.entryName);
            continue;
        }
        p.totalBytes += f.size;
        kept.push_back(std::move(f));
    }
    p.files = std::move(kept);
    return p;
}

void LibzipEngine::setDetail(int kind, std::int32_t code, std::string detail) {
    details_[{kind, code}] = std::move(detail);
}

void LibzipEngine::warn(const std::string& path, std::int32_t code, const std::string& reason) {
    std::string detail = path;
    if (code == xwrCannotReadFile && !reason.empty()) detail += " (" + reason + ")";
    setDetail(kWarningCode, code, detail);
    raise(events.Warning, path, code);
}

namespace {

std::string unknownCode(int kind, std::int32_t code) {
    const char* what = kind == kResultCode    ? "result code"
                       : kind == kWarningCode ? "warning code"
                                              : "code";
    return std::string("Unknown ") + what + " " + std::to_string(code);
}

Text textFor(int kind, std::int32_t code) {
    if (kind == kResultCode) return resultText(code);
    if (kind == kWarningCode) return warningText(code);
    return {nullptr, nullptr};
}

}  // namespace

std::string LibzipEngine::describe(int kind, std::int32_t code) {
    Text t = textFor(kind, code);
    if (!t.head) return unknownCode(kind, code);
    return std::string(t.head) + t.tail;
}

std::string LibzipEngine::GetErrorDescription(int kind, std::int32_t code) {
    Text t = textFor(kind, code);
    if (!t.head) return unknownCode(kind, code);
    std::string text = t.head;
    auto it = details_.find({kind, code});
    if (it != details_.end() && !it->second.empty()) text += ": " + it->second;
    return text + t.tail;
}

void LibzipEngine::Zip() {
    if (running_) throw PlatformError("The archive engine is already running");
    running_ = true;
    abortRequested_.store(false);
    details_.clear();
    lastRun_ = {};
    std::int32_t code;
    try {
        code = run();
    } catch (const std::exception& e) {
        setDetail(kResultCode, xerCannotCreateArchive, e.what());
        code = xerCannotCreateArchive;
    }
    running_ = false;
    raise(events.ProcessCompleted, code);
}

std::int32_t LibzipEngine::run() {
    if (zipFilename_.empty()) return xerNoArchiveName;
    // Like the files, the archive is named by a full path; a relative one would land wherever
    // the program happens to run.
    if (!std::filesystem::path(zipFilename_).is_absolute()) {
        setDetail(kResultCode, xerCannotCreateArchive, "not a full path: " + zipFilename_);
        return xerCannotCreateArchive;
    }
    if (files_.empty()) {
        setDetail(kResultCode, xerNothingToDo, "no files were listed");
        return xerNothingToDo;
    }
    const std::string password = password_;
    if (!password.empty() && !aesSupported()) return xerUnsupported;

    Run r;
    r.engine = this;
    std::size_t listed = 0;
    r.plan = planFiles(
        [&](std::string& name) {
            ++listed;
            raise(events.ZipPreprocessingFile, name);
        },
        [&](const SkippedFile& s) { warn(s.path, s.warningCode, s.reason); });
    std::size_t skippedCount = r.plan.skipped.size();

    const std::string target = zipFilename_;
    const std::string temporary = temporaryPathFor(target);
    auto nothingLeft = [&] {
        setDetail(kResultCode, xerNothingToDo, "none of the listed files could be read");
        return xerNothingToDo;
    };
    if (r.plan.files.empty()) return nothingLeft();

    // A file that fails while libzip reads it spoils that attempt as a whole; it is left out
    // and the archive is written again from the rest.
    for (;;) {
        std::int32_t code = write(r, temporary);
        if (code == xerSuccess) break;
        removeQuietly(temporary);
        if (code != xerCannotCreateArchive || r.failed < 0) return code;
        PlannedFile bad = r.plan.files[static_cast<std::size_t>(r.failed)];
        warn(bad.path, xwrCannotReadFile, r.failedReason);
        ++skippedCount;
        std::vector<std::string> rest;
        for (const auto& f : r.plan.files)
            if (f.path != bad.path) rest.push_back(f.path);
        if (rest.empty()) return nothingLeft();
        // Names are worked out again: without that file the common folder may lie deeper.
        std::vector<std::string> saved = std::move(files_);
        files_ = std::move(rest);
        ZipPlan again = planFiles({}, [&](const SkippedFile& s) {
            warn(s.path, s.warningCode, s.reason);
            ++skippedCount;
        });
        files_ = std::move(saved);
        r.plan = std::move(again);
        if (r.plan.files.empty()) return nothingLeft();
    }

    try {
        if (afterWrite) afterWrite(temporary);
        syncFile(temporary);
    } catch (const std::exception& e) {
        removeQuietly(temporary);
        setDetail(kResultCode, xerCannotCreateArchive, e.what());
        return xerCannotCreateArchive;
    }

    ArchiveCheck check = CheckArchive(
        temporary, password,
        [&](int percent) { raise(events.VerifyStatus, static_cast<std::int16_t>(percent)); },
        [&] { return abortRequested_.load(); });
    std::vector<std::string> problems = check.problems();
    if (problems.empty()) {
        // The archive must hold exactly what was written, in order, and under the password.
        if (check.entries.size() != r.plan.files.size()) {
            problems.push_back("holds " + std::to_string(check.entries.size()) +
                               " entries instead of " + std::to_string(r.plan.files.size()));
        } else {
            for (std::size_t i = 0; i < check.entries.size(); ++i) {
                const EntryCheck& e = check.entries[i];
                const PlannedFile& f = r.plan.files[i];
                if (e.name != f.entryName)
                    problems.push_back("entry " + std::to_string(i + 1) + " is named " + e.name +
                                       " instead of " + f.entryName);
                else if (!password.empty() && !e.encrypted)
                    problems.push_back(e.name + ": not encrypted");
            }
        }
    }
    if (abortRequested_.load()) {
        removeQuietly(temporary);
        return xerUserAbort;
    }
    if (!problems.empty()) {
        removeQuietly(temporary);
        std::string detail = problems.front();
        if (problems.size() > 1)
            detail += " (and " + std::to_string(problems.size() - 1) + " more)";
        setDetail(kResultCode, xerVerifyFailed, detail);
        return xerVerifyFailed;
    }

    // The new archive takes the place of the old one with the old one's permissions.
    struct stat old;
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::chmod(temporary.c_str(), old.st_mode & 07777);
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        int err = errno;
        removeQuietly(temporary);
        setDetail(kResultCode, xerCannotReplace, target + ": " + std::strerror(err));
        return xerCannotReplace;
    }
    syncFolderOf(target);
    lastRun_ = {r.plan.files.size(), r.plan.totalBytes, skippedCount};

    if (skippedCount > 0) {
        setDetail(kResultCode, xerFilesSkipped,
                  std::to_string(skippedCount) + " of " + std::to_string(listed) +
                      (listed == 1 ? " file" : " files"));
        return xerFilesSkipped;
    }
    return xerSuccess;
}

std::int32_t LibzipEngine::write(Run& r, const std::string& temporary) {
    r.readers = std::vector<Run::Reader>(r.plan.files.size());
    for (std::size_t i = 0; i < r.readers.size(); ++i) {
        r.readers[i].run = &r;
        r.readers[i].index = i;
        zip_error_init(&r.readers[i].error);
    }
    r.finishedBytes = 0;
    r.lastGlobal = -1;
    r.failed = -1;
    r.failedReason.clear();

    int err = 0;
    zip_t* za = zip_open(temporary.c_str(), ZIP_CREATE | ZIP_EXCL, &err);
    if (!za) {
        zip_error_t e;
        zip_error_init_with_code(&e, err);
        setDetail(kResultCode, xerCannotCreateArchive, zip_error_strerror(&e));
        zip_error_fini(&e);
        return xerCannotCreateArchive;
    }
    auto failed = [&](const std::string& what) {
        setDetail(kResultCode, xerCannotCreateArchive, what + zip_strerror(za));
        zip_discard(za);
        for (auto& reader : r.readers) zip_error_fini(&reader.error);
        return xerCannotCreateArchive;
    };
    const zip_int32_t method = level_ == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
    for (std::size_t i = 0; i < r.plan.files.size(); ++i) {
        const PlannedFile& f = r.plan.files[i];
        Run::Reader& reader = r.readers[i];
        zip_error_t e;
        zip_error_init(&e);
        zip_source_t* src = zip_source_function_create(&Run::callback, &reader, &e);
        zip_error_fini(&e);
        if (!src) return failed("");
        zip_int64_t idx = zip_file_add(za, f.entryName.c_str(), src, ZIP_FL_ENC_UTF_8);
        if (idx < 0) {
            zip_source_free(src);
            return failed(f.entryName + ": ");
        }
        auto index = static_cast<zip_uint64_t>(idx);
        if (zip_set_file_compression(za, index, method, static_cast<zip_uint32_t>(level_)) != 0 ||
            (!password_.empty() &&
             zip_file_set_encryption(za, index, ZIP_EM_AES_256, password_.c_str()) != 0) ||
            zip_file_set_mtime(za, index, f.modified, 0) != 0 ||
            zip_file_set_external_attributes(za, index, 0, ZIP_OPSYS_UNIX,
                                             (f.mode | S_IFREG) << 16) != 0)
            return failed(f.entryName + ": ");
    }

    r.global(0);
    if (zip_close(za) != 0) {
        std::int32_t code = abortRequested_.load() ? xerUserAbort : xerCannotCreateArchive;
        setDetail(kResultCode, code, zip_strerror(za));
        zip_discard(za);
        for (auto& reader : r.readers) zip_error_fini(&reader.error);
        return code;
    }
    for (auto& reader : r.readers) zip_error_fini(&reader.error);
    return xerSuccess;
}

}  // namespace arkstash::archive
