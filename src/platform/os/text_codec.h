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

// The bytes read in the code page only (valid UTF-8 is not taken as it is); empty when a byte
// sequence has no character there or the code page is unknown. Telling code pages apart needs a
// reading that can fail.
std::optional<std::string> decodeCodePage(std::string_view bytes, const std::string& codePage);

// True when `codePage` names a code page decodeText can read: a Windows code page number
// ("1252", "936") or a name the system's converter knows ("GBK").
bool isKnownCodePage(const std::string& codePage);

// UTF-8 to UTF-16LE bytes and back, as the Windows formats we read and write keep text
// (registry exports, resource names). Text that is not UTF-8 is taken as Windows-1252 first;
// an unpaired surrogate comes back as U+FFFD and an odd last byte as the character of that code.
std::string utf8ToUtf16le(std::string_view utf8);
std::string utf16leToUtf8(std::string_view bytes);

}  // namespace arkstash::os
