#include "projectview/file_row.h"

#include <algorithm>
#include <cstdio>

#include "util/calendar.h"

namespace arkstash::projectview {

namespace {
const char* const kNotApplicable = "---";
const char* const kBinaryNotApplicable = " --- ";

// A line count as the list has always shown it: a blank where a minus sign would go.
std::string linesText(long lines) {
    return lines < 0 ? std::to_string(lines) : " " + std::to_string(lines);
}
}  // namespace

std::string cellText(const FileRow& row, std::size_t column) {
    switch (column) {
        case kFileColumn:
            return row.path;
        case kLinesColumn:
            return row.lines ? linesText(*row.lines) : kNotApplicable;
        case kTypeColumn:
            return row.typeText;
        case kSizeColumn:
            return FormatFileSize(row.size);
        case kDateColumn:
            return FormatFileDate(row.created);
        case kSavedColumn:
            if (row.saved) return *row.saved ? "True" : "False";
            return row.kind == FileKind::Binary ? kBinaryNotApplicable : kNotApplicable;
        default:
            return {};
    }
}

controls::Colour textColour(const FileRow& row) {
    return row.userAdded() ? kUserAddedColour : controls::kBlack;
}

std::string FormatFileSize(std::uint64_t size) {
    if (size == 0) return {};
    std::string digits = std::to_string(size);
    std::string out;
    int count = 0;
    for (std::size_t i = digits.size(); i > 0; --i) {
        if (count > 0 && count % 3 == 0) out += ',';
        out += digits[i - 1];
        ++count;
    }
    std::reverse(out.begin(), out.end());
    return out;
}

std::string FormatFileDate(os::FileTime fileTime) {
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    auto date = util::civilTimeOf(fileTime);
    if (!date) return {};
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d %s %04d", date->day, months[date->month - 1],
                  date->year);
    return buf;
}

std::optional<FileRow> makeFileRow(os::FileSystem& fs, FileRow candidate, std::string* whyNot) {
    auto refuse = [&](const char* reason) -> std::optional<FileRow> {
        if (whyNot) *whyNot = reason;
        return std::nullopt;
    };
    if (candidate.path.empty()) return refuse("no path");
    // A path with wildcards would match some other file; a row is the file it names or none.
    if (candidate.path.find_first_of("*?") != std::string::npos)
        return refuse("a path with wildcards");
    std::optional<os::FileInfo> info;
    try {
        info = fs.findFirst(candidate.path, false);
    } catch (const std::exception& e) {
        if (whyNot) *whyNot = e.what();
        return std::nullopt;
    }
    if (!info) return refuse("not found");
    candidate.size = info->size;
    candidate.created = info->creationTime;
    candidate.modified = info->lastWriteTime;
    return candidate;
}

FileRow userAddedRow(std::string path) {
    FileRow row;
    row.path = std::move(path);
    row.kind = FileKind::UserAdded;
    row.typeText = kUserAddedType;
    row.image = images::kUserAdded;
    return row;
}

}  // namespace arkstash::projectview
