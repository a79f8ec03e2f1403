// Small routines every part of the window shares: path pieces, file-row texts, column widths.
// Paths may use either kind of slash; both count as separators.
#pragma once

#include <cstdint>
#include <string>

#include "platform/os/file_system.h"
#include "platform/ui/list_view.h"

namespace arkstash::form {

// Text after the last separator; empty when the path ends with one or holds none.
std::string FileTitle(const std::string& path);
// Text after the last separator; throws PlatformError when the path holds none.
std::string LastPathPart(const std::string& path);
// The path up to and including its last separator; empty for an empty path or one without any.
std::string DirOf(const std::string& path);
// Text up to, not including, the first NUL.
std::string NulTrim(const std::string& text);
// "True" when a file (hidden ones included, folders never) matches `path`, "False" when none
// does, and "" when the look-up itself fails.
std::string FileExists(os::FileSystem& fs, const std::string& path);
// Joins a folder and a name, adding the folder's own separator (or "\" when it has none)
// unless it ends with one already.
std::string JoinPath(const std::string& dir, const std::string& name);

// Size grouped by threes with ","; 0 gives "".
std::string FormatFileSize(std::uint64_t n);
// "dd Mmm yyyy" of a file time taken as it is (no local-time conversion); "" when out of range.
std::string FormatFileDate(os::FileTime fileTime);

// ListView1: columns 0, 2, 3, 4; ListView2: columns 0, 2, 3; any other list: nothing.
void AutoSizeColumns(ui::ListView& list);
// The last column fills the rest of the list's width.
void FitLastColumn(ui::ListView& list);

}  // namespace arkstash::form
