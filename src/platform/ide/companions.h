// The binary files that belong to components: a form's ".frx", a user control's ".ctx", a
// property page's ".pgx", a user document's ".dox", a designer's ".dsx" or ".dca". They sit
// beside the component under its name, but a project moved from Windows often spells one in
// another letter case than its component ("frmStats.frx" beside "FrmStats.frm").
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ide/path_resolver.h"
#include "platform/os/file_system.h"

namespace arkstash::ide {

// Finds companions for one scan, listing each folder at most once.
class CompanionFinder {
  public:
    explicit CompanionFinder(os::FileSystem& fs);

    // The component's path with its extension replaced by `extension` (".frx", ...), when that
    // file exists exactly so; else the one regular file of the component's folder whose whole
    // name matches it without regard to case, spelled as on disk. None when there is no such
    // file, when several match, or when the folder cannot be looked in.
    std::optional<std::string> find(const std::string& componentPath, std::string_view extension);

  private:
    std::map<char, std::string> noDrives_;
    PathResolver resolver_;
};

// The same for a single look-up.
std::optional<std::string> findCompanion(os::FileSystem& fs, const std::string& componentPath,
                                         std::string_view extension);

}  // namespace arkstash::ide
