#include "platform/typelib/registration.h"

#include <cstdio>
#include <exception>
#include <optional>

#include "platform/os/text_codec.h"

namespace arkstash::typelib {

namespace {

std::string upperHex(std::uint32_t n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(n));
    return buf;
}

// A key handle, or 0 when the key does not exist, the access is refused or the registry fails.
registry::KeyHandle openKey(registry::Registry& reg, registry::Root root, const std::string& subKey,
                            registry::Access access) {
    try {
        return reg.openKey(root, subKey, access).value_or(0);
    } catch (const std::exception&) {
        return 0;
    }
}

// The text of a plain string value, without its closing NUL; empty for anything else.
std::string queryString(registry::Registry& reg, registry::KeyHandle key, const std::string& name) {
    std::optional<registry::Value> v;
    try {
        v = reg.queryValue(key, name);
    } catch (const std::exception&) {
        return {};
    }
    if (!v || v->kind != registry::REG_SZ) return {};
    // Stop at the first NUL: a value stored without its terminator keeps its last character.
    std::string_view text = v->data;
    text = text.substr(0, text.find('\0'));
    try {
        return os::decodeText(text);
    } catch (const std::exception&) {
        return std::string(text);
    }
}

void closeKey(registry::Registry& reg, registry::KeyHandle key) {
    if (key == 0) return;
    try {
        reg.closeKey(key);
    } catch (const std::exception&) {
    }
}

// The default text of a key under HKEY_CLASSES_ROOT, opened for reading only.
std::string defaultText(registry::Registry& reg, const std::string& subKey) {
    registry::KeyHandle key =
        openKey(reg, registry::Root::ClassesRoot, subKey, registry::Access::Read);
    if (key == 0) return {};
    std::string text = queryString(reg, key, "");
    closeKey(reg, key);
    return text;
}

}  // namespace

std::string typeLibRegistrationKey(const std::string& libraryId, std::uint32_t major,
                                   std::uint32_t minor, std::uint32_t lcid) {
    return "Typelib\\" + libraryId + "\\" + upperHex(major) + "." + upperHex(minor) + "\\" +
           std::to_string(lcid) + "\\win32";
}

std::string registeredTypeLibFile(registry::Registry& reg, const std::string& libraryId,
                                  std::uint32_t major, std::uint32_t minor, std::uint32_t lcid) {
    return defaultText(reg, typeLibRegistrationKey(libraryId, major, minor, lcid));
}

std::string registeredTypeLibDescription(registry::Registry& reg, const std::string& libraryId,
                                         std::uint32_t major, std::uint32_t minor) {
    return defaultText(reg,
                       "Typelib\\" + libraryId + "\\" + upperHex(major) + "." + upperHex(minor));
}

}  // namespace arkstash::typelib
