// One file a backup writes, as the file list shows it, and the one rule by which such rows are
// made: for the group, the projects and their components (the scan) and for files the user
// added by hand (the side file and the Add file command) alike.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "controls/control_state.h"
#include "platform/os/file_system.h"

namespace arkstash::projectview {

enum class FileKind {
    Group,      // the group file
    Project,    // a project file
    Binary,     // a component's binary companion (.frx, .ctx, ...)
    Component,  // a component's own file
    UserAdded,  // a file the user added by hand
};

struct FileRow {
    std::string path;  // as the environment or the user gave it: the row's identity
    FileKind kind = FileKind::Component;
    std::string typeText;  // "Visual Basic Project", "Form", "User added", ...
    std::optional<long> lines;  // a code component's line count
    std::uint64_t size = 0;
    os::FileTime created = 0;   // the Date column: birth time where kept, else last write
    os::FileTime modified = 0;
    std::optional<bool> saved;  // the environment's saved state; none where it does not apply
    bool checked = true;        // written by a backup
    int image = 0;              // image-list index
    std::string project;        // the project the file belongs to; empty for group and user rows
    bool outside = false;       // not below the folder of the group or of any of its projects
    bool userAdded() const { return kind == FileKind::UserAdded; }
};

// Image-list indexes the window's pictures are known by (1 to 11 are the component kinds).
namespace images {
inline constexpr int kProjectBase = 12;  // + project type 0..3
inline constexpr int kFolder = 16;
inline constexpr int kFolderSelected = 17;
inline constexpr int kReference = 18;
inline constexpr int kGroup = 19;
inline constexpr int kAddFile = 20;
inline constexpr int kRemoveFile = 21;
inline constexpr int kUserAdded = 22;
}  // namespace images

inline constexpr const char* kUserAddedType = "User added";
// Text colour of a user-added row: pure blue in the &HBBGGRR order.
inline constexpr controls::Colour kUserAddedColour = 0xFF0000;

// The columns of the file list, in order.
enum FileColumn : std::size_t { kFileColumn, kLinesColumn, kTypeColumn, kSizeColumn, kDateColumn,
                                kSavedColumn, kFileColumnCount };

// The text of a cell as the list shows it: the path; the line count with a leading blank or
// "---"; the type text; the size grouped by threes ("" for 0); the creation date "dd Mmm yyyy";
// "True"/"False", or "---" (" --- " for a binary companion) where saving does not apply.
std::string cellText(const FileRow& row, std::size_t column);
controls::Colour textColour(const FileRow& row);

// Size grouped by threes with ","; 0 gives "".
std::string FormatFileSize(std::uint64_t size);
// "dd Mmm yyyy" of a file time taken as it is (no local-time conversion); "" when out of range.
std::string FormatFileDate(os::FileTime fileTime);

// The row a file gets, with its size and times looked up now; none when the path is empty,
// holds a wildcard, or names no existing file (folders and hidden files do not count). `whyNot`,
// when given, learns the reason ("not found", or the system's words when the look-up failed).
std::optional<FileRow> makeFileRow(os::FileSystem& fs, FileRow candidate,
                                   std::string* whyNot = nullptr);
// A user-added row for a path (not yet looked up).
FileRow userAddedRow(std::string path);

}  // namespace arkstash::projectview
