// The archive engine on libzip. write() is synchronous and calls the observer on the calling
// thread before it returns. Worker threads read and deflate the files (see compression.h) and
// libzip writes their output as it is, adding AES-256 on top when asked. An archive is never
// written in place: it goes to a temporary file beside the target, is read back and checked
// on every core, and only then takes the target's place, so a failed run leaves the previous
// archive as it was.
#pragma once

#include <atomic>

#include "platform/archive/archive_engine.h"
#include "platform/archive/source_files.h"

namespace arkstash::archive {

class LibzipEngine : public ArchiveEngine {
  public:
    // Reads the files through the system's own calls.
    LibzipEngine() : files_(&systemFiles_) {}
    // Reads the files through `files`, which must outlive the engine.
    explicit LibzipEngine(const SourceFiles& files) : files_(&files) {}

    ArchiveResult write(const ArchiveRequest& request, ArchiveObserver& observer) override;
    ArchivePlan plan(const ArchiveRequest& request) const override;
    void cancel() noexcept override { cancelled_.store(true); }

    // Whether this libzip can write AES-256 entries.
    static bool aesSupported();

  private:
    struct Run;
    ArchiveResult run(const ArchiveRequest& request, ArchiveObserver& observer);

    SourceFiles systemFiles_;
    const SourceFiles* files_;
    std::atomic<bool> running_{false};
    std::atomic<bool> cancelled_{false};
    static_assert(std::atomic<bool>::is_always_lock_free, "cancel() must be signal-safe");
};

}  // namespace arkstash::archive
