#include "cli/text_out.h"
#include "platform/os/text_codec.h"

#include <cstdint>
#include <cstdio>

namespace arkstash::cli {

namespace {

using os::appendUtf8;

constexpr char32_t kInvalid = 0xFFFFFFFF;

bool continuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Decodes one well-formed UTF-8 sequence at `i` (no overlong forms, no surrogates, nothing past
// U+10FFFF) and advances past it; an ill-formed byte gives kInvalid and advances by one.
char32_t next(std::string_view s, std::size_t& i) {
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char c = at(i);
    if (c < 0x80) {
        ++i;
        return c;
    }
    std::size_t len = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    char32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0F;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else {
        ++i;
        return kInvalid;
    }
    if (i + len > s.size() || at(i + 1) < lo || at(i + 1) > hi) {
        ++i;
        return kInvalid;
    }
    for (std::size_t k = 1; k < len; ++k) {
        if (!continuation(at(i + k))) {
            ++i;
            return kInvalid;
        }
        cp = (cp << 6) | (at(i + k) & 0x3F);
    }
    i += len;
    return cp;
}

bool isControl(char32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp < 0xA0);
}

bool inRanges(char32_t cp, const char32_t (*ranges)[2], std::size_t n) {
    for (std::size_t k = 0; k < n; ++k)
        if (cp >= ranges[k][0] && cp <= ranges[k][1]) return true;
    return false;
}

}  // namespace

std::string ValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = next(text, i);
        appendUtf8(out, cp == kInvalid ? char32_t{0xFFFD} : cp);
    }
    return out;
}

std::string TerminalSafe(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = next(text, i);
        if (cp == kInvalid || isControl(cp))
            out += '?';
        else
            appendUtf8(out, cp);
    }
    return out;
}

std::size_t DisplayWidth(std::string_view text) {
    static const char32_t zero[][2] = {
        {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A},
        {0x064B, 0x065F}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200B, 0x200F},
        {0x20D0, 0x20FF}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F},
    };
    static const char32_t wide[][2] = {
        {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},
        {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},
        {0xFE30, 0xFE4F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F},
        {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
    };
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = next(text, i);
        if (cp == kInvalid)
            width += 1;
        else if (inRanges(cp, zero, sizeof zero / sizeof zero[0]))
            continue;
        else
            width += inRanges(cp, wide, sizeof wide / sizeof wide[0]) ? 2 : 1;
    }
    return width;
}

}  // namespace arkstash::cli
