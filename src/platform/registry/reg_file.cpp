#include "platform/registry/reg_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <tuple>
#include <vector>

#include "platform/error.h"
#include "platform/os/text_codec.h"
#include "platform/registry/memory_registry.h"

namespace arkstash::registry {

namespace {

using os::appendUtf8;
using os::utf16leToUtf8;
using os::utf8ToUtf16le;

constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";

// ---- text encodings -------------------------------------------------------------------------

// Text in memory is UTF-8; whatever is not (set through the API by someone else) is taken as
// Windows-1252 rather than refused, so a hive can always be written.
std::string asUtf8(std::string_view s) {
    if (os::isValidUtf8(s)) return std::string(s);
    try {
        return os::decodeText(s, "1252");
    } catch (const std::exception&) {
        std::string out;
        for (char c : s) appendUtf8(out, static_cast<unsigned char>(c));
        return out;
    }
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trimLeft(std::string_view s) {
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
    return s;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char a = s[i], b = prefix[i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool isTextKind(int kind) {
    return kind == REG_SZ || kind == REG_EXPAND_SZ || kind == REG_MULTI_SZ;
}

// ---- parsing ----------------------------------------------------------------------------------

struct ParseError {
    std::string message;
};

// Turns the file's bytes into UTF-8 text.
std::string decodeFile(std::string_view bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        bytes.remove_prefix(2);
        if (bytes.size() % 2 != 0) throw ParseError{"UTF-16 text with an odd number of bytes"};
        for (std::size_t i = 0; i < bytes.size(); i += 2)
            if (bytes[i] == 0 && bytes[i + 1] == 0) throw ParseError{"NUL character in the text"};
        return utf16leToUtf8(bytes);
    }
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE &&
        static_cast<unsigned char>(bytes[1]) == 0xFF)
        throw ParseError{"big-endian UTF-16 is not a regedit encoding"};
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    if (bytes.find('\0') != std::string_view::npos) throw ParseError{"binary data"};
    return asUtf8(bytes);
}

// Reads a quoted string starting at s[pos] == '"'; answers its text and moves pos past the
// closing quote. Line breaks may be written escaped, as some regedit builds do for names.
std::string readQuoted(std::string_view s, std::size_t& pos) {
    std::string out;
    ++pos;
    while (pos < s.size()) {
        char c = s[pos++];
        if (c == '"') return out;
        if (c == '\\' && pos < s.size()) {
            char e = s[pos++];
            switch (e) {
                case '\\':
                    out += '\\';
                    break;
                case '"':
                    out += '"';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                default:  // not an escape regedit knows: kept as written
                    out += '\\';
                    out += e;
            }
            continue;
        }
        out += c;
    }
    throw ParseError{"unterminated quoted text"};
}

// Only blanks or a comment may follow a value's data.
void expectEnd(std::string_view rest) {
    rest = trimLeft(rest);
    if (!rest.empty() && rest.front() != ';') throw ParseError{"unexpected text after the value"};
}

std::string parseHexBytes(std::string_view list) {
    std::string out;
    list = trimLeft(list);
    if (!list.empty() && list.front() == ';') return out;
    bool first = true;
    while (true) {
        list = trimLeft(list);
        if (list.empty() || list.front() == ';') {
            if (!first) throw ParseError{"hex data ends with a comma"};
            return out;
        }
        if (list.size() < 2 || hexDigit(list[0]) < 0 || hexDigit(list[1]) < 0)
            throw ParseError{"hex data is not pairs of hexadecimal digits"};
        out += static_cast<char>(hexDigit(list[0]) * 16 + hexDigit(list[1]));
        list.remove_prefix(2);
        list = trimLeft(list);
        if (list.empty() || list.front() == ';') return out;
        if (list.front() != ',') throw ParseError{"hex data is not separated by commas"};
        list.remove_prefix(1);
        first = false;
    }
}

class Parser {
  public:
    explicit Parser(std::string text) : text_(std::move(text)) { split(); }

    HiveKeys run() {
        std::size_t i = 0;
        while (i < lines_.size() && trimRight(lines_[i]).empty()) ++i;
        if (i == lines_.size()) throw ParseError{"empty file"};
        std::string_view header = trimRight(lines_[i]);
        if (header != kHeader5 && header != kHeader4)
            throw ParseError{"not a registry file (wrong header)"};
        for (++i; i < lines_.size(); ++i) {
            line_ = i;
            parseLine(i);
        }
        return std::move(keys_);
    }

    std::size_t line() const { return line_ + 1; }

  private:
    void split() {
        std::size_t start = 0;
        std::string_view all = text_;
        while (start <= all.size()) {
            std::size_t nl = all.find('\n', start);
            if (nl == std::string_view::npos) {
                if (start < all.size()) {
                    lines_.push_back(all.substr(start));
                    lastUnterminated_ = true;
                }
                break;
            }
            std::string_view l = all.substr(start, nl - start);
            if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
            lines_.push_back(l);
            start = nl + 1;
        }
    }

    // The line at `i` is the last one and was cut off before its line break.
    bool cutOff(std::size_t i) const { return lastUnterminated_ && i + 1 == lines_.size(); }

    void parseLine(std::size_t& i) {
        std::string_view l = trimLeft(lines_[i]);
        if (l.empty() || l.front() == ';') return;
        if (l.front() == '[') return parseSection(trimRight(l));
        if (l.front() == '@' || l.front() == '"') return parseValue(i, l);
        throw ParseError{"unexpected line"};
    }

    void parseSection(std::string_view l) {
        if (l.size() < 2 || l.back() != ']') throw ParseError{"unterminated key name"};
        std::string_view inner = l.substr(1, l.size() - 2);
        bool remove = !inner.empty() && inner.front() == '-';
        if (remove) inner.remove_prefix(1);
        std::string_view rootPart = inner.substr(0, inner.find('\\'));
        std::string root = canonicalRootName(rootPart);
        if (root.empty()) throw ParseError{"unknown root key"};
        std::string rest =
            normalizeKeyPath(std::string(inner.substr(std::min(rootPart.size(), inner.size()))));
        std::string full = rest.empty() ? root : root + "\\" + rest;
        if (remove) {
            std::string folded = foldCase(full);
            for (auto it = keys_.begin(); it != keys_.end();) {
                bool under =
                    it->first == folded || (it->first.size() > folded.size() &&
                                            it->first.compare(0, folded.size(), folded) == 0 &&
                                            it->first[folded.size()] == '\\');
                it = under ? keys_.erase(it) : std::next(it);
            }
            current_ = nullptr;
            skipping_ = true;  // values under a removed key are ignored, as regedit does
            return;
        }
        current_ = &ensureKey(keys_, full);
        skipping_ = false;
    }

    void parseValue(std::size_t& i, std::string_view l) {
        std::size_t pos = 0;
        std::string name;
        if (l.front() == '@') {
            pos = 1;
        } else {
            name = readQuoted(l, pos);
        }
        std::string_view rest = trimLeft(l.substr(pos));
        if (rest.empty() || rest.front() != '=') throw ParseError{"value without '='"};
        rest = trimLeft(rest.substr(1));

        std::optional<Value> value;  // empty: the value is removed
        if (!rest.empty() && rest.front() == '"') {
            std::size_t p = 0;
            std::string text = readQuoted(rest, p);
            expectEnd(rest.substr(p));
            value = Value::text(text);
        } else if (!rest.empty() && rest.front() == '-') {
            expectEnd(rest.substr(1));
        } else if (startsWithNoCase(rest, "dword:")) {
            rest.remove_prefix(6);
            std::uint32_t v = 0;
            std::size_t n = 0;
            while (n < rest.size() && hexDigit(rest[n]) >= 0) {
                if (n == 8) throw ParseError{"dword value has more than eight digits"};
                v = v * 16 + static_cast<std::uint32_t>(hexDigit(rest[n]));
                ++n;
            }
            if (n == 0) throw ParseError{"dword value without digits"};
            expectEnd(rest.substr(n));
            value = Value::dword(v);
        } else if (startsWithNoCase(rest, "hex")) {
            rest.remove_prefix(3);
            int kind = REG_BINARY;
            if (!rest.empty() && rest.front() == '(') {
                std::size_t close = rest.find(')');
                if (close == std::string_view::npos || close == 1 || close > 9)
                    throw ParseError{"bad value kind in hex(...)"};
                std::uint32_t k = 0;
                for (std::size_t j = 1; j < close; ++j) {
                    if (hexDigit(rest[j]) < 0) throw ParseError{"bad value kind in hex(...)"};
                    k = k * 16 + static_cast<std::uint32_t>(hexDigit(rest[j]));
                }
                kind = static_cast<int>(k);
                rest.remove_prefix(close + 1);
            }
            if (rest.empty() || rest.front() != ':') throw ParseError{"hex value without ':'"};
            rest.remove_prefix(1);
            // Long data goes on over lines that end with a backslash.
            std::string list;
            std::string_view part = trimRight(rest);
            while (!part.empty() && part.back() == '\\') {
                list.append(part.substr(0, part.size() - 1));
                if (i + 1 >= lines_.size()) throw ParseError{"hex data cut off"};
                ++i;
                line_ = i;
                part = trimRight(trimLeft(lines_[i]));
            }
            list.append(part);
            std::string bytes = parseHexBytes(list);
            if (isTextKind(kind)) bytes = utf16leToUtf8(bytes);
            value = Value{kind, bytes};
        } else {
            throw ParseError{"unknown value type"};
        }
        // A value line without its line break at the very end of the file is what a write cut
        // short leaves behind; it cannot be told from a whole one, so it is not trusted.
        if (cutOff(i)) throw ParseError{"file ends inside a value"};

        if (skipping_) return;
        if (!current_) throw ParseError{"value outside a key"};
        std::string folded = foldCase(name);
        if (!value) {
            current_->values.erase(folded);
            return;
        }
        auto it = current_->values.find(folded);
        if (it == current_->values.end())
            current_->values.emplace(folded, NamedValue{name, *value});
        else
            it->second.value = *value;  // the name keeps the spelling it was created with
    }

    std::string text_;
    std::vector<std::string_view> lines_;
    bool lastUnterminated_ = false;
    std::size_t line_ = 0;
    HiveKeys keys_;
    HiveKey* current_ = nullptr;
    bool skipping_ = false;
};

// ---- writing ----------------------------------------------------------------------------------

std::string escapeQuoted(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    out += '"';
    return out;
}

// A text value can be written in quotes when it is exactly one string followed by its NUL and
// holds no line break (regedit would not read a quoted line break back).
bool quotable(const Value& v) {
    if (v.kind != REG_SZ || v.data.empty() || v.data.back() != '\0') return false;
    std::string_view body(v.data.data(), v.data.size() - 1);
    return body.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos &&
           os::isValidUtf8(body);
}

void appendHex(std::string& out, std::size_t column, std::string_view bytes) {
    static const char* digits = "0123456789abcdef";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        auto b = static_cast<unsigned char>(bytes[i]);
        out += digits[b >> 4];
        out += digits[b & 0xF];
        column += 2;
        if (i + 1 == bytes.size()) break;
        out += ',';
        ++column;
        // Lines stay within 80 columns, continued with a backslash as regedit does.
        if (column >= 77) {
            out += "\\\r\n  ";
            column = 2;
        }
    }
}

std::string formatValue(const NamedValue& nv) {
    std::string line = nv.name.empty() ? std::string("@") : escapeQuoted(asUtf8(nv.name));
    line += '=';
    const Value& v = nv.value;
    if (quotable(v)) {
        line += escapeQuoted(std::string_view(v.data.data(), v.data.size() - 1));
    } else if (v.kind == REG_DWORD && v.data.size() == 4) {
        std::uint32_t n = 0;
        for (int b = 3; b >= 0; --b)
            n = (n << 8) | static_cast<unsigned char>(v.data[static_cast<std::size_t>(b)]);
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", n);
        line += buf;
    } else {
        if (v.kind == REG_BINARY) {
            line += "hex:";
        } else {
            char buf[24];
            std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(v.kind));
            line += buf;
        }
        std::string bytes = isTextKind(v.kind) ? utf8ToUtf16le(v.data) : v.data;
        appendHex(line, line.size(), bytes);
    }
    return line;
}

// Parents come before their children, and siblings in name order: levels are compared one
// by one, so all of a key's descendants follow it directly.
std::vector<std::string_view> levels(std::string_view folded) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    while (true) {
        std::size_t end = folded.find('\\', start);
        out.push_back(folded.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) return out;
        start = end + 1;
    }
}

bool isBelow(std::string_view child, std::string_view parent) {
    return child.size() > parent.size() && child.compare(0, parent.size(), parent) == 0 &&
           child[parent.size()] == '\\';
}

}  // namespace

// ---- public -----------------------------------------------------------------------------------

namespace {
// The long name of a root, or null.
const char* rootLongName(std::string_view name) {
    struct Alias {
        const char* longName;
        const char* shortName;
    };
    static const Alias roots[] = {{"HKEY_CLASSES_ROOT", "HKCR"},
                                  {"HKEY_CURRENT_USER", "HKCU"},
                                  {"HKEY_LOCAL_MACHINE", "HKLM"},
                                  {"HKEY_USERS", "HKU"},
                                  {"HKEY_CURRENT_CONFIG", "HKCC"}};
    std::string folded = foldCase(std::string(name));
    for (const Alias& a : roots)
        if (folded == foldCase(a.longName) || folded == foldCase(a.shortName)) return a.longName;
    return nullptr;
}
}  // namespace

std::string canonicalRootName(std::string_view name) {
    const char* root = rootLongName(name);
    return root ? root : "";
}

HiveKey& ensureKey(HiveKeys& keys, const std::string& fullPath) {
    std::string path = normalizeKeyPath(fullPath);
    if (path.find_first_of("\r\n") != std::string::npos)
        throw PlatformError("A key name cannot hold a line break");
    std::size_t sep = path.find('\\');
    const char* root = rootLongName(std::string_view(path).substr(0, sep));
    if (!root) throw PlatformError("Unknown registry root in '" + path + "'");
    // The root is the first parent of every key.
    auto it = keys.try_emplace(foldCase(root)).first;
    it->second.path = root;
    if (sep == std::string::npos) return it->second;
    // Each level takes its spelling from its parent, so a key's path always agrees with the
    // keys above it whatever case later callers use.
    std::string spelled = root;
    for (std::size_t start = sep + 1; start <= path.size();) {
        std::size_t end = std::min(path.find('\\', start), path.size());
        std::string candidate = spelled + "\\" + path.substr(start, end - start);
        bool added = false;
        std::tie(it, added) = keys.try_emplace(foldCase(candidate));
        if (added) it->second.path = candidate;
        spelled = it->second.path;
        start = end + 1;
    }
    return it->second;
}

RegParseResult parseRegFile(std::string_view bytes) {
    RegParseResult result;
    std::string text;
    try {
        text = decodeFile(bytes);
    } catch (const ParseError& e) {
        result.error = e.message;
        return result;
    }
    Parser parser(std::move(text));
    try {
        result.keys = parser.run();
        result.ok = true;
    } catch (const ParseError& e) {
        result.error = "line " + std::to_string(parser.line()) + ": " + e.message;
    } catch (const PlatformError& e) {
        result.error = "line " + std::to_string(parser.line()) + ": " + e.what();
    }
    return result;
}

std::string formatRegText(const HiveKeys& keys) {
    std::vector<std::pair<std::vector<std::string_view>, const HiveKey*>> order;
    for (const auto& [folded, key] : keys) order.emplace_back(levels(folded), &key);
    std::sort(order.begin(), order.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });

    std::string out(kHeader5);
    out += "\r\n\r\n";
    for (std::size_t i = 0; i < order.size(); ++i) {
        const HiveKey& key = *order[i].second;
        // A key without values that has children needs no section: its children bring it back.
        bool hasChild = i + 1 < order.size() &&
                        isBelow(foldCase(order[i + 1].second->path), foldCase(key.path));
        if (key.values.empty() && hasChild) continue;
        out += '[';
        out += asUtf8(key.path);
        out += "]\r\n";
        for (const auto& [folded, nv] : key.values) {
            out += formatValue(nv);
            out += "\r\n";
        }
        out += "\r\n";
    }
    return out;
}

std::string encodeRegFile(const HiveKeys& keys) {
    return "\xFF\xFE" + utf8ToUtf16le(formatRegText(keys));
}

}  // namespace arkstash::registry
