#include "platform/typelib/type_library.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/error.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"

using namespace arkstash;
using namespace arkstash::typelib;
using test::buildPe;
using test::msftTypeLib;
using test::PeOptions;
using test::PeResource;

namespace {

long errorNumber(std::string_view bytes) {
    try {
        typeLibInfoFromBytes(bytes);
    } catch (const PlatformError& e) {
        return e.number();
    }
    return 0;
}

PeResource typelibResource(std::string data, std::uint16_t id = 1) {
    return {.type = std::string("TYPELIB"), .name = id, .data = std::move(data)};
}

}  // namespace

TEST(TypeLibrary, HeaderGivesVersionFromItsWordsAndTheRegisteredLocale) {
    auto info = readTypeLibHeader(msftTypeLib(2, 10, 0x407));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->MajorVersion, 2);
    EXPECT_EQ(info->MinorVersion, 10);
    EXPECT_EQ(info->LCID, 0x407u);  // not the internal English locale

    auto wide = readTypeLibHeader(msftTypeLib(0xFFFF, 0x8001, 0));
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->MajorVersion, 0xFFFF);
    EXPECT_EQ(wide->MinorVersion, 0x8001);
    EXPECT_EQ(wide->LCID, 0u);
}

TEST(TypeLibrary, HeaderNeedsItsSignatureAndFullLength) {
    std::string lib = msftTypeLib(1, 0, 0);
    EXPECT_TRUE(readTypeLibHeader(lib.substr(0, 84)));
    for (std::size_t len = 0; len < 84; ++len) EXPECT_FALSE(readTypeLibHeader(lib.substr(0, len)));
    std::string other = lib;
    other[0] = 'S';  // "SSFT"
    EXPECT_FALSE(readTypeLibHeader(other));
    std::string sltg = lib;
    sltg.replace(0, 4, "SLTG");  // the older compact format is not read
    EXPECT_FALSE(readTypeLibHeader(sltg));
}

TEST(TypeLibrary, ReadsALibraryEmbeddedInAProgramFile) {
    for (bool plus : {false, true}) {
        std::string image =
            buildPe({PeResource{.type = std::uint16_t{10}, .name = std::uint16_t{1}, .data = "x"},
                     typelibResource(msftTypeLib(1, 10, 0))},
                    PeOptions{.pe32Plus = plus})
                .bytes;
        TypeLibInfo info = typeLibInfoFromBytes(image);
        EXPECT_EQ(info.MajorVersion, 1);
        EXPECT_EQ(info.MinorVersion, 10);
        EXPECT_EQ(info.LCID, 0u);
    }
    EXPECT_EQ(typeLibInfoFromBytes(msftTypeLib(3, 1, 9)).MajorVersion, 3);  // a bare one
}

TEST(TypeLibrary, ReportsWhatItCannotLoadByTheLoadersNumbers) {
    // A program file without a type library, or with only a second one.
    std::string none =
        buildPe({PeResource{.type = std::uint16_t{10}, .name = std::uint16_t{1}, .data = "x"}})
            .bytes;
    EXPECT_EQ(errorNumber(none), kCantLoadLibrary);
    EXPECT_EQ(errorNumber(buildPe({typelibResource(msftTypeLib(1, 0, 0), 2)}).bytes),
              kCantLoadLibrary);
    // A "TYPELIB" resource that holds no library, and files that are none.
    EXPECT_EQ(errorNumber(buildPe({typelibResource("not a library")}).bytes), kUnsupportedFormat);
    EXPECT_EQ(errorNumber(""), kUnsupportedFormat);
    EXPECT_EQ(errorNumber("just some text, long enough to be mistaken for nothing at all........"
                          "............................"),
              kUnsupportedFormat);
}

TEST(TypeLibrary, EveryTruncationOfAnEmbeddingImageIsHarmless) {
    test::PeImage img = buildPe({typelibResource(msftTypeLib(4, 2, 0))});
    for (std::size_t len = 0; len <= img.bytes.size(); ++len) {
        std::string cut = img.bytes.substr(0, len);
        long n = errorNumber(cut);
        if (n == 0) {
            EXPECT_EQ(typeLibInfoFromBytes(cut).MajorVersion, 4) << len;
            EXPECT_GE(len, img.data[0] + 84);
        } else {
            EXPECT_TRUE(n == kCantLoadLibrary || n == kUnsupportedFormat) << len;
        }
    }
}

TEST(TypeLibrary, FilesThatCannotBeReadFailWithTheLoadNumber) {
    test::TempDir dir;
    os::PosixFileSystem fs;
    std::string lib = dir.write("lib.tlb", msftTypeLib(5, 0, 0));
    EXPECT_EQ(TypeLibInfoFromFile(fs, lib).MajorVersion, 5);
    std::string fifo = dir / "pipe.ocx";  // must fail at once, not wait for a writer
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    for (std::string path : {dir / "missing.tlb", dir.str(), fifo, dir.write("empty.tlb", "")}) {
        SCOPED_TRACE(path);
        try {
            TypeLibInfoFromFile(fs, path);
            ADD_FAILURE() << "loaded";
        } catch (const PlatformError& e) {
            EXPECT_TRUE(e.number() == kCantLoadLibrary || e.number() == kUnsupportedFormat);
            if (path != dir / "empty.tlb") EXPECT_EQ(e.number(), kCantLoadLibrary);
        }
    }
}
