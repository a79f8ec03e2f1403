// From a control's cached type-library file (".oca") to the control file it describes: the
// ".oca" names its library in an identity record, and the library's registration names the file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/os/file_system.h"
#include "platform/registry/registry.h"

namespace arkstash::typelib {

// The identity record is raw-data resource number 1; its characters 57 to 94 (counting from
// 1) hold the library identifier, braces included.
inline constexpr std::size_t kOcaIdentifierOffset = 56;
inline constexpr std::size_t kOcaIdentifierLength = 38;

// The identifier text of an ".oca" file's bytes: up to 38 characters from the 57th of its
// identity record. Empty when the file is not a PE image or has no (or an empty) record; an
// empty text when the record is too short to reach the identifier.
std::optional<std::string> ocaLibraryIdentifier(std::string_view file);

// The control file registered for the library an ".oca" file describes, looked up under the
// library's identifier from the identity record and the version and locale of the ".oca"'s
// own type library. Empty when the file has no identity record or the library is not
// registered. Throws PlatformError (numbered as the type-library loader numbers its errors)
// when the ".oca" cannot be read or holds no readable type library.
std::string controlFileOfOca(os::FileSystem& fs, registry::Registry& classes,
                             const std::string& ocaPath);

}  // namespace arkstash::typelib
