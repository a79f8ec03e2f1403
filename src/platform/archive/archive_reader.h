// Reading archives back: their directory, their entries' data, and putting entries into a folder
// without ever letting a name from the archive decide where outside that folder a byte lands.
// Restore, history and the "what changed" comparison read archives through this; nothing here
// trusts what an archive says until it has been checked.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct zip;

namespace arkstash::archive {

enum class EntryType {
    File,
    Folder,   // a name ending with "/", or recorded as a folder
    Link,     // recorded as a symbolic link: never restored
    Special,  // recorded as a device, a pipe or a socket: never restored
};

struct ArchiveEntry {
    std::uint64_t index = 0;
    std::string name;  // as the directory has it (a NUL in it ends it)
    EntryType type = EntryType::File;
    std::uint64_t size = 0;  // uncompressed, as the directory claims
    std::uint32_t crc = 0;
    // False where the directory leaves the checksum out (encrypted entries of the AE-2 kind).
    bool crcKnown = true;
    bool encrypted = false;
    std::time_t modified = 0;
    std::optional<std::uint32_t> permissions;  // Unix permission bits, when recorded
};

// CRC-32 as ZIP uses it, carried on from `crc` (0 to start).
std::uint32_t Crc32(std::uint32_t crc, std::string_view bytes);

struct FileDigest {
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
};
// Size and CRC-32 of a regular file read to its end. Throws PlatformError when it cannot be
// read or is no regular file.
FileDigest DigestFile(const std::string& path);

// Why an entry name may not be restored, or nothing when it is a plain relative path: parts
// separated by "/", none empty, "." or "..", no leading "/", no backslash, no colon (drive
// letters and alternate streams), no control character.
std::optional<std::string> UnsafeEntryName(std::string_view name);

class ArchiveReader {
  public:
    // Opens the archive and reads its directory; `password` (empty: none) is used for encrypted
    // entries. Throws PlatformError when the archive cannot be opened.
    explicit ArchiveReader(const std::string& path, const std::string& password = {});

    const std::string& path() const { return path_; }
    const std::vector<ArchiveEntry>& entries() const { return entries_; }
    bool anyEncrypted() const;

    // Hands the entry's data to `sink` piece by piece. Throws PlatformError when it cannot be
    // read, is damaged, needs a password, or holds more or fewer bytes than the directory
    // claims; reading stops at the claimed size plus one byte, so an archive that lies about
    // its sizes cannot make it run on.
    void read(const ArchiveEntry& entry, const std::function<void(std::string_view)>& sink) const;
    // The whole data of an entry; throws PlatformError as read() does, or when the directory
    // claims more than `limit` bytes.
    std::string readAll(const ArchiveEntry& entry, std::uint64_t limit) const;
    // The entry's CRC-32: the directory's, or worked out from the data where it is left out.
    std::uint32_t contentCrc(const ArchiveEntry& entry) const;

  private:
    struct Closer {
        void operator()(::zip* za) const;
    };
    std::string path_;
    std::unique_ptr<::zip, Closer> zip_;
    std::vector<ArchiveEntry> entries_;
};

// ---- Restoring into a folder ----

enum class RestoreAction {
    Write,    // nothing there yet: the file is written
    Replace,  // a different file is there: it is kept as `keptAs`, then the entry takes its place
    Same,     // the same bytes are there already: left as it is
    Folder,   // a folder entry: the folder is made when missing
};

struct RestoreStep {
    const ArchiveEntry* entry = nullptr;
    RestoreAction action = RestoreAction::Write;
    std::string keptAs;  // Replace: the name the present file is kept under, beside it
};

struct RestorePlan {
    std::string folder;
    std::vector<RestoreStep> steps;
    // One line for each reason not to restore at all ("NAME: why"); empty when it may go ahead.
    std::vector<std::string> refusals;
    std::uint64_t bytesToWrite = 0;
};

// The archive's entries restored into `folder` (which need not exist yet). Every entry is checked
// first: names that would leave the folder, links and devices, duplicate names, a file and a
// folder of the same name, paths that pass through a symbolic link or a file already in the
// folder, files there already (allowed with `overwrite`), and archives larger than a project's
// backup can be or than the free space. Reads the folder; writes nothing.
RestorePlan PlanRestore(const ArchiveReader& archive, const std::string& folder, bool overwrite);

// Carries out a plan without refusals, in order; `wrote` hears of each step done. Each file is
// written to a temporary name beside its place, checked against the directory's size and CRC,
// given its time and permissions, flushed and renamed into place; a file being replaced is first
// renamed to its `keptAs` name. No step follows a symbolic link inside the folder or replaces a
// file that appeared after planning. Throws PlatformError at the first step that fails; the
// steps before it stay done, and no temporary file is left.
void Restore(const ArchiveReader& archive, const RestorePlan& plan,
             const std::function<void(const RestoreStep&)>& wrote);

}  // namespace arkstash::archive
