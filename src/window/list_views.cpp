#include "window/list_views.h"

namespace arkstash::window {

namespace {

std::vector<std::string> columnCells(std::size_t rowCount, std::size_t column,
                                     const std::function<std::string(std::size_t, std::size_t)>& cell) {
    std::vector<std::string> cells;
    cells.reserve(rowCount);
    for (std::size_t r = 0; r < rowCount; ++r) cells.push_back(cell(r, column));
    return cells;
}

}  // namespace

std::string FileListView::cell(std::size_t row, std::size_t column) const {
    if (message) return column == 0 && row == 0 ? *message : std::string();
    return projectview::cellText(this->row(row), column);
}

void FileListView::setFileColumns() {
    using controls::Alignment;
    columns = {{"    File", 3000, Alignment::Left}, {"Lines", 800, Alignment::Right},
               {"Type", 1000, Alignment::Left},     {"Size", 1000, Alignment::Right},
               {"Date", 1000, Alignment::Left},     {"Saved", 700, Alignment::Left}};
    touch();
}

void FileListView::fitColumnsToContents() {
    auto cellOf = [this](std::size_t r, std::size_t c) { return cell(r, c); };
    for (std::size_t column : {projectview::kFileColumn, projectview::kTypeColumn,
                               projectview::kSizeColumn, projectview::kDateColumn}) {
        if (column >= columns.size()) continue;
        columns[column].width =
            controls::fittedWidth(columns[column], columnCells(shownRowCount(), column, cellOf),
                                  message.has_value(), column == 0, measure);
    }
    touch();
}

void FileListView::fitLastColumn() {
    if (columns.empty()) return;
    columns.back().width = controls::remainingWidth(columns, columns.size() - 1, width, measure);
    touch();
}

void ReferenceListView::setReferenceColumns() {
    using controls::Alignment;
    columns = {{"Description", 3000, Alignment::Left},
               {"Version", 800, Alignment::Center},
               {"File", 1000, Alignment::Left},
               {"Guid", 1000, Alignment::Left}};
    touch();
}

void ReferenceListView::fitColumnsToContents() {
    auto cellOf = [this](std::size_t r, std::size_t c) { return backup::cellText(rows[r], c); };
    for (std::size_t column :
         {backup::kDescriptionColumn, backup::kReferenceFileColumn, backup::kGuidColumn}) {
        if (column >= columns.size()) continue;
        columns[column].width = controls::fittedWidth(
            columns[column], columnCells(rows.size(), column, cellOf), false, column == 0, measure);
    }
    touch();
}

}  // namespace arkstash::window
