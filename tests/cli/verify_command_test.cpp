#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include <zip.h>

#include "cli/cli.h"
#include "platform/archive/archive_test_support.h"
#include "platform/archive/libzip_engine.h"
#include "support/temp_dir.h"

namespace arkstash::cli {
namespace {

class VerifyCommandTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    std::ostringstream out, err;
    std::istringstream in;
    std::map<std::string, std::string> env;
    Io io{
        out, err, in, false, false, [this](const std::string& name) -> std::optional<std::string> {
            auto it = env.find(name);
            if (it == env.end()) return std::nullopt;
            return it->second;
        }};

    std::string makeArchive(const std::string& password = {}) {
        test::writeArchive({dir.write("p/Main.frm", test::sourceText(300)),
                            dir.write("p/Main.frx", test::randomBytes(30000, 6))},
                           dir / "A.zip", 6, password);
        return dir / "A.zip";
    }
    // An archive written by libzip directly, each entry with its own encryption (ZIP_EM_...).
    std::string makeMixed(const std::vector<std::pair<std::string, std::uint16_t>>& entries,
                          const std::string& password) {
        std::string path = dir / "M.zip";
        int err = 0;
        zip_t* za = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
        for (const auto& [name, encryption] : entries) {
            static const std::string data = test::sourceText(20);
            zip_source_t* src = zip_source_buffer(za, data.data(), data.size(), 0);
            zip_int64_t i = zip_file_add(za, name.c_str(), src, 0);
            if (encryption != ZIP_EM_NONE)
                zip_file_set_encryption(za, static_cast<zip_uint64_t>(i), encryption,
                                        password.c_str());
        }
        EXPECT_EQ(zip_close(za), 0);
        return path;
    }
    int verify(std::vector<std::string> extra) {
        std::vector<std::string> args{"verify"};
        args.insert(args.end(), extra.begin(), extra.end());
        return run(args, io);
    }
};

TEST_F(VerifyCommandTest, AGoodArchivePasses) {
    auto a = makeArchive();
    EXPECT_EQ(verify({a}), kExitOk) << err.str();
    EXPECT_EQ(out.str(), a + ": OK, 2 entries, " +
                             std::to_string(test::sourceText(300).size() + 30000) +
                             " bytes checked\n");
    // Not a terminal: a plain line, no bar drawn in place.
    EXPECT_EQ(err.str(), "Checking the archive\n");
}

TEST_F(VerifyCommandTest, ADamagedEntryIsNamed) {
    auto a = makeArchive();
    std::string bytes = dir.read("A.zip");
    auto second = bytes.find(std::string("PK\x03\x04", 4), 4);
    ASSERT_NE(second, std::string::npos);
    bytes[second + 30 + 8 + 15000] ^= 0x08;
    std::ofstream(a, std::ios::binary | std::ios::trunc) << bytes;
    EXPECT_EQ(verify({a}), kExitNoArchive);
    EXPECT_NE(out.str().find(a + ": Main.frx: "), std::string::npos) << out.str();
    EXPECT_EQ(out.str().find("Main.frm"), std::string::npos);
    EXPECT_NE(err.str().find("1 of 2 entries cannot be restored"), std::string::npos);
}

TEST_F(VerifyCommandTest, SomethingThatIsNoArchiveFails) {
    EXPECT_EQ(verify({dir / "none.zip"}), kExitNoArchive);
    EXPECT_NE(err.str().find("the archive cannot be read"), std::string::npos);
    EXPECT_EQ(verify({}), kExitUsage);
}

TEST_F(VerifyCommandTest, AnEncryptedArchiveNeedsItsPassword) {
    if (!archive::LibzipEngine::aesSupported()) GTEST_SKIP();
    auto a = makeArchive("correct horse");
    EXPECT_EQ(verify({a}), kExitNoArchive);
    EXPECT_NE(err.str().find("give its password"), std::string::npos);

    env["ARK_PW"] = "correct horse";
    out.str("");
    EXPECT_EQ(verify({a, "--password-env", "ARK_PW"}), kExitOk) << out.str();
    EXPECT_NE(out.str().find("(AES-256 encrypted)"), std::string::npos);

    dir.write("pw.txt", "correct horsE\n");
    out.str("");
    EXPECT_EQ(verify({a, "--password-file", dir / "pw.txt"}), kExitNoArchive);
    EXPECT_NE(out.str().find("wrong password"), std::string::npos) << out.str();

    dir.write("pw.txt", "correct horse\r\nsecond line ignored\n");
    EXPECT_EQ(verify({a, "--password-file", dir / "pw.txt"}), kExitOk);
    // The password is never shown.
    EXPECT_EQ(out.str().find("correct horse"), std::string::npos);
    EXPECT_EQ(err.str().find("correct horse"), std::string::npos);
}

TEST_F(VerifyCommandTest, AtATerminalThePasswordIsAskedFor) {
    if (!archive::LibzipEngine::aesSupported()) GTEST_SKIP();
    auto a = makeArchive("typed secret");
    io.inIsTerminal = true;
    in.str("typed secret\n");
    EXPECT_EQ(verify({a, "--ask-password"}), kExitOk) << out.str();
    EXPECT_NE(err.str().find("Password: "), std::string::npos);
    EXPECT_EQ(err.str().find("typed secret"), std::string::npos);

    // With no option at all, an encrypted archive makes it ask too.
    in.clear();
    in.str("typed secret\n");
    err.str("");
    EXPECT_EQ(verify({a}), kExitOk) << out.str();
    EXPECT_NE(err.str().find("Password: "), std::string::npos);
}

TEST_F(VerifyCommandTest, PasswordSourcesThatCannotGiveOneAreUsageErrors) {
    auto a = makeArchive();
    EXPECT_EQ(verify({a, "--ask-password"}), kExitUsage);  // no terminal
    EXPECT_NE(err.str().find("needs a terminal"), std::string::npos);
    EXPECT_EQ(verify({a, "--password-env", "UNSET_VAR"}), kExitUsage);
    EXPECT_EQ(verify({a, "--password-file", dir / "missing.txt"}), kExitUsage);
    dir.write("empty.txt", "\n");
    EXPECT_EQ(verify({a, "--password-file", dir / "empty.txt"}), kExitUsage);
    EXPECT_EQ(verify({a, "--password-file", dir / "empty.txt", "--password-env", "X"}), kExitUsage);
    // There is no way to put a password itself on the command line.
    EXPECT_EQ(verify({a, "--password", "secret"}), kExitUsage);
}

TEST_F(VerifyCommandTest, EachEntrysEncryptionIsToldTruthfully) {
    if (!archive::LibzipEngine::aesSupported() ||
        !zip_encryption_method_supported(ZIP_EM_TRAD_PKWARE, 1))
        GTEST_SKIP();
    env["PW"] = "pw";
    struct Case {
        std::vector<std::pair<std::string, std::uint16_t>> entries;
        int status;
        std::string out;  // expected in stdout
        std::string err;  // expected in stderr
    } cases[] = {
        {{{"a", ZIP_EM_AES_256}, {"b", ZIP_EM_AES_256}}, kExitOk, "(AES-256 encrypted)", ""},
        {{{"a", ZIP_EM_TRAD_PKWARE}},
         kExitOk,
         "(ZipCrypto encrypted)",
         "1 entry uses traditional ZipCrypto encryption, which is weak"},
        // A plain entry slipped into an archive that should be encrypted is named.
        {{{"a", ZIP_EM_AES_256}, {"added", ZIP_EM_NONE}},
         kExitNoArchive,
         "M.zip: added: not encrypted, though the archive should be",
         "1 of 2 entries are not encrypted, though a password was given"},
    };
    for (const auto& c : cases) {
        out.str("");
        err.str("");
        auto a = makeMixed(c.entries, "pw");
        EXPECT_EQ(verify({a, "--password-env", "PW"}), c.status) << out.str() << err.str();
        EXPECT_NE(out.str().find(c.out), std::string::npos) << out.str();
        EXPECT_NE(err.str().find(c.err), std::string::npos) << err.str();
        EXPECT_EQ(out.str().find("AES-encrypted"), std::string::npos);
    }
    // Without a password a mixed archive says what it holds.
    out.str("");
    makeMixed({{"a", ZIP_EM_TRAD_PKWARE}, {"b", ZIP_EM_NONE}}, "pw");
    EXPECT_EQ(verify({dir / "M.zip"}), kExitNoArchive);
    EXPECT_NE(err.str().find("give its password"), std::string::npos);
}

TEST_F(VerifyCommandTest, WhatCannotBeCheckedIsSaidPlainly) {
    // A folder is no archive, and is not "Operation not supported".
    EXPECT_EQ(verify({dir.str()}), kExitNoArchive);
    EXPECT_NE(out.str().find(": archive: a folder, not an archive"), std::string::npos)
        << out.str();
    // Entries whose method this libzip cannot read are named with the method.
    for (std::uint16_t method : {ZIP_CM_PPMD, ZIP_CM_LZMA}) {
        if (zip_compression_method_supported(method, 0)) continue;
        out.str("");
        err.str("");
        auto a = makeMixed({{"Old.frm", ZIP_EM_NONE}}, "");
        std::string bytes = dir.read("M.zip");
        for (const char* header : {"PK\x03\x04", "PK\x01\x02"}) {
            auto at = bytes.find(std::string(header, 4));
            ASSERT_NE(at, std::string::npos);
            std::size_t field = at + (header[2] == 3 ? 8 : 10);
            bytes[field] = static_cast<char>(method & 0xFF);
            bytes[field + 1] = static_cast<char>(method >> 8);
        }
        std::ofstream(a, std::ios::binary | std::ios::trunc) << bytes;
        EXPECT_EQ(verify({a}), kExitNoArchive);
        std::string name = method == ZIP_CM_PPMD ? "PPMd" : "LZMA";
        EXPECT_NE(out.str().find("Old.frm: uses " + name + ", which this program cannot check"),
                  std::string::npos)
            << out.str();
        EXPECT_NE(err.str().find("1 of 1 entries use a method this program cannot check"),
                  std::string::npos);
    }
}

}  // namespace
}  // namespace arkstash::cli
