// The project loader resolves references and controls that are not where their project file
// says through the type-library registrations.
#include <gtest/gtest.h>

#include "platform/ide/loader_support.h"
#include "platform/registry/memory_registry.h"
#include "platform/typelib/registration.h"

using namespace arkstash;
using namespace arkstash::ide;
using registry::Root;

namespace {

const std::string kComctl = "{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}";
const std::string kShop = "{11111111-2222-3333-4444-555555555555}";

class LoaderRegistrations : public test::LoaderTest {
  protected:
    registry::MemoryRegistry classes;

    void SetUp() override { options.classes = &classes; }
    void setDefault(const std::string& key, const std::string& text) {
        classes.readOnlyRoots.clear();
        auto h = classes.createKey(Root::ClassesRoot, key);
        classes.setValue(h, "", registry::Value::text(text));
        classes.closeKey(h);
        // An ordinary user may only read the classes hive.
        classes.readOnlyRoots.insert(Root::ClassesRoot);
    }
    void registerLibrary(const std::string& id, const std::string& version, const std::string& lcid,
                         const std::string& file, const std::string& description = {}) {
        setDefault("TypeLib\\" + id + "\\" + version + "\\" + lcid + "\\win32", file);
        if (!description.empty()) setDefault("TypeLib\\" + id + "\\" + version, description);
    }
    MemoryProject& loadMain() {
        std::string vbp = write(
            "Main/Main.vbp",
            "Type=Exe\n"
            "Object={831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.a#0; MSCOMCTL.OCX\n"
            "Reference=*\\G{11111111-2222-3333-4444-555555555555}#1.1f#409#C:\\Gone\\shop.tlb#"
            "Shop Types\n"
            "Name=\"Main\"\n");
        load(vbp);
        return vbe.project(1);
    }
};

}  // namespace

TEST_F(LoaderRegistrations, ControlsAndReferencesResolveToTheRegisteredFile) {
    std::string ocx = dir.write("System32/MSCOMCTL.OCX", "MZ");
    std::string tlb = dir.write("Shared/shop.tlb", "MSFT");
    registerLibrary(kComctl, "2.A", "0", ocx, "Microsoft Windows Common Controls 6.0 (SP6)");
    registerLibrary(kShop, "1.1F", "1033", tlb, "Shop Types, as registered");
    MemoryProject& p = loadMain();

    Reference& comctl = p.References().Item(1);
    EXPECT_EQ(comctl.FullPath(), ocx);
    EXPECT_FALSE(comctl.IsBroken());
    EXPECT_EQ(comctl.Description(), "Microsoft Windows Common Controls 6.0 (SP6)");
    Reference& shop = p.References().Item(2);
    EXPECT_EQ(shop.FullPath(), tlb);  // the locale 409 is registered as 1033
    EXPECT_FALSE(shop.IsBroken());
    EXPECT_EQ(shop.Description(), "Shop Types");  // a reference keeps its own description
    EXPECT_EQ(classes.openHandles(), 0u);
}

TEST_F(LoaderRegistrations, RegisteredWindowsPathsGoThroughTheDriveMappings) {
    std::string ocx = dir.write("drive_c/windows/system32/mscomctl.ocx", "MZ");
    options.driveMappings['C'] = dir / "drive_c";
    registerLibrary(kComctl, "2.A", "0", "C:\\WINDOWS\\System32\\MSCOMCTL.OCX");
    EXPECT_EQ(loadMain().References().Item(1).FullPath(), ocx);
    EXPECT_FALSE(vbe.project(1).References().Item(1).IsBroken());
}

TEST_F(LoaderRegistrations, NothingThatResolvesStaysBroken) {
    // Registered, but the file is not there; registered under another version or locale.
    registerLibrary(kComctl, "2.A", "0", "C:\\WINDOWS\\System32\\MSCOMCTL.OCX");
    registerLibrary(kShop, "1.1F", "0", dir / "Shared/shop.tlb");
    registerLibrary(kShop, "1.31", "1033", dir / "Shared/shop.tlb");
    MemoryProject& p = loadMain();
    EXPECT_TRUE(p.References().Item(1).IsBroken());
    EXPECT_EQ(p.References().Item(1).FullPath(), "C:\\WINDOWS\\System32\\MSCOMCTL.OCX");
    EXPECT_TRUE(p.References().Item(2).IsBroken());
}

TEST_F(LoaderRegistrations, WithoutRegistrationsTheWrittenPathIsAllThereIs) {
    std::string ocx = dir.write("System32/MSCOMCTL.OCX", "MZ");
    registerLibrary(kComctl, "2.A", "0", ocx);
    options.classes = nullptr;
    MemoryProject& p = loadMain();
    EXPECT_TRUE(p.References().Item(1).IsBroken());
    EXPECT_EQ(p.References().Item(1).FullPath(), "MSCOMCTL.OCX");
}
