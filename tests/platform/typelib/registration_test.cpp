#include "platform/typelib/registration.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/registry/memory_registry.h"

using namespace arkstash;
using namespace arkstash::typelib;
using registry::MemoryRegistry;
using registry::Root;
using registry::Value;

namespace {

const std::string kId = "{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}";

void registerFile(MemoryRegistry& reg, const std::string& key, const Value& value) {
    auto h = reg.createKey(Root::ClassesRoot, key);
    reg.setValue(h, "", value);
    reg.closeKey(h);
}

// A registry whose classes hive an ordinary user may only read.
struct ClassesHive {
    MemoryRegistry reg;
    explicit ClassesHive(const std::string& key, const Value& value) {
        registerFile(reg, key, value);
        reg.readOnlyRoots.insert(Root::ClassesRoot);
    }
};

// Counts what was opened, and how.
class RecordingRegistry : public MemoryRegistry {
  public:
    std::vector<registry::Access> opened;
    std::optional<registry::KeyHandle> openKey(Root root, const std::string& subKey,
                                               registry::Access access) override {
        opened.push_back(access);
        return MemoryRegistry::openKey(root, subKey, access);
    }
};

// The file a library 1.0 registered with `value` resolves to.
std::string resolvedBy(const Value& value) {
    ClassesHive hive(typeLibRegistrationKey(kId, 1, 0, 0), value);
    return registeredTypeLibFile(hive.reg, kId, 1, 0, 0);
}

}  // namespace

TEST(TypeLibRegistration, KeyUsesUpperCaseHexVersionsAndDecimalLocale) {
    EXPECT_EQ(typeLibRegistrationKey(kId, 1, 10, 0), "Typelib\\" + kId + "\\1.A\\0\\win32");
    EXPECT_EQ(typeLibRegistrationKey(kId, 2, 0, 1033), "Typelib\\" + kId + "\\2.0\\1033\\win32");
    EXPECT_EQ(typeLibRegistrationKey(kId, 0xAB, 0x1F, 0), "Typelib\\" + kId + "\\AB.1F\\0\\win32");
    EXPECT_EQ(typeLibRegistrationKey(kId, 0x10, 0x100, 0x407),
              "Typelib\\" + kId + "\\10.100\\1031\\win32");
}

TEST(TypeLibRegistration, ReadsTheDefaultTextFromAReadOnlyHive) {
    ClassesHive hive("TypeLib\\" + kId + "\\1.a\\0\\Win32", Value::text("C:\\Windows\\ctl.ocx"));
    EXPECT_EQ(registeredTypeLibFile(hive.reg, kId, 1, 10, 0), "C:\\Windows\\ctl.ocx");
    EXPECT_EQ(hive.reg.openHandles(), 0u);                            // closed again
    EXPECT_EQ(registeredTypeLibFile(hive.reg, kId, 1, 1, 0), "");     // another version
    EXPECT_EQ(registeredTypeLibFile(hive.reg, kId, 1, 10, 9), "");    // another locale
    EXPECT_EQ(registeredTypeLibFile(hive.reg, "{X}", 1, 10, 0), "");  // another library
}

TEST(TypeLibRegistration, OpensTheKeyForReadingOnly) {
    RecordingRegistry reg;
    registerFile(reg, typeLibRegistrationKey(kId, 1, 0, 0), Value::text("/opt/ctl.ocx"));
    reg.readOnlyRoots.insert(Root::ClassesRoot);
    EXPECT_EQ(registeredTypeLibFile(reg, kId, 1, 0, 0), "/opt/ctl.ocx");
    ASSERT_EQ(reg.opened.size(), 1u);
    EXPECT_EQ(reg.opened[0], registry::Access::Read);
}

TEST(TypeLibRegistration, OnlyPlainTextValuesNameAFile) {
    std::string key = typeLibRegistrationKey(kId, 1, 0, 0);
    EXPECT_EQ(resolvedBy(Value::dword(5)), "");
    EXPECT_EQ(resolvedBy(Value{registry::REG_EXPAND_SZ, std::string("%x%\0", 4)}), "");
    // A key without a default value.
    MemoryRegistry bare;
    bare.closeKey(bare.createKey(Root::ClassesRoot, key));
    EXPECT_EQ(registeredTypeLibFile(bare, kId, 1, 0, 0), "");
}

TEST(TypeLibRegistration, TextEndsAtItsFirstNulAndMayLackOne) {
    EXPECT_EQ(resolvedBy(Value{registry::REG_SZ, std::string("a.ocx\0junk\0", 11)}), "a.ocx");
    EXPECT_EQ(resolvedBy(Value{registry::REG_SZ, "b.ocx"}), "b.ocx");
    EXPECT_EQ(resolvedBy(Value{registry::REG_SZ, ""}), "");
    // Code-page text arrives as UTF-8.
    EXPECT_EQ(resolvedBy(Value::text("C:\\Programme\\Gr\xFC\xDF"
                                     "e.ocx")),
              "C:\\Programme\\Gr\xC3\xBC\xC3\x9F"
              "e.ocx");
}

TEST(TypeLibRegistration, ARegistryThatFailsGivesNothing) {
    class Failing : public MemoryRegistry {
      public:
        std::optional<registry::KeyHandle> openKey(Root, const std::string&,
                                                   registry::Access) override {
            throw PlatformError("hive unreadable");
        }
    } failing;
    EXPECT_EQ(registeredTypeLibFile(failing, kId, 1, 0, 0), "");

    class FailingQuery : public MemoryRegistry {
      public:
        int closed = 0;
        std::optional<Value> queryValue(registry::KeyHandle, const std::string&) override {
            throw PlatformError("broken value");
        }
        void closeKey(registry::KeyHandle k) override {
            ++closed;
            MemoryRegistry::closeKey(k);
        }
    } query;
    query.closeKey(query.createKey(Root::ClassesRoot, typeLibRegistrationKey(kId, 1, 0, 0)));
    query.closed = 0;
    EXPECT_EQ(registeredTypeLibFile(query, kId, 1, 0, 0), "");
    EXPECT_EQ(query.closed, 1);  // the key is still closed
}

TEST(TypeLibRegistration, DescriptionIsTheVersionKeysDefaultText) {
    MemoryRegistry reg;
    registerFile(reg, "TypeLib\\" + kId + "\\2.A", Value::text("Common Controls 2.10"));
    registerFile(reg, typeLibRegistrationKey(kId, 2, 10, 0), Value::text("/c/ctl.ocx"));
    reg.readOnlyRoots.insert(Root::ClassesRoot);
    EXPECT_EQ(registeredTypeLibDescription(reg, kId, 2, 10), "Common Controls 2.10");
    EXPECT_EQ(registeredTypeLibDescription(reg, kId, 2, 1), "");
    EXPECT_EQ(reg.openHandles(), 0u);
}
