#include "backup/backup_target.h"

#include <cstdio>

#include "util/paths.h"
#include "util/strings.h"

namespace arkstash::backup {

const char* const kForbiddenCharactersMessage =
    "Characters \\/:*?"
    "\""
    "<>| are not allowed in filename";

namespace {
constexpr const char* kUnsavedProject = "c:\\project1.vbp";
constexpr std::string_view kForbiddenCharacters = "\\/:*?\"<>|";
}  // namespace

std::string archiveNameFor(const std::string& projectFile,
                           const std::optional<os::DateTime>& dated) {
    std::string file = projectFile.empty() ? kUnsavedProject : projectFile;
    // The project file's extension goes; a path too short to have one keeps what it has.
    std::string name = util::withoutLastCharacters(file, 4).value_or(file);
    if (dated) {
        char suffix[40];
        std::snprintf(suffix, sizeof suffix, "_%02d-%02d-%04d_%02d%02d%02d", dated->month,
                      dated->day, dated->year, dated->hour, dated->minute, dated->second);
        name += suffix;
    }
    name += ".zip";
    return util::LastPathPart(name).value_or(name);
}

bool isForbiddenInName(char c) {
    return kForbiddenCharacters.find(c) != std::string_view::npos;
}

bool hasForbiddenCharacter(std::string_view name) {
    return name.find_first_of(kForbiddenCharacters) != std::string_view::npos;
}

const std::vector<CompressionChoice>& compressionChoices() {
    static const std::vector<CompressionChoice> choices = {
        {"No Compression", 0}, {"Low", 1}, {"Normal", 6}, {"Maximum", 9}};
    return choices;
}

std::optional<int> compressionLevelOf(std::string_view text) {
    for (const auto& choice : compressionChoices())
        if (text == choice.text) return choice.level;
    return std::nullopt;
}

}  // namespace arkstash::backup
