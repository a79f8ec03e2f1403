#include "platform/archive/archive_check.h"

#include <zip.h>

#include <memory>

namespace arkstash::archive {

namespace {

struct ArchiveCloser {
    void operator()(zip_t* za) const { zip_discard(za); }
};
struct FileCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};

std::string describe(int zipError) {
    zip_error_t e;
    zip_error_init_with_code(&e, zipError);
    std::string text = zip_error_strerror(&e);
    zip_error_fini(&e);
    return text;
}

std::string describe(zip_error_t* e) {
    switch (zip_error_code_zip(e)) {
        case ZIP_ER_NOPASSWD:
            return "encrypted, and no password was given";
        case ZIP_ER_WRONGPASSWD:
            return "wrong password";
        case ZIP_ER_CRC:
            return "checksum mismatch: the data is damaged (or the password is wrong)";
        default:
            return zip_error_strerror(e);
    }
}

}  // namespace

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
                          const std::function<bool()>& cancelled) {
    ArchiveCheck result;
    int err = 0;
    // Consistency checks compare every local header with the central directory, so a damaged
    // header is found even when the entry's data happens to read back.
    std::unique_ptr<zip_t, ArchiveCloser> za(
        zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &err));
    if (!za) {
        result.openProblem = describe(err);
        return result;
    }
    if (!password.empty()) zip_set_default_password(za.get(), password.c_str());

    zip_int64_t count = zip_get_num_entries(za.get(), 0);
    std::uint64_t total = 0;
    result.entries.reserve(static_cast<std::size_t>(count));
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        EntryCheck entry;
        if (zip_stat_index(za.get(), static_cast<zip_uint64_t>(i), 0, &st) != 0) {
            entry.name = "#" + std::to_string(i + 1);
            entry.problem = zip_strerror(za.get());
        } else {
            entry.name = (st.valid & ZIP_STAT_NAME) ? st.name : "#" + std::to_string(i + 1);
            entry.size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
            entry.encrypted =
                (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;
            total += entry.size;
        }
        result.entries.push_back(std::move(entry));
    }

    std::vector<char> buffer(256 * 1024);
    std::uint64_t done = 0;
    int lastPercent = -1;
    auto report = [&] {
        if (!progress) return;
        int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
        if (percent > 100) percent = 100;
        if (percent > lastPercent) {
            lastPercent = percent;
            progress(percent);
        }
    };
    report();
    for (zip_int64_t i = 0; i < count; ++i) {
        EntryCheck& entry = result.entries[static_cast<std::size_t>(i)];
        if (!entry.problem.empty()) continue;
        if (cancelled && cancelled()) {
            result.openProblem = "the check was cancelled";
            return result;
        }
        std::unique_ptr<zip_file_t, FileCloser> f(
            zip_fopen_index(za.get(), static_cast<zip_uint64_t>(i), 0));
        if (!f) {
            entry.problem = describe(zip_get_error(za.get()));
            zip_error_clear(za.get());
            continue;
        }
        std::uint64_t read = 0;
        for (;;) {
            zip_int64_t n = zip_fread(f.get(), buffer.data(), buffer.size());
            if (n < 0) {
                entry.problem = describe(zip_file_get_error(f.get()));
                break;
            }
            if (n == 0) break;
            read += static_cast<std::uint64_t>(n);
            done += static_cast<std::uint64_t>(n);
            report();
            if (cancelled && cancelled()) {
                result.openProblem = "the check was cancelled";
                return result;
            }
        }
        if (entry.problem.empty() && read != entry.size)
            entry.problem = "holds " + std::to_string(read) + " bytes, the directory says " +
                            std::to_string(entry.size);
    }
    done = total;
    report();
    return result;
}

}  // namespace arkstash::archive
