#include "platform/registry/hive_registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "platform/error.h"
#include "platform/registry/reg_file.h"
#include "support/temp_dir.h"

using namespace arkstash;
using namespace arkstash::registry;
namespace fs = std::filesystem;

namespace {

const std::string kKey = "Software\\Arkstash";

std::optional<Value> read(Registry& reg, Root root, const std::string& key,
                          const std::string& name) {
    auto h = reg.openKey(root, key, Access::Read);
    if (!h) return std::nullopt;
    auto v = reg.queryValue(*h, name);
    reg.closeKey(*h);
    return v;
}

void write(Registry& reg, const std::string& name, const Value& v, bool flush = true) {
    KeyHandle h = reg.createKey(Root::CurrentUser, kKey);
    reg.setValue(h, name, v);
    if (flush) reg.flushKey(h);
    reg.closeKey(h);
}

std::vector<std::string> entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Collects the registry's warnings.
struct Warnings {
    explicit Warnings(HiveRegistry& reg) {
        reg.setWarningHandler([this](const std::string& m) { seen.push_back(m); });
    }
    bool onlyOneSaying(const std::string& text) const {
        return seen.size() == 1 && seen[0].find(text) != std::string::npos;
    }
    std::vector<std::string> seen;
};

std::vector<std::string> damagedCopies(const std::string& dir, const std::string& hive) {
    std::vector<std::string> out;
    for (const auto& n : entries(dir))
        if (n.rfind(hive + ".damaged-", 0) == 0) out.push_back(n);
    return out;
}

}  // namespace

TEST(HiveRegistry, WritesAHiveThatAnotherInstanceReadsBack) {
    test::TempDir tmp;
    std::string folder = tmp / "config/arkstash";  // made on the first write
    {
        HiveRegistry reg(folder);
        EXPECT_FALSE(read(reg, Root::CurrentUser, kKey, "AutoRefresh"));
        write(reg, "AutoRefresh", Value::dword(0));
        write(reg, "/w/Sales.vbp", Value::text("/w/backups/"));
        EXPECT_EQ(reg.openHandles(), 0u);
    }
    EXPECT_EQ(entries(folder), (std::vector<std::string>{"user.reg", "user.reg.lock"}))
        << "no temporary file stays behind";
    HiveRegistry again(folder);
    EXPECT_EQ(read(again, Root::CurrentUser, "software\\ARKSTASH\\", "autorefresh"),
              Value::dword(0));
    EXPECT_EQ(read(again, Root::CurrentUser, kKey, "/W/SALES.VBP"), Value::text("/w/backups/"));
    // Parents exist with their child.
    EXPECT_TRUE(again.openKey(Root::CurrentUser, "Software", Access::Read));
    EXPECT_FALSE(again.openKey(Root::CurrentUser, "Software\\Other", Access::Read));

    std::string bytes = tmp.read("config/arkstash/user.reg");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    RegParseResult parsed = parseRegFile(bytes);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(formatRegText(parsed.keys),
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\Arkstash]\r\n"
              "\"/w/Sales.vbp\"=\"/w/backups/\"\r\n"
              "\"AutoRefresh\"=dword:00000000\r\n\r\n");
}

TEST(HiveRegistry, UnflushedValuesStayInTheProcess) {
    test::TempDir tmp;
    HiveRegistry a(tmp.str()), b(tmp.str());
    write(a, "x", Value::text("1"), /*flush=*/false);
    EXPECT_EQ(read(a, Root::CurrentUser, kKey, "x"), Value::text("1"));
    EXPECT_FALSE(read(b, Root::CurrentUser, kKey, "x"));
    EXPECT_FALSE(tmp.exists("user.reg"));
    KeyHandle h = a.createKey(Root::CurrentUser, kKey);
    a.flushKey(h);
    a.closeKey(h);
    // b sees the file as it is at its next open.
    EXPECT_EQ(read(b, Root::CurrentUser, kKey, "x"), Value::text("1"));
}

TEST(HiveRegistry, InterleavedWritersMergeValuesNotFiles) {
    test::TempDir tmp;
    HiveRegistry a(tmp.str()), b(tmp.str());
    // Both read the (empty) file, then each sets its own values and flushes.
    EXPECT_FALSE(read(a, Root::CurrentUser, kKey, "x"));
    EXPECT_FALSE(read(b, Root::CurrentUser, kKey, "x"));
    write(a, "fromA", Value::text("a"), false);
    write(b, "fromB", Value::text("b"), false);
    write(a, "shared", Value::text("a"), false);
    write(b, "shared", Value::text("b"), false);
    KeyHandle ha = a.createKey(Root::CurrentUser, kKey);
    a.flushKey(ha);
    KeyHandle hb = b.createKey(Root::CurrentUser, kKey);
    b.flushKey(hb);
    // An empty key created by one writer survives the other's flush too.
    a.closeKey(a.createKey(Root::CurrentUser, "Software\\Arkstash\\Empty"));
    a.flushKey(ha);

    HiveRegistry c(tmp.str());
    EXPECT_EQ(read(c, Root::CurrentUser, kKey, "fromA"), Value::text("a"));
    EXPECT_EQ(read(c, Root::CurrentUser, kKey, "fromB"), Value::text("b"));
    EXPECT_EQ(read(c, Root::CurrentUser, kKey, "shared"), Value::text("b"));  // last flush wins
    EXPECT_TRUE(c.openKey(Root::CurrentUser, "Software\\Arkstash\\Empty", Access::Read));
    // a's view follows the file after its flush: b's value is there.
    EXPECT_EQ(read(a, Root::CurrentUser, kKey, "fromB"), Value::text("b"));
}

TEST(HiveRegistry, TwoProcessesWritingAtOnceLoseNoValue) {
    test::TempDir tmp;
    constexpr int kWrites = 100;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    auto writer = [&](const std::string& prefix) {
        HiveRegistry reg(tmp.str());
        for (int i = 0; i < kWrites; ++i) {
            KeyHandle h = reg.createKey(Root::CurrentUser, kKey);
            reg.setValue(h, prefix + std::to_string(i), Value::dword(static_cast<unsigned>(i)));
            reg.setValue(h, "Last", Value::text(prefix));
            reg.flushKey(h);
            reg.closeKey(h);
        }
    };
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        char go;
        ::close(ready[1]);
        int status = ::read(ready[0], &go, 1) == 1 ? 0 : 2;
        try {
            writer("child-");
        } catch (...) {
            status = 1;
        }
        ::_exit(status);
    }
    ::close(ready[0]);
    ASSERT_EQ(::write(ready[1], "g", 1), 1);  // both start together
    ::close(ready[1]);
    writer("parent-");
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);

    HiveRegistry check(tmp.str());
    int missing = 0;
    for (const char* prefix : {"child-", "parent-"})
        for (int i = 0; i < kWrites; ++i)
            if (read(check, Root::CurrentUser, kKey, prefix + std::to_string(i)) !=
                Value::dword(static_cast<unsigned>(i)))
                ++missing;
    EXPECT_EQ(missing, 0);
    auto last = read(check, Root::CurrentUser, kKey, "Last");
    ASSERT_TRUE(last);
    EXPECT_TRUE(*last == Value::text("child-") || *last == Value::text("parent-"));
    EXPECT_TRUE(damagedCopies(tmp.str(), "user.reg").empty());
}

TEST(HiveRegistry, ADamagedHiveIsSetAsideAndTheNextWriteStartsClean) {
    const std::string garbageCases[] = {
        std::string("\x7f"
                    "ELF\x02\x01\x01\0\0\0\x03\0>\0",
                    14),
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Arkstash]\r\n"
        "\"AutoRefresh\"=dword:0",  // cut short
        "[HKEY_CURRENT_USER\\Software\\Arkstash]\r\n\"AutoRefresh\"=dword:00000000\r\n",  // header
    };
    for (const std::string& garbage : garbageCases) {
        test::TempDir tmp;
        tmp.write("user.reg", garbage);
        HiveRegistry reg(tmp.str());
        Warnings warnings(reg);
        EXPECT_FALSE(read(reg, Root::CurrentUser, kKey, "AutoRefresh"));
        auto aside = damagedCopies(tmp.str(), "user.reg");
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_TRUE(warnings.onlyOneSaying("set aside as '" + tmp / aside[0] + "'"));
        EXPECT_EQ(tmp.read(aside[0]), garbage) << "the damaged file is kept whole";
        EXPECT_FALSE(tmp.exists("user.reg"));

        write(reg, "AddDate", Value::dword(1));
        HiveRegistry again(tmp.str());
        EXPECT_EQ(read(again, Root::CurrentUser, kKey, "AddDate"), Value::dword(1));
        EXPECT_FALSE(read(again, Root::CurrentUser, kKey, "AutoRefresh"));
        EXPECT_TRUE(parseRegFile(tmp.read("user.reg")).ok);
    }
}

TEST(HiveRegistry, ASecondDamagedFileGetsItsOwnName) {
    test::TempDir tmp;
    tmp.write("user.reg", "first garbage");
    EXPECT_FALSE(read(*std::make_unique<HiveRegistry>(tmp.str()), Root::CurrentUser, kKey, "x"));
    tmp.write("user.reg", "second garbage");
    EXPECT_FALSE(read(*std::make_unique<HiveRegistry>(tmp.str()), Root::CurrentUser, kKey, "x"));
    auto aside = damagedCopies(tmp.str(), "user.reg");
    ASSERT_EQ(aside.size(), 2u);
    EXPECT_NE(tmp.read(aside[0]), tmp.read(aside[1]));
}

TEST(HiveRegistry, DamageFoundWhileFlushingIsSetAsideToo) {
    test::TempDir tmp;
    HiveRegistry reg(tmp.str());
    write(reg, "keep", Value::text("1"));
    tmp.write("user.reg", "garbage written by someone else");
    write(reg, "new", Value::text("2"));
    HiveRegistry again(tmp.str());
    EXPECT_EQ(read(again, Root::CurrentUser, kKey, "new"), Value::text("2"));
    EXPECT_EQ(damagedCopies(tmp.str(), "user.reg").size(), 1u);
}

TEST(HiveRegistry, ClassesHiveIsReadOnlyAndNeverMoved) {
    test::TempDir tmp;
    HiveKeys keys;
    ensureKey(keys, "HKEY_CLASSES_ROOT\\TypeLib\\{X}\\1.0").values[""] = {"", Value::text("Lib")};
    tmp.write("classes.reg", encodeRegFile(keys));
    HiveRegistry reg(tmp.str());
    EXPECT_EQ(read(reg, Root::ClassesRoot, "TypeLib\\{x}\\1.0", ""), Value::text("Lib"));
    EXPECT_FALSE(reg.openKey(Root::ClassesRoot, "TypeLib", Access::Full));
    EXPECT_THROW(reg.createKey(Root::ClassesRoot, "TypeLib\\New"), PlatformError);
    auto h = reg.openKey(Root::ClassesRoot, "TypeLib", Access::Read);
    ASSERT_TRUE(h);
    EXPECT_THROW(reg.setValue(*h, "x", Value::text("y")), PlatformError);
    reg.closeKey(*h);

    tmp.write("classes.reg", "not a registry file");
    EXPECT_FALSE(read(reg, Root::ClassesRoot, "TypeLib\\{x}\\1.0", ""));
    EXPECT_TRUE(tmp.exists("classes.reg"));
    EXPECT_TRUE(damagedCopies(tmp.str(), "classes.reg").empty());
}

TEST(HiveRegistry, RootsWithoutAHiveHaveNoKeys) {
    test::TempDir tmp;
    HiveRegistry reg(tmp.str());
    EXPECT_FALSE(reg.openKey(Root::LocalMachine, "Software", Access::Read));
    EXPECT_THROW(reg.createKey(Root::LocalMachine, "Software"), PlatformError);
    EXPECT_EQ(reg.hiveFile(Root::LocalMachine), "");
    EXPECT_EQ(reg.hiveFile(Root::CurrentUser), tmp / "user.reg");
    // A root itself always opens, and holds no values yet.
    auto root = reg.openKey(Root::CurrentUser, "", Access::Read);
    ASSERT_TRUE(root);
    EXPECT_FALSE(reg.queryValue(*root, ""));
    reg.closeKey(*root);
}

TEST(HiveRegistry, HandlesAreCheckedAndClosedOnce) {
    test::TempDir tmp;
    HiveRegistry reg(tmp.str());
    KeyHandle h = reg.createKey(Root::CurrentUser, kKey);
    reg.closeKey(h);
    reg.closeKey(h);
    reg.closeKey(0);
    EXPECT_THROW(reg.queryValue(h, "x"), PlatformError);
    EXPECT_THROW(reg.setValue(h, "x", Value::text("y")), PlatformError);
    EXPECT_THROW(reg.flushKey(h), PlatformError);
    auto ro = reg.openKey(Root::CurrentUser, kKey, Access::Read);
    ASSERT_TRUE(ro);
    EXPECT_THROW(reg.setValue(*ro, "x", Value::text("y")), PlatformError);
    KeyHandle rw = reg.createKey(Root::CurrentUser, kKey);
    EXPECT_THROW(reg.setValue(rw, std::string("a\0b", 3), Value::text("y")), PlatformError);
    EXPECT_THROW(reg.createKey(Root::CurrentUser, "Software\\bad\nname"), PlatformError);
}

TEST(HiveRegistry, AFailedFlushKeepsTheValuesForTheNextOne) {
    test::TempDir tmp;
    std::string folder = tmp / "blocked";
    tmp.write("blocked", "a file where the folder should be");
    HiveRegistry reg(folder);
    Warnings warnings(reg);
    KeyHandle h = reg.createKey(Root::CurrentUser, kKey);
    reg.setValue(h, "x", Value::text("kept"));
    EXPECT_THROW(reg.flushKey(h), PlatformError);
    EXPECT_THROW(reg.flushKey(h), PlatformError);
    EXPECT_TRUE(warnings.onlyOneSaying("Settings cannot be saved"));
    EXPECT_EQ(reg.queryValue(h, "x"), Value::text("kept"));
    fs::remove(folder);
    reg.flushKey(h);
    reg.closeKey(h);
    HiveRegistry again(folder);
    EXPECT_EQ(read(again, Root::CurrentUser, kKey, "x"), Value::text("kept"));
}

TEST(HiveRegistry, AHiveThatCannotBeReadIsNeverReplacedAndSaysSoOnce) {
    for (bool pipe : {false, true}) {
        SCOPED_TRACE(pipe ? "named pipe" : "folder");
        test::TempDir tmp;
        if (pipe) {
            ASSERT_EQ(::mkfifo((tmp / "user.reg").c_str(), 0600), 0);  // must not hang a start
        } else {
            tmp.write("user.reg/inside", "kept");
        }
        HiveRegistry reg(tmp.str());
        Warnings warnings(reg);
        EXPECT_FALSE(read(reg, Root::CurrentUser, kKey, "x"));
        EXPECT_FALSE(read(reg, Root::CurrentUser, kKey, "x"));
        EXPECT_TRUE(warnings.onlyOneSaying("cannot be read"));
        KeyHandle h = reg.createKey(Root::CurrentUser, kKey);
        reg.setValue(h, "x", Value::text("1"));
        EXPECT_THROW(reg.flushKey(h), PlatformError);
        reg.closeKey(h);
        EXPECT_EQ(warnings.seen.size(), 2u);
        EXPECT_EQ(fs::is_fifo(tmp / "user.reg"), pipe);
        if (!pipe) EXPECT_EQ(tmp.read("user.reg/inside"), "kept");
        EXPECT_TRUE(damagedCopies(tmp.str(), "user.reg").empty());
    }
}

TEST(HiveRegistry, AWarningHandlerThatThrowsDoesNotReachTheCaller) {
    test::TempDir tmp;
    tmp.write("user.reg", "garbage");
    tmp.write("classes.reg", "garbage too");
    HiveRegistry reg(tmp.str());
    int calls = 0;
    reg.setWarningHandler([&](const std::string&) {
        ++calls;
        throw std::runtime_error("no terminal");
    });
    EXPECT_NO_THROW(read(reg, Root::CurrentUser, kKey, "x"));
    EXPECT_NO_THROW(read(reg, Root::ClassesRoot, "TypeLib", "x"));
    EXPECT_EQ(calls, 2);
}

TEST(HiveRegistry, EditsMadeOnDiskAreSeenAtTheNextOpen) {
    test::TempDir tmp;
    HiveRegistry reg(tmp.str());
    write(reg, "x", Value::text("mine"));
    tmp.write("user.reg",
              "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Arkstash]\n"
              "\"x\"=\"edited\"\n");
    EXPECT_EQ(read(reg, Root::CurrentUser, kKey, "x"), Value::text("edited"));
}

TEST(HiveFolder, FollowsTheEnvironment) {
    auto env = [](std::map<std::string, std::string> vars) {
        return [vars](const std::string& name) -> std::optional<std::string> {
            auto it = vars.find(name);
            if (it == vars.end()) return std::nullopt;
            return it->second;
        };
    };
    EXPECT_EQ(
        hiveFolder(
            env({{"ARKSTASH_HOME", "/srv/ark"}, {"XDG_CONFIG_HOME", "/x"}, {"HOME", "/home/me"}})),
        "/srv/ark");
    EXPECT_EQ(hiveFolder(env({{"XDG_CONFIG_HOME", "/x/"}, {"HOME", "/home/me"}})), "/x/arkstash");
    EXPECT_EQ(hiveFolder(env({{"HOME", "/home/me"}})), "/home/me/.config/arkstash");
    // Empty counts as unset; a relative XDG_CONFIG_HOME is ignored.
    EXPECT_EQ(hiveFolder(env({{"ARKSTASH_HOME", ""}, {"XDG_CONFIG_HOME", ""}, {"HOME", "/h"}})),
              "/h/.config/arkstash");
    EXPECT_EQ(hiveFolder(env({{"XDG_CONFIG_HOME", "rel"}, {"HOME", "/h"}})), "/h/.config/arkstash");
    EXPECT_THROW(hiveFolder(env({})), PlatformError);
    EXPECT_THROW(hiveFolder(nullptr), PlatformError);

    test::TempDir tmp;
    auto reg = openUserRegistry(env({{"ARKSTASH_HOME", tmp.str()}}));
    EXPECT_EQ(reg->hiveFile(Root::CurrentUser), tmp / "user.reg");
}
