#include "platform/registry/reg_helpers.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/registry/hive_registry.h"
#include "platform/registry/memory_registry.h"
#include "support/temp_dir.h"

using namespace arkstash;
using namespace arkstash::registry;

namespace {

const Root HKCU = Root::CurrentUser;

std::string read(Registry& reg, const std::string& name, const std::string& def = "<default>") {
    return RegRead(reg, HKCU, kSettingsKey, name, def);
}

void setRaw(MemoryRegistry& reg, const std::string& name, Value v) {
    KeyHandle h = reg.createKey(HKCU, kSettingsKey);
    reg.setValue(h, name, v);
    reg.closeKey(h);
}

}  // namespace

TEST(RegRead, NumbersComeBackAsTextOfAtLeastThreeDigits) {
    MemoryRegistry reg;
    const std::pair<long long, const char*> cases[] = {
        {0, "000"},
        {1, "001"},
        {42, "042"},
        {999, "999"},
        {1234, "1234"},
        {-1, "4294967295"},  // stored signed, read back unsigned
        {2147483647, "2147483647"}};
    for (auto [n, text] : cases) {
        RegWrite(reg, HKCU, kSettingsKey, "N", REG_DWORD, n);
        EXPECT_EQ(read(reg, "N"), text) << n;
    }
    EXPECT_EQ(reg.openHandles(), 0u);
}

TEST(RegRead, RawBytesComeBackAsUpperCaseHex) {
    MemoryRegistry reg;
    setRaw(reg, "Raw", Value::binary(std::string("\x00\xab\x10\xff", 4)));
    EXPECT_EQ(read(reg, "Raw"), "00AB10FF");
    setRaw(reg, "Empty", Value::binary(""));
    EXPECT_EQ(read(reg, "Empty"), "");
}

TEST(RegRead, TextLosesOnlyItsClosingNul) {
    MemoryRegistry reg;
    RegWrite(reg, HKCU, kSettingsKey, "T", REG_SZ, std::string("Maximum"));
    EXPECT_EQ(reg.keys(HKCU).at("software\\arkstash").values.at("t").second.data,
              std::string("Maximum\0", 8));
    EXPECT_EQ(read(reg, "T"), "Maximum");
    // Another text kind reads the same way; a value without any byte has no NUL to drop.
    setRaw(reg, "E", Value{REG_EXPAND_SZ, std::string("%HOME%\0", 7)});
    EXPECT_EQ(read(reg, "E"), "%HOME%");
    setRaw(reg, "NoBytes", Value{REG_SZ, ""});
    EXPECT_EQ(read(reg, "NoBytes"), "<default>");
    // A short number value reads its bytes with zeros above them.
    setRaw(reg, "Short", Value{REG_DWORD, "\x05"});
    EXPECT_EQ(read(reg, "Short"), "005");
}

TEST(RegRead, AnythingMissingOrTooLongGivesTheDefault) {
    MemoryRegistry reg;
    EXPECT_EQ(RegRead(reg, HKCU, "Software\\Nowhere", "x", "dflt"), "dflt");
    RegWrite(reg, HKCU, kSettingsKey, "x", REG_SZ, std::string("y"));
    EXPECT_EQ(read(reg, "missing", "dflt"), "dflt");
    // The read buffer holds 2048 bytes.
    RegWrite(reg, HKCU, kSettingsKey, "fits", REG_SZ, std::string(2047, 'a'));
    EXPECT_EQ(read(reg, "fits"), std::string(2047, 'a'));
    RegWrite(reg, HKCU, kSettingsKey, "long", REG_SZ, std::string(2048, 'a'));
    EXPECT_EQ(read(reg, "long"), "<default>");
    EXPECT_EQ(reg.openHandles(), 0u);
}

TEST(RegRead, AnEmptyNameIsTheKeysUnnamedValue) {
    MemoryRegistry reg;
    RegWrite(reg, HKCU, kSettingsKey, "", REG_SZ, std::string("unnamed"));
    EXPECT_EQ(read(reg, ""), "unnamed");
    EXPECT_EQ(read(reg, "@"), "<default>");
}

TEST(RegWrite, ConvertsToTheKindAskedForAndIgnoresFailures) {
    MemoryRegistry reg;
    RegWrite(reg, HKCU, kSettingsKey, "FromText", REG_DWORD, std::string(" 12 "));
    EXPECT_EQ(read(reg, "FromText"), "012");
    RegWrite(reg, HKCU, kSettingsKey, "Rounded", REG_DWORD, std::string("2.5"));
    EXPECT_EQ(read(reg, "Rounded"), "002");  // half to even
    RegWrite(reg, HKCU, kSettingsKey, "Text", REG_SZ, 5LL);
    EXPECT_EQ(read(reg, "Text"), "5");
    int flushes = reg.flushes;
    RegWrite(reg, HKCU, kSettingsKey, "NotANumber", REG_DWORD, std::string("abc"));
    RegWrite(reg, HKCU, kSettingsKey, "TooBig", REG_DWORD, 2147483648LL);
    RegWrite(reg, HKCU, kSettingsKey, "OtherKind", REG_BINARY, std::string("x"));
    EXPECT_EQ(read(reg, "NotANumber"), "<default>");
    EXPECT_EQ(read(reg, "TooBig"), "<default>");
    EXPECT_EQ(read(reg, "OtherKind"), "<default>");
    EXPECT_EQ(reg.flushes, flushes + 3) << "the key is flushed whatever happened to the value";
    // A store that refuses writes: nothing reaches the caller, no key stays open.
    reg.readOnlyRoots.insert(HKCU);
    EXPECT_NO_THROW(RegWrite(reg, HKCU, kSettingsKey, "x", REG_SZ, std::string("y")));
    EXPECT_EQ(reg.openHandles(), 0u);
}

TEST(RegWrite, ReachesTheHiveFileAtOnce) {
    test::TempDir tmp;
    HiveRegistry writer(tmp.str());
    RegWrite(writer, HKCU, kSettingsKey, "AutoRefresh", REG_DWORD, 1LL);
    HiveRegistry reader(tmp.str());
    EXPECT_EQ(read(reader, "AutoRefresh"), "001");
    EXPECT_EQ(writer.openHandles(), 0u);
}

TEST(Settings, RuntimeStoreKeepsItsOwnKey) {
    MemoryRegistry reg;
    EXPECT_EQ(GetSetting(reg, "Arkstash", "Settings", "DisplayOnConnect", "0"), "0");
    SaveSetting(reg, "Arkstash", "Settings", "DisplayOnConnect", "1");
    EXPECT_EQ(GetSetting(reg, "arkstash", "SETTINGS", "displayonconnect", "0"), "1");
    EXPECT_EQ(RegRead(reg, HKCU, "Software\\VB and VBA Program Settings\\Arkstash\\Settings",
                      "DisplayOnConnect", ""),
              "1");
    EXPECT_EQ(reg.openHandles(), 0u);
    // A number stored there by someone else is not a setting.
    RegWrite(reg, HKCU, "Software\\VB and VBA Program Settings\\Arkstash\\Settings", "N", REG_DWORD,
             1LL);
    EXPECT_EQ(GetSetting(reg, "Arkstash", "Settings", "N", "dflt"), "dflt");
    EXPECT_EQ(GetSetting(reg, "", "Settings", "N", "dflt"), "dflt");
}

TEST(Settings, SavingFailsLoudlyButLeavesNoKeyOpen) {
    MemoryRegistry reg;
    EXPECT_THROW(SaveSetting(reg, "", "Settings", "k", "v"), PlatformError);
    EXPECT_THROW(SaveSetting(reg, "Arkstash", "Settings", "", "v"), PlatformError);
    reg.readOnlyRoots.insert(HKCU);
    EXPECT_THROW(SaveSetting(reg, "Arkstash", "Settings", "k", "v"), PlatformError);
    EXPECT_EQ(reg.openHandles(), 0u);
    // The key opens but the value is refused.
    test::TempDir tmp;
    HiveRegistry hive(tmp.str());
    EXPECT_THROW(SaveSetting(hive, "Arkstash", "Settings", std::string("a\0b", 3), "v"),
                 PlatformError);
    EXPECT_EQ(hive.openHandles(), 0u);
}
