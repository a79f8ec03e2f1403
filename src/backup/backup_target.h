// Where a backup goes: the archive's name derived from the project file, the characters a name
// may not hold, and the compression levels the user chooses from.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os/clock.h"

namespace arkstash::backup {

// The project file's name with ".zip" in place of its last four characters (its ".vbp"),
// with "_MM-DD-YYYY_HHMMSS" of `dated` before ".zip" when given. A project never saved is
// named as "c:\project1.vbp" would be.
std::string archiveNameFor(const std::string& projectFile,
                           const std::optional<os::DateTime>& dated);

// Backslash, slash, colon, asterisk, question mark, double quote, less-than, greater-than and
// vertical bar may not be part of an archive name.
bool isForbiddenInName(char c);
bool hasForbiddenCharacter(std::string_view name);
extern const char* const kForbiddenCharactersMessage;

struct CompressionChoice {
    const char* text;  // as the list shows it and the settings keep it
    int level;         // 0 stored, 1 to 9 deflate
};
// "No Compression" 0, "Low" 1, "Normal" 6, "Maximum" 9.
const std::vector<CompressionChoice>& compressionChoices();
// The level of a list text, compared exactly; none for any other text.
std::optional<int> compressionLevelOf(std::string_view text);

}  // namespace arkstash::backup
