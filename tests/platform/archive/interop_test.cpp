// Other tools must open what the engine writes: 7-Zip for every level with and without a
// password, Info-ZIP's unzip for archives without one (it cannot read AES entries).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

#include "platform/archive/archive_test_support.h"
#include "platform/archive/libzip_engine.h"
#include "support/temp_dir.h"

namespace arkstash::archive {
namespace {

bool haveTool(const char* name) {
    std::string cmd = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

// Runs a shell command, answering its exit status and putting its output into `output`.
int runTool(const std::string& command, std::string* output = nullptr) {
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p) return -1;
    std::string out;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    int status = ::pclose(p);
    if (output) *output = out;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string shellQuoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class InteropBase {
  protected:
    test::TempDir dir;
    std::vector<std::pair<std::string, std::string>> originals;  // entry name, content

    std::string build(int level, const std::string& password) {
        originals = {
            {"Project1.vbp", "Type=Exe\r\nForm=Forms\\Form1.frm\r\n"},
            {"Forms/Form1.frm", test::sourceText(3000)},
            {"Forms/Form1.frx", test::randomBytes(200000, 42)},  // packed data: stored blocks
            {"Empty.txt", ""},
            {"Forms/\xC3\x84nderung.bas", "Attribute VB_Name = \"Aenderung\"\r\n"}};
        std::vector<std::string> files;
        for (const auto& [name, content] : originals)
            files.push_back(dir.write("src/" + name, content));
        std::string archive = dir / "out/Project1.zip";
        std::filesystem::create_directories(dir / "out");
        EXPECT_EQ(test::writeArchive(files, archive, level, password).outcome, Outcome::Complete);
        return archive;
    }

    void expectExtracted(const std::string& folder) {
        for (const auto& [name, content] : originals) {
            std::string rel = folder + "/" + name;
            ASSERT_TRUE(dir.exists(rel)) << rel;
            EXPECT_TRUE(dir.read(rel) == content) << rel << " differs";
        }
    }
};

class SevenZipInteropTest : public InteropBase,
                            public ::testing::TestWithParam<std::tuple<int, bool>> {};
class InfoZipInteropTest : public InteropBase, public ::testing::TestWithParam<int> {};

TEST_P(SevenZipInteropTest, TestsAndExtractsEveryEntry) {
    if (!haveTool("7zz")) GTEST_SKIP() << "7zz is not installed";
    auto [level, withPassword] = GetParam();
    if (withPassword && !LibzipEngine::aesSupported()) GTEST_SKIP() << "libzip without AES";
    std::string password = withPassword ? "Pa55 w0rd" : "";
    std::string archive = build(level, password);
    // The password goes on 7zz's command line here only because this is a throwaway test one.
    std::string pw = " -p" + shellQuoted(password);
    std::string out;
    ASSERT_EQ(runTool("7zz t -bd" + pw + " " + shellQuoted(archive), &out), 0) << out;
    EXPECT_NE(out.find("Everything is Ok"), std::string::npos) << out;
    ASSERT_EQ(
        runTool("7zz x -bd -y" + pw + " -o" + shellQuoted(dir / "x7") + " " + shellQuoted(archive),
                &out),
        0)
        << out;
    expectExtracted("x7");
    if (withPassword) {
        EXPECT_NE(runTool("7zz t -bd -pwrong " + shellQuoted(archive), &out), 0) << out;
        EXPECT_NE(runTool("7zz t -bd -p " + shellQuoted(archive) + " </dev/null", &out), 0) << out;
    }
}

TEST_P(InfoZipInteropTest, TestsAndExtractsArchivesWithoutPassword) {
    if (!haveTool("unzip")) GTEST_SKIP() << "unzip is not installed";
    std::string archive = build(GetParam(), "");
    std::string out;
    ASSERT_EQ(runTool("unzip -t " + shellQuoted(archive), &out), 0) << out;
    EXPECT_NE(out.find("No errors detected"), std::string::npos) << out;
    ASSERT_EQ(
        runTool("unzip -q -o " + shellQuoted(archive) + " -d " + shellQuoted(dir / "xu"), &out), 0)
        << out;
    expectExtracted("xu");
}

INSTANTIATE_TEST_SUITE_P(Levels, SevenZipInteropTest,
                         ::testing::Combine(::testing::Values(0, 1, 6, 9), ::testing::Bool()),
                         [](const auto& info) {
                             return "Level" + std::to_string(std::get<0>(info.param)) +
                                    (std::get<1>(info.param) ? "Password" : "Open");
                         });
// Info-ZIP cannot read AES entries, so only archives without a password go to it.
INSTANTIATE_TEST_SUITE_P(Levels, InfoZipInteropTest, ::testing::Values(0, 1, 6, 9),
                         [](const auto& info) { return "Level" + std::to_string(info.param); });

}  // namespace
}  // namespace arkstash::archive
