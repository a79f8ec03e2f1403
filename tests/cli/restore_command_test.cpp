// restore: refuses what would leave the folder or go through a link, never replaces without
// leave, and gives the example group back byte for byte with its times.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "cli/cli_run.h"
#include "platform/archive/archive_test_support.h"

namespace arkstash::cli {
namespace {

namespace fs = std::filesystem;
using test::runCli;

struct RawEntry {
    std::string name;
    std::string data;
    std::uint32_t unixMode = 0100644;
};

// An archive holding exactly these entries, names as given: nothing our own writer would make.
std::string rawArchive(const std::string& path, const std::vector<RawEntry>& entries) {
    int err = 0;
    zip_t* za = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    for (const auto& e : entries) {
        zip_source_t* src = zip_source_buffer(za, e.data.data(), e.data.size(), 0);
        zip_int64_t i = zip_file_add(za, e.name.c_str(), src, ZIP_FL_ENC_UTF_8);
        EXPECT_GE(i, 0) << e.name;
        zip_file_set_external_attributes(za, static_cast<zip_uint64_t>(i), 0, ZIP_OPSYS_UNIX,
                                         e.unixMode << 16);
    }
    EXPECT_EQ(zip_close(za), 0);
    return path;
}

void patch(const std::string& path, const std::string& from, const std::string& to) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    for (auto at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at))
        bytes.replace(at, from.size(), to);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Every path below `root`, links listed and not followed.
std::vector<std::string> everything(const fs::path& root) {
    std::vector<std::string> paths;
    for (const auto& e : fs::recursive_directory_iterator(root))
        paths.push_back(fs::relative(e.path(), root).string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

struct Hostile {
    const char* what;
    const char* reason;
    std::vector<RawEntry> entries;
    std::function<void(const test::TempDir&, const std::string&)> prepare;  // dir, archive
};

TEST(RestoreCommand, RefusesEveryHostileArchiveAndWritesNothing) {
    // Each is refused for its own reason ("" where libzip itself will not open the archive).
    const std::vector<Hostile> cases = {
        {"parent", "climbs out", {{"ok.txt", "1"}, {"../x", "evil"}}, {}},
        {"deep parent", "climbs out", {{"a/../../x", "evil"}}, {}},
        {"absolute", "absolute path", {{"/tmp/arkstash-restore-x", "evil"}}, {}},
        {"drive letter", "colon", {{"C:/x", "evil"}}, {}},
        {"backslash", "backslash", {{"..\\x", "evil"}}, {}},
        {"control character",
         "",
         {{"\xC3\xA9_b", "evil"}},
         [](const auto&, const std::string& a) {
             patch(a, "\xC3\xA9_b",
                   "\xC3\xA9\x1b"
                   "b");
         }},
        {"symlink entry", "links are not restored", {{"link", "/etc/passwd", 0120777}}, {}},
        {"duplicate",
         "",
         {{"a.txt", "one"}, {"b.txt", "two"}},
         [](const auto&, const std::string& a) { patch(a, "b.txt", "a.txt"); }},
        {"more than claimed",
         "the directory says 10",
         {{"bomb.bin", std::string(200000, '\0')}},
         [](const auto&, const std::string& a) {
             patch(a, std::string("\x40\x0d\x03\x00", 4), std::string("\x0a\x00\x00\x00", 4));
         }},
        {"link in the folder",
         "out/sub is a symbolic link",
         {{"sub/x", "evil"}},
         [](const test::TempDir& d, const std::string&) {
             fs::create_directories(d / "out");
             fs::create_directory_symlink(d / "elsewhere", d / "out/sub");
         }},
        {"file is a link",
         "out/x is a symbolic link",
         {{"x", "evil"}},
         [](const test::TempDir& d, const std::string&) {
             fs::create_directories(d / "out");
             fs::create_symlink(d / "elsewhere/x", d / "out/x");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        fs::create_directories(dir / "elsewhere");
        std::string archive = rawArchive(dir / "A.zip", c.entries);
        if (c.prepare) c.prepare(dir, archive);
        auto before = everything(dir.path());
        auto r = runCli({"restore", archive, dir / "out", "--overwrite"}, dir);
        EXPECT_EQ(r.status, kExitNoArchive) << r.out << r.err;
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("nothing was restored"), std::string::npos) << r.err;
        EXPECT_EQ(everything(dir.path()), before);
    }
    EXPECT_FALSE(fs::exists("/tmp/arkstash-restore-x"));
}

TEST(RestoreCommand, ReplacesOnlyWithLeaveAndKeepsTheOriginal) {
    test::TempDir dir;
    std::string archive = rawArchive(dir / "A.zip", {{"m.bas", "archived"}, {"n.bas", "new"}});
    dir.write("out/m.bas", "edited since");
    auto refused = runCli({"restore", archive, dir / "out"}, dir);
    EXPECT_EQ(refused.status, kExitNoArchive);
    EXPECT_NE(refused.err.find("m.bas exists (give --overwrite"), std::string::npos) << refused.err;
    EXPECT_EQ(test::folderNames(dir / "out"), std::vector<std::string>{"m.bas"});

    auto dry = runCli({"restore", archive, dir / "out", "--overwrite", "--dry-run"}, dir);
    EXPECT_EQ(dry.status, kExitOk) << dry.err;
    EXPECT_EQ(test::folderNames(dir / "out"), std::vector<std::string>{"m.bas"});

    auto done = runCli({"restore", archive, dir / "out", "--overwrite"}, dir);
    EXPECT_EQ(done.status, kExitOk) << done.err;
    EXPECT_EQ(dir.read("out/m.bas"), "archived");
    EXPECT_EQ(dir.read("out/m.bas.orig"), "edited since");
    EXPECT_EQ(dir.read("out/n.bas"), "new");
    EXPECT_EQ(test::folderNames(dir / "out"),
              (std::vector<std::string>{"m.bas", "m.bas.orig", "n.bas"}));
    EXPECT_EQ(runCli({"restore", archive}, dir).status, kExitUsage);
}

TEST(RestoreCommand, GivesTheExampleGroupBackByteForByteWithItsTimes) {
    test::TempDir dir;
    fs::copy(fs::path(ARKSTASH_SOURCE_DIR) / "examples/StockControl", dir / "StockControl",
             fs::copy_options::recursive);
    auto backup = runCli({"backup", dir / "StockControl/StockControl.vbg", "--dir", dir / "out",
                          "--no-date", "--yes"},
                         dir);
    ASSERT_EQ(backup.status, kExitOk) << backup.err;
    auto r = runCli({"restore", dir / "out/StockControl.zip", dir / "back"}, dir);
    ASSERT_EQ(r.status, kExitOk) << r.err;
    std::size_t files = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir / "back")) {
        if (!e.is_regular_file()) continue;
        ++files;
        auto rel = fs::relative(e.path(), dir / "back").string();
        EXPECT_TRUE(dir.read("back/" + rel) == dir.read("StockControl/" + rel)) << rel;
        struct stat restored, original;
        ASSERT_EQ(::stat(e.path().c_str(), &restored), 0);
        ASSERT_EQ(::stat((dir / ("StockControl/" + rel)).c_str(), &original), 0);
        // ZIP keeps times to two seconds.
        EXPECT_LE(restored.st_mtime, original.st_mtime) << rel;
        EXPECT_LT(original.st_mtime - restored.st_mtime, 2) << rel;
    }
    EXPECT_EQ(files, 22u);
}

}  // namespace
}  // namespace arkstash::cli
