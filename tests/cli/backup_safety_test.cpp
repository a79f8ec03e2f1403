// What a careless or hostile user can do to `arkstash backup`: every case ends, says what went
// wrong and where, and keeps the last complete archive.
#include <gmock/gmock.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "cli_run.h"
#include "platform/archive/archive_test_support.h"

using namespace arkstash;
using ::testing::HasSubstr;

namespace {

class BackupSafetyTest : public ::testing::Test {
  protected:
    test::TempDir dir, home;
    std::string vbp;
    void SetUp() override {
        vbp = dir.write("P/P.vbp", "Type=Exe\r\nModule=m; m.bas\r\nName=\"P\"\r\n");
        dir.write("P/m.bas", "Attribute VB_Name = \"m\"\r\n");
    }
    test::CliResult run(std::vector<std::string> args) { return test::runCli(args, home); }
};

TEST_F(BackupSafetyTest, APasswordFileMustBeASmallRegularFile) {
    std::filesystem::create_directory(dir / "folder");
    std::string big = dir / "big";
    std::ofstream(big) << std::string(100 * 1024, 'x');
    for (const std::string& file : {dir / "folder", std::string("/dev/zero"), big, dir / "none"}) {
        auto r = run({"backup", vbp, "--yes", "--password-file", file});
        EXPECT_EQ(r.status, cli::kExitUsage) << file;
        EXPECT_THAT(r.err, HasSubstr("cannot read the password file " + file)) << r.err;
    }
}

TEST_F(BackupSafetyTest, ANameTheArchiveCannotTakeNamesItsProjectAndOffersName) {
    std::string odd = dir.write("P/a:b.vbp", dir.read("P/P.vbp"));
    auto r = run({"backup", odd, "--yes"});
    EXPECT_EQ(r.status, cli::kExitNoArchive);
    EXPECT_THAT(r.err, HasSubstr("\"a:b.zip\" (from " + odd + "); choose a name with --name"));
    r = run({"backup", odd, "--yes", "--name", "Clean"});
    EXPECT_EQ(r.status, cli::kExitOk) << r.err;
    EXPECT_TRUE(dir.exists("P/Clean.zip"));
    // A backslash in a file name of this machine is part of the name, not a folder.
    std::string slashed = dir.write("P/back\\slash.vbp", dir.read("P/P.vbp"));
    EXPECT_THAT(run({"backup", slashed, "--yes"}).err, HasSubstr("\"back\\slash.zip\""));
}

TEST_F(BackupSafetyTest, AProjectNamedLikeAnOptionIsTakenAfterDoubleDash) {
    std::string dashed = dir.write("P/-x.vbp", dir.read("P/P.vbp"));
    auto r = run({"backup", "-x.vbp"});
    EXPECT_EQ(r.status, cli::kExitUsage);
    EXPECT_THAT(r.err, HasSubstr("put -- before it"));
    EXPECT_EQ(run({"backup", "--yes", "--", dashed}).status, cli::kExitOk);
}

TEST_F(BackupSafetyTest, AMissingComponentMakesTheRunIncompleteAndKeepsTheLastCompleteArchive) {
    ASSERT_EQ(run({"backup", vbp, "--yes"}).status, cli::kExitOk);
    std::string complete = dir.read("P/P.zip");
    dir.write("P/P.vbp", "Type=Exe\r\nModule=m; m.bas\r\nModule=gone; gone.bas\r\nName=\"P\"\r\n");
    auto r = run({"backup", vbp, "--yes"});
    EXPECT_EQ(r.status, cli::kExitFilesSkipped) << r.err;
    EXPECT_THAT(r.err, HasSubstr(dir / "P/gone.bas"));
    EXPECT_EQ(dir.read("P/P.zip"), complete);
    EXPECT_EQ(test::readArchive(dir / "P/P.incomplete.zip").size(), 2u);
    // The next complete run takes the name again and clears the incomplete one away.
    dir.write("P/gone.bas", "Attribute VB_Name = \"gone\"\r\n");
    EXPECT_EQ(run({"backup", vbp, "--yes"}).status, cli::kExitOk);
    EXPECT_EQ(test::readArchive(dir / "P/P.zip").size(), 3u);
    EXPECT_FALSE(dir.exists("P/P.incomplete.zip"));
}

TEST_F(BackupSafetyTest, FilesOutsideTheProjectFoldersAreNamed) {
    std::string shared = dir.write("Shared/common.bas", "Attribute VB_Name = \"common\"\r\n");
    dir.write("P/P.vbp", "Type=Exe\r\nModule=m; m.bas\r\nModule=common; ..\\Shared\\common.bas\r\n"
                         "Name=\"P\"\r\n");
    auto list = run({"list", vbp});
    EXPECT_THAT(list.out, HasSubstr("(outside the project folders)"));
    auto doc = nlohmann::json::parse(run({"list", "--json", vbp}).out);
    EXPECT_EQ(doc["rows"][1]["outside"], false);
    EXPECT_EQ(doc["rows"][2]["outside"], true);
    auto r = run({"backup", vbp, "--yes"});
    EXPECT_EQ(r.status, cli::kExitOk) << r.err;
    EXPECT_THAT(r.err, HasSubstr("outside the project folders: " + shared));
}

TEST_F(BackupSafetyTest, ATerminatedRunLeavesNoTemporaryFileAndTheOldArchive) {
    // A sparse file large enough that the run is still writing when the signal comes.
    {
        std::ofstream big(dir / "P/big.bin");
    }
    std::filesystem::resize_file(dir / "P/big.bin", 2ULL << 30);
    dir.write("P/P.vbp", "Type=Exe\r\nModule=m; m.bas\r\nRelatedDoc=big.bin\r\nName=\"P\"\r\n");
    dir.write("P/P.zip", "previous");
    pid_t child = ::fork();
    if (child == 0) {
        ::setenv("ARKSTASH_HOME", home.str().c_str(), 1);
        ::execl(ARKSTASH_EXE, ARKSTASH_EXE, "backup", vbp.c_str(), "--yes",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Wait until the run has started writing its temporary archive (hidden beside the
    // target), then stop it.
    auto writing = [&] {
        for (const auto& name : test::folderNames(dir / "P"))
            if (name.starts_with(".")) return true;
        return false;
    };
    int status = 0;
    bool ended = false;
    while (!writing() && !(ended = ::waitpid(child, &status, WNOHANG) == child)) ::usleep(1000);
    ASSERT_FALSE(ended) << "the run ended before it could be stopped";
    ::kill(child, SIGTERM);
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(dir.read("P/P.zip"), "previous");
    EXPECT_FALSE(writing());
}

}  // namespace
