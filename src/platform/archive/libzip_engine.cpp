#include "platform/archive/libzip_engine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <thread>

#include "platform/archive/archive_check.h"
#include "platform/archive/archive_output.h"
#include "platform/archive/compression.h"
#include "platform/archive/entry_names.h"
#include "platform/archive/target_folder.h"

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

ArchiveResult failure(Outcome outcome, std::string detail) {
    ArchiveResult r;
    r.outcome = outcome;
    r.detail = std::move(detail);
    return r;
}

unsigned threadsFor(unsigned jobs) {
    if (jobs > 0) return jobs;
    return std::max(1u, std::thread::hardware_concurrency());
}

// What a run writes: the plan, with what the entries' attributes need.
struct FullPlan {
    ArchivePlan plan;
    std::vector<std::uint32_t> modes;  // permission bits per entry
};

FullPlan planFiles(const SourceFiles& files, const std::vector<std::string>& listed,
                   const std::string& nameCodePage, ArchiveObserver* observer) {
    FullPlan full;
    ArchivePlan& p = full.plan;
    std::set<std::string> seen;
    auto skip = [&](FileProblem problem) {
        p.problems.push_back(std::move(problem));
        if (observer) tell([&] { observer->problem(p.problems.back()); });
    };
    std::vector<std::string> normal;
    for (const std::string& path : listed) {
        std::string key = NormalPath(path);
        // The same file listed twice goes into the archive once.
        if (!seen.insert(key).second) continue;
        if (observer) tell([&] { observer->preparing(path); });
        // A relative path would depend on wherever the program happens to run; such an entry
        // (a reference whose file is "Unknown", say) names no file of the project.
        if (!std::filesystem::path(path).is_absolute()) {
            skip({path, FileProblemKind::NotFound, "not a full path"});
            continue;
        }
        OpenedFile f = files.open(path);
        if (f.problem) {
            skip(*f.problem);
            continue;
        }
        p.entries.push_back({.path = path, .size = f.facts.size, .modified = f.facts.modified()});
        full.modes.push_back(f.facts.mode);
        normal.push_back(key);
    }

    p.folder = CommonFolder(normal);
    std::set<std::string> names;
    std::vector<PlannedEntry> kept;
    std::vector<std::uint32_t> keptModes;
    for (std::size_t i = 0; i < p.entries.size(); ++i) {
        PlannedEntry& f = p.entries[i];
        f.entryName = EntryName(p.folder, normal[i], nameCodePage);
        if (!names.insert(f.entryName).second) {
            skip({f.path, FileProblemKind::DuplicateEntry, f.entryName});
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

// The bits 1 and 2 of an entry's flags, which tell how hard deflate worked (as libzip itself
// sets them).
std::uint16_t deflateFlags(int level) {
    if (level < 3) return 4;
    if (level > 7) return 2;
    return 0;
}

}  // namespace

// One run: what it writes, and what libzip's callbacks reach while zip_close() writes it.
struct LibzipEngine::Run {
    struct EntryReader {
        Run* run = nullptr;
        std::size_t index = 0;
        zip_error_t error;
        std::optional<Piece> current;
        std::size_t pos = 0;
        std::size_t taken = 0;
        std::uint32_t crc = 0;
        std::uint64_t done = 0;      // uncompressed bytes handed over in pieces before `current`
        std::uint64_t fileSize = 0;  // as read, for a file read whole
        bool ended = false;

        EntryReader() { zip_error_init(&error); }
        ~EntryReader() { zip_error_fini(&error); }
        EntryReader(const EntryReader&) = delete;
        EntryReader& operator=(const EntryReader&) = delete;
    };

    LibzipEngine* engine = nullptr;
    ArchiveObserver* observer = nullptr;
    const ArchiveRequest* request = nullptr;
    FullPlan full;
    std::unique_ptr<CompressionPipeline> pipeline;
    std::vector<std::unique_ptr<EntryReader>> readers;

    // Progress never goes back, not even when the archive is written a second time.
    std::map<std::string, int> filePercent;
    int lastOverall = -1;
    std::uint64_t finishedBytes = 0;

    // The entry that spoiled this attempt, and why.
    std::ptrdiff_t failed = -1;
    std::optional<FileProblem> failedProblem;
    bool failedMoved = false;

    std::uint64_t plannedSize(std::size_t i) const { return full.plan.entries[i].size; }

    void overall(std::uint64_t current) {
        int percent = wholePercent(finishedBytes + current, full.plan.totalBytes);
        if (percent > lastOverall) {
            lastOverall = percent;
            tell([&] { observer->overallProgress(percent); });
        }
    }

    void file(std::size_t i, std::uint64_t done, std::uint64_t size) {
        const std::string& path = full.plan.entries[i].path;
        auto [it, added] = filePercent.try_emplace(path, -1);
        int percent = wholePercent(done, size);
        if (percent > it->second) {
            it->second = percent;
            tell([&] { observer->fileProgress(path, percent); });
        }
        overall(std::min(done, plannedSize(i)));
    }

    zip_int64_t fail(EntryReader& r, int zipError) {
        if (failed < 0 && zipError != ZIP_ER_CANCELLED)
            failed = static_cast<std::ptrdiff_t>(r.index);
        zip_error_set(&r.error, zipError, 0);
        return -1;
    }

    // Takes the entry's next piece from the workers; false (and the attempt spoiled) when it
    // cannot be had.
    bool takePiece(EntryReader& r) {
        std::optional<Piece> piece = pipeline->next();
        if (!piece) {
            fail(r, ZIP_ER_CANCELLED);
            return false;
        }
        ++r.taken;
        // Pieces come in list order; libzip asking for entries out of order would mix them up.
        if (piece->entry != r.index) {
            fail(r, ZIP_ER_INTERNAL);
            return false;
        }
        if (piece->problem || piece->moved) {
            failedProblem = piece->problem;
            failedMoved = piece->moved;
            fail(r, ZIP_ER_READ);
            return false;
        }
        if (r.current) r.done += r.current->inputSize;
        r.crc = r.taken == 1 ? piece->crc
                             : static_cast<std::uint32_t>(crc32_combine(
                                   r.crc, piece->crc, static_cast<z_off_t>(piece->inputSize)));
        if (r.taken == 1) r.fileSize = piece->fileSize;
        r.current = std::move(piece);
        r.pos = 0;
        return true;
    }

    std::uint64_t entrySize(const EntryReader& r) const {
        // A file read whole is archived at the size it had when it was read.
        if (r.taken > 0 && pipeline->pieceCount(r.index) == 1) return r.fileSize;
        return plannedSize(r.index);
    }

    zip_int64_t read(EntryReader& r, char* data, std::size_t len) {
        if (engine->cancelled_.load()) return fail(r, ZIP_ER_CANCELLED);
        for (;;) {
            if (r.current && r.pos < r.current->bytes.size()) {
                std::size_t n = std::min(len, r.current->bytes.size() - r.pos);
                std::memcpy(data, r.current->bytes.data() + r.pos, n);
                r.pos += n;
                const Piece& p = *r.current;
                std::uint64_t within = p.inputSize * r.pos / p.bytes.size();
                file(r.index, r.done + within, entrySize(r));
                return static_cast<zip_int64_t>(n);
            }
            if (r.taken == pipeline->pieceCount(r.index)) {
                if (!r.ended && r.taken > 1 && !pipeline->unchangedSinceOpened(r.index)) {
                    failedMoved = true;
                    return fail(r, ZIP_ER_READ);
                }
                r.ended = true;
                // Handed over whole: its memory goes back before the next entry's comes.
                r.current.reset();
                return 0;
            }
            if (!takePiece(r)) return -1;
        }
    }

    zip_int64_t handle(EntryReader& r, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
        switch (cmd) {
            case ZIP_SOURCE_OPEN:
                file(r.index, 0, plannedSize(r.index));
                return 0;
            case ZIP_SOURCE_READ:
                return read(r, static_cast<char*>(data), static_cast<std::size_t>(len));
            case ZIP_SOURCE_CLOSE: {
                file(r.index, entrySize(r), entrySize(r));
                finishedBytes += plannedSize(r.index);
                overall(0);
                return 0;
            }
            case ZIP_SOURCE_STAT: {
                auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, len, &r.error);
                if (!st) return -1;
                // The size decides whether the entry needs ZIP64 records, so a file read whole
                // is waited for before its entry is begun.
                if (r.taken == 0 && !takePiece(r)) return -1;
                zip_stat_init(st);
                st->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_MTIME;
                st->size = entrySize(r);
                st->comp_method = request->level == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
                st->mtime = full.plan.entries[r.index].modified;
                // The checksum is known once every piece went through; libzip asks again then.
                if (r.ended) {
                    st->valid |= ZIP_STAT_CRC;
                    st->crc = r.crc;
                }
                return sizeof(zip_stat_t);
            }
            case ZIP_SOURCE_GET_FILE_ATTRIBUTES: {
                auto* a = ZIP_SOURCE_GET_ARGS(zip_file_attributes_t, data, len, &r.error);
                if (!a) return -1;
                if (request->level > 0) {
                    a->valid |= ZIP_FILE_ATTRIBUTES_GENERAL_PURPOSE_BIT_FLAGS;
                    a->general_purpose_bit_mask = 0x0006;
                    a->general_purpose_bit_flags = deflateFlags(request->level);
                }
                return 0;
            }
            case ZIP_SOURCE_ERROR:
                return zip_error_to_data(&r.error, data, len);
            case ZIP_SOURCE_FREE:
                return 0;
            case ZIP_SOURCE_SUPPORTS:
                return ZIP_SOURCE_SUPPORTS_READABLE |
                       ZIP_SOURCE_MAKE_COMMAND_BITMASK(ZIP_SOURCE_GET_FILE_ATTRIBUTES);
            default:
                zip_error_set(&r.error, ZIP_ER_OPNOTSUPP, 0);
                return -1;
        }
    }

    static zip_int64_t callback(void* state, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
        auto& r = *static_cast<EntryReader*>(state);
        try {
            return r.run->handle(r, data, len, cmd);
        } catch (...) {
            zip_error_set(&r.error, ZIP_ER_MEMORY, 0);
            return -1;
        }
    }

    // Writes the archive once into `temporary`. Empty on success, else what went wrong.
    std::optional<ArchiveResult> writeOnce(const TemporaryArchive& temporary);
};

std::optional<ArchiveResult> LibzipEngine::Run::writeOnce(const TemporaryArchive& temporary) {
    const auto& entries = full.plan.entries;
    failed = -1;
    failedProblem.reset();
    failedMoved = false;
    finishedBytes = 0;

    std::vector<PipelineEntry> inputs;
    for (const auto& e : entries) inputs.push_back({e.path, e.size});
    ArchiveOutput output(temporary.fd());
    zip_source_t* out = output.source();
    zip_error_t error;
    zip_error_init(&error);
    zip_t* za = out ? zip_open_from_source(out, ZIP_CREATE | ZIP_TRUNCATE, &error) : nullptr;
    if (!za) {
        std::string why = zip_error_strerror(&error);
        zip_error_fini(&error);
        if (out) zip_source_free(out);
        return failure(Outcome::CannotCreate, folderOf(temporary.path()) + ": " + why);
    }
    zip_error_fini(&error);

    auto spoiled = [&](const std::string& what) {
        std::string why =
            output.failedErrno() != 0 ? std::strerror(output.failedErrno()) : zip_strerror(za);
        zip_discard(za);
        pipeline.reset();
        readers.clear();
        return failure(engine->cancelled_.load() ? Outcome::Cancelled : Outcome::CannotCreate,
                       what + why);
    };
    readers.clear();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        readers.push_back(std::make_unique<EntryReader>());
        EntryReader& r = *readers.back();
        r.run = this;
        r.index = i;
        zip_source_t* src = zip_source_function_create(&Run::callback, &r, nullptr);
        if (!src) return spoiled("");
        zip_int64_t idx = zip_file_add(za, entries[i].entryName.c_str(), src, ZIP_FL_ENC_UTF_8);
        if (idx < 0) {
            zip_source_free(src);
            return spoiled(entries[i].entryName + ": ");
        }
        auto index = static_cast<zip_uint64_t>(idx);
        const std::string& password = request->password;
        if (zip_set_file_compression(za, index, request->level == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                     static_cast<zip_uint32_t>(request->level)) != 0 ||
            (!password.empty() &&
             zip_file_set_encryption(za, index, ZIP_EM_AES_256, password.c_str()) != 0) ||
            zip_file_set_mtime(za, index, entries[i].modified, 0) != 0 ||
            zip_file_set_external_attributes(za, index, 0, ZIP_OPSYS_UNIX,
                                             (full.modes[i] | S_IFREG) << 16) != 0)
            return spoiled(entries[i].entryName + ": ");
    }

    pipeline =
        std::make_unique<CompressionPipeline>(*engine->files_, std::move(inputs), request->level,
                                              threadsFor(request->jobs), engine->cancelled_);
    overall(0);
    if (zip_close(za) != 0) return spoiled(folderOf(temporary.path()) + ": ");
    pipeline.reset();
    readers.clear();
    return std::nullopt;
}

bool LibzipEngine::aesSupported() {
    return zip_encryption_method_supported(ZIP_EM_AES_256, 1) != 0;
}

ArchivePlan LibzipEngine::plan(const ArchiveRequest& request) const {
    return planFiles(*files_, request.files, request.nameCodePage, nullptr).plan;
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

    TargetLock::Status status;
    std::string detail;
    std::optional<TargetLock> lock = TargetLock::acquire(request.target, status, detail);
    if (!lock)
        return failure(
            status == TargetLock::Status::Busy ? Outcome::TargetBusy : Outcome::CannotCreate,
            detail);
    // Runs that died (killed, power lost) left their temporaries; none of them holds one now.
    removeStaleTemporaries(request.target);

    Run r;
    r.engine = this;
    r.observer = &observer;
    r.request = &request;
    r.full = planFiles(*files_, request.files, request.nameCodePage, &observer);
    std::vector<FileProblem> problems = r.full.plan.problems;
    auto nothingLeft = [&] {
        ArchiveResult res = failure(Outcome::NothingToDo, "none of the listed files could be read");
        res.problems = problems;
        return res;
    };
    if (r.full.plan.entries.empty()) return nothingLeft();

    std::optional<TemporaryArchive> temporary = TemporaryArchive::create(request.target, detail);
    if (!temporary) return failure(Outcome::CannotCreate, detail);

    // A file that fails while it is read spoils that attempt as a whole: libzip cannot drop an
    // entry it has begun. The archive is written again without it; a file of several pieces
    // that moved while read gets one more try before it is left out.
    std::set<std::string> movedOnce;
    for (;;) {
        std::optional<ArchiveResult> spoiled = r.writeOnce(*temporary);
        if (!spoiled) break;
        if (cancelled_.load()) return failure(Outcome::Cancelled, {});
        if (r.failed < 0) return *spoiled;
        const std::string path = r.full.plan.entries[static_cast<std::size_t>(r.failed)].path;
        std::vector<std::string> rest;
        for (const auto& f : r.full.plan.entries) rest.push_back(f.path);
        if (r.failedProblem || !movedOnce.insert(path).second) {
            FileProblem p = r.failedProblem.value_or(
                FileProblem{path, FileProblemKind::ChangedWhileRead,
                            "its size or time changed while it was read, twice"});
            problems.push_back(p);
            tell([&] { observer.problem(p); });
            std::erase(rest, path);
        }
        // Names and sizes are worked out again: without that file the common folder may lie
        // deeper, and a file that moved has a new size.
        FullPlan again = planFiles(*files_, rest, request.nameCodePage, nullptr);
        for (const auto& p : again.plan.problems) {
            problems.push_back(p);
            tell([&] { observer.problem(p); });
        }
        r.full = std::move(again);
        if (r.full.plan.entries.empty()) return nothingLeft();
    }

    tell([&] { observer.checking(0); });
    int lastChecked = 0;
    ArchiveCheck check = CheckArchive(
        temporary->path(), request.password,
        [&](int percent) {
            if (percent > lastChecked) {
                lastChecked = percent;
                tell([&] { observer.checking(percent); });
            }
        },
        [&] { return cancelled_.load(); }, threadsFor(request.jobs));
    if (cancelled_.load()) return failure(Outcome::Cancelled, {});
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
                else if (!request.password.empty() && e.encryption != ZIP_EM_AES_256)
                    damaged.push_back(e.name + ": not encrypted with AES-256");
            }
        }
    }
    if (!damaged.empty()) {
        std::string what = damaged.front();
        if (damaged.size() > 1) what += " (and " + std::to_string(damaged.size() - 1) + " more)";
        return failure(Outcome::VerifyFailed, what);
    }

    const bool complete = problems.empty();
    const std::string& target =
        complete || request.incompleteTarget.empty() ? request.target : request.incompleteTarget;
    // The new archive takes the place of the old one with the old one's permissions.
    struct stat old;
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(temporary->fd(), old.st_mode & 07777);
    int err = 0;
    auto replace = [&] {
        if (::rename(temporary->path().c_str(), target.c_str()) == 0) return Placement::Placed;
        err = errno;
        return Placement::Failed;
    };
    Placement placed;
    if (target == request.target && !request.replaceExisting) {
        placed = renameWithoutReplacing(temporary->path(), target, err);
        if (placed == Placement::Taken) {
            bool agreed = false;
            tell([&] { agreed = observer.replaceTakenTarget(target); });
            if (!agreed) return failure(Outcome::TargetTaken, target);
            placed = replace();
        }
    } else {
        placed = replace();
    }
    if (placed != Placement::Placed)
        return failure(Outcome::CannotReplace, target + ": " + std::strerror(err));
    temporary->placed();
    UniqueFd folder(::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder) ::fsync(folder.get());
    // The last complete archive is the newest now; an incomplete one beside it is stale.
    if (complete && !request.incompleteTarget.empty() && request.incompleteTarget != request.target)
        ::unlink(request.incompleteTarget.c_str());

    ArchiveResult done;
    done.outcome = complete ? Outcome::Complete : Outcome::Incomplete;
    done.problems = std::move(problems);
    done.writtenTo = target;
    done.entries = planned.size();
    done.bytes = r.full.plan.totalBytes;
    return done;
}

}  // namespace arkstash::archive
