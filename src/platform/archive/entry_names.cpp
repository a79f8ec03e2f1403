#include "platform/archive/entry_names.h"

#include <algorithm>
#include <filesystem>
#include <string_view>

#include "platform/os/text_codec.h"

namespace arkstash::archive {

namespace fs = std::filesystem;

std::string NormalPath(const std::string& path) {
    return fs::path(path).lexically_normal().generic_string();
}

std::string CommonFolder(const std::vector<std::string>& paths) {
    if (paths.empty()) return {};
    fs::path common = fs::path(paths.front()).parent_path();
    for (std::size_t i = 1; i < paths.size(); ++i) {
        fs::path dir = fs::path(paths[i]).parent_path();
        fs::path shared;
        auto a = common.begin();
        auto b = dir.begin();
        for (; a != common.end() && b != dir.end() && *a == *b; ++a, ++b) shared /= *a;
        common = shared;
    }
    std::string folder = common.generic_string();
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::string EntryName(const std::string& folder, const std::string& path,
                      const std::string& codePage) {
    std::string rest = fs::path(path).generic_string();
    if (rest.compare(0, folder.size(), folder) == 0) rest.erase(0, folder.size());
    while (!rest.empty() && rest.front() == '/') rest.erase(0, 1);
    std::string name;
    for (std::size_t start = 0; start <= rest.size();) {
        std::size_t end = std::min(rest.find('/', start), rest.size());
        std::string_view part(rest.data() + start, end - start);
        name += os::isValidUtf8(part) ? std::string(part) : os::decodeText(part, codePage);
        if (end < rest.size()) name += '/';
        start = end + 1;
    }
    return name;
}

}  // namespace arkstash::archive
