#include "platform/typelib/oca_lookup.h"

#include "platform/error.h"
#include "platform/typelib/pe_resources.h"
#include "platform/typelib/registration.h"
#include "platform/typelib/type_library.h"

namespace arkstash::typelib {

std::optional<std::string> ocaLibraryIdentifier(std::string_view file) {
    auto record =
        findResource(file, ResourceKey::number(kRawDataResource), ResourceKey::text("#1"));
    if (!record) return std::nullopt;
    if (record->size() <= kOcaIdentifierOffset) return std::string();
    return std::string(record->substr(kOcaIdentifierOffset, kOcaIdentifierLength));
}

std::string controlFileOfOca(os::FileSystem& fs, registry::Registry& classes,
                             const std::string& ocaPath) {
    std::string bytes;
    try {
        bytes = fs.readFile(ocaPath, kMaxTypeLibFileSize);
    } catch (const std::exception&) {
        throw PlatformError("Error loading type library/DLL.", kCantLoadLibrary);
    }
    TypeLibInfo info = typeLibInfoFromBytes(bytes);

    auto id = ocaLibraryIdentifier(bytes);
    if (!id || id->empty()) return {};
    // A NUL would cut the key short and a backslash would step into another key: neither can
    // be part of a library identifier, so such a record names nothing registered.
    if (id->find_first_of(std::string_view("\\\0", 2)) != std::string::npos) return {};
    return registeredTypeLibFile(classes, *id, info.MajorVersion, info.MinorVersion, info.LCID);
}

}  // namespace arkstash::typelib
