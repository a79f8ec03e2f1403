#include "platform/registry/reg_helpers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "platform/error.h"

namespace arkstash::registry {

namespace {

// The buffer a value is read into; a longer value does not fit and is not read.
constexpr std::size_t kReadBufferSize = 2048;

std::string textOf(const Value& v) {
    if (v.kind == REG_DWORD) {
        // Bytes the value lacks read as zero, as from the zero-filled buffer.
        std::uint32_t n = 0;
        for (std::size_t i = std::min<std::size_t>(v.data.size(), 4); i > 0; --i)
            n = (n << 8) | static_cast<unsigned char>(v.data[i - 1]);
        char buf[16];
        std::snprintf(buf, sizeof buf, "%03u", static_cast<unsigned>(n));
        return buf;
    }
    if (v.kind == REG_BINARY) {
        static const char* digits = "0123456789ABCDEF";
        std::string out;
        for (char c : v.data) {
            auto b = static_cast<unsigned char>(c);
            out += digits[b >> 4];
            out += digits[b & 0xF];
        }
        return out;
    }
    // Text: everything but its closing NUL. An empty value has none to drop.
    if (v.data.empty()) throw PlatformError("Invalid procedure call or argument");
    return v.data.substr(0, v.data.size() - 1);
}

// Locale-blind: the desktop app runs under the user's locale, whose decimal mark may differ.
double parseDecimal(const std::string& t) {
    double n = 0;
    const char* b = t.c_str() + (t[0] == '+' ? 1 : 0);
    std::from_chars(b, t.c_str() + t.size(), n);
    return n;
}

// A value made a signed 32-bit number the way the runtime converts: blanks around it are
// allowed and a fraction rounds half to even; anything else, or a number out of range, fails.
std::int32_t toLong(const std::variant<long long, std::string>& value) {
    double n = 0;
    if (const long long* whole = std::get_if<long long>(&value)) {
        n = static_cast<double>(*whole);
    } else {
        const std::string& s = std::get<std::string>(value);
        std::size_t b = s.find_first_not_of(" \t");
        std::size_t e = s.find_last_not_of(" \t");
        if (b == std::string::npos) throw PlatformError("Type mismatch");
        std::string t = s.substr(b, e - b + 1);
        std::size_t i = 0;
        if (t[i] == '+' || t[i] == '-') ++i;
        std::size_t digits = 0;
        for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) ++digits;
        if (i < t.size() && t[i] == '.')
            for (++i; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) ++digits;
        if (digits == 0 || i != t.size()) throw PlatformError("Type mismatch");
        n = std::nearbyint(parseDecimal(t));
    }
    if (n < std::numeric_limits<std::int32_t>::min() ||
        n > std::numeric_limits<std::int32_t>::max())
        throw PlatformError("Overflow");
    return static_cast<std::int32_t>(n);
}

std::string toText(const std::variant<long long, std::string>& value) {
    if (const long long* i = std::get_if<long long>(&value)) return std::to_string(*i);
    return std::get<std::string>(value);
}

std::string settingsKeyOf(const std::string& app, const std::string& section) {
    return "Software\\VB and VBA Program Settings\\" + app + "\\" + section;
}

}  // namespace

std::string RegRead(Registry& reg, Root root, const std::string& subKey,
                    const std::string& valueName, const std::string& defaultValue) {
    std::optional<KeyHandle> key;
    attempt([&] { key = reg.openKey(root, subKey, Access::Read); });
    if (!key) return defaultValue;
    std::string result = defaultValue;
    attempt([&] {
        std::optional<Value> v = reg.queryValue(*key, valueName);
        if (v && v->data.size() <= kReadBufferSize) result = textOf(*v);
    });
    attempt([&] { reg.closeKey(*key); });
    return result;
}

void RegWrite(Registry& reg, Root root, const std::string& subKey, const std::string& valueName,
              int kind, const std::variant<long long, std::string>& value) {
    std::optional<KeyHandle> key;
    attempt([&] { key = reg.createKey(root, subKey); });
    if (!key) return;
    attempt([&] {
        if (kind == REG_DWORD)
            reg.setValue(*key, valueName, Value::dword(static_cast<std::uint32_t>(toLong(value))));
        else if (kind == REG_SZ)
            reg.setValue(*key, valueName, Value::text(toText(value)));
    });
    attempt([&] { reg.flushKey(*key); });
    attempt([&] { reg.closeKey(*key); });
}

std::string GetSetting(Registry& reg, const std::string& app, const std::string& section,
                       const std::string& key, const std::string& defaultValue) {
    if (app.empty() || section.empty()) return defaultValue;
    std::optional<KeyHandle> h;
    attempt([&] { h = reg.openKey(Root::CurrentUser, settingsKeyOf(app, section), Access::Read); });
    if (!h) return defaultValue;
    std::string result = defaultValue;
    attempt([&] {
        std::optional<Value> v = reg.queryValue(*h, key);
        if (!v || (v->kind != REG_SZ && v->kind != REG_EXPAND_SZ)) return;
        std::string text = v->data;
        while (!text.empty() && text.back() == '\0') text.pop_back();
        result = text;
    });
    attempt([&] { reg.closeKey(*h); });
    return result;
}

void SaveSetting(Registry& reg, const std::string& app, const std::string& section,
                 const std::string& key, const std::string& value) {
    if (app.empty() || section.empty() || key.empty())
        throw PlatformError("Invalid procedure call or argument");
    KeyHandle h = reg.createKey(Root::CurrentUser, settingsKeyOf(app, section));
    try {
        reg.setValue(h, key, Value::text(value));
        reg.flushKey(h);
    } catch (...) {
        reg.closeKey(h);
        throw;
    }
    reg.closeKey(h);
}

}  // namespace arkstash::registry
