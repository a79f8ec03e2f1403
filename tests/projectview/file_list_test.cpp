#include "projectview/file_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/error.h"
#include "projectview/fill_tree.h"
#include "scan_fixture.h"

using namespace arkstash;
using namespace arkstash::projectview;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class FileListTest : public test::ScanFixture {
  protected:
    void add(const std::string& path, const std::string& type = "Module",
             const std::string& colour = "Black") {
        AddToListView(frm, path, " 1", type, "1", "01 Jan 2026", "True", 1, colour);
    }
    void setAll(bool on) {
        for (const char* id : {"ID_ViewCode", "ID_ViewObject", "ID_Fileproperties", "ID_Remove"})
            frm.SSActiveToolBars1.setEnabled(id, on);
    }
};

TEST_F(FileListTest, RowCarriesItsCellsIconCheckAndColour) {
    std::string path = file("Module1.bas");
    AddToListView(frm, path, " 12", "Module", "1,024", "05 May 2026", "False", 1, "Black");
    AddToListView(frm, file("notes.txt"), "---", "User added", "3", "05 May 2026", "---", 22,
                  "Green");
    AddToListView(frm, file("other.txt"), "---", "User added", "3", "05 May 2026", "---", 22,
                  "green");  // tokens are case-sensitive
    ASSERT_EQ(frm.ListView1.items.size(), 3u);
    const ui::ListItem& r = frm.ListView1.items[0];
    EXPECT_EQ(r.text, path);
    EXPECT_THAT(r.subItems, ElementsAre(" 12", "Module", "1,024", "05 May 2026", "False"));
    EXPECT_EQ(r.smallIcon, 1);
    EXPECT_TRUE(r.checked);
    EXPECT_EQ(r.foreColor, std::optional<ui::Colour>(0));
    EXPECT_EQ(frm.ListView1.items[1].foreColor, std::optional<ui::Colour>(0xFF0000));
    EXPECT_EQ(frm.ListView1.items[1].smallIcon, 22);
    EXPECT_FALSE(frm.ListView1.items[2].foreColor.has_value());
    EXPECT_TRUE(frm.ListView1.items[2].checked);
}

TEST_F(FileListTest, NoRowForAnythingButAnExistingVisibleFile) {
    std::string folder = dir / "sub";
    file("sub/inner.bas");
    add("");
    add(folder);
    add(file(".hidden.bas"));
    add(dir / "missing.bas");
    add(file("sub/inner.bas") + "/x");  // below a file
    add(dir / "sub/*.bas");             // a pattern, even though a file matches it
    add(dir / "sub/inner.ba?");
    EXPECT_THAT(rowTexts(), IsEmpty());
    add(file("sub/inner.bas"));
    EXPECT_EQ(rowTexts(), std::vector<std::string>{dir / "sub/inner.bas"});
}

TEST_F(FileListTest, SortedListPlacesANewRowByTheKeyColumnsCell) {
    add(file("a.bas"), "Module");
    add(file("b.frm"), "Form");
    ListView1_ColumnClick(frm, 3);  // Type, descending
    ListView1_ColumnClick(frm, 3);  // Type, ascending
    ASSERT_EQ(frm.ListView1.sortOrder, ui::SortOrder::Ascending);
    add(file("c.txt"), "User added");
    add(file("d.cls"), "Class");
    EXPECT_THAT(rowTexts(),
                ElementsAre(dir / "d.cls", dir / "b.frm", dir / "a.bas", dir / "c.txt"));
}

TEST_F(FileListTest, ColumnClicksFlipTheOrderWhateverTheColumn) {
    add(file("b.bas"), "Module");
    add(file("a.frm"), "Form");
    add(file("c.cls"), "Class");
    ASSERT_EQ(frm.ListView1.sortOrder, ui::SortOrder::Ascending);
    ASSERT_FALSE(frm.ListView1.Sorted);

    ListView1_ColumnClick(frm, 1);
    EXPECT_TRUE(frm.ListView1.Sorted);
    EXPECT_EQ(frm.ListView1.SortKey, 0);
    EXPECT_EQ(frm.ListView1.sortOrder, ui::SortOrder::Descending);
    EXPECT_THAT(rowTexts(), ElementsAre(dir / "c.cls", dir / "b.bas", dir / "a.frm"));

    ListView1_ColumnClick(frm, 1);  // the same column again: the other way
    EXPECT_EQ(frm.ListView1.sortOrder, ui::SortOrder::Ascending);
    EXPECT_THAT(rowTexts(), ElementsAre(dir / "a.frm", dir / "b.bas", dir / "c.cls"));

    ListView1_ColumnClick(frm, 3);  // another column: opposite to the second click
    EXPECT_EQ(frm.ListView1.SortKey, 2);
    EXPECT_EQ(frm.ListView1.sortOrder, ui::SortOrder::Descending);
    EXPECT_THAT(rowTexts(), ElementsAre(dir / "b.bas", dir / "a.frm", dir / "c.cls"));
}

TEST_F(FileListTest, ColumnClickOnAnInvalidIndexKeepsTheKeyButStillFlips) {
    add(file("a.bas"));
    ListView1_ColumnClick(frm, 2);
    ListView1_ColumnClick(frm, 0);
    EXPECT_EQ(frm.ListView1.SortKey, 1);
    EXPECT_EQ(frm.ListView1.sortOrder, ui::SortOrder::Ascending);
}

TEST_F(FileListTest, RowClickSetsViewToolsFromTheExtension) {
    struct Case {
        const char* name;
        bool code, object;
    };
    // Both tools start in the opposite state of the one expected, so a rule left out shows.
    for (Case c :
         {Case{"a.dob", true, true}, Case{"a.frm", true, true}, Case{"a.dsr", true, true},
          Case{"a.ctl", true, true}, Case{"a.cls", true, false}, Case{"a.bas", true, false},
          Case{"a.res", false, false}, Case{"a.vbp", false, false}, Case{"a.frx", false, false},
          Case{"a.ctx", false, false}}) {
        frm.ListView1.clearItems();
        add(file(c.name));
        frm.SSActiveToolBars1.setEnabled("ID_ViewCode", !c.code);
        frm.SSActiveToolBars1.setEnabled("ID_ViewObject", !c.object);
        frm.SSActiveToolBars1.setEnabled("ID_Fileproperties", false);
        frm.SSActiveToolBars1.setEnabled("ID_Remove", true);
        ListView1_ItemClick(frm, 0);
        EXPECT_EQ(toolOn("ID_ViewCode"), c.code) << c.name;
        EXPECT_EQ(toolOn("ID_ViewObject"), c.object) << c.name;
        EXPECT_TRUE(toolOn("ID_Fileproperties")) << c.name;
        EXPECT_FALSE(toolOn("ID_Remove")) << c.name;
        EXPECT_EQ(frm.ListView1.selected, std::optional<std::size_t>(0));
    }
}

TEST_F(FileListTest, UpperCaseOrUnknownExtensionLeavesTheViewToolsAlone) {
    add(file("FORM1.FRM"));
    add(file("readme.txt"));
    add(file("ab"));  // shorter than three characters
    for (bool on : {true, false}) {
        for (std::size_t r = 0; r < 3; ++r) {
            frm.SSActiveToolBars1.setEnabled("ID_ViewCode", on);
            frm.SSActiveToolBars1.setEnabled("ID_ViewObject", !on);
            ListView1_ItemClick(frm, r);
            EXPECT_EQ(toolOn("ID_ViewCode"), on) << r;
            EXPECT_EQ(toolOn("ID_ViewObject"), !on) << r;
        }
    }
}

TEST_F(FileListTest, UserAddedRowIsKnownByItsColour) {
    add(file("Form1.frm"), "User added", "Green");
    add(file("Other.frm"), "User added", "Black");  // the Type text alone is not enough
    setAll(false);
    ListView1_ItemClick(frm, 0);
    EXPECT_TRUE(toolOn("ID_Remove"));
    EXPECT_FALSE(toolOn("ID_ViewCode"));
    EXPECT_FALSE(toolOn("ID_ViewObject"));
    EXPECT_TRUE(toolOn("ID_Fileproperties"));
    ListView1_ItemClick(frm, 1);
    EXPECT_FALSE(toolOn("ID_Remove"));
    EXPECT_TRUE(toolOn("ID_ViewCode"));
    EXPECT_TRUE(toolOn("ID_ViewObject"));

    // Any colour but exactly 0xFF0000 is an ordinary row.
    frm.ListView1.items[0].foreColor = 0xFF0001;
    ListView1_ItemClick(frm, 0);
    EXPECT_FALSE(toolOn("ID_Remove"));
}

TEST_F(FileListTest, ClickOnAnEmptyListDisablesTheFileTools) {
    setAll(true);
    ListView1_ItemClick(frm, 0);
    EXPECT_FALSE(toolOn("ID_ViewCode"));
    EXPECT_FALSE(toolOn("ID_ViewObject"));
    EXPECT_FALSE(toolOn("ID_Fileproperties"));
    EXPECT_TRUE(toolOn("ID_Remove"));  // not among the three
    EXPECT_FALSE(frm.ListView1.selected.has_value());
}

TEST_F(FileListTest, RightButtonOpensThePopUpOnlyOverAListWithRows) {
    ListView1_MouseUp(frm, 2);
    EXPECT_THAT(frm.SSActiveToolBars1.popUpsShown, IsEmpty());

    // The message row of an empty scan counts as a row.
    vbe.addProject({.Name = "Project1"});
    FillTree(frm);
    ASSERT_EQ(frm.ListView1.items.size(), 1u);
    ListView1_MouseUp(frm, 1);
    ListView1_MouseUp(frm, 4);
    EXPECT_THAT(frm.SSActiveToolBars1.popUpsShown, IsEmpty());
    ListView1_MouseUp(frm, 2);
    EXPECT_THAT(frm.SSActiveToolBars1.popUpsShown, ElementsAre("ID_ListView1"));
    const ui::Tool* menu = frm.SSActiveToolBars1.find("ID_ListView1");
    ASSERT_TRUE(menu);
    EXPECT_THAT(menu->items, ElementsAre("ID_ViewCode", "ID_ViewObject", ui::kSeparator,
                                         "ID_Addfiles", "ID_Remove", "ID_Fileproperties"));
}

TEST_F(FileListTest, CollapsingDeselectsAndExpandingSelects) {
    frm.tvMain.add("", "A", "A", 12);
    frm.tvMain.add("A", "AForms", "Forms", 16);
    frm.tvMain.add("", "B", "B", 12);
    tvMain_Expand(frm, 1);
    EXPECT_EQ(frm.tvMain.selected, std::optional<std::size_t>(1));
    EXPECT_TRUE(frm.tvMain.nodes[1].expanded);
    tvMain_Collapse(frm, 2);  // another node: the selection stays
    EXPECT_EQ(frm.tvMain.selected, std::optional<std::size_t>(1));
    tvMain_Collapse(frm, 1);
    EXPECT_FALSE(frm.tvMain.selected.has_value());
    EXPECT_FALSE(frm.tvMain.nodes[1].expanded);
    tvMain_Expand(frm, 7);  // no such node
    EXPECT_FALSE(frm.tvMain.selected.has_value());
}

}  // namespace
