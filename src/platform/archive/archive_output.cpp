#include "platform/archive/archive_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace arkstash::archive {

namespace {
constexpr std::size_t kBufferSize = 1u << 20;
}

zip_source_t* ArchiveOutput::source() {
    return zip_source_function_create(&ArchiveOutput::callback, this, &error_);
}

zip_int64_t ArchiveOutput::callback(void* state, void* data, zip_uint64_t len,
                                    zip_source_cmd_t cmd) {
    return static_cast<ArchiveOutput*>(state)->handle(data, len, cmd);
}

zip_int64_t ArchiveOutput::fail(int zipError, int sysError) {
    if (sysError != 0 && errno_ == 0) errno_ = sysError;
    zip_error_set(&error_, zipError, sysError);
    return -1;
}

bool ArchiveOutput::flush() {
    std::size_t done = 0;
    while (done < buffer_.size()) {
        ssize_t n = ::pwrite(fd_, buffer_.data() + done, buffer_.size() - done,
                             static_cast<off_t>(bufferAt_ + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            fail(ZIP_ER_WRITE, n < 0 ? errno : ENOSPC);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    bufferAt_ += buffer_.size();
    buffer_.clear();
    return true;
}

zip_int64_t ArchiveOutput::handle(void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
    switch (cmd) {
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(
                ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL,
                ZIP_SOURCE_BEGIN_WRITE, ZIP_SOURCE_COMMIT_WRITE, ZIP_SOURCE_ROLLBACK_WRITE,
                ZIP_SOURCE_WRITE, ZIP_SOURCE_SEEK_WRITE, ZIP_SOURCE_TELL_WRITE, ZIP_SOURCE_SUPPORTS,
                ZIP_SOURCE_REMOVE, -1);
        case ZIP_SOURCE_STAT: {
            auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, len, &error_);
            if (!st) return -1;
            zip_stat_init(st);
            st->valid = ZIP_STAT_SIZE;
            st->size = size_;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&error_, data, len);
        case ZIP_SOURCE_OPEN:
            readAt_ = 0;
            return 0;
        case ZIP_SOURCE_READ: {
            if (!flush()) return -1;
            for (;;) {
                ssize_t n = ::pread(fd_, data, len, static_cast<off_t>(readAt_));
                if (n < 0 && errno == EINTR) continue;
                if (n < 0) return fail(ZIP_ER_READ, errno);
                readAt_ += static_cast<std::uint64_t>(n);
                return n;
            }
        }
        case ZIP_SOURCE_SEEK: {
            zip_int64_t to = zip_source_seek_compute_offset(readAt_, size_, data, len, &error_);
            if (to < 0) return -1;
            readAt_ = static_cast<std::uint64_t>(to);
            return 0;
        }
        case ZIP_SOURCE_TELL:
            return static_cast<zip_int64_t>(readAt_);
        case ZIP_SOURCE_CLOSE:
        case ZIP_SOURCE_FREE:
            return 0;
        case ZIP_SOURCE_BEGIN_WRITE:
        case ZIP_SOURCE_ROLLBACK_WRITE:
        case ZIP_SOURCE_REMOVE:
            // Every write starts from an empty file; a rolled-back one leaves it empty.
            buffer_.clear();
            bufferAt_ = size_ = 0;
            if (::ftruncate(fd_, 0) != 0) return fail(ZIP_ER_WRITE, errno);
            return 0;
        case ZIP_SOURCE_WRITE: {
            const char* bytes = static_cast<const char*>(data);
            std::uint64_t at = bufferAt_ + buffer_.size();
            if (buffer_.size() + len > kBufferSize && !flush()) return -1;
            if (len >= kBufferSize) {
                // A large block goes straight to the file.
                buffer_.assign(bytes, bytes + len);
                if (!flush()) return -1;
            } else {
                if (buffer_.capacity() < kBufferSize) buffer_.reserve(kBufferSize);
                buffer_.insert(buffer_.end(), bytes, bytes + len);
            }
            size_ = std::max(size_, at + len);
            return static_cast<zip_int64_t>(len);
        }
        case ZIP_SOURCE_SEEK_WRITE: {
            if (!flush()) return -1;
            zip_int64_t to = zip_source_seek_compute_offset(bufferAt_, size_, data, len, &error_);
            if (to < 0) return -1;
            bufferAt_ = static_cast<std::uint64_t>(to);
            return 0;
        }
        case ZIP_SOURCE_TELL_WRITE:
            return static_cast<zip_int64_t>(bufferAt_ + buffer_.size());
        case ZIP_SOURCE_COMMIT_WRITE:
            if (!flush()) return -1;
            if (::fsync(fd_) != 0) return fail(ZIP_ER_WRITE, errno);
            return 0;
        default:
            zip_error_set(&error_, ZIP_ER_OPNOTSUPP, 0);
            return -1;
    }
}

}  // namespace arkstash::archive
