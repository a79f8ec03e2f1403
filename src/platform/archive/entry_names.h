// How files on disk become entry names inside an archive: relative to the deepest folder that
// holds them all, with "/" between the parts, in UTF-8.
#pragma once

#include <string>
#include <vector>

namespace arkstash::archive {

// The path in its plain form ("a/./b/../c" becomes "a/c"), used to recognise a file listed twice.
std::string NormalPath(const std::string& path);

// The deepest folder that holds every one of `paths` (normal absolute paths), ending with "/".
// Empty for an empty list.
std::string CommonFolder(const std::vector<std::string>& paths);

// The entry name of `path` below `folder` (a CommonFolder result): the rest of the path with "/"
// separators. A part that is not valid UTF-8 (a file system that kept a Windows name's bytes)
// is read in `codePage`, the code page the projects' names were written in, so every name can
// be flagged as UTF-8 and comes back under its own name on Windows.
std::string EntryName(const std::string& folder, const std::string& path,
                      const std::string& codePage = "1252");

}  // namespace arkstash::archive
