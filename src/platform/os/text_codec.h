// Text at the boundary: files from the Windows world arrive in UTF-8 or in a Windows code page.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace arkstash::os {

bool isValidUtf8(std::string_view bytes);

// Appends one code point (at most U+10FFFF) as UTF-8.
void appendUtf8(std::string& out, char32_t codePoint);

// Valid UTF-8 as it is; anything else decoded from the Windows code page ("1252", "936", ...),
// with bytes the code page does not define turned into U+FFFD. Throws PlatformError when the
// code page is unknown.
std::string decodeText(std::string_view bytes, const std::string& codePage = "1252");

// UTF-8 text in the code page; empty when a character does not fit (or the code page is unknown).
std::optional<std::string> encodeText(std::string_view utf8, const std::string& codePage = "1252");

}  // namespace arkstash::os
