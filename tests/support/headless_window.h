// A main window with no view: the real file system, and a fixed clock, a registry in memory,
// scripted dialogs and a headless message loop that tests can steer.
#pragma once

#include "form/main_form.h"
#include "platform/registry/memory_registry.h"

namespace arkstash::test {

struct HeadlessWindow {
    os::PosixFileSystem fs;
    os::FixedClock clock{os::DateTime{}};
    registry::MemoryRegistry reg;
    ui::ScriptedDialogs dialogs;
    ui::HeadlessEventLoop loop;
    form::Platform platform{fs, clock, reg, dialogs, loop};
    form::MainForm frm{platform};
};

}  // namespace arkstash::test
