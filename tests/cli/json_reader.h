// A strict JSON reader for tests of what the command line prints: anything that is not valid
// JSON (RFC 8259), including raw control characters or ill-formed UTF-8 in strings, throws.
#pragma once

#include "platform/os/text_codec.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace arkstash::test {

struct Json {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::vector<std::pair<std::string, Json>> members;

    bool isNull() const { return kind == Kind::Null; }
    const Json& operator[](std::size_t i) const {
        if (kind != Kind::Array || i >= items.size()) throw std::out_of_range("no item");
        return items[i];
    }
    const Json& operator[](const std::string& name) const {
        if (kind != Kind::Object) throw std::out_of_range("not an object");
        for (const auto& [k, v] : members)
            if (k == name) return v;
        throw std::out_of_range("no member " + name);
    }
    std::vector<std::string> keys() const {
        std::vector<std::string> out;
        for (const auto& m : members) out.push_back(m.first);
        return out;
    }
};

class JsonReader {
  public:
    static Json parse(std::string_view s) {
        JsonReader r(s);
        r.space();
        Json v = r.value(0);
        r.space();
        if (r.i_ != s.size()) r.fail("text after the value");
        return v;
    }

  private:
    explicit JsonReader(std::string_view s) : s_(s) {}
    std::string_view s_;
    std::size_t i_ = 0;

    [[noreturn]] void fail(const std::string& why) const {
        throw std::runtime_error("invalid JSON at " + std::to_string(i_) + ": " + why);
    }
    char peek() const { return i_ < s_.size() ? s_[i_] : '\0'; }
    void expect(char c) {
        if (peek() != c) fail(std::string("expected ") + c);
        ++i_;
    }
    void space() {
        while (i_ < s_.size() &&
               (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t'))
            ++i_;
    }
    void word(const char* w) {
        for (; *w; ++w) expect(*w);
    }

    Json value(int depth) {
        if (depth > 64) fail("too deep");
        Json v;
        char c = peek();
        if (c == '{') {
            v.kind = Json::Kind::Object;
            ++i_;
            space();
            if (peek() == '}') {
                ++i_;
                return v;
            }
            for (;;) {
                space();
                std::string k = string();
                space();
                expect(':');
                space();
                v.members.emplace_back(std::move(k), value(depth + 1));
                space();
                if (peek() == ',') {
                    ++i_;
                    continue;
                }
                expect('}');
                return v;
            }
        }
        if (c == '[') {
            v.kind = Json::Kind::Array;
            ++i_;
            space();
            if (peek() == ']') {
                ++i_;
                return v;
            }
            for (;;) {
                space();
                v.items.push_back(value(depth + 1));
                space();
                if (peek() == ',') {
                    ++i_;
                    continue;
                }
                expect(']');
                return v;
            }
        }
        if (c == '"') {
            v.kind = Json::Kind::String;
            v.text = string();
            return v;
        }
        if (c == 't') {
            word("true");
            v.kind = Json::Kind::Bool;
            v.boolean = true;
            return v;
        }
        if (c == 'f') {
            word("false");
            v.kind = Json::Kind::Bool;
            return v;
        }
        if (c == 'n') {
            word("null");
            return v;
        }
        return numberValue();
    }

    Json numberValue() {
        std::size_t start = i_;
        if (peek() == '-') ++i_;
        if (peek() == '0') {
            ++i_;
        } else if (peek() >= '1' && peek() <= '9') {
            while (peek() >= '0' && peek() <= '9') ++i_;
        } else {
            fail("not a value");
        }
        if (peek() == '.') {
            ++i_;
            if (!(peek() >= '0' && peek() <= '9')) fail("digit expected");
            while (peek() >= '0' && peek() <= '9') ++i_;
        }
        if (peek() == 'e' || peek() == 'E') {
            ++i_;
            if (peek() == '+' || peek() == '-') ++i_;
            if (!(peek() >= '0' && peek() <= '9')) fail("digit expected");
            while (peek() >= '0' && peek() <= '9') ++i_;
        }
        Json v;
        v.kind = Json::Kind::Number;
        v.number = std::stod(std::string(s_.substr(start, i_ - start)));
        return v;
    }

    unsigned hex4() {
        unsigned v = 0;
        for (int k = 0; k < 4; ++k) {
            char c = peek();
            v <<= 4;
            if (c >= '0' && c <= '9')
                v |= static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                v |= static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                v |= static_cast<unsigned>(c - 'A' + 10);
            else
                fail("bad \\u escape");
            ++i_;
        }
        return v;
    }

    static void put(std::string& out, std::uint32_t cp) { os::appendUtf8(out, cp); }

    // Checks one raw UTF-8 sequence at i_ by the table of well-formed byte sequences.
    void rawUtf8(std::string& out) {
        auto b = [&](std::size_t k) -> unsigned {
            return i_ + k < s_.size() ? static_cast<unsigned char>(s_[i_ + k]) : 0x100;
        };
        unsigned c = b(0);
        auto in = [](unsigned x, unsigned lo, unsigned hi) { return x >= lo && x <= hi; };
        std::size_t n = 0;
        if (c < 0x80)
            n = 1;
        else if (in(c, 0xC2, 0xDF) && in(b(1), 0x80, 0xBF))
            n = 2;
        else if (c == 0xE0 && in(b(1), 0xA0, 0xBF) && in(b(2), 0x80, 0xBF))
            n = 3;
        else if ((in(c, 0xE1, 0xEC) || in(c, 0xEE, 0xEF)) && in(b(1), 0x80, 0xBF) &&
                 in(b(2), 0x80, 0xBF))
            n = 3;
        else if (c == 0xED && in(b(1), 0x80, 0x9F) && in(b(2), 0x80, 0xBF))
            n = 3;
        else if (c == 0xF0 && in(b(1), 0x90, 0xBF) && in(b(2), 0x80, 0xBF) && in(b(3), 0x80, 0xBF))
            n = 4;
        else if (in(c, 0xF1, 0xF3) && in(b(1), 0x80, 0xBF) && in(b(2), 0x80, 0xBF) &&
                 in(b(3), 0x80, 0xBF))
            n = 4;
        else if (c == 0xF4 && in(b(1), 0x80, 0x8F) && in(b(2), 0x80, 0xBF) && in(b(3), 0x80, 0xBF))
            n = 4;
        else
            fail("ill-formed UTF-8");
        out.append(s_.substr(i_, n));
        i_ += n;
    }

    std::string string() {
        expect('"');
        std::string out;
        for (;;) {
            if (i_ >= s_.size()) fail("unterminated string");
            unsigned char c = static_cast<unsigned char>(s_[i_]);
            if (c == '"') {
                ++i_;
                return out;
            }
            if (c < 0x20) fail("raw control character in a string");
            if (c != '\\') {
                rawUtf8(out);
                continue;
            }
            ++i_;
            char e = peek();
            ++i_;
            switch (e) {
                case '"':
                    out += '"';
                    break;
                case '\\':
                    out += '\\';
                    break;
                case '/':
                    out += '/';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    std::uint32_t cp = hex4();
                    if (cp >= 0xD800 && cp <= 0xDBFF) {
                        expect('\\');
                        expect('u');
                        unsigned lo = hex4();
                        if (lo < 0xDC00 || lo > 0xDFFF) fail("lone high surrogate");
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                    } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                        fail("lone low surrogate");
                    }
                    put(out, cp);
                    break;
                }
                default:
                    fail("bad escape");
            }
        }
    }
};

}  // namespace arkstash::test
