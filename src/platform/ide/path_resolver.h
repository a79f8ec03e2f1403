// Turns the paths a project file writes (relative to its folder, with backslashes, spelled in
// whatever case the developer typed on Windows) into paths of this machine.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/os/file_system.h"

namespace arkstash::ide {

struct ResolvedPath {
    // The file found, spelled as on disk; when nothing was found, the best spelling known: the
    // written path applied to the base folder, or the written path itself where it cannot be
    // applied (an unmapped drive, a share, a bare file name).
    std::string path;
    bool found = false;
    std::uint64_t size = 0;  // of the file found
    // Set when the file could not be looked for rather than was not there: the system's reason
    // (permission denied on a folder of the path, a link loop, a name too long) or what is
    // there instead of a regular file (a folder, a named pipe).
    std::string failure;
};

// Resolves paths against the disk, keeping every folder listing it needed for its lifetime:
// one resolver serves one load, so each folder is listed once however many names it holds.
class PathResolver {
  public:
    // `codePage` is the default for names on disk that are not UTF-8: a project copied from
    // Windows without converting its file names keeps them in the code page it was written in.
    PathResolver(os::FileSystem& fs, const std::map<char, std::string>& driveMappings,
                 std::string codePage = "1252");

    // Resolves `written` (already decoded to UTF-8) against the folder `base` (an absolute path
    // of this machine). Each part is taken as spelled when it exists so, else as the bytes of
    // `codePage` it stands for, else the entry whose name, read in `codePage`, matches without
    // regard to case; "." and ".." work; "C:\..." paths go through the drive mappings.
    ResolvedPath resolveFile(const std::string& base, std::string_view written);
    ResolvedPath resolveFile(const std::string& base, std::string_view written,
                             const std::string& codePage);

    // Names of the entries of `dir` (any kind) equal to `name` without regard to case, both
    // read in `codePage` (empty: compared as the bytes they are); sorted, empty when the folder
    // cannot be listed.
    std::vector<std::string> sameNameInFolder(const std::string& dir, std::string_view name,
                                              const std::string& codePage);

    // What `path` names; a look-up that fails counts as nothing there, with `failure` set.
    os::EntryStatus statusOf(const std::string& path, std::string* failure = nullptr);

  private:
    struct Folder {
        std::vector<std::string> names;  // as on disk, sorted
        // Per code page: the hash of each folded name with its index in `names`, sorted.
        std::map<std::string, std::vector<std::pair<std::size_t, std::size_t>>> folded;
    };
    Folder& folder(const std::string& dir);
    std::optional<std::string> findPart(const std::string& dir, std::string_view part,
                                        os::EntryType want, const std::string& codePage,
                                        ResolvedPath& result);

    os::FileSystem& fs_;
    const std::map<char, std::string>& drives_;
    std::string codePage_;
    std::unordered_map<std::string, Folder> folders_;  // folders listed during this run
};

// "dir" + "/" + "name", with no doubled separator after "/".
std::string joinLocal(const std::string& dir, std::string_view name);

}  // namespace arkstash::ide
