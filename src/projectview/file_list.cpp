#include "projectview/file_list.h"

#include <algorithm>

namespace arkstash::projectview {

bool FileList::before(const FileRow& a, const FileRow& b) const {
    std::string left = cellText(a, sort_.column), right = cellText(b, sort_.column);
    return sort_.descending ? right < left : left < right;
}

void FileList::add(FileRow row) {
    if (!sort_.active) {
        rows_.push_back(std::move(row));
        return;
    }
    auto place = std::upper_bound(rows_.begin(), rows_.end(), row,
                                  [&](const FileRow& a, const FileRow& b) { return before(a, b); });
    auto at = rows_.insert(place, std::move(row));
    if (selected && *selected >= static_cast<std::size_t>(at - rows_.begin())) ++*selected;
}

void FileList::addAll(std::vector<FileRow> rows) {
    for (auto& row : rows) rows_.push_back(std::move(row));
    applySort();
}

void FileList::remove(std::size_t index) {
    if (index >= rows_.size()) return;
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
    if (selected) {
        if (*selected == index)
            selected.reset();
        else if (*selected > index)
            --*selected;
    }
}

void FileList::clear() {
    rows_.clear();
    selected.reset();
}

void FileList::sortByColumn(std::size_t column) {
    sort_.column = column;
    sort_.descending = !sort_.descending;
    sort_.active = true;
    applySort();
}

void FileList::applySort() {
    if (!sort_.active) return;
    // The texts are worked out once per row, not once per comparison.
    std::vector<std::pair<std::string, std::size_t>> keys;
    keys.reserve(rows_.size());
    for (std::size_t i = 0; i < rows_.size(); ++i)
        keys.emplace_back(cellText(rows_[i], sort_.column), i);
    std::stable_sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
        return sort_.descending ? b.first < a.first : a.first < b.first;
    });
    std::vector<FileRow> sorted;
    sorted.reserve(rows_.size());
    std::optional<std::size_t> selectedNow;
    for (const auto& [text, oldIndex] : keys) {
        // The selection follows its row.
        if (selected == oldIndex) selectedNow = sorted.size();
        sorted.push_back(std::move(rows_[oldIndex]));
    }
    rows_ = std::move(sorted);
    selected = selectedNow;
}

bool AddToListView(FileList& list, os::FileSystem& fs, FileRow candidate) {
    auto row = makeFileRow(fs, std::move(candidate));
    if (!row) return false;
    list.add(std::move(*row));
    return true;
}

}  // namespace arkstash::projectview
