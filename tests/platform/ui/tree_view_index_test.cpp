#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/ui/list_view.h"
#include "platform/ui/tree_view.h"

using namespace arkstash;
using namespace arkstash::ui;

TEST(TreeViewKeys, DuplicateKeysAreRefusedAndFoundAgainAfterClear) {
    TreeView t;
    t.add("", "P", "P", 12);
    t.add("P", "PForms", "Forms", 16);
    EXPECT_THROW(t.add("P", "PForms", "Forms", 16), PlatformError);
    EXPECT_THROW(t.add("", "P", "P again", 12), PlatformError);
    EXPECT_THROW(t.add("Nope", "X", "X", 1), PlatformError);
    EXPECT_THROW(t.addChild(9, "Y", "Y", 1), PlatformError);
    EXPECT_EQ(t.nodes.size(), 2u);
    t.add("PForms", "", "Form1", 5);
    t.add("PForms", "", "Form2", 5);  // nodes without a key never clash
    EXPECT_EQ(t.find("PForms"), std::optional<std::size_t>(1));
    EXPECT_FALSE(t.find("").has_value());

    t.clear();
    EXPECT_FALSE(t.find("P").has_value());
    t.add("", "Q", "Q", 12);
    EXPECT_NO_THROW(t.add("", "P", "P", 12));
    EXPECT_EQ(t.find("P"), std::optional<std::size_t>(1));
}

TEST(TreeViewKeys, NodesChangedDirectlyAreStillFound) {
    TreeView t;
    t.add("", "A", "A", 1);
    t.add("", "B", "B", 1);
    // A view or a test may write the public vector itself.
    t.nodes.push_back(TreeNode{"C", "C", 1, 0, {}, false, false});
    EXPECT_EQ(t.find("C"), std::optional<std::size_t>(2));
    t.nodes.erase(t.nodes.begin());
    EXPECT_EQ(t.find("B"), std::optional<std::size_t>(0));
    EXPECT_EQ(t.find("C"), std::optional<std::size_t>(1));
    EXPECT_FALSE(t.find("A").has_value());
    t.nodes[0].key = "B2";
    t.reindex();
    EXPECT_EQ(t.find("B2"), std::optional<std::size_t>(0));
    EXPECT_FALSE(t.find("B").has_value());
}

TEST(ListViewSortedInsert, NewRowsGoAfterTheirEqualsInEitherOrder) {
    ListView l;
    l.Sorted = true;
    for (const char* s : {"b", "a", "c", "b"}) l.addItem(s, 0).subItems = {s};
    std::vector<std::string> got;
    for (auto& i : l.items) got.push_back(i.text);
    EXPECT_EQ(got, (std::vector<std::string>{"a", "b", "b", "c"}));
    // The row handed back is the one just placed.
    ListItem& added = l.addItem("bb", 3);
    EXPECT_EQ(added.smallIcon, 3);
    EXPECT_EQ(&added, &l.items[3]);

    l.sortOrder = SortOrder::Descending;
    l.sort();
    l.addItem("ba", 0);
    got.clear();
    for (auto& i : l.items) got.push_back(i.text);
    EXPECT_EQ(got, (std::vector<std::string>{"c", "bb", "ba", "b", "b", "a"}));
}

TEST(ListViewSortedInsert, SelectionFollowsItsRowWhenOneIsPlacedBefore) {
    ListView l;
    l.Sorted = true;
    l.addItem("m", 0);
    l.addItem("z", 0);
    l.selected = 1;  // "z"
    l.addItem("a", 0);
    ASSERT_NE(l.selectedItem(), nullptr);
    EXPECT_EQ(l.selectedItem()->text, "z");
    l.addItem("zz", 0);
    EXPECT_EQ(l.selectedItem()->text, "z");
}
