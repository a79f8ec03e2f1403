// Writes small Windows program images (PE32 and PE32+) holding the resources a test asks for,
// and bare "MSFT" type-library headers, byte by byte. The layout is what a resource compiler
// and linker produce: a code section, a resource section holding the three-level tree (type,
// name, language), and optionally the resource bytes in a section of their own.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

namespace arkstash::test {

using ResId = std::variant<std::uint16_t, std::string>;  // a number or a name

struct PeResource {
    ResId type;
    ResId name;
    std::uint16_t language = 0;
    std::string data;
};

struct PeOptions {
    bool pe32Plus = false;
    bool dataInOwnSection = false;  // resource bytes in a third section, away from the tree
};

// The image and where its parts lie, so that tests can damage exactly one of them.
struct PeImage {
    std::string bytes;
    std::size_t peHeader = 0;        // "PE\0\0"
    std::size_t optionalHeader = 0;  // its magic
    std::size_t sectionTable = 0;
    std::size_t resourceTree = 0;  // file offset of the root directory
    std::uint32_t resourceRva = 0;
    // By resource, in the order given: file offsets of its data entry and of its bytes, and
    // of the entry in its language directory.
    std::vector<std::size_t> dataEntry, data, languageEntry;
};

inline void put16(std::string& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
inline void put32(std::string& b, std::size_t at, std::uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}
inline std::uint32_t get32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
    return v;
}

namespace pe_detail {

// Names before numbers; names by their text, numbers ascending (the order resource
// compilers keep so that look-ups may search them).
struct IdLess {
    bool operator()(const ResId& a, const ResId& b) const {
        if (a.index() != b.index()) return a.index() > b.index();
        return a < b;
    }
};

inline std::size_t align(std::size_t n, std::size_t to) {
    return (n + to - 1) / to * to;
}

}  // namespace pe_detail

inline PeImage buildPe(const std::vector<PeResource>& resources, PeOptions options = {}) {
    using namespace pe_detail;
    constexpr std::size_t kFileAlign = 0x200, kSectionAlign = 0x1000;
    constexpr std::uint32_t kHigh = 0x80000000u;

    std::map<ResId, std::map<ResId, std::vector<std::size_t>, IdLess>, IdLess> tree;
    for (std::size_t i = 0; i < resources.size(); ++i)
        tree[resources[i].type][resources[i].name].push_back(i);

    // Lay out the tree: directories, data entries, names, then the bytes.
    auto dirSize = [](std::size_t entries) { return 16 + 8 * entries; };
    std::size_t off = dirSize(tree.size());
    std::map<ResId, std::size_t, IdLess> typeDir;
    for (auto& [type, names] : tree) {
        typeDir[type] = off;
        off += dirSize(names.size());
    }
    std::map<std::pair<ResId, ResId>, std::size_t> nameDir;
    for (auto& [type, names] : tree)
        for (auto& [name, langs] : names) {
            nameDir[{type, name}] = off;
            off += dirSize(langs.size());
        }
    std::vector<std::size_t> entryOff(resources.size());
    for (auto& [type, names] : tree)
        for (auto& [name, langs] : names)
            for (std::size_t i : langs) {
                entryOff[i] = off;
                off += 16;
            }
    std::map<std::string, std::size_t> stringOff;
    auto placeString = [&](const ResId& id) {
        if (auto* s = std::get_if<std::string>(&id); s && !stringOff.count(*s)) {
            stringOff[*s] = off;
            off += 2 + 2 * s->size();
        }
    };
    for (auto& [type, names] : tree) {
        placeString(type);
        for (auto& [name, langs] : names) placeString(name);
    }
    off = align(off, 4);
    std::vector<std::size_t> blobOff(resources.size());
    std::size_t blobs = 0;
    for (std::size_t i = 0; i < resources.size(); ++i) {
        if (options.dataInOwnSection) {
            blobOff[i] = blobs;
            blobs = align(blobs + resources[i].data.size(), 4);
        } else {
            blobOff[i] = off;
            off = align(off + resources[i].data.size(), 4);
        }
    }
    std::size_t treeSize = std::max<std::size_t>(off, 16);

    // Sections: code, resources, and the bytes when they live apart.
    const std::uint32_t textRva = 0x1000, rsrcRva = 0x2000;
    const std::size_t textRaw = 0x200, rsrcRaw = 0x400;
    const std::size_t rsrcRawSize = align(treeSize, kFileAlign);
    const std::uint32_t dataRva =
        static_cast<std::uint32_t>(rsrcRva + align(treeSize, kSectionAlign));
    const std::size_t dataRaw = rsrcRaw + rsrcRawSize;
    const std::size_t dataRawSize = align(std::max<std::size_t>(blobs, 1), kFileAlign);
    const std::size_t sections = options.dataInOwnSection ? 3 : 2;
    const std::size_t fileSize = options.dataInOwnSection ? dataRaw + dataRawSize : dataRaw;

    PeImage img;
    std::string& b = img.bytes;
    b.assign(fileSize, '\0');
    b[0] = 'M';
    b[1] = 'Z';
    img.peHeader = 0x40;
    put32(b, 0x3C, static_cast<std::uint32_t>(img.peHeader));
    b.replace(img.peHeader, 4, std::string("PE\0\0", 4));
    std::size_t coff = img.peHeader + 4;
    put16(b, coff, options.pe32Plus ? 0x8664 : 0x14C);
    put16(b, coff + 2, static_cast<std::uint32_t>(sections));
    const std::size_t optionalSize = options.pe32Plus ? 240 : 224;
    put16(b, coff + 16, static_cast<std::uint32_t>(optionalSize));
    put16(b, coff + 18, 0x2102);  // executable, 32-bit words, library
    img.optionalHeader = coff + 20;
    std::size_t opt = img.optionalHeader;
    put16(b, opt, options.pe32Plus ? 0x20B : 0x10B);
    put32(b, opt + 32, kSectionAlign);
    put32(b, opt + 36, kFileAlign);
    put32(b, opt + 56, static_cast<std::uint32_t>(dataRva + align(blobs + 1, kSectionAlign)));
    put32(b, opt + 60, 0x200);  // size of the headers
    std::size_t countField = options.pe32Plus ? 108 : 92;
    put32(b, opt + countField, 16);
    std::size_t resourceDir = opt + countField + 4 + 2 * 8;
    img.resourceRva = rsrcRva;
    put32(b, resourceDir, rsrcRva);
    put32(b, resourceDir + 4, static_cast<std::uint32_t>(treeSize));

    img.sectionTable = opt + optionalSize;
    auto section = [&](std::size_t index, const char* name, std::uint32_t rva, std::size_t vsize,
                       std::size_t raw, std::size_t rawSize) {
        std::size_t s = img.sectionTable + 40 * index;
        b.replace(s, std::char_traits<char>::length(name), name);
        put32(b, s + 8, static_cast<std::uint32_t>(vsize));
        put32(b, s + 12, rva);
        put32(b, s + 16, static_cast<std::uint32_t>(rawSize));
        put32(b, s + 20, static_cast<std::uint32_t>(raw));
    };
    section(0, ".text", textRva, 0x10, textRaw, 0x200);
    section(1, ".rsrc", rsrcRva, treeSize, rsrcRaw, rsrcRawSize);
    if (options.dataInOwnSection) section(2, ".rdata", dataRva, blobs, dataRaw, dataRawSize);
    for (std::size_t i = 0; i < 0x10; ++i) b[textRaw + i] = static_cast<char>(0xC3);  // ret

    // The tree itself.
    img.resourceTree = rsrcRaw;
    auto at = [&](std::size_t treeOffset) { return rsrcRaw + treeOffset; };
    auto writeDir = [&](std::size_t dir, const auto& children, auto entryValue) {
        std::uint32_t named = 0, ids = 0;
        std::size_t e = at(dir) + 16;
        for (auto& [key, child] : children) {
            if (auto* s = std::get_if<std::string>(&key)) {
                ++named;
                put32(b, e, kHigh | static_cast<std::uint32_t>(stringOff[*s]));
            } else {
                ++ids;
                put32(b, e, std::get<std::uint16_t>(key));
            }
            put32(b, e + 4, entryValue(key, child));
            e += 8;
        }
        put16(b, at(dir) + 12, named);
        put16(b, at(dir) + 14, ids);
    };
    writeDir(0, tree, [&](const ResId& type, const auto&) {
        return kHigh | static_cast<std::uint32_t>(typeDir[type]);
    });
    img.dataEntry.resize(resources.size());
    img.data.resize(resources.size());
    img.languageEntry.resize(resources.size());
    for (auto& [type, names] : tree) {
        writeDir(typeDir[type], names, [&](const ResId& name, const auto&) {
            return kHigh | static_cast<std::uint32_t>(nameDir[{type, name}]);
        });
        for (auto& [name, langs] : names) {
            std::size_t dir = nameDir[{type, name}];
            put16(b, at(dir) + 14, static_cast<std::uint32_t>(langs.size()));
            std::size_t e = at(dir) + 16;
            for (std::size_t i : langs) {
                img.languageEntry[i] = e;
                put32(b, e, resources[i].language);
                put32(b, e + 4, static_cast<std::uint32_t>(entryOff[i]));
                e += 8;
            }
        }
    }
    for (auto& [text, where] : stringOff) {
        put16(b, at(where), static_cast<std::uint32_t>(text.size()));
        for (std::size_t k = 0; k < text.size(); ++k)
            put16(b, at(where) + 2 + 2 * k, static_cast<unsigned char>(text[k]));
    }
    for (std::size_t i = 0; i < resources.size(); ++i) {
        std::uint32_t rva;
        std::size_t fileAt;
        if (options.dataInOwnSection) {
            rva = static_cast<std::uint32_t>(dataRva + blobOff[i]);
            fileAt = dataRaw + blobOff[i];
        } else {
            rva = static_cast<std::uint32_t>(rsrcRva + blobOff[i]);
            fileAt = at(blobOff[i]);
        }
        img.dataEntry[i] = at(entryOff[i]);
        img.data[i] = fileAt;
        put32(b, at(entryOff[i]), rva);
        put32(b, at(entryOff[i]) + 4, static_cast<std::uint32_t>(resources[i].data.size()));
        b.replace(fileAt, resources[i].data.size(), resources[i].data);
    }
    return img;
}

// A bare type library: the fixed "MSFT" header and a few bytes after it. `lcid` is the locale
// it is registered under; the internal one is English, as compilers write it for neutral ones.
inline std::string msftTypeLib(std::uint16_t major, std::uint16_t minor, std::uint32_t lcid,
                               std::uint32_t internalLcid = 0x409) {
    std::string b(84 + 16, '\0');
    b.replace(0, 4, "MSFT");
    put32(b, 4, 0x00010002);  // format version
    put32(b, 8, 0);           // library id: first in the identifier table
    put32(b, 12, internalLcid);
    put32(b, 16, lcid);
    put32(b, 20, 0x41);  // 32-bit Windows target
    put32(b, 24, static_cast<std::uint32_t>(minor) << 16 | major);
    put32(b, 32, 0);  // no type descriptions
    return b;
}

// An ".oca"-style image: raw-data resource 1 with the library identifier at characters 57 to
// 94 between filler bytes, and the type library as "TYPELIB" resource 1.
inline std::vector<PeResource> ocaResources(const std::string& libraryId, std::uint16_t major,
                                            std::uint16_t minor, std::uint32_t lcid) {
    std::string record(56, '\0');
    for (std::size_t i = 0; i < record.size(); ++i) record[i] = static_cast<char>(0x40 + i % 26);
    record += libraryId;
    record += std::string("\x01\x02\x03\x04", 4);
    return {PeResource{.type = std::uint16_t{10}, .name = std::uint16_t{1}, .data = record},
            PeResource{.type = std::string("TYPELIB"),
                       .name = std::uint16_t{1},
                       .data = msftTypeLib(major, minor, lcid)}};
}

}  // namespace arkstash::test
