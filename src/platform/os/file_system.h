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
    bool hidden = false;
    bool system = false;
    bool readOnly = false;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // The first file matching `path`, whose last part may hold the wildcards * and ?. Folders
    // never match; hidden and system files only when `allowHidden`. Empty when nothing
    // matches. Throws PlatformError when the look-up itself fails (an invalid path).
    virtual std::optional<FileInfo> findFirst(const std::string& path, bool allowHidden) = 0;

    virtual bool folderExists(const std::string& path) = 0;
    // Creates the last level of `path`; throws when the parent is missing or it cannot be made.
    virtual void createFolder(const std::string& path) = 0;

    // The whole file. Throws when it cannot be read; refuses files larger than `limit` bytes.
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
    bool folderExists(const std::string& path) override;
    void createFolder(const std::string& path) override;
    std::string readFile(const std::string& path, std::uint64_t limit) override;
    void replaceFile(const std::string& path, std::string_view content) override;
    void removeFile(const std::string& path) override;
    void renameFile(const std::string& from, const std::string& to) override;
    std::vector<std::string> listFolder(const std::string& path) override;
};

}  // namespace arkstash::os
