// Text the command line prints: well-formed UTF-8 for JSON, terminal-safe text and its width in
// columns.
// Paths and names come from project files and may hold anything, including bytes that are not
// UTF-8 and control characters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace arkstash::cli {

// The text with every byte that is not part of well-formed UTF-8 replaced by U+FFFD.
std::string ValidUtf8(std::string_view text);

// The text with control characters and bytes that are not well-formed UTF-8 replaced by "?",
// so printing it cannot move the cursor, clear the screen or break a line.
std::string TerminalSafe(std::string_view text);

// Columns a terminal gives the (terminal-safe) text: East Asian wide characters take two,
// combining marks none, everything else one.
std::size_t DisplayWidth(std::string_view text);

}  // namespace arkstash::cli
