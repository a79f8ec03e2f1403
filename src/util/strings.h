// Small text helpers shared by every layer. Text is UTF-8 inside the program.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace arkstash::util {

bool startsWith(std::string_view text, std::string_view prefix);
bool endsWith(std::string_view text, std::string_view suffix);
// Blanks and tabs off both ends.
std::string trim(std::string_view text);
// ASCII letters only; other bytes (UTF-8 sequences among them) are left as they are.
std::string toUpperAscii(std::string_view text);
std::string toLowerAscii(std::string_view text);
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);
// The text up to, not including, its first NUL character.
std::string untilNul(std::string_view text);
// The text less its last `count` characters (code points, so a name in any script stays
// whole); none when it is shorter than that.
std::optional<std::string> withoutLastCharacters(std::string_view text, std::size_t count);
// The last `count` bytes of the text (all of it when it is shorter).
std::string_view lastBytes(std::string_view text, std::size_t count);
// Lines ended by CR LF, a lone CR or a lone LF; a line end at the very end starts no line.
std::vector<std::string_view> splitLines(std::string_view text);

}  // namespace arkstash::util
