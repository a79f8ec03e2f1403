// The main window on the desktop over a copy of the example group: the real file system, a
// fixed clock, the user's hive in the test's folder, scripted dialogs, Qt's own event loop, a
// shell that records what it was asked and the real archive engine.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>

#include "gui/main_window_view.h"
#include "gui/qt_event_loop.h"
#include "platform/ide/loader.h"
#include "platform/registry/hive_registry.h"
#include "platform/os/text_codec.h"
#include "support/temp_dir.h"
#include "support/window_fixture.h"

namespace arkstash::test {

class DesktopWindow : public ::testing::Test {
  protected:
    TempDir dir;
    os::PosixFileSystem files;
    os::FixedClock clock{os::DateTime{2026, 12, 5, 7, 9, 56, 6}};
    TempDir home;
    registry::HiveRegistry registry{home.str()};
    ScriptedDialogs dialogs;
    gui::QtEventLoop events;
    RecordingShell shell;
    archive::LibzipEngine engine;
    window::Services services{files, clock, registry, dialogs, events, shell, engine};
    window::MainWindow window{services};
    gui::MainWindowView view{window};
    ide::MemoryVBE vbe;

    // Loads the example group from a copy of its folder, opens the window as the add-in does
    // and scans.
    void open() {
        std::filesystem::copy(std::string(ARKSTASH_SOURCE_DIR) + "/examples/StockControl",
                              dir / "StockControl", std::filesystem::copy_options::recursive);
        ide::ProjectLoader(files, {}).load(vbe, {dir / "StockControl/StockControl.vbg"});
        window.Load();
        window.setEnvironment(&vbe);
        view.resize(1000, 600);
        view.show();
        window.FillTree();
    }
    // The user's hive as a file, as text: what a later run of the program would read.
    std::string hive() const {
        std::string bytes = home.read("user.reg");
        return bytes.size() < 2 ? bytes : os::utf16leToUtf8(bytes.substr(2));
    }
    static int toPixels(long twips) { return gui::toPixels(twips, gui::twipsPerPixel().x); }
    std::string example(const std::string& file) const { return dir / ("StockControl/" + file); }
    template <typename Widget = QWidget>
    Widget* find(const char* name) {
        auto* widget = view.findChild<Widget*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
};

}  // namespace arkstash::test
