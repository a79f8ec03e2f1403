// The project's side file (".aks" beside the project file): the memo and the files the user
// added by hand.
//
// The file is lines of text: a memo block ("[Memo]", the memo's lines, "[End Memo]") when the
// memo is not empty, then one "[File]" + path line per user-added file. We write CR LF line
// ends and read CR LF, CR or LF alike. Text is written in Windows-1252 when every character
// fits and in UTF-8 otherwise, and read as UTF-8 when it is valid UTF-8, else as Windows-1252,
// so nothing a user typed is lost and files from older installations still read. Every rewrite
// replaces the whole file in one step: a failed write leaves the old file whole.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os/file_system.h"

namespace arkstash::backup {

struct SideFile {
    std::string memo;  // lines joined by CR LF, as the memo box holds them
    std::vector<std::string> files;
};

// A side file larger than this is not ours and is not read (the next rewrite replaces it).
inline constexpr std::uint64_t kSideFileReadLimit = 16u * 1024u * 1024u;

// The memo block ends at a line reading exactly "[End Memo]" (or at the end of the file when
// that line is missing); lines inside it are never file entries. Outside it, a line holding
// "[File]" anywhere names the path that starts at its seventh character.
SideFile parseSideFile(std::string_view text);
std::string formatSideFile(const SideFile& content);

// The side file of a project: the folder of its project file, the project's name, ".aks".
// None when the project was never saved, has no name, or has a name that would lead out of
// its folder.
std::optional<std::string> sideFilePath(const std::string& projectFile,
                                        const std::string& projectName);

// Reads a side file; none when it is missing, unreadable or too large.
std::optional<SideFile> readSideFile(os::FileSystem& fs, const std::string& path);
// Replaces the side file in one step. Throws PlatformError when it cannot be written.
void writeSideFile(os::FileSystem& fs, const std::string& path, const SideFile& content);

// "[Saturday, Dec 5 2026 - 07:09:56]" and a line break, for the memo's date button. None for a
// date the clock cannot have meant.
std::optional<std::string> memoDateStamp(int year, int month, int day, int hour, int minute,
                                         int second);

}  // namespace arkstash::backup
