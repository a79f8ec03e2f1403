#include "platform/typelib/pe_resources.h"

#include <algorithm>

#include "platform/os/text_codec.h"
#include "platform/typelib/byte_reader.h"

namespace arkstash::typelib {

namespace {

constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint64_t kSectionHeaderSize = 40;
constexpr std::uint64_t kDirectoryHeaderSize = 16;
constexpr std::uint64_t kDirectoryEntrySize = 8;
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::uint16_t kNeutralLanguage = 0;

char upperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The part of the file that holds the resource tree: from the tree's root to the end of its
// section's file data. Offsets inside the tree count from its root.
struct ResourceTree {
    std::string_view bytes;

    // The entries of the directory at `offset` and whether each matches `key`; the value of
    // the first match (a subdirectory or data-entry offset, flag bit included).
    std::optional<std::uint32_t> find(std::uint64_t offset, const ResourceKey& key) const {
        ByteReader r(bytes);
        auto named = r.u16(offset + 12);
        auto ids = r.u16(offset + 14);
        if (!named || !ids) return std::nullopt;
        std::uint64_t count = std::uint64_t{*named} + *ids;
        for (std::uint64_t i = 0; i < count; ++i) {
            std::uint64_t entry = offset + kDirectoryHeaderSize + i * kDirectoryEntrySize;
            auto name = r.u32(entry);
            auto value = r.u32(entry + 4);
            if (!name || !value) return std::nullopt;  // the entry table runs off the tree
            if (matches(*name, key)) return *value;
        }
        return std::nullopt;
    }

    // The language level: the neutral entry where there is one, else the first.
    std::optional<std::uint32_t> pickLanguage(std::uint64_t offset) const {
        ByteReader r(bytes);
        auto named = r.u16(offset + 12);
        auto ids = r.u16(offset + 14);
        if (!named || !ids || std::uint64_t{*named} + *ids == 0) return std::nullopt;
        if (auto neutral = find(offset, ResourceKey::number(kNeutralLanguage))) return neutral;
        return r.u32(offset + kDirectoryHeaderSize + 4);
    }

    bool matches(std::uint32_t name, const ResourceKey& key) const {
        if (key.id) return (name & kHighBit) == 0 && name == *key.id;
        if ((name & kHighBit) == 0) return false;
        // A name is a 16-bit length and that many UTF-16 code units, stored where the entry
        // points. Names hold upper-case letters; the look-up folds ASCII letters alike.
        ByteReader r(bytes);
        std::uint64_t at = name & ~kHighBit;
        auto length = r.u16(at);
        if (!length) return false;
        auto units = r.bytes(at + 2, 2 * std::uint64_t{*length});
        if (!units) return false;
        std::string text = os::utf16leToUtf8(*units);
        if (text.size() != key.name.size()) return false;
        for (std::size_t i = 0; i < text.size(); ++i)
            if (upperAscii(text[i]) != upperAscii(key.name[i])) return false;
        return true;
    }
};

// A subdirectory offset out of an entry value; empty when the entry is a data entry.
std::optional<std::uint64_t> subdirectory(std::optional<std::uint32_t> value) {
    if (!value || (*value & kHighBit) == 0) return std::nullopt;
    return *value & ~kHighBit;
}

}  // namespace

ResourceKey ResourceKey::text(std::string s) {
    if (s.size() > 1 && s[0] == '#') {
        std::uint32_t n = 0;
        bool digits = true;
        for (std::size_t i = 1; i < s.size() && digits; ++i) {
            if (s[i] < '0' || s[i] > '9')
                digits = false;
            else
                n = n * 10 + static_cast<std::uint32_t>(s[i] - '0');
            if (n > 0xFFFF) digits = false;
        }
        if (digits) return number(static_cast<std::uint16_t>(n));
    }
    return {std::nullopt, std::move(s)};
}

std::optional<PeHeaders> readPeHeaders(std::string_view image) {
    ByteReader r(image);
    if (image.size() < 64 || image[0] != 'M' || image[1] != 'Z') return std::nullopt;
    auto peOffset = r.u32(0x3C);
    if (!peOffset) return std::nullopt;
    std::uint64_t pe = *peOffset;
    auto signature = r.bytes(pe, 4);
    if (!signature || *signature != std::string_view("PE\0\0", 4)) return std::nullopt;

    std::uint64_t coff = pe + 4;
    auto sectionCount = r.u16(coff + 2);
    auto optionalSize = r.u16(coff + 16);
    if (!sectionCount || !optionalSize) return std::nullopt;

    std::uint64_t optional = coff + 20;
    auto magic = r.u16(optional);
    if (!magic || optional + *optionalSize > image.size()) return std::nullopt;
    PeHeaders h;
    std::uint64_t countField = 0, directories = 0;
    if (*magic == kPe32Magic) {
        countField = 92;
        directories = 96;
    } else if (*magic == kPe32PlusMagic) {
        h.pe32Plus = true;
        countField = 108;
        directories = 112;
    } else {
        return std::nullopt;
    }
    // The data directories are those the header counts and that fit in the optional header.
    if (*optionalSize >= countField + 4) {
        std::uint64_t listed = r.u32(optional + countField).value_or(0);
        std::uint64_t room =
            *optionalSize > directories ? (*optionalSize - directories) / kDirectoryEntrySize : 0;
        if (std::min(listed, room) > kResourceDirectoryIndex) {
            std::uint64_t entry = optional + directories + kResourceDirectoryIndex * 8;
            h.resourceRva = r.u32(entry).value_or(0);
            h.resourceSize = r.u32(entry + 4).value_or(0);
        }
    }

    std::uint64_t table = optional + *optionalSize;
    if (table + *sectionCount * kSectionHeaderSize > image.size()) return std::nullopt;
    h.sections.reserve(*sectionCount);
    for (std::uint64_t i = 0; i < *sectionCount; ++i) {
        std::uint64_t s = table + i * kSectionHeaderSize;
        h.sections.push_back(PeSection{.virtualAddress = *r.u32(s + 12),
                                       .virtualSize = *r.u32(s + 8),
                                       .rawSize = *r.u32(s + 16),
                                       .rawOffset = *r.u32(s + 20)});
    }
    return h;
}

std::optional<std::uint64_t> rvaToFileOffset(const PeHeaders& headers, std::uint32_t rva,
                                             std::uint64_t length, std::uint64_t fileSize) {
    for (const PeSection& s : headers.sections) {
        if (rva < s.virtualAddress) continue;
        std::uint64_t into = rva - s.virtualAddress;
        if (into >= s.rawSize || length > s.rawSize - into) continue;
        std::uint64_t offset = std::uint64_t{s.rawOffset} + into;
        if (offset > fileSize || length > fileSize - offset) return std::nullopt;
        return offset;
    }
    return std::nullopt;
}

std::optional<std::string_view> findResource(std::string_view image, const ResourceKey& type,
                                             const ResourceKey& name) {
    auto headers = readPeHeaders(image);
    if (!headers || headers->resourceRva == 0) return std::nullopt;

    // The tree may use the whole rest of its section, whatever size the directory claims.
    ResourceTree tree;
    for (const PeSection& s : headers->sections) {
        if (headers->resourceRva < s.virtualAddress) continue;
        std::uint64_t into = headers->resourceRva - s.virtualAddress;
        if (into >= s.rawSize) continue;
        std::uint64_t root = std::uint64_t{s.rawOffset} + into;
        std::uint64_t end =
            std::min<std::uint64_t>(std::uint64_t{s.rawOffset} + s.rawSize, image.size());
        if (root < end) tree.bytes = image.substr(root, end - root);
        break;
    }
    if (tree.bytes.empty()) return std::nullopt;

    // Exactly three levels: type, name, language. A subdirectory where a data entry belongs
    // (or the other way round) ends the search, so a tree whose entries point back at
    // themselves cannot make it go round.
    auto names = subdirectory(tree.find(0, type));
    if (!names) return std::nullopt;
    auto languages = subdirectory(tree.find(*names, name));
    if (!languages) return std::nullopt;
    auto entry = tree.pickLanguage(*languages);
    if (!entry || (*entry & kHighBit) != 0) return std::nullopt;

    ByteReader r(tree.bytes);
    auto dataRva = r.u32(*entry);
    auto size = r.u32(*entry + 4);
    if (!dataRva || !size || *size == 0) return std::nullopt;
    auto offset = rvaToFileOffset(*headers, *dataRva, *size, image.size());
    if (!offset) return std::nullopt;
    return image.substr(*offset, *size);
}

}  // namespace arkstash::typelib
