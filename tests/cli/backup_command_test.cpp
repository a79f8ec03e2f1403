#include <gtest/gtest.h>
#include <zip.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "cli/cli.h"
#include "platform/archive/archive_test_support.h"
#include "platform/archive/libzip_engine.h"
#include "platform/registry/hive_registry.h"
#include "platform/registry/reg_helpers.h"
#include "support/temp_dir.h"

namespace arkstash::cli {
namespace {

namespace fs = std::filesystem;

class BackupCommandTest : public ::testing::Test {
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
    std::string group, outDir;

    void SetUp() override {
        // A copy of the example group, so nothing is written next to the sources.
        fs::copy(fs::path(ARKSTASH_SOURCE_DIR) / "examples/StockControl", dir / "StockControl",
                 fs::copy_options::recursive);
        group = dir / "StockControl/StockControl.vbg";
        outDir = dir / "out";
        env["ARKSTASH_HOME"] = dir / "home";
    }

    int backup(std::vector<std::string> extra, bool withDir = true) {
        out.str("");
        err.str("");
        std::vector<std::string> args{"backup", group};
        if (withDir) args.insert(args.end(), {"--dir", outDir});
        args.insert(args.end(), extra.begin(), extra.end());
        return run(args, io);
    }
    std::string archive() const { return outDir + "/StockControl.zip"; }
    std::string stored(const std::string& name) {
        registry::HiveRegistry hive(dir / "home");
        return registry::RegRead(hive, registry::Root::CurrentUser, registry::kSettingsKey, name,
                                 "(none)");
    }
};

TEST_F(BackupCommandTest, BacksUpTheExampleGroupFileForFile) {
    ASSERT_EQ(backup({"--no-date"}), kExitOk) << err.str();
    EXPECT_EQ(out.str(), "Backup written: " + archive() + " (22 files, verified)\n");
    auto entries = test::readArchive(archive());
    // The group's files and the one reference whose library is found (the type library beside
    // the project; the others resolve to no file and are not ticked).
    ASSERT_EQ(entries.size(), 22u);
    std::map<std::string, std::string> byName;
    for (const auto& e : entries) byName[e.name] = e.data;
    for (const char* rel :
         {"StockControl.vbg", "StockControl.vbp", "frmStock.frx", "StockGrid/ctlStockGrid.ctl",
          "StockControl.res", "Lib/StockTypes.tlb"}) {
        ASSERT_TRUE(byName.count(rel)) << rel;
        EXPECT_EQ(byName[rel], dir.read(std::string("StockControl/") + rel)) << rel;
    }
    // Plain progress lines and the window's messages go to stderr.
    EXPECT_NE(err.str().find("Adding: " + dir / "StockControl/frmStock.frx\n"), std::string::npos);
    EXPECT_NE(err.str().find("Checking the archive\n"), std::string::npos);
    EXPECT_NE(err.str().find("arkstash: Project backup completed\n"), std::string::npos);
    EXPECT_EQ(test::folderNames(outDir), std::vector<std::string>{"StockControl.zip"});
}

TEST_F(BackupCommandTest, AnExistingArchiveIsReplacedOnlyWhenTheAnswerIsYes) {
    fs::create_directories(outDir);
    std::ofstream(archive()) << "previous";

    // No terminal to ask at, no --yes: the answer is No.
    EXPECT_EQ(backup({"--no-date"}), kExitNoArchive);
    EXPECT_NE(err.str().find(archive() + " exists; give --yes to replace it"), std::string::npos);
    EXPECT_EQ(dir.read("out/StockControl.zip"), "previous");

    io.inIsTerminal = true;
    in.str("n\n");
    EXPECT_EQ(backup({"--no-date"}), kExitNoArchive);
    EXPECT_NE(err.str().find("Backup file exists, overwrite? [y/N] "), std::string::npos);
    EXPECT_EQ(dir.read("out/StockControl.zip"), "previous");

    in.clear();
    in.str("y\n");
    EXPECT_EQ(backup({"--no-date"}), kExitOk) << err.str();
    EXPECT_EQ(test::readArchive(archive()).size(), 22u);

    io.inIsTerminal = false;
    EXPECT_EQ(backup({"--no-date", "--yes"}), kExitOk) << err.str();
}

TEST_F(BackupCommandTest, OptionsHoldForThisRunAndAreNotStored) {
    ASSERT_EQ(backup({"--no-date", "--level", "none", "--no-references"}), kExitOk) << err.str();
    auto entries = test::readArchive(archive());
    EXPECT_EQ(entries.size(), 21u);
    for (const auto& e : entries) {
        EXPECT_EQ(e.method, ZIP_CM_STORE) << e.name;
        EXPECT_NE(e.name, "Lib/StockTypes.tlb");
    }
    EXPECT_EQ(stored("CompFactor"), "Normal");
    EXPECT_EQ(stored("AddRef"), "001");
    EXPECT_EQ(stored("AddDate"), "000");
    // The backup folder kept for the project is still its own folder, not --dir.
    EXPECT_EQ(stored(dir / "StockControl/StockControl.vbp"), dir / "StockControl/");

    ASSERT_EQ(backup({"--date", "--level", "maximum"}), kExitOk) << err.str();
    std::vector<std::string> names = test::folderNames(outDir);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], "StockControl.zip");
    EXPECT_TRUE(
        std::regex_match(names[1], std::regex(R"(StockControl_\d\d-\d\d-\d{4}_\d{6}\.zip)")))
        << names[1];
    EXPECT_EQ(stored("AddDate"), "000");
    EXPECT_EQ(stored("CompFactor"), "Normal");
}

TEST_F(BackupCommandTest, WithoutDirTheStoredFolderIsUsed) {
    ASSERT_EQ(backup({"--no-date"}, false), kExitOk) << err.str();
    EXPECT_TRUE(dir.exists("StockControl/StockControl.zip"));
}

TEST_F(BackupCommandTest, APasswordFromTheEnvironmentEncryptsEveryEntry) {
    if (!archive::LibzipEngine::aesSupported()) GTEST_SKIP();
    env["STOCK_PW"] = "n0t on the command line";
    ASSERT_EQ(backup({"--no-date", "--password-env", "STOCK_PW"}), kExitOk) << err.str();
    auto entries = test::readArchive(archive(), "n0t on the command line");
    ASSERT_EQ(entries.size(), 22u);
    for (const auto& e : entries) EXPECT_EQ(e.encryption, ZIP_EM_AES_256) << e.name;
    EXPECT_EQ(out.str().find("n0t on"), std::string::npos);
    EXPECT_EQ(err.str().find("n0t on"), std::string::npos);
    EXPECT_EQ(dir.read("home/user.reg").find("n0t on"), std::string::npos);
}

TEST_F(BackupCommandTest, APromptedPasswordMustBeTypedTwiceAlike) {
    io.inIsTerminal = true;
    in.str("first\nsecond\n");
    EXPECT_EQ(backup({"--no-date", "--ask-password"}), kExitUsage);
    EXPECT_NE(err.str().find("the two passwords differ"), std::string::npos);
    EXPECT_FALSE(dir.exists("out/StockControl.zip"));

    if (!archive::LibzipEngine::aesSupported()) return;
    in.clear();
    in.str("same one\nsame one\n");
    EXPECT_EQ(backup({"--no-date", "--ask-password"}), kExitOk) << err.str();
    EXPECT_EQ(test::readArchive(archive(), "same one")[0].encryption, ZIP_EM_AES_256);
    EXPECT_EQ(err.str().find("same one"), std::string::npos);
}

TEST_F(BackupCommandTest, ADryRunWritesNothing) {
    EXPECT_EQ(backup({"--no-date", "--dry-run"}), kExitOk) << err.str();
    EXPECT_EQ(out.str().rfind("Would write " + archive() + ", level 6, no password\n", 0), 0u)
        << out.str();
    EXPECT_NE(out.str().find("  StockGrid/ctlStockGrid.ctx  (84 bytes)  from "), std::string::npos);
    EXPECT_NE(out.str().find("\n22 files, "), std::string::npos);
    EXPECT_FALSE(dir.exists("out/StockControl.zip"));

    fs::create_directories(outDir);
    std::ofstream(archive()) << "previous";
    EXPECT_EQ(backup({"--no-date", "--dry-run"}), kExitOk);
    EXPECT_NE(out.str().find("(replacing the existing archive)"), std::string::npos);
    EXPECT_EQ(dir.read("out/StockControl.zip"), "previous");
}

TEST_F(BackupCommandTest, AFileThatCannotBeReadGivesStatusThree) {
    // The kernel lists this file as an ordinary one, but reading it fails.
    std::string vbp = dir.write("P/P.vbp",
                                "Type=Exe\r\nModule=m; m.bas\r\nRelatedDoc=/proc/self/mem\r\n"
                                "Name=\"P\"\r\n");
    dir.write("P/m.bas", "Attribute VB_Name = \"m\"\r\n");
    group = vbp;
    EXPECT_EQ(backup({"--no-date"}), kExitFilesSkipped);
    // The archive that lacks a file does not take the name of a complete one.
    EXPECT_EQ(out.str(),
              "Backup written: " + outDir + "/P.incomplete.zip (2 files, verified; 1 skipped)\n");
    EXPECT_NE(err.str().find("arkstash: Warning: Not a regular file, not read: /proc/self/mem"),
              std::string::npos);
    EXPECT_EQ(test::readArchive(outDir + "/P.incomplete.zip").size(), 2u);
}

TEST_F(BackupCommandTest, NoArchiveWrittenIsStatusOne) {
    // The folder's parent does not exist, so the folder cannot be made either.
    outDir = dir / "missing/parent";
    EXPECT_EQ(backup({"--no-date"}), kExitNoArchive);
    EXPECT_NE(err.str().find("arkstash: The archive could not be written"), std::string::npos)
        << err.str();
    EXPECT_TRUE(out.str().empty());
    EXPECT_FALSE(dir.exists("missing"));
}

TEST_F(BackupCommandTest, BadUsageIsStatusTwo) {
    EXPECT_EQ(backup({"--level", "fast"}), kExitUsage);
    EXPECT_EQ(backup({"--password", "x"}), kExitUsage);
    group = dir / "none.vbp";
    EXPECT_EQ(backup({}), kExitUsage);
    EXPECT_NE(err.str().find("cannot load"), std::string::npos);
    out.str("");
    EXPECT_EQ(run({"backup"}, io), kExitUsage);
    EXPECT_EQ(run({"backup", "--help"}, io), kExitOk);
    EXPECT_NE(out.str().find("3 archive written and verified but files were skipped"),
              std::string::npos);
}

TEST_F(BackupCommandTest, AtATerminalTheProgressIsOneLineRedrawn) {
    io.errIsTerminal = true;
    ASSERT_EQ(backup({"--no-date"}), kExitOk) << err.str();
    const std::string e = err.str();
    EXPECT_EQ(e.find("Adding: /"), std::string::npos);
    EXPECT_NE(e.find("\r["), std::string::npos);
    EXPECT_NE(e.find("100% Checking"), std::string::npos);
    // The bar is taken off its line before anything else is written.
    EXPECT_NE(e.find("\r\x1b[Karkstash: Project backup completed\n"), std::string::npos);
}

}  // namespace
}  // namespace arkstash::cli
