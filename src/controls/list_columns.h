// Columns of a report-style list: a header, a width in twips and an alignment, and the rules by
// which a column is fitted to its contents or stretched over the rest of the list.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace arkstash::controls {

enum class Alignment { Left, Right, Center };

struct ListColumn {
    std::string header;
    long width = 0;  // twips
    Alignment alignment = Alignment::Left;
};

// Text widths in twips. The headless measure counts characters; the desktop view installs one
// that asks the font.
using TextMeasure = std::function<long(const std::string& text, bool bold)>;
long approximateTextWidth(const std::string& text, bool bold);

// The width that shows the header and every cell (the first column also holds the check box and
// the small picture).
long fittedWidth(const ListColumn& column, const std::vector<std::string>& cells, bool bold,
                 bool firstColumn, const TextMeasure& measure);
// The width that fills what the other columns leave of `listWidth`, but never less than the
// header needs.
long remainingWidth(const std::vector<ListColumn>& columns, std::size_t index, long listWidth,
                    const TextMeasure& measure);

}  // namespace arkstash::controls
