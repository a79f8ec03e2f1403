#include "platform/ui/list_view.h"

#include <algorithm>

#include "platform/error.h"

namespace arkstash::ui {

namespace {
const std::string kEmpty;
constexpr long kCellPadding = 180;  // twips of margin a fitted column keeps around its text
}  // namespace

const std::string& ListItem::cell(std::size_t index) const {
    if (index == 0) return text;
    return index <= subItems.size() ? subItems[index - 1] : kEmpty;
}

void ListItem::setCell(std::size_t index, std::string value) {
    if (index == 0) {
        text = std::move(value);
        return;
    }
    if (subItems.size() < index) subItems.resize(index);
    subItems[index - 1] = std::move(value);
}

long approximateTextWidth(const std::string& text, bool bold) {
    // Count code points, not bytes, at about 6 pixels (90 twips) a character.
    long chars = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++chars;
    return chars * (bold ? 100 : 90);
}

void ListView::addColumn(std::string text, long width, Alignment a) {
    columns.push_back(ListColumn{std::move(text), width, a});
}

void ListView::autoSizeColumn(std::size_t index) {
    if (index >= columns.size()) return;
    long widest = measure(columns[index].text, false);
    for (const auto& item : items) widest = std::max(widest, measure(item.cell(index), item.bold));
    // The first column also shows the check box and the small picture.
    columns[index].width = widest + kCellPadding + (index == 0 ? 600 : 0);
}

void ListView::fillColumn(std::size_t index) {
    if (index >= columns.size()) return;
    long used = 0;
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (i != index) used += columns[i].width;
    long rest = Width - used;
    long header = measure(columns[index].text, false) + kCellPadding;
    columns[index].width = std::max(rest, header);
}

ListItem& ListView::addItem(std::string text, int smallIcon) {
    ListItem item;
    item.text = std::move(text);
    item.smallIcon = smallIcon;
    return addItem(std::move(item));
}

ListItem& ListView::addItem(ListItem item) {
    if (!Sorted) {
        items.push_back(std::move(item));
        return items.back();
    }
    // A sorted list places a new row after the rows that sort with it or before it. The rows
    // are in order already, so a binary search finds the place (a scan adds thousands).
    auto key = static_cast<std::size_t>(SortKey);
    const std::string& k = item.cell(key);
    auto pos = sortOrder == SortOrder::Ascending
                   ? std::upper_bound(
                         items.begin(), items.end(), k,
                         [&](const std::string& v, const ListItem& it) { return v < it.cell(key); })
                   : std::upper_bound(items.begin(), items.end(), k,
                                      [&](const std::string& v, const ListItem& it) {
                                          return it.cell(key) < v;
                                      });
    auto at = items.insert(pos, std::move(item));
    if (selected && *selected >= static_cast<std::size_t>(at - items.begin())) ++*selected;
    return *at;
}

void ListView::removeItem(std::size_t zeroBasedIndex) {
    if (zeroBasedIndex >= items.size()) throw PlatformError("Index out of bounds");
    items.erase(items.begin() + static_cast<long>(zeroBasedIndex));
    if (selected) {
        if (*selected == zeroBasedIndex)
            selected.reset();
        else if (*selected > zeroBasedIndex)
            --*selected;
    }
}

void ListView::sort() {
    if (!Sorted) return;
    std::optional<ListItem> keep;
    if (selected && *selected < items.size()) keep = items[*selected];
    auto key = static_cast<std::size_t>(SortKey);
    std::stable_sort(items.begin(), items.end(), [&](const ListItem& a, const ListItem& b) {
        return sortOrder == SortOrder::Ascending ? a.cell(key) < b.cell(key)
                                                 : b.cell(key) < a.cell(key);
    });
    if (keep) {
        // The selection follows its row.
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i].text == keep->text && items[i].subItems == keep->subItems) {
                selected = i;
                break;
            }
    }
}

}  // namespace arkstash::ui
