// Feeds arbitrary bytes to the PE resource reader: whatever the headers and the resource tree
// claim, every look-up must stay inside the bytes handed in and any bytes found must lie there.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/typelib/pe_resources.h"

using namespace arkstash::typelib;

namespace {

void check(std::string_view image, const ResourceKey& type, const ResourceKey& name) {
    auto found = findResource(image, type, name);
    if (!found) return;
    if (found->empty() || found->data() < image.data() ||
        found->data() + found->size() > image.data() + image.size())
        std::abort();
    // Touch every byte so the address sanitizer sees any read beyond the input.
    volatile unsigned sum = 0;
    for (char c : *found) sum = sum + static_cast<unsigned char>(c);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view image(reinterpret_cast<const char*>(data), size);
    check(image, ResourceKey::number(kRawDataResource), ResourceKey::text("#1"));
    check(image, ResourceKey::text("TYPELIB"), ResourceKey::number(1));
    check(image, ResourceKey::text("typelib"), ResourceKey::text("ABOUT"));
    if (auto headers = readPeHeaders(image)) {
        for (const PeSection& s : headers->sections)
            if (auto at = rvaToFileOffset(*headers, s.virtualAddress, 16, size))
                if (*at + 16 > size) std::abort();
    }
    return 0;
}
