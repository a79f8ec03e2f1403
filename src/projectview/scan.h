// The project scan: reads the projects open in the environment and says which files a backup
// writes (the rows of the file list) and how the project tree looks.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/ide/ide.h"
#include "platform/os/file_system.h"
#include "projectview/file_row.h"
#include "projectview/project_tree.h"

namespace arkstash::projectview {

// A file a project names that gets no row: it is missing, or it cannot be looked at.
struct ScanProblem {
    std::string path;
    std::string reason;  // "not found", or the system's words
};

struct ProjectScan {
    ProjectTree tree;
    // In scan order: the group file; per project its file, then per component its binary
    // companions and its own file.
    std::vector<FileRow> rows;
    std::vector<ScanProblem> problems;
    // The folders of the group file and of every project file, each ending with "/": a file
    // below none of them is outside the projects (a shared module, or something else).
    std::vector<std::string> projectFolders;
    std::optional<std::string> activeProjectName;
    int activeProjectImage = 0;  // images::kProjectBase + type; 0 when the type is unknown
};

// Reads every project of the environment. A member of the environment that fails drops only
// what depends on it: a project without a readable name gets no node and no components, a
// component whose line count cannot be read still gets its row (without a count), and so on.
ProjectScan scanProjects(ide::VBE& environment, os::FileSystem& fs);

// Whether a path lies below none of the folders (compared after resolving "." and "..").
bool isOutsideFolders(const std::string& path, const std::vector<std::string>& folders);

// The picture of a project type (images::kProjectBase + type); 0 for a type without one.
int projectImage(int projectType);

}  // namespace arkstash::projectview
