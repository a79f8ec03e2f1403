#include "util/paths.h"

namespace arkstash::util {

namespace {
// A path of this machine ("/home/me/a\\b.vbp") separates with "/" alone: a backslash there is
// part of a name. Paths as the environment writes them take either.
std::size_t lastSeparator(const std::string& path) {
    if (!path.empty() && path.front() == '/') return path.rfind('/');
    for (std::size_t i = path.size(); i > 0; --i)
        if (isPathSeparator(path[i - 1])) return i - 1;
    return std::string::npos;
}
}  // namespace

bool isPathSeparator(char c) {
    return c == '\\' || c == '/';
}

std::string FileTitle(const std::string& path) {
    return LastPathPart(path).value_or(std::string());
}

std::optional<std::string> LastPathPart(const std::string& path) {
    std::size_t pos = lastSeparator(path);
    if (pos == std::string::npos) return std::nullopt;
    return path.substr(pos + 1);
}

std::string DirOf(const std::string& path) {
    std::size_t pos = lastSeparator(path);
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty() || isPathSeparator(dir.back())) return dir + name;
    std::size_t pos = lastSeparator(dir);
    char separator = pos == std::string::npos ? '\\' : dir[pos];
    return dir + separator + name;
}

}  // namespace arkstash::util
