// Feeds arbitrary bytes to the type-library reader and the ".oca" identity reader, as bare
// files and as files that embed a library: each either answers or reports a numbered error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/error.h"
#include "platform/typelib/oca_lookup.h"
#include "platform/typelib/type_library.h"

using namespace arkstash;
using namespace arkstash::typelib;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (auto header = readTypeLibHeader(bytes))
        if (size < 84) std::abort();
    try {
        typeLibInfoFromBytes(bytes);
    } catch (const PlatformError& e) {
        if (e.number() != kCantLoadLibrary && e.number() != kUnsupportedFormat) std::abort();
    }
    if (auto id = ocaLibraryIdentifier(bytes))
        if (id->size() > kOcaIdentifierLength) std::abort();
    return 0;
}
