// Path pieces as the environment writes paths: either kind of slash separates folders, except in
// a path of this machine (one starting with "/"), where a backslash belongs to a name.
#pragma once

#include <optional>
#include <string>

namespace arkstash::util {

bool isPathSeparator(char c);
// Text after the last separator; empty when the path ends with one or holds none.
std::string FileTitle(const std::string& path);
// Text after the last separator; none when the path holds no separator at all.
std::optional<std::string> LastPathPart(const std::string& path);
// The path up to and including its last separator; empty for a path without any.
std::string DirOf(const std::string& path);
// Joins a folder and a name, adding the separator the folder already uses (or "\" when it
// has none) unless it ends with one.
std::string JoinPath(const std::string& dir, const std::string& name);

}  // namespace arkstash::util
