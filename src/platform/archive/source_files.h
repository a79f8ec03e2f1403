// How the engine reaches the files it archives. Only regular files are read, and nothing can
// make a read wait for a writer: a FIFO, a device or a kernel file listed by a project is
// refused on the open descriptor, never read. Tests derive from it and override the one call
// they want to misbehave; each call's contract is below.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "platform/archive/archive_engine.h"

namespace arkstash::archive {

// A file descriptor closed when it goes out of scope.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd();

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_ = -1;
};

// What the file system says of an open file; two reads of a file whose facts differ did not
// see the same content.
struct FileFacts {
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;  // last modification, nanoseconds since the epoch
    std::uint32_t mode = 0;       // permission bits
    std::time_t modified() const { return static_cast<std::time_t>(modifiedNs / 1000000000); }
    bool operator==(const FileFacts&) const = default;
};

struct OpenedFile {
    UniqueFd fd;
    FileFacts facts;
    std::optional<FileProblem> problem;  // set when fd is not
};

class SourceFiles {
  public:
    virtual ~SourceFiles() = default;
    // Opens `path` for reading without blocking and checks on the descriptor that it is a
    // regular file of a real file system. Failure: the problem (NotFound, CannotRead with the
    // system's reason, NotAFile saying what it is).
    virtual OpenedFile open(const std::string& path) const;
    // Reads up to `size` bytes at `offset`. Answers the count (0 at the end of the file), or
    // minus the errno of a failed read. Called from several threads at once.
    virtual std::int64_t read(int fd, std::uint64_t offset, char* into, std::size_t size) const;
    // The facts of an open file now; nullopt when the system cannot tell.
    virtual std::optional<FileFacts> facts(int fd) const;
};

// Reads `size` bytes at `offset`, or fewer at the end of the file. Answers the count, or minus
// the errno.
std::int64_t readFully(const SourceFiles& files, int fd, std::uint64_t offset, char* into,
                       std::size_t size);

}  // namespace arkstash::archive
