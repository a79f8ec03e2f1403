#include "backup/side_file.h"

#include <cstdio>

#include "platform/error.h"
#include "platform/os/clock.h"
#include "platform/os/text_codec.h"
#include "util/paths.h"
#include "util/strings.h"

namespace arkstash::backup {

namespace {
constexpr std::string_view kMemoStart = "[Memo]";
constexpr std::string_view kMemoEnd = "[End Memo]";
constexpr std::string_view kFileTag = "[File]";
constexpr std::string_view kLineEnd = "\r\n";
}  // namespace

SideFile parseSideFile(std::string_view text) {
    SideFile content;
    auto lines = util::splitLines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (line == kMemoStart) {
            std::string block;
            for (bool first = true; ++i < lines.size() && lines[i] != kMemoEnd; first = false) {
                if (!first) block += kLineEnd;
                block += lines[i];
            }
            content.memo += block;
        } else if (line.find(kFileTag) != std::string_view::npos) {
            // The path starts at the seventh character whatever comes before the tag; our own
            // lines always start with it.
            content.files.emplace_back(line.size() > kFileTag.size() ? line.substr(kFileTag.size())
                                                                     : std::string_view());
        }
    }
    return content;
}

std::string formatSideFile(const SideFile& content) {
    std::string out;
    if (!content.memo.empty()) {
        out.append(kMemoStart).append(kLineEnd);
        out.append(content.memo).append(kLineEnd);
        out.append(kMemoEnd).append(kLineEnd);
    }
    for (const auto& file : content.files) out.append(kFileTag).append(file).append(kLineEnd);
    return out;
}

std::optional<std::string> sideFilePath(const std::string& projectFile,
                                        const std::string& projectName) {
    std::string folder = util::DirOf(util::untilNul(projectFile));
    // A project name is an identifier; one holding a separator or a NUL is not one to trust.
    if (folder.empty() || projectName.empty() ||
        projectName.find_first_of(std::string_view("/\\\0", 3)) != std::string::npos)
        return std::nullopt;
    return folder + projectName + ".aks";
}

std::optional<SideFile> readSideFile(os::FileSystem& fs, const std::string& path) {
    std::string bytes;
    try {
        bytes = fs.readFile(path, kSideFileReadLimit);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return parseSideFile(os::decodeText(bytes));
}

void writeSideFile(os::FileSystem& fs, const std::string& path, const SideFile& content) {
    std::string text = formatSideFile(content);
    // Windows-1252 keeps the files readable by older installations; a character outside it
    // switches the whole file to UTF-8 rather than losing the character.
    std::optional<std::string> narrow = os::encodeText(text, "1252");
    fs.replaceFile(path, narrow ? *narrow : text);
}

std::optional<std::string> memoDateStamp(int year, int month, int day, int hour, int minute,
                                         int second) {
    static const char* const days[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                       "Thursday", "Friday", "Saturday"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
    int weekday = ((os::weekdayOf(year, month, day) % 7) + 7) % 7;
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, "[%s, %s %d %04d - %02d:%02d:%02d]\r\n", days[weekday],
                  months[month - 1], day, year, hour, minute, second);
    return stamp;
}

}  // namespace arkstash::backup
