#include "platform/ide/companions.h"

namespace arkstash::ide {

CompanionFinder::CompanionFinder(os::FileSystem& fs) : resolver_(fs, noDrives_) {}

std::optional<std::string> CompanionFinder::find(const std::string& componentPath,
                                                 std::string_view extension) {
    auto slash = componentPath.find_last_of('/');
    std::string dir = slash == std::string::npos ? "."
                      : slash == 0               ? "/"
                                                 : componentPath.substr(0, slash);
    std::string title =
        slash == std::string::npos ? componentPath : componentPath.substr(slash + 1);
    auto dot = title.find_last_of('.');
    if (dot != std::string::npos && dot > 0) title.resize(dot);
    if (title.empty()) return std::nullopt;
    std::string wanted = title + std::string(extension);

    std::string exact = joinLocal(dir, wanted);
    if (resolver_.statusOf(exact).type == os::EntryType::File) return exact;
    // Both names are as they are on disk, so they compare as bytes, letters folded.
    std::optional<std::string> found;
    for (const std::string& name : resolver_.sameNameInFolder(dir, wanted, {})) {
        std::string full = joinLocal(dir, name);
        if (resolver_.statusOf(full).type != os::EntryType::File) continue;
        if (found) return std::nullopt;  // which of them would be the one is anyone's guess
        found = std::move(full);
    }
    return found;
}

std::optional<std::string> findCompanion(os::FileSystem& fs, const std::string& componentPath,
                                         std::string_view extension) {
    return CompanionFinder(fs).find(componentPath, extension);
}

}  // namespace arkstash::ide
