#include "platform/ide/path_resolver.h"

#include <algorithm>
#include <exception>
#include <functional>

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

// What two names compare by: read in the code page (UTF-8 stays as it is), then folded.
std::string foldedText(std::string_view name, const std::string& codePage) {
    if (codePage.empty()) return foldName(name);
    try {
        return foldName(os::decodeText(name, codePage));
    } catch (const std::exception&) {
        return foldName(name);  // an unknown code page reads nothing differently
    }
}

std::size_t hashOf(const std::string& text) {
    return std::hash<std::string>{}(text);
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

os::EntryStatus PathResolver::statusOf(const std::string& path, std::string* failure) {
    try {
        return fs_.statusOf(path);
    } catch (const std::exception& e) {
        if (failure) *failure = e.what();
        return {};
    }
}

PathResolver::Folder& PathResolver::folder(const std::string& dir) {
    auto it = folders_.find(dir);
    if (it != folders_.end()) return it->second;
    Folder f;
    try {
        f.names = fs_.listFolder(dir);
        std::sort(f.names.begin(), f.names.end());
    } catch (const std::exception&) {
        // A folder that cannot be listed offers no other spellings.
    }
    return folders_.emplace(dir, std::move(f)).first->second;
}

std::vector<std::string> PathResolver::sameNameInFolder(const std::string& dir,
                                                        std::string_view name,
                                                        const std::string& codePage) {
    Folder& f = folder(dir);
    auto [slot, made] = f.folded.try_emplace(codePage);
    auto& index = slot->second;
    if (made) {
        index.reserve(f.names.size());
        for (std::size_t i = 0; i < f.names.size(); ++i)
            index.emplace_back(hashOf(foldedText(f.names[i], codePage)), i);
        std::sort(index.begin(), index.end());
    }
    // Only a hash of each folded name is kept, so the few names under one hash are compared
    // in full.
    std::string want = foldedText(name, codePage);
    std::size_t key = hashOf(want);
    std::vector<std::string> out;
    auto from = std::lower_bound(index.begin(), index.end(), std::make_pair(key, std::size_t{0}));
    for (auto it = from; it != index.end() && it->first == key; ++it)
        if (foldedText(f.names[it->second], codePage) == want) out.push_back(f.names[it->second]);
    return out;
}

std::optional<std::string> PathResolver::findPart(const std::string& dir, std::string_view part,
                                                  os::EntryType want, const std::string& codePage,
                                                  ResolvedPath& result) {
    std::string exact = joinLocal(dir, part);
    std::string failure;
    os::EntryStatus st = statusOf(exact, &failure);
    if (!failure.empty()) {
        result.failure = failure;  // the folder refuses look-ups: nothing more to find there
        return std::nullopt;
    }
    if (st.type == want) {
        result.size = st.size;
        return exact;
    }
    // The name as the bytes of the code page it was written in, for file systems that kept
    // the bytes of a copy from Windows.
    if (!codePage.empty() && !isAscii(part)) {
        if (auto bytes = os::encodeText(part, codePage); bytes && *bytes != part) {
            os::EntryStatus raw = statusOf(joinLocal(dir, *bytes));
            if (raw.type == want) {
                result.size = raw.size;
                return joinLocal(dir, *bytes);
            }
        }
    }
    for (const std::string& name : sameNameInFolder(dir, part, codePage)) {
        if (name == part) continue;
        std::string full = joinLocal(dir, name);
        os::EntryStatus other = statusOf(full);
        if (other.type == want) {
            result.size = other.size;
            return full;
        }
    }
    if (want == os::EntryType::File && st.type == os::EntryType::Folder)
        result.failure = "it is a folder, not a file";
    else if (want == os::EntryType::File && st.type == os::EntryType::Other)
        result.failure = "it is not a regular file (a named pipe, a device or a socket)";
    return std::nullopt;
}

ResolvedPath PathResolver::resolveFile(const std::string& base, std::string_view written) {
    return resolveFile(base, written, codePage_);
}

ResolvedPath PathResolver::resolveFile(const std::string& base, std::string_view written,
                                       const std::string& codePage) {
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
    // Windows refuses these characters in names, and file look-ups take them as wildcards.
    if (lastPart(written).find_first_of("*?") != std::string_view::npos) {
        for (std::string_view part : parts) cur = joinLocal(cur, part);
        return {std::move(cur), false};
    }

    // Most names are spelled as on disk: one look-up settles them.
    std::string lexical = cur;
    for (std::string_view part : parts)
        lexical = part == ".." ? parentOf(lexical) : joinLocal(lexical, part);
    if (os::EntryStatus st = statusOf(lexical); st.type == os::EntryType::File)
        return {std::move(lexical), true, st.size};

    ResolvedPath result;
    for (std::size_t k = 0; k < parts.size(); ++k) {
        std::string_view part = parts[k];
        if (part == "..") {
            cur = parentOf(cur);
            continue;
        }
        bool last = k + 1 == parts.size();
        auto want = last ? os::EntryType::File : os::EntryType::Folder;
        if (auto found = findPart(cur, part, want, codePage, result)) {
            cur = std::move(*found);
            continue;
        }
        // Not on disk: keep the rest as written so the caller can still name it.
        for (std::size_t j = k; j < parts.size(); ++j) cur = joinLocal(cur, parts[j]);
        result.path = std::move(cur);
        result.size = 0;
        return result;
    }
    result.path = std::move(cur);
    result.found = true;
    result.failure.clear();
    return result;
}

}  // namespace arkstash::ide
