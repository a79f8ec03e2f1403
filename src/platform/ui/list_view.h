// The state of a report-style list view with check boxes: columns, rows, sorting, drawing hold.
// Logic drives it; a view renders it and feeds clicks back as the owner's events.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/control.h"

namespace arkstash::ui {

enum class Alignment { Left, Right, Center };
enum class SortOrder { Ascending, Descending };
enum class ListViewMode { Icon, SmallIcon, List, Report };

struct ListColumn {
    std::string text;
    long width = 0;  // twips
    Alignment alignment = Alignment::Left;
};

struct ListItem {
    std::string text;
    std::vector<std::string> subItems;  // cells 1..n-1 of the row, index 0 = cell 1
    int smallIcon = 0;
    bool checked = false;
    std::optional<Colour> foreColor;  // unset: the list's default text colour
    bool bold = false;

    // Cell 1 is the first sub-item; a cell beyond the row's cells reads empty.
    const std::string& cell(std::size_t index) const;
    void setCell(std::size_t index, std::string value);
};

// Text widths in twips for automatic column sizing. The headless measure counts characters;
// the desktop view installs one that asks the font.
using TextMeasure = std::function<long(const std::string& text, bool bold)>;
long approximateTextWidth(const std::string& text, bool bold);

class ListView : public ControlState {
  public:
    explicit ListView(std::string controlName = {}) { name = std::move(controlName); }

    // Columns.
    std::vector<ListColumn> columns;
    void clearColumns() { columns.clear(); }
    void addColumn(std::string text, long width, Alignment a = Alignment::Left);
    // Fits a column to its widest cell (header included); no such column: nothing.
    void autoSizeColumn(std::size_t index);
    // Stretches a column to fill the rest of the list's width.
    void fillColumn(std::size_t index);

    // Rows. Index 1-based as the control counts them; `items` is 0-based.
    std::vector<ListItem> items;
    ListItem& addItem(std::string text, int smallIcon);
    // Adds a whole row; a sorted list places it by its key cell, which a row given its text
    // alone would not have yet. Answers the row as placed.
    ListItem& addItem(ListItem item);
    void clearItems() {
        items.clear();
        selected.reset();
    }
    void removeItem(std::size_t zeroBasedIndex);
    std::optional<std::size_t> selected;  // 0-based selected row
    ListItem* selectedItem() {
        return selected && *selected < items.size() ? &items[*selected] : nullptr;
    }

    // Display.
    ListViewMode View = ListViewMode::Report;
    bool FullRowSelect = false;  // the additional display option on while file rows are shown
    bool Checkboxes = true;

    // Sorting by the text of column `SortKey` (0 = item text).
    int SortKey = 0;
    SortOrder sortOrder = SortOrder::Ascending;
    bool Sorted = false;
    void sort();  // applies the sort when Sorted is on

    // Drawing hold (the window-update lock); counts nest.
    int redrawHeld = 0;
    int refreshes = 0;
    void refresh() { ++refreshes; }

    TextMeasure measure = approximateTextWidth;
};

}  // namespace arkstash::ui
