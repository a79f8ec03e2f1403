#include "form/helpers.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/error.h"

namespace arkstash::form {

namespace {
bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

std::size_t lastSeparator(const std::string& path) {
    for (std::size_t i = path.size(); i > 0; --i)
        if (isSeparator(path[i - 1])) return i - 1;
    return std::string::npos;
}
}  // namespace

std::string FileTitle(const std::string& path) {
    std::size_t pos = lastSeparator(path);
    return pos == std::string::npos ? std::string() : path.substr(pos + 1);
}

std::string LastPathPart(const std::string& path) {
    std::size_t pos = lastSeparator(path);
    if (pos == std::string::npos) throw PlatformError("Invalid procedure call or argument");
    return path.substr(pos + 1);
}

std::string DirOf(const std::string& path) {
    std::size_t pos = lastSeparator(path);
    // A bare name has no folder part; no caller relies on more.
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string NulTrim(const std::string& text) {
    std::size_t pos = text.find('\0');
    return pos == std::string::npos ? text : text.substr(0, pos);
}

std::string FileExists(os::FileSystem& fs, const std::string& path) {
    try {
        return fs.findFirst(path, true) ? "True" : "False";
    } catch (const std::exception&) {
        return "";
    }
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty() || isSeparator(dir.back())) return dir + name;
    // Keep to the kind of separator the folder already uses.
    std::size_t pos = lastSeparator(dir);
    char sep = pos == std::string::npos ? '\\' : dir[pos];
    return dir + sep + name;
}

std::string FormatFileSize(std::uint64_t n) {
    if (n == 0) return {};
    std::string digits = std::to_string(n);
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
    // Windows converts file times up to the year 30827; anything beyond is out of range.
    constexpr std::uint64_t kMaxFileTime = 0x7FFFFFFFFFFFFFFFULL;
    if (fileTime > kMaxFileTime) return {};
    // Days since 1601-01-01, then the civil date of that day count.
    std::int64_t days = static_cast<std::int64_t>(fileTime / 864000000000ULL);
    // Count from 0000-03-01 of the proleptic Gregorian calendar (1601-01-01 is its day
    // 584694), so that leap days fall at the end of each counted year.
    std::int64_t z = days + 584694;
    std::int64_t era = z / 146097;
    std::int64_t doe = z - era * 146097;
    std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    std::int64_t y = yoe + era * 400;
    std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    std::int64_t mp = (5 * doy + 2) / 153;
    std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
    std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2) ++y;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d %s %04d", static_cast<int>(d), months[m - 1],
                  static_cast<int>(y));
    return buf;
}

void AutoSizeColumns(ui::ListView& list) {
    std::vector<std::size_t> columns;
    if (list.name == "ListView1")
        columns = {0, 2, 3, 4};
    else if (list.name == "ListView2")
        columns = {0, 2, 3};
    for (std::size_t c : columns) list.autoSizeColumn(c);
}

void FitLastColumn(ui::ListView& list) {
    if (!list.columns.empty()) list.fillColumn(list.columns.size() - 1);
}

}  // namespace arkstash::form
