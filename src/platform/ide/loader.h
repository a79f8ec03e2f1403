// Builds an environment from project (.vbp) and group (.vbg) files on disk, and reloads it,
// turning what changed on disk into the environment's events.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ide/memory_ide.h"
#include "platform/os/file_system.h"

namespace arkstash::registry {
class Registry;
}

namespace arkstash::ide {

struct LoaderOptions {
    // Code page of project and source files that are not valid UTF-8 ("1252", "936", ...).
    std::string codePage = "1252";
    // Windows drive letters (upper case) mapped to folders, for projects kept under a
    // compatibility layer: 'C' -> "/home/me/.wine/drive_c".
    std::map<char, std::string> driveMappings;
    // Type-library registrations (HKEY_CLASSES_ROOT) to resolve references and controls
    // through; none: a reference resolves only by its own path.
    registry::Registry* classes = nullptr;
};

// The named project or group file itself cannot be loaded: missing, unreadable, a folder, or
// not a project or group file at all.
class LoadError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Something in a loaded file could not be read; the project holds what could be.
struct LoadIssue {
    std::string file;
    std::string message;
};

struct LoadReport {
    std::vector<LoadIssue> issues;
};

class ProjectLoader {
  public:
    ProjectLoader(os::FileSystem& fs, LoaderOptions options);

    // Loads the named files (.vbp or .vbg, any mix) into `vbe`, which must be empty. The
    // first project named is the active one. Throws LoadError when a named file cannot be
    // loaded; a component file that is missing or unreadable is reported and its component
    // kept with what is known of it.
    LoadReport load(MemoryVBE& vbe, const std::vector<std::string>& paths);

    // Reads the same files again and applies the difference to `vbe`, raising its events:
    // projects added or removed, components added to or removed from a project (removed files
    // also raise the file-removed event of their project), and changed names, line counts and
    // dirty flags updated in place.
    LoadReport reload(MemoryVBE& vbe);

  private:
    struct Impl;
    os::FileSystem& fs_;
    LoaderOptions options_;
    std::vector<std::string> paths_;
};

}  // namespace arkstash::ide
