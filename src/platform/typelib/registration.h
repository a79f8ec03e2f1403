// The type-library registration under HKEY_CLASSES_ROOT: which file on disk holds a library,
// by its identifier, version and locale. Shared by the references list and the project loader.
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry/registry.h"

namespace arkstash::typelib {

// "Typelib\{id}\<major hex>.<minor hex>\<lcid decimal>\win32": versions in upper-case hex
// without leading zeros (1.10 is "1.A"), the identifier as given (braces included).
std::string typeLibRegistrationKey(const std::string& libraryId, std::uint32_t major,
                                   std::uint32_t minor, std::uint32_t lcid);

// The registered file of a library: the default value of its registration key, when that is
// plain text (its closing NUL dropped, code-page text decoded). Empty when the library is not
// registered there, the value is of another kind, or the registry fails. The key is opened
// for reading only: the classes hive is read-only for ordinary users.
std::string registeredTypeLibFile(registry::Registry& reg, const std::string& libraryId,
                                  std::uint32_t major, std::uint32_t minor, std::uint32_t lcid);

// The library's description: the default text of "Typelib\{id}\<major hex>.<minor hex>";
// empty when there is none.
std::string registeredTypeLibDescription(registry::Registry& reg, const std::string& libraryId,
                                         std::uint32_t major, std::uint32_t minor);

}  // namespace arkstash::typelib
