#include "platform/ide/path_resolver.h"

#include <exception>

#include "platform/ide/loader_text.h"
#include "platform/os/text_codec.h"

namespace arkstash::ide {

namespace {

bool isDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char upperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::vector<std::string_view> splitParts(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\' || path[i] == '/') {
            std::string_view part = path.substr(start, i - start);
            if (!part.empty() && part != ".") parts.push_back(part);
            start = i + 1;
        }
    }
    return parts;
}

std::string parentOf(const std::string& dir) {
    auto pos = dir.find_last_of('/');
    if (pos == std::string::npos || pos == 0) return "/";
    return dir.substr(0, pos);
}

}  // namespace

std::string joinLocal(const std::string& dir, std::string_view name) {
    if (dir.empty()) return std::string(name);
    if (dir.back() == '/') return dir + std::string(name);
    return dir + "/" + std::string(name);
}

PathResolver::PathResolver(os::FileSystem& fs, const std::map<char, std::string>& driveMappings,
                           std::string codePage)
    : fs_(fs), drives_(driveMappings), codePage_(std::move(codePage)) {}

bool PathResolver::isFile(const std::string& path) {
    // Windows refuses these characters in names, and the look-up would take them as wildcards.
    if (lastPart(path).find_first_of("*?") != std::string_view::npos) return false;
    try {
        return fs_.findFirst(path, true).has_value();
    } catch (const std::exception&) {
        return false;  // a name the file system refuses (too long, ...) names no file
    }
}

const std::vector<PathResolver::Entry>& PathResolver::entries(const std::string& dir) {
    auto it = listed_.find(dir);
    if (it != listed_.end()) return it->second;
    std::vector<Entry> list;
    try {
        for (std::string& name : fs_.listFolder(dir)) {
            std::string decoded;
            try {
                decoded = os::decodeText(name, codePage_);
            } catch (const std::exception&) {
                decoded = name;
            }
            list.push_back({foldName(decoded), std::move(name)});
        }
    } catch (const std::exception&) {
        // An unreadable folder offers no other spellings.
    }
    return listed_.emplace(dir, std::move(list)).first->second;
}

std::optional<std::string> PathResolver::match(const std::string& dir, std::string_view part,
                                               bool folder) {
    std::string want = foldName(part);
    for (const Entry& e : entries(dir)) {
        if (e.folded != want) continue;
        std::string full = joinLocal(dir, e.name);
        if (folder ? fs_.folderExists(full) : isFile(full)) return full;
    }
    return std::nullopt;
}

ResolvedPath PathResolver::resolveFile(const std::string& base, std::string_view written) {
    written = trimBlanks(written);
    if (written.empty()) return {};
    std::string cur;
    std::string_view rest = written;
    if (written.size() >= 2 && isDriveLetter(written[0]) && written[1] == ':') {
        char drive = upperAscii(written[0]);
        auto it = drives_.find(drive);
        if (it == drives_.end()) it = drives_.find(static_cast<char>(drive - 'A' + 'a'));
        if (it == drives_.end() || it->second.empty()) return {std::string(written), false};
        cur = it->second;
        rest = written.substr(2);
    } else if (written.front() == '\\') {
        // A share (\\server\...) or the root of whichever drive the project sat on: neither
        // stands for a folder of this machine.
        return {std::string(written), false};
    } else if (written.front() == '/') {
        cur = "/";
    } else {
        cur = base;
    }
    while (cur.size() > 1 && cur.back() == '/') cur.pop_back();

    std::vector<std::string_view> parts = splitParts(rest);
    if (parts.empty()) return {std::string(written), false};
    for (std::size_t k = 0; k < parts.size(); ++k) {
        std::string_view part = parts[k];
        if (part == "..") {
            cur = parentOf(cur);
            continue;
        }
        bool last = k + 1 == parts.size();
        std::string exact = joinLocal(cur, part);
        if (last ? isFile(exact) : fs_.folderExists(exact)) {
            cur = std::move(exact);
            continue;
        }
        if (auto other = match(cur, part, !last)) {
            cur = std::move(*other);
            continue;
        }
        // Not on disk: keep the rest as written so the caller can still name it.
        std::string missing = cur;
        for (std::size_t j = k; j < parts.size(); ++j) missing = joinLocal(missing, parts[j]);
        return {missing, false};
    }
    return {cur, true};
}

}  // namespace arkstash::ide
