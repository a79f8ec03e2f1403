#include "projectview/file_list.h"

#include "platform/error.h"

namespace arkstash::projectview {

namespace {

constexpr int kRightButton = 2;

void setTool(form::MainForm& frm, const char* id, bool on) {
    attempt([&] { frm.SSActiveToolBars1.setEnabled(id, on); });
}

bool hasWildcard(const std::string& path) {
    return path.find_first_of("*?") != std::string::npos;
}

}  // namespace

void AddToListView(form::MainForm& frm, const std::string& Desc, const std::string& Item1,
                   const std::string& Item2, const std::string& Item3, const std::string& item4,
                   const std::string& Item5, int Icon, const std::string& Color) {
    if (Desc.empty()) return;
    // A path with wildcards would match some other file; a row is the file it names or none.
    if (hasWildcard(Desc)) return;
    bool found = false;
    attempt([&] { found = frm.platform.fs.findFirst(Desc, false).has_value(); });
    if (!found) return;

    // The row is put together first and added whole, so that a list sorted on another column
    // than the path places it by that column's cell.
    ui::ListItem row;
    row.text = Desc;
    row.smallIcon = Icon;
    const std::string* cells[] = {&Item1, &Item2, &Item3, &item4, &Item5};
    for (std::size_t i = 0; i < 5; ++i) row.setCell(i + 1, *cells[i]);
    row.checked = true;
    if (Color == "Black")
        row.foreColor = ui::kBlack;
    else if (Color == "Green")
        row.foreColor = kUserAddedColour;
    attempt([&] { frm.ListView1.addItem(std::move(row)); });
}

void ListView1_ColumnClick(form::MainForm& frm, int columnIndex) {
    ui::ListView& list = frm.ListView1;
    attempt([&] {
        if (columnIndex < 1) throw PlatformError("Invalid column index");
        list.SortKey = columnIndex - 1;
    });
    attempt([&] {
        list.sortOrder = list.sortOrder == ui::SortOrder::Descending ? ui::SortOrder::Ascending
                                                                     : ui::SortOrder::Descending;
    });
    attempt([&] {
        list.Sorted = true;
        list.sort();
    });
}

void SetViewToolsFromExtension(form::MainForm& frm, const std::string& rowText, bool ctxIsBinary) {
    // Extensions are compared exactly: an upper-case "FRM" matches nothing and changes nothing.
    std::string ending = rowText.size() > 3 ? rowText.substr(rowText.size() - 3) : rowText;
    if (ending == "dob" || ending == "frm" || ending == "dsr" || ending == "ctl") {
        setTool(frm, "ID_ViewCode", true);
        setTool(frm, "ID_ViewObject", true);
    } else if (ending == "cls" || ending == "bas") {
        setTool(frm, "ID_ViewCode", true);
        setTool(frm, "ID_ViewObject", false);
    } else if (ending == "res" || ending == "vbp" || ending == "frx" ||
               (ctxIsBinary && ending == "ctx")) {
        setTool(frm, "ID_ViewCode", false);
        setTool(frm, "ID_ViewObject", false);
    }
}

void ListView1_ItemClick(form::MainForm& frm, std::size_t row) {
    ui::ListView& list = frm.ListView1;
    if (list.items.empty()) {
        setTool(frm, "ID_ViewCode", false);
        setTool(frm, "ID_ViewObject", false);
        setTool(frm, "ID_Fileproperties", false);
        return;
    }
    // A row that is not there (the view raced a rescan) is no click at all.
    if (row >= list.items.size()) return;
    list.selected = row;
    const ui::ListItem& item = list.items[row];
    SetViewToolsFromExtension(frm, item.text, true);
    setTool(frm, "ID_Fileproperties", true);
    if (item.foreColor && *item.foreColor == kUserAddedColour) {
        setTool(frm, "ID_Remove", true);
        setTool(frm, "ID_ViewCode", false);
        setTool(frm, "ID_ViewObject", false);
    } else {
        setTool(frm, "ID_Remove", false);
    }
}

void ListView1_MouseUp(form::MainForm& frm, int button) {
    if (frm.ListView1.items.empty() || button != kRightButton) return;
    attempt([&] { frm.SSActiveToolBars1.popUpMenu("ID_ListView1"); });
}

void tvMain_Collapse(form::MainForm& frm, std::size_t node) {
    ui::TreeView& tree = frm.tvMain;
    if (node >= tree.nodes.size()) return;
    tree.nodes[node].expanded = false;
    if (tree.selected == node) tree.selected.reset();
}

void tvMain_Expand(form::MainForm& frm, std::size_t node) {
    ui::TreeView& tree = frm.tvMain;
    if (node >= tree.nodes.size()) return;
    tree.nodes[node].expanded = true;
    tree.selected = node;
}

}  // namespace arkstash::projectview
