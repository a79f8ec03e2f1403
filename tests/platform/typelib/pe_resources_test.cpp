#include "platform/typelib/pe_resources.h"

#include <gtest/gtest.h>

#include "support/pe_builder.h"

using namespace arkstash;
using namespace arkstash::typelib;
using test::buildPe;
using test::PeImage;
using test::PeOptions;
using test::PeResource;
using test::put16;
using test::put32;

namespace {

const ResourceKey kRawData = ResourceKey::number(kRawDataResource);
const ResourceKey kOne = ResourceKey::number(1);

std::vector<PeResource> sample() {
    return {
        PeResource{.type = std::uint16_t{10}, .name = std::uint16_t{1}, .data = "first record"},
        PeResource{.type = std::uint16_t{10}, .name = std::uint16_t{2}, .data = "second"},
        PeResource{.type = std::string("TYPELIB"), .name = std::uint16_t{1}, .data = "library"},
        PeResource{.type = std::uint16_t{10}, .name = std::string("ABOUT"), .data = "named"},
    };
}

std::optional<std::string> find(const std::string& image, const ResourceKey& type,
                                const ResourceKey& name) {
    auto found = findResource(image, type, name);
    if (!found) return std::nullopt;
    return std::string(*found);
}

}  // namespace

TEST(PeResources, FindsResourcesByNumberAndByNameIn32And64BitImages) {
    for (bool plus : {false, true}) {
        SCOPED_TRACE(plus ? "PE32+" : "PE32");
        std::string image = buildPe(sample(), PeOptions{.pe32Plus = plus}).bytes;
        auto headers = readPeHeaders(image);
        ASSERT_TRUE(headers);
        EXPECT_EQ(headers->pe32Plus, plus);
        EXPECT_EQ(find(image, kRawData, kOne), "first record");
        EXPECT_EQ(find(image, kRawData, ResourceKey::number(2)), "second");
        EXPECT_EQ(find(image, ResourceKey::text("TYPELIB"), kOne), "library");
        EXPECT_EQ(find(image, kRawData, ResourceKey::text("ABOUT")), "named");
    }
}

TEST(PeResources, NamesCompareWithoutLetterCaseAndNeverMatchNumbers) {
    std::string image = buildPe(sample()).bytes;
    EXPECT_EQ(find(image, ResourceKey::text("typelib"), kOne), "library");
    EXPECT_EQ(find(image, kRawData, ResourceKey::text("About")), "named");
    // "#1" is the number 1; "1" alone is a name, and a name is not the number.
    EXPECT_EQ(find(image, kRawData, ResourceKey::text("#1")), "first record");
    EXPECT_FALSE(find(image, kRawData, ResourceKey::text("1")));
    EXPECT_FALSE(find(image, ResourceKey::text("TYPELI"), kOne));
    EXPECT_FALSE(find(image, ResourceKey::text("TYPELIBX"), kOne));
}

TEST(PeResources, HashTextsThatAreNotSmallNumbersAreNames) {
    EXPECT_EQ(ResourceKey::text("#10").id, std::optional<std::uint16_t>(10));
    EXPECT_EQ(ResourceKey::text("#65535").id, std::optional<std::uint16_t>(65535));
    EXPECT_FALSE(ResourceKey::text("#65536").id);
    EXPECT_FALSE(ResourceKey::text("#").id);
    EXPECT_FALSE(ResourceKey::text("#1a").id);
    EXPECT_EQ(ResourceKey::text("#1a").name, "#1a");
}

TEST(PeResources, PrefersTheNeutralLanguageElseTakesTheFirstListed) {
    std::vector<PeResource> both = {
        PeResource{.type = std::uint16_t{10},
                   .name = std::uint16_t{1},
                   .language = 1033,
                   .data = "english"},
        PeResource{
            .type = std::uint16_t{10}, .name = std::uint16_t{1}, .language = 0, .data = "neutral"},
    };
    EXPECT_EQ(find(buildPe(both).bytes, kRawData, kOne), "neutral");
    both.pop_back();
    both.push_back(
        {.type = std::uint16_t{10}, .name = std::uint16_t{1}, .language = 1031, .data = "german"});
    EXPECT_EQ(find(buildPe(both).bytes, kRawData, kOne), "english");
}

TEST(PeResources, MapsResourceBytesKeptInAnotherSection) {
    PeImage img = buildPe(sample(), PeOptions{.dataInOwnSection = true});
    auto headers = readPeHeaders(img.bytes);
    ASSERT_TRUE(headers);
    ASSERT_EQ(headers->sections.size(), 3u);
    EXPECT_EQ(find(img.bytes, kRawData, kOne), "first record");
    EXPECT_EQ(find(img.bytes, ResourceKey::text("TYPELIB"), kOne), "library");
}

TEST(PeResources, MissingOrEmptyResourcesAreNothing) {
    std::vector<PeResource> res = sample();
    res.push_back({.type = std::uint16_t{6}, .name = std::uint16_t{1}, .data = ""});
    std::string image = buildPe(res).bytes;
    EXPECT_FALSE(find(image, kRawData, ResourceKey::number(3)));
    EXPECT_FALSE(find(image, ResourceKey::number(11), kOne));
    EXPECT_FALSE(find(image, ResourceKey::number(6), kOne));  // present but empty
    EXPECT_FALSE(find(buildPe({}).bytes, kRawData, kOne));    // no resources at all
}

TEST(PeResources, BytesThatAreNoImageFindNothing) {
    for (std::string bytes : {std::string(), std::string("MZ"), std::string(64, 'M'),
                              std::string("MSFT") + "x", std::string(4096, '\0')}) {
        EXPECT_FALSE(readPeHeaders(bytes));
        EXPECT_FALSE(findResource(bytes, kRawData, kOne));
    }
    PeImage img = buildPe(sample());
    std::string badSignature = img.bytes;
    badSignature[img.peHeader + 1] = 'F';
    EXPECT_FALSE(readPeHeaders(badSignature));
    std::string badMagic = img.bytes;
    put16(badMagic, img.optionalHeader, 0x107);  // a ROM image: not loadable
    EXPECT_FALSE(readPeHeaders(badMagic));
}

TEST(PeResources, AnImageWithoutAResourceDirectoryEntryHasNoResources) {
    PeImage img = buildPe(sample());
    std::string few = img.bytes;
    put32(few, img.optionalHeader + 92, 2);  // only export and import directories
    auto headers = readPeHeaders(few);
    ASSERT_TRUE(headers);
    EXPECT_EQ(headers->resourceRva, 0u);
    EXPECT_FALSE(find(few, kRawData, kOne));

    // An optional header too small to hold the third directory, whatever the count says.
    std::string small = img.bytes;
    put16(small, img.peHeader + 4 + 16, 96 + 16);
    // The section table moves with the header size; the image no longer has a valid one at the
    // new place, or has one without resources. Either way nothing is found and nothing breaks.
    EXPECT_FALSE(find(small, kRawData, kOne));
}

TEST(PeResources, RvaMappingStaysInsideSectionsAndFile) {
    PeImage img = buildPe(sample());
    auto h = readPeHeaders(img.bytes);
    ASSERT_TRUE(h);
    const std::uint64_t size = img.bytes.size();
    EXPECT_EQ(rvaToFileOffset(*h, 0x2000, 16, size), std::optional<std::uint64_t>(0x400));
    EXPECT_EQ(rvaToFileOffset(*h, 0x1004, 4, size), std::optional<std::uint64_t>(0x204));
    EXPECT_FALSE(rvaToFileOffset(*h, 0x0FFF, 1, size));            // in the headers
    EXPECT_FALSE(rvaToFileOffset(*h, 0x11FF, 2, size));            // runs past the code section
    EXPECT_FALSE(rvaToFileOffset(*h, 0x2000, 0xFFFFFFFFu, size));  // huge length
    EXPECT_FALSE(rvaToFileOffset(*h, 0xFFFFFFFFu, 1, size));
    EXPECT_FALSE(rvaToFileOffset(*h, 0x2000, 16, 0x404));  // the file ends early

    PeHeaders wild;
    wild.sections.push_back({.virtualAddress = 0x1000,
                             .virtualSize = 0xFFFFFFFF,
                             .rawSize = 0xFFFFFFFF,
                             .rawOffset = 0xFFFFFFF0});
    EXPECT_FALSE(rvaToFileOffset(wild, 0x1010, 0x100, size));
}

TEST(PeResources, OffsetsPointingOutsideTheFileFindNothing) {
    PeImage img = buildPe(sample());
    auto damaged = [&](auto&& change) {
        std::string b = img.bytes;
        change(b);
        return find(b, kRawData, kOne);
    };
    EXPECT_FALSE(damaged([&](std::string& b) { put32(b, 0x3C, 0xFFFFFFF0u); }));
    EXPECT_FALSE(
        damaged([&](std::string& b) { put32(b, 0x3C, static_cast<std::uint32_t>(b.size() - 2)); }));
    EXPECT_FALSE(damaged([&](std::string& b) { put16(b, img.peHeader + 6, 0xFFFF); }));
    EXPECT_FALSE(damaged([&](std::string& b) { put16(b, img.peHeader + 20, 0xFFFF); }));
    // The resource directory placed outside every section.
    EXPECT_FALSE(
        damaged([&](std::string& b) { put32(b, img.optionalHeader + 96 + 16, 0x7FFF0000); }));
    // The resource section's file data claimed far beyond the end of the file.
    EXPECT_FALSE(
        damaged([&](std::string& b) { put32(b, img.sectionTable + 40 + 20, 0xFFFFFE00u); }));
    // The data entry: bytes outside the image, a size that wraps, a size beyond the section.
    EXPECT_FALSE(damaged([&](std::string& b) { put32(b, img.dataEntry[0], 0xFFFFFFF0u); }));
    EXPECT_FALSE(damaged([&](std::string& b) { put32(b, img.dataEntry[0] + 4, 0xFFFFFFFFu); }));
    EXPECT_FALSE(damaged([&](std::string& b) { put32(b, img.dataEntry[0] + 4, 0x10000); }));
    // The language entry points past the tree.
    EXPECT_FALSE(damaged([&](std::string& b) { put32(b, img.languageEntry[0] + 4, 0x7FFFFFF0); }));
    // The root claims more entries than the tree holds: a search for a type it does not have
    // runs to the tree's end and stops there.
    std::string counted = img.bytes;
    put16(counted, img.resourceTree + 12, 0xFFFF);
    put16(counted, img.resourceTree + 14, 0xFFFF);
    EXPECT_FALSE(find(counted, ResourceKey::number(11), kOne));
    EXPECT_FALSE(find(counted, ResourceKey::text("MISSING"), kOne));
}

TEST(PeResources, NameStringsOutsideTheTreeMatchNothing) {
    PeImage img = buildPe(sample());
    // The root's first entry is the named type; send its name far off.
    std::string b = img.bytes;
    put32(b, img.resourceTree + 16, 0x80000000u | 0x7FFFFF00u);
    EXPECT_FALSE(find(b, ResourceKey::text("TYPELIB"), kOne));
    EXPECT_EQ(find(b, kRawData, kOne), "first record");  // the numbered types still work
    // A name whose length runs past the end of the tree.
    std::string longName = img.bytes;
    std::uint32_t nameAt = test::get32(img.bytes, img.resourceTree + 16) & 0x7FFFFFFF;
    put16(longName, img.resourceTree + nameAt, 7);  // "TYPELIB" length kept: still fine
    EXPECT_EQ(find(longName, ResourceKey::text("TYPELIB"), kOne), "library");
    put16(longName, img.resourceTree + nameAt, 0xFFFF);
    EXPECT_FALSE(find(longName, ResourceKey::text("TYPELIB"), kOne));
}

TEST(PeResources, AResourceTreeThatLoopsEndsTheSearch) {
    PeImage img = buildPe(sample());
    // The language entry points back at the root directory instead of a data entry.
    std::string loop = img.bytes;
    put32(loop, img.languageEntry[0] + 4, 0x80000000u);
    EXPECT_FALSE(find(loop, kRawData, kOne));
    // The root's entry for type 10 points at the root itself: the name level then sees the
    // types, where there is no entry numbered 1.
    std::string self = img.bytes;
    for (std::size_t e = img.resourceTree + 16; e < img.resourceTree + 16 + 8 * 2; e += 8)
        if (test::get32(self, e) == 10) put32(self, e + 4, 0x80000000u);
    EXPECT_FALSE(find(self, kRawData, kOne));
    // A data entry where a directory belongs.
    std::string flat = img.bytes;
    for (std::size_t e = img.resourceTree + 16; e < img.resourceTree + 16 + 8 * 2; e += 8)
        if (test::get32(flat, e) == 10) put32(flat, e + 4, 0x10);
    EXPECT_FALSE(find(flat, kRawData, kOne));
}

TEST(PeResources, EveryTruncationOfAValidImageIsHarmless) {
    for (bool plus : {false, true}) {
        for (bool apart : {false, true}) {
            PeImage img = buildPe(sample(), PeOptions{.pe32Plus = plus, .dataInOwnSection = apart});
            std::size_t whole = 0;
            for (std::size_t len = 0; len <= img.bytes.size(); ++len) {
                std::string cut = img.bytes.substr(0, len);
                auto found = find(cut, kRawData, kOne);
                // Whatever is found is the record itself, never bytes from elsewhere.
                if (found) {
                    EXPECT_EQ(*found, "first record") << "length " << len;
                    ++whole;
                }
            }
            // Once the record's bytes are in, it is found: the last byte it needs is what counts.
            EXPECT_EQ(whole, img.bytes.size() + 1 - (img.data[0] + 12)) << plus << apart;
        }
    }
}
