// Compression on a pool of worker threads, handed to the archive writer in list order.
//
// Every listed file becomes one or more pieces. A file up to kWholeLimit is one piece, deflated
// whole with libdeflate. A bigger file is cut into kChunk pieces, each deflated by zlib with
// the 32 KiB before it as its dictionary and ended on a byte boundary (a sync flush), so the
// pieces put together are one deflate stream. The cut points depend only on the file, never on
// the number of threads, so the archive is the same whatever that number.
//
// Memory stays bounded: a worker starts a piece only while the pieces started and not yet taken
// by the writer fit in kBudget (or none is in flight), whatever the file sizes and thread count.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/archive/source_files.h"

namespace arkstash::archive {

// Memory for pieces straight from the system and back to it when freed. Pieces are allocated
// on the workers and freed on the writer's thread; through malloc, each worker's arena would
// keep what the writer freed, and memory would grow past the budget with the thread count.
template <typename T>
struct PageAllocator {
    using value_type = T;
    PageAllocator() = default;
    template <typename U>
    PageAllocator(const PageAllocator<U>&) noexcept {}
    T* allocate(std::size_t n);
    void deallocate(T* p, std::size_t n) noexcept;
    bool operator==(const PageAllocator&) const = default;
};
using Bytes = std::vector<char, PageAllocator<char>>;

// The libdeflate level that gives, for a request level of 1 to 9, about the size of the zlib
// level of that number (Normal) or less (Maximum).
int wholeFileLevel(int level);

struct PipelineEntry {
    std::string path;
    std::uint64_t size = 0;  // as planned
};

// One piece, compressed (or stored, at level 0).
struct Piece {
    std::size_t entry = 0;  // the file it belongs to, by its index in the list
    Bytes bytes;
    std::uint32_t crc = 0;        // CRC-32 of the piece's uncompressed bytes
    std::uint64_t inputSize = 0;  // its uncompressed size
    std::uint64_t fileSize = 0;   // the file's size as read (whole pieces)
    // The file cannot go into the archive as planned: it vanished, cannot be read, or (for a
    // file read whole, twice) changed while being read.
    std::optional<FileProblem> problem;
    // A file of several pieces did not match its plan: the archive must be written again.
    bool moved = false;
};

class CompressionPipeline {
  public:
    static constexpr std::size_t kWholeLimit = 8u << 20;
    static constexpr std::size_t kChunk = 1u << 20;
    static constexpr std::size_t kBudget = 48u << 20;
    // More threads than this would only add memory: no machine it runs on has so many cores
    // free for one backup.
    static constexpr unsigned kMaxThreads = 16;

    // Starts `threads` workers at once. `level` 0 stores, 1 to 9 deflate.
    CompressionPipeline(const SourceFiles& files, std::vector<PipelineEntry> entries, int level,
                        unsigned threads, const std::atomic<bool>& cancelled);
    ~CompressionPipeline();
    CompressionPipeline(const CompressionPipeline&) = delete;
    CompressionPipeline& operator=(const CompressionPipeline&) = delete;

    // Pieces entry `entry` is cut into.
    std::size_t pieceCount(std::size_t entry) const;
    // The next piece in list order; waits for it. nullopt once cancelled.
    std::optional<Piece> next();
    // After the last piece of a file of several pieces: whether the file still has the size and
    // time it had when it was opened. Closes it.
    bool unchangedSinceOpened(std::size_t entry);

  private:
    struct PieceJob {
        std::size_t entry;
        std::uint64_t offset;
        std::uint64_t length;
        bool whole;
        bool last;
        std::size_t reserve;  // bytes it may hold while in flight
    };
    struct OpenFile {
        std::mutex mutex;
        bool tried = false;
        OpenedFile file;
    };
    class Worker;

    void work();
    Piece make(const PieceJob& job, Worker& worker);
    Piece readWhole(const PieceJob& job, Worker& worker);
    Piece readChunk(const PieceJob& job, Worker& worker);
    OpenFile& opened(std::size_t entry);

    const SourceFiles& files_;
    std::vector<PipelineEntry> entries_;
    const int level_;
    const std::atomic<bool>& cancelled_;
    std::vector<PieceJob> jobs_;
    std::vector<std::size_t> firstJob_;  // per entry
    std::vector<std::unique_ptr<OpenFile>> open_;

    std::mutex mutex_;
    std::condition_variable workCv_, readyCv_;
    std::size_t nextToStart_ = 0;
    std::size_t nextToTake_ = 0;
    std::size_t reserved_ = 0;
    bool stopping_ = false;
    std::map<std::size_t, Piece> ready_;
    std::vector<std::thread> threads_;
};

}  // namespace arkstash::archive
