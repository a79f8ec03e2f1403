// The development environment the desktop host stands for, as a model: the loader's in-memory
// environment, filled from the project and group files the user opened, and brought up to date
// from disk with the environment's events raised for what changed. No toolkit here.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/ide/loader.h"
#include "platform/ide/memory_ide.h"
#include "platform/os/file_system.h"

namespace arkstash::gui {

class HostEnvironment {
  public:
    HostEnvironment(os::FileSystem& fs, ide::LoaderOptions options);

    ide::MemoryVBE& vbe() { return vbe_; }

    // Opens project and group files in place of the projects open now (their removal and the
    // new projects' arrival are the environment's events). Throws ide::LoadError, leaving the
    // open projects as they were, when a named file cannot be loaded.
    ide::LoadReport open(const std::vector<std::string>& paths);

    // Reads the open files again and applies what changed. The events are raised once the
    // model is whole: projects and components added or removed, the file-removed event for a
    // component that is still named but whose file has gone from disk, and the file-written
    // event for a group, project or component file whose size or time changed (a save). Throws
    // ide::LoadError, leaving everything as it was, when a named file cannot be read now (it
    // may be in the middle of being saved). Nothing happens while no file is open.
    ide::LoadReport reload();

    // The files opened, as named.
    const std::vector<std::string>& openedFiles() const { return opened_; }
    // Where a change on disk shows: the group, project and component files, and their folders.
    std::vector<std::string> watchedPaths();
    // The component or project whose file this is; none when no open project names it.
    ide::MemoryComponent* componentByFile(const std::string& path);
    ide::MemoryProject* projectByFile(const std::string& path);

  private:
    struct FileStamp {
        std::uint64_t size = 0;
        os::FileTime written = 0;
        bool operator==(const FileStamp&) const = default;
    };
    // The file as it is on disk now: none when nothing is there. A file that cannot be looked
    // at now keeps the stamp it had: it has not been seen to go or change.
    std::optional<FileStamp> stampOf(const std::string& path);
    // Remembers how the open files are on disk, to tell at the next reload which went or
    // were written.
    void noteFilesThere();

    os::FileSystem& fs_;
    ide::LoaderOptions options_;
    ide::ProjectLoader loader_;
    ide::MemoryVBE vbe_;
    std::vector<std::string> opened_;
    std::map<std::string, FileStamp> filesThere_;
};

}  // namespace arkstash::gui
