// The registry as the add-in uses it: open, create, query, set, flush and close keys under a
// predefined root. Key paths use backslashes and compare without regard to case, as on Windows.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace arkstash::registry {

enum class Root { ClassesRoot, CurrentUser, LocalMachine };
inline constexpr const char* rootName(Root r) {
    return r == Root::ClassesRoot   ? "HKEY_CLASSES_ROOT"
           : r == Root::CurrentUser ? "HKEY_CURRENT_USER"
                                    : "HKEY_LOCAL_MACHINE";
}

// Value kinds as Windows numbers them.
enum ValueKind : int {
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
    REG_MULTI_SZ = 7
};

enum class Access { Read, Full };

// A value as stored: its kind and its bytes. A text value holds its characters in the
// system's single-byte code page followed by one NUL byte, as Windows keeps it; a 32-bit number
// holds four bytes, least significant first.
struct Value {
    int kind = REG_NONE;
    std::string data;

    static Value text(const std::string& s) { return {REG_SZ, s + std::string(1, '\0')}; }
    static Value dword(std::uint32_t v);
    static Value binary(std::string bytes) { return {REG_BINARY, std::move(bytes)}; }
    bool operator==(const Value&) const = default;
};

using KeyHandle = std::uint64_t;  // 0 is never a valid handle

class Registry {
  public:
    virtual ~Registry() = default;

    // Opens an existing key. Empty when it does not exist or the access asked for is refused
    // (a read-only hive refuses Full).
    virtual std::optional<KeyHandle> openKey(Root root, const std::string& subKey,
                                             Access access) = 0;
    // Opens a key, creating it (and its parents) when missing. Throws PlatformError when the
    // hive cannot take it.
    virtual KeyHandle createKey(Root root, const std::string& subKey) = 0;
    // The named value of an open key (an empty name is the key's unnamed value); empty when
    // there is none. Throws on an invalid handle.
    virtual std::optional<Value> queryValue(KeyHandle key, const std::string& name) = 0;
    // Throws on an invalid handle or a read-only hive.
    virtual void setValue(KeyHandle key, const std::string& name, const Value& value) = 0;
    // Writes the key's hive to its backing store. Throws when that fails.
    virtual void flushKey(KeyHandle key) = 0;
    // Ignored for 0 and for handles already closed.
    virtual void closeKey(KeyHandle key) = 0;
};

}  // namespace arkstash::registry
