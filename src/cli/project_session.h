// The projects named on the command line, loaded and scanned the way the window does it: the
// same rows (the scan's and the side file's user-added files), the same references, the same
// stored options, read from and kept in the same settings store as the desktop app's.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "backup/references.h"
#include "cli/cli.h"
#include "platform/ide/loader.h"
#include "platform/ide/memory_ide.h"
#include "platform/os/file_system.h"
#include "platform/registry/registry.h"
#include "projectview/scan.h"

namespace arkstash::cli {

// The stored options as a run of the window would show them.
struct ShownOptions {
    bool autoRefresh = false;
    bool addDate = false;
    std::string compression;
    bool includeReferences = false;
    std::string backupFolder;
};

struct Listing {
    ide::LoadReport load;  // what the loader could not take, and how it read each file
    projectview::ProjectScan scan;
    // The file list as the window shows it: the scan's rows, then the user-added files.
    std::vector<projectview::FileRow> rows;
    std::vector<backup::ReferenceRow> references;
    std::optional<std::string> projectFile;  // the active project's file
    ShownOptions options;
};

class ProjectSession {
  public:
    ProjectSession(os::FileSystem& fs, registry::Registry& settings, ide::LoaderOptions options);

    // Loads project and group files (the first named gives the active project). Throws
    // ide::LoadError when a named file cannot be loaded.
    ide::LoadReport load(const std::vector<std::string>& paths);

    // Reads the options, scans, reads the side file and the references, and keeps the options
    // in the store when files were found, as opening the window does. `typeLibraryFailure`
    // hears of a control library that cannot be read.
    Listing list(const backup::TypeLibraryFailure& typeLibraryFailure = {});

    ide::MemoryVBE& environment() { return environment_; }

  private:
    ide::LoadReport report_;
    os::FileSystem& fs_;
    registry::Registry& settings_;
    ide::ProjectLoader loader_;
    ide::MemoryVBE environment_;
};

// Prints what the load found: issues as warnings (a missing form binary as a note while
// listing), and a note for every file read in another code page than the configured one.
void printLoadReport(const ide::LoadReport& report, Io& io, bool backingUp);

// The files the projects name that a backup cannot hold: those the scan could not list and
// those the loader could not read (a member project, a component).
std::vector<std::string> filesLeftOut(const Listing& listing);

}  // namespace arkstash::cli
