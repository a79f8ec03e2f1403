// The archive engine on libzip. Zip() is synchronous and raises every event on the calling
// thread before it returns. An archive is never written in place: it goes to a temporary file
// beside the target, is read back and checked, and only then replaces the target, so a failed
// run leaves the previous archive as it was.
#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/archive/zip_engine.h"

namespace arkstash::archive {

// What a run would write: the files that can be read, with their entry names, and the ones it
// would skip with the warning each raises.
struct PlannedFile {
    std::string path;       // as listed
    std::string entryName;  // name inside the archive
    std::uint64_t size = 0;
    std::time_t modified = 0;
    std::uint32_t mode = 0;  // the file's permission bits, kept in the entry's attributes
};
struct SkippedFile {
    std::string path;
    std::int32_t warningCode = 0;
    std::string reason;
};
struct ZipPlan {
    std::string folder;  // the deepest folder holding every planned file
    std::vector<PlannedFile> files;
    std::vector<SkippedFile> skipped;
    std::uint64_t totalBytes = 0;
};

// What the last run put into the archive it wrote (all zero when it wrote none).
struct RunSummary {
    std::size_t entries = 0;
    std::uint64_t bytes = 0;  // uncompressed
    std::size_t skipped = 0;
};

class LibzipEngine : public ZipEngine {
  public:
    void setFilesToProcess(const std::string& value) override;
    void AddFilesToProcess(const std::string& path) override;
    const std::vector<std::string>& filesToProcess() const override { return files_; }

    void setCompressionLevel(std::int32_t level) override;
    std::int32_t CompressionLevel() const override { return level_; }

    void setZipFilename(const std::string& path) override { zipFilename_ = path; }
    const std::string& ZipFilename() const override { return zipFilename_; }

    void setEncryptionPassword(const std::string& password) override { password_ = password; }
    bool hasEncryptionPassword() const override { return !password_.empty(); }

    void Zip() override;

    // The engine's own text for a code. While a run's events are being handled, and after it
    // until the next run, the text also names the file or the system's reason behind the most
    // recent code of that kind, so a user learns which file was skipped and why.
    std::string GetErrorDescription(int kind, std::int32_t code) override;

    // The text for a code without anything of a particular run.
    static std::string describe(int kind, std::int32_t code);

    // Looks at the listed files as a run would, without writing anything and raising no event.
    ZipPlan plan() const;

    // Asks a run in progress to stop; safe to call from a signal handler. The run ends with
    // xerUserAbort and the previous archive untouched.
    void requestAbort() noexcept { abortRequested_.store(true); }

    // Called with the temporary archive's path after it is written and before it is checked.
    // Tests damage the file here to prove that the check guards the target.
    std::function<void(const std::string& temporaryPath)> afterWrite;

    const RunSummary& lastRun() const { return lastRun_; }

    // Whether this libzip can write AES-256 entries.
    static bool aesSupported();

  private:
    struct Run;
    ZipPlan planFiles(const std::function<void(std::string&)>& preprocess,
                      const std::function<void(const SkippedFile&)>& skipped) const;
    std::int32_t run();
    std::int32_t write(Run& r, const std::string& temporaryPath);
    void warn(const std::string& path, std::int32_t code, const std::string& reason);
    void setDetail(int kind, std::int32_t code, std::string detail);

    std::vector<std::string> files_;
    std::int32_t level_ = 6;
    std::string zipFilename_;
    std::string password_;
    bool running_ = false;
    std::atomic<bool> abortRequested_{false};
    std::map<std::pair<int, std::int32_t>, std::string> details_;
    RunSummary lastRun_;
};

}  // namespace arkstash::archive
