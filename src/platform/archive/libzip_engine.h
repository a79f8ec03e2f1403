// The archive engine on libzip. write() is synchronous and calls the observer on the calling
// thread before it returns. An archive is never written in place: it goes to a temporary file
// beside the target, is read back and checked, and only then takes the target's place, so a
// failed run leaves the previous archive as it was.
#pragma once

#include <atomic>

#include "platform/archive/archive_engine.h"

namespace arkstash::archive {

class LibzipEngine : public ArchiveEngine {
  public:
    ArchiveResult write(const ArchiveRequest& request, ArchiveObserver& observer) override;
    ArchivePlan plan(const ArchiveRequest& request) const override;
    void cancel() noexcept override { cancelled_.store(true); }

    // Whether this libzip can write AES-256 entries.
    static bool aesSupported();

  private:
    struct Run;
    ArchiveResult run(const ArchiveRequest& request, ArchiveObserver& observer);

    std::atomic<bool> running_{false};
    std::atomic<bool> cancelled_{false};
};

}  // namespace arkstash::archive
