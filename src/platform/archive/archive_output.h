// The file libzip writes the archive into: our own temporary file, already created and locked,
// instead of a file libzip would name and create itself. Writes are buffered; a failed write
// keeps the system's errno so the run can say why.
#pragma once

#include <zip.h>

#include <cstdint>
#include <vector>

namespace arkstash::archive {

class ArchiveOutput {
  public:
    explicit ArchiveOutput(int fd) : fd_(fd) { zip_error_init(&error_); }
    ~ArchiveOutput() { zip_error_fini(&error_); }
    ArchiveOutput(const ArchiveOutput&) = delete;
    ArchiveOutput& operator=(const ArchiveOutput&) = delete;

    // A new libzip source on the file; libzip owns the source, this object must outlive it.
    zip_source_t* source();
    // The errno of the write that failed, 0 when none did.
    int failedErrno() const { return errno_; }

  private:
    static zip_int64_t callback(void* state, void* data, zip_uint64_t len, zip_source_cmd_t cmd);
    zip_int64_t handle(void* data, zip_uint64_t len, zip_source_cmd_t cmd);
    bool flush();
    zip_int64_t fail(int zipError, int sysError);

    int fd_;
    zip_error_t error_;
    int errno_ = 0;
    std::vector<char> buffer_;
    std::uint64_t bufferAt_ = 0;  // file offset of buffer_[0]
    std::uint64_t readAt_ = 0;    // for libzip's reads of what it wrote
    std::uint64_t size_ = 0;      // bytes in the file, buffered ones included
};

}  // namespace arkstash::archive
