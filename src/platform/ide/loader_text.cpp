#include "platform/ide/loader_text.h"

namespace arkstash::ide {

namespace {

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::vector<std::string_view> splitLines(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        char c = text[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.push_back(text.substr(start, i - start));
        i += (c == '\r' && i + 1 < n && text[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < n) lines.push_back(text.substr(start));
    return lines;
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && equalsNoCase(s.substr(0, prefix.size()), prefix);
}

bool startsWithKeyword(std::string_view line, std::string_view word) {
    if (!startsWithNoCase(line, word)) return false;
    std::string_view rest = line.substr(word.size());
    if (rest.empty()) return true;
    if (rest.front() != ' ' && rest.front() != '\t') return false;
    rest = trimBlanks(rest);
    return rest.empty() || rest.front() != '=';
}

bool isAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

std::string foldName(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        auto c = static_cast<unsigned char>(s[i]);
        // U+00C0..U+00DE (but not U+00D7, the multiplication sign) are the capitals of
        // U+00E0..U+00FE; in UTF-8 they differ only in the second byte.
        if (c == 0xC3 && i + 1 < s.size()) {
            auto d = static_cast<unsigned char>(s[i + 1]);
            if (d >= 0x80 && d <= 0x9E && d != 0x97) d = static_cast<unsigned char>(d + 0x20);
            out.push_back(static_cast<char>(c));
            out.push_back(static_cast<char>(d));
            ++i;
            continue;
        }
        out.push_back(lowerAscii(static_cast<char>(c)));
    }
    return out;
}

std::string unquote(std::string_view value) {
    value = trimBlanks(value);
    if (!value.empty() && value.front() == '"') {
        value.remove_prefix(1);
        if (!value.empty() && value.back() == '"') value.remove_suffix(1);
    }
    return std::string(value);
}

std::string_view lastPart(std::string_view path) {
    auto pos = path.find_last_of("\\/");
    return pos == std::string_view::npos ? path : path.substr(pos + 1);
}

std::string stemOf(std::string_view path) {
    std::string_view title = lastPart(path);
    auto dot = title.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0) return std::string(title);
    return std::string(title.substr(0, dot));
}

}  // namespace arkstash::ide
