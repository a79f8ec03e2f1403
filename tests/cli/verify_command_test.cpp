#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

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

}  // namespace
}  // namespace arkstash::cli
