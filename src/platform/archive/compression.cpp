#include "platform/archive/compression.h"

#include <libdeflate.h>
#include <sys/mman.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace arkstash::archive {

namespace {

constexpr std::size_t kDictionary = 32u << 10;
constexpr auto kPoll = std::chrono::milliseconds(20);

std::uint32_t crcOf(const char* data, std::size_t size) {
    return libdeflate_crc32(0, data, size);
}

FileProblem readProblem(const std::string& path, std::int64_t negativeErrno) {
    return {path, FileProblemKind::CannotRead, std::strerror(static_cast<int>(-negativeErrno))};
}

}  // namespace

template <>
char* PageAllocator<char>::allocate(std::size_t n) {
    void* p = ::mmap(nullptr, n, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    return static_cast<char*>(p);
}

template <>
void PageAllocator<char>::deallocate(char* p, std::size_t n) noexcept {
    ::munmap(p, n);
}

int wholeFileLevel(int level) {
    // libdeflate's level 6 is some 4 % larger than zlib's on source text; its 7 matches zlib's 6
    // at the same speed, and its 10 (the first of its thorough levels) is smaller than zlib's 9.
    static constexpr int kLevels[] = {0, 1, 2, 3, 4, 5, 7, 8, 9, 10};
    return kLevels[std::clamp(level, 0, 9)];
}

// What one thread compresses with; made once per thread, used for every piece it takes.
class CompressionPipeline::Worker {
  public:
    explicit Worker(int level) : level_(level) {
        if (level_ > 0) whole_ = libdeflate_alloc_compressor(wholeFileLevel(level_));
    }
    ~Worker() {
        for (auto* c : {whole_, fast_, stored_})
            if (c) libdeflate_free_compressor(c);
        if (streamReady_) deflateEnd(&stream_);
    }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // A whole file as one deflate stream.
    Bytes compressWhole(const char* data, std::size_t size) {
        if (!whole_) throw std::bad_alloc();
        libdeflate_compressor* c = incompressible(data, size) ? stored() : whole_;
        Bytes out(libdeflate_deflate_compress_bound(c, size));
        std::size_t n = libdeflate_deflate_compress(c, data, size, out.data(), out.size());
        if (n == 0) throw std::runtime_error("deflate failed");
        out.resize(n);
        out.shrink_to_fit();
        return out;
    }

    // One piece of a longer stream: primed with the bytes before it, ended on a byte boundary
    // (or, for the last piece, with the final block).
    Bytes compressChunk(const char* dictionary, std::size_t dictionarySize, const char* data,
                        std::size_t size, bool last) {
        if (!streamReady_) {
            if (deflateInit2(&stream_, level_, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
                throw std::bad_alloc();
            streamReady_ = true;
        } else {
            deflateReset(&stream_);
        }
        if (dictionarySize > 0)
            deflateSetDictionary(&stream_, reinterpret_cast<const Bytef*>(dictionary),
                                 static_cast<uInt>(dictionarySize));
        Bytes out(deflateBound(&stream_, size) + 64);
        stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        stream_.avail_in = static_cast<uInt>(size);
        std::size_t produced = 0;
        for (;;) {
            stream_.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
            stream_.avail_out = static_cast<uInt>(out.size() - produced);
            int rc = deflate(&stream_, last ? Z_FINISH : Z_SYNC_FLUSH);
            produced = out.size() - stream_.avail_out;
            if (rc == Z_STREAM_ERROR) throw std::runtime_error("deflate failed");
            bool done = last ? rc == Z_STREAM_END : stream_.avail_in == 0 && stream_.avail_out > 0;
            if (done) break;
            out.resize(out.size() * 2);
        }
        out.resize(produced);
        out.shrink_to_fit();
        return out;
    }

    Bytes input;

  private:
    // Pictures and other packed data inside .frx and .res files do not shrink, yet deflate
    // spends as long on them as on text. Samples from the start, middle and end tell them, by
    // content alone, so the archive still does not depend on anything else.
    bool incompressible(const char* data, std::size_t size) {
        constexpr std::size_t kSample = 16u << 10;
        if (size < 8 * kSample) return false;
        if (!fast_) fast_ = libdeflate_alloc_compressor(1);
        if (!fast_) return false;
        char out[kSample + 1024];
        for (std::size_t at : {std::size_t{0}, size / 2, size - kSample}) {
            std::size_t n = libdeflate_deflate_compress(fast_, data + at, kSample, out, sizeof out);
            if (n == 0 || n < kSample - kSample / 200) return false;  // saves more than 0.5 %
        }
        return true;
    }
    // Deflate's stored blocks: what zip would store, in the stream the entry declares.
    libdeflate_compressor* stored() {
        if (!stored_) stored_ = libdeflate_alloc_compressor(0);
        if (!stored_) throw std::bad_alloc();
        return stored_;
    }

    int level_;
    libdeflate_compressor* whole_ = nullptr;
    libdeflate_compressor* fast_ = nullptr;
    libdeflate_compressor* stored_ = nullptr;
    z_stream stream_{};
    bool streamReady_ = false;
};

CompressionPipeline::CompressionPipeline(const SourceFiles& files,
                                         std::vector<PipelineEntry> entries, int level,
                                         unsigned threads, const std::atomic<bool>& cancelled)
    : files_(files), entries_(std::move(entries)), level_(level), cancelled_(cancelled) {
    for (std::size_t e = 0; e < entries_.size(); ++e) {
        firstJob_.push_back(jobs_.size());
        open_.push_back(std::make_unique<OpenFile>());
        std::uint64_t size = entries_[e].size;
        if (size <= kWholeLimit) {
            auto n = static_cast<std::size_t>(size);
            jobs_.push_back({e, 0, size, true, true, 2 * n + 1024});
            continue;
        }
        for (std::uint64_t off = 0; off < size; off += kChunk) {
            std::uint64_t len = std::min<std::uint64_t>(kChunk, size - off);
            jobs_.push_back({e, off, len, false, off + len == size, 2 * kChunk + kDictionary});
        }
    }
    firstJob_.push_back(jobs_.size());
    threads = std::clamp(threads, 1u, kMaxThreads);
    threads_.reserve(threads);
    for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this] { work(); });
}

CompressionPipeline::~CompressionPipeline() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    workCv_.notify_all();
    for (auto& t : threads_) t.join();
}

std::size_t CompressionPipeline::pieceCount(std::size_t entry) const {
    return firstJob_[entry + 1] - firstJob_[entry];
}

void CompressionPipeline::work() {
    // Nothing may escape a worker: a piece that fails says so in its result.
    Worker worker(level_);
    for (;;) {
        std::size_t index;
        {
            std::unique_lock lock(mutex_);
            for (;;) {
                if (stopping_ || cancelled_.load() || nextToStart_ == jobs_.size()) return;
                const PieceJob& s = jobs_[nextToStart_];
                if (reserved_ == 0 || reserved_ + s.reserve <= kBudget) break;
                workCv_.wait_for(lock, kPoll);
            }
            index = nextToStart_++;
            reserved_ += jobs_[index].reserve;
        }
        Piece piece;
        try {
            piece = make(jobs_[index], worker);
            Bytes().swap(worker.input);
        } catch (const std::exception& e) {
            piece = Piece{};
            piece.problem = FileProblem{entries_[jobs_[index].entry].path,
                                        FileProblemKind::CannotRead, e.what()};
        }
        piece.entry = jobs_[index].entry;
        {
            std::lock_guard lock(mutex_);
            // The piece now holds only its output (its input buffer was given back).
            reserved_ += piece.bytes.size();
            reserved_ -= jobs_[index].reserve;
            ready_.emplace(index, std::move(piece));
        }
        readyCv_.notify_all();
        workCv_.notify_all();
    }
}

std::optional<Piece> CompressionPipeline::next() {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (cancelled_.load() || nextToTake_ == jobs_.size()) return std::nullopt;
        auto it = ready_.find(nextToTake_);
        if (it != ready_.end()) {
            Piece piece = std::move(it->second);
            ready_.erase(it);
            reserved_ -= piece.bytes.size();
            ++nextToTake_;
            lock.unlock();
            workCv_.notify_all();
            return piece;
        }
        // Polled as well as woken: cancel() may come from a signal handler, which cannot wake.
        readyCv_.wait_for(lock, kPoll);
    }
}

CompressionPipeline::OpenFile& CompressionPipeline::opened(std::size_t entry) {
    OpenFile& f = *open_[entry];
    std::lock_guard lock(f.mutex);
    if (!f.tried) {
        f.tried = true;
        f.file = files_.open(entries_[entry].path);
    }
    return f;
}

bool CompressionPipeline::unchangedSinceOpened(std::size_t entry) {
    OpenFile& f = *open_[entry];
    std::lock_guard lock(f.mutex);
    bool same = false;
    if (f.file.fd) {
        auto now = files_.facts(f.file.fd.get());
        same = now && now->size == f.file.facts.size && now->modifiedNs == f.file.facts.modifiedNs;
    }
    f.file.fd = UniqueFd();
    return same;
}

Piece CompressionPipeline::make(const PieceJob& job, Worker& worker) {
    return job.whole ? readWhole(job, worker) : readChunk(job, worker);
}

Piece CompressionPipeline::readWhole(const PieceJob& job, Worker& worker) {
    const std::string& path = entries_[job.entry].path;
    Piece piece;
    // A file that moves while it is read is read once more; one that moves twice is left out.
    for (int attempt = 0; attempt < 2; ++attempt) {
        OpenedFile f = files_.open(path);
        if (f.problem) {
            piece.problem = f.problem;
            return piece;
        }
        const std::uint64_t size = f.facts.size;
        if (size > kWholeLimit) continue;  // grown past what is read whole since it was planned
        // One byte more than the file should hold, to see whether it grew.
        worker.input.resize(static_cast<std::size_t>(size) + 1);
        std::int64_t n = readFully(files_, f.fd.get(), 0, worker.input.data(), worker.input.size());
        if (n < 0) {
            piece.problem = readProblem(path, n);
            return piece;
        }
        auto after = files_.facts(f.fd.get());
        if (static_cast<std::uint64_t>(n) != size || !after || after->size != size ||
            after->modifiedNs != f.facts.modifiedNs)
            continue;
        const char* data = worker.input.data();
        auto length = static_cast<std::size_t>(size);
        piece.crc = crcOf(data, length);
        piece.inputSize = size;
        piece.fileSize = size;
        piece.bytes = level_ == 0 ? Bytes(data, data + length) : worker.compressWhole(data, length);
        return piece;
    }
    piece.problem = FileProblem{path, FileProblemKind::ChangedWhileRead,
                                "its size or time changed while it was read, twice"};
    return piece;
}

Piece CompressionPipeline::readChunk(const PieceJob& job, Worker& worker) {
    const PipelineEntry& entry = entries_[job.entry];
    Piece piece;
    OpenFile& f = opened(job.entry);
    if (f.file.problem) {
        piece.problem = f.file.problem;
        return piece;
    }
    if (f.file.facts.size != entry.size) {
        piece.moved = true;
        return piece;
    }
    const std::size_t dictionary =
        level_ == 0 ? 0
                    : static_cast<std::size_t>(std::min<std::uint64_t>(kDictionary, job.offset));
    const auto length = static_cast<std::size_t>(job.length);
    worker.input.resize(dictionary + length);
    std::int64_t n = readFully(files_, f.file.fd.get(), job.offset - dictionary,
                               worker.input.data(), worker.input.size());
    if (n < 0) {
        piece.problem = readProblem(entry.path, n);
        return piece;
    }
    if (static_cast<std::size_t>(n) != worker.input.size()) {
        piece.moved = true;
        return piece;
    }
    const char* data = worker.input.data() + dictionary;
    piece.crc = crcOf(data, length);
    piece.inputSize = length;
    piece.fileSize = entry.size;
    piece.bytes = level_ == 0 ? Bytes(data, data + length)
                              : worker.compressChunk(worker.input.data(), dictionary, data, length,
                                                     job.last);
    return piece;
}

}  // namespace arkstash::archive
