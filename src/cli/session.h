// One headless run of the main window on projects read from disk: the environment the files
// load into, the outside-world services the window reaches, and the window itself. Each command
// of the command line opens one.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "form/main_form.h"
#include "platform/ide/loader.h"
#include "platform/ide/memory_ide.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/runtime.h"

namespace arkstash::shell {
class MainWindow;
}

namespace arkstash::cli {

struct SessionOptions {
    // How project files are read: code page, drive mappings, type-library registrations.
    ide::LoaderOptions loader;
    // The settings store the window reads and writes. None: an empty store in memory, so a run
    // leaves nothing behind (listing must not rewrite anybody's settings).
    registry::Registry* settings = nullptr;
    // None: the real file system, the system clock, dialogs that answer OK and No.
    os::FileSystem* fs = nullptr;
    os::Clock* clock = nullptr;
    ui::Dialogs* dialogs = nullptr;
};

class Session {
  public:
    explicit Session(SessionOptions options = {});
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Loads project and group files into the environment (the first named is the active
    // project). Throws ide::LoadError when a named file cannot be loaded; what could not be read
    // inside the files is in the report.
    ide::LoadReport load(const std::vector<std::string>& paths);
    // Reads the same files again and applies what changed on disk, raising the environment's
    // events (the desktop host does this when it sees the files change).
    ide::LoadReport reload();

    // Opens the window on the loaded environment as the add-in's button does: the window's
    // load sequence, the settings read with the environment known, and the scan.
    void open();
    // Scans again (the Refresh command).
    void rescan();

    ide::MemoryVBE& environment() { return vbe_; }
    form::Platform& platform() { return *platform_; }
    shell::MainWindow& window() { return *window_; }
    form::MainForm& form();
    ui::HeadlessEventLoop& loop() { return loop_; }
    // The dialogs the session made itself; none when the options brought their own.
    ui::ScriptedDialogs* scriptedDialogs() { return ownDialogs_.get(); }

  private:
    SessionOptions options_;
    std::unique_ptr<os::FileSystem> ownFs_;
    std::unique_ptr<os::Clock> ownClock_;
    std::unique_ptr<registry::Registry> ownSettings_;
    std::unique_ptr<ui::ScriptedDialogs> ownDialogs_;
    ui::HeadlessEventLoop loop_;
    std::unique_ptr<form::Platform> platform_;
    ide::MemoryVBE vbe_;
    std::unique_ptr<ide::ProjectLoader> loader_;
    std::unique_ptr<shell::MainWindow> window_;
    bool opened_ = false;
};

}  // namespace arkstash::cli
