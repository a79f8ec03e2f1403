// Builds an environment from project (.vbp) and group (.vbg) files on disk, and reloads it,
// turning what changed on disk into the environment's events.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ide/memory_ide.h"
#include "platform/os/file_system.h"

namespace arkstash::registry {
class Registry;
}

namespace arkstash::ide {

struct LoaderOptions {
    // Code page of project and source files that are not valid UTF-8 ("1252", "936", ...): the
    // first choice; a file whose named files are not found in it may be read in another.
    std::string codePage = "1252";
    // Windows drive letters (upper case) mapped to folders, for projects kept under a
    // compatibility layer: 'C' -> "/home/me/.wine/drive_c".
    std::map<char, std::string> driveMappings;
    // Type-library registrations (HKEY_CLASSES_ROOT) to resolve references and controls
    // through; none: a reference resolves only by its own path.
    registry::Registry* classes = nullptr;
};

// The named project or group file itself cannot be loaded: missing, unreadable, a folder, larger
// than kMaxFileSize, not a project or group file at all (binary, or no project setting in it),
// or a group that names no project or none that loads.
class LoadError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// What a load issue means for a backup of the projects.
enum class IssueKind {
    // Something a project or group file says could not be taken as it stands (a bad or repeated
    // line, data after the text, no name): the file itself is there and is backed up.
    BadContent,
    // A file the projects name is not there; a backup cannot hold it and is incomplete.
    MissingFile,
    // A file the projects name is there but cannot be read or loaded (permission denied, a
    // folder or named pipe in its place, a member project that is no project file); a backup
    // is incomplete without it.
    UnreadableFile,
    // A binary file a form, user control, property page or user document refers to (its
    // ".frx", ".ctx", ".pgx", ".dox") is missing. A warning: the component is backed up, but a
    // restored copy loads without those properties.
    MissingBinary,
    // A component kept in its project whose code lines are not counted (over kMaxFileSize);
    // it is backed up like any other.
    NotCounted,
};

// True for the kinds that leave a named file out of a backup.
constexpr bool leavesFileOut(IssueKind kind) {
    return kind == IssueKind::MissingFile || kind == IssueKind::UnreadableFile;
}

// Something in a loaded file could not be read; the project holds what could be. `file` is the
// file concerned: the project or group file for a line it could not take, the component or
// project file for one that is missing or unreadable, the missing binary (the message says
// where it is named).
struct LoadIssue {
    std::string file;
    std::string message;
    IssueKind kind = IssueKind::BadContent;
};

// How a project or group file was read. Files from Windows are text in the code page of the
// machine that saved them; the loader reads them as UTF-8 when they are, else in the configured
// code page, and when the files they name are not found so, in the common code page under which
// most of them are (kDetectableCodePages).
struct FileEncoding {
    std::string file;
    // "UTF-8", or the Windows code page the text was read in ("1252", "936"). A file of plain
    // ASCII reads alike in all of them and is given the configured one.
    std::string codePage;
    bool detected = false;  // codePage differs from the configured one
};

// The code page the names in these files were written in, for names kept as their Windows
// bytes on disk: the first file's that is not UTF-8 (a group's before its projects'), else
// `configured`.
std::string codePageOfNames(const std::vector<FileEncoding>& encodings,
                            const std::string& configured);

// The code pages tried on a file whose names do not resolve in the configured one.
inline constexpr const char* kDetectableCodePages[] = {
    "932",  "936",  "949",  "950",  "1250", "1251", "1252",
    "1253", "1254", "1255", "1256", "1257", "1258", "874",
};

// A type library as its registration describes it.
struct RegisteredLibrary {
    std::string path;         // the library's file, as registered
    std::string description;  // empty when the registration gives none
};

struct LoadReport {
    std::vector<LoadIssue> issues;
    std::vector<FileEncoding> encodings;  // one per project and group file read, in load order
};

// What the loader builds, in short:
// - A group file gives its projects in the order it lists them; VBProjects.FileName is the
//   group file. The start-up project is the active one (a group saved by the environment names
//   one; without it, the first project listed is both).
// - Only regular files are read, never blocking on one (a named pipe in a file's place is
//   unreadable). Project files and component files are read up to kMaxFileSize each. A project
//   or group file beyond it is refused (LoadError); a component file beyond it is kept, its
//   lines not counted (IssueKind::NotCounted).
// - Each project and group file is decoded on its own (see FileEncoding); a project's component
//   files are read in the code page chosen for it.
// - Paths are resolved as PathResolver does; components keep the path found on disk, or the
//   best spelling known when the file is missing (then they have no code module and are
//   reported). A component whose file is there keeps its code module even when the file cannot
//   be read (then it counts no lines and is reported), so that it is still listed for backup.
// - Forms, user controls, property pages and user documents are checked for the binary files
//   their design refers to; a missing one is reported (IssueKind::MissingBinary).
// - Resource files and related documents have no code module. Every component is clean
//   (IsDirty false) and every project saved.
// - A type library or control that is found neither at its written path nor through the
//   type-library registrations is broken.
class ProjectLoader {
  public:
    static constexpr std::uint64_t kMaxFileSize = 64ULL << 20;

    ProjectLoader(os::FileSystem& fs, LoaderOptions options);

    // Loads the named files (.vbp or .vbg, any mix) into `vbe`, which must be empty. The
    // first file named gives the active project: itself, or a group's start-up project. The
    // start-up project is the first group's, else the first project. A file named twice (also
    // through a group) is loaded once. Throws LoadError, leaving `vbe` empty, when a named file
    // cannot be loaded; a project of a group or a component file that is missing or unreadable
    // is reported and left out (the project) or kept with what is known of it (the
    // component).
    LoadReport load(MemoryVBE& vbe, const std::vector<std::string>& paths);

    // Reads the same files again and applies the difference to `vbe`, raising its events:
    // projects added or removed, components added to or removed from a project (removed files
    // also raise the file-removed event of their project), and changed names, line counts and
    // dirty flags updated in place. Projects and components are matched by their file path;
    // new ones come after the ones kept. Throws LoadError, leaving `vbe` as it was, when a
    // named file cannot be loaded any more (it may be in the middle of being saved). Does
    // nothing before a successful load.
    LoadReport reload(MemoryVBE& vbe);

  private:
    struct Impl;
    friend struct Impl;

    // Where the type-library registrations (options_.classes) place a library; empty when
    // there are no registrations or the library is not registered there.
    std::optional<RegisteredLibrary> resolveRegistered(const std::string& guid, long major,
                                                       long minor, const std::string& lcid) const;

    os::FileSystem& fs_;
    LoaderOptions options_;
    std::vector<std::string> paths_;
};

}  // namespace arkstash::ide
