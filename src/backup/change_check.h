// What changed between an archive and the files a backup would write now: files added, removed
// and modified, and for text files how many lines. `backup --if-changed` asks it whether to
// write at all; `diff` shows it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/archive/archive_engine.h"
#include "platform/archive/archive_reader.h"
#include "platform/os/file_system.h"

namespace arkstash::backup {

struct LineChanges {
    std::size_t added = 0;
    std::size_t removed = 0;
};

// Lines added and removed from `before` to `after` (CR LF, CR and LF all end a line); none when
// either holds a NUL byte, which no text file of a project does.
std::optional<LineChanges> countChangedLines(std::string_view before, std::string_view after);

enum class ChangeKind { Added, Removed, Modified };

struct FileChange {
    ChangeKind kind = ChangeKind::Modified;
    std::string name;                  // the entry name
    std::optional<LineChanges> lines;  // text files whose both sides could be read
};

// Compares the planned entries with the archive's files. A file whose size differs is modified;
// one of the same size is modified when its CRC-32 differs from the entry's (times are not
// trusted either way: ZIP keeps them to two seconds, and a save without edits moves them).
// With `countLines`, text files' lines are counted where both sides can be read. Sorted by name.
// A file that cannot be read counts as modified: nothing shows it is the same.
std::vector<FileChange> compareWithArchive(const archive::ArchiveReader& archive,
                                           const std::vector<archive::PlannedEntry>& planned,
                                           os::FileSystem& files, bool countLines);

}  // namespace arkstash::backup
