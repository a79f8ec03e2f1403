// Turns the paths a project file writes (relative to its folder, with backslashes, spelled in
// whatever case the developer typed on Windows) into paths of this machine.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
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
};

class PathResolver {
  public:
    // `codePage` decodes names on disk that are not UTF-8: a project copied from Windows
    // without converting its file names keeps them in the code page it was written in.
    PathResolver(os::FileSystem& fs, const std::map<char, std::string>& driveMappings,
                 std::string codePage);

    // Resolves `written` against the folder `base` (an absolute path of this machine). Each
    // part is taken as spelled when it exists so, else the entry whose name matches without
    // regard to case; "." and ".." work; "C:\..." paths go through the drive mappings.
    ResolvedPath resolveFile(const std::string& base, std::string_view written);

    // True when `path` names a file (hidden ones included; folders never).
    bool isFile(const std::string& path);

  private:
    struct Entry {
        std::string folded;  // the decoded name, folded for comparing
        std::string name;    // as on disk
    };
    const std::vector<Entry>& entries(const std::string& dir);
    std::optional<std::string> match(const std::string& dir, std::string_view part, bool folder);

    os::FileSystem& fs_;
    const std::map<char, std::string>& drives_;
    std::string codePage_;
    std::map<std::string, std::vector<Entry>> listed_;  // folders listed during this run
};

// "dir" + "/" + "name", with no doubled separator after "/".
std::string joinLocal(const std::string& dir, std::string_view name);

}  // namespace arkstash::ide
