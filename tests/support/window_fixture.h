// A main window with no view, for tests: the real file system, a fixed clock, a registry in
// memory, dialogs that answer from a script, an event loop a test can hook, a shell that
// records what it was asked, and the real archive engine.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/archive/libzip_engine.h"
#include "platform/registry/memory_registry.h"
#include "support/hooked_event_loop.h"
#include "support/scripted_dialogs.h"
#include "window/main_window.h"

namespace arkstash::test {

class RecordingShell final : public ui::Shell {
  public:
    std::vector<std::string> requests;  // "open PATH", "url URL", "properties PATH", "help TOPIC",
                                        // "notify TITLE: TEXT"
    bool propertiesShown = true;
    bool openPath(const std::string& path) override {
        requests.push_back("open " + path);
        return true;
    }
    bool openUrl(const std::string& url) override {
        requests.push_back("url " + url);
        return true;
    }
    bool showFileProperties(const std::string& path, const std::string&) override {
        requests.push_back("properties " + path);
        return propertiesShown;
    }
    void showHelpTopic(const std::string& topic) override { requests.push_back("help " + topic); }
    void notify(const std::string& title, const std::string& text) override {
        requests.push_back("notify " + title + ": " + text);
    }
};

struct WindowFixture {
    os::PosixFileSystem files;
    os::FixedClock clock{os::DateTime{2026, 12, 5, 7, 9, 56, 6}};
    registry::MemoryRegistry registry;
    ScriptedDialogs dialogs;
    HookedEventLoop events;
    RecordingShell shell;
    archive::LibzipEngine engine;
    window::Services services{files, clock, registry, dialogs, events, shell, engine};
    window::MainWindow window{services};
};

}  // namespace arkstash::test
