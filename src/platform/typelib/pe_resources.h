// Resources of a Windows program or library file (PE format, 32- and 64-bit), read from the
// file's bytes as a data file: what loading a library as data and finding one of its resources
// gives, without loading or running anything. Every read is bounds-checked; a damaged or
// hostile file gives "nothing found", never a read outside the bytes handed in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace arkstash::typelib {

// A resource type or name as the resource tree keys them: a 16-bit number, or a text that
// compares without regard to ASCII letter case.
struct ResourceKey {
    std::optional<std::uint16_t> id;
    std::string name;  // used when `id` is empty

    static ResourceKey number(std::uint16_t n) { return {n, {}}; }
    // "#123" is the number 123, as resource look-ups take it; any other text is a name.
    static ResourceKey text(std::string s);
};

// Resource type of raw application data.
inline constexpr std::uint16_t kRawDataResource = 10;

// One section of the image: where its bytes lie once loaded, and where in the file.
struct PeSection {
    std::uint32_t virtualAddress = 0;
    std::uint32_t virtualSize = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawOffset = 0;
};

// What the headers say, as far as resources need it.
struct PeHeaders {
    bool pe32Plus = false;
    std::vector<PeSection> sections;
    std::uint32_t resourceRva = 0;  // 0: the image has no resources
    std::uint32_t resourceSize = 0;
};

// The headers of an image; empty when the bytes are not a PE image (no "MZ" header, no "PE"
// signature where the DOS header points, an unknown optional header, or a truncated header or
// section table).
std::optional<PeHeaders> readPeHeaders(std::string_view image);

// The file offset of `length` bytes loaded at `rva`; empty unless all of them lie inside the
// file data of one section and inside `fileSize`.
std::optional<std::uint64_t> rvaToFileOffset(const PeHeaders& headers, std::uint32_t rva,
                                             std::uint64_t length, std::uint64_t fileSize);

// The bytes of resource `name` of type `type`: the language-neutral one where there is one,
// else the first language listed. Empty when the image is not a PE image, has no such
// resource, the resource is empty, or its bytes lie outside the file. The view points into
// `image`.
std::optional<std::string_view> findResource(std::string_view image, const ResourceKey& type,
                                             const ResourceKey& name);

}  // namespace arkstash::typelib
