// The rows of the file list: what a backup writes, in the order the list shows them, with the
// list's sort order and selected row.
#pragma once

#include <optional>
#include <vector>

#include "projectview/file_row.h"

namespace arkstash::projectview {

struct SortOrder {
    std::size_t column = kFileColumn;  // rows are ordered by the text of this column
    bool descending = false;
    bool active = false;  // off: rows stay in the order they came
};

class FileList {
  public:
    const std::vector<FileRow>& rows() const { return rows_; }
    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    FileRow& row(std::size_t index) { return rows_.at(index); }
    const FileRow& row(std::size_t index) const { return rows_.at(index); }

    // Places a row where the sort order puts it: after the rows that sort with it or before it.
    void add(FileRow row);
    // Adds many rows and orders them once; the same order as adding them one by one.
    void addAll(std::vector<FileRow> rows);
    void remove(std::size_t index);
    void clear();

    const SortOrder& sortOrder() const { return sort_; }
    // Orders the rows by `column` (0-based), the other way round from the last sort, whichever
    // column that was; rows that sort alike keep their order.
    void sortByColumn(std::size_t column);
    // The order the next rows are sorted by, without sorting now.
    void setSortColumn(std::size_t column) { sort_.column = column; }

    std::optional<std::size_t> selected;  // index of the selected row
    const FileRow* selectedRow() const {
        return selected && *selected < rows_.size() ? &rows_[*selected] : nullptr;
    }

  private:
    void applySort();
    bool before(const FileRow& a, const FileRow& b) const;

    std::vector<FileRow> rows_;
    SortOrder sort_;
};

// Adds the row a file gets (makeFileRow) to the list; false when the file gets none.
bool AddToListView(FileList& list, os::FileSystem& fs, FileRow candidate);

}  // namespace arkstash::projectview
