#include "controls/list_columns.h"

#include <algorithm>

namespace arkstash::controls {

namespace {
constexpr long kCellPadding = 180;         // margin a fitted column keeps around its text
constexpr long kCheckBoxAndPicture = 600;  // what the first column shows before its text
}  // namespace

long approximateTextWidth(const std::string& text, bool bold) {
    // Code points, not bytes, at about 6 pixels (90 twips) a character.
    long characters = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++characters;
    return characters * (bold ? 100 : 90);
}

long fittedWidth(const ListColumn& column, const std::vector<std::string>& cells, bool bold,
                 bool firstColumn, const TextMeasure& measure) {
    long widest = measure(column.header, false);
    for (const auto& cell : cells) widest = std::max(widest, measure(cell, bold));
    return widest + kCellPadding + (firstColumn ? kCheckBoxAndPicture : 0);
}

long remainingWidth(const std::vector<ListColumn>& columns, std::size_t index, long listWidth,
                    const TextMeasure& measure) {
    long used = 0;
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (i != index) used += columns[i].width;
    long header = measure(columns[index].header, false) + kCellPadding;
    return std::max(listWidth - used, header);
}

}  // namespace arkstash::controls
