// File look-up, folders and whole-file reads and writes. Paths are the text the environment or
// the user gave; an implementation maps them onto its own file system.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace arkstash::os {

// 100-nanosecond intervals since 1 January 1601, UTC.
using FileTime = std::uint64_t;
inline constexpr FileTime kUnixEpochAsFileTime = 116444736000000000ULL;

struct FileInfo {
    std::string path;  // the full path of the entry found
    std::uint64_t size = 0;
    FileTime creationTime = 0;  // birth time where the file system keeps one, else last write
    FileTime lastWriteTime = 0;
    bool hidden = false;  // the Windows attributes; a leading dot is no such thing
    bool system = false;
    bool readOnly = false;
};

// What a path names, symbolic links followed.
enum class EntryType {
    None,  // nothing is there
    File,  // a regular file: the only kind that is ever read
    Folder,
    Other,  // a named pipe, device or socket: never read, since reading one may block or never end
};

struct EntryStatus {
    EntryType type = EntryType::None;
    std::uint64_t size = 0;  // of a regular file
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // The first regular file matching `path`, whose last part may hold the wildcards * and ?
    // (which match a leading dot like any other character). Folders, pipes and devices never
    // match; files with the hidden or system attribute only when `allowHidden` (this platform
    // has no such attribute: a name starting with a dot is an ordinary file). Empty only when
    // nothing matches: nothing is there, or a part of the path is missing or no folder (ENOENT,
    // ENOTDIR). Throws PlatformError, carrying the system's reason, when the look-up itself fails:
    // an invalid path, permission denied on a folder of the path, a symbolic link loop, a name
    // too long.
    virtual std::optional<FileInfo> findFirst(const std::string& path, bool allowHidden) = 0;

    // What `path` (no wildcards) names. Type None only when nothing is there (ENOENT, ENOTDIR);
    // throws PlatformError with the system's reason for any other failure, as findFirst. The
    // default answers from findFirst and folderExists, so it never answers Other.
    virtual EntryStatus statusOf(const std::string& path) {
        if (auto info = findFirst(path, true)) return {EntryType::File, info->size};
        return {folderExists(path) ? EntryType::Folder : EntryType::None, 0};
    }

    virtual bool folderExists(const std::string& path) = 0;
    // Creates the last level of `path`; throws when the parent is missing or it cannot be made.
    virtual void createFolder(const std::string& path) = 0;

    // The whole file. Throws PlatformError with the reason when it cannot be read; refuses files
    // larger than `limit` bytes and anything that is not a regular file, without blocking on it.
    virtual std::string readFile(const std::string& path, std::uint64_t limit = UINT64_MAX) = 0;
    // Replaces the file as one step: the new content goes to a temporary file beside it, is
    // flushed, and is renamed over the old one. On failure the old file is left whole and no
    // temporary file stays behind.
    virtual void replaceFile(const std::string& path, std::string_view content) = 0;
    virtual void removeFile(const std::string& path) = 0;
    // Moves a file over another in one step (same folder or same file system).
    virtual void renameFile(const std::string& from, const std::string& to) = 0;
    // Names (not paths) of the entries of a folder; throws when it cannot be listed.
    virtual std::vector<std::string> listFolder(const std::string& path) = 0;
};

// The real file system of this machine.
class PosixFileSystem : public FileSystem {
  public:
    std::optional<FileInfo> findFirst(const std::string& path, bool allowHidden) override;
    EntryStatus statusOf(const std::string& path) override;
    bool folderExists(const std::string& path) override;
    void createFolder(const std::string& path) override;
    std::string readFile(const std::string& path, std::uint64_t limit) override;
    void replaceFile(const std::string& path, std::string_view content) override;
    void removeFile(const std::string& path) override;
    void renameFile(const std::string& from, const std::string& to) override;
    std::vector<std::string> listFolder(const std::string& path) override;
};

}  // namespace arkstash::os
