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
    std::uint64_t size = 0;  // uncompressed, as the directory records it
    bool encrypted = false;
    std::string problem;  // empty when the entry read back whole with a matching checksum
};

struct ArchiveCheck {
    std::string openProblem;  // set when the archive could not be opened at all
    std::vector<EntryCheck> entries;

    bool ok() const;
    // One line per problem: "archive: ..." or "<entry>: ...". Empty when ok().
    std::vector<std::string> problems() const;
};

// Reads every entry to its end, so the archive's checksums (CRC-32, and the authentication code
// of AES entries) are checked with `password` (empty: none). `progress` gets the whole percent
// of uncompressed bytes read, at most once per percent; `cancelled` is asked between reads and
// stops the check with a problem when it answers true.
ArchiveCheck CheckArchive(const std::string& path, const std::string& password,
                          const std::function<void(int percent)>& progress = {},
                          const std::function<bool()>& cancelled = {});

}  // namespace arkstash::archive
