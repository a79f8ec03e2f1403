#include "platform/archive/archive_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>
#include "platform/archive/zip_errors.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

namespace arkstash::archive {

namespace {

struct ArchiveCloser {
    void operator()(zip_t* za) const { zip_discard(za); }
};
struct FileCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder, not an archive";
    if (S_ISFIFO(mode)) return "a FIFO, not an archive";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device, not an archive";
    return "not a regular file";
}

// Opens the archive for reading: only a regular file, never waiting on a FIFO's writer.
Archive openArchive(const std::string& path, const std::string& password, std::string& problem) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        problem = std::strerror(errno);
        return nullptr;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        problem = std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
        problem = kindOf(st.st_mode);
        ::close(fd);
        return nullptr;
    }
    int err = 0;
    // Consistency checks compare every local header with the central directory, so a damaged
    // header is found even when the entry's data happens to read back. On success the archive
    // owns the descriptor.
    Archive za(zip_fdopen(fd, ZIP_CHECKCONS, &err));
    if (!za) {
        ::close(fd);
        problem = describeZipError(err);
        return nullptr;
    }
    if (!password.empty()) zip_set_default_password(za.get(), password.c_str());
    return za;
}

// Reads one entry to its end; answers the problem, empty when none.
std::string readEntry(zip_t* za, std::uint64_t index, const EntryCheck& entry,
                      std::vector<char>& buffer, std::atomic<std::uint64_t>& done,
                      const std::atomic<bool>& stop) {
    std::unique_ptr<zip_file_t, FileCloser> f(zip_fopen_index(za, index, 0));
    if (!f) {
        std::string why = describeZipError(zip_get_error(za));
        zip_error_clear(za);
        return why;
    }
    std::uint64_t read = 0;
    for (;;) {
        if (stop.load()) return {};
        zip_int64_t n = zip_fread(f.get(), buffer.data(), buffer.size());
        if (n < 0) return describeZipError(zip_file_get_error(f.get()));
        if (n == 0) break;
        read += static_cast<std::uint64_t>(n);
        done += static_cast<std::uint64_t>(n);
    }
    if (read != entry.size)
        return "holds " + std::to_string(read) + " bytes, the directory says " +
               std::to_string(entry.size);
    return {};
}

}  // namespace

std::string encryptionName(std::uint16_t encryption) {
    switch (encryption) {
        case ZIP_EM_NONE:
            return "none";
        case ZIP_EM_TRAD_PKWARE:
            return "ZipCrypto";
        case ZIP_EM_AES_128:
            return "AES-128";
        case ZIP_EM_AES_192:
            return "AES-192";
        case ZIP_EM_AES_256:
            return "AES-256";
        default:
            return "an unknown encryption (" + std::to_string(encryption) + ")";
    }
}

std::string methodName(std::uint16_t method) {
    switch (method) {
        case ZIP_CM_STORE:
            return "no compression";
        case ZIP_CM_DEFLATE:
            return "Deflate";
        case ZIP_CM_DEFLATE64:
            return "Deflate64";
        case ZIP_CM_BZIP2:
            return "BZip2";
        case ZIP_CM_LZMA:
            return "LZMA";
        case ZIP_CM_XZ:
            return "XZ";
        case ZIP_CM_PPMD:
            return "PPMd";
        case 93:
            return "Zstandard";
        case ZIP_CM_IMPLODE:
            return "Implode";
        default:
            return "compression method " + std::to_string(method);
    }
}

bool ArchiveCheck::ok() const {
    if (!openProblem.empty()) return false;
    for (const auto& e : entries)
        if (!e.problem.empty()) return false;
    return true;
}

std::vector<std::string> ArchiveCheck::problems() const {
    std::vector<std::string> out;
    if (!openProblem.empty()) out.push_back("archive: " + openProblem);
    for (const auto& e : entries)
        if (!e.problem.empty()) out.push_back(e.name + ": " + e.problem);
    return out;
}

ArchiveCheck CheckArchive(const std::string& path, const std::string& password,
                          const std::function<void(int)>& progress,
                          const std::function<bool()>& cancelled, unsigned threads) {
    ArchiveCheck result;
    Archive first = openArchive(path, password, result.openProblem);
    if (!first) return result;

    zip_int64_t count = zip_get_num_entries(first.get(), 0);
    std::uint64_t total = 0;
    result.entries.resize(static_cast<std::size_t>(std::max<zip_int64_t>(count, 0)));
    for (std::size_t i = 0; i < result.entries.size(); ++i) {
        EntryCheck& entry = result.entries[i];
        zip_stat_t st;
        if (zip_stat_index(first.get(), i, 0, &st) != 0) {
            entry.name = "#" + std::to_string(i + 1);
            entry.problem = zip_strerror(first.get());
            continue;
        }
        entry.name = (st.valid & ZIP_STAT_NAME) ? st.name : "#" + std::to_string(i + 1);
        entry.size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
        entry.method = (st.valid & ZIP_STAT_COMP_METHOD) ? st.comp_method : 0;
        entry.encryption = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) ? st.encryption_method : 0;
        // Say which method is missing rather than that the entry "cannot be restored".
        entry.unsupported = !zip_compression_method_supported(entry.method, 0) ||
                            !zip_encryption_method_supported(entry.encryption, 0);
        if (!zip_compression_method_supported(entry.method, 0))
            entry.problem =
                "uses " + methodName(entry.method) + ", which this program cannot check";
        else if (!zip_encryption_method_supported(entry.encryption, 0))
            entry.problem = "is encrypted with " + encryptionName(entry.encryption) +
                            ", which this program cannot check";
        else
            total += entry.size;
    }

    std::atomic<std::uint64_t> done{0};
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    std::atomic<unsigned> running{0};
    std::mutex mutex;
    std::condition_variable finished;
    // Each thread reads through its own handle: one libzip archive is not to be shared.
    auto work = [&](Archive za) {
        try {
            std::vector<char> buffer(256 * 1024);
            std::string problem;
            for (;;) {
                std::size_t i = next++;
                if (i >= result.entries.size() || stop.load()) break;
                EntryCheck& entry = result.entries[i];
                if (!entry.problem.empty()) continue;
                if (!za) za = openArchive(path, password, problem);
                entry.problem = za ? readEntry(za.get(), i, entry, buffer, done, stop) : problem;
            }
        } catch (const std::exception& e) {
            std::lock_guard lock(mutex);
            if (result.openProblem.empty()) result.openProblem = e.what();
        }
        {
            std::lock_guard lock(mutex);
            --running;
        }
        finished.notify_all();
    };

    threads = std::clamp<unsigned>(
        threads, 1, static_cast<unsigned>(std::max<std::size_t>(result.entries.size(), 1)));
    std::vector<std::thread> pool;
    running = threads;
    pool.emplace_back(work, std::move(first));
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work, nullptr);

    int lastPercent = -1;
    auto report = [&](std::uint64_t bytes) {
        if (!progress) return;
        int percent = total == 0
                          ? 100
                          : static_cast<int>(std::min<std::uint64_t>(bytes, total) * 100 / total);
        if (percent > lastPercent) {
            lastPercent = percent;
            progress(percent);
        }
    };
    report(0);
    bool wasCancelled = false;
    {
        std::unique_lock lock(mutex);
        while (running > 0) {
            finished.wait_for(lock, std::chrono::milliseconds(20));
            lock.unlock();
            if (!wasCancelled && cancelled && cancelled()) {
                wasCancelled = true;
                stop = true;
            }
            if (!wasCancelled) report(done.load());
            lock.lock();
        }
    }
    for (auto& t : pool) t.join();
    if (wasCancelled) {
        result.openProblem = "the check was cancelled";
        return result;
    }
    report(total);
    return result;
}

}  // namespace arkstash::archive
