// The development environment the desktop host stands for, as a model: the loader's in-memory
// environment, filled from the project and group files the user opened, and brought up to date
// from disk with the environment's events raised for what changed. No toolkit here.
#pragma once

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
    // model is whole: projects and components added or removed, and the file-removed event
    // for a component that is still named but whose file has gone from disk. Throws
    // ide::LoadError, leaving everything as it was, when a named file cannot be read now (it
    // may be in the middle of being saved). Nothing happens while no file is open.
    ide::LoadReport reload();

    // The files opened, as named.
    const std::vector<std::string>& openedFiles() const { return opened_; }
    // Where a change on disk shows: the group and project files, and the folders of those and
    // of every component's file.
    std::vector<std::string> watchedPaths();
    // The component or project whose file this is; none when no open project names it.
    ide::MemoryComponent* componentByFile(const std::string& path);
    ide::MemoryProject* projectByFile(const std::string& path);

  private:
    bool isThere(const std::string& path);
    // Remembers which components' files are on disk, to tell at the next reload which went.
    void noteFilesThere();

    os::FileSystem& fs_;
    ide::LoaderOptions options_;
    ide::ProjectLoader loader_;
    ide::MemoryVBE vbe_;
    std::vector<std::string> opened_;
    std::set<std::string> filesThere_;
};

}  // namespace arkstash::gui
