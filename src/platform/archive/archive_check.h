// Reads an archive back entry by entry, the way a restore would, and says what is wrong with it.
// The engine runs it on every archive before that archive may replace an older one; the
// command line's `verify` runs it on any archive.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace arkstash::archive {

struct EntryCheck {
    std::string name;
    std::uint64_t size = 0;        // uncompressed, as the directory records it
    std::uint16_t method = 0;      // compression method, as ZIP numbers them (8 deflate)
    std::uint16_t encryption = 0;  // libzip's ZIP_EM_ value; 0 none
    // Empty when the entry read back whole with a matching checksum.
    std::string problem;
    // Its method or encryption is one this program cannot read, so it could not be checked.
    bool unsupported = false;
};

struct ArchiveCheck {
    std::string openProblem;  // set when the archive could not be opened at all
    std::vector<EntryCheck> entries;

    bool ok() const;
    // One line per problem: "archive: ..." or "<entry>: ...". Empty when ok().
    std::vector<std::string> problems() const;
};

// Reads every entry to its end, so the archive's checksums (CRC-32, and the authentication code
// of AES entries) are checked with `password` (empty: none), on `threads` threads. `progress`
// gets the whole percent of uncompressed bytes read, at most once per percent, on the calling
// thread; `cancelled` is asked there too and stops the check with a problem when it answers
// true. Only a regular file is opened, without blocking.
ArchiveCheck CheckArchive(const std::string& path, const std::string& password,
                          const std::function<void(int percent)>& progress = {},
                          const std::function<bool()>& cancelled = {}, unsigned threads = 1);

// How an entry is encrypted, in a user's words: "AES-256", "ZipCrypto", "none"...
std::string encryptionName(std::uint16_t encryption);
// A compression method's name: "Deflate", "LZMA", "PPMd"...
std::string methodName(std::uint16_t method);

}  // namespace arkstash::archive
