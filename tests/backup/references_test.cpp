#include "backup/references.h"

#include <gtest/gtest.h>

#include "platform/ide/memory_ide.h"
#include "platform/registry/memory_registry.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"

using namespace arkstash;
using ide::ReferenceData;
using registry::Root;

namespace {

const std::string kStdole = "{00020430-0000-0000-C000-000000000046}";
const std::string kGrid = "{5E9E78A0-531B-11CF-91F6-C2863C385E30}";

class ReferencesTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    os::PosixFileSystem fs;
    registry::MemoryRegistry classes;
    ide::MemoryVBE vbe;
    std::vector<long> failures;

    ide::MemoryProject& project(const std::string& name) {
        return vbe.addProject(ide::ProjectData{.Name = name, .FileName = dir / (name + ".vbp")});
    }
    void registerLibrary(const std::string& id, const std::string& version,
                         const std::string& file) {
        auto key =
            classes.createKey(Root::ClassesRoot, "TypeLib\\" + id + "\\" + version + "\\0\\win32");
        classes.setValue(key, "", registry::Value::text(file));
        classes.closeKey(key);
    }
    std::vector<backup::ReferenceRow> load() {
        return backup::LoadReferences(vbe, fs, classes,
                                      [this](long number) { failures.push_back(number); });
    }
};

TEST_F(ReferencesTest, OneRowPerLibraryWithItsFileAndWithoutTheRuntime) {
    std::string tlb = dir.write("stdole2.tlb", "x");
    auto& a = project("A");
    auto& b = project("B");
    a.addReference({kStdole, 2, 0, tlb, false, "OLE Automation"});
    a.addReference({"{EA544A21-C82D-11D1-A3E4-00A0C90AEA82}", 6, 0, tlb, false,
                    "Visual Basic runtime objects and procedures"});
    b.addReference({kStdole, 2, 0, tlb, false, "OLE Automation again"});
    b.addReference({"{11111111-0000-0000-0000-000000000000}", 1, 10, dir / "gone.dll", false,
                    "Missing"});
    b.addReference({"{22222222-0000-0000-0000-000000000000}", 1, 0, tlb, true, "Broken"});
    auto rows = load();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].description, "OLE Automation");
    EXPECT_EQ(backup::cellText(rows[0], backup::kReferenceFileColumn), tlb);
    EXPECT_TRUE(rows[0].checked && rows[0].resolved);
    EXPECT_EQ(backup::cellText(rows[1], backup::kVersionColumn), "1.10");
    for (const auto& unresolved : {rows[1], rows[2]}) {
        EXPECT_EQ(backup::cellText(unresolved, backup::kReferenceFileColumn), "Unknown");
        EXPECT_FALSE(unresolved.checked);
    }
}

TEST_F(ReferencesTest, ACachedControlLibraryLeadsToTheRegisteredControlFile) {
    // A library of version 1.10 is registered under the key part 1.a (hexadecimal).
    std::string oca = dir.write("grid.oca", test::buildPe(test::ocaResources(kGrid, 1, 10, 0)).bytes);
    registerLibrary(kGrid, "1.a", "C:\\Windows\\System32\\grid32.ocx");
    std::string unregistered =
        dir.write("other.OCA", test::buildPe(test::ocaResources(kStdole, 2, 0, 0)).bytes);
    std::string unreadable = dir.write("junk.oca", "not a library");
    auto& p = project("P");
    p.addReference({kGrid, 1, 10, oca, false, "Grid"});
    p.addReference({"{33333333-0000-0000-0000-000000000000}", 2, 0, unregistered, false, "Other"});
    p.addReference({"{44444444-0000-0000-0000-000000000000}", 1, 0, unreadable, false, "Junk"});
    auto rows = load();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].file, "C:\\Windows\\System32\\grid32.ocx");
    // Not registered, or not readable: ticked with an empty file, the latter reported.
    for (std::size_t i : {1u, 2u}) {
        EXPECT_EQ(rows[i].file, "") << i;
        EXPECT_TRUE(rows[i].checked) << i;
    }
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0], 0);
}

}  // namespace
