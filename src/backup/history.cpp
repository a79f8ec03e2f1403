#include "backup/history.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <tuple>

#include "backup/backup_target.h"
#include "util/paths.h"
#include "util/strings.h"

namespace arkstash::backup {

namespace {

constexpr std::string_view kZip = ".zip";
constexpr std::string_view kIncompleteZip = ".incomplete.zip";

auto ordered(const util::CivilTime& t) {
    return std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

// Exactly `count` ASCII digits as a number within [low, high].
std::optional<int> digits(std::string_view text, std::size_t at, std::size_t count, int low,
                          int high) {
    if (at + count > text.size()) return std::nullopt;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    if (value < low || value > high) return std::nullopt;
    return value;
}

// "_MM-DD-YYYY_HHMMSS", as archiveNameFor writes it.
std::optional<util::CivilTime> datePart(std::string_view text) {
    if (text.size() != 18 || text[0] != '_' || text[3] != '-' || text[6] != '-' || text[11] != '_')
        return std::nullopt;
    auto month = digits(text, 1, 2, 1, 12), day = digits(text, 4, 2, 1, 31),
         year = digits(text, 7, 4, 0, 9999), hour = digits(text, 12, 2, 0, 23),
         minute = digits(text, 14, 2, 0, 59), second = digits(text, 16, 2, 0, 59);
    if (!month || !day || !year || !hour || !minute || !second) return std::nullopt;
    return util::CivilTime{*year, *month, *day, *hour, *minute, *second};
}

util::CivilTime localTimeOf(os::FileTime fileTime) {
    std::time_t seconds =
        fileTime < os::kUnixEpochAsFileTime
            ? 0
            : static_cast<std::time_t>((fileTime - os::kUnixEpochAsFileTime) / 10000000);
    std::tm tm{};
    localtime_r(&seconds, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace

std::string archiveStem(const std::string& projectFile) {
    std::string name = archiveNameFor(projectFile, std::nullopt);
    return name.substr(0, name.size() - kZip.size());
}

std::optional<ArchiveName> parseArchiveName(std::string_view stem, std::string_view fileName) {
    if (stem.empty() || !util::startsWith(fileName, stem)) return std::nullopt;
    std::string_view rest = fileName.substr(stem.size());
    ArchiveName name;
    if (util::endsWith(rest, kIncompleteZip)) {
        name.incomplete = true;
        rest.remove_suffix(kIncompleteZip.size());
    } else if (util::endsWith(rest, kZip)) {
        rest.remove_suffix(kZip.size());
    } else {
        return std::nullopt;
    }
    if (rest.empty()) return name;
    auto date = datePart(rest);
    if (!date) return std::nullopt;
    name.dated = true;
    name.date = *date;
    return name;
}

std::vector<ProjectArchive> projectArchives(os::FileSystem& files, const std::string& folder,
                                            const std::string& stem) {
    std::vector<ProjectArchive> archives;
    for (const auto& fileName : files.listFolder(folder)) {
        auto name = parseArchiveName(stem, fileName);
        // A wildcard in a name would make the look-up below match other files.
        if (!name || fileName.find_first_of("*?") != std::string::npos) continue;
        ProjectArchive a{util::JoinPath(folder, fileName), fileName, *name, name->date, 0};
        auto info = files.findFirst(a.path, true);
        if (!info) continue;  // gone since the listing, or a folder
        a.size = info->size;
        if (!name->dated) a.time = localTimeOf(info->lastWriteTime);
        archives.push_back(std::move(a));
    }
    std::sort(archives.begin(), archives.end(), [](const auto& a, const auto& b) {
        if (ordered(a.time) != ordered(b.time)) return ordered(a.time) > ordered(b.time);
        return a.fileName > b.fileName;
    });
    return archives;
}

std::optional<ProjectArchive> newestComplete(const std::vector<ProjectArchive>& archives) {
    for (const auto& a : archives)
        if (!a.name.incomplete) return a;
    return std::nullopt;
}

std::vector<ProjectArchive> archivesBeyond(const std::vector<ProjectArchive>& archives,
                                           std::size_t keep, const std::string& justWritten) {
    std::vector<ProjectArchive> dated;
    for (const auto& a : archives)
        if (a.name.dated && !a.name.incomplete) dated.push_back(a);
    // The archive this run wrote stays, even when a clock set wrong gave older ones later dates.
    std::stable_partition(dated.begin(), dated.end(),
                          [&](const auto& a) { return a.path == justWritten; });
    if (dated.size() <= keep) return {};
    return {dated.begin() + static_cast<std::ptrdiff_t>(keep), dated.end()};
}

std::string timeText(const util::CivilTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

}  // namespace arkstash::backup
