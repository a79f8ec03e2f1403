#include "platform/os/text_codec.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

#include "platform/error.h"

namespace arkstash::os {

namespace {

std::string iconvName(const std::string& codePage) {
    for (char c : codePage)
        if (c < '0' || c > '9') return codePage;  // already a name such as "GBK"
    return "CP" + codePage;
}

class Converter {
  public:
    Converter(const std::string& to, const std::string& from)
        : cd_(iconv_open(to.c_str(), from.c_str())) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts all of `in`; on a sequence it cannot convert calls `onBad`, which may append a
    // replacement and answers how many input bytes to skip (0 to give up).
    template <typename OnBad>
    bool convert(std::string_view in, std::string& out, OnBad onBad) {
        char* src = const_cast<char*>(in.data());
        std::size_t left = in.size();
        char buf[4096];
        while (left > 0) {
            char* dst = buf;
            std::size_t room = sizeof buf;
            std::size_t r = iconv(cd_, &src, &left, &dst, &room);
            out.append(buf, static_cast<std::size_t>(dst - buf));
            if (r != static_cast<std::size_t>(-1)) continue;
            if (errno == E2BIG) continue;
            std::size_t skip = onBad(out, left);
            if (skip == 0 || skip > left) return false;
            src += skip;
            left -= skip;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        char* dst = buf;
        std::size_t room = sizeof buf;
        iconv(cd_, nullptr, nullptr, &dst, &room);
        out.append(buf, static_cast<std::size_t>(dst - buf));
        return true;
    }

  private:
    iconv_t cd_;
};

}  // namespace

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool isValidUtf8(std::string_view s) {
    std::size_t i = 0, n = s.size();
    while (i < n) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len;
        std::uint32_t cp;
        if ((c & 0xE0) == 0xC0) {
            len = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > n) return false;
        for (std::size_t k = 1; k < len; ++k) {
            auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) ||
            (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            return false;
        i += len;
    }
    return true;
}

std::string decodeText(std::string_view bytes, const std::string& codePage) {
    if (isValidUtf8(bytes)) return std::string(bytes);
    Converter conv("UTF-8", iconvName(codePage));
    if (!conv.ok()) throw PlatformError("Unknown code page " + codePage);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    conv.convert(bytes, out, [](std::string& o, std::size_t) {
        o += "\xEF\xBF\xBD";
        return std::size_t{1};
    });
    return out;
}

std::optional<std::string> decodeCodePage(std::string_view bytes, const std::string& codePage) {
    Converter conv("UTF-8", iconvName(codePage));
    if (!conv.ok()) return std::nullopt;
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    if (!conv.convert(bytes, out, [](std::string&, std::size_t) { return std::size_t{0}; }))
        return std::nullopt;
    return out;
}

bool isKnownCodePage(const std::string& codePage) {
    if (codePage.empty()) return false;
    return Converter("UTF-8", iconvName(codePage)).ok();
}

std::string utf8ToUtf16le(std::string_view text) {
    std::string utf8 = isValidUtf8(text) ? std::string(text) : decodeText(text, "1252");
    std::string out;
    out.reserve(utf8.size() * 2);
    auto appendUnit = [&out](std::uint32_t unit) {
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>((unit >> 8) & 0xFF);
    };
    std::size_t i = 0;
    while (i < utf8.size()) {
        auto c = static_cast<unsigned char>(utf8[i]);
        std::size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 4;
        std::uint32_t cp = len == 1   ? c
                           : len == 2 ? (c & 0x1F)
                           : len == 3 ? (c & 0x0F)
                                      : (c & 0x07);
        for (std::size_t k = 1; k < len; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            appendUnit(0xD800 + (cp >> 10));
            appendUnit(0xDC00 + (cp & 0x3FF));
        } else {
            appendUnit(cp);
        }
    }
    return out;
}

std::string utf16leToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() / 2);
    std::size_t i = 0;
    auto unitAt = [&](std::size_t p) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[p])) |
               (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[p + 1])) << 8);
    };
    while (i + 1 < bytes.size()) {
        std::uint32_t u = unitAt(i);
        i += 2;
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < bytes.size()) {
            std::uint32_t low = unitAt(i);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                i += 2;
                appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;
        appendUtf8(out, u);
    }
    if (i < bytes.size()) appendUtf8(out, static_cast<unsigned char>(bytes[i]));
    return out;
}

std::optional<std::string> encodeText(std::string_view utf8, const std::string& codePage) {
    Converter conv(iconvName(codePage), "UTF-8");
    if (!conv.ok()) return std::nullopt;
    std::string out;
    if (!conv.convert(utf8, out, [](std::string&, std::size_t) { return std::size_t{0}; }))
        return std::nullopt;
    return out;
}

}  // namespace arkstash::os
