// The identity of a type library file: its version and locale, as the system's type-library
// information service reports them. Reads a bare type library (".tlb", ".olb") and one kept as
// the first "TYPELIB" resource of a program or library file (".ocx", ".oca", ".dll").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/os/file_system.h"

namespace arkstash::typelib {

struct TypeLibInfo {
    std::uint16_t MajorVersion = 0;
    std::uint16_t MinorVersion = 0;
    std::uint32_t LCID = 0;  // the locale the library is registered under
};

// Error numbers a failed load reports, as the system's type-library loader numbers them.
// The file cannot be opened or read, or holds no type library.
inline constexpr long kCantLoadLibrary = -2147312566;  // 0x80029C4A
// The bytes are not a type library this reader knows.
inline constexpr long kUnsupportedFormat = -2147319783;  // 0x80028019

// Files larger than this are refused instead of read whole.
inline constexpr std::uint64_t kMaxTypeLibFileSize = 64ull << 20;

// The header of a bare type library in the "MSFT" format; empty when the bytes are too short
// or do not start with its signature.
std::optional<TypeLibInfo> readTypeLibHeader(std::string_view bytes);

// The type library of a file's bytes: a PE image's "TYPELIB" resource number 1, anything else
// taken as a bare type library. Throws PlatformError with kCantLoadLibrary or
// kUnsupportedFormat when there is none.
TypeLibInfo typeLibInfoFromBytes(std::string_view file);

// The same for a file on disk, read through `fs` up to kMaxTypeLibFileSize. A file that cannot
// be read (missing, a folder, too large) throws PlatformError numbered kCantLoadLibrary.
TypeLibInfo TypeLibInfoFromFile(os::FileSystem& fs, const std::string& path);

}  // namespace arkstash::typelib
