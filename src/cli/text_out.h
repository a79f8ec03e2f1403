// Text the command line prints: JSON strings, terminal-safe text and its width in columns.
// Paths and names come from project files and may hold anything, including bytes that are not
// UTF-8 and control characters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace arkstash::cli {

// The text as a quoted JSON string. Quotes, backslashes and control characters are escaped;
// bytes that are not well-formed UTF-8 become U+FFFD, so the result is always valid JSON.
std::string JsonString(std::string_view text);

// The text with control characters and bytes that are not well-formed UTF-8 replaced by "?",
// so printing it cannot move the cursor, clear the screen or break a line.
std::string TerminalSafe(std::string_view text);

// Columns a terminal gives the (terminal-safe) text: East Asian wide characters take two,
// combining marks none, everything else one.
std::size_t DisplayWidth(std::string_view text);

}  // namespace arkstash::cli
