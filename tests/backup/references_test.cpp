#include "backup/references.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/ide/memory_ide.h"
#include "platform/registry/memory_registry.h"
#include "platform/registry/reg_helpers.h"
#include "platform/typelib/type_library.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"

using namespace arkstash;
using ide::ReferenceData;
using registry::Root;

namespace {

const std::string kStdole = "{00020430-0000-0000-C000-000000000046}";
const std::string kRuntime = "{EA544A21-C82D-11D1-A3E4-00A0C90AEA82}";
const std::string kGrid = "{5E9E78A0-531B-11CF-91F6-C2863C385E30}";
const std::string kCommon = "{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}";
const char* kRuntimeText = "Visual Basic runtime objects and procedures";

// Message boxes let window events run; a test can make one happen while a box is up.
struct ModalDialogs : ui::ScriptedDialogs {
    std::function<void()> whileShown;
    int MsgBox(const ui::MessageBoxRequest& request) override {
        if (whileShown) whileShown();
        return ScriptedDialogs::MsgBox(request);
    }
    using Dialogs::MsgBox;
};

class References : public ::testing::Test {
  protected:
    test::TempDir dir;
    os::PosixFileSystem fs;
    os::FixedClock clock{os::DateTime{}};
    registry::MemoryRegistry reg;
    ModalDialogs dialogs;
    ui::HeadlessEventLoop loop;
    form::Platform platform{fs, clock, reg, dialogs, loop};
    form::MainForm frm{platform};
    ide::MemoryVBE vbe;

    void SetUp() override {
        frm.VBInstance = &vbe;
        reg.readOnlyRoots.insert(Root::ClassesRoot);
    }

    ide::MemoryProject& project(const std::string& name) {
        return vbe.addProject(ide::ProjectData{.Name = name, .FileName = dir / (name + ".vbp")});
    }
    void registerControl(const std::string& id, const std::string& version,
                         const std::string& file) {
        reg.readOnlyRoots.clear();
        auto h = reg.createKey(Root::ClassesRoot, "TypeLib\\" + id + "\\" + version + "\\0\\win32");
        reg.setValue(h, "", registry::Value::text(file));
        reg.closeKey(h);
        reg.readOnlyRoots.insert(Root::ClassesRoot);
    }
    std::string oca(const std::string& name, const std::string& id, std::uint16_t major,
                    std::uint16_t minor) {
        return dir.write(name, test::buildPe(test::ocaResources(id, major, minor, 0)).bytes);
    }
    const ui::ListItem* row(const std::string& guid) {
        for (const auto& item : frm.ListView2.items)
            if (item.cell(3) == guid) return &item;
        return nullptr;
    }
    std::vector<std::string> guids() {
        std::vector<std::string> out;
        for (const auto& item : frm.ListView2.items) out.push_back(item.cell(3));
        return out;
    }
};

}  // namespace

TEST_F(References, BuildsTheFourColumnsAndOneRowPerLibrary) {
    std::string tlb = dir.write("stdole2.tlb", "x");
    project("Sales").addReference(ReferenceData{
        .Guid = kStdole, .Major = 2, .Minor = 0, .FullPath = tlb, .Description = "OLE Automation"});
    frm.ListView2.addItem("stale row", 0);
    frm.ListView2.addColumn("stale column", 10);
    backup::LoadReferences(frm);

    const auto& cols = frm.ListView2.columns;
    ASSERT_EQ(cols.size(), 4u);
    EXPECT_EQ(cols[0].text, "Description");
    EXPECT_EQ(cols[1].text, "Version");
    EXPECT_EQ(cols[1].width, 800);  // never fitted
    EXPECT_EQ(cols[1].alignment, ui::Alignment::Center);
    EXPECT_EQ(cols[2].text, "File");
    EXPECT_EQ(cols[3].text, "Guid");
    // Fitted to their contents: the file column takes the whole path.
    EXPECT_GE(cols[2].width, frm.ListView2.measure(tlb, false));
    EXPECT_GE(cols[3].width, frm.ListView2.measure(kStdole, false));
    EXPECT_EQ(frm.ListView2.View, ui::ListViewMode::Report);

    ASSERT_EQ(frm.ListView2.items.size(), 1u);
    const ui::ListItem& item = frm.ListView2.items[0];
    EXPECT_EQ(item.text, "OLE Automation");
    EXPECT_EQ(item.cell(1), "2.0");
    EXPECT_EQ(item.cell(2), tlb);
    EXPECT_EQ(item.smallIcon, 18);
    EXPECT_TRUE(item.checked);
    EXPECT_EQ(item.foreColor, std::optional<ui::Colour>(ui::kBlack));
    // Drawing held during the rebuild and given back, then one refresh.
    EXPECT_EQ(frm.ListView2.redrawHeld, 0);
    EXPECT_EQ(frm.ListView2.refreshes, 1);
}

TEST_F(References, TwoProjectsSharingALibraryGiveOneRow) {
    std::string ocx = dir.write("grid.ocx", "x");
    std::string tlb = dir.write("stdole2.tlb", "x");
    auto& a = project("A");
    a.addReference({.Guid = kStdole, .Major = 2, .FullPath = tlb, .Description = "OLE Automation"});
    a.addReference({.Guid = kGrid, .Major = 1, .FullPath = ocx, .Description = "Grid A"});
    auto& b = project("B");
    b.addReference({.Guid = kGrid, .Major = 1, .FullPath = ocx, .Description = "Grid B"});
    b.addReference({.Guid = kStdole, .Major = 2, .FullPath = tlb, .Description = "Other"});
    backup::LoadReferences(frm);
    EXPECT_EQ(guids(), (std::vector<std::string>{kStdole, kGrid}));
    EXPECT_EQ(row(kGrid)->text, "Grid A");  // the first project's row

    // A rebuild starts from nothing: the same rows again, not doubled.
    backup::LoadReferences(frm);
    EXPECT_EQ(guids(), (std::vector<std::string>{kStdole, kGrid}));
}

TEST_F(References, TheRuntimeLibraryNeverShowsAndStaysSeen) {
    std::string dll = dir.write("msvbvm60.dll", "x");
    project("A").addReference(
        {.Guid = kRuntime, .Major = 6, .FullPath = dll, .Description = kRuntimeText});
    // The same library under another description in a later project is still the runtime.
    project("B").addReference(
        {.Guid = kRuntime, .Major = 6, .FullPath = dll, .Description = "Runtime, renamed"});
    // Only the exact description counts.
    project("C").addReference({.Guid = kStdole,
                               .FullPath = dll,
                               .Description = "visual basic runtime objects and procedures"});
    backup::LoadReferences(frm);
    EXPECT_EQ(guids(), std::vector<std::string>{kStdole});
}

TEST_F(References, VersionsShowInDecimalAndOcasAreLookedUpInHex) {
    std::string ocaPath = oca("GRID32.OCA", kGrid, 1, 10);
    registerControl(kGrid, "1.A", "C:\\Windows\\System32\\GRID32.OCX");
    registerControl(kGrid, "1.10", "C:\\wrong.ocx");
    project("A").addReference(
        {.Guid = kGrid, .Major = 1, .Minor = 10, .FullPath = ocaPath, .Description = "Grid"});
    backup::LoadReferences(frm);
    ASSERT_TRUE(row(kGrid));
    EXPECT_EQ(row(kGrid)->cell(1), "1.10");
    EXPECT_EQ(row(kGrid)->cell(2), "C:\\Windows\\System32\\GRID32.OCX");
    EXPECT_TRUE(row(kGrid)->checked);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(References, ALowerCaseOcaIsAnOca) {
    std::string ocaPath = oca("mscomctl.oca", kCommon, 2, 0);
    registerControl(kCommon, "2.0", "/controls/MSCOMCTL.OCX");
    project("A").addReference(
        {.Guid = kCommon, .Major = 2, .FullPath = ocaPath, .Description = "Common Controls"});
    backup::LoadReferences(frm);
    EXPECT_EQ(row(kCommon)->cell(2), "/controls/MSCOMCTL.OCX");
}

TEST_F(References, BrokenMissingAndHiddenFilesStayUnknownAndUnticked) {
    std::string present = dir.write("present.dll", "x");
    std::string hidden = dir.write(".hidden.dll", "x");
    std::string brokenOca = oca("broken.oca", kCommon, 2, 0);
    registerControl(kCommon, "2.0", "/controls/MSCOMCTL.OCX");
    auto& p = project("A");
    p.addReference({.Guid = "{1}", .FullPath = present, .IsBroken = true, .Description = "Broken"});
    p.addReference({.Guid = "{2}", .FullPath = dir / "gone.dll", .Description = "Missing"});
    p.addReference({.Guid = "{3}", .FullPath = hidden, .Description = "Hidden"});
    p.addReference({.Guid = "{4}", .FullPath = dir.str(), .Description = "A folder"});
    p.addReference({.Guid = kCommon,
                    .Major = 2,
                    .FullPath = brokenOca,
                    .IsBroken = true,
                    .Description = "Broken control"});
    backup::LoadReferences(frm);
    ASSERT_EQ(frm.ListView2.items.size(), 5u);
    for (const auto& item : frm.ListView2.items) {
        SCOPED_TRACE(item.text);
        EXPECT_EQ(item.cell(2), "Unknown");
        EXPECT_FALSE(item.checked);
        EXPECT_FALSE(item.foreColor);
    }
    EXPECT_TRUE(dialogs.messages.empty());  // a broken ".oca" is not even read
}

TEST_F(References, AnOcaWithoutIdentityOrRegistrationIsTickedWithAnEmptyFile) {
    auto res = test::ocaResources(kGrid, 1, 0, 0);
    std::string noIdentity = dir.write("noid.oca", test::buildPe({res[1]}).bytes);
    std::string unregistered = oca("unreg.oca", kCommon, 2, 0);
    registerControl(kCommon, "2.1", "/controls/other-version.ocx");
    auto& p = project("A");
    p.addReference({.Guid = kGrid, .Major = 1, .FullPath = noIdentity, .Description = "Grid"});
    p.addReference(
        {.Guid = kCommon, .Major = 2, .FullPath = unregistered, .Description = "Common"});
    backup::LoadReferences(frm);
    for (const std::string& g : {kGrid, kCommon}) {
        ASSERT_TRUE(row(g));
        EXPECT_EQ(row(g)->cell(2), "");
        EXPECT_TRUE(row(g)->checked);
        EXPECT_EQ(row(g)->foreColor, std::optional<ui::Colour>(ui::kBlack));
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(References, AnUnreadableTypeLibraryIsReportedOncePerReference) {
    std::string noLibrary = dir.write(
        "nolib.oca", test::buildPe({test::PeResource{.type = std::uint16_t{10},
                                                     .name = std::uint16_t{1},
                                                     .data = std::string(56, ' ') + kGrid}})
                         .bytes);
    std::string garbage = dir.write("garbage.oca", "this is no type library");
    auto& a = project("A");
    a.addReference({.Guid = kGrid, .FullPath = noLibrary, .Description = "Grid"});
    a.addReference({.Guid = kCommon, .FullPath = garbage, .Description = "Common"});
    project("B").addReference({.Guid = kGrid, .FullPath = noLibrary, .Description = "Grid"});
    backup::LoadReferences(frm);

    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].prompt, std::to_string(typelib::kCantLoadLibrary));
    EXPECT_EQ(dialogs.messages[1].prompt, std::to_string(typelib::kUnsupportedFormat));
    for (const auto& m : dialogs.messages) {
        EXPECT_EQ(m.title, "Could Not Load Type Library");
        EXPECT_EQ(m.style, ui::vbCritical);
    }
    for (const std::string& g : {kGrid, kCommon}) {
        EXPECT_TRUE(row(g)->checked);
        EXPECT_EQ(row(g)->cell(2), "");
    }
    backup::LoadReferences(frm);  // each rebuild reads the files again
    EXPECT_EQ(dialogs.messages.size(), 4u);
}

TEST_F(References, AListEmptiedWhileTheMessageIsUpIsNotWrittenPast) {
    std::string garbage = dir.write("garbage.oca", "no library");
    std::string dll = dir.write("a.dll", "x");
    auto& p = project("A");
    p.addReference({.Guid = kGrid, .FullPath = garbage, .Description = "Grid"});
    p.addReference({.Guid = kStdole, .FullPath = dll, .Description = "After"});
    dialogs.whileShown = [this] { frm.ListView2.clearItems(); };
    backup::LoadReferences(frm);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    ASSERT_EQ(frm.ListView2.items.size(), 1u);
    EXPECT_EQ(frm.ListView2.items[0].text, "After");
    EXPECT_TRUE(frm.ListView2.items[0].checked);
}

TEST_F(References, FailingEnvironmentMembersDropOnlyTheirOwnPart) {
    std::string dll = dir.write("a.dll", "x");
    auto& p = project("A");
    p.addReference({.Guid = "{NOGUID}", .FullPath = dll, .Description = "No identifier"})
        .fail("Guid");
    p.addReference({.Guid = "{NODESC}", .FullPath = dll, .Description = "x"}).fail("Description");
    p.addReference({.Guid = "{NODESC}", .FullPath = dll, .Description = "Same library later"});
    p.addReference({.Guid = "{NOVER}", .Major = 3, .FullPath = dll, .Description = "No version"})
        .fail("Minor");
    p.addReference({.Guid = "{NOSTATE}", .FullPath = dll, .Description = "No state"})
        .fail("IsBroken");
    p.addReference({.Guid = "{NOPATH}", .FullPath = dll, .Description = "No path"})
        .fail("FullPath");
    p.addReference(
        {.Guid = "{FINE}", .Major = 1, .Minor = 2, .FullPath = dll, .Description = "Fine"});
    backup::LoadReferences(frm);

    EXPECT_EQ(guids(), (std::vector<std::string>{"{NOVER}", "{NOSTATE}", "{NOPATH}", "{FINE}"}));
    EXPECT_EQ(row("{NOVER}")->cell(1), "");
    EXPECT_TRUE(row("{NOVER}")->checked);
    // A reference whose state cannot be read is not taken for a sound one.
    EXPECT_EQ(row("{NOSTATE}")->cell(2), "Unknown");
    EXPECT_FALSE(row("{NOSTATE}")->checked);
    EXPECT_EQ(row("{NOPATH}")->cell(2), "Unknown");
    EXPECT_EQ(row("{FINE}")->cell(1), "1.2");
    EXPECT_EQ(row("{FINE}")->cell(2), dll);
}

TEST_F(References, NoEnvironmentGivesTheColumnsAndNoRows) {
    frm.VBInstance = nullptr;
    backup::LoadReferences(frm);
    EXPECT_EQ(frm.ListView2.columns.size(), 4u);
    EXPECT_TRUE(frm.ListView2.items.empty());
    frm.VBInstance = &vbe;
    vbe.projects().fail("Count");
    project("A").addReference({.Guid = kGrid, .FullPath = dir / "x", .Description = "Grid"});
    backup::LoadReferences(frm);
    EXPECT_TRUE(frm.ListView2.items.empty());
    EXPECT_EQ(frm.ListView2.redrawHeld, 0);
}

TEST_F(References, TheOptionEnablesFrameAndListWithoutChangingRowsOrTicks) {
    std::string dll = dir.write("a.dll", "x");
    auto& p = project("A");
    p.addReference({.Guid = "{A}", .FullPath = dll, .Description = "Present"});
    p.addReference({.Guid = "{B}", .FullPath = dir / "gone.dll", .Description = "Missing"});
    frm.chkAddComponents.Click = [this] { backup::chkAddComponents_Click(frm); };
    frm.chkAddComponents.setValue(1);
    backup::LoadReferences(frm);
    frm.ListView2.items[1].checked = true;  // ticked by hand
    auto before = frm.ListView2.items;
    int refreshes = frm.ListView2.refreshes;

    frm.chkAddComponents.setValue(0);
    EXPECT_FALSE(frm.framRef.Enabled);
    EXPECT_FALSE(frm.ListView2.Enabled);
    EXPECT_EQ(frm.ListView2.refreshes, refreshes + 1);
    frm.chkAddComponents.setValue(1);
    EXPECT_TRUE(frm.framRef.Enabled);
    EXPECT_TRUE(frm.ListView2.Enabled);

    ASSERT_EQ(frm.ListView2.items.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(frm.ListView2.items[i].checked, before[i].checked);
        EXPECT_EQ(frm.ListView2.items[i].subItems, before[i].subItems);
    }
    // A greyed box counts as not ticked.
    frm.chkAddComponents.setValue(2);
    EXPECT_FALSE(frm.ListView2.Enabled);
}

TEST_F(References, EachClickOfTheOptionIsStoredAtOnce) {
    auto stored = [&]() -> std::optional<registry::Value> {
        auto h = reg.openKey(Root::CurrentUser, registry::kSettingsKey, registry::Access::Read);
        if (!h) return std::nullopt;
        auto v = reg.queryValue(*h, "AddRef");
        reg.closeKey(*h);
        return v;
    };
    frm.chkAddComponents.Click = [this] { backup::chkAddComponents_Click(frm); };
    frm.chkAddComponents.setValue(1);
    ASSERT_TRUE(stored());
    EXPECT_EQ(stored()->kind, registry::REG_DWORD);
    EXPECT_EQ(stored()->data, registry::Value::dword(1).data);
    frm.chkAddComponents.setValue(0);
    EXPECT_EQ(stored()->data, registry::Value::dword(0).data);
    EXPECT_EQ(reg.openHandles(), 0u);
}

TEST_F(References, RightButtonOverAFilledListOpensItsMenu) {
    backup::ListView2_MouseUp(frm, 2);  // no rows yet
    EXPECT_TRUE(frm.SSActiveToolBars1.popUpsShown.empty());
    frm.ListView2.addItem("row", 18);
    backup::ListView2_MouseUp(frm, 1);
    EXPECT_TRUE(frm.SSActiveToolBars1.popUpsShown.empty());
    backup::ListView2_MouseUp(frm, 2);
    EXPECT_EQ(frm.SSActiveToolBars1.popUpsShown, std::vector<std::string>{"ID_ListView2"});
}
