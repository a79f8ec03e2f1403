#include "form/file_rows.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ide/memory_ide.h"
#include "platform/os/clock.h"
#include "platform/registry/memory_registry.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/runtime.h"
#include "support/headless_window.h"
#include "support/temp_dir.h"

using namespace arkstash;

namespace {

struct Window : test::HeadlessWindow {};

}  // namespace

TEST(FileRows, AnExistingFileGivesOneCheckedRowWithItsCellsAndPicture) {
    test::TempDir dir;
    std::string path = dir.write("notes.txt", "hello");
    Window w;
    EXPECT_TRUE(
        form::AddFileRow(w.frm, path, "---", "User added", "5", "01 Jan 2026", "---", 22, "Green"));
    ASSERT_EQ(w.frm.ListView1.items.size(), 1u);
    const ui::ListItem& row = w.frm.ListView1.items[0];
    EXPECT_EQ(row.text, path);
    EXPECT_EQ(row.subItems,
              (std::vector<std::string>{"---", "User added", "5", "01 Jan 2026", "---"}));
    EXPECT_EQ(row.smallIcon, 22);
    EXPECT_TRUE(row.checked);
    EXPECT_EQ(row.foreColor, std::optional<ui::Colour>(0xFF0000));
    EXPECT_TRUE(form::IsUserAddedRow(row));
}

TEST(FileRows, NoRowForAnEmptyPathAFolderAHiddenFileAMissingFileOrAnInvalidPath) {
    test::TempDir dir;
    dir.write("sub/inner.txt", "x");
    std::string hidden = dir.write(".secret", "x");
    Window w;
    EXPECT_FALSE(form::AddFileRow(w.frm, "", "", "", "", "", "", 1, "Black"));
    EXPECT_FALSE(form::AddFileRow(w.frm, dir / "sub", "", "", "", "", "", 1, "Black"));
    EXPECT_FALSE(form::AddFileRow(w.frm, hidden, "", "", "", "", "", 1, "Black"));
    EXPECT_FALSE(form::AddFileRow(w.frm, dir / "gone.txt", "", "", "", "", "", 1, "Black"));
    EXPECT_FALSE(form::AddFileRow(w.frm, std::string("a\0b", 3), "", "", "", "", "", 1, "Black"));
    EXPECT_TRUE(w.frm.ListView1.items.empty());
}

TEST(FileRows, ColourTokensAreExactAndCaseSensitive) {
    test::TempDir dir;
    std::string path = dir.write("a.bas", "x");
    Window w;
    for (const char* token : {"Black", "Green", "green", "Blue", ""})
        ASSERT_TRUE(form::AddFileRow(w.frm, path, "", "", "", "", "", 1, token));
    auto& items = w.frm.ListView1.items;
    EXPECT_EQ(items[0].foreColor, std::optional<ui::Colour>(0x000000));
    EXPECT_EQ(items[1].foreColor, std::optional<ui::Colour>(0xFF0000));
    EXPECT_FALSE(items[2].foreColor.has_value());
    EXPECT_FALSE(items[3].foreColor.has_value());
    EXPECT_FALSE(items[4].foreColor.has_value());
    // Scanned rows are not user-added ones, whatever their colour.
    EXPECT_FALSE(form::IsUserAddedRow(items[1]));
}

TEST(FileRows, InASortedListTheRowLandsInPlaceAndIsTheOneMarked) {
    test::TempDir dir;
    std::string a = dir.write("a.txt", "x"), b = dir.write("b.txt", "x"),
                c = dir.write("c.txt", "x");
    Window w;
    ASSERT_TRUE(form::AddFileRow(w.frm, a, "", "Module", "", "", "", 1, "Black"));
    ASSERT_TRUE(form::AddFileRow(w.frm, c, "", "Module", "", "", "", 1, "Black"));
    w.frm.ListView1.items[0].checked = false;
    w.frm.ListView1.items[1].checked = false;
    w.frm.ListView1.Sorted = true;
    ASSERT_TRUE(form::AddFileRow(w.frm, b, "---", "User added", "", "", "---", 22, "Green"));
    auto& items = w.frm.ListView1.items;
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1].text, b);
    EXPECT_TRUE(items[1].checked);
    EXPECT_EQ(items[1].foreColor, std::optional<ui::Colour>(0xFF0000));
    EXPECT_FALSE(items[0].checked);
    EXPECT_FALSE(items[2].checked);
}
