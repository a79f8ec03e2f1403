// Small text routines the project-file readers share. Files written by the environment end
// their lines with CR LF; files that passed through other tools may use LF alone, a lone CR, or
// no line end at all on the last line. All of them read the same here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace arkstash::ide {

// The lines of `text` without their line ends. A line end at the very end does not start
// another (empty) line; a UTF-8 byte-order mark before the first line is dropped.
std::vector<std::string_view> splitLines(std::string_view text);

// `s` without blanks and tabs at either end.
std::string_view trimBlanks(std::string_view s);

// ASCII letters compared without regard to case.
bool equalsNoCase(std::string_view a, std::string_view b);
bool startsWithNoCase(std::string_view s, std::string_view prefix);

// True when `line` (already trimmed) begins with the keyword `word` standing alone: followed by
// the end of the line or a blank, and not by "=" (which would make it a property named so).
bool startsWithKeyword(std::string_view line, std::string_view word);

// True when every byte is below 0x80: such text reads alike in UTF-8 and every code page.
bool isAscii(std::string_view s);

// A key for comparing file names the way Windows does: ASCII letters and the Latin-1 letters
// (as UTF-8) folded to lower case; everything else kept as it is.
std::string foldName(std::string_view utf8);

// The text between a leading and a trailing double quote. A value that was cut after its
// opening quote (a truncated file) loses that quote only.
std::string unquote(std::string_view value);

// The part of `path` after its last "\" or "/".
std::string_view lastPart(std::string_view path);
// The file title without its extension ("modMain.bas" -> "modMain"); a leading dot is kept.
std::string stemOf(std::string_view path);

}  // namespace arkstash::ide
