#include "platform/typelib/type_library.h"

#include "platform/error.h"
#include "platform/typelib/byte_reader.h"
#include "platform/typelib/pe_resources.h"

namespace arkstash::typelib {

namespace {

// The fixed header of an "MSFT" type library, all fields 32-bit little-endian:
//   0 signature "MSFT"      4 format version       8 offset of the library id
//  12 internal locale      16 registered locale    20 flags (low nibble: target system)
//  24 version: major in the low word, minor in the high word
//  28 library flags        32 number of type descriptions ... up to 84 bytes in all.
constexpr std::uint64_t kHeaderSize = 84;
constexpr std::uint64_t kRegisteredLocale = 16;
constexpr std::uint64_t kVersion = 24;

}  // namespace

std::optional<TypeLibInfo> readTypeLibHeader(std::string_view bytes) {
    ByteReader r(bytes);
    if (!r.has(0, kHeaderSize) || bytes.substr(0, 4) != "MSFT") return std::nullopt;
    std::uint32_t version = *r.u32(kVersion);
    // The locale callers see (and that the registration is keyed by) is the one the library
    // was registered with; the internal one is often English for neutral libraries.
    return TypeLibInfo{.MajorVersion = static_cast<std::uint16_t>(version & 0xFFFF),
                       .MinorVersion = static_cast<std::uint16_t>(version >> 16),
                       .LCID = *r.u32(kRegisteredLocale)};
}

TypeLibInfo typeLibInfoFromBytes(std::string_view file) {
    std::string_view library = file;
    if (readPeHeaders(file)) {
        auto resource = findResource(file, ResourceKey::text("TYPELIB"), ResourceKey::number(1));
        if (!resource) throw PlatformError("Error loading type library/DLL.", kCantLoadLibrary);
        library = *resource;
    }
    auto info = readTypeLibHeader(library);
    if (!info) throw PlatformError("Old format or invalid type library.", kUnsupportedFormat);
    return *info;
}

TypeLibInfo TypeLibInfoFromFile(os::FileSystem& fs, const std::string& path) {
    std::string bytes;
    try {
        bytes = fs.readFile(path, kMaxTypeLibFileSize);
    } catch (const std::exception&) {
        throw PlatformError("Error loading type library/DLL.", kCantLoadLibrary);
    }
    return typeLibInfoFromBytes(bytes);
}

}  // namespace arkstash::typelib
