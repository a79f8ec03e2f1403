#include "platform/typelib/oca_lookup.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/error.h"
#include "platform/registry/memory_registry.h"
#include "platform/typelib/registration.h"
#include "platform/typelib/type_library.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"

using namespace arkstash;
using namespace arkstash::typelib;
using registry::MemoryRegistry;
using registry::Root;
using test::buildPe;
using test::ocaResources;
using test::PeResource;

namespace {

const std::string kId = "{6B7E6392-850A-101B-AFC0-4210102A8DA7}";

class OcaLookUp : public ::testing::Test {
  protected:
    test::TempDir dir;
    os::PosixFileSystem fs;
    MemoryRegistry classes;

    void SetUp() override { classes.readOnlyRoots.insert(Root::ClassesRoot); }

    void registerLibrary(const std::string& id, const std::string& version, const std::string& file,
                         const std::string& lcid = "0") {
        classes.readOnlyRoots.clear();
        auto h = classes.createKey(Root::ClassesRoot,
                                   "TypeLib\\" + id + "\\" + version + "\\" + lcid + "\\win32");
        classes.setValue(h, "", registry::Value::text(file));
        classes.closeKey(h);
        classes.readOnlyRoots.insert(Root::ClassesRoot);
    }
    std::string writeOca(const std::string& name, const std::vector<PeResource>& res,
                         bool pe32Plus = false) {
        return dir.write(name, buildPe(res, test::PeOptions{.pe32Plus = pe32Plus}).bytes);
    }
    long failureNumber(const std::string& path) {
        try {
            controlFileOfOca(fs, classes, path);
        } catch (const PlatformError& e) {
            return e.number();
        }
        return 0;
    }
};

}  // namespace

TEST_F(OcaLookUp, IdentifierIsCharacters57To94OfTheRecord) {
    std::string image = buildPe(ocaResources(kId, 1, 0, 0)).bytes;
    EXPECT_EQ(ocaLibraryIdentifier(image), kId);

    auto withRecord = [](std::string record) {
        return ocaLibraryIdentifier(buildPe({PeResource{.type = std::uint16_t{10},
                                                        .name = std::uint16_t{1},
                                                        .data = std::move(record)}})
                                        .bytes);
    };
    EXPECT_EQ(withRecord(std::string(56, 'x')), "");                 // ends before it
    EXPECT_EQ(withRecord(std::string(56, 'x') + "{6B7E"), "{6B7E");  // what is there
    EXPECT_EQ(withRecord(std::string(56, 'x') + kId + "tail"), kId);
    EXPECT_FALSE(ocaLibraryIdentifier("not an image"));
    EXPECT_FALSE(ocaLibraryIdentifier(
        buildPe({PeResource{.type = std::uint16_t{10}, .name = std::uint16_t{2}, .data = kId}})
            .bytes));
}

TEST_F(OcaLookUp, FindsTheRegisteredControlUnderTheHexVersion) {
    registerLibrary(kId, "1.A", "C:\\Windows\\System32\\grid.ocx");
    registerLibrary(kId, "1.10", "/wrong/decimal.ocx");
    for (bool plus : {false, true}) {
        std::string oca =
            writeOca(plus ? "grid64.oca" : "grid.oca", ocaResources(kId, 1, 10, 0), plus);
        EXPECT_EQ(controlFileOfOca(fs, classes, oca), "C:\\Windows\\System32\\grid.ocx");
    }
}

TEST_F(OcaLookUp, UsesTheLocaleOfTheOcasOwnLibrary) {
    registerLibrary(kId, "2.0", "/ctl/german.ocx", "1031");
    EXPECT_EQ(controlFileOfOca(fs, classes, writeOca("de.oca", ocaResources(kId, 2, 0, 1031))),
              "/ctl/german.ocx");
    EXPECT_EQ(controlFileOfOca(fs, classes, writeOca("n.oca", ocaResources(kId, 2, 0, 0))), "");
}

TEST_F(OcaLookUp, NoIdentityRecordOrNoRegistrationGivesNothing) {
    registerLibrary(kId, "1.0", "/ctl/x.ocx");
    auto res = ocaResources(kId, 1, 0, 0);
    std::string noRecord = writeOca("norecord.oca", {res[1]});
    EXPECT_EQ(controlFileOfOca(fs, classes, noRecord), "");
    std::string shortRecord = writeOca(
        "short.oca",
        {PeResource{.type = std::uint16_t{10}, .name = std::uint16_t{1}, .data = "x"}, res[1]});
    EXPECT_EQ(controlFileOfOca(fs, classes, shortRecord), "");
    std::string unregistered = writeOca("other.oca", ocaResources(kId, 1, 1, 0));
    EXPECT_EQ(controlFileOfOca(fs, classes, unregistered), "");
}

TEST_F(OcaLookUp, AnIdentifierThatCannotBeAKeyNameFindsNothing) {
    // Registered under a path that a backslash in the record would otherwise reach.
    registerLibrary("{A}\\x", "1.0", "/ctl/escaped.ocx");
    std::string oca = writeOca("slash.oca", ocaResources("{A}\\x", 1, 0, 0));
    EXPECT_EQ(controlFileOfOca(fs, classes, oca), "");
    std::string nul = writeOca("nul.oca", ocaResources(std::string("{A}\0x", 5), 1, 0, 0));
    EXPECT_EQ(controlFileOfOca(fs, classes, nul), "");
}

TEST_F(OcaLookUp, UnreadableTypeLibrariesFailWithTheirNumber) {
    registerLibrary(kId, "1.0", "/ctl/x.ocx");
    auto res = ocaResources(kId, 1, 0, 0);
    EXPECT_EQ(failureNumber(dir / "missing.oca"), kCantLoadLibrary);
    EXPECT_EQ(failureNumber(dir.str()), kCantLoadLibrary);  // a folder
    EXPECT_EQ(failureNumber(writeOca("nolib.oca", {res[0]})), kCantLoadLibrary);
    EXPECT_EQ(failureNumber(dir.write("zero.oca", "")), kUnsupportedFormat);
    EXPECT_EQ(failureNumber(dir.write("text.oca", "hello")), kUnsupportedFormat);

    // Larger than any type library: refused before it is read.
    std::string huge = dir.write("huge.oca", buildPe(res).bytes);
    std::filesystem::resize_file(huge, kMaxTypeLibFileSize + 1);
    EXPECT_EQ(failureNumber(huge), kCantLoadLibrary);
}

TEST_F(OcaLookUp, EveryTruncationIsAnAnswerOrAnError) {
    registerLibrary(kId, "3.1", "/ctl/t.ocx");
    test::PeImage img = buildPe(ocaResources(kId, 3, 1, 0));
    int found = 0;
    for (std::size_t len = 0; len <= img.bytes.size(); len += 53) {
        std::string path = dir.write("cut.oca", img.bytes.substr(0, len));
        try {
            std::string file = controlFileOfOca(fs, classes, path);
            EXPECT_TRUE(file.empty() || file == "/ctl/t.ocx") << len;
            if (!file.empty()) ++found;
        } catch (const PlatformError& e) {
            EXPECT_TRUE(e.number() == kCantLoadLibrary || e.number() == kUnsupportedFormat);
        }
    }
    EXPECT_GT(found, 0);
}
