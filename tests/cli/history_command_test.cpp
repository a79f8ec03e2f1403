// backup --if-changed and --keep, history and diff, run as a user would on a copy of the
// example group.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "cli/cli_run.h"
#include "platform/archive/archive_test_support.h"

namespace arkstash::cli {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

class HistoryCommandTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    std::string group, out;

    void SetUp() override {
        fs::copy(fs::path(ARKSTASH_SOURCE_DIR) / "examples/StockControl", dir / "StockControl",
                 fs::copy_options::recursive);
        group = dir / "StockControl/StockControl.vbg";
        out = dir / "out";
        fs::create_directories(out);
    }
    test::CliResult cli(std::vector<std::string> args) { return test::runCli(args, dir); }
    test::CliResult backup(std::vector<std::string> extra) {
        std::vector<std::string> args{"backup", group, "--dir", out, "--yes"};
        args.insert(args.end(), extra.begin(), extra.end());
        return cli(args);
    }
    void edit(const std::string& rel, const std::string& from, const std::string& to) {
        std::string text = dir.read(rel);
        auto at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        dir.write(rel, text.replace(at, from.size(), to));
    }
};

TEST_F(HistoryCommandTest, IfChangedWritesOnlyWhenAFilesBytesChanged) {
    ASSERT_EQ(backup({"--no-date"}).status, kExitOk);
    const std::string first = dir.read("out/StockControl.zip");

    auto same = backup({"--no-date", "--if-changed"});
    EXPECT_EQ(same.status, kExitOk) << same.err;
    EXPECT_EQ(same.out, "unchanged, no archive written\n");
    // Saved again without edits: a new time, the same bytes.
    fs::last_write_time(
        dir / "StockControl/modMain.bas",
        fs::last_write_time(dir / "StockControl/modMain.bas") + std::chrono::hours(1));
    EXPECT_EQ(backup({"--no-date", "--if-changed"}).out, "unchanged, no archive written\n");
    EXPECT_TRUE(dir.read("out/StockControl.zip") == first);

    // One letter changed, the size and the time as they were: only the CRC tells.
    auto time = fs::last_write_time(dir / "StockControl/modMain.bas");
    edit("StockControl/modMain.bas", "Option Explicit", "Option explicit");
    fs::last_write_time(dir / "StockControl/modMain.bas", time);
    auto changed = backup({"--no-date", "--if-changed"});
    EXPECT_EQ(changed.status, kExitOk) << changed.err;
    EXPECT_EQ(changed.out.rfind("Backup written: ", 0), 0u) << changed.out;
    EXPECT_FALSE(dir.read("out/StockControl.zip") == first);
}

TEST_F(HistoryCommandTest, KeepRemovesOnlyThisProjectsOldestCompleteDatedArchives) {
    const std::vector<std::string> others = {
        "StockControl.zip",        "StockControl2_01-01-2020_000000.zip",
        "StockControl_Old.zip",    "StockControl_01-01-2019_000000.incomplete.zip",
        "P_01-01-2020_000000.zip", "P_01-02-2020_000000.zip"};
    for (const auto& name : others) dir.write("out/" + name, "x");
    for (int day = 1; day <= 4; ++day)
        dir.write("out/StockControl_01-0" + std::to_string(day) + "-2020_000000.zip", "x");

    auto r = backup({"--date", "--keep", "3"});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    EXPECT_NE(r.out.find("Removed " + out + "/StockControl_01-01-2020_000000.zip"),
              std::string::npos)
        << r.out;
    for (const auto& name : others) EXPECT_TRUE(dir.exists("out/" + name)) << name;
    for (int day = 1; day <= 4; ++day)
        EXPECT_EQ(dir.exists("out/StockControl_01-0" + std::to_string(day) + "-2020_000000.zip"),
                  day > 2)
            << day;
    // This run's archive is the third kept.
    EXPECT_EQ(test::folderNames(out).size(), others.size() + 3);

    // A run that lacks a file removes nothing, whatever N says.
    group = dir.write("P/P.vbp", "Type=Exe\r\nModule=m; m.bas\r\nRelatedDoc=/proc/self/mem\r\n");
    dir.write("P/m.bas", "Attribute VB_Name = \"m\"\r\n");
    EXPECT_EQ(backup({"--date", "--keep", "1"}).status, kExitFilesSkipped);
    EXPECT_TRUE(dir.exists("out/P_01-01-2020_000000.zip"));
    EXPECT_TRUE(dir.exists("out/P_01-02-2020_000000.zip"));
    EXPECT_EQ(backup({"--keep", "0"}).status, kExitUsage);
}

TEST_F(HistoryCommandTest, HistoryListsNewestFirstAndChecksEach) {
    ASSERT_EQ(backup({"--date"}).status, kExitOk);
    std::string run = test::folderNames(out).front();
    fs::copy_file(out + "/" + run, out + "/StockControl_01-01-2020_000000.zip");
    fs::copy_file(out + "/" + run, out + "/StockControl.incomplete.zip");
    fs::last_write_time(out + "/StockControl.incomplete.zip",
                        fs::last_write_time(out + "/" + run) - std::chrono::hours(24 * 365 * 3));
    dir.write("out/StockControl_01-01-2019_000000.zip", "damaged");

    auto r = cli({"history", group, "--dir", out, "--json"});
    EXPECT_EQ(r.status, kExitNoArchive) << r.err;
    Json archives = Json::parse(r.out)["archives"];
    ASSERT_EQ(archives.size(), 4u) << r.out;
    const std::vector<std::string> names = {run, "StockControl.incomplete.zip",
                                            "StockControl_01-01-2020_000000.zip",
                                            "StockControl_01-01-2019_000000.zip"};
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(archives[i]["file"], names[i]);
        EXPECT_EQ(archives[i]["verified"], i != 3);
        EXPECT_EQ(archives[i]["incomplete"], i == 1);
        EXPECT_EQ(archives[i]["files"], i != 3 ? Json(22) : Json(nullptr));
    }
    fs::remove(out + "/StockControl_01-01-2019_000000.zip");
    EXPECT_EQ(cli({"history", group, "--dir", out}).status, kExitOk);
}

TEST_F(HistoryCommandTest, DiffFindsTheEditedTheAddedAndTheRemovedFile) {
    // Without --dir the archive lands beside the group, where diff finds the group again.
    ASSERT_EQ(cli({"backup", group, "--no-date", "--yes"}).status, kExitOk);
    const std::string archive = dir / "StockControl/StockControl.zip";
    EXPECT_EQ(cli({"diff", archive}).status, kExitOk);

    edit("StockControl/modMain.bas", "Option Explicit\r\n", "");
    dir.write("StockControl/modMain.bas",
              dir.read("StockControl/modMain.bas") + "' one\r\n' two\r\n");
    edit("StockControl/StockControl.vbp", "Class=CStockItem; CStockItem.cls",
         "Module=modNew; modNew.bas");
    dir.write("StockControl/modNew.bas",
              "Attribute VB_Name = \"modNew\"\r\nOption Explicit\r\n' new\r\n");
    const std::string removed = dir.read("StockControl/CStockItem.cls");
    const auto removedLines = std::count(removed.begin(), removed.end(), '\n');

    auto r = cli({"diff", archive, "--json"});
    EXPECT_EQ(r.status, kExitNoArchive) << r.err;
    Json changes = Json::parse(r.out)["changes"];
    EXPECT_EQ(changes, Json::parse(R"([
        {"change": "removed", "name": "CStockItem.cls", "lines_added": 0, "lines_removed": )" +
                                   std::to_string(removedLines) + R"(},
        {"change": "modified", "name": "StockControl.vbp", "lines_added": 1, "lines_removed": 1},
        {"change": "modified", "name": "modMain.bas", "lines_added": 2, "lines_removed": 1},
        {"change": "added", "name": "modNew.bas", "lines_added": 3, "lines_removed": 0}])"));
}

}  // namespace
}  // namespace arkstash::cli
